#include "standalone/config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "ridirodev/core/automation_error.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

EnvironmentLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const std::string& name) -> std::optional<std::string> {
    auto found = vars.find(name);
    if (found == vars.end()) return std::nullopt;
    return found->second;
  };
}

const EnvironmentLookup kHomeOnly = Env({{"HOME", "/home/op"}});

// Every option on one line, so that a case states all of them at once.
std::string Summary(const StandaloneConfig& c) {
  std::string s = std::to_string(c.extendedEntityViews) + std::to_string(c.alwaysReload) +
                  std::to_string(c.trace) + "|" + c.logFile + "|" + c.messageBoxAnswer + "|" +
                  std::to_string(c.daySlots) + "|" + c.appTitle + "|" + c.user + "|" + c.settingsFile + "|" +
                  c.db + "|";
  for (const std::string& f : c.features) s += f + ";";
  s += "|";
  for (const std::string& f : c.folders) s += f + ";";
  return s;
}

// The description of the error raised for the given file text and environment.
std::string ErrorOf(const std::optional<std::string>& text, const EnvironmentLookup& env = kHomeOnly) {
  try {
    StandaloneConfig::FromText(text, "/etc/r.conf", env);
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), ErrorNumber::kInvalidArgument);
    return e.Description();
  }
  ADD_FAILURE() << "no error";
  return {};
}

TEST(StandaloneConfigTest, DefaultsFileAndEnvironment) {
  struct Case {
    const char* what;
    std::optional<std::string> text;
    EnvironmentLookup env;
    std::string expected;
  };
  const Case cases[] = {
      {"defaults", std::nullopt, kHomeOnly,
       "000|||24|Ridirodev||/home/op/.config/ridirodev/settings.xml|"
       "/home/op/.local/share/ridirodev/dictionary.db||"},
      {"XDG folders; a relative one is ignored", std::nullopt,
       Env({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "data"}}),
       "000|||24|Ridirodev||/cfg/ridirodev/settings.xml|/h/.local/share/ridirodev/dictionary.db||"},
      {"file lines with comments, blanks and carriage returns",
       "# the operator's options\r\n\n   Extended_Entity_Views = yes\r\n"
       "trace=on\n"
       "always_reload = 0\n"
       "day_slots = 96\n"
       "app_title = Network Dictionary = NMS\n"  // only the first "=" separates
       "features = UDR_Group , FlexibleAggregation,,\n"
       "folders = ASCII Data Sources\nmessage_box_answer = No\n"
       "db = ~/dict.db\n"
       "settings_file =\n"  // empty keeps the default
       "log_file = /var/log/r.log\nuser = planner\n",
       kHomeOnly,
       "101|/var/log/r.log|no|96|Network Dictionary = NMS|planner|/home/op/.config/ridirodev/settings.xml|"
       "/home/op/dict.db|UDR_Group;FlexibleAggregation;|ASCII Data Sources;"},
      {"environment over file over defaults", "trace = true\nday_slots = 48\nuser = filer\ndb = /file.db\n",
       Env({{"HOME", "/h"},
            {"RIDIRODEV_DAY_SLOTS", "96"},
            {"RIDIRODEV_DB", "/env.db"},
            {"RIDIRODEV_USER", ""},  // set to nothing: counts as unset
            {"RIDIRODEV_APP_TITLE", "From Env"}}),
       "001|||96|From Env|filer|/h/.config/ridirodev/settings.xml|/env.db||"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Summary(StandaloneConfig::FromText(c.text, "f", c.env)), c.expected) << c.what;

  EXPECT_EQ(StandaloneConfig::DefaultFile(kHomeOnly), "/home/op/.config/ridirodev/ridirodev.conf");
  EXPECT_EQ(
      StandaloneConfig::DefaultFile(Env({{"XDG_CONFIG_HOME", "/cfg"}, {"RIDIRODEV_CONFIG", "/x/my.conf"}})),
      "/x/my.conf");
}

TEST(StandaloneConfigTest, BadValuesNameKeyValueAndSource) {
  const std::string fromFile = ErrorOf("trace = no\n\nday_slots = abc\n");
  EXPECT_NE(fromFile.find("'abc' for day_slots in /etc/r.conf line 3"), std::string::npos) << fromFile;
  const std::string fromEnv = ErrorOf(std::nullopt, Env({{"HOME", "/h"}, {"RIDIRODEV_TRACE", "maybe"}}));
  EXPECT_NE(fromEnv.find("'maybe' for trace in environment variable RIDIRODEV_TRACE"), std::string::npos)
      << fromEnv;
  // A bad environment value fails even when the file's value was good.
  ErrorOf("day_slots = 48\n", Env({{"HOME", "/h"}, {"RIDIRODEV_DAY_SLOTS", "0"}}));
  // An empty database is not the default one, which init --force would replace.
  ErrorOf(std::nullopt, Env({{"HOME", "/h"}, {"RIDIRODEV_DB", ""}}));

  for (const char* text : {"day_slots = 7\n",     // does not divide the day
                           "day_slots = 2880\n",  // shorter than a minute
                           "day_slots = 24.0\n", "message_box_answer = maybe\n", "user =\n", "db =\n"}) {
    EXPECT_NE(ErrorOf(text).find("line 1"), std::string::npos) << text;
  }
  EXPECT_NE(ErrorOf("colour = red\n").find("Unknown key 'colour'"), std::string::npos);
  EXPECT_NE(ErrorOf("# fine\ntrace\n").find("line 2"), std::string::npos);
}

TEST(StandaloneConfigTest, LoadReadsTheFileAndToleratesItsAbsence) {
  const testing::TempDir dir;
  const std::filesystem::path file = dir / "r.conf";
  // Without the file the environment still counts.
  EXPECT_TRUE(StandaloneConfig::Load(file, Env({{"HOME", "/h"}, {"RIDIRODEV_TRACE", "1"}})).trace);
  std::ofstream(file) << "day_slots = 12\n";
  EXPECT_EQ(StandaloneConfig::Load(file, kHomeOnly).daySlots, 12);
  // A folder where the file should be cannot be read.
  EXPECT_THROW(StandaloneConfig::Load(dir, kHomeOnly), AutomationError);
}

}  // namespace
}  // namespace ridirodev::standalone
