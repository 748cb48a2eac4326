// Several processes and threads using one dictionary file at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/sample.h"
#include "standalone/sqlite_database.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

class WritersTest : public ::testing::Test {
 protected:
  WritersTest() {
    path_ = (dir_ / "dict.db").string();
    testing::SampleDatabase(path_);
  }

  // Runs sql on a connection of its own, as another program would.
  void Raw(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  testing::TempDir dir_;
  std::string path_;
};

Variant AddCommonField(SqliteDatabase& db, const std::string& name) {
  std::vector<Variant> outputs;
  db.RunRoutine(
      "ea_client.add_common_field",
      {Variant(), kSampleSectorEntity, name, "", "", "", Variant(), "AVG", "I", Variant(), 2, Variant(), 2},
      &outputs);
  return outputs.at(1);
}

TEST_F(WritersTest, RoutinesOfTwoWritersWaitForEachOtherInsteadOfFailing) {
  // A routine that read before it wrote could not wait for the other writer: "database is locked".
  std::vector<std::string> failures[2];
  auto writer = [&](int w) {
    SqliteDatabase db(path_);
    for (int i = 0; i < 40; ++i) {
      try {
        const Variant id = AddCommonField(db, "W" + std::to_string(w) + "_" + std::to_string(i));
        db.RunRoutine("ea_client.update_common_field",
                      {id, "d", "h", "", "MAX", Variant(), 2, Variant(), 2, "I"}, nullptr);
        db.RunRoutine("ea_client.remove_common_field", {id}, nullptr);
      } catch (const AutomationError& e) {
        failures[w].push_back(e.Description());
      }
    }
  };
  std::thread other(writer, 1);
  writer(0);
  other.join();
  EXPECT_THAT(failures[0], ElementsAre());
  EXPECT_THAT(failures[1], ElementsAre());
}

TEST_F(WritersTest, AWriterSaysAfterASecondThatItWaitsAndGivesUpClearlyAtTheLimit) {
  SqliteDatabase holder(path_);
  holder.BeginTransaction();
  std::vector<std::string> notices;
  SqliteDatabaseOptions options;
  options.wait = {1100, [&](std::string_view text) { notices.emplace_back(text); }};
  SqliteDatabase waiter(path_, options);
  const std::string ranOut = "another writer kept " + path_ + " busy for 1 second; try again";
  EXPECT_THAT([&] { waiter.Execute("INSERT INTO PM_User (Id, Name) VALUES (7, 'x')"); },
              ThrowsMessage<AutomationError>(HasSubstr(ranOut)));
  EXPECT_THAT([&] { AddCommonField(waiter, "Late"); }, ThrowsMessage<AutomationError>(HasSubstr(ranOut)));
  const std::string notice = "waiting for another writer of " + path_ + "...";
  EXPECT_THAT(notices, ElementsAre(notice, notice)) << "once per wait";
  holder.RollbackTransaction();
  waiter.Execute("INSERT INTO PM_User (Id, Name) VALUES (7, 'x')");
}

TEST_F(WritersTest, AReaderRollsBackTheUnfinishedWriteOfAWriterThatDied) {
  const pid_t child = fork();
  if (child == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    // A small cache makes the writer put changed pages into the file before its commit.
    sqlite3_exec(db,
                 "PRAGMA cache_size = 1; BEGIN; UPDATE PM_BusyHour SET Name = 'dead' || Id; "
                 "WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 4000) "
                 "INSERT INTO PM_User (Id, Name) SELECT i, printf('dead%d%.300c', i, 'x') FROM n",
                 nullptr, nullptr, nullptr);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(fs::exists(path_ + "-journal"));
  SqliteDatabaseOptions readOnly;
  readOnly.readOnly = true;
  SqliteDatabase reader(path_, readOnly);
  EXPECT_EQ(reader.QueryValue("SELECT COUNT(*) FROM PM_User WHERE Name LIKE 'dead%'").ToInt32(), 0);
  EXPECT_EQ(reader.QueryValue("SELECT COUNT(*) FROM PM_BusyHour WHERE Name LIKE 'dead%'").ToInt32(), 0);
  EXPECT_THROW(reader.Execute("DELETE FROM PM_User"), AutomationError) << "still read-only";
}

TEST_F(WritersTest, AnOlderFileGetsUniqueBusyHourNamesUnlessNamesAlreadyRepeat) {
  Raw("DROP INDEX PM_BusyHour_Name; INSERT INTO PM_BusyHour (Id, Name, Cluster_Entity_Id) "
      "SELECT 900, Name, Cluster_Entity_Id FROM PM_BusyHour WHERE Id = (SELECT MIN(Id) FROM PM_BusyHour)");
  const std::string index = "SELECT COUNT(*) FROM sqlite_master WHERE name = 'PM_BusyHour_Name'";
  std::vector<std::string> warnings;
  SqliteDatabaseOptions options;
  options.warning = [&](std::string_view text) { warnings.emplace_back(text); };
  {
    SqliteDatabase db(path_, options);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_THAT(warnings[0], HasSubstr("busy-hour names repeat at one entity in " + path_ + ": '"));
    EXPECT_THAT(warnings[0], HasSubstr(" (2 times)"));
    EXPECT_EQ(db.QueryValue(index).ToInt32(), 0) << "nothing is changed or lost";
    EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM PM_BusyHour WHERE Id = 900").ToInt32(), 1);
    db.Execute("UPDATE PM_BusyHour SET Name = Name || ' 2' WHERE Id = 900");
  }
  EXPECT_EQ(SqliteDatabase(path_, options).QueryValue(index).ToInt32(), 1);
  EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
}  // namespace ridirodev::standalone
