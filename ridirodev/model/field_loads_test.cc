#include "ridirodev/model/field_loads.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ScriptedRows;

class FieldLoadsTest : public testing::SampleDictionaryTest {
 protected:
  // Every table and column the probe asks about, so that it sets the optional-column flags.
  void AllCapabilities() {
    db().AddTable("TQD_UDC_DEF", {"Complex"});
    db().AddTable("tqd_Datasource_Field", {"Complex", "weight_field_id"});
    db().AddTable("TQD_FIELD_STYLE");
  }
  std::vector<std::string> Opened() const { return host_->Journal().Texts(testing::DbCallKind::kOpen); }
};

// Field rows of entity 3 with the optional columns present, whatever the flags say.
ScriptedRows FullRows(const std::vector<std::pair<int32_t, std::string>>& idsAndNames) {
  std::vector<std::map<std::string, Variant>> values;
  for (const auto& [id, name] : idsAndNames) {
    values.push_back({{"Field_Id", id}, {"Entity_Id", 3}, {"Name", name}, {"Field_Group_Short", "RAW"}});
    values.back().insert({{"DataType", "I"}, {"v1", "Form"}, {"v2", "7"}});
  }
  ScriptedRows rows = testing::FieldRows(values);
  for (const char* column : {"Complex", "weight_field_id", "FontStyleMask", "FontColor"})
    rows.columns.push_back(column);
  for (auto& row : rows.rows) row.insert(row.end(), {"cx", 9, 2, 255});
  return rows;
}

TEST_F(FieldLoadsTest, ByIdLoadsAsTheFirstCallSeeTheProbedFlags) {
  // On a dictionary with every optional column, the first call loads the templates (and so
  // probes) before the statement's columns are chosen, and the row reader asks only for those.
  AllCapabilities();
  db().AddRows(testing::TextContains("WHERE d.Field_Id in (31,32)"),
               FullRows({{31, "calls"}, {32, "drops"}}));
  CFieldsPtr fields = GRidirodev::GetFieldsByIds("Traffic", "31, 32", false);
  ASSERT_EQ(fields->Count(), 2);
  EXPECT_THAT(Opened(), ::testing::Contains(HasSubstr(", d.Complex ,c.FontStyleMask, c.FontColor ")));
  const CFieldPtr drops = fields->Item(Variant(2));
  ASSERT_NE(drops, nullptr);
  EXPECT_EQ(
      drops->Complex() + "|" + std::to_string(drops->FontMask()) + "|" + std::to_string(drops->FontColor()),
      "cx|2|255");
}

TEST_F(FieldLoadsTest, ByIdLoadsGoThroughTheGatewayOnceTheProbeFoundIt) {
  testing::GatewayAnswersOneField(*host_, "from_gateway");
  // The very first call: the gateway is known only after the templates have loaded.
  CFieldPtr one = GRidirodev::GetFieldFromId("Traffic", Variant(41), true);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->Key(), "from_gateway:Cell");
  GRidirodev::GetFieldsByIds("Traffic", "41, 42", true);
  const auto queries = host_->Journal().Texts(testing::DbCallKind::kRunQuery);
  ASSERT_EQ(queries.size(), 3u);  // the probe, then the two loads
  EXPECT_THAT(queries[1], HasSubstr("[CDATA[Field_Id = 41]]"));
  EXPECT_THAT(queries[2], HasSubstr("[CDATA[inGroup(Field_Id, 41,42)]]"));
  for (const std::string& text : Opened()) EXPECT_THAT(text, ::testing::Not(HasSubstr("d.Field_Id in")));

  // No result document: an empty collection, or no field.
  host_->XmlQueryService().SetParseResult(nullptr);
  CFieldsPtr none = GRidirodev::GetFieldsByIds("Traffic", "41", true);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->Count(), 0);
  EXPECT_EQ(GRidirodev::GetFieldFromId("Traffic", Variant(41), true), nullptr);
}

TEST_F(FieldLoadsTest, IdZeroRunsNothing) {
  for (bool gateway : {false, true})
    EXPECT_EQ(GRidirodev::GetFieldFromId("Traffic", Variant(0), gateway), nullptr);
  EXPECT_TRUE(host_->Journal().Calls().empty());
}

TEST_F(FieldLoadsTest, RowsMapExtraColumnsAndTheOptionalColumnsOnlyUnderTheirFlags) {
  const std::pair<GlobalFlags, const char*> cases[] = {
      {{}, "|0|0|0"},
      {{.doComplex = true, .doWeighted = true, .styleFieldsAvailable = true}, "cx|9|2|255"},
      {{.doComplex = true}, "cx|0|0|0"},
      {{.styleFieldsAvailable = true}, "|0|2|255"},
  };
  GRidirodev::AppGroupTemplates();  // probed before the flags are set by hand
  for (const auto& [flags, expected] : cases) {
    SCOPED_TRACE(expected);
    state().flags = flags;
    CFieldPtr f;
    ReadFields(state(), std::make_shared<testing::ScriptedRecordset>(FullRows({{31, "calls"}})), "Traffic",
               [&f](CFieldPtr read) { f = std::move(read); });
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Complex() + "|" + std::to_string(f->Weight_Field_Id()) + "|" +
                  std::to_string(f->FontMask()) + "|" + std::to_string(f->FontColor()),
              expected);
    // v1 and v2 carry Traffic's extra columns, in the template's order, under their keys.
    EXPECT_EQ(f->ExtraFieldValue("RCVFormName"), Variant("Form"));
    EXPECT_EQ(f->ExtraFieldValue("Vendor"), Variant("7"));
  }
}

