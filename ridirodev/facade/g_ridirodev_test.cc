#include "ridirodev/facade/g_ridirodev.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/template_categories.h"
#include "testing/dictionary_script.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using testing::TestHost;
using GRidirodevHostTest = testing::HostTest;

// Traffic and Client share context 2: a system with one paging area, each entity labelled.
std::shared_ptr<TestHost> DictionaryHost(bool extended, bool withTraffic = true) {
  auto host = std::make_shared<TestHost>();
  host->Support().SetExtendedEntityViews(extended);
  std::vector<testing::DictRow> templates{{1, "Client", 2}};
  if (withTraffic) templates.push_back({2, "Traffic", 2});
  testing::ScriptTemplates(host->Database(), templates);
  testing::ScriptCategories(host->Database(), 2,
                            {{10, 0, "NetworkSystem", "System"}, {16, 10, "PagingArea", "Paging Area"}});
  return host;
}

TEST(GRidirodevTest, LookupCategoryByNameMatchesTheEntityNameExactly) {
  // Under the extended views CategoryName is the label, yet the lookup still goes by entity.
  // extended views, application, name, then application and entity of the category found
  const std::tuple<bool, const char*, const char*, const char*> cases[] = {
      {true, "Traffic", "PagingArea", "Traffic:PagingArea"},
      {true, "Traffic", "Paging Area", "none"},
      {false, "Traffic", "PagingArea", "Traffic:PagingArea"},
      {false, "Traffic", "pagingarea", "none"},
      {true, "Client", "NetworkSystem", "Client:NetworkSystem"},
      {false, "Nowhere", "PagingArea", "none"},
      {true, "Traffic", "Cell", "none"}};
  for (const auto& [extended, app, name, expected] : cases) {
    SCOPED_TRACE(std::string(app) + "/" + name + (extended ? " extended" : ""));
    MRidirodevScope scope(DictionaryHost(extended));
    const CFieldCategoryPtr found = GRidirodev::LookupCategoryByName(app, name);
    EXPECT_EQ(found ? found->AppName() + ":" + found->CategoryEntity() : "none", expected);
  }
}
TEST(GRidirodevTest, TrafficCategoriesAreThoseOfTheTrafficTemplate) {
  for (bool withTraffic : {true, false}) {
    MRidirodevScope scope(DictionaryHost(false, withTraffic));
    auto traffic = GRidirodev::AppGroupTemplate("Traffic");
    EXPECT_EQ(GRidirodev::TrafficCategories(), traffic ? traffic->FieldCategories() : nullptr) << withTraffic;
    EXPECT_EQ(traffic != nullptr, withTraffic);
  }
}

TEST(GRidirodevTest, TemplateCategoriesUnderTheExtendedViewsCarryTheLabel) {
  auto host = DictionaryHost(true);
  host->Database().AddRows(sql::TemplateCategoriesStatement(true, 2),
                           {{"Entity_Id", "Entity_Label", "Entity_Name", "Entity_Desc", "Can_Rpt"},
                            {{16, "Paging Area", "PagingArea", Variant::Null(), "Y"}}});
  MRidirodevScope scope(host);
  auto traffic = GRidirodev::AppGroupTemplate("Traffic");
  ASSERT_NE(traffic, nullptr);
  auto paging = traffic->TemplateCategories()->Item(Variant("PagingArea"));
  ASSERT_NE(paging, nullptr);
  EXPECT_EQ(paging->Name() + "|" + paging->Description(), "Paging Area|");
  host->Support().SetExtendedEntityViews(false);  // Name asks afresh at each call
  EXPECT_EQ(paging->Name(), "Traffic PagingArea");
}

TEST_F(GRidirodevHostTest, LookupAggregatorTakesTheLastExactMatch) {
  testing::ScriptAggregators(db(), {{"Sum", 1, "Y", "Sum", "Sum"},
                                    {"Average", 2, "Y", "Avg", "Sum"},
                                    {"Total", 3, "N", "Sum", "Sum"},
                                    {"Max", 4, "N", "Max", "Max"}});
  // time, element, the aggregator found
  const char* const cases[][3] = {{"Sum", "", "Total"}, {"Sum", "Sum", "Total"}, {"Sum", "Avg", "Average"},
                                  {"Max", "", "Max"},   {"Avg", "", "none"},     {"Avg", "Sum", "none"},
                                  {"sum", "", "none"}};
  for (const auto& [time, element, expected] : cases) {
    SCOPED_TRACE(std::string(time) + "/" + element);
    const CAggregatorPtr found = GRidirodev::LookupAggregator(time, element);
    EXPECT_EQ(found ? found->Name() : "none", expected);
  }
  EXPECT_THAT(*GRidirodev::BasicAggregators(), ::testing::UnorderedElementsAre("Sum", "Max"));
}

TEST_F(GRidirodevHostTest, FunctionsOfACategoryAreANewSelectionOfTheSameObjects) {
  db().AddRows(sql::FunctionsStatement(),
               {{"Function_Name", "Function_Signature", "Function_Type_Id", "Function_Desc"},
                {{"ABS", "ABS(n)", 7, ""}, {"NVL", "NVL(a,b)", 2, ""}, {"ROUND", "ROUND(n,d)", 7, ""}}});
  auto all = GRidirodev::Functions(), seven = GRidirodev::Functions(7), nine = GRidirodev::Functions(9);
  ASSERT_TRUE(all && seven && nine);
  EXPECT_EQ(state().Functions(), all);  // the component-wide list itself, every time
  EXPECT_EQ(GRidirodev::Functions(0), all);
  EXPECT_NE(GRidirodev::Functions(7), seven);
  EXPECT_THAT(std::vector<CFunctionPtr>(seven->begin(), seven->end()),
              ::testing::ElementsAre(all->Item(Variant("ABS")), all->Item(Variant("ROUND"))));
  EXPECT_EQ(nine->Count(), 0);
}

TEST(GRidirodevTest, EntityIdsAndFieldTypes) {
  auto host = DictionaryHost(false);
  testing::ScriptFieldTypes(host->Database(), 1, {{1, "Peg", "Peg count"}});
  testing::ScriptFieldTypes(host->Database(), 2, {{4, "UDC", "Calculation"}});
  host->Database().AddRows("SELECT entity_id FROM TQN_ENTITY WHERE entity_name = 'O''Brien'",
                           {{"Entity_Id"}, {{77}}});
  MRidirodevScope scope(host);
  EXPECT_EQ(GRidirodev::EntityIDFromName("O'Brien") * 10 + GRidirodev::EntityIDFromName("Nobody"), 770);
  // A type only the Client template has is still found for Traffic, by exact description.
  EXPECT_EQ(GRidirodev::LookupFieldType("Traffic", "Peg count"), "Peg");
  EXPECT_EQ(GRidirodev::LookupFieldType("Traffic", "Calculation"), "UDC");
  EXPECT_EQ(GRidirodev::LookupFieldType("Traffic", "peg count") +
                GRidirodev::LookupFieldType("Client", "Calculation"),
            "");
}

}  // namespace
}  // namespace ridirodev
