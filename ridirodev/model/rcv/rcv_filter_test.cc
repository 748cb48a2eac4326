#include "ridirodev/model/rcv/rcv_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/rcv_statements.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(RcvStatementsTest, WholeTexts) {
  const std::string w =
      "WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' "
      ") ";
  const std::string select = "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id,";
  const std::string from = "FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity ";
  const std::string join = "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID =";
  const std::string order = "ORDER BY RCVFormName, RCVFieldName";
  EXPECT_EQ(sql::RcvFieldsStatement(), select + " dn.Name fieldName, dn.Entity_Id , e.Entity_Name " + from +
                                           "e " + w +
                                           "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 " +
                                           "AND dn.Entity_ID = e.Entity_ID " + order);
  EXPECT_EQ(sql::RcvFieldsMappedStatement(),
            select + "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, f.entityname HighlightUDR " + from +
                "e, pel_rcvform_entity f " + w + join + " e.Entity_ID AND fd.Datavalue = f.rcvformname " +
                "and  ( (dn.report_header2  != 'deter_thresh' and fd.datavalue = 'ceqface3g')  and  "
                "(dn.report_header2  != 'enable_thresh' and fd.datavalue = 'ceqface3g') ) Union " +
                select +
                " dn.Name fieldName, dn.Entity_Id, e.Entity_Name, 'CellEqFace3GCDMACarrier' HighlightUDR " +
                from + "e, pel_rcvform_entity f " + w + join +
                "e.Entity_ID AND fd.Datavalue = f.rcvformname " +
                "and (dn.report_header2   in ('deter_thresh','enable_thresh') and fd.dataValue='ceqface3g') "
                "Union " +
                select + " dn.Name fieldName, dn.Entity_Id, e.Entity_Name, f.entityname HighlightUDR " +
                from + " e, pel_rcvform_entity f " + w + join +
                " e.Entity_ID AND fd.Datavalue = f.rcvformname   and fd.datavalue != 'ceqface3g' " + order);
}

// "form: field(entity entity-id/field-id) ...", one entry a form.
std::vector<std::string> Shape(const CRcvFilter& filter) {
  std::vector<std::string> forms;
  for (const CRcvFormPtr& form : filter) {
    forms.push_back(form->Name() + ":");
    for (const CRcvFieldPtr& f : *form) {
      forms.back() += " " + f->Name() + "(" + f->Entity_Name() + " " + std::to_string(f->Entity_Id()) + "/" +
                      std::to_string(f->Field_Id()) + ")";
    }
  }
  return forms;
}

// Rows: form, field, field id, entity id, dictionary entity, mapped entity.
std::shared_ptr<testing::TestHost> Host(bool mapped, std::vector<std::vector<Variant>> rows) {
  auto host = std::make_shared<testing::TestHost>();
  if (mapped) host->Database().AddTable("pel_rcvform_entity");
  host->Database().AddRows(
      mapped ? sql::RcvFieldsMappedStatement() : sql::RcvFieldsStatement(),
      {{"RCVFormName", "RCVFieldName", "field_id", "Entity_Id", "Entity_Name", "HighlightUDR"},
       std::move(rows)});
  return host;
}

TEST(RcvFilterTest, LoadedOnceFromRunsOfRows) {
  const std::string face = "CellEqFace3GCDMACarrier";
  const std::vector<std::vector<Variant>> rows = {{"ceqface3g", "deter_thresh", 1, 14, "SectorCarrier", face},
                                                  {"ceqface3g", "deter_thresh", 2, 15, face, face},
                                                  {"ceqface3g", "tx_power", 3, 15, face, "SectorCarrier"},
                                                  {"ceqface3g", "tx_power", 4, 14, "Carrier", "C"},
                                                  {"cell2", "ho", 5, 12, "CellSite", "Cell"},
                                                  {"cell2", "ho", 6, 15, face, face}};
  const std::pair<bool, std::vector<std::string>> cases[] = {
      {false,
       {"ceqface3g: deter_thresh(" + face + " 15/2) tx_power(" + face + " 15/3)",
        "cell2: ho(CellSite 12/5)"}},
      {true,
       {"ceqface3g: deter_thresh(" + face + " 15/2) tx_power(SectorCarrier 15/3)", "cell2: ho(Cell 12/5)"}}};
  for (const auto& [mapped, shape] : cases) {
    auto host = Host(mapped, rows);
    MRidirodevScope scope(host);
    testing::TestComboBox combo;
    combo.AddItem("stale");
    GRidirodev::PopulateRcvFormCB(combo);
    EXPECT_THAT(combo.Items(), ElementsAre("<RCV/EMS Form>", "ceqface3g", "cell2"));
    // A form of one field leaves nothing to choose.
    const std::pair<std::string, std::vector<std::string>> fieldCases[] = {
        {"CEQFACE3G", {"<RCV/EMS Field>", "deter_thresh", "tx_power"}},
        {"cell2", {"<RCV/EMS Field>"}},
        {"absent", {"<RCV/EMS Field>"}}};
    for (const auto& [form, items] : fieldCases) {
      combo.SetListIndex(-1);
      GRidirodev::PopulateRcvFieldCB(form, combo);
      EXPECT_THAT(combo.Items(), ElementsAreArray(items));
      EXPECT_EQ(combo.ListIndex(), 0);
    }
    const CRcvFilterPtr filter = GRidirodev::RcvFilter();
    EXPECT_THAT(Shape(*filter), ElementsAreArray(shape));
    EXPECT_EQ(host->Journal().Calls().size(), 1u);
    EXPECT_EQ(filter->GetEntityFromRcvFormName("ceqface3g") + filter->GetEntityFromRcvFormName("absent"),
              face);
    const CRcvFieldPtr tx = filter->GetRcvFieldValue("ceqface3g", "tx_power");
    EXPECT_TRUE(tx && tx == filter->GetRcvFieldValue("ceqface3g", "tx_power"));
    EXPECT_FALSE(filter->GetRcvFieldValue("ceqface3g", "ho") || filter->GetRcvFieldValue("absent", "ho"));
  }
}

TEST(RcvFilterTest, FailingLoadKeepsTheFormsItCompletedAndIsLogged) {
  auto host = Host(false, {{"a", "x", 1, 12, "Cell", ""},
                           {"b", "y", 2, 12, "Cell", ""},
                           {"b", "z", "not a number", 12, "Cell", ""},
                           {"c", "w", 3, 12, "Cell", ""}});
  MRidirodevScope scope(host);
  EXPECT_THAT(Shape(*GRidirodev::RcvFilter()), ElementsAre("a: x(Cell 12/1)"));
  EXPECT_TRUE(host->Database().Recordsets().back()->Closed());
  EXPECT_EQ(host->Support().Logs().size(), 1u);
}

}  // namespace
}  // namespace ridirodev
