#include "ridirodev/model/filter/property_filters.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {
namespace {

// A property absent from the bag leaves the setting as it was, and so does a value that
// cannot be converted: a bag with a bad value simply does not set it.
template <class Apply>
void ReadInto(const IPropertyBag& bag, std::string_view name, Apply apply) {
  const Variant value = bag.ReadProperty(name, Variant::Missing());
  if (value.IsMissing()) return;
  try {
    apply(value);
  } catch (const AutomationError&) {
  }
}

std::optional<Date> ParseDate(const std::string& text) { return Date::Parse(TrimBlanks(text)); }

}  // namespace

std::string IPropertyFilter::ValueList(const Variant&, const std::string&) { return ""; }
std::string IPropertyFilter::LabelList(const Variant&, const std::string&) { return ""; }
EPropertyDataType IPropertyFilter::PropertyType(const Variant&, const std::string&) {
  return EPropertyDataType::pdtInteger;
}

// ---- CFilterDate ---------------------------------------------------------------------------

int64_t CFilterDate::PeriodMinutes() const {
  if (!relative_) return 0;
  const int64_t units = relativeUnits_;
  switch (relativeType_) {
    case ERelativeType::rHours:
      return units * 60;
    case ERelativeType::rDays:
      return units * 1440;
    case ERelativeType::rMonths: {
      // Calendar months back from now, counted in whole days. Ten thousand years either way
      // covers every date there is, and keeps the negation of the stored count defined.
      const Date now = Date::Now();
      const auto months = static_cast<int32_t>(std::clamp<int64_t>(-units, -120'000, 120'000));
      const double days = now.Serial() - now.AddMonths(months).Serial();
      return static_cast<int64_t>(std::floor(days + 1e-6)) * 1440;
    }
    case ERelativeType::rMinutes:
      return units;
  }
  return 0;
}

std::string CFilterDate::FilterString() const {
  if (relative_) {
    const bool several = relativeUnits_ >= 2;
    const std::string last = "Last " + std::to_string(relativeUnits_);
    switch (relativeType_) {
      case ERelativeType::rHours:
        return several ? last + " hours" : "Last hour";
      case ERelativeType::rDays:
        return several ? last + " days" : "Yesterday";
      case ERelativeType::rMonths:
        return several ? last + " months" : "Last month";
      case ERelativeType::rMinutes:
        return several ? last + " minutes" : "Last minute";
    }
    return "";
  }
  if (maxDate_.IsZero()) return "";
  return "Between " + Variant(minDate_).ToString() + " and " + Variant(maxDate_).ToString();
}

std::string CFilterDate::FilterExpression(const std::string& sField) const {
  if (relative_) {
    return sField + " <= systime() && " + sField + " >= systime()-(" + std::to_string(PeriodMinutes() * 60) +
           ")";
  }
  if (maxDate_.IsZero()) return "";
  const IAppSupport& support = MRidirodev::Current().Support();
  return sField + " >= '" + support.FormatDate(minDate_, 4) + "' && " + sField + " <= '" +
         support.FormatDate(maxDate_, 4) + "'";
}

std::string CFilterDate::SQLFilterExpression(const std::string& sField) const {
  if (!relative_) return "";
  return "sysdate -  " + sField + " <= " + Variant(static_cast<double>(PeriodMinutes()) / 1440.0).ToString();
}

bool CFilterDate::IsAccepted(const std::string& sDate) const {
  if (relative_) {
    const std::optional<Date> date = ParseDate(sDate);
    if (!date) return false;
    const Date now = Date::Now();
    const Date earliest = now.AddDays(-static_cast<double>(PeriodMinutes()) / 1440.0);
    return !(now < *date) && !(*date < earliest);
  }
  if (maxDate_.IsZero()) return true;
  const std::optional<Date> date = ParseDate(sDate);
  return date && !(*date < minDate_) && !(maxDate_ < *date);
}

void CFilterDate::WriteProperties(IPropertyBag& bag) const {
  const IAppSupport& support = MRidirodev::Current().Support();
  bag.WriteProperty("Relative", Variant(relative_));
  bag.WriteProperty("RelativeType", Variant(static_cast<int32_t>(relativeType_)));
  bag.WriteProperty("RelativeUnits", Variant(relativeUnits_));
  bag.WriteProperty("MinDate", Variant(support.ToXmlValue(Variant(minDate_))));
  bag.WriteProperty("MaxDate", Variant(support.ToXmlValue(Variant(maxDate_))));
}

