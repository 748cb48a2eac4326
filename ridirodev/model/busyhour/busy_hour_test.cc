#include "ridirodev/model/busyhour/busy_hour.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

class BusyHourTest : public testing::SampleDictionaryTest {
 protected:
  BusyHourTest() {
    db().AddRows(testing::TextContains("d.Field_Id in (41)"),
                 testing::FieldRows({{{"Field_Id", 41}, {"Entity_Id", 3}, {"Name", "calls"}}}));
  }
  // Of entity 3 (Cell, labelled Cell Site), owned by TestUser, with field 41 when withField.
  CBusyHourPtr Made(bool withField, const std::string& span = "D") {
    auto bh = std::make_shared<CBusyHour>();
    bh->InitializeNew(3, host_->FolderServices().CurrentUser(), "Evening", "",
                      withField ? Field41() : nullptr, span, Date(), 1, 3, false, 0, Variant(), Variant(),
                      Variant());
    return bh;
  }
  CFieldPtr Field41() { return GRidirodev::GetFieldFromId("Traffic", Variant(41)); }
};

TEST_F(BusyHourTest, DerivedValuesFollowFieldAndEntityViews) {
  // Category|BusyHourType|Field|FieldId by field and entity views: Category by the entity, never
  // the label; the type always by category name.
  const std::tuple<bool, bool, std::string> cases[] = {{false, false, "Cell|Summation||0"},
                                                       {false, true, "Cell|Summation||0"},
                                                       {true, false, "Cell|Cell Busy Hour|calls|41"},
                                                       {true, true, "Cell|Cell Site Busy Hour|calls|41"}};
  for (const auto& [withField, extended, expected] : cases) {
    host_->Support().SetExtendedEntityViews(extended);
    CBusyHourPtr bh = Made(withField);
    EXPECT_EQ(
        bh->Category() + "|" + bh->BusyHourType() + "|" + bh->Field() + "|" + std::to_string(bh->FieldId()),
        expected);
  }
  EXPECT_EQ(CBusyHour().Key() + CBusyHour().Category(), "BH0");
}

TEST_F(BusyHourTest, HoursAndFilters) {
  const std::pair<std::vector<int32_t>, std::string> hours[] = {
      {{}, ""}, {{1, 2, 3, 7}, "1-3,7-7"}, {{1, 2, 23, 24}, "1-2,23-24"}};
  for (const auto& [slots, expected] : hours) {
    CBusyHour bh;
    for (int32_t slot : slots) bh.SetSelected(slot, true);
    EXPECT_EQ(bh.Hours(), expected);
  }
  CBusyHourPtr daily = Made(false, "D");
  EXPECT_TRUE(daily->IsFilterOK() && daily->IsFilterOK("Summation", "TestUser", "DW"));
  EXPECT_FALSE(daily->IsFilterOK("summation") || daily->IsFilterOK("", "Other") ||
               daily->IsFilterOK("", "", "WM"));
}

TEST_F(BusyHourTest, CloneCopiesSlotsAndSharesReferences) {
  CBusyHourPtr bh = Made(true);
  bh->SetSelected(5, true);
  CBusyHourPtr copy = bh->Clone();
  copy->SetSelected(6, true);
  EXPECT_EQ(bh->Hours() + " " + copy->Hours(), "5-5 5-6");
  EXPECT_TRUE(copy->FieldObject() == bh->FieldObject() && copy->Owner() == bh->Owner() &&
              copy->CategoryObject() == bh->CategoryObject() && copy->Changed() == bh->Changed());
  const CFieldPtr field = bh->FieldObject();
  bh->SetFieldId(41);  // the same id keeps the object
  EXPECT_EQ(bh->FieldObject(), field);
}

TEST_F(BusyHourTest, InitializeFromRowReadsTheOptionalColumnsWhenPresent) {
  testing::ScriptedRows rows{{"Id", "Name", "Description", "Span", "Changed", "FirstNeeded", "FirstAvail",
                              "LastAvail", "Scenario_Id", "MinRank", "MaxRank"},
                             {{7, "Peak", "", "W", Variant::Null(), Variant::Null(), Variant::Null(),
                               Variant::Null(), 4, Variant::Null(), 9}}};
  auto read = [&](const CBusyHourPtr& bh) {
    bh->InitializeFromRow(sql::ReadBusyHourRow(db(), testing::ScriptedRecordset(rows)));
    return bh->Key() + "|" + std::to_string(bh->PABH_Defined()) + "|" + bh->DailyRetention().ToString() +
           "|" + bh->OwnerName() + "|" + std::to_string(bh->FieldId()) + "|" +
           std::to_string(bh->TypeEntityId()) + "|" + std::to_string(bh->LowRank()) + "-" +
           std::to_string(bh->HighRank());
  };
  CBusyHourPtr bh = Made(true);
  bh->SetPABH_Defined(true);
  bh->SetDailyRetention(30);
  EXPECT_EQ(read(bh), "BH7|1|30||0|0|0-9");  // PABH and retention stay; owner, field, category go
  for (const char* column : {"PABH_ID", "DAILY_RETENTION", "UserId", "Field_Id", "Cluster_Entity_Id"})
    rows.columns.push_back(column);
  rows.rows[0].insert(rows.rows[0].end(), {Variant::Null(), 12, 1, 41, 3});
  EXPECT_EQ(read(bh), "BH7|0|12|TestUser|41|3|0-9");

  rows.columns.erase(rows.columns.begin() + 10);  // no MaxRank: fails and changes nothing
  rows.rows[0].erase(rows.rows[0].begin() + 10);
  CBusyHourPtr untouched = Made(false);
  EXPECT_EQ(testing::ErrorOf([&] { read(untouched); }), 3265);
  EXPECT_EQ(untouched->Key() + untouched->Name(), "BH0Evening");
}

TEST_F(BusyHourTest, ValueAndCompareByColumn) {
  CBusyHourPtr a = Made(false, "D");
  CBusyHourPtr b = Made(false, "X");
  b->SetName("EVENING");
  a->SetFirstNeeded(Date::FromParts(2026, 12, 1));
  b->SetFirstNeeded(Date::FromParts(2026, 2, 1));  // earlier, though its text sorts after
  const std::tuple<int32_t, std::string, int32_t> cases[] = {
      {bhName + 5, "Evening", 0}, {bhFirstNeeded, "12/1/2026", 1}, {bhFirstStored, "", 0},
      {bhSpan, "Daily", 1},       {bhType + 255, "Summation", 0},  {bhDescription + 256 * 20, "", 0}};
  for (const auto& [column, value, compare] : cases) {
    EXPECT_EQ(a->Value(column).ToString() + "|" + std::to_string(a->Compare(column, *b)),
              value + "|" + std::to_string(compare));
  }
}

}  // namespace
}  // namespace ridirodev
