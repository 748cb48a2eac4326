// The doubles' own logic that other tests lean on: if statement matching, failure injection or
// the row-set filter drifted, those tests would pass or fail for the wrong reason.

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
  for (const char* expected : {"first", "again", "again"}) {
    EXPECT_THAT(Ids(*db.OpenRecordset("SELECT * FROM TQD_Field")), ElementsAre(expected));
  }
  EXPECT_THAT(Ids(*db.OpenRecordset("SELECT X FROM TQD_FIELD")), ElementsAre("matched"));
  EXPECT_EQ(db.OpenRecordset("NOTHING"), nullptr);
  auto none = db.OpenRecordset("SELECT unscripted");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Bof() && none->Eof());
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

TEST(ScriptedRecordsetTest, FiltersByComparisonsJoinedWithAnd) {
  ScriptedRecordset rs({{"ID", "Type", "Name"},
                        {{1, "Module", "Generic"}, {2, "Module", "Cell"}, {3, "Module", Variant::Null()}, {4, "module", "O'Brien"}}});
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"ID = 3", {"3"}},
      {"type='Module' and name <> 'Generic'", {"2", "4"}},  // a Null cell matches no clause
      {"Name = 'o''brien' AND id >= 2", {"4"}},
      {"ID = 99", {}},
      {"", {"1", "2", "3", "4"}},
  };
  for (const auto& [filter, ids] : cases) {
    SCOPED_TRACE(filter);
    rs.SetFilter(filter);
    EXPECT_EQ(rs.Bof(), ids.empty());
    EXPECT_EQ(Ids(rs), ids);
  }
  for (const char* bad : {"ID = 'open", "ID = 1 or ID = 2", "ID ~ 1", "ID = 1 and "}) {
    EXPECT_EQ(ErrorOf([&] { rs.SetFilter(bad); }), RecordsetError::kBadArguments) << bad;
  }
  EXPECT_EQ(rs.Filter(), "");  // a bad filter leaves the last good one
  EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), RecordsetError::kNoCurrentRecord);
  rs.Close();
  EXPECT_EQ(ErrorOf([&] { rs.Eof(); }), RecordsetError::kClosed);
}

}  // namespace
}  // namespace ridirodev::testing
