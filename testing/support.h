#pragma once

// The host's support services: diagnostic log, property definitions and sets with their text
// table, string lists, comparisons, the pattern matcher, value checks and conversions, combo
// preparation and the day slots.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/items.h"
#include "ridirodev/host/services.h"
#include "testing/controls.h"

namespace ridirodev::testing {

struct LogEntry {
  int32_t severity = 0;
  std::string component;
  std::string objectName;
  std::string operation;
  std::vector<std::string> messages;
};

struct ComboCall {
  std::string operation;  // "prepare" or "complete"
  std::string listName;   // of a prepare
  std::string allText;    // of a prepare
};

class TestPropertyDefinition final : public IAppPropertyDefinition {
 public:
  TestPropertyDefinition(int32_t id, std::string name, float width, int32_t a = 0, bool available = true,
                         int32_t b = 0)
      : id_(id), name_(std::move(name)), width_(width), a_(a), available_(available), b_(b) {}

  int32_t Id() const override { return id_; }
  std::string Name() const override { return name_; }
  float Width() const override { return width_; }
  bool Available() const override { return available_; }
  // The two option arguments of the factory, as given.
  int32_t A() const noexcept { return a_; }
  int32_t B() const noexcept { return b_; }

 private:
  int32_t id_;
  std::string name_;
  float width_;
  int32_t a_;
  bool available_;
  int32_t b_;
};

// RenderTable writes one line per item, each ending in "\n": the text of the item's value for
// each available definition in order, separated by tabs (Null and Empty as ""). With
// headings, a first line holds the definitions' names the same way.
class TestPropertySet final : public IAppPropertySet {
 public:
  void Add(IAppPropertyDefinitionPtr definition) override { definitions_.push_back(std::move(definition)); }
  int32_t Count() const override { return static_cast<int32_t>(definitions_.size()); }
  IAppPropertyDefinitionPtr Item(int32_t position) const override;
  IAppPropertyDefinitionPtr ItemById(int32_t id) const override;
  std::string RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t a, int32_t b,
                          int32_t c, std::shared_ptr<Object> context) const override;
  // The ids of the definitions in order.
  std::vector<int32_t> Ids() const;

 private:
  std::vector<IAppPropertyDefinitionPtr> definitions_;
};
using TestPropertySetPtr = std::shared_ptr<TestPropertySet>;

// With unique, a value already present (without regard to case when ignoreCase) is not added.
class TestStringList final : public IAppStringList {
 public:
  void Add(std::string_view value, bool unique = true, bool ignoreCase = true) override;
  int32_t Count() const override { return static_cast<int32_t>(values_.size()); }
  std::string Item(int32_t position) const override;  // error 9 outside 1..Count
  const std::vector<std::string>& Values() const noexcept { return values_; }

 private:
  std::vector<std::string> values_;
};

// The support services with plain rules:
// - CompareText answers -1, 0 or 1; mode 0 compares without regard to ASCII case (the host's
//   list collation), any other mode byte by byte. CompareDate orders by the date's time line.
// - MatchPattern: "*" stands for any run of characters, "?" for one character, the rest
//   matches itself without regard to case. Without completeMatch the pattern may match any
//   part of the text. options is ignored.
// - Checks: integer (32-bit whole number), number, date (General Date or ISO text); text
//   always passes. An empty or blank text fails with "A value is required."; other failures
//   say "'<text>' is not a whole number." / "... a number." / "... a date.".
// - ToNumber reads a number and gives 0 for anything else.
// - XML values: dates as ISO text, numbers as the shortest round-trip text, Booleans as true
//   or false, Null and Empty as ""; reading back gives the zero date or 0 for unreadable text.
// - QuoteQueryString puts double quotes around the text and a backslash before each
//   backslash and double quote; XmlEncode escapes & < > " and '.
// - PrepareCombo clears the combo and adds allText when it is not empty; CompleteCombo selects
//   the first item when none is selected. Both are recorded. ComboHas compares without regard
//   to case.
// - DaySlotCount is 24 unless set, whatever the argument.
class TestSupport final : public IAppSupport {
 public:
  void SetExtendedEntityViews(bool value) noexcept { extendedEntityViews_ = value; }
  void SetAppTitle(std::string title) { appTitle_ = std::move(title); }
  void SetDaySlotCount(int32_t count) noexcept { daySlotCount_ = count; }

  const std::vector<LogEntry>& Logs() const noexcept { return logs_; }
  // Every value the wait pointer was set to, in order.
  const std::vector<bool>& WaitPointerHistory() const noexcept { return waitPointerHistory_; }
  const std::vector<ComboCall>& ComboCalls() const noexcept { return comboCalls_; }

  void Log(int32_t severity, std::string_view component, std::string_view objectName,
           std::string_view operation, const std::vector<std::string>& messages) override;
  bool ExtendedEntityViews() override { return extendedEntityViews_; }
  std::string AppTitle() const override { return appTitle_; }
  bool WaitPointer() const override { return waitPointer_; }
  void SetWaitPointer(bool hourglass) override;

  IAppPropertyDefinitionPtr CreatePropertyDefinition(int32_t id, std::string_view name, float width,
                                                     int32_t a, bool available, int32_t b) override;
  IAppPropertySetPtr CreatePropertySet() override { return std::make_shared<TestPropertySet>(); }
  std::shared_ptr<Object> TableRendererContext() override { return rendererContext_; }
  IAppStringListPtr CreateStringList() override { return std::make_shared<TestStringList>(); }

  int32_t CompareText(std::string_view a, std::string_view b, int32_t mode = 0) const override;
  int32_t CompareDate(Date a, Date b) const override;
  bool MatchPattern(std::string_view text, std::string_view pattern, bool completeMatch,
                    int32_t options) const override;

  ValueCheck CheckInteger(std::string_view text) const override;
  ValueCheck CheckNumber(std::string_view text) const override;
  ValueCheck CheckText(std::string_view text) const override;
  ValueCheck CheckDate(std::string_view text) const override;
  double ToNumber(std::string_view text) const override;

  std::string ToXmlValue(const Variant& value) const override;
  Date FromXmlDate(std::string_view text) const override;
  double FromXmlNumber(std::string_view text) const override;
  std::string QuoteQueryString(std::string_view text) const override;
  std::string XmlEncode(std::string_view text) const override;

  void PrepareCombo(IComboBox& combo, std::string_view listName, std::string_view allText) override;
  void CompleteCombo(IComboBox& combo) override;
  bool ComboHas(const IComboBox& combo, std::string_view text) const override;

  int32_t DaySlotCount(bool fromSettings = true) const override;
  IHourSelectionPtr CreateHourSelection() override { return std::make_shared<TestHourSelection>(); }

 private:
  bool extendedEntityViews_ = false;
  std::string appTitle_ = "Ridirodev Test";
  bool waitPointer_ = false;
  int32_t daySlotCount_ = 24;
  std::vector<LogEntry> logs_;
  std::vector<bool> waitPointerHistory_;
  std::vector<ComboCall> comboCalls_;
  std::shared_ptr<Object> rendererContext_ = std::make_shared<Object>();
};
using TestSupportPtr = std::shared_ptr<TestSupport>;

}  // namespace ridirodev::testing
