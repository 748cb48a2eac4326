#include "tools/busyhour_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "testing/temp_dir.h"
#include "tools/command_test_support.h"
#include "tools/database_commands.h"

namespace ridirodev::tool {
namespace {

using testing::Exec;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::StartsWith;

// The sample dictionary in memory, with 24 day slots; the host's messages are captured.
using BusyHourCommandsTest = testing::SampleHostTest;

// The same on each engine, the sample made by init.
class BusyHourEnginesTest : public ToolOnEngineTest {
 protected:
  static std::string Run(const std::function<void(std::ostream&)>& command) { return CommandOutput(command); }
};
RIDIRODEV_ON_EVERY_ENGINE(BusyHourEnginesTest);

TEST_P(BusyHourEnginesTest, BusyHourLifeThroughTheCommands) {
  BusyHourValues add;
  add.field = "Dropped_Calls";
  add.hours = "18-22,7";
  add.description = "Evening drops";
  BusyHourValues change;
  change.hours = "1-2";
  change.highRank = 3;
  change.pabh = true;
  const std::pair<std::function<void(std::ostream&)>, std::string> steps[] = {
      {[&](auto& out) { AddBusyHour("Cell", "Drop BH", false, add, out); },
       "Added busy hour Drop BH at CellSite \\(id [0-9]+\\), hours 7-7,18-22\\.\n"},
      // Slot 18 is the 18th character; the marks sit under the first slot of their hour.
      {[](auto& out) { ShowBusyHour("", "drop bh", out); },
       "(.|\n)*Field: +Dropped_Calls\n(.|\n)*Description: +Evening drops\n(.|\n)*\n"
       "\\.\\.\\.\\.\\.\\.#\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.#####\\.\\.\n0     6     12    18\n"},
      {[](auto& out) { AddBusyHour("Cell", "drop bh", true, {.hours = "1"}, out); },
       "error: There is already a busy hour or summation named 'drop bh' at CellSite\\."},
      {[](auto& out) { AddBusyHour("Cell", "Drop BH", true, {.hours = "1"}, out); },
       "error: There is already a busy hour or summation named 'Drop BH' at CellSite\\."},
      {[&](auto& out) { UpdateBusyHour("Cell", "Drop BH", change, out); },
       "Updated busy hour Drop BH at CellSite \\(id [0-9]+\\), hours 1-2\\.\n"},
      {[](auto& out) { ShowBusyHour("", "Drop BH", out); },
       "(.|\n)*Description: +Evening drops\nRanks: +1 to 3\n(.|\n)*PABH: +yes\n(.|\n)*\n##\\.{22}\n(.|\n)*"},
      {[](auto& out) { ChangeBusyHourOwner("", {"Drop BH"}, "noc", out); },
       "(.|\n)*\nDrop BH +CellSite +[0-9]+ +now owned by noc\n"},
      {[](auto& out) { ShowBusyHour("", "Drop BH", out); }, "(.|\n)*Owner: +noc\n(.|\n)*"},
      {[](auto& out) { DeleteBusyHours("Cell", {"Drop BH", "Evening Summation"}, out); },
       "(.|\n)*Drop BH +CellSite +[0-9]+ +deleted\nEvening Summation +CellSite +[0-9]+ +deleted\n"},
      {[](auto& out) { ShowBusyHour("", "Drop BH", out); },
       "error: There is no busy hour or summation named 'Drop BH'\\."},
  };
  for (const auto& [run, expected] : steps) {
    const std::string output = CommandOutput(run);
    EXPECT_THAT(output, MatchesRegex(expected)) << output;
  }
}

// What the dictionary refused is not reported done, and fails the command.
TEST_F(BusyHourCommandsTest, RefusedWritesFailTheCommandAndTheTableSaysWhatWasDone) {
  Exec(Dictionary(), "CREATE TRIGGER refuse BEFORE UPDATE ON PM_BusyHour WHEN OLD.Id = 4 "
             "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
  EXPECT_THAT(CommandOutput([](auto& out) { UpdateBusyHour("", "4", {.description = "x"}, out); }),
              MatchesRegex("error: The busy hour .* was not updated \\(the reason is reported above\\)\\."));
  // Busy hours 1 and 4 are the cell's: the first is given before the second is refused.
  EXPECT_THAT(CommandOutput([](auto& out) { ChangeBusyHourOwner("", {"1", "4"}, "noc", out); }),
              MatchesRegex("(.|\n)* 1 +now owned by noc\n.* 4 +not changed: .*refused by the test\n"
                           "error: 1 of 2 were not given to noc\\."));
}

// Results computed for other hours or ranks are void once those change; a description is not.
TEST_F(BusyHourCommandsTest, NewHoursOrRanksAskForResultsAgain) {
  auto firstAvail = [&] {
    return testing::FirstRow(Dictionary(), "SELECT FirstAvail FROM PM_BusyHour WHERE Id=1");
  };
  const std::string stored = firstAvail();
  ASSERT_THAT(stored, Not(HasSubstr("1899")));
  const std::pair<BusyHourValues, bool> updates[] = {{{.description = "Quieter"}, false},
                                                     {{.hours = "18-22"}, false},  // the hours it has
                                                     {{.highRank = 2}, true}};
  for (const auto& [values, reset] : updates) {
    CommandOutput([&](auto& out) { UpdateBusyHour("", "1", values, out); });
    EXPECT_EQ(firstAvail().starts_with("1899-12-30"), reset) << firstAvail();
  }
  Exec(Dictionary(), "UPDATE PM_BusyHour SET FirstAvail = '2026-01-01' WHERE Id = 1");
  CommandOutput([&](auto& out) { UpdateBusyHour("", "1", {.hours = "7"}, out); });
  EXPECT_TRUE(firstAvail().starts_with("1899-12-30")) << firstAvail();
}

// Every refusal comes before anything is written; widths count characters, not bytes.
TEST_F(BusyHourCommandsTest, RefusedCommandLinesWriteNothing) {
  sqlite3* db = Db();
  Exec(Dictionary(), "UPDATE PM_BusyHour SET Name = '4' WHERE Id = 2");
  std::string accents;
  for (int i = 0; i < 30; ++i) accents += "\u00e9";
  const auto add = [](const std::string& name, std::vector<std::string> rest) {
    rest.insert(rest.begin(), {"busyhours", "add", "Cell", name});
    return rest;
  };
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {add("Bad BH", {"--field", "Dropped_Calls", "--hours", "22-18"}),
       "--hours: '22-18' is not a slot or range"},
      {add("Bad BH", {"--field", "Dropped_Calls", "--hours", "25"}), "from 1 to 24"},
      {add("Bad BH", {"--summation", "--hours", "3", "--span", "Q"}), "--span is D, W or M"},
      {add("Bad BH", {"--summation", "--hours", "3", "--low-rank", "2"}), "The ranks must run from 1 up"},
      {add("Bad BH", {"--summation", "--hours", "3", "--first-needed", "soon"}), "is not a date"},
      {add("Bad BH", {"--field", "Nowhere", "--hours", "3"}), "There is no field 'Nowhere' at CellSite."},
      {add("Bad BH", {"--hours", "3"}), "A busy hour needs its field"},
      {{"busyhours", "owner", "Cell Evening BH", "--to", "nobody"}, "There is no user named 'nobody'."},
      {add(accents + "\u00e9", {"--summation", "--hours", "3"}),
       "The name is 31 characters long; the dictionary keeps 30."},
      {add("Bad\x1B[2J", {"--summation", "--hours", "3"}), "holds a control character (\\x1B)."},
      {add("Bad BH", {"--summation", "--hours", "3", "--description", std::string(256, 'd')}),
       "--description is 256"},
      {add("Bad BH", {"--field", "Min_Idle_Channels", "--hours", "3"}),
       "Min_Idle_Channels (id 1018) cannot rank a busy hour: its aggregator MIN (Minimum) does not suit busy "
       "hours"},
      {add("Bad BH", {"--summation", "--hours", "3", "--first-needed=", "--description", "x"}),
       "--first-needed was given an empty value"},
      {{"busyhours", "delete", "4"},
       "'4' is both the id of busy hour Cell Erlang BH at CellSite (id 4) and the name of busy hour 4 at "
       "CellSector (id 2); say which with --id or --name."},
  };
  for (const auto& [args, expected] : cases) {
    const int64_t before = sqlite3_total_changes64(db);
    EXPECT_THAT(CommandLineOutput(args), AllOf(StartsWith("error: "), HasSubstr(expected)));
    EXPECT_EQ(sqlite3_total_changes64(db), before) << expected;
  }
  EXPECT_THAT(CommandLineOutput({"busyhours", "show", "4", "--name"}), HasSubstr("Id:            2\n"));
  EXPECT_THAT(CommandLineOutput(add(accents, {"--summation", "--hours", "3"})),
              StartsWith("Added summation " + accents));
  // A list filter that names nothing known is a mistake too, not an empty table.
  const std::pair<BusyHourQuery, std::string> filters[] = {
      {{.span = "dX"}, "error: Unknown span 'dX'; known letters: D (daily), W (weekly), M (monthly)."},
      {{.type = "Nope"}, "error: Unknown busy-hour type 'Nope'; known: NetworkSystem Busy Hour, MobileSwitch"},
      {{.summations = true, .type = "Nope"}, "error: Unknown summation type 'Nope'; known: Summation."},
      {{.type = "cellsite busy hour", .span = "wd"}, "\nCell Evening BH "},
  };
  for (const auto& [query, expected] : filters)
    EXPECT_THAT(CommandOutput([&](auto& out) { ListBusyHours(query, out); }), HasSubstr(expected)) << query.type;
}

// Two users add one name at one entity at once: each name check passes before the other stored anything.
TEST(BusyHourNameRaceTest, TheSecondAddFailsAsTheNameCheckWould) {
  const testing::TempDir dir;  // removed last, with the database's log files
  const std::filesystem::path db = dir / "dict.db";
  std::ostringstream out;
  InitDatabase({db, true, 0, true}, out);
  sqlite3* other = nullptr;
  sqlite3_open(db.c_str(), &other);
  standalone::StandaloneConfig config;
  config.db = db.string();
  config.user = "admin";
  // The other user's add commits while this one waits to write, after its check.
  auto host = std::make_shared<standalone::StandaloneHost>(
      config, standalone::WriterWait{60'000, [&](std::string_view) {
                                       sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
                                     }});
  MRidirodevScope scope(host);
  host->Sqlite();
  ASSERT_EQ(sqlite3_exec(other,
                         "BEGIN IMMEDIATE; INSERT INTO PM_BusyHour (Id, Name, Cluster_Entity_Id) "
                         "VALUES (900, 'Night BH', 12)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  const testing::Captured log;
  EXPECT_EQ(CommandOutput([](auto& o) { AddBusyHour("Cell", "Night BH", true, {.hours = "1"}, o); }),
            "error: There is already a busy hour or summation named 'Night BH' at CellSite.");
  EXPECT_EQ(host->Sqlite()->QueryValue("SELECT COUNT(*) FROM PM_BusyHour WHERE Name = 'Night BH'").ToInt32(),
            1);
  sqlite3_close(other);
}

TEST_F(BusyHourCommandsTest, DeletesAskAboutReportsReachABusyHourWhoseFieldIsGoneAndFailUnlessAllWent) {
  // As a delete by another client leaves it: busy hour 4 without its field.
  Exec(Dictionary(),
       "DELETE FROM tqd_Dict_Field WHERE Field_Id IN (SELECT Field_Id FROM tqd_Dict_Name WHERE "
       "Entity_Id = 12 AND Name IN ('Traffic_Erlangs', 'BH_Traffic_Erlangs')); DELETE FROM "
       "tqd_Dict_Name WHERE Entity_Id = 12 AND Name IN ('Traffic_Erlangs', 'BH_Traffic_Erlangs')");
  const std::pair<std::function<void(std::ostream&)>, std::string> steps[] = {
      {[](auto& out) { ShowBusyHour("", "4", out); },
       "(.|\n)*Name: +Cell Erlang BH\n(.|\n)*Field: +\\(deleted from the dictionary\\)\n(.|\n)*"
       "Hours: +17-22\n(.|\n)*"},
      {[](auto& out) {
         DeleteBusyHours("", {"4", "Cell Evening BH"}, out);
       },
       "Reports and templates that use the busy hours:\n.*\n.*\nReport +1 +Daily Cell Drop Report\n.*\n.*\n"
       "Cell Erlang BH +CellSite +4 +deleted\nCell Evening BH +CellSite +1 +deleted\n"},
      {[](auto& out) { ShowBusyHour("Cell", "4", out); },
       "error: There is no busy hour or summation with id 4 at Cell\\."},
      {[&](auto& out) {
         Exec(Dictionary(),
              "CREATE TRIGGER locked BEFORE DELETE ON PM_BusyHour BEGIN SELECT RAISE(ABORT, "
              "'database is locked'); END");
         DeleteBusyHours("Cell", {"Business Day Summation"}, out);
       },
       "(.|\n)*Business Day Summation +CellSite +6 +kept: .*database is locked.*\n"
       "error: 1 of the 1 busy hours named were not deleted\\."},
  };
  for (const auto& [run, expected] : steps) {
    const std::string output = CommandOutput(run);
    EXPECT_THAT(output, MatchesRegex(expected)) << output;
  }
  EXPECT_THAT(boxes_.Text(), HasSubstr("[Delete busy hours]"));

  Start("no");
  EXPECT_THAT(
      CommandOutput([](auto& out) { DeleteBusyHours("", {"Sector Weekly Traffic BH"}, out); }),
      MatchesRegex("(.|\n)*Sector Weekly Traffic BH +CellSector +2 +kept: not confirmed \\(reports use the "
                   "busy hours\\)\nerror: .*"));
}

}  // namespace
}  // namespace ridirodev::tool