// Rows of one load that name the same entity, type and aggregator share what they refer to;
// each row still gets its own key, and a row naming something else its own references.
TEST_F(FieldLoadsTest, RowsOfOneLoadReferToWhatEachNames) {
  std::vector<std::map<std::string, Variant>> values;
  const std::tuple<const char*, int32_t, const char*, const char*> rows[] = {
      {"a", 3, "RAW", "1"},  {"b", 3, "RAW", "1"}, {"c", 3, "UDC", "1"}, {"d", 99, "RAW", "1"},
      {"e", 99, "RAW", "1"}, {"f", 2, "RAW", "2"}, {"g", 3, "RAW", "1"}};
  for (const auto& [name, entity, type, aggregator] : rows) {
    values.push_back({{"Field_Id", 1}, {"Name", name}, {"Entity_Id", entity}, {"DataType", "I"}});
    values.back().insert({{"Field_Group_Short", type}, {"Field_Aggregator", aggregator}});
  }
  auto rs = std::make_shared<testing::ScriptedRecordset>(testing::FieldRows(values));
  std::vector<std::string> seen;
  ReadFields(state(), rs, "Traffic", [&](CFieldPtr f) {
    seen.push_back(f->Key() + "|" + std::to_string(f->EntityId()) + "|" + f->FieldType() + "|" +
                   f->Aggregator() + "|" + f->AppName());
  });
  EXPECT_THAT(seen, ElementsAre("a:Cell|3|RAW|1|Traffic", "b:Cell|3|RAW|1|Traffic", "c:Cell|3|UDC|1|Traffic",
                                "d:|0|RAW|1|Traffic", "e:|0|RAW|1|Traffic", "f:Switch|2|RAW|2|Traffic",
                                "g:Cell|3|RAW|1|Traffic"));
}

TEST_F(FieldLoadsTest, TheTemplatePassesItsFlagsAndExtraColumnsToTheStatement) {
  host_->Support().SetExtendedEntityViews(true);
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  ASSERT_NE(traffic, nullptr);
  state().flags.doComplex = true;
  state().flags.styleFieldsAvailable = true;
  traffic->StaticFields(3);
  const std::vector<std::string> opened = Opened();
  const auto traffics = std::find_if(opened.begin(), opened.end(), [](const std::string& t) {
    return t.find("DataSource_ID = 2 ") != t.npos;
  });
  ASSERT_NE(traffics, opened.end());
  EXPECT_EQ(*traffics, sql::DataSourceFieldsStatement("3", 2, sql::kAllFields, true, {true, false, true},
                                                      {{"A", 1}, {"N", 2}}));
}

TEST(UdrKeyDataTest, AskedOnceAndRemembered) {
  struct Case {
    const char* name;
    bool table;
    std::vector<ScriptedRows> counts;  // answers to the count, in turn
    bool failing;
    bool expected;
  };
  const Case cases[] = {
      {"no table", false, {}, false, false},
      {"empty table, rows added later", true, {{{"RowCount"}, {{0}}}, {{"RowCount"}, {{5}}}}, false, false},
      {"rows", true, {{{"RowCount"}, {{3}}}, {{"RowCount"}, {{0}}}}, false, true},
      {"null count", true, {{{"RowCount"}, {{Variant::Null()}}}}, false, false},
      {"a failing count", true, {{{"RowCount"}, {{3}}}}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto host = std::make_shared<testing::TestHost>();
    if (c.table) host->Database().AddTable("tqd_udr_keys");
    for (const ScriptedRows& rows : c.counts) host->Database().AddRows(sql::UDRKeyCountStatement(), rows);
    if (c.failing) host->Database().FailOnText("count (*)", AutomationError(3146, "DB", "gone"));
    MRidirodevScope scope(host);
    if (c.failing)
      EXPECT_THROW(GRidirodev::UDR_KeyDataAvailable(), AutomationError);
    else
      EXPECT_EQ(GRidirodev::UDR_KeyDataAvailable(), c.expected);
    const size_t calls = host->Journal().Calls().size();
    EXPECT_EQ(GRidirodev::UDR_KeyDataAvailable(), c.expected);
    EXPECT_EQ(host->Journal().Calls().size(), calls);  // remembered, also when False or failed
  }
}

}  // namespace
}  // namespace ridirodev
