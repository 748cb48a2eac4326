#include "ridirodev/frame/initializer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/frame/template_categories.h"
#include "ridirodev/model/qualifiers.h"
#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::TestHost;
using testing::TextContains;

// Every table and column the probe and the limits ask about, with server-like widths.
void FullSchema(testing::ScriptedDatabase& db, bool styleTable = true) {
  db.SetColumnWidth("tqd_Datasource_Field", "Name", 30);
  db.SetColumnWidth("tqd_Datasource_Field", "Report_Header", 20);
  db.SetColumnWidth("tqd_Datasource_Field", "Report_Header2", 21);
  db.SetColumnWidth("tqd_Datasource_Field", "Field_Desc", 255);
  db.SetColumnWidth("tqd_Datasource_Field", "Complex", 1);
  db.SetColumnWidth("tqd_Datasource_Field", "weight_field_id", 0);
  db.SetColumnWidth("TQD_UDC_DEF", "UDC_SOURCE", 4000);
  db.SetColumnWidth("TQD_UDC_DEF", "CALC_SOURCE", 2000);
  db.SetColumnWidth("TQD_UDC_DEF", "Complex", 1);
  db.SetColumnWidth("PM_Filter", "Criteria", 2000);
  db.SetColumnWidth("PM_BusyHour", "Name", 64);
  db.SetColumnWidth("PM_BusyHour", "Description", 255);
  db.SetColumnWidth("tqd_Dict_name", "Name", 30);
  db.SetColumnWidth("tqd_Field_Data", "DataValue", 0);
  db.SetColumnWidth("tqn_entity_context", "Context_Entity_Label", 40);
  if (styleTable) db.AddTable("TQD_FIELD_STYLE", {"Field_Id"});
}

void Dictionary(testing::ScriptedDatabase& db) {
  db.AddRows(TextContains("FROM TQD_Data_Source"),
             {{"DataSource_Id", "DataSource_Name", "DataSource_APP_CTX"}, {{1, "Client", 2}, {2, "Traffic", 2}}});
  db.AddRows(TextContains("FROM TQN_Entity_Hier"),
             {{"Entity_Id", "Parent_Entity_Id", "Entity_Name", "Entity_Label", "Context_Entity_Label", "Entity_Desc",
               "Can_Sum", "Can_Rpt", "AllowReparenting"},
              {{10, Variant::Null(), "NetworkSystem", "", "", Variant::Null(), "Y", "y", "N"},
               {16, 10, "PagingArea", "", "", "Paging", "Y", "N", "N"}}});
  db.AddRows(TextContains("FROM TQD_Technology_Mask"),
             {{"Tech_Name", "Tech_Char", "Tech_Mask", "Tech_Desc"}, {{"GSM", "G", 1, "GSM"}, {"LTE", "L", 16, "LTE"}}});
  db.AddRows(TextContains("FROM TQD_Aggregator"),
             {{"AGGR_Name", "AGGR_ID", "AGGR_BH_OK", "label_element", "label_time"},
              {{"Sum", 1, "Y", "Sum", "Sum"}, {"Average", 2, "Y", "Avg", "Sum"}, {"Max", 3, "N", "Max", "Max"}}});
}

struct ProbeCase {
  const char* name;
  bool extended;
  bool styleTable;
  GlobalFlags expected;
};

TEST(CapabilityProbeTest, EachFlagFollowsItsOwnColumns) {
  const ProbeCase cases[] = {
      {"everything", true, true, {true, true, true, false, true}},
      {"weights need the extended views", false, true, {true, false, true, false, true}},
      {"no style table", true, false, {true, true, false, false, true}},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto host = std::make_shared<TestHost>();
    FullSchema(host->Database(), c.styleTable);
    host->Support().SetExtendedEntityViews(c.extended);
    MRidirodevScope scope(host);
    scope.State().RunCapabilityProbe();
    const GlobalFlags& f = scope.State().flags;
    EXPECT_EQ(f.doComplex, c.expected.doComplex);
    EXPECT_EQ(f.doWeighted, c.expected.doWeighted);
    EXPECT_EQ(f.styleFieldsAvailable, c.expected.styleFieldsAvailable);
    EXPECT_EQ(f.xmlGatewayAvailable, c.expected.xmlGatewayAvailable);
    EXPECT_EQ(f.contextEntityLabelAvailable, c.expected.contextEntityLabelAvailable);
  }
}

