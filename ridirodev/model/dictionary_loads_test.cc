#include "ridirodev/model/dictionary_loads.h"

#include <gtest/gtest.h>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using testing::ScriptedRows;
using testing::TestHost;

TEST(DictionaryLoadsTest, EnumeratedValuesAreGroupedByFieldThroughTheRowSetFilter) {
  auto host = std::make_shared<TestHost>();
  host->Database().AddRows(sql::EnumFieldIdsStatement(), {{"field_id"}, {{7}, {9}}});
  host->Database().AddRows(sql::EnumValuesStatement(),
                           {{"FIELD_ID", "Enum_Key", "Enum_Desc"},
                            {{7, "0", "Idle"}, {9, "1", "Up"}, {7, "1", Variant::Null()}, {9, "2", "Down"}}});
  MRidirodevScope scope(host);
  std::shared_ptr<CEnumValues> seven = scope.State().EnumValues(7), nine = scope.State().EnumValues(9);
  ASSERT_NE(seven, nullptr);
  ASSERT_NE(nine, nullptr);
  ASSERT_EQ(seven->Count(), 2);
  EXPECT_EQ(nine->Count(), 2);
  // Keyed by the stored value: a number is a position, a text that looks like one a key.
  auto first = seven->Item(Variant(1)), keyed = seven->Item(Variant("1"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(keyed, nullptr);
  EXPECT_EQ(first->Description(), "Idle");
  EXPECT_EQ(keyed->Description(), "");
  EXPECT_EQ(scope.State().EnumValues(8), nullptr);
  EXPECT_EQ(host->Journal().Lines().size(), 2u);  // one load serves every field
}

TEST(DictionaryLoadsTest, NothingLoadsNothingAndEmptyEnumCacheIsRefilled) {
  auto host = std::make_shared<TestHost>();
  host->Database().AddRows(sql::FunctionsStatement(), ScriptedRows::Nothing());
  MRidirodevScope scope(host);
  EXPECT_EQ(GRidirodev::Functions()->Count(), 0);
  EXPECT_EQ(scope.State().EnumValues(1), nullptr);
  EXPECT_EQ(scope.State().EnumValues(1), nullptr);
  EXPECT_EQ(host->Journal().Lines().size(), 5u);  // functions once, the empty enum cache twice
}

TEST(DictionaryLoadsTest, FunctionsByCategoryAndCategoriesByName) {
  auto host = std::make_shared<TestHost>();
  host->Database().AddRows(sql::FunctionsStatement(),
                           {{"Function_Name", "Function_Signature", "Function_Type_Id", "Function_Desc"},
                            {{"ABS", "ABS(n)", 1, "Absolute"}, {"NVL", "NVL(a,b)", 2, Variant::Null()},
                             {"ROUND", "ROUND(n,d)", 1, "Round"}}});
  host->Database().AddRows(sql::FunctionCategoriesStatement(),
                           {{"Function_Type_Id", "Function_Type_Name"}, {{1, "Arithmetic"}, {2, "Null handling"}}});
  MRidirodevScope scope(host);
  auto arithmetic = GRidirodev::Functions(1);
  ASSERT_EQ(arithmetic->Count(), 2);
  auto round = arithmetic->Item(Variant(2)), nvl = GRidirodev::Functions()->Item(Variant("nvl"));
  ASSERT_NE(round, nullptr);
  ASSERT_NE(nvl, nullptr);
  EXPECT_EQ(round->Name(), "ROUND");
  EXPECT_EQ(nvl->Description(), "");
  auto category = scope.State().FunctionCategories()->Item(Variant("NULL HANDLING"));
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(category->Id(), 2);
}

}  // namespace
}  // namespace ridirodev
