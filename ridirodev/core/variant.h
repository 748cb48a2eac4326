#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "ridirodev/core/date.h"
#include "ridirodev/core/object.h"

namespace ridirodev {

enum class VarType { Empty, Null, Missing, Boolean, Integer, Double, String, Date, Object };

// The automation variant. Conversions follow the automation rules: numbers round half to
// even into 32-bit integers, text converts only when it reads as a number (else type
// mismatch, 13), Null converts to nothing (94), dates become General Date text.
class Variant {
 public:
  struct NullTag {
    friend constexpr bool operator==(NullTag, NullTag) noexcept { return true; }
  };
  struct MissingTag {
    friend constexpr bool operator==(MissingTag, MissingTag) noexcept { return true; }
  };

  Variant() noexcept = default;
  Variant(bool v) noexcept : v_(v) {}
  Variant(int32_t v) noexcept : v_(v) {}
  Variant(double v) noexcept : v_(v) {}
  Variant(const char* v) : v_(std::string(v)) {}
  Variant(std::string v) noexcept : v_(std::move(v)) {}
  Variant(std::string_view v) : v_(std::string(v)) {}
  Variant(Date v) noexcept : v_(v) {}
  template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
  Variant(std::shared_ptr<T> v) noexcept : v_(std::shared_ptr<Object>(std::move(v))) {}
  // Wider integers are narrowed with the overflow check of the platform.
  static Variant FromInt64(int64_t v);

  static Variant Null() { return Variant(NullTag{}); }
  static Variant Missing() { return Variant(MissingTag{}); }

  VarType Type() const noexcept { return static_cast<VarType>(v_.index()); }
  bool IsEmpty() const noexcept { return Type() == VarType::Empty; }
  bool IsNull() const noexcept { return Type() == VarType::Null; }
  bool IsMissing() const noexcept { return Type() == VarType::Missing; }
  bool IsString() const noexcept { return Type() == VarType::String; }
  bool IsObject() const noexcept { return Type() == VarType::Object; }
  bool IsDate() const noexcept { return Type() == VarType::Date; }
  // Integer, Double or Boolean: the kinds a collection takes as a position.
  bool IsNumber() const noexcept;
  // The platform's IsNumeric: numbers, Empty, and text that reads as a number.
  bool IsNumeric() const;

  int32_t ToInt32() const;
  double ToDouble() const;
  bool ToBool() const;
  std::string ToString() const;
  Date ToDate() const;
  std::shared_ptr<Object> ToObject() const;  // nullptr for Nothing; 13 for a non-object
  template <class T>
  std::shared_ptr<T> As() const {
    return std::dynamic_pointer_cast<T>(ToObject());
  }

  // Direct access for callers that already checked the type.
  const std::string& StringRef() const { return std::get<std::string>(v_); }
  // The text moved out of a String variant, which is left holding an empty text.

  friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

  // Parses text as the platform does for numbers: blanks around, sign, digits, one point,
  // an exponent. Returns false for anything else.
  static bool ParseNumber(std::string_view text, double& out);
  // Rounds half to even into 32 bits; throws overflow (6) outside the range.
  static int32_t RoundToInt32(double value);
  // Shortest text that reads back as the same double, at most 15 significant digits.
  static std::string FormatDouble(double value);

 private:
  explicit Variant(NullTag t) noexcept : v_(t) {}
  explicit Variant(MissingTag t) noexcept : v_(t) {}
  using Storage = std::variant<std::monostate, NullTag, MissingTag, bool, int32_t, double, std::string, Date,
                               std::shared_ptr<Object>>;
  Storage v_;
};

}  // namespace ridirodev
