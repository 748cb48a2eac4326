#include <gtest/gtest.h>

#include <tuple>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

// "id name" of each definition, "!" after the name of one not available, joined by "|".
std::string Definitions(const IAppPropertySetPtr& set) {
  std::string out;
  for (int32_t i = 1; i <= set->Count(); ++i) {
    const IAppPropertyDefinitionPtr d = set->Item(i);
    EXPECT_EQ(d->Width(), 1200.0F);
    out += (i > 1 ? "|" : "") + std::to_string(d->Id()) + " " + d->Name() + (d->Available() ? "" : "!");
  }
  return out;
}

using PropertySetsTest = testing::SampleDictionaryTest;

const std::string kLeading =
    "256 Name|512 Entity|768 Tech Type|1024 Field Type|1280 Heading_1|1536 Heading_2|1792 Description|";

TEST_F(PropertySetsTest, FieldSetsInTheirOrderUnderEachSwitch) {
  host_->Features().Set("FlexibleAggregation", true);
  EXPECT_EQ(Definitions(GRidirodev::FieldProperties("Traffic")),
            kLeading + "2304 Time Aggregator|2560 Element Aggregator|3072 Data Type|2816 Status|3328 UDC_Source|"
                       "3584 Modified|2048 Owner|3840 Complex|4097 RCVFormName|4098 Vendor");
  EXPECT_EQ(Definitions(GRidirodev::ExpressionProperties("Traffic")).substr(kLeading.size()),
            "2304 Time Aggregator|2560 Element Aggregator|3072 Data Type|2816 Status|3328 UDC_Source|3584 "
            "Modified|2048 Owner|3840 Complex|4097 RCVFormName|4098 Vendor!");
  EXPECT_EQ(GRidirodev::ExpressionProperties("Traffic"), GRidirodev::ExpressionProperties("Traffic"));
  EXPECT_EQ(GRidirodev::ExpressionProperties("Nowhere"), nullptr);

  host_->Features().Set("FlexibleAggregation", false);
  EXPECT_EQ(Definitions(GRidirodev::EQVToolProperties()).substr(kLeading.size()),
            "2304 Aggregator|3072 Data Type|2816 Status|2048 Owner|3840 Complex|4097 RCVFormName|4098 Vendor");
  EXPECT_EQ(Definitions(GRidirodev::DefaultFieldProperties()).substr(kLeading.size()),
            "3072 Data Type|2816 Status|3328 UDC_Source|3584 Modified|2048 Owner|3840 Complex");
  EXPECT_EQ(Definitions(GRidirodev::ExpressTemplateProperties()),
            "256 Name|512 Entity|768 Tech Type|1024 Field Type");
}

TEST_F(PropertySetsTest, ListsAndTheColumnMap) {
  EXPECT_EQ(GRidirodev::TrafClntFieldTypesValueList().ToString(), "RAW,UDC,KEY,EXT");
  {
    // With external data sources the Client types Traffic lacks join, labels padded to one width.
    auto host = std::make_shared<testing::TestHost>();
    testing::ScriptTemplates(host->Database(), {{1, "Client", 5}, {2, "Traffic", 5}, {3, "UDR", 6}});
    testing::ScriptFieldTypes(host->Database(), 2, {{11, "Peg", "Peg count"}});
    testing::ScriptFieldTypes(host->Database(), 1, {{11, "Peg", "Other"}, {15, "Duration", "Call time"}});
    testing::ScriptFieldTypes(host->Database(), 3, {{16, "Record", "Call record"}});
    host->GroupServices().folderNames = {"ASCII Data Sources"};
    MRidirodevScope scope(host);
    EXPECT_EQ(GRidirodev::TrafClntFieldTypesValueList().ToString(), "Peg,Duration");
    EXPECT_EQ(GRidirodev::TrafClntFieldTypesLabelList().ToString(),
              "Peg      - Peg count,Duration - Call time");
    // Client's types join Traffic's only when asked, and only for Traffic.
    const std::tuple<const char*, bool, std::vector<std::string>> cases[] = {
        {"Traffic", true, {"All", "Peg count", "Other", "Call time"}},
        {"Traffic", false, {"All", "Peg count"}},
        {"UDR", true, {"All", "Call record"}}};
    for (const auto& [app, external, items] : cases) {
      testing::TestComboBox combo;
      GRidirodev::PopulateTypeCB(combo, app, external);
      EXPECT_EQ(combo.Items(), items) << app << external;
    }
  }
  EXPECT_EQ(GRidirodev::AggregatorValueList(), GRidirodev::AggregatorLabelList());
  EXPECT_FALSE(GRidirodev::AggregatorValueList().empty());

  host_->Features().Set("FlexibleAggregation", true);
  std::string map;
  const auto columns = GRidirodev::AppFieldMap("Traffic");
  for (auto it = columns->begin(); it != columns->end(); ++it) map += it.key() + "=" + *it + "|";
  EXPECT_EQ(map,
            "Name=Name|Entity_Id=Entity|Tech_Mask=Tech Type|Field_Group_Short=Field Type|Report_Header=Heading_1|"
            "Report_Header2=Heading_2|Field_Desc=Description|Field_Owner=Owner|Field_Aggregator=Aggregator|"
            "Status=Status|DataType=Data Type|UDC_Source=UDC_Source|Changed=Modified|Complex=Complex|"
            "Time_Aggregator=Time Aggregator|Element_Aggregator=Element Aggregator|RCVFormName=RCVFormName|"
            "Vendor=Vendor|");
  EXPECT_EQ(GRidirodev::AppFieldMap("Traffic"), columns);
}

TEST_F(PropertySetsTest, CombosAreFilledBetweenPreparationAndCompletion) {
  host_->Database().AddRows(sql::TemplateCategoriesStatement(false, 5),
                            {{"Entity_Id", "Entity_Name", "Entity_Desc", "Can_Rpt"},
                             {{1, "System", "The network", "Y"}, {3, "Cell", "Cell site", "Y"}}});
  testing::TestComboBox combo;
  combo.AddItem("stale");
  GRidirodev::PopulateTypeCB(combo, "Traffic", true);  // the Client types are Traffic's already
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"All", "Raw counter", "Calculation", "Key", "External"}));
  EXPECT_EQ(combo.ListIndex(), 0);
  GRidirodev::PopulateTechTypeCB(combo);
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"<All Tech Types>", "GSM", "CDMA", "UMTS", "LTE"}));
  GRidirodev::UpdateCategoryCB(combo, "");
  EXPECT_EQ(combo.Items(), std::vector<std::string>{"All"});
  GRidirodev::UpdateCategoryCB(combo, "Traffic");
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"All", "Traffic System", "Traffic Cell"}));

  const IAppSettingsNodePtr state = GRidirodev::ExpressTemplateState();
  EXPECT_EQ(state, GRidirodev::ExpressTemplateState());
  EXPECT_EQ(state->Name(), "ExpressTemplateRoot");
  std::string children;
  for (const IAppSettingsNodePtr& child : state->Children()) children += child->Name() + "|";
  EXPECT_EQ(children, "Express Available Properties|Express Selected Properties|");
}

}  // namespace
}  // namespace ridirodev
