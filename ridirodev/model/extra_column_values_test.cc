#include "ridirodev/model/extra_column_values.h"

#include <gtest/gtest.h>

namespace ridirodev {
namespace {

TEST(ExtraColumnValuesTest, TitlesMatchExactlyAndValuesOutgrowTheObject) {
  auto titles = std::make_shared<ExtraColumnValues::Titles>(ExtraColumnValues::Titles{"Vendor", "Form", "Band"});
  ExtraColumnValues loaded(titles);
  for (size_t i = 0; i < loaded.Size(); ++i) loaded.At(i) = Variant(std::to_string(i));
  ASSERT_NE(loaded.Find("Band"), nullptr);
  EXPECT_EQ(*loaded.Find("Band"), Variant("2"));
  EXPECT_EQ(loaded.Find("band"), nullptr);

  // A new title goes to this object's own copy of the titles, never to the shared list.
  ExtraColumnValues built{{"Band", "2"}, {"Vendor", "0"}};
  built.Set("Form", Variant("1"));
  built.Set("Owner", Variant("x"));
  EXPECT_FALSE(built == loaded);
  loaded.Set("Owner", Variant("x"));
  EXPECT_EQ(titles->size(), 3u);
  EXPECT_EQ(built, loaded);  // the same values under the same titles, in another order
  EXPECT_THROW(loaded.At(4), std::out_of_range);
}

}  // namespace
}  // namespace ridirodev
