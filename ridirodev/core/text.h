#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ridirodev {

// ASCII case folding: keys and names of the dictionary are compared without regard to case.
constexpr char FoldCase(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
// Removes leading and trailing blanks (spaces only, as the platform's Trim).
std::string_view TrimBlanks(std::string_view s) noexcept;
// Number of characters of UTF-8 text: padding counts characters, not bytes.
size_t Utf8Length(std::string_view s) noexcept;

struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const noexcept {
    size_t h = 14695981039346656037ull;
    for (char c : s) {
      h ^= static_cast<unsigned char>(FoldCase(c));
      h *= 1099511628211ull;
    }
    return h;
  }
};

struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return EqualsNoCase(a, b); }
};

// One shared copy of a text, kept for the life of the process: for the few distinct codes that
// many objects carry. Safe to call from any thread; the reference never dangles.
const std::string& InternText(std::string_view text);

// The text between double quotes, with backslash and double quote escaped by a backslash.
std::string QuoteWithBackslashes(std::string_view text);
// The five XML entities in place of their characters.
std::string XmlEscape(std::string_view text);
// The reverse: the five entities back to their characters; any other "&" stays as it is.
std::string XmlUnescape(std::string_view text);

}  // namespace ridirodev
