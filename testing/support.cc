#include "testing/support.h"

#include "ridirodev/core/text.h"

namespace ridirodev::testing {
namespace {

// The text's UTF-8 characters, each as its bytes.
std::vector<std::string_view> Characters(std::string_view s) {
  std::vector<std::string_view> out;
  for (size_t i = 0; i < s.size();) {
    size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

// Greedy match with one backtrack point: the last "*" seen.
bool Wildcard(const std::vector<std::string_view>& text, const std::vector<std::string_view>& pattern) {
  size_t t = 0, p = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == "*") {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == "?" || EqualsNoCase(pattern[p], text[t]))) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == "*") ++p;
  return p == pattern.size();
}

}  // namespace

std::string TestPropertySet::RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t,
                                         int32_t, int32_t, std::shared_ptr<Object>) const {
  std::vector<IAppPropertyDefinitionPtr> columns;
  for (int32_t position = 1; position <= Count(); ++position)
    if (auto definition = Item(position); definition->Available()) columns.push_back(std::move(definition));
  std::string out;
  if (showColumnHeadings) {
    for (size_t i = 0; i < columns.size(); ++i) out += (i > 0 ? "\t" : "") + columns[i]->Name();
    out += '\n';
  }
  for (int32_t position = 1; position <= items.Count(); ++position) {
    const ILVItemObjectPtr item = items.Item(Variant(position));
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) out += '\t';
      if (!item) continue;
      const Variant value = item->Value(columns[i]->Id());
      if (!value.IsNull()) out += value.ToString();
    }
    out += '\n';
  }
  return out;
}

int32_t TestSupport::CompareText(std::string_view a, std::string_view b, int32_t mode) const {
  const int c = mode == 0 ? ToLower(a).compare(ToLower(b)) : a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string TestSupport::PatternRegex(std::string_view pattern, bool isRegularExpression,
                                      bool usePatternMatching, bool completeMatch, bool matchCase) const {
  if (pattern.empty()) return "";
  return std::string("[") + (isRegularExpression ? "r" : "") + (usePatternMatching ? "p" : "") +
         (completeMatch ? "c" : "") + (matchCase ? "m" : "") + "]" + std::string(pattern);
}

ValueCheck TestSupport::CheckText(std::string_view text) const {
  const auto found = rejected.find(text);
  if (found != rejected.end()) return {false, found->second, Variant()};
  return {true, "", Variant(text)};
}

bool TestSupport::MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                               int32_t) const {
  std::vector<std::string_view> p = Characters(pattern);
  if (!completeMatch) {
    p.insert(p.begin(), "*");
    p.push_back("*");
  }
  return Wildcard(Characters(text), p);
}

void TestSupport::PrepareCombo(IComboBox& combo, std::string_view, std::string_view allText) {
  combo.Clear();
  if (!allText.empty()) combo.AddItem(allText);
}

bool TestSupport::ComboHas(const IComboBox& combo, std::string_view text) const {
  for (int32_t i = 0; i < combo.ListCount(); ++i)
    if (EqualsNoCase(combo.List(i), text)) return true;
  return false;
}

}  // namespace ridirodev::testing
