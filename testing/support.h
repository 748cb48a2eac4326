#pragma once

// The host's support services: diagnostic log, property sets with a tabbed text table,
// comparisons, the pattern matcher, value checks and conversions, combo preparation and the day
// slots. String lists, hour selections and property definitions are the standalone host's.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/host/items.h"
#include "ridirodev/host/services.h"
#include "standalone/controls.h"
#include "standalone/property_set.h"

namespace ridirodev::testing {

struct LogEntry {
  int32_t severity = 0;
  std::string component;
  std::string objectName;
  std::string operation;
  std::vector<std::string> messages;
};

// Takes the arguments of IAppSupport::CreatePropertyDefinition.
class TestPropertyDefinition final : public standalone::PropertyDefinition {
 public:
  TestPropertyDefinition(int32_t id, std::string name, float width, int32_t = 0, bool available = true,
                         int32_t = 0)
      : PropertyDefinition(id, std::move(name), width, available) {}
};

// The standalone host's set with a table a test can spell out: a line per item, each ending in
// "\n", of the item's values for the available definitions in order, separated by tabs (Null and
// Empty as ""). With headings, a first line holds the definitions' names the same way.
class TestPropertySet final : public standalone::PropertySet {
 public:
  std::string RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t a, int32_t b,
                          int32_t c, std::shared_ptr<Object> context) const override;
};

// The standalone host's combo box, with its items as one list for a test to compare.
struct TestComboBox final : standalone::ComboBox {
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (int32_t i = 0; i < ListCount(); ++i) items.push_back(List(i));
    return items;
  }
};

// The support services with plain rules:
// - CompareText answers -1, 0 or 1; mode 0 ignores ASCII case (the host's list collation), any
//   other compares bytes. MatchPattern: "*" is any run of characters, "?" one, the rest matches
//   itself without regard to case; without completeMatch any part of the text may match.
// - ToNumber and FromXmlNumber give 0 for what is not a number; ToXmlValue is the value's text
//   ("" for Null and Empty, ISO for a date); FromXmlDate reads ISO text (else the zero date).
// - QuoteQueryString quotes with double quotes and backslashes; XmlEncode escapes & < > " and '.
// - PrepareCombo clears the combo and adds allText unless empty; CompleteCombo selects the first
//   item when none is; ComboHas ignores case. The day has 24 slots.
class TestSupport final : public IAppSupport {
 public:
  void SetExtendedEntityViews(bool value) noexcept { extendedEntityViews_ = value; }
  void SetAppTitle(std::string title) { appTitle_ = std::move(title); }
  const std::vector<LogEntry>& Logs() const noexcept { return logs_; }

  void Log(int32_t severity, std::string_view component, std::string_view objectName,
           std::string_view operation, const std::vector<std::string>& messages) override {
    logs_.push_back({severity, std::string(component), std::string(objectName), std::string(operation), messages});
  }
  bool ExtendedEntityViews() override { return extendedEntityViews_; }
  std::string AppTitle() const override { return appTitle_; }
  bool WaitPointer() const override { return waitPointer_; }
  void SetWaitPointer(bool hourglass) override { waitPointer_ = hourglass; }

  IAppPropertyDefinitionPtr CreatePropertyDefinition(int32_t id, std::string_view name, float width,
                                                     int32_t a, bool available, int32_t b) override {
    return std::make_shared<TestPropertyDefinition>(id, std::string(name), width, a, available, b);
  }
  IAppPropertySetPtr CreatePropertySet() override { return std::make_shared<TestPropertySet>(); }
  std::shared_ptr<Object> TableRendererContext() override { return rendererContext_; }
  IAppStringListPtr CreateStringList() override { return std::make_shared<standalone::StringList>(); }

  int32_t CompareText(std::string_view a, std::string_view b, int32_t mode = 0) const override;
  int32_t CompareDate(Date a, Date b) const override { return a < b ? -1 : (b < a ? 1 : 0); }
  bool MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                    int32_t options) const override;

  // The pattern itself, in brackets naming the options that were set: "[pcm]abc*".
  std::string PatternRegex(std::string_view pattern, bool isRegularExpression, bool usePatternMatching,
                           bool completeMatch, bool matchCase) const override;
  bool TextEquals(std::string_view a, std::string_view b, bool matchCase) const override {
    return CompareText(a, b, matchCase ? 1 : 0) == 0;
  }
  // "style N:" and the ISO text.
  std::string FormatDate(Date date, int32_t style) const override {
    return "style " + std::to_string(style) + ":" + date.ToIso();
  }

  // A text listed in rejected fails every check with its message; other texts pass.
  ValueCheck CheckInteger(std::string_view text) const override { return CheckText(text); }
  ValueCheck CheckNumber(std::string_view text) const override { return CheckText(text); }
  ValueCheck CheckText(std::string_view text) const override;
  ValueCheck CheckDate(std::string_view text) const override { return CheckText(text); }
  std::map<std::string, std::string, std::less<>> rejected;
  double ToNumber(std::string_view text) const override {
    double number = 0;
    return Variant::ParseNumber(text, number) ? number : 0.0;
  }

  std::string ToXmlValue(const Variant& value) const override {
    if (value.IsNull() || value.IsEmpty()) return "";
    return value.Type() == VarType::Date ? value.ToDate().ToIso() : value.ToString();
  }
  Date FromXmlDate(std::string_view text) const override { return Date::FromIso(text).value_or(Date::Zero()); }
  double FromXmlNumber(std::string_view text) const override { return ToNumber(text); }
  std::string QuoteQueryString(std::string_view text) const override { return QuoteWithBackslashes(text); }
  std::string XmlEncode(std::string_view text) const override { return XmlEscape(text); }

  void PrepareCombo(IComboBox& combo, std::string_view listName, std::string_view allText) override;
  void CompleteCombo(IComboBox& combo) override {
    if (combo.ListIndex() < 0 && combo.ListCount() > 0) combo.SetListIndex(0);
  }
  bool ComboHas(const IComboBox& combo, std::string_view text) const override;

  int32_t DaySlotCount(bool = true) const override { return 24; }
  IHourSelectionPtr CreateHourSelection() override { return std::make_shared<standalone::HourSelection>(); }

 private:
  bool extendedEntityViews_ = false;
  std::string appTitle_ = "Ridirodev Test";
  bool waitPointer_ = false;
  std::vector<LogEntry> logs_;
  std::shared_ptr<Object> rendererContext_ = std::make_shared<Object>();
};
using TestSupportPtr = std::shared_ptr<TestSupport>;

}  // namespace ridirodev::testing
