#pragma once

// The values an enumeration field may hold, with their meanings.

#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class CEnumValue : public Object {
 public:
  // The value as stored.
  const std::string& Key() const noexcept { return key_; }
  const std::string& Description() const noexcept { return description_; }

  void Initialize(std::string sKeyA, std::string sDescriptionA);

 private:
  std::string key_;
  std::string description_;
};
using CEnumValuePtr = std::shared_ptr<CEnumValue>;

class CEnumValues : public ObjectCollection<CEnumValue> {};
using CEnumValuesPtr = std::shared_ptr<CEnumValues>;

}  // namespace ridirodev
