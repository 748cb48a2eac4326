#include "ridirodev/facade/initializer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/template_categories.h"
#include "testing/dictionary_script.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using testing::DbCallKind;
using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::ScriptedDatabase;
using testing::TestHost;

// The scripted database answers schema questions without a journal entry; recording them
// lets the journal's failure injection make any one of them throw.
struct SchemaJournalingDatabase : ScriptedDatabase {
  bool TableExists(std::string_view t) override { return Asked(t, ScriptedDatabase::TableExists(t)); }
  bool ColumnExists(std::string_view t, std::string_view c) override {
    return Asked(std::string(t) + "." + std::string(c), ScriptedDatabase::ColumnExists(t, c));
  }
  bool Asked(std::string_view what, bool answer) {
    Journal().Record({DbCallKind::kQueryValue, std::string(what), {}});
    return answer;
  }
};

struct ProbeHost : TestHost {
  std::shared_ptr<SchemaJournalingDatabase> db = std::make_shared<SchemaJournalingDatabase>();
  IDBObjectPtr CreateDatabase() override { return db; }
};

// Every table and column the probe and the limits ask about, with server-like widths, less one
// table ("TABLE") or one column ("TABLE.COLUMN").
void FullSchema(ScriptedDatabase& db, std::string_view without = "") {
  std::istringstream schema(
      "tqd_Datasource_Field Name 30 tqd_Datasource_Field Report_Header 20 tqd_Datasource_Field "
      "Report_Header2 21 tqd_Datasource_Field Field_Desc 255 tqd_Datasource_Field Complex 1 "
      "tqd_Datasource_Field weight_field_id 0 TQD_UDC_DEF UDC_SOURCE 4000 TQD_UDC_DEF CALC_SOURCE 2000 "
      "TQD_UDC_DEF Complex 1 PM_Filter Criteria 2000 PM_BusyHour Name 64 PM_BusyHour Description 255 "
      "tqd_Dict_name Name 30 tqd_Field_Data DataValue 0 tqn_entity_context Context_Entity_Label 40 "
      "TQD_FIELD_STYLE Field_Id 0");
  std::string table, column;
  int32_t width = 0;
  while (schema >> table >> column >> width)
    if (without != table && without != table + "." + column) db.SetColumnWidth(table, column, width);
}

auto Flags(const GlobalFlags& f) {
  return std::tuple(f.doComplex, f.doWeighted, f.styleFieldsAvailable, f.xmlGatewayAvailable,
                    f.contextEntityLabelAvailable);
}

constexpr bool T = true, F = false;
using LimitsTest = testing::HostTest;
using InitializerTest = testing::HostTest;

// Flags in their order: complex, weighted, style, gateway, context entity label.
TEST(CapabilityProbeTest, EachFlagFollowsItsOwnColumns) {
  // Name, extended entity views, the table or column missing, whether the gateway answers, the flags.
  const std::tuple<const char*, bool, const char*, bool, GlobalFlags> cases[] = {
      {"everything", T, "", T, {T, T, T, T, T}},
      {"weights need the extended views", F, "", F, {T, F, T, F, T}},
      {"no weight column", T, "tqd_Datasource_Field.weight_field_id", F, {T, F, T, F, T}},
      {"no style table", T, "TQD_FIELD_STYLE", F, {T, T, F, F, T}},
      {"Complex of the definitions only", T, "tqd_Datasource_Field.Complex", F, {F, T, T, F, T}},
      {"Complex of the fields only", T, "TQD_UDC_DEF.Complex", F, {F, T, T, F, T}},
      {"no context entity label", T, "tqn_entity_context.Context_Entity_Label", F, {T, T, T, F, F}},
  };
  for (const auto& [name, extended, missing, gatewayAnswers, expected] : cases) {
    SCOPED_TRACE(name);
    auto host = std::make_shared<ProbeHost>();
    FullSchema(*host->db, missing);
    host->Support().SetExtendedEntityViews(extended);
    if (gatewayAnswers)
      host->XmlQueryService().SetParseResult(std::make_shared<testing::TestXmlNode>("RESULT"));
    MRidirodevScope scope(host);
    scope.State().RunCapabilityProbe();
    EXPECT_EQ(Flags(scope.State().flags), Flags(expected));
    EXPECT_THAT(host->Journal().Texts(DbCallKind::kRunQuery),
                ElementsAre(::testing::HasSubstr("Field_Id = -1")));
  }
}

