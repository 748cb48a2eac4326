#pragma once

// Look-up by name among the standalone host's named objects.

#include <memory>
#include <string_view>
#include <vector>

#include "ridirodev/core/text.h"

namespace ridirodev::standalone {

// The first item whose Name() equals name without regard to case; nullptr when there is none.
template <class T>
std::shared_ptr<T> FindByName(const std::vector<std::shared_ptr<T>>& items, std::string_view name) {
  for (const auto& item : items) {
    if (EqualsNoCase(item->Name(), name)) return item;
  }
  return nullptr;
}

}  // namespace ridirodev::standalone
