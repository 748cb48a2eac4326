#include "tools/busyhour_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <iostream>
#include <optional>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/frame/state.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"
#include "tools/command_test_support.h"

namespace ridirodev::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

// The sample dictionary in memory, with 24 day slots; the host's messages are captured.
class BusyHourCommandsTest : public ::testing::Test {
 protected:
  BusyHourCommandsTest() {
    standalone::StandaloneConfig config;
    config.messageBoxAnswer = "yes";
    host_ = SampleHost(config);
    scope_.emplace(host_);
    old_ = std::cerr.rdbuf(boxes_.rdbuf());
  }
  ~BusyHourCommandsTest() override { std::cerr.rdbuf(old_); }

  static std::string Run(const std::function<void(std::ostream&)>& command) { return CommandOutput(command); }

  std::shared_ptr<standalone::StandaloneHost> host_;
  std::optional<MRidirodevScope> scope_;
  std::ostringstream boxes_;
  std::streambuf* old_ = nullptr;
};

TEST_F(BusyHourCommandsTest, BusyHourLifeThroughTheCommands) {
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
       "Gave busy hour Drop BH at CellSite \\(id [0-9]+\\) to noc\\.\n"},
      {[](auto& out) { ShowBusyHour("", "Drop BH", out); }, "(.|\n)*Owner: +noc\n(.|\n)*"},
      {[](auto& out) {
         DeleteBusyHours("Cell", {"Drop BH", "Evening Summation"}, out);
       },
       "(.|\n)*Drop BH +CellSite +[0-9]+ +deleted\nEvening Summation +CellSite +[0-9]+ +deleted\n"},
      {[](auto& out) { ShowBusyHour("", "Drop BH", out); },
       "error: There is no busy hour or summation named 'Drop BH'\\."},
  };
  for (const auto& [run, expected] : steps) {
    const std::string output = Run(run);
    EXPECT_THAT(output, MatchesRegex(expected)) << output;
  }
}

TEST_F(BusyHourCommandsTest, BadValuesAreRefusedBeforeAnythingIsStored) {
  const std::pair<BusyHourValues, std::string> cases[] = {
      {{.field = "Dropped_Calls", .hours = "22-18"}, "--hours: '22-18' is not a slot or range"},
      {{.field = "Dropped_Calls", .hours = "25"}, "from 1 to 24"},
      {{.field = "Dropped_Calls", .hours = "3", .span = "Q"}, "--span is D, W or M"},
      {{.field = "Dropped_Calls", .hours = "3", .lowRank = 2}, "The ranks must run from 1 up"},
      {{.field = "Dropped_Calls", .hours = "3", .firstNeeded = "soon"}, "is not a date"},
      {{.field = "Nowhere", .hours = "3"}, "There is no field 'Nowhere' at CellSite."},
      {{.hours = "3"}, "A busy hour needs its field"},
  };
  for (const auto& [values, expected] : cases) {
    EXPECT_THAT(Run([&](auto& out) { AddBusyHour("Cell", "Bad BH", false, values, out); }),
                HasSubstr(expected));
  }
  EXPECT_THAT(Run([](auto& out) { ListBusyHours({.entity = "Cell"}, out); }), Not(HasSubstr("Bad BH")));
  EXPECT_THAT(Run([](auto& out) { ChangeBusyHourOwner("", {"Cell Evening BH"}, "nobody", out); }),
              HasSubstr("There is no user named 'nobody'."));
}

TEST_F(BusyHourCommandsTest, DeletesAskAboutReportsReachABusyHourWhoseFieldIsGoneAndFailUnlessAllWent) {
  const auto exec = [&](const std::string& sql) {
    ASSERT_EQ(sqlite3_exec(host_->Sqlite()->Connection()->Handle(), sql.c_str(), nullptr, nullptr, nullptr),
              SQLITE_OK);
  };
  // As a delete by another client leaves it: busy hour 4 without its field.
  exec(
      "DELETE FROM tqd_Dict_Field WHERE Field_Id IN (SELECT Field_Id FROM tqd_Dict_Name WHERE Entity_Id = 12 "
      "AND Name IN ('Traffic_Erlangs', 'BH_Traffic_Erlangs')); DELETE FROM tqd_Dict_Name WHERE Entity_Id = "
      "12 "
      "AND Name IN ('Traffic_Erlangs', 'BH_Traffic_Erlangs')");
  const std::pair<std::function<void(std::ostream&)>, std::string> steps[] = {
      {[](auto& out) { ShowBusyHour("", "4", out); },
       "(.|\n)*Name: +Cell Erlang BH\n(.|\n)*Field: +\\(deleted from the dictionary\\)\n(.|\n)*Hours: "
       "+17-22\n"
       "(.|\n)*"},
      {[](auto& out) {
         DeleteBusyHours("", {"4", "Cell Evening BH"}, out);
       },
       "Reports and templates that use the busy hours:\n.*\n.*\nReport +1 +Daily Cell Drop Report\n.*\n.*\n"
       "Cell Erlang BH +CellSite +4 +deleted\nCell Evening BH +CellSite +1 +deleted\n"},
      {[](auto& out) { ShowBusyHour("Cell", "4", out); },
       "error: There is no busy hour or summation with id 4 at Cell\\."},
      {[&](auto& out) {
         exec(
             "CREATE TRIGGER locked BEFORE DELETE ON PM_BusyHour BEGIN SELECT RAISE(ABORT, 'database is "
             "locked'); END");
         DeleteBusyHours("Cell", {"Business Day Summation"}, out);
       },
       "(.|\n)*Business Day Summation +CellSite +6 +kept: .*database is locked.*\n"
       "error: 1 of the 1 busy hours named were not deleted\\."},
  };
  for (const auto& [run, expected] : steps) {
    const std::string output = Run(run);
    EXPECT_THAT(output, MatchesRegex(expected)) << output;
  }
  EXPECT_THAT(boxes_.str(), HasSubstr("[Delete busy hours]"));

  standalone::StandaloneConfig no;
  no.messageBoxAnswer = "no";
  scope_.reset();
  host_ = SampleHost(no);
  scope_.emplace(host_);
  EXPECT_THAT(
      Run([](auto& out) { DeleteBusyHours("", {"Sector Weekly Traffic BH"}, out); }),
      MatchesRegex("(.|\n)*Sector Weekly Traffic BH +CellSector +2 +kept: not confirmed \\(reports use the "
                   "busy hours\\)\nerror: .*"));
}

}  // namespace
}  // namespace ridirodev::tool
