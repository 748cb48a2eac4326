#include "tools/filter_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <tuple>

#include "ridirodev/core/automation_error.h"
#include "standalone/settings.h"
#include "testing/temp_dir.h"
#include "tools/command_test_support.h"
#include "tools/dictionary_commands.h"

namespace ridirodev::tool {
namespace {

using ::testing::HasSubstr;

// The sample dictionary in memory and a settings file of the test's own.
class FilterCommandsTest : public testing::SampleHostTest {
 protected:
  FilterCommandsTest() : SampleHostTest("") { ReadSettings(); }

  // As the tool starts: a new host and component, the settings read from the file.
  void Start() {
    SampleHostTest::Start("");
    ReadSettings();
  }
  void ReadSettings() {
    settings_.emplace(settingsFile_);
    LoadFilterDefinitions(*settings_);
  }

  testing::TempDir dir_;
  const std::filesystem::path settingsFile_ = dir_ / "settings.xml";
  std::optional<standalone::SettingsStore> settings_;
};

TEST_F(FilterCommandsTest, CriteriaPrintValidOrWhatIsWrong) {
  std::ostringstream out;
  EXPECT_TRUE(CheckCriteria("i", "in (1, 5...9)", out));
  EXPECT_FALSE(CheckCriteria("S", "like 'open", out));
  EXPECT_FALSE(CheckCriteria("I", "in (7...3)", out));
  const std::string printed = out.str();
  EXPECT_THAT(printed, ::testing::StartsWith("valid\n"));
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 3) << printed;
  // One minus is the criterion's; a second sign makes no integer.
  for (const char* twice : {"--5", "-+5", "- -5", "in (1, --5)"}) EXPECT_FALSE(CheckCriteria("I", twice, out)) << twice;
  std::ostringstream negative;
  EXPECT_TRUE(CheckCriteria("I", "in (-7, 3)", negative) && CheckCriteria("I", "-5", negative)) << negative.str();
  EXPECT_THAT(CommandOutput([](auto& o) { CheckCriteria("X", "> 1", o); }), HasSubstr("Unknown data type 'X'"));
  // A text value is one quoted literal or one bare word: nothing else can reach the report's query.
  EXPECT_TRUE(CheckCriteria("S", "in ('1 OR 1=1 --', cell_1.a-b, 'it''s')", negative)) << negative.str();
  for (const auto& [type, criterion, why] :
       {std::tuple{"I", "  ", "The criterion is empty: give an operator and a value"},
        {"F", " <= ", "The criterion '<=' has no value after its operator."},
        {"S", "= 1 OR 1=1", "The text 1 OR 1=1 has a blank outside quotes"},
        {"E", "> 0 UNION SELECT 1", "The text 0 UNION SELECT 1 has a blank"},
        {"S", "> 1 --", "The text 1 -- has a blank"},
        {"E", "=1--", "The text 1-- has the comment mark --"},
        {"S", "in (a, b=c)", "The text b=c has '='"},
        {"S", "= 'a' OR 'b'", "The text 'a' OR 'b' has a single quote that is not doubled"},
        {"S", "like 'open", "The text like 'open has a blank"}}) {
    std::ostringstream o;
    EXPECT_FALSE(CheckCriteria(type, criterion, o)) << criterion;
    EXPECT_THAT(o.str(), ::testing::StartsWith(why)) << criterion;
  }
  EXPECT_THAT(CommandOutput([](auto& o) { CheckCriteria("", "> 1", o); }), HasSubstr("Unknown data type ''"));
}

TEST_F(FilterCommandsTest, SavedDefinitionsSurviveARestartAndARemovedOneStaysRemoved) {
  EXPECT_EQ(CommandOutput([&](auto& o) { AddFilterDefinition(*settings_, " Packet ", "el", o); }),
            "Added filter definition Packet (EL).\n");
  EXPECT_EQ(CommandOutput([&](auto& o) { AddFilterDefinition(*settings_, "Voice", "GCU", o); }),
            "Added filter definition Voice (GCU).\n");
  for (const auto& [name, filter, fault] : {std::tuple{"gsm", "G", "already a filter definition named 'GSM'"},
                                            {"a:b", "G", "name without ':'"},
                                            {"Radio", "GX", "Unknown technology short name 'X'"},
                                            {"Radio", " ", "at least one technology"}}) {
    EXPECT_THAT(CommandOutput([&](auto& o) { AddFilterDefinition(*settings_, name, filter, o); }), HasSubstr(fault))
        << name;
  }
  settings_->Save();

  Start();
  const std::string listed = CommandOutput(ListFilterDefinitions);
  EXPECT_THAT(listed, ::testing::ContainsRegex("<All Tech Types> +GCUEL +fixed\n"));
  EXPECT_THAT(listed, ::testing::ContainsRegex("LTE +L +fixed\nPacket +EL +saved\nVoice +GCU +saved\n$"));
  EXPECT_THAT(CommandOutput([&](auto& o) { RemoveFilterDefinition(*settings_, "LTE", o); }),
              HasSubstr("cannot be removed"));
  EXPECT_THAT(CommandOutput([&](auto& o) { RemoveFilterDefinition(*settings_, "Data", o); }),
              HasSubstr("Unknown filter definition 'Data'"));
  EXPECT_EQ(CommandOutput([&](auto& o) { RemoveFilterDefinition(*settings_, "packet", o); }),
            "Removed filter definition Packet.\n");
  settings_->Save();

  Start();
  EXPECT_THAT(CommandOutput(ListFilterDefinitions), ::testing::ContainsRegex("LTE +L +fixed\nVoice +GCU +saved\n$"));
}

TEST_F(FilterCommandsTest, FieldsNarrowedByChangePeriodAndTechnologyFilter) {
  host_->Sqlite()->Execute("UPDATE tqd_Dict_Field SET Changed = datetime('now','localtime','-3 days')");
  host_->Sqlite()->Execute(
      "UPDATE tqd_Dict_Field SET Changed = datetime('now','localtime','-90 minutes') WHERE Field_Id IN "
      "(SELECT Field_Id FROM tqd_Datasource_Field WHERE Name = 'Dropped_Calls')");
  std::ostringstream out;
  FieldQuery query;
  query.entity = "Cell";
  const int32_t all = ShowFields(query, out);
  query.changedWithin = "2h";
  EXPECT_EQ(ShowFields(query, out), 1);
  query.changedWithin = "4d";
  EXPECT_EQ(ShowFields(query, out), all);
  for (const char* bad : {"2", "d", "0d", "3w", "-1d"}) {
    query.changedWithin = bad;
    EXPECT_THAT(CommandOutput([&](auto& o) { ShowFields(query, o); }), HasSubstr("--changed-within takes")) << bad;
  }

  query.changedWithin.clear();
  CommandOutput([&](auto& o) { AddFilterDefinition(*settings_, "Packet", "EL", o); });
  query.techFilter = "packet";
  const int32_t packet = ShowFields(query, out);
  query.techFilter.clear();
  query.tech = "EV-DO,LTE";
  EXPECT_EQ(ShowFields(query, out), packet);
  EXPECT_GT(packet, 0);
  query.tech.clear();
  query.techFilter = "Radio";
  EXPECT_THAT(CommandOutput([&](auto& o) { ShowFields(query, o); }), HasSubstr("Unknown filter definition 'Radio'"));
}

TEST_F(FilterCommandsTest, AChangeIsReportedOnlyOnceSavedAndOneStrandedAfterAGapGoes) {
  std::ofstream(settingsFile_) << R"(<ridirodev-settings version="1"><registry><key name="CFilterDefinitions">
    <key name="FilterDefinitionsRoot"><value name="FilterDef[1]" data="Voice:GCU" />
    <value name="FilterDef[3]" data="Stranded:G" /></key></key></registry></ridirodev-settings>)";
  Start();
  EXPECT_THAT(CommandOutput(ListFilterDefinitions), ::testing::ContainsRegex("LTE +L +fixed\nVoice +GCU +saved\n$"));
  std::filesystem::permissions(settingsFile_, std::filesystem::perms(0444));
  for (const auto& change : std::vector<std::function<void(std::ostream&)>>{
           [&](auto& o) { AddFilterDefinition(*settings_, "Packet", "EL", o); },
           [&](auto& o) { RemoveFilterDefinition(*settings_, "Voice", o); }}) {
    EXPECT_THAT(CommandOutput(change), ::testing::MatchesRegex("error: The settings file .* is read-only.*"));
  }
  std::filesystem::permissions(settingsFile_, std::filesystem::perms(0644));
  Start();
  EXPECT_EQ(CommandOutput([&](auto& o) { AddFilterDefinition(*settings_, "Packet", "EL", o); }),
            "Added filter definition Packet (EL).\n");
  const std::string saved = testing::ReadFile(settingsFile_);
  EXPECT_THAT(saved, HasSubstr(R"(<value name="FilterDef[2]" data="Packet:EL" />)"));
  EXPECT_THAT(saved, ::testing::Not(HasSubstr("Stranded")));
}

TEST_F(FilterCommandsTest, WritersAtOnceKeepEveryDefinition) {
  constexpr int kWriters = 4;
  constexpr int kEach = 10;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    if (pid == 0) {
      int failed = 0;
      for (int i = 0; i < kEach; ++i) {
        try {
          standalone::SettingsStore settings(settingsFile_);
          LoadFilterDefinitions(settings, true);
          std::ostringstream out;
          AddFilterDefinition(settings, "W" + std::to_string(w) + "_" + std::to_string(i), "G", out);
        } catch (const AutomationError&) {
          ++failed;
        }
      }
      _exit(failed);
    }
    writers.push_back(pid);
  }
  for (const pid_t pid : writers) {
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
  }
  Start();
  EXPECT_EQ(testing::Occurrences(CommandOutput(ListFilterDefinitions), " saved\n"), size_t{kWriters * kEach});
}

}  // namespace
}  // namespace ridirodev::tool
