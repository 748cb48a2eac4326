#include "ridirodev/model/functions.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/errors.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;

TEST(FunctionsTest, FunctionsAndCategoriesAreKeyedByName) {
  CFunctions functions;
  auto avg = std::make_shared<CFunction>();
  avg->Initialize("Avg", "Avg(x)", 12, "Mean");
  functions.Add(avg);
  EXPECT_EQ(functions.Item("AVG")->CategoryId(), 12);
  auto twin = std::make_shared<CFunction>();
  twin->Initialize("avg", "", 1, "");
  EXPECT_EQ(ErrorOf([&] { functions.Add(twin); }), ErrorNumber::kDuplicateKey);

  CFunctionCategories categories;
  auto math = std::make_shared<CFunctionCategory>();
  math->Initialize(3, "Math", "Mathematics");
  categories.Add(math);
  EXPECT_EQ(categories.Item("math"), math);
  EXPECT_EQ(ErrorOf([&] { categories.Add(math); }), ErrorNumber::kDuplicateKey);
}

TEST(FunctionsTest, StandardOperatorsInEditorOrder) {
  auto ops = StandardOperators();
  std::vector<std::string> names;
  for (const auto& op : *ops) {
    EXPECT_EQ(op->Signature(), op->Name());
    names.push_back(op->Name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"=", "==", "!=", "<", "<=", ">", ">=", "<>", "in", "not in"}));
  EXPECT_EQ(ops->Item("NOT IN"), ops->Item(10));
}

}  // namespace
}  // namespace ridirodev
