#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/database.h"

namespace ridirodev {

// What every database object of a host shares: values turned into SQL text and row values read
// back, so that all engines (and the test double) agree on them. Literals: text in single
// quotes with quotes doubled, id 0 as NULL, dates as 'YYYY-MM-DD HH:MM:SS', the current time
// as SYSDATE, Booleans as -1 and 0; lists joined by ",", assignments by ", ". Also the day-slot
// runs of stored hour ranges.
class DatabaseBase : public IDBObject {
 public:
  IDBLiteralPtr TextLiteral(std::string_view text) override;
  IDBLiteralPtr IdLiteral(int32_t id) override;
  IDBLiteralPtr NumberLiteral(const Variant& value, int32_t flags = 0) override;
  IDBLiteralPtr DateLiteral(Date date) override;
  IDBLiteralPtr NowLiteral() override;
  std::string ValueListText(const std::vector<Variant>& values) override;
  std::string AssignmentListText(const std::vector<Variant>& namesAndValues) override;
  std::string ValueText(const Variant& value) override;

  // Null, Empty and Missing read as "", the default, the zero date and False; blank text as the
  // default number; a flag is True for "Y", "True", "-1" and "1" (any case, blanks around).
  std::string FieldText(const Variant& value) override;
  int32_t FieldNumber(const Variant& value) override;
  int32_t FieldNumberOr(const Variant& value, int32_t defaultValue) override;
  Date FieldDate(const Variant& value) override;
  bool FieldFlag(const Variant& value) override;

  // Stored hour ranges hold clock times, whatever the day-slot setting that wrote them.
  SlotRun NextHourRun(int32_t start, const IHourSelection& selection, bool selected = true) override;
  SlotRun NextSecondRun(int32_t start, const IHourSelection& selection, bool selected = true) override;
  SlotRun SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                           int32_t lastSeconds) override;

  static std::string QuoteText(std::string_view text);
  static std::string DateText(Date date);

 protected:
  // source names the object in the errors of the conversions; daySlots are the slots of a day
  // that stored hour ranges are read into.
  explicit DatabaseBase(std::string source, int32_t daySlots = 24)
      : source_(std::move(source)), daySlots_(daySlots) {}
  const std::string& Source() const noexcept { return source_; }

 private:
  std::string source_;
  int32_t daySlots_;
};

}  // namespace ridirodev
