#include "ridirodev/model/udc_writes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const std::string kStyleDelete = "execute Delete from tqd_field_style  Where Field_ID = 41";
const Lines kStyle = {
    kStyleDelete,
    "execute Insert Into tqd_field_style (Field_id,FontStyleMask,FontColor ) VALUES (41,1,255)"};
// UDR's extra columns: Site (names, editable), Region (data, editable; blanks) and Fixed (read-only).
const Lines kExtra = {
    "execute Delete from tqd_Dict_name  Where Field_ID = 41 AND Namespace_Id = 4",
    "execute Insert Into tqd_Dict_name (Entity_Id, Field_Id, Namespace_id, Name) Values ( 7,41,4,'Ally''s ')",
    "execute Delete from tqd_Field_Data  Where Field_ID = 41 AND DataSet_ID = 5"};
// Not the default of 30, so that a time-out written into the code shows.
constexpr int32_t kTimeout = 45;
const Lines kCommitAndStat = {"commit",
                              "procedure tq_Dictionary.UDC_Stat(41:integer, :string, :string, 45:integer)"};

class UdcPersistenceTest : public testing::SampleDictionaryTest {
 protected:
  UdcPersistenceTest() {
    db().AddRows(sql::ExtraColumnsStatement(3),
                 {{"Col_Title", "E_Type", "e_id", "Editable"},
                  {{"Site", "A", 4, "Y"}, {"Region", "N", 5, "Y"}, {"Fixed", "N", 6, "N"}}});
    db().ScriptRoutine("tq_Dictionary.New_UDC_F", {Variant(41), {}});
    host_->Support().SetAppTitle("PM");
    state().GroupServices().Settings()->SetValue("UDC Timeout", Variant(kTimeout));
    state().AppGroupTemplates();  // the capability probe runs here and would reset the flags
    state().flags.styleFieldsAvailable = true;
  }
  CFieldPtr Udc(int32_t weight, bool styled = true) {
    auto fld = std::make_shared<CField>();
    auto extra = std::make_shared<ExtraColumnValues>(
        ExtraColumnValues{{"Site", Variant("Ally's ")}, {"Region", Variant("   ")}, {"Fixed", Variant("x")}});
    fld->Initialize(0, "drop rate", 7, "UDR", "UDC", 5, "F", true, "Drop", "Rate", "Dropped calls", "1", 1,
                    "a/b 'x'", Date(), "", extra, "cx", weight, styled ? 1 : 0, styled ? 255 : 0);
    fld->Template()->ExtraColumns();
    host_->Journal().Clear();
    return fld;
  }
};

TEST_F(UdcPersistenceTest, InsertAndUpdateWriteInTheirOrder) {
  struct Case {
    bool complex, extended;
    int32_t weight;
    std::string insertTail, updateTail;
  } cases[] = {{false, false, 0, ")", ")"},
               {true, false, 0, ", cx:string)", ", 'cx', '')"},
               {true, true, 5, ", cx:string, 5:integer)", ", 'cx', 5)"},
               {false, true, 5, ", 5:integer)", ")"}};
  db().AddRows("SELECT version_id From tqn_entity WHERE entity_id = 7", {{"v"}, {{3}}});
  db().ScriptFunction("ea_dd.ea_replace_entity_labels", Variant("lab"));
  for (const Case& c : cases) {
    host_->Support().SetExtendedEntityViews(c.extended);
    state().flags.doComplex = c.complex;
    const Lines labels = c.extended
                             ? Lines{"query-value SELECT version_id From tqn_entity WHERE entity_id = 7",
                                     "call-function ea_dd.ea_replace_entity_labels(3,'a/b ''x''')"}
                             : Lines{};
    const std::string src = c.extended ? "lab" : "a/b 'x'", quoted = c.extended ? "lab" : "a/b ''x''";
    const Lines insert = {"begin",
                          "procedure tq_Dictionary.New_UDC_F(drop rate:string, Call:string, 3:integer, "
                          "1:integer, F:string, " +
                              src +
                              ":string, Drop:string, Rate:string, "
                              "Dropped calls:string, 5:integer, 1:string" +
                              c.insertTail};
    const Lines update = {"begin", "procedure tq_Dictionary.Update_UDC(41, 'F', '" + quoted +
                                       "', 'Drop', 'Rate', 'Dropped calls', 5, '1'" + c.updateTail};
    CFieldPtr fld = Udc(c.weight);
    EXPECT_TRUE(InsertUDC(state(), *fld));
    EXPECT_EQ(fld->Id(), 41);
    EXPECT_THAT(host_->Journal().Lines(),
                ElementsAreArray(Join({labels, insert, kStyle, kExtra, kCommitAndStat})));
    host_->Journal().Clear();
    EXPECT_TRUE(UpdateUDC(state(), *fld));
    EXPECT_THAT(host_->Journal().Lines(),
                ElementsAreArray(Join({labels, update, kExtra, kStyle, kCommitAndStat})));
  }
  const auto& traces = host_->Messages().Traces();
  EXPECT_EQ(
      traces.at(0).text,
      "Saving expression.\r\nQuery: BEGIN tq_Dictionary.New_UDC_F( drop rate,Call,3,1,F,a/b 'x',Drop,Rate,"
      "Dropped calls,5,1) ; END;");
  EXPECT_EQ(traces.at(1).text, "Function returned: 41");  // and level 10 for all three
  EXPECT_EQ(traces.at(2).text,
            "Checking expression.\r\nQuery: BEGIN tq_Dictionary.UDC_Stat( 41, , iTimeOut ) ; END;");
  EXPECT_EQ(traces[0].level * traces[1].level * traces[2].level, 1000);
}

