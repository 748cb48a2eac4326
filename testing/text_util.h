#pragma once

// Text helpers shared by the test doubles.

#include <string>
#include <string_view>

#include "ridirodev/core/text.h"

namespace ridirodev::testing {

// Whether text contains fragment, without regard to case.
inline bool ContainsNoCase(std::string_view text, std::string_view fragment) {
  if (fragment.size() > text.size()) return false;
  for (size_t i = 0; i + fragment.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, fragment.size()), fragment)) return true;
  }
  return false;
}

// -1, 0 or 1, comparing byte by byte after folding ASCII case.
inline int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(FoldCase(a[i]));
    const auto y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace ridirodev::testing