void CFilterDate::ReadProperties(const IPropertyBag& bag) {
  const IAppSupport& support = MRidirodev::Current().Support();
  ReadInto(bag, "Relative", [&](const Variant& v) { relative_ = v.ToBool(); });
  ReadInto(bag, "RelativeType",
           [&](const Variant& v) { relativeType_ = static_cast<ERelativeType>(v.ToInt32()); });
  ReadInto(bag, "RelativeUnits", [&](const Variant& v) { relativeUnits_ = v.ToInt32(); });
  ReadInto(bag, "MinDate", [&](const Variant& v) { minDate_ = support.FromXmlDate(v.ToString()); });
  ReadInto(bag, "MaxDate", [&](const Variant& v) { maxDate_ = support.FromXmlDate(v.ToString()); });
}

// ---- CFilterNumber -------------------------------------------------------------------------

void CFilterNumber::Store(Variant& bound, const Variant& value) {
  if (value.IsEmpty() || (value.IsString() && TrimBlanks(value.ToString()).empty())) {
    bound = Variant();
  } else if (!value.IsObject() && !value.IsNull() && value.IsNumeric()) {
    bound = Variant(value.ToDouble());
  }
}

void CFilterNumber::Clear() {
  min_ = Variant();
  max_ = Variant();
}

std::string CFilterNumber::FilterString() const {
  if (IsMinSet() && IsMaxSet()) {
    if (min_.ToDouble() == max_.ToDouble()) return "Equal to " + min_.ToString();
    return "Between " + min_.ToString() + " and " + max_.ToString();
  }
  if (IsMinSet()) return min_.ToString() + " or greater";
  if (IsMaxSet()) return max_.ToString() + " or lesser";
  return "";
}

std::string CFilterNumber::Expression(const IAppSupport& support, const std::string& sField,
                                      const char* conjunction) const {
  std::string expression;
  if (IsMinSet()) expression = sField + " >= " + support.ToXmlValue(min_);
  if (IsMinSet() && IsMaxSet()) expression += conjunction;
  if (IsMaxSet()) expression += sField + " <= " + support.ToXmlValue(max_);
  return expression;
}

std::string CFilterNumber::FilterExpression(const std::string& sField) const {
  return Expression(MRidirodev::Current().Support(), sField, " && ");
}

std::string CFilterNumber::SQLFilterExpression(const std::string& sField) const {
  return Expression(MRidirodev::Current().Support(), sField, " AND ");
}

bool CFilterNumber::IsAccepted(const std::string& sNumber) const {
  if (!IsSet()) return true;
  const Variant text(sNumber);
  if (!text.IsNumeric() || TrimBlanks(sNumber).empty()) return false;
  const double number = text.ToDouble();
  return !(IsMinSet() && number < min_.ToDouble()) && !(IsMaxSet() && number > max_.ToDouble());
}

void CFilterNumber::WriteProperties(IPropertyBag& bag) const {
  const IAppSupport& support = MRidirodev::Current().Support();
  bag.WriteProperty("MinValue", Variant(support.ToXmlValue(min_)));
  bag.WriteProperty("MaxValue", Variant(support.ToXmlValue(max_)));
}

void CFilterNumber::ReadProperties(const IPropertyBag& bag) {
  const IAppSupport& support = MRidirodev::Current().Support();
  const auto bound = [&](Variant& target) {
    return [&](const Variant& v) {
      const std::string text = v.ToString();
      if (TrimBlanks(text).empty()) {
        target = Variant();
      } else if (Variant(text).IsNumeric()) {
        target = Variant(support.FromXmlNumber(text));
      }
    };
  };
  ReadInto(bag, "MinValue", bound(min_));
  ReadInto(bag, "MaxValue", bound(max_));
}

// ---- CFilterString -------------------------------------------------------------------------

void CFilterString::Clear() {
  value_.clear();
  usePatternMatching_ = true;
}

bool CFilterString::IsSet() const { return !TrimBlanks(value_).empty(); }

std::string CFilterString::FilterString() const { return IsSet() ? value_ : std::string(); }