TEST(CapabilityProbeTest, OneComplexColumnIsNotEnoughAndTheGatewayNeedsAResult) {
  auto host = std::make_shared<TestHost>();
  host->Database().SetColumnWidth("TQD_UDC_DEF", "Complex", 1);
  host->XmlQueryService().SetParseResult(std::make_shared<testing::TestXmlNode>("RESULT"));
  MRidirodevScope scope(host);
  scope.State().RunCapabilityProbe();
  EXPECT_FALSE(scope.State().flags.doComplex);
  EXPECT_FALSE(scope.State().flags.styleFieldsAvailable);
  EXPECT_TRUE(scope.State().flags.xmlGatewayAvailable);
  EXPECT_THAT(host->Journal().Lines(), ::testing::Contains(::testing::HasSubstr("Field_Id = -1")));
}

TEST(LimitsTest, MeasuredOnceUnlessZero) {
  auto host = std::make_shared<TestHost>();
  FullSchema(host->Database());
  host->Database().SetColumnWidth("PM_Filter", "Criteria", 0);
  MRidirodevScope scope(host);
  EXPECT_EQ(GRidirodev::ExpressionLength(), 2000);  // the smaller source column
  host->Database().SetColumnWidth("TQD_UDC_DEF", "CALC_SOURCE", 10);
  EXPECT_EQ(GRidirodev::ExpressionLength(), 2000);  // kept
  // A width of 0 is measured again on the next use...
  EXPECT_EQ(GRidirodev::CriteriaLength(), 0);
  host->Database().SetColumnWidth("PM_Filter", "Criteria", 2000);
  EXPECT_EQ(GRidirodev::CriteriaLength(), 2000);
  // ...except the extra column widths, which are measured together, once.
  EXPECT_EQ(GRidirodev::ExtraColumnLength("A"), 30);
  EXPECT_EQ(GRidirodev::ExtraColumnLength("B"), 0);
  host->Database().SetColumnWidth("tqd_Field_Data", "DataValue", 500);
  EXPECT_EQ(GRidirodev::ExtraColumnLength("B"), 0);
}

TEST(InitializerTest, LoadsInOrderOnceAndLogsEachUnmeasurableLimit) {
  auto host = std::make_shared<TestHost>();
  FullSchema(host->Database());
  host->Database().SetColumnWidth("PM_Filter", "Criteria", 0);
  Dictionary(host->Database());
  MRidirodevScope scope(host);
  CRidirodevInitializer initializer;
  EXPECT_TRUE(initializer.Initialize());

  std::vector<std::string> tables;
  for (const std::string& line : host->Journal().Lines()) {
    const size_t from = line.find("FROM ");
    if (from != std::string::npos) tables.push_back(line.substr(from + 5, line.find(' ', from + 5) - from - 5));
  }
  EXPECT_THAT(tables, ElementsAre("TQD_Data_Source",  // templates
                                  // Client: extra columns, hierarchy, field types (its one category is made up)
                                  "TQD_DataSource_Extra_Cols", "TQN_Entity_Hier", "tqd_Application_Field_Group",
                                  // Traffic: the same, then its report categories from the hierarchy
                                  "TQD_DataSource_Extra_Cols", "TQN_Entity_Hier", "tqd_Application_Field_Group",
                                  "TQN_Entity_Hier", "TQD_Technology_Mask", "TQD_Aggregator", "TQE_Function_Type",
                                  "TQE_Function"));
  ASSERT_EQ(host->Support().Logs().size(), 1u);
  const auto& log = host->Support().Logs()[0];
  EXPECT_EQ(std::to_string(log.severity) + "|" + log.operation, "2|Initialize");
  EXPECT_THAT(log.messages, ElementsAre("unable to initialize DB object"));

  // Client gets one category named after itself; Traffic its entities.
  auto client = GRidirodev::AppGroupTemplate("client");
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->TemplateCategories()->Count(), 1);
  EXPECT_EQ(client->TemplateCategories()->Item(Variant(1))->EntityName(), "Client");
  auto traffic = GRidirodev::AppGroupTemplate("Traffic")->TemplateCategories();
  ASSERT_EQ(traffic->Count(), 2);
  EXPECT_EQ(traffic->Item(Variant("NetworkSystem"))->EntityName(), "Traffic NetworkSystem");
  EXPECT_TRUE(traffic->Item(Variant(1))->CanRpt());
  EXPECT_FALSE(traffic->Item(Variant(2))->CanRpt());

  const size_t statements = host->Journal().Lines().size();
  EXPECT_TRUE(initializer.Initialize());
  EXPECT_EQ(host->Journal().Lines().size(), statements);  // nothing read twice
  EXPECT_EQ(host->Support().Logs().size(), 2u);           // the limit is still unmeasured
}

