#include "standalone/config.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "ridirodev/core/automation_error.h"

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

TEST(StandaloneConfigTest, DefaultsWithoutFileFollowTheHomeAndXdgFolders) {
  const auto c = StandaloneConfig::FromText(std::nullopt, "x", kHomeOnly);
  EXPECT_FALSE(c.extendedEntityViews);
  EXPECT_FALSE(c.alwaysReload);
  EXPECT_FALSE(c.trace);
  EXPECT_EQ(c.logFile, "");
  EXPECT_EQ(c.messageBoxAnswer, "");
  EXPECT_EQ(c.daySlots, 24);
  EXPECT_EQ(c.appTitle, "Ridirodev");
  EXPECT_EQ(c.user, "admin");
  EXPECT_TRUE(c.features.empty());
  EXPECT_TRUE(c.folders.empty());
  EXPECT_EQ(c.settingsFile, "/home/op/.config/ridirodev/settings.xml");
  EXPECT_EQ(c.db, "/home/op/.local/share/ridirodev/dictionary.db");
  EXPECT_EQ(StandaloneConfig::DefaultFile(kHomeOnly), "/home/op/.config/ridirodev/ridirodev.conf");

  const auto xdg = Env({{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/data"}});
  const auto x = StandaloneConfig::FromText(std::nullopt, "x", xdg);
  EXPECT_EQ(x.settingsFile, "/cfg/ridirodev/settings.xml");
  EXPECT_EQ(x.db, "/data/ridirodev/dictionary.db");
  EXPECT_EQ(StandaloneConfig::DefaultFile(xdg), "/cfg/ridirodev/ridirodev.conf");

  // A relative XDG folder is not a base folder; RIDIRODEV_CONFIG names the file outright.
  const auto relative =
      Env({{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "cfg"}, {"RIDIRODEV_CONFIG", "/x/my.conf"}});
  EXPECT_EQ(StandaloneConfig::FromText(std::nullopt, "x", relative).settingsFile,
            "/home/op/.config/ridirodev/settings.xml");
  EXPECT_EQ(StandaloneConfig::DefaultFile(relative), "/x/my.conf");
}

TEST(StandaloneConfigTest, FileLinesAreReadWithCommentsBlanksAndCarriageReturns) {
  const std::string text =
      "# the operator's options\r\n"
      "\n"
      "   Extended_Entity_Views = yes\r\n"
      "trace=on\n"
      "day_slots = 96\n"
      "app_title = Network Dictionary = NMS\n"
      "features = UDR_Group , FlexibleAggregation,,\n"
      "folders = ASCII Data Sources\n"
      "message_box_answer = No\n"
      "db = ~/dict.db\n"
      "log_file = /var/log/r.log\n"
      "user = planner\n";
  const auto c = StandaloneConfig::FromText(text, "f", kHomeOnly);
  EXPECT_TRUE(c.extendedEntityViews);
  EXPECT_TRUE(c.trace);
  EXPECT_EQ(c.daySlots, 96);
  EXPECT_EQ(c.appTitle, "Network Dictionary = NMS");  // only the first "=" separates
  EXPECT_EQ(c.features, (std::vector<std::string>{"UDR_Group", "FlexibleAggregation"}));
  EXPECT_EQ(c.folders, (std::vector<std::string>{"ASCII Data Sources"}));
  EXPECT_EQ(c.messageBoxAnswer, "no");
  EXPECT_EQ(c.db, "/home/op/dict.db");
  EXPECT_EQ(c.logFile, "/var/log/r.log");
  EXPECT_EQ(c.user, "planner");
}

TEST(StandaloneConfigTest, EnvironmentOverridesFileWhichOverridesDefaults) {
  const std::string text = "trace = true\nday_slots = 48\nuser = filer\ndb = /file.db\n";
  const auto env = Env({{"HOME", "/h"},
                        {"RIDIRODEV_DAY_SLOTS", "96"},
                        {"RIDIRODEV_DB", "/env.db"},
                        {"RIDIRODEV_USER", ""},  // set to nothing: counts as unset
                        {"RIDIRODEV_APP_TITLE", "From Env"}});
  const auto c = StandaloneConfig::FromText(text, "f", env);
  EXPECT_TRUE(c.trace);       // file over default
  EXPECT_EQ(c.daySlots, 96);  // environment over file
  EXPECT_EQ(c.db, "/env.db");
  EXPECT_EQ(c.user, "filer");
  EXPECT_EQ(c.appTitle, "From Env");  // environment over default
  EXPECT_EQ(StandaloneConfig::VariableName("extended_entity_views"), "RIDIRODEV_EXTENDED_ENTITY_VIEWS");
}

TEST(StandaloneConfigTest, BadValuesNameKeyValueAndSource) {
  const std::string fromFile = ErrorOf("trace = no\n\nday_slots = abc\n");
  EXPECT_NE(fromFile.find("'abc'"), std::string::npos) << fromFile;
  EXPECT_NE(fromFile.find("day_slots"), std::string::npos) << fromFile;
  EXPECT_NE(fromFile.find("/etc/r.conf line 3"), std::string::npos) << fromFile;

  const std::string fromEnv = ErrorOf(std::nullopt, Env({{"HOME", "/h"}, {"RIDIRODEV_TRACE", "maybe"}}));
  EXPECT_NE(fromEnv.find("'maybe'"), std::string::npos) << fromEnv;
  EXPECT_NE(fromEnv.find("environment variable RIDIRODEV_TRACE"), std::string::npos) << fromEnv;

  // A bad environment value fails even when the file's value was good.
  ErrorOf("day_slots = 48\n", Env({{"HOME", "/h"}, {"RIDIRODEV_DAY_SLOTS", "0"}}));

  for (const char* text : {"day_slots = 7\n",     // does not divide the day
                           "day_slots = 2880\n",  // shorter than a minute
                           "day_slots = -24\n", "day_slots = 24.0\n", "message_box_answer = maybe\n",
                           "always_reload = 2\n", "user =\n"}) {
    SCOPED_TRACE(text);
    EXPECT_NE(ErrorOf(text).find("line 1"), std::string::npos);
  }
  EXPECT_NE(ErrorOf("colour = red\n").find("Unknown key 'colour'"), std::string::npos);
  EXPECT_NE(ErrorOf("# fine\ntrace\n").find("line 2"), std::string::npos);
}

TEST(StandaloneConfigTest, LoadReadsTheFileAndToleratesItsAbsence) {
  char dirTemplate[] = "/tmp/ridirodev_config_XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::filesystem::path dir = dirTemplate;
  const auto env = Env({{"HOME", dir.string()}, {"RIDIRODEV_TRACE", "1"}});

  const auto missing = StandaloneConfig::Load(dir / "none.conf", env);
  EXPECT_EQ(missing.daySlots, 24);
  EXPECT_TRUE(missing.trace);

  std::ofstream(dir / "r.conf") << "day_slots = 12\nsettings_file = ~/s.xml\n";
  const auto loaded = StandaloneConfig::Load(dir / "r.conf", env);
  EXPECT_EQ(loaded.daySlots, 12);
  EXPECT_EQ(loaded.settingsFile, (dir / "s.xml").string());

  std::ofstream(dir / "bad.conf") << "day_slots = x\n";
  try {
    StandaloneConfig::Load(dir / "bad.conf", env);
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_NE(e.Description().find((dir / "bad.conf").string() + " line 1"), std::string::npos);
  }
  // A folder where the file should be cannot be read.
  EXPECT_THROW(StandaloneConfig::Load(dir, env), AutomationError);
  std::filesystem::remove_all(dir);
}

TEST(StandaloneFeaturesTest, NamesAreComparedWithoutRegardToCase) {
  const StandaloneFeatures features({"UDR_Group", "FlexibleAggregation"});
  EXPECT_TRUE(features.IsEnabled("flexibleaggregation"));
  EXPECT_TRUE(features.IsEnabled("UDR_GROUP"));
  EXPECT_FALSE(features.IsEnabled("Flexible"));
  EXPECT_FALSE(StandaloneFeatures({}).IsEnabled("FlexibleAggregation"));
}

}  // namespace
}  // namespace ridirodev::standalone
