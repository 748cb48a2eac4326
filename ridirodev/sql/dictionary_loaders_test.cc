#include "ridirodev/sql/dictionary_loaders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/functions.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using testing::ScriptedRows;
using testing::TestHost;
using testing::TextContains;

TEST(DictionaryLoadersTest, EnumeratedValuesAreGroupedByFieldThroughTheRowSetFilter) {
  auto host = std::make_shared<TestHost>();
  host->Database().AddRows("SELECT DISTINCT field_id FROM TQD_ENUM_VALUES", {{"field_id"}, {{7}, {9}}});
  host->Database().AddRows("SELECT * FROM TQD_ENUM_VALUES",
                           {{"FIELD_ID", "Enum_Key", "Enum_Desc"},
                            {{7, "0", "Idle"}, {9, "1", "Up"}, {7, "1", Variant::Null()}, {9, "2", "Down"}}});
  MRidirodevScope scope(host);
  std::shared_ptr<CEnumValues> seven = scope.State().EnumValues(7);
  ASSERT_NE(seven, nullptr);
  ASSERT_EQ(seven->Count(), 2);
  EXPECT_EQ(seven->Item(Variant(1))->Description(), "Idle");
  EXPECT_EQ(seven->Item(Variant("1"))->Description(), "");
  EXPECT_EQ(scope.State().EnumValues(9)->Count(), 2);
  EXPECT_EQ(scope.State().EnumValues(8), nullptr);
  EXPECT_EQ(host->Journal().Lines().size(), 2u);  // one load serves every field
}

TEST(DictionaryLoadersTest, NothingLoadsNothingAndEmptyEnumCacheIsRefilled) {
  auto host = std::make_shared<TestHost>();
  host->Database().AddRows(TextContains("TQE_Function"), ScriptedRows::Nothing());
  MRidirodevScope scope(host);
  EXPECT_EQ(GRidirodev::Functions()->Count(), 0);
  EXPECT_EQ(scope.State().EnumValues(1), nullptr);
  EXPECT_EQ(scope.State().EnumValues(1), nullptr);
  EXPECT_EQ(host->Journal().Lines().size(), 5u);  // functions once, the empty enum cache twice
}

TEST(DictionaryLoadersTest, FunctionsByCategory) {
  auto host = std::make_shared<TestHost>();
  host->Database().AddRows("SELECT * FROM TQE_Function",
                           {{"Function_Name", "Function_Signature", "Function_Type_Id", "Function_Desc"},
                            {{"ABS", "ABS(n)", 1, "Absolute"}, {"NVL", "NVL(a,b)", 2, Variant::Null()},
                             {"ROUND", "ROUND(n,d)", 1, "Round"}}});
  MRidirodevScope scope(host);
  auto arithmetic = GRidirodev::Functions(1);
  ASSERT_EQ(arithmetic->Count(), 2);
  EXPECT_EQ(arithmetic->Item(Variant(2))->Name(), "ROUND");
  EXPECT_EQ(GRidirodev::Functions()->Item(Variant("nvl"))->Description(), "");
}

}  // namespace
}  // namespace ridirodev