// Failures before the commit are run step by step on a real database elsewhere. After the
// commit the row exists: the save counts as done, keeps its id, and the failure is one warning.
TEST_F(UdcPersistenceTest, FailuresAfterTheCommitAreWarningsOfASaveThatStands) {
  const std::pair<const char*, std::function<void()>> failures[] = {
      {"unreadable time-out",
       [&] { state().GroupServices().Settings()->SetValue("UDC Timeout", Variant("soon")); }},
      {"status read",
       [&] { host_->Journal().FailOnText("UDC_Stat", AutomationError(3146, "db", "timed out")); }}};
  for (const auto& [what, fail] : failures) {
    for (const bool insert : {true, false}) {
      SCOPED_TRACE(std::string(what) + (insert ? " after an insert" : " after an update"));
      CFieldPtr fld = Udc(0);
      if (!insert) fld->SetId(41);
      const size_t logs = host_->Support().Logs().size();
      fail();
      EXPECT_TRUE(insert ? InsertUDC(state(), *fld) : UpdateUDC(state(), *fld));
      EXPECT_EQ(fld->Id(), 41);
      EXPECT_THAT(host_->Journal().Lines(), ::testing::Contains("commit"));
      EXPECT_TRUE(host_->ErrorReports().empty());
      ASSERT_EQ(host_->Support().Logs().size(), logs + 1);
      const testing::LogEntry& warning = host_->Support().Logs().back();
      EXPECT_EQ(warning.severity, 2);
      EXPECT_EQ(warning.operation, insert ? "InsertUDC" : "UpdateUDC");
      state().GroupServices().Settings()->SetValue("UDC Timeout", Variant(kTimeout));
      host_->Journal().Clear();
    }
  }
}

TEST_F(UdcPersistenceTest, StatusReadAndShownAfterSave) {
  const std::string notYet(sql::kUDCNotTranslated), fail = "fail";  // fail: the read fails, status kept
  const std::string check = "m\r\nCheck the User-Defined Calculation and save again.|16|PM";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"", "m", "m|64|PM"}, {"S", "m", check}, {"I", "m", check},      {"U", notYet, ""},
      {"N", notYet, ""},    {"T", "m", ""},    {fail, "timed out", ""}};
  for (const auto& [code, read, box] : cases) {
    db().ScriptRoutine("tq_Dictionary.UDC_Stat", {Variant(), {{1, Variant(code)}, {2, Variant("m")}}});
    for (int i = 0; code == fail && i < 2; ++i)
      host_->Journal().FailOnText("UDC_Stat", AutomationError(3146, "db", "timed out"));
    std::string status = "?";
    EXPECT_EQ(sql::GetUDCStatus(state().Services(), Variant(41), status, 30), read);
    EXPECT_EQ(status, code == fail ? "?" : code);
    EXPECT_FALSE(host_->Support().WaitPointer());
    const auto& boxes = host_->Messages().MessageBoxes();
    const size_t before = boxes.size();
    // A status that cannot be read fails the check, for the save to report; it is not shown
    // as a status.
    EXPECT_EQ(testing::ErrorOf([&] { CheckUDCAfterSave(state(), 41); }), code == fail ? 3146 : 0);
    ASSERT_EQ(boxes.size(), before + (box.empty() ? 0 : 1)) << code;
    EXPECT_EQ(box.empty() ? "" : boxes.back().text + "|" + std::to_string(boxes.back().style) + "|PM", box);
  }
  host_->Journal().Clear();
  std::string kept = "kept";
  EXPECT_EQ(sql::GetUDCStatus(state().Services(), Variant(0), kept, 30), "");
  EXPECT_TRUE(host_->Journal().Lines().empty() && kept == "kept");
  // The facade waits as long as the setting says; the field's own check does not wait.
  CFieldPtr fld = Udc(0);
  fld->SetId(41);
  GRidirodev::GetExpressionError(Variant(41));
  fld->ExpressionError();
  EXPECT_THAT(host_->Journal().Lines(),
              ElementsAre(kCommitAndStat[1],
                          "procedure tq_Dictionary.UDC_Stat(41:integer, :string, :string, 0:integer)"));
}

