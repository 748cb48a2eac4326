// Whole statement texts and call order of the reads and writes on the scripted database.
// Failures at each step, and day slots shorter than an hour, are run on the standalone database.
#include "ridirodev/model/busyhour/busy_hour_records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAreArray;
using Lines = std::vector<std::string>;
using sql::BusyHourByIdStatement;
using testing::ScriptedRows;

const Date kNeeded = Date::FromParts(2026, 1, 5);
// Definitions of Cell (3) with the columns a definition needs.
ScriptedRows Rows(std::initializer_list<int32_t> ids) {
  ScriptedRows rows{{"Id", "Name", "Description", "Span", "Changed", "FirstNeeded", "FirstAvail", "LastAvail",
                     "Scenario_Id", "MinRank", "MaxRank", "Cluster_Entity_Id"},
                    {}};
  for (int32_t id : ids)
    rows.rows.push_back({id, "BH", "d", "D", kNeeded, kNeeded, kNeeded, kNeeded, 0, 1, 1, 3});
  return rows;
}

class BusyHourRecordsTest : public testing::SampleDictionaryTest {
 protected:
  // The calls on the busy-hour tables and the transaction steps since the last look.
  Lines Calls() {
    Lines out;
    for (const std::string& line : host_->Journal().Lines()) {
      if (line.find("PM_") != std::string::npos || line.find(' ') == std::string::npos ||
          line.starts_with("sequence"))
        out.push_back(line);
    }
    host_->Journal().Clear();
    return out;
  }
  // Definition 9 of Cell, on field 17 unless a summation.
  CBusyHourPtr Stored(bool fPABH = true, bool fSummation = false) {
    db().AddRows(BusyHourByIdStatement(9), Rows({9}));
    auto bh = std::make_shared<CBusyHour>();
    LoadBusyHourById(state(), *bh, 9, false);
    auto fld = fSummation ? nullptr : std::make_shared<CField>();
    if (fld) fld->SetId(17);
    bh->InitializeNew(3, nullptr, "Bob's BH", "d", fld, "D", kNeeded, 1, 3, fPABH, 0, 35, Variant(),
                      Variant());
    Calls();
    return bh;
  }
};

TEST_F(BusyHourRecordsTest, InsertAndUpdateWriteTheDefinitionInOneTransaction) {
  const std::string pabh = "open SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= ",
                    zero = "'1899-12-30 00:00:00'";
  const std::string range =
      "execute INSERT INTO PM_HourRange (Id, BusyHourId, FirstHour, LastHour, FirstSeconds, LastSeconds) "
      "VALUES (SQ_HourRange.NEXTVAL,";
  db().AddRows(testing::TextContains("FROM PM_PABH WHERE"), {{"BH_COUNT"}, {{0}}});
  for (const bool retention : {false, true}) {
    state().BusyHour().retentionColumns = retention;
    CBusyHourPtr bh = Stored();
    const std::string id = retention ? "2" : "1";
    for (int32_t slot : {1, 18, 19}) bh->SetSelected(slot, true);
    EXPECT_TRUE(InsertBusyHourRecord(state(), *bh));
    EXPECT_THAT(
        Calls(),
        ElementsAreArray(Lines{
            "begin", "sequence SQ_BusyHour",
            "execute INSERT INTO PM_BusyHour (Id, UserId, Name, Changed,Cluster_Entity_Id, "
            "Field_Id, Description,FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id" +
                std::string(retention ? ", Daily_Retention, Weekly_Retention, Monthly_Retention " : " ") +
                " ) Values ( " + id +
                ",1,'Bob''s BH',SYSDATE,3,17,'d','2026-01-05 00:00:00','D',1,3,24,NULL" +
                (retention ? ",35,NULL,NULL)" : ")"),
            pabh + id, "execute INSERT INTO PM_PABH (Id  ) Values ( " + id + ")", range + id + ",1,1,0,3599)",
            range + id + ",18,19,61200,68399)", "commit",
            "open SELECT * FROM PM_BusyHour WHERE Id = " + id}));
    for (const bool required : {false, true}) {
      bh = Stored();
      bh->SetUpdateRequired(required);
      EXPECT_TRUE(UpdateBusyHourRecord(state(), *bh));
      EXPECT_FALSE(bh->UpdateRequired());
      const std::string changed = db().DateLiteral(bh->Changed())->Text();
      EXPECT_THAT(
          Calls(),
          ElementsAreArray(Lines{
              "begin",
              "execute UPDATE PM_BusyHour SET Name = 'Bob''s BH', Field_Id = 17, Description = 'd', Changed "
              "= " +
                  changed + ", FirstNeeded = '2026-01-05 00:00:00', Span = 'D', " +
                  (required ? "FirstAvail = " + zero + ", LastAvail = " + zero + ", " : "") +
                  "MinRank = 1, MaxRank = 3, Scenario_Id = NULL" +
                  (retention ? ", Daily_Retention = 35, Weekly_Retention = NULL, Monthly_Retention = NULL"
                             : "") +
                  " WHERE Id = 9",
              pabh + "9", "execute INSERT INTO PM_PABH (Id  ) Values ( 9)",
              "execute DELETE FROM PM_HourRange WHERE BusyHourId = 9", "commit"}));
    }
  }
}

