#include "ridirodev/host/database_base.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/controls.h"

namespace ridirodev {
namespace {

bool IsNullish(const Variant& value) { return value.IsNull() || value.IsEmpty() || value.IsMissing(); }

IDBLiteralPtr Literal(std::string text) { return std::make_shared<DBLiteral>(std::move(text)); }

std::string NumberText(const Variant& value) {
  if (value.Type() == VarType::Integer) return value.ToString();
  return Variant::FormatDouble(value.ToDouble());
}

}  // namespace

std::string DatabaseBase::QuoteText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

std::string DatabaseBase::DateText(Date date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d %02d:%02d:%02d'", date.Year(), date.Month(), date.Day(), date.Hour(),
                date.Minute(), date.Second());
  return buf;
}

IDBLiteralPtr DatabaseBase::TextLiteral(std::string_view text) { return Literal(QuoteText(text)); }

IDBLiteralPtr DatabaseBase::IdLiteral(int32_t id) { return Literal(id == 0 ? std::string("NULL") : std::to_string(id)); }

IDBLiteralPtr DatabaseBase::NumberLiteral(const Variant& value, int32_t /*flags*/) {
  return Literal(IsNullish(value) ? std::string("NULL") : NumberText(value));
}

IDBLiteralPtr DatabaseBase::DateLiteral(Date date) { return Literal(DateText(date)); }

IDBLiteralPtr DatabaseBase::NowLiteral() { return Literal("SYSDATE"); }

std::string DatabaseBase::ValueText(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Missing:
      return "NULL";
    case VarType::Boolean:
      return value.ToBool() ? "-1" : "0";
    case VarType::Integer:
    case VarType::Double:
      return NumberText(value);
    case VarType::String:
      return QuoteText(value.StringRef());
    case VarType::Date:
      return DateText(value.ToDate());
    case VarType::Object: {
      if (auto literal = value.As<IDBLiteral>()) return literal->Text();
      if (!value.ToObject()) return "NULL";
      throw AutomationError(ErrorNumber::kTypeMismatch, source_, "An object that is not a literal has no SQL text.");
    }
  }
  return "NULL";
}

std::string DatabaseBase::ValueListText(const std::vector<Variant>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += ValueText(values[i]);
  }
  return out;
}

std::string DatabaseBase::AssignmentListText(const std::vector<Variant>& namesAndValues) {
  if (namesAndValues.size() % 2 != 0) {
    throw AutomationError(ErrorNumber::kInvalidArgument, source_,
                          "An assignment list needs a value for every column name.");
  }
  std::string out;
  for (size_t i = 0; i < namesAndValues.size(); i += 2) {
    if (i) out += ", ";
    out += namesAndValues[i].ToString() + " = " + ValueText(namesAndValues[i + 1]);
  }
  return out;
}

std::string DatabaseBase::FieldText(const Variant& value) {
  if (IsNullish(value)) return {};
  if (value.IsDate()) return value.ToDate().GeneralDate();
  return value.ToString();
}

int32_t DatabaseBase::FieldNumber(const Variant& value) { return FieldNumberOr(value, 0); }

int32_t DatabaseBase::FieldNumberOr(const Variant& value, int32_t defaultValue) {
  if (IsNullish(value)) return defaultValue;
  if (value.IsString() && TrimBlanks(value.StringRef()).empty()) return defaultValue;
  return value.ToInt32();
}

Date DatabaseBase::FieldDate(const Variant& value) { return IsNullish(value) ? Date::Zero() : value.ToDate(); }

bool DatabaseBase::FieldFlag(const Variant& value) {
  if (IsNullish(value)) return false;
  if (value.IsString()) {
    const std::string_view s = TrimBlanks(value.StringRef());
    return EqualsNoCase(s, "Y") || EqualsNoCase(s, "True") || s == "-1" || s == "1";
  }
  return value.ToBool();
}

// Stored hour ranges hold clock times whatever the day-slot setting that wrote them: the hour
// columns the hours of the day (1 to 24) a run touches, the seconds columns the second of the
// day it starts at and the one it ends on. Up to 24 slots a slot is read as an hour.
namespace {

constexpr int64_t kSecondsPerHour = 3600;
constexpr int64_t kSecondsPerDay = 86400;

// The seconds of the day at which slots run.first to run.last of selection start and end.
SlotRun SecondsOf(const IHourSelection& selection, SlotRun run) {
  const int64_t n = std::max<int32_t>(selection.Count(), 1);
  const int64_t base = selection.FirstIndex();
  return SlotRun{static_cast<int32_t>((run.first - base) * kSecondsPerDay / n),
                 static_cast<int32_t>((run.last - base + 1) * kSecondsPerDay / n - 1)};
}

SlotRun NextSlotRun(int32_t start, const IHourSelection& selection, bool selected) {
  const int32_t first = selection.FirstIndex();
  const int32_t last = first + selection.Count() - 1;
  int32_t i = std::max(start, first);
  while (i <= last && selection.Selected(i) != selected) ++i;
  if (i > last) return SlotRun{0, 0};
  int32_t j = i;
  while (j + 1 <= last && selection.Selected(j + 1) == selected) ++j;
  return SlotRun{i, j};
}

}  // namespace

SlotRun DatabaseBase::NextHourRun(int32_t start, const IHourSelection& selection, bool selected) {
  const SlotRun run = NextSlotRun(start, selection, selected);
  if (run.first < 1 || selection.Count() <= 24) return run;
  const SlotRun seconds = SecondsOf(selection, run);
  return SlotRun{static_cast<int32_t>(seconds.first / kSecondsPerHour + 1),
                 static_cast<int32_t>(seconds.last / kSecondsPerHour + 1)};
}

SlotRun DatabaseBase::NextSecondRun(int32_t start, const IHourSelection& selection, bool selected) {
  const SlotRun run = NextSlotRun(start, selection, selected);
  return run.first < 1 ? run : SecondsOf(selection, run);
}

SlotRun DatabaseBase::SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                                         int32_t lastSeconds) {
  const int64_t n = daySlots_;
  if (n <= 24) return SlotRun{firstHour, lastHour};
  // Without seconds the run covers its hours whole.
  int64_t start = firstSeconds, end = lastSeconds;
  if (start < 0 || end < 0) {
    start = (firstHour - int64_t{1}) * kSecondsPerHour;
    end = lastHour * kSecondsPerHour - 1;
  }
  // Every slot the run touches. Times outside the day give slots outside it, which the reader
  // leaves out.
  const auto slot = [n](int64_t second) {
    const int64_t scaled = second * n;
    return static_cast<int32_t>(scaled / kSecondsPerDay - (scaled % kSecondsPerDay < 0 ? 1 : 0) + 1);
  };
  return SlotRun{slot(start), slot(end)};
}

}  // namespace ridirodev
