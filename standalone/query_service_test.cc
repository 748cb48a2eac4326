#include "standalone/query_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/store/xml_gateway.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "testing/sample.h"

namespace ridirodev::standalone {
namespace {

TEST(TemplateFieldConditionTest, AcceptsTheComponentsFiltersAndNothingElse) {
  // "" marks a filter to refuse: each a step away from what the component sends.
  const std::pair<std::string, std::string_view> cases[] = {
      {sql::FieldIdFilter(-1), "d.Field_Id = -1"},
      {sql::FieldIdsFilter(" 41, 42"), "d.Field_Id IN (41,42)"},
      {"DatasourceId = 2 && Entity_Id = 12", "d.DataSource_ID = 2 AND d.Entity_Id = 12"},
      {"DatasourceId = 2 && inGroup(Entity_Id, 10,11)  && Field_Group_Short != 'UDC'",
       "d.DataSource_ID = 2 AND d.Entity_Id IN (10,11) AND d.Field_Group_Short <> 'UDC'"},
      {"DatasourceId = 1 && Entity_Id = 12  && Field_Group_Short = 'UDC'",
       "d.DataSource_ID = 1 AND d.Entity_Id = 12 AND d.Field_Group_Short = 'UDC'"},
      {"", ""},
      {"Field_Id = 1 OR 1=1", ""},
      {"Field_Id = 1; DROP TABLE tqd_Dict_Field", ""},
      {"Field_Id = '1'", ""},
      {"Field_Id = 99999999999", ""},
      {"Name = 'Calls'", ""},
      {"inGroup(Field_Id, 1,)", ""},
      {"inGroup(Entity_Id, 1)", ""},
      {"DatasourceId = 2 && Field_Id = 3", ""},
      {"Field_Id = 1 && Field_Group_Short = 'KEY'", ""},
      {"Field_Id = 1  && Field_Group_Short = 'UDC' && 1 = 1", ""}};
  for (const auto& [filter, condition] : cases) {
    if (condition.empty()) {
      EXPECT_THROW(TemplateFieldCondition(filter), AutomationError) << filter;
    } else {
      EXPECT_EQ(TemplateFieldCondition(filter), condition) << filter;
    }
  }
}

TEST(XmlGatewayTest, TheKeySwitchesTheGatewayForTheProbe) {
  for (bool on : {false, true}) {
    MRidirodevScope scope(testing::SampleHost([&](auto& c) { c.xmlGateway = on; }));
    GRidirodev::AppGroupTemplates();
    EXPECT_EQ(scope.State().flags.xmlGatewayAvailable, on);
  }
}

// Every property a load sets, by key; extra values last, after "#".
std::map<std::string, std::string> Describe(const CFields& fields,
                                            const std::function<bool(const CField&)>& wanted = nullptr) {
  std::map<std::string, std::string> out;
  for (const CFieldPtr& f : fields) {
    if (wanted && !wanted(*f)) continue;
    std::string text = std::to_string(f->Id()) + "|" + std::string(f->Name()) + "|" +
                       std::to_string(f->EntityId()) + "|" + f->ColumnHeading1() + "|" + f->ColumnHeading2() +
                       "|" + f->Description() + "|" + f->DataType() + "|" + std::to_string(f->NullOk()) +
                       "|" + f->Aggregator() + "|" + std::to_string(f->UserId()) + "|" + f->FieldType() +
                       "|" + std::to_string(f->FieldTechBits()) + "|" + f->Status() + "|" +
                       f->Changed().ToIso() + "|" + f->CalcSource() + "|" + f->Complex() + "|" +
                       std::to_string(f->FontMask()) + "|" + std::to_string(f->FontColor()) + "#";
    for (const CExtraColumnPtr& column : *f->Template()->ExtraColumns()) {
      text += f->ExtraFieldValue(column->Name()).ToString() + "|";
    }
    out.emplace(f->Key(), text);
  }
  return out;
}

TEST(XmlGatewayTest, GivesTheFieldsTheSqlLoadGives) {
  MRidirodevScope scope(testing::SampleHost([](auto& c) { c.xmlGateway = true; }));
  bool& gateway = scope.State().flags.xmlGatewayAvailable;
  for (const std::string app : {"Traffic", "Client"}) {
    CAppGroupTemplatePtr tpl = GRidirodev::AppGroupTemplate(app);
    auto both = [&](const std::function<CFieldsPtr()>& load,
                    const std::function<bool(const CField&)>& wanted) {
      std::map<std::string, std::string> out[2];
      for (bool on : {false, true}) {
        gateway = on;
        tpl->ClearAll();
        out[on] = Describe(*load(), wanted);
      }
      EXPECT_EQ(out[true], out[false]) << app;
      return out[false];
    };
    const auto all = both([&] { return tpl->AllFields(); }, nullptr);
    ASSERT_GT(all.size(), 10u) << app;
    for (const CFieldCategoryPtr& category : *tpl->FieldCategories()) {
      both([&] { return tpl->Fields(category->Id()); }, nullptr);
    }
    std::string ids;
    const CFieldsPtr loaded = tpl->AllFields();
    for (const CFieldPtr& f : *loaded) ids += (ids.empty() ? "" : ",") + std::to_string(f->Id());
    both([&] { return LoadFieldsByIds(MRidirodev::Current(), app, ids, true); }, nullptr);
    if (app != "Traffic") continue;
    EXPECT_TRUE(
        std::any_of(all.begin(), all.end(), [](const auto& f) { return !f.second.ends_with("#||"); }));
    // The one-kind filters of Traffic's Cell (data source 2, entity 12); the SQL side loads both kinds.
    for (const bool udc : {false, true}) {
      const std::string filter = "DatasourceId = 2 && Entity_Id = 12  && Field_Group_Short " +
                                 std::string(udc ? "= 'UDC'" : "!= 'UDC'");
      const auto kind =
          both([&] { return gateway ? LoadXmlFields(MRidirodev::Current(), app, filter) : tpl->Fields(kSampleCellEntity); },
               [&](const CField& f) { return gateway || (f.IsExpression() == udc && f.AppName() == app); });
      EXPECT_FALSE(kind.empty());
    }
  }
}

}  // namespace
}  // namespace ridirodev::standalone