// The PABH record is written only for a busy hour that asks for one and has none yet.
TEST_F(BusyHourRecordsTest, PABHRecordOnlyWhenAskedAndMissing) {
  const std::tuple<bool, bool, ScriptedRows> cases[] = {// summation, asked, count: no insert
                                                        {true, true, {}},
                                                        {false, false, {}},
                                                        {false, true, {{"BH_COUNT"}, {{1}}}},
                                                        {false, true, ScriptedRows::Nothing()}};
  for (const auto& [summation, asked, count] : cases) {
    if (!summation && asked) db().AddRows("SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= 9", count);
    EXPECT_TRUE(UpdateBusyHourRecord(state(), *Stored(asked, summation)));
    EXPECT_EQ(Calls().size(), !summation && asked ? 5u : 4u) << summation << asked;  // the count, no insert
  }
}

// A definition read without its retention columns (their check had failed at the time) leaves
// the stored retention alone when it is saved once the columns are known.
TEST_F(BusyHourRecordsTest, RetentionNeverReadIsNeverWritten) {
  db().AddRows(BusyHourByIdStatement(9), Rows({9}));
  auto bh = std::make_shared<CBusyHour>();
  LoadBusyHourById(state(), *bh, 9, false);
  state().BusyHour().retentionColumns = true;
  Calls();
  EXPECT_TRUE(UpdateBusyHourRecord(state(), *bh->Clone()));
  EXPECT_THAT(Calls().at(1), ::testing::Not(::testing::HasSubstr("Retention")));
  bh->SetWeeklyRetention(Variant(8));
  EXPECT_TRUE(UpdateBusyHourRecord(state(), *bh));
  EXPECT_THAT(Calls().at(1), ::testing::HasSubstr("Daily_Retention = NULL, Weekly_Retention = 8,"));
}

// A save that fails leaves the definition as the user had it, to be saved again.
TEST_F(BusyHourRecordsTest, AFailedSaveKeepsTheDefinitionAsItWas) {
  for (bool (*save)(MRidirodev&, CBusyHour&) : {&InsertBusyHourRecord, &UpdateBusyHourRecord}) {
    CBusyHourPtr bh = Stored();
    bh->SetUpdateRequired(true);
    bh->SetSelected(2, true);
    db().FailOnText("INSERT INTO PM_HourRange", AutomationError(3146, "db", "locked"));
    EXPECT_FALSE(save(state(), *bh));
    EXPECT_TRUE(bh->UpdateRequired() && bh->Id() == 9 && bh->Name() == "Bob's BH");
    EXPECT_EQ(Calls().back(), "rollback");
  }
  EXPECT_EQ(host_->ErrorReports().size(), 2u);
}

TEST_F(BusyHourRecordsTest, LoadsReadEveryRowWithItsHours) {
  const std::string ranges = "SELECT * FROM PM_HourRange WHERE BusyHourId = ";
  const std::string all =
      "Select b.* FROM PM_BusyHour b, tqd_dict_name d WHERE (b.Field_Id  IS NOT NULL AND "
      "d.Field_Id = b.Field_Id) ";
  db().AddRows(ranges + "5 ORDER BY Id", {{"FirstHour", "LastHour", "FirstSeconds", "LastSeconds"},
                                          {{18, 27, "NULL", Variant::Null()}, {1, 1, 0, 3599}}});
  db().AddRows("SELECT * FROM PM_BusyHour b WHERE Field_Id IS NULL  AND Cluster_Entity_Id =3", Rows({5, 6}));
  db().AddRows(all + " AND b.scenario_id in ( 4, 5 )", Rows({1}));
  auto bhs = std::make_shared<CBusyHours>();
  LoadCategorySummations(state(), *bhs, 3);
  EXPECT_EQ(bhs->Item(Variant("BH5"))->Hours(), "1-1,18-24");  // what fits of a run past the day
  EXPECT_EQ(LoadScenarioBusyHours(state(), "4, 5")->Count() + bhs->Count(), 3);
  EXPECT_EQ(testing::ErrorOf([&] { LoadScenarioBusyHours(state(), "4;5"); }), 5);
  LoadCategoryBusyHours(state(), *bhs, 3);
  state().BusyHour().retentionColumns = true;
  LoadCategoryBusyHours(state(), *bhs, 3);
  LoadAllBusyHours(state(), *bhs, false);
  LoadAllSummations(state(), *bhs, true);
  const Lines calls = Calls();
  const std::string category =
      "open SELECT b.Id, p.Id PABH_ID, p.FirstAvail PABH_FirstAvail, p.LastAvail PABH_LastAvail, b.UserId, "
      "b.Name, b.Changed, b.Cluster_Entity_Id, b.Field_Id, d.Name Field_Name, b.Description, b.FirstNeeded, "
      "b.Span , b.MinRank, b.MaxRank, b.FirstAvail, b.LastAvail, b.scenario_id ";
  const std::string from =
      "FROM PM_BusyHour b, tqd_dict_name d ,PM_PABH p WHERE b.Field_Id  IS NOT NULL AND "
      "b.Cluster_Entity_Id =3 AND d.Field_Id = b.Field_Id AND (p.ID (+) = b.ID)";
  EXPECT_THAT(
      Lines(calls.begin() + 1, calls.end()),
      ElementsAreArray(Lines{"open " + ranges + "5 ORDER BY Id", "open " + ranges + "6 ORDER BY Id",
                             "open " + all + " AND b.scenario_id in ( 4, 5 )", category + from,
                             category + ",b.Daily_Retention, b.Weekly_Retention, b.Monthly_Retention " + from,
                             "open " + all, "open SELECT * FROM PM_BusyHour WHERE Field_Id IS NULL"}));
  CBusyHour absent;
  LoadBusyHourById(state(), absent, 8, true);
  EXPECT_EQ(absent.Id(), 0);
  EXPECT_EQ(host_->Support().Logs().back().messages, Lines{"unable to load busy hour"});
}

}  // namespace
}  // namespace ridirodev
