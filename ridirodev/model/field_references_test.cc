#include "ridirodev/model/field_references.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "ridirodev/store/referencing_documents.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using FieldReferencesTest = testing::HostTest;

// Each busy hour is read by id, with its hours, while the row set of its field is still open;
// a stop asked by the folder services ends the walk after the first field's row set.
TEST_F(FieldReferencesTest, BusyHoursAreReadInsideTheWalkOverTheFields) {
  db().AddRows(sql::FieldBusyHoursStatement("41"), {{"Id"}, {{9}}});
  db().AddRows(sql::BusyHourByIdStatement(9),
               {{"Id", "Name", "Description", "Span", "Changed", "FirstNeeded", "FirstAvail", "LastAvail",
                 "Scenario_Id", "MinRank", "MaxRank"},
                {{9, "Peak", "", "D", Date(), Date(), Date(), Date(), 0, 1, 1}}});
  db().AddRows(sql::HourRangesStatement(9),
               {{"FirstHour", "LastHour", "FirstSeconds", "LastSeconds"}, {{2, 3, 0, 0}}});
  CFields fields;
  for (int32_t id : {41, 42}) {
    auto fld = std::make_shared<CField>();
    fld->Initialize(id, "Calc" + std::to_string(id), 3, "Traffic", "UDC", 1, "F", true, "", "", "", "", 0, "",
                    Date());
    fields.Add(fld);
  }
  host_->Journal().Clear();
  CBusyHours busyHours;
  LoadFieldReferencingBusyHours(state(), fields, busyHours);
  host_->FolderServices().stopRequested = true;
  LoadFieldReferencingBusyHours(state(), fields, busyHours);
  const std::string ids = "open SELECT Id FROM PM_BusyHour WHERE Field_Id=";
  EXPECT_THAT(host_->Journal().Lines(),
              ::testing::ElementsAre(ids + "41", "open " + sql::BusyHourByIdStatement(9),
                                     "open " + sql::HourRangesStatement(9), ids + "42", ids + "41"));
  EXPECT_EQ(busyHours.Count(), 1);
  EXPECT_EQ(busyHours.Item(Variant("BH9"))->Hours(), "2-3");
}

}  // namespace
}  // namespace ridirodev
