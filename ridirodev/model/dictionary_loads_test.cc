#include "ridirodev/model/dictionary_loads.h"

#include <gtest/gtest.h>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using DictionaryLoadsTest = testing::HostTest;

TEST_F(DictionaryLoadsTest, EnumeratedValuesAreGroupedByFieldThroughTheRowSetFilter) {
  db().AddRows(sql::EnumFieldIdsStatement(), {{"field_id"}, {{7}, {9}}});
  db().AddRows(sql::EnumValuesStatement(),
               {{"FIELD_ID", "Enum_Key", "Enum_Desc"},
                {{7, "0", "Idle"}, {9, "1", "Up"}, {7, "1", Variant::Null()}, {9, "2", "Down"}}});
  std::shared_ptr<CEnumValues> seven = state().EnumValues(7), nine = state().EnumValues(9);
  ASSERT_TRUE(seven && nine);
  ASSERT_EQ(seven->Count(), 2);
  EXPECT_EQ(nine->Count(), 2);
  // Keyed by the stored value: a number is a position, a text that looks like one a key.
  auto first = seven->Item(Variant(1)), keyed = seven->Item(Variant("1"));
  ASSERT_TRUE(first && keyed);
  EXPECT_EQ(first->Description(), "Idle");
  EXPECT_EQ(keyed->Description(), "");
  EXPECT_EQ(state().EnumValues(8), nullptr);
  EXPECT_EQ(host_->Journal().Lines().size(), 2u);  // one load serves every field
}

TEST_F(DictionaryLoadsTest, NothingLoadsNothingAndEmptyEnumCacheIsRefilled) {
  db().AddRows(sql::FunctionsStatement(), testing::ScriptedRows::Nothing());
  EXPECT_EQ(GRidirodev::Functions()->Count(), 0);
  EXPECT_EQ(state().EnumValues(1), nullptr);
  EXPECT_EQ(state().EnumValues(1), nullptr);
  EXPECT_EQ(host_->Journal().Lines().size(), 5u);  // functions once, the empty enum cache twice
}

TEST_F(DictionaryLoadsTest, FunctionsByCategoryAndCategoriesByName) {
  db().AddRows(sql::FunctionsStatement(),
               {{"Function_Name", "Function_Signature", "Function_Type_Id", "Function_Desc"},
                {{"ABS", "ABS(n)", 1, "Absolute"},
                 {"NVL", "NVL(a,b)", 2, Variant::Null()},
                 {"ROUND", "ROUND(n,d)", 1, "Round"}}});
  db().AddRows(sql::FunctionCategoriesStatement(),
               {{"Function_Type_Id", "Function_Type_Name"}, {{1, "Arithmetic"}, {2, "Null handling"}}});
  auto arithmetic = GRidirodev::Functions(1);
  ASSERT_EQ(arithmetic->Count(), 2);
  auto round = arithmetic->Item(Variant(2)), nvl = GRidirodev::Functions()->Item(Variant("nvl"));
  ASSERT_TRUE(round && nvl);
  EXPECT_EQ(round->Name(), "ROUND");
  EXPECT_EQ(nvl->Description(), "");
  auto category = state().FunctionCategories()->Item(Variant("NULL HANDLING"));
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(category->Id(), 2);
}

}  // namespace
}  // namespace ridirodev
