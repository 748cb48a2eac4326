#include "ridirodev/model/functions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ridirodev {
namespace {

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