TEST(CapabilityProbeTest, AFailingStepEndsTheProbeAndLeavesTheLaterFlags) {
  // Every flag starts True over an empty schema, so a flag the probe reached turns False.
  const std::pair<const char*, GlobalFlags> cases[] = {
      {"weight_field_id", {T, T, T, T, T}},     {"TQD_FIELD_STYLE", {T, F, T, T, T}},
      {"TQD_UDC_DEF.Complex", {T, F, F, T, T}}, {"tqd_Datasource_Field.Complex", {T, F, F, T, T}},
      {"Field_Id = -1", {F, F, F, F, F}},  // a failing gateway only means no gateway
      {"Context_Entity_Label", {F, F, F, F, T}}};
  for (const auto& [step, expected] : cases) {
    SCOPED_TRACE(step);
    auto host = std::make_shared<ProbeHost>();
    host->Support().SetExtendedEntityViews(true);
    // The schema questions go to the probe database's journal, the gateway to the host's.
    for (auto* journal : {&host->db->Journal(), &host->Journal()})
      journal->FailOnText(step, AutomationError(-2147217900, "db", "lost connection"));
    MRidirodevScope scope(host);
    scope.State().flags = {T, T, T, T, T};
    EXPECT_NO_THROW(scope.State().RunCapabilityProbe());
    EXPECT_EQ(Flags(scope.State().flags), Flags(expected));
  }
}

TEST_F(LimitsTest, MeasuredOnceUnlessZero) {
  FullSchema(db(), "PM_Filter.Criteria");
  EXPECT_EQ(GRidirodev::ExpressionLength(), 2000);  // the smaller source column
  db().SetColumnWidth("TQD_UDC_DEF", "CALC_SOURCE", 10);
  EXPECT_EQ(GRidirodev::ExpressionLength(), 2000);  // kept
  // A width of 0 is measured again on the next use...
  EXPECT_EQ(GRidirodev::CriteriaLength(), 0);
  db().SetColumnWidth("PM_Filter", "Criteria", 2000);
  EXPECT_EQ(GRidirodev::CriteriaLength(), 2000);
  // ...except the extra column widths, which are measured together, once.
  EXPECT_EQ(GRidirodev::ExtraColumnLength("A"), 30);
  db().SetColumnWidth("tqd_Field_Data", "DataValue", 500);
  EXPECT_EQ(GRidirodev::ExtraColumnLength("B"), 0);
}

TEST_F(InitializerTest, LoadsInOrderOnceAndLogsEachUnmeasurableLimit) {
  FullSchema(db(), "PM_Filter.Criteria");
  testing::ScriptTemplates(db(), {{1, "Client", 2}, {2, "Traffic", 2}});
  db().AddRows(
      sql::TemplateCategoriesStatement(false, 2),
      {{"Entity_Id", "Entity_Name", "Entity_Desc", "Can_Rpt"},
       {{10, "NetworkSystem", Variant::Null(), "y"}, {16, "PagingArea", "Paging", "N"}}});
  CRidirodevInitializer initializer;
  EXPECT_TRUE(initializer.Initialize());

  std::vector<std::string> tables;
  for (const std::string& line : host_->Journal().Lines()) {
    const size_t from = line.find("FROM ");
    if (from != std::string::npos)
      tables.push_back(line.substr(from + 5, line.find(' ', from + 5) - from - 5));
  }
  EXPECT_THAT(
      tables,
      ElementsAre(
          "TQD_Data_Source",  // templates
                              // Client: extra columns, hierarchy, field types (its one category is made up)
          "TQD_DataSource_Extra_Cols", "TQN_Entity_Hier", "tqd_Application_Field_Group",
          // Traffic: the same, then its report categories from the hierarchy
          "TQD_DataSource_Extra_Cols", "TQN_Entity_Hier", "tqd_Application_Field_Group", "TQN_Entity_Hier",
          "TQD_Technology_Mask", "TQD_Aggregator", "TQE_Function_Type", "TQE_Function"));
  ASSERT_EQ(host_->Support().Logs().size(), 1u);
  const auto& log = host_->Support().Logs()[0];
  EXPECT_EQ(std::to_string(log.severity) + "|" + log.operation, "2|Initialize");
  EXPECT_THAT(log.messages, ElementsAre("unable to initialize DB object"));

  // Client gets one category named after itself; Traffic its entities, "y" able to report.
  std::vector<std::string> categories;
  for (const std::string app : {"client", "Traffic"}) {
    auto tpl = GRidirodev::AppGroupTemplate(app);
    ASSERT_NE(tpl, nullptr);
    for (const auto& c : *tpl->TemplateCategories())
      categories.push_back(c->EntityName() + (c->CanRpt() ? "+" : "-"));
  }
  EXPECT_THAT(categories, ElementsAre("Client+", "Traffic NetworkSystem+", "Traffic PagingArea-"));

  const size_t statements = host_->Journal().Lines().size();
  EXPECT_TRUE(initializer.Initialize());
  EXPECT_EQ(host_->Journal().Lines().size(), statements);  // nothing read twice
  EXPECT_EQ(host_->Support().Logs().size(), 2u);           // the limit is still unmeasured
}

TEST_F(InitializerTest, DatabaseErrorsPropagateAndTheLoadIsTriedAgain) {
  db().FailOnText("TQD_Aggregator", AutomationError(-2147217900, "db", "lost connection"));
  CRidirodevInitializer initializer;
  EXPECT_EQ(ErrorOf([&] { initializer.Initialize(); }), -2147217900);
  EXPECT_EQ(state().validAggregators, nullptr);
}

}  // namespace
}  // namespace ridirodev
