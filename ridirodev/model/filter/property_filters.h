#pragma once

// Filters that narrow a list by one property: a date range or a period back from now, a
// numeric range, a text pattern, or a set of enumerated values. Each tells whether a value
// passes, describes itself for the user, renders itself in the host's query language (and,
// for some kinds, as an SQL condition), and persists through a property bag.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ridirodev/core/date.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/items.h"
#include "ridirodev/model/enums.h"

namespace ridirodev {

class IAppSupport;

// What the host's objects implement to describe a list-view property in a context. The
// defaults describe nothing.
class IPropertyFilter : public Object {
 public:
  virtual ~IPropertyFilter() = default;
  virtual std::string ValueList(const Variant& lvp, const std::string& sContext);
  virtual std::string LabelList(const Variant& lvp, const std::string& sContext);
  virtual EPropertyDataType PropertyType(const Variant& lvp, const std::string& sContext);
};

class CFilterDate : public Object, public IXMLPropertyBag {
 public:
  // "Last 3 days", "Yesterday", "Between <min> and <max>"; "" when nothing is set.
  std::string FilterString() const;
  std::string FilterExpression(const std::string& sField) const;
  // Only a relative period has one: "sysdate -  <field> <= <days>".
  std::string SQLFilterExpression(const std::string& sField) const;
  // Unparsable text is not accepted (unless nothing is set).
  bool IsAccepted(const std::string& sDate) const;

  bool Relative() const noexcept { return relative_; }
  void SetRelative(bool relative) noexcept { relative_ = relative; }
  ERelativeType RelativeType() const noexcept { return relativeType_; }
  void SetRelativeType(ERelativeType type) noexcept { relativeType_ = type; }
  int32_t RelativeUnits() const noexcept { return relativeUnits_; }
  void SetRelativeUnits(int32_t units) noexcept { relativeUnits_ = units; }
  Date MinDate() const noexcept { return minDate_; }
  void SetMinDate(Date date) noexcept { minDate_ = date; }
  // A zero MaxDate means that no absolute range is set.
  Date MaxDate() const noexcept { return maxDate_; }
  void SetMaxDate(Date date) noexcept { maxDate_ = date; }

  void WriteProperties(IPropertyBag& bag) const override;
  void ReadProperties(const IPropertyBag& bag) override;

 private:
  // The relative period in minutes; 0 when not relative or of an unknown type.
  int64_t PeriodMinutes() const;

  bool relative_ = false;
  ERelativeType relativeType_ = ERelativeType::rDays;
  int32_t relativeUnits_ = 0;
  Date minDate_;
  Date maxDate_;
};
using CFilterDatePtr = std::shared_ptr<CFilterDate>;

class CFilterNumber : public Object, public IXMLPropertyBag {
 public:
  bool IsSet() const { return IsMinSet() || IsMaxSet(); }
  bool IsMinSet() const { return !min_.IsEmpty(); }
  bool IsMaxSet() const { return !max_.IsEmpty(); }
  void Clear();
  std::string FilterString() const;
  std::string FilterExpression(const std::string& sField) const;
  std::string SQLFilterExpression(const std::string& sField) const;
  // Both bounds are inclusive; text that is no number passes only when no bound is set.
  bool IsAccepted(const std::string& sNumber) const;

  const Variant& MinValue() const noexcept { return min_; }
  const Variant& MaxValue() const noexcept { return max_; }
  // A number is kept, an empty or blank value clears the bound, anything else is ignored.
  void SetMinValue(const Variant& value) { Store(min_, value); }
  void SetMaxValue(const Variant& value) { Store(max_, value); }

  void WriteProperties(IPropertyBag& bag) const override;
  void ReadProperties(const IPropertyBag& bag) override;

 private:
  static void Store(Variant& bound, const Variant& value);
  std::string Expression(const IAppSupport& support, const std::string& sField, const char* conjunction) const;

  Variant min_;
  Variant max_;
};
using CFilterNumberPtr = std::shared_ptr<CFilterNumber>;

class CFilterString : public Object, public IXMLPropertyBag {
 public:
  // Empties Value and turns pattern matching back on; the match options stay.
  void Clear();
  bool IsSet() const;
  std::string FilterString() const;
  std::string FilterExpression(const std::string& sField) const;
  // Value taken as a regular expression, lower-cased, against the lower-cased field.
  std::string FilterExpressionRE(const std::string& sField) const;
  std::string SQLFilterExpression(const std::string& sField) const;
  bool IsAccepted(const std::string& sExpression) const;

  const std::string& Value() const noexcept { return value_; }
  void SetValue(std::string value) { value_ = std::move(value); }
  bool UsePatternMatching() const noexcept { return usePatternMatching_; }
  void SetUsePatternMatching(bool use) noexcept { usePatternMatching_ = use; }
  bool CompleteMatch() const noexcept { return completeMatch_; }
  void SetCompleteMatch(bool complete) noexcept { completeMatch_ = complete; }
  bool MatchCase() const noexcept { return matchCase_; }
  void SetMatchCase(bool matchCase) noexcept { matchCase_ = matchCase; }

  void WriteProperties(IPropertyBag& bag) const override;
  void ReadProperties(const IPropertyBag& bag) override;

 private:
  std::string value_;
  bool usePatternMatching_ = true;
  bool completeMatch_ = false;
  bool matchCase_ = false;
};
using CFilterStringPtr = std::shared_ptr<CFilterString>;

class CFilterEnum : public Object, public IXMLPropertyBag {
 public:
  void Clear();
  // The accepted values separated by ",".
  const std::string& Value() const noexcept { return value_; }
  void SetValue(const std::string& value);
  std::string FilterString() const;
  // "InGroup(<field>,<values>)", each value in double quotes with fStringValues.
  std::string FilterExpression(const std::string& sField, bool fStringValues = true) const;
  std::string SQLFilterExpression(const std::string& sField) const;
  // With fTechFilter the values are technology letters and any one of them in sExpression
  // passes; otherwise sExpression must equal one of the values.
  bool IsAccepted(const std::string& sExpression, bool fTechFilter) const;

  void WriteProperties(IPropertyBag& bag) const override;
  void ReadProperties(const IPropertyBag& bag) override;

 private:
  std::string value_;
  std::vector<std::string> values_;
};
using CFilterEnumPtr = std::shared_ptr<CFilterEnum>;

}  // namespace ridirodev
