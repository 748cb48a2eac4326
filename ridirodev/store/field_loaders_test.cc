#include "ridirodev/store/field_loaders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testing/dictionary_script.h"
#include "testing/test_host.h"

namespace ridirodev::sql {
namespace {

// The sink may take the row's strings: the next row must still be read whole, and the optional
// columns only as the options allow.
TEST(FieldRowsTest, EachRowIsReadWholeIntoTheReusedRow) {
  testing::ScriptedRows rows = testing::FieldRows(
      {{{"Field_Id", 31}, {"Name", "calls"}, {"Field_Group_Short", "RAW"}, {"v1", "Form"}, {"v2", "7"}},
       {{"Field_Id", 32}, {"Name", "drops"}, {"Field_Group_Short", "RAW"}, {"v1", "Site"}}});
  for (const char* column : {"Complex", "weight_field_id", "FontStyleMask", "FontColor"})
    rows.columns.push_back(column);
  for (auto& row : rows.rows) row.insert(row.end(), {"cx", 9, 2, 255});
  const std::pair<FieldColumnOptions, std::vector<std::string>> cases[] = {
      {{}, {"31 calls RAW Form 7 |0|0|0", "32 drops RAW Site  |0|0|0"}},
      {{true, true, true}, {"31 calls RAW Form 7 cx|9|2|255", "32 drops RAW Site  cx|9|2|255"}},
  };
  auto host = std::make_shared<testing::TestHost>();
  for (const auto& [options, expected] : cases) {
    testing::ScriptedRecordset rs(rows);
    std::vector<std::string> seen;
    ReadFieldRows(host->Database(), rs, 2, options, [&](FieldRow& row) {
      std::string name = std::move(row.name), group = std::move(row.fieldGroup);
      seen.push_back(std::to_string(row.id) + " " + name + " " + group + " " + row.extraValues.at(0) + " " +
                     row.extraValues.at(1) + " " + std::move(row.complex) + "|" + std::to_string(row.weightField) +
                     "|" + std::to_string(row.fontStyle) + "|" + std::to_string(row.fontColor));
    });
    EXPECT_THAT(seen, ::testing::ElementsAreArray(expected));
  }
}

}  // namespace
}  // namespace ridirodev::sql