std::string CFilterString::FilterExpression(const std::string& sField) const {
  if (!IsSet()) return "";
  const IAppSupport& support = MRidirodev::Current().Support();
  const std::string regex =
      support.PatternRegex(value_, false, usePatternMatching_, completeMatch_, matchCase_);
  if (regex.empty()) return "";
  return "matchesRE( " + sField + ", " + support.QuoteQueryString(regex) + " )";
}

std::string CFilterString::FilterExpressionRE(const std::string& sField) const {
  if (!IsSet()) return "";
  std::string escaped;
  for (char c : value_) {
    if (c == '[' || c == ']') escaped += "\\\\";
    escaped += c;
  }
  return "matchesRE( tolower(" + sField + ")," + MRidirodev::Current().Support().QuoteQueryString(ToLower(escaped)) + ")";
}

std::string CFilterString::SQLFilterExpression(const std::string& sField) const {
  if (!IsSet()) return "";
  return sField + " LIKE " + MRidirodev::Current().Database().TextLiteral(value_)->Text();
}

bool CFilterString::IsAccepted(const std::string& sExpression) const {
  if (!IsSet()) return true;
  const IAppSupport& support = MRidirodev::Current().Support();
  if (usePatternMatching_) {
    return support.MatchPattern(sExpression, value_, completeMatch_, matchCase_ ? kPatternMatchCase : 0);
  }
  if (completeMatch_) return support.TextEquals(sExpression, value_, matchCase_);
  if (matchCase_) return sExpression.find(value_) != std::string::npos;
  return ToLower(sExpression).find(ToLower(value_)) != std::string::npos;
}

void CFilterString::WriteProperties(IPropertyBag& bag) const {
  bag.WriteProperty("StringValue", Variant(value_));
  bag.WriteProperty("PatternMatch", Variant(usePatternMatching_));
  bag.WriteProperty("CompleteMatch", Variant(completeMatch_));
  bag.WriteProperty("MatchCase", Variant(matchCase_));
}

void CFilterString::ReadProperties(const IPropertyBag& bag) {
  ReadInto(bag, "StringValue", [&](const Variant& v) { value_ = v.ToString(); });
  ReadInto(bag, "PatternMatch", [&](const Variant& v) { usePatternMatching_ = v.ToBool(); });
  ReadInto(bag, "CompleteMatch", [&](const Variant& v) { completeMatch_ = v.ToBool(); });
  ReadInto(bag, "MatchCase", [&](const Variant& v) { matchCase_ = v.ToBool(); });
}

// ---- CFilterEnum ---------------------------------------------------------------------------

void CFilterEnum::Clear() {
  value_.clear();
  values_.clear();
}

void CFilterEnum::SetValue(const std::string& value) {
  if (value == value_) return;
  value_ = value;
  values_.clear();
  for (size_t start = 0;;) {
    const size_t comma = value.find(',', start);
    values_.push_back(value.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

std::string CFilterEnum::FilterString() const { return value_; }

std::string CFilterEnum::FilterExpression(const std::string& sField, bool fStringValues) const {
  if (value_.empty()) return "";
  std::string expression = "InGroup(" + sField + ",";
  for (size_t i = 0; i < values_.size(); ++i) {
    if (i > 0) expression += ",";
    expression += fStringValues ? "\"" + values_[i] + "\"" : values_[i];
  }
  return expression + ")";
}

std::string CFilterEnum::SQLFilterExpression(const std::string&) const { return ""; }

bool CFilterEnum::IsAccepted(const std::string& sExpression, bool fTechFilter) const {
  if (value_.empty()) return true;
  if (sExpression.empty()) return false;
  if (fTechFilter) {
    for (char c : value_) {
      if (c != ',' && sExpression.find(c) != std::string::npos) return true;
    }
    return false;
  }
  for (const std::string& v : values_) {
    if (v == sExpression) return true;
  }
  return false;
}

void CFilterEnum::WriteProperties(IPropertyBag& bag) const {
  bag.WriteProperty("EnumValue", Variant(MRidirodev::Current().Support().XmlEncode(value_)));
}

void CFilterEnum::ReadProperties(const IPropertyBag& bag) {
  // The value is stored encoded for XML; decoding it gives back what was written.
  ReadInto(bag, "EnumValue", [&](const Variant& v) { SetValue(XmlUnescape(v.ToString())); });
}

}  // namespace ridirodev
