// The doubles' own logic that other tests lean on: if statement matching or failure injection
// drifted, those tests would pass or fail for the wrong reason. Row sets, literals and
// transactions are held to the database contract (standalone/database_contract_test.cc).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev::testing {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Ids(IDBRecordset& rs) {
  std::vector<std::string> out;
  for (; !rs.Eof(); rs.MoveNext()) out.push_back(rs.Fields().Value("id").ToString());
  return out;
}

TEST(ScriptedDatabaseTest, ExactTextWinsOverMatchersAndRepeatsItsLastAnswer) {
  ScriptedDatabase db;
  db.AddRows(TextContains("from tqd_field"), {{"ID"}, {{"matched"}}});
  db.AddRows("SELECT * FROM TQD_Field", {{"ID"}, {{"first"}}});
  db.AddRows("SELECT * FROM TQD_Field", {{"ID"}, {{"again"}}});
  db.AddRows("NOTHING", ScriptedRows::Nothing());
  for (const char* expected : {"first", "again", "again"})
    EXPECT_THAT(Ids(*db.OpenRecordset("SELECT * FROM TQD_Field")), ElementsAre(expected));
  EXPECT_THAT(Ids(*db.OpenRecordset("SELECT X FROM TQD_FIELD")), ElementsAre("matched"));
  EXPECT_EQ(db.OpenRecordset("NOTHING"), nullptr);
}

TEST(DbJournalTest, FailuresFireOnceAndTheFailedCallStaysInTheJournal) {
  TestHost host;
  auto& db = host.Database();
  host.Journal().FailOnCall(2, AutomationError(1234, "Test", "boom"));
  db.FailOnText("pm_hourrange", AutomationError(4321, "Test", "boom"));
  host.XmlQueryService().BeginTransaction();
  EXPECT_EQ(ErrorOf([&] { db.Execute("INSERT INTO PM_BusyHour"); }), 1234);
  EXPECT_EQ(ErrorOf([&] { db.OpenRecordset("SELECT * FROM pm_HourRange"); }), 4321);
  db.OpenRecordset("SELECT * FROM pm_HourRange");
  host.XmlQueryService().RollbackTransaction();
  EXPECT_THAT(host.Journal().Lines(), ElementsAre("begin", "execute INSERT INTO PM_BusyHour",
                                                  "open SELECT * FROM pm_HourRange", "open SELECT * FROM pm_HourRange",
                                                  "rollback"));
}

}  // namespace
}  // namespace ridirodev::testing
