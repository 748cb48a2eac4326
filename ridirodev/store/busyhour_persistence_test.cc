// The store's own writes on the scripted database; the reads and the definition writes are run
// through the model (model/busyhour/busy_hour_records_test.cc).
#include "ridirodev/store/busyhour_persistence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridirodev/host/host_services.h"
#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev::sql {
namespace {

using ::testing::ElementsAreArray;
using Lines = std::vector<std::string>;

TEST(BusyHourPersistenceTest, DeleteTakesRangesAndPABHRecordAlong) {
  auto host = std::make_shared<testing::TestHost>();
  HostServices services(host);
  host->Database().FailOnText("DELETE FROM PM_PABH", AutomationError(3146, "db", "locked"));
  EXPECT_EQ(testing::ErrorOf([&] { DeleteBusyHour(services, 9); }), 3146);
  DeleteBusyHour(services, 9);
  UpdateBusyHourOwnerRecord(services.Database(), 9, 4);
  const std::string ranges = "execute DELETE FROM PM_HourRange WHERE BusyHourId = 9",
                    pabh = "execute DELETE FROM PM_PABH WHERE ID = 9";
  EXPECT_THAT(host->Journal().Lines(),
              ElementsAreArray(Lines{"begin", ranges, pabh, "rollback", "begin", ranges, pabh,
                                     "execute DELETE FROM PM_BusyHour WHERE Id = 9", "commit",
                                     "execute UPDATE PM_BusyHour SET UserId = 4 WHERE Id = 9"}));
  EXPECT_TRUE(host->ErrorReports().empty());  // raised to the caller instead
}

}  // namespace
}  // namespace ridirodev::sql
