#include "testing/support.h"

#include <cmath>
#include <limits>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "testing/text_util.h"

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

ValueCheck Fail(std::string_view text, std::string_view what) {
  if (TrimBlanks(text).empty()) return {false, "A value is required.", Variant()};
  return {false, "'" + std::string(text) + "' is not " + std::string(what) + ".", Variant()};
}

}  // namespace

// ---- TestPropertySet ----

IAppPropertyDefinitionPtr TestPropertySet::Item(int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return definitions_[static_cast<size_t>(position) - 1];
}

IAppPropertyDefinitionPtr TestPropertySet::ItemById(int32_t id) const {
  for (const auto& definition : definitions_) {
    if (definition->Id() == id) return definition;
  }
  return nullptr;
}

std::vector<int32_t> TestPropertySet::Ids() const {
  std::vector<int32_t> out;
  for (const auto& definition : definitions_) out.push_back(definition->Id());
  return out;
}

std::string TestPropertySet::RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t,
                                         int32_t, int32_t, std::shared_ptr<Object>) const {
  std::vector<IAppPropertyDefinitionPtr> columns;
  for (const auto& definition : definitions_) {
    if (definition->Available()) columns.push_back(definition);
  }
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

// ---- TestStringList ----

void TestStringList::Add(std::string_view value, bool unique, bool ignoreCase) {
  if (unique) {
    for (const auto& present : values_) {
      if (ignoreCase ? EqualsNoCase(present, value) : present == value) return;
    }
  }
  values_.emplace_back(value);
}

std::string TestStringList::Item(int32_t position) const {
  if (position < 1 || position > Count()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "TestStringList", "Subscript out of range");
  }
  return values_[static_cast<size_t>(position) - 1];
}

// ---- TestSupport ----

void TestSupport::Log(int32_t severity, std::string_view component, std::string_view objectName,
                      std::string_view operation, const std::vector<std::string>& messages) {
  logs_.push_back(
      {severity, std::string(component), std::string(objectName), std::string(operation), messages});
}

void TestSupport::SetWaitPointer(bool hourglass) {
  waitPointer_ = hourglass;
  waitPointerHistory_.push_back(hourglass);
}

IAppPropertyDefinitionPtr TestSupport::CreatePropertyDefinition(int32_t id, std::string_view name,
                                                                float width, int32_t a, bool available,
                                                                int32_t b) {
  return std::make_shared<TestPropertyDefinition>(id, std::string(name), width, a, available, b);
}

int32_t TestSupport::CompareText(std::string_view a, std::string_view b, int32_t mode) const {
  if (mode == 0) return CompareNoCase(a, b);
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int32_t TestSupport::CompareDate(Date a, Date b) const { return a < b ? -1 : (b < a ? 1 : 0); }

bool TestSupport::MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                               int32_t) const {
  std::vector<std::string_view> p = Characters(pattern);
  if (!completeMatch) {
    p.insert(p.begin(), "*");
    p.push_back("*");
  }
  return Wildcard(Characters(text), p);
}

ValueCheck TestSupport::CheckInteger(std::string_view text) const {
  double number = 0;
  if (!Variant::ParseNumber(text, number) || number != std::floor(number) ||
      number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max()) {
    return Fail(text, "a whole number");
  }
  return {true, "", Variant(static_cast<int32_t>(number))};
}

ValueCheck TestSupport::CheckNumber(std::string_view text) const {
  double number = 0;
  if (!Variant::ParseNumber(text, number)) return Fail(text, "a number");
  return {true, "", Variant(number)};
}

ValueCheck TestSupport::CheckText(std::string_view text) const { return {true, "", Variant(text)}; }

ValueCheck TestSupport::CheckDate(std::string_view text) const {
  auto date = Date::Parse(TrimBlanks(text));
  if (!date) return Fail(text, "a date");
  return {true, "", Variant(*date)};
}

double TestSupport::ToNumber(std::string_view text) const {
  double number = 0;
  return Variant::ParseNumber(text, number) ? number : 0.0;
}

std::string TestSupport::ToXmlValue(const Variant& value) const {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Missing:
      return {};
    case VarType::Boolean:
      return value.ToBool() ? "true" : "false";
    case VarType::Integer:
      return std::to_string(value.ToInt32());
    case VarType::Double:
      return Variant::FormatDouble(value.ToDouble());
    case VarType::Date:
      return value.ToDate().ToIso();
    case VarType::String:
      return value.StringRef();
    case VarType::Object:
      break;
  }
  throw AutomationError(ErrorNumber::kTypeMismatch, "TestSupport", "Type mismatch");
}

Date TestSupport::FromXmlDate(std::string_view text) const {
  return Date::FromIso(text).value_or(Date::Zero());
}

double TestSupport::FromXmlNumber(std::string_view text) const { return ToNumber(text); }

std::string TestSupport::QuoteQueryString(std::string_view text) const {
  return QuoteWithBackslashes(text);
}

std::string TestSupport::XmlEncode(std::string_view text) const { return XmlEscape(text); }

void TestSupport::PrepareCombo(IComboBox& combo, std::string_view listName, std::string_view allText) {
  comboCalls_.push_back({"prepare", std::string(listName), std::string(allText)});
  combo.Clear();
  if (!allText.empty()) combo.AddItem(allText);
}

void TestSupport::CompleteCombo(IComboBox& combo) {
  comboCalls_.push_back({"complete", "", ""});
  if (combo.ListIndex() < 0 && combo.ListCount() > 0) combo.SetListIndex(0);
}

bool TestSupport::ComboHas(const IComboBox& combo, std::string_view text) const {
  for (int32_t i = 0; i < combo.ListCount(); ++i) {
    if (EqualsNoCase(combo.List(i), text)) return true;
  }
  return false;
}

int32_t TestSupport::DaySlotCount(bool) const { return daySlotCount_; }

}  // namespace ridirodev::testing
