#include "ridirodev/core/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "ridirodev/core/automation_error.h"

namespace ridirodev {
namespace {

[[noreturn]] void TypeMismatch() { throw AutomationError(ErrorNumber::kTypeMismatch, "Variant", "Type mismatch"); }
[[noreturn]] void InvalidNull() {
  throw AutomationError(ErrorNumber::kInvalidUseOfNull, "Variant", "Invalid use of Null");
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

Variant Variant::FromInt64(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    throw AutomationError(ErrorNumber::kOverflow, "Variant", "Overflow");
  }
  return Variant(static_cast<int32_t>(v));
}

bool Variant::IsNumber() const noexcept {
  const VarType t = Type();
  return t == VarType::Integer || t == VarType::Double || t == VarType::Boolean;
}

bool Variant::IsNumeric() const {
  switch (Type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Double:
      return true;
    case VarType::String: {
      double d = 0;
      return ParseNumber(StringRef(), d);
    }
    default:
      return false;
  }
}

bool Variant::ParseNumber(std::string_view text, double& out) {
  const std::string_view s = Trim(text);
  if (s.empty()) return false;
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  const std::string copy(s);
  out = std::strtod(copy.c_str(), nullptr);
  return std::isfinite(out);
}

int32_t Variant::RoundToInt32(double value) {
  const double r = std::nearbyint(value);  // default rounding mode: half to even
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
    throw AutomationError(ErrorNumber::kOverflow, "Variant", "Overflow");
  }
  return static_cast<int32_t>(r);
}

std::string Variant::FormatDouble(double value) {
  if (value == 0) return "0";
  char buf[40];
  // Fifteen significant digits with trailing zeros dropped: the shortest text when one reads
  // back, and fixed notation up to 1E+15 (a shorter precision would print 10 as "1E+01").
  // Exponents are written with at least two digits ("1E+20", "1.5E-07"), as the platform does.
  std::snprintf(buf, sizeof buf, "%.15G", value);
  return buf;
}

int32_t Variant::ToInt32() const {
  // Integers and booleans pass through a double exactly; everything else rounds half to even.
  return Type() == VarType::Integer ? std::get<int32_t>(v_) : RoundToInt32(ToDouble());
}

double Variant::ToDouble() const {
  switch (Type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      InvalidNull();
    case VarType::Boolean:
      return std::get<bool>(v_) ? -1 : 0;
    case VarType::Integer:
      return std::get<int32_t>(v_);
    case VarType::Double:
      return std::get<double>(v_);
    case VarType::String: {
      double d = 0;
      if (!ParseNumber(StringRef(), d)) TypeMismatch();
      return d;
    }
    case VarType::Date:
      return std::get<Date>(v_).Serial();
    default:
      TypeMismatch();
  }
}

bool Variant::ToBool() const {
  switch (Type()) {
    case VarType::Empty:
      return false;
    case VarType::Null:
      InvalidNull();
    case VarType::Boolean:
      return std::get<bool>(v_);
    case VarType::String: {
      const std::string_view s = Trim(StringRef());
      if (EqualsNoCase(s, "True")) return true;
      if (EqualsNoCase(s, "False")) return false;
      double d = 0;
      if (!ParseNumber(s, d)) TypeMismatch();
      return d != 0;
    }
    case VarType::Integer:
    case VarType::Double:
    case VarType::Date:
      return ToDouble() != 0;
    default:
      TypeMismatch();
  }
}

std::string Variant::ToString() const {
  switch (Type()) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      InvalidNull();
    case VarType::Boolean:
      return std::get<bool>(v_) ? "True" : "False";
    case VarType::Integer:
      return std::to_string(std::get<int32_t>(v_));
    case VarType::Double:
      return FormatDouble(std::get<double>(v_));
    case VarType::String:
      return StringRef();
    case VarType::Date:
      return std::get<Date>(v_).GeneralDate();
    default:
      TypeMismatch();
  }
}

Date Variant::ToDate() const {
  switch (Type()) {
    case VarType::Null:
      InvalidNull();
    case VarType::Date:
      return std::get<Date>(v_);
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Double:
      return Date(ToDouble());
    case VarType::String: {
      if (auto d = Date::Parse(StringRef())) return *d;
      double n = 0;
      if (ParseNumber(StringRef(), n)) return Date(n);
      TypeMismatch();
    }
    default:
      TypeMismatch();
  }
}

std::shared_ptr<Object> Variant::ToObject() const {
  if (Type() == VarType::Object) return std::get<std::shared_ptr<Object>>(v_);
  if (Type() == VarType::Empty) return nullptr;
  TypeMismatch();
}

}  // namespace ridirodev
