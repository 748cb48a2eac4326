#include "ridirodev/core/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "testing/errors.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;

TEST(VariantTest, IntegerConversionRoundsHalfToEvenAndChecksRange) {
  const std::pair<Variant, int32_t> cases[] = {{Variant(2.5), 2},
                                               {Variant(3.5), 4},
                                               {Variant(-2.5), -2},
                                               {Variant(2.51), 3},
                                               {Variant("2.5"), 2},
                                               {Variant(Date(46362.5)), 46362},
                                               {Variant(-2147483648.5), INT32_MIN}};
  for (const auto& [v, n] : cases) EXPECT_EQ(v.ToInt32(), n) << v.ToString();
  EXPECT_EQ(ErrorOf([] { Variant(2147483647.5).ToInt32(); }), ErrorNumber::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant("3e9").ToInt32(); }), ErrorNumber::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant::FromInt64(int64_t{1} << 31); }), ErrorNumber::kOverflow);
}

TEST(VariantTest, NullAndNonNumbersFailToConvert) {
  const Variant null = Variant::Null();
  for (const auto& convert : std::vector<std::function<void(const Variant&)>>{
           [](const Variant& v) { v.ToInt32(); }, [](const Variant& v) { v.ToDouble(); },
           [](const Variant& v) { v.ToBool(); }, [](const Variant& v) { v.ToString(); },
           [](const Variant& v) { v.ToDate(); }}) {
    EXPECT_EQ(ErrorOf([&] { convert(null); }), ErrorNumber::kInvalidUseOfNull);
  }
  EXPECT_EQ(ErrorOf([] { Variant("yes").ToBool(); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant("tomorrow").ToDate(); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant::Missing().ToInt32(); }), ErrorNumber::kTypeMismatch);
}

TEST(VariantTest, NumericText) {
  for (const char* text :
       {"", " ", "abc", ".", "-", "1e", "1e+", "e5", "12abc", "1 2", "0x10", "inf", "nan", "1.2.3", "--1"}) {
    const Variant v(text);
    EXPECT_FALSE(v.IsNumeric()) << '"' << text << '"';
    EXPECT_EQ(ErrorOf([&] { v.ToDouble(); }), ErrorNumber::kTypeMismatch) << '"' << text << '"';
  }
  const std::pair<const char*, double> numbers[] = {
      {" 12 ", 12}, {"\t-3.5e2 ", -350}, {"+.5", 0.5}, {"5.", 5}, {"1E+3", 1000}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(Variant(text).ToDouble(), value) << text;
  EXPECT_TRUE(Variant().IsNumeric() && Variant(true).IsNumeric());
  EXPECT_FALSE(Variant::Null().IsNumeric() || Variant(Date(1)).IsNumeric());
}

TEST(VariantTest, BooleansDatesAndText) {
  EXPECT_EQ(std::to_string(Variant(true).ToInt32()) + Variant(true).ToString() + Variant(false).ToString(),
            "-1TrueFalse");
  EXPECT_EQ(Variant(false).ToInt32(), 0);
  for (const auto& [text, value] :
       {std::pair{" true ", true}, std::pair{"FALSE", false}, std::pair{"-1", true}, std::pair{"0", false}})
    EXPECT_EQ(Variant(text).ToBool(), value) << text;

  const Date d = Date::FromParts(2026, 12, 6, 14, 5, 9);
  EXPECT_EQ(Variant(d).ToString(), "12/6/2026 2:05:09 PM");
  EXPECT_EQ(Variant(d.GeneralDate()).ToDate(), d);
  EXPECT_EQ(Variant("2026-12-06T14:05:09").ToDate(), d);
  EXPECT_EQ(Variant("46362.5").ToDate(), Date(46362.5));
}

TEST(VariantTest, DoublesFormatAsShortestText) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"},
      {0.1 + 0.2, "0.3"},
      {-0.5, "-0.5"},
      {2.0 / 3, "0.666666666666667"},
      {10.0, "10"},
      {1500.0, "1500"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {1e20, "1E+20"},
      {1.5e-7, "1.5E-07"},
      {0.0001, "0.0001"},
      {-0.0, "0"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Variant(value).ToString(), text);
}

struct Thing : Object {};
struct OtherThing : Object {};

TEST(VariantTest, Objects) {
  auto thing = std::make_shared<Thing>();
  const Variant v(thing);
  EXPECT_TRUE(v.IsObject() && v.ToObject() == thing && v.As<Thing>() == thing && !v.As<OtherThing>());
  EXPECT_FALSE(Variant(std::shared_ptr<Thing>{}).ToObject() || Variant().ToObject());  // Nothing
  EXPECT_EQ(ErrorOf([&] { v.ToInt32(); }), ErrorNumber::kTypeMismatch);
  for (const Variant& other : {Variant(5), Variant("x")})
    EXPECT_EQ(ErrorOf([&] { other.ToObject(); }), ErrorNumber::kTypeMismatch) << other.ToString();
}

}  // namespace
}  // namespace ridirodev