// An id of 0 names no row: nothing may be written for field 0, and the save fails.
TEST_F(UdcPersistenceTest, AnInsertAnsweredWithIdZeroWritesNothingMore) {
  db().ScriptRoutine("tq_Dictionary.New_UDC_F", {Variant(0), {}});
  CFieldPtr fld = Udc(5);
  EXPECT_FALSE(InsertUDC(state(), *fld));
  EXPECT_EQ(fld->Id(), 0);
  EXPECT_EQ(host_->ErrorReports().size(), 1u);
  EXPECT_THAT(host_->Journal().Lines(), ElementsAre("begin", HasSubstr("New_UDC_F"), "rollback"));
}

// A setting that cannot be read fails the save the way a failing statement does: reported once,
// false, and nothing written.
TEST_F(UdcPersistenceTest, ASaveWhoseSettingsCannotBeReadIsReportedAndFails) {
  CFieldPtr fld = Udc(5);
  MRidirodevScope fresh{host_};  // a state that has not made its support object yet
  host_->ReturnNothingFrom(testing::HostFactory::kSupport);
  EXPECT_FALSE(InsertUDC(fresh.State(), *fld));
  EXPECT_FALSE(UpdateUDC(fresh.State(), *fld));
  EXPECT_THAT(host_->ErrorReports(),
              ElementsAre(HasSubstr("support services"), HasSubstr("support services")));
  EXPECT_EQ(fld->Id(), 0);
  EXPECT_THAT(host_->Journal().Lines(), ::testing::Each(::testing::Not(HasSubstr("UDC"))));
}

TEST_F(UdcPersistenceTest, WithoutTheStyleTableNoCalculationWriteTouchesIt) {
  state().flags.styleFieldsAvailable = false;
  CFieldPtr fld = Udc(0);
  EXPECT_TRUE(InsertUDC(state(), *fld));
  EXPECT_TRUE(UpdateUDC(state(), *fld));
  EXPECT_TRUE(DeleteUDC(state(), 41));
  EXPECT_THAT(host_->Journal().Lines(), ::testing::Contains("procedure tq_Dictionary.Delete_UDC(41)"));
  EXPECT_THAT(host_->Journal().Lines(), ::testing::Each(::testing::Not(HasSubstr("field_style"))));
}

TEST_F(UdcPersistenceTest, SingleWrites) {
  db().ScriptRoutine("ea_client.add_common_field", {Variant(), {{1, Variant(88)}}});
  CFieldPtr fld = Udc(0, false), fresh = Udc(0);
  fld->SetId(41);
  const std::pair<std::function<void()>, Lines> cases[] = {
      {[&] { sql::RenameUDC(state().Database(), 41, "o'k"); },
       {"execute Update Tqd_Dict_name  Set Name = 'o''k' Where Field_ID = 41 AND Namespace_Id = 0"}},
      {[&] { sql::ChangeUDCOwner(state().Database(), 41, 9); },
       {"procedure tq_Dictionary.Update_Field_Owner(41, 9)"}},
      {[&] { EXPECT_TRUE(DeleteUDC(state(), 41)); },
       {"begin", "execute Delete from tqd_Field_Data where Field_Id = 41", kStyleDelete,
        "procedure tq_Dictionary.Delete_UDC(41)", "commit"}},
      {[&] { SaveFieldStyle(state(), *fld); }, {kStyleDelete}},  // no style: no row
      {[&] { sql::RemoveCommonField(state().Database(), 41); },
       {"procedure ea_client.remove_common_field(41)"}},
      {[&] { UpdateCommonFieldRow(state(), *fld); },
       {"procedure ea_client.update_common_field(41, 'Dropped calls', 'Drop', 'Rate', '1', '', 1, '', 5, "
        "'F')"}},
      {[&] { AddCommonFieldRow(state(), *fresh); },
       {"procedure ea_client.add_common_field(:integer, 7:integer, drop rate:string, Dropped calls:string, "
        "Drop:string, Rate:string, :string, 1:string, F:string, :integer, 1:integer, :integer, 5:integer)"}}};
  for (const auto& [run, expected] : cases) {
    host_->Journal().Clear();
    run();
    EXPECT_THAT(host_->Journal().Lines(), ElementsAreArray(expected));
  }
  EXPECT_EQ(fresh->Id(), 88);  // the routine's output, not its entity id
}

}  // namespace
}  // namespace ridirodev