TEST(InitializerTest, DatabaseErrorsPropagateAndTheLoadIsTriedAgain) {
  auto host = std::make_shared<TestHost>();
  Dictionary(host->Database());
  host->Database().FailOnText("TQD_Aggregator", AutomationError(-2147217900, "db", "lost connection"));
  MRidirodevScope scope(host);
  CRidirodevInitializer initializer;
  EXPECT_EQ(ErrorOf([&] { initializer.Initialize(); }), -2147217900);
  EXPECT_EQ(scope.State().validAggregators, nullptr);
}

TEST(FacadeTest, LookupsOverTheLoadedDictionary) {
  auto host = std::make_shared<TestHost>();
  Dictionary(host->Database());
  const std::vector<std::string> typeColumns{"Field_Group_Id", "Field_Group_Short", "Field_Group_Name"};
  host->Database().AddRows(TextContains("tqd_Application_Field_Group WHERE DataSource_ID = 1"),
                           {typeColumns, {{1, "Peg", "Peg count"}}});
  host->Database().AddRows(TextContains("tqd_Application_Field_Group WHERE DataSource_ID = 2"),
                           {typeColumns, {{4, "UDC", "Calculation"}}});
  host->Database().AddRows("SELECT entity_id FROM TQN_ENTITY WHERE entity_name = 'O''Brien'",
                           {{"Entity_Id"}, {{77}}});
  MRidirodevScope scope(host);
  EXPECT_EQ(GRidirodev::EntityIDFromName("O'Brien"), 77);
  EXPECT_EQ(GRidirodev::EntityIDFromName("Nobody"), 0);
  EXPECT_EQ(GRidirodev::EntityKey(42), "Cat:42");
  EXPECT_EQ(GRidirodev::FieldKey("Calls", "Cell"), "Calls:Cell");
  // Average has time aggregator Sum but element Avg: only Sum/Sum matches "Sum".
  ASSERT_NE(GRidirodev::LookupAggregator("Sum"), nullptr);
  EXPECT_EQ(GRidirodev::LookupAggregator("Sum")->Name(), "Sum");
  EXPECT_EQ(GRidirodev::LookupAggregator("Sum", "Avg")->Name(), "Average");
  EXPECT_EQ(GRidirodev::LookupAggregator("Avg"), nullptr);
  EXPECT_EQ(GRidirodev::BasicAggregators()->Count(), 2);  // Sum and Max, each once
  // A type only the Client template has is still found for Traffic, by exact description.
  EXPECT_EQ(GRidirodev::LookupFieldType("Traffic", "Peg count"), "Peg");
  EXPECT_EQ(GRidirodev::LookupFieldType("Traffic", "Calculation"), "UDC");
  EXPECT_EQ(GRidirodev::LookupFieldType("Traffic", "peg count"), "");
  EXPECT_EQ(GRidirodev::LookupFieldType("Client", "Calculation"), "");
}

}  // namespace
}  // namespace ridirodev
