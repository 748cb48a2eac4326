#pragma once

// The keys the dictionary's collections are indexed by. The facade offers them to the host
// too; the model builds them here so that it does not reach up to the facade.

#include <cstdint>
#include <string>
#include <string_view>

namespace ridirodev {

inline std::string EntityKey(int32_t ordEntity) { return "Cat:" + std::to_string(ordEntity); }

inline std::string FieldKey(std::string_view sName, std::string_view sCategory) {
  std::string key;
  key.reserve(sName.size() + 1 + sCategory.size());  // one allocation: every loaded field makes one
  key += sName;
  key += ':';
  key += sCategory;
  return key;
}

inline std::string BusyHourKey(int32_t ord) { return "BH" + std::to_string(ord); }

// The busy-hour type named after a category.
inline std::string BusyHourTypeName(std::string_view sCategory) {
  return std::string(sCategory) + " Busy Hour";
}

}  // namespace ridirodev
