#include "ridirodev/model/enum_values.h"

#include <gtest/gtest.h>

#include "testing/errors.h"

namespace ridirodev {
namespace {

TEST(EnumValuesTest, ValuesAreKeyedByStoredValue) {
  CEnumValues values;
  for (const char* key : {"1", "bar", "Bar"}) {
    auto v = std::make_shared<CEnumValue>();
    v->Initialize(key, std::string("meaning of ") + key);
    EXPECT_EQ(testing::ErrorOf([&] { values.Add(v); }), key[0] == 'B' ? ErrorNumber::kDuplicateKey : 0);
  }
  EXPECT_EQ(values.Count(), 2);
  EXPECT_EQ(values.Item("BAR")->Description(), "meaning of bar");
  // A key that looks like a number is found as text; a number is a position.
  EXPECT_EQ(values.Item("1")->Key(), "1");
  EXPECT_EQ(values.Item(2)->Key(), "bar");
}

}  // namespace
}  // namespace ridirodev
