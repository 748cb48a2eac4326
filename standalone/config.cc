#include "standalone/config.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSource = "StandaloneConfig";
constexpr std::string_view kPrefix = "RIDIRODEV_";

std::string_view TrimSpace(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::optional<std::string> NonEmpty(const EnvironmentLookup& env, const std::string& name) {
  auto v = env(name);
  if (v && v->empty()) return std::nullopt;
  return v;
}

std::filesystem::path HomeDirectory(const EnvironmentLookup& env) {
  if (auto home = NonEmpty(env, "HOME")) return *home;
  // Services started without HOME still have a password entry.
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

// An XDG base directory: the variable when it holds an absolute path (relative ones are
// ignored by that convention), else the fallback under the home directory.
std::filesystem::path XdgDirectory(const EnvironmentLookup& env, const std::string& variable,
                                   const char* fallback) {
  if (auto dir = NonEmpty(env, variable); dir && std::filesystem::path(*dir).is_absolute()) return *dir;
  return HomeDirectory(env) / fallback;
}

std::string ExpandHome(std::string_view value, const EnvironmentLookup& env) {
  if (value == "~") return HomeDirectory(env).string();
  if (value.starts_with("~/")) return (HomeDirectory(env) / std::string(value.substr(2))).string();
  return std::string(value);
}

std::vector<std::string> SplitList(std::string_view value) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string_view::npos) comma = value.size();
    const std::string_view item = TrimSpace(value.substr(start, comma - start));
    if (!item.empty()) out.emplace_back(item);
    start = comma + 1;
  }
  return out;
}

// Where a value came from, for messages: "FILE line N" or "environment variable NAME".
struct Origin {
  std::string text;
};

[[noreturn]] void BadValue(std::string_view key, std::string_view value, const Origin& origin,
                           std::string_view expected) {
  throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                        "Invalid value '" + std::string(value) + "' for " + std::string(key) + " in " +
                            origin.text + ": expected " + std::string(expected) + ".");
}

bool ParseBool(std::string_view key, std::string_view value, const Origin& origin) {
  for (std::string_view yes : {"true", "yes", "on", "1"}) {
    if (EqualsNoCase(value, yes)) return true;
  }
  for (std::string_view no : {"false", "no", "off", "0"}) {
    if (EqualsNoCase(value, no)) return false;
  }
  BadValue(key, value, origin, "true or false (also yes/no, on/off, 1/0)");
}

int32_t ParseDaySlots(std::string_view key, std::string_view value, const Origin& origin) {
  constexpr const char* kExpected =
      "a whole number of slots from 1 to 1440 that divides the 1440 minutes of a day";
  if (value.empty() || value.size() > 4 ||
      !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    BadValue(key, value, origin, kExpected);
  }
  const int32_t n = std::stoi(std::string(value));
  if (n < 1 || n > 1440 || 1440 % n != 0) BadValue(key, value, origin, kExpected);
  return n;
}

void Apply(StandaloneConfig& config, std::string_view key, std::string_view value, const Origin& origin,
           const EnvironmentLookup& env) {
  if (key == "extended_entity_views") {
    config.extendedEntityViews = ParseBool(key, value, origin);
  } else if (key == "always_reload") {
    config.alwaysReload = ParseBool(key, value, origin);
  } else if (key == "trace") {
    config.trace = ParseBool(key, value, origin);
  } else if (key == "xml_gateway") {
    config.xmlGateway = ParseBool(key, value, origin);
  } else if (key == "log_file") {
    config.logFile = ExpandHome(value, env);
  } else if (key == "message_box_answer") {
    const std::string lower = ToLower(value);
    if (!lower.empty() && lower != "ok" && lower != "cancel" && lower != "yes" && lower != "no") {
      BadValue(key, value, origin, "ok, cancel, yes, no, or nothing for the default button");
    }
    config.messageBoxAnswer = lower;
  } else if (key == "day_slots") {
    config.daySlots = ParseDaySlots(key, value, origin);
  } else if (key == "app_title") {
    config.appTitle = std::string(value);
  } else if (key == "user") {
    if (value.empty()) BadValue(key, value, origin, "a user name");
    config.user = std::string(value);
  } else if (key == "features") {
    config.features = SplitList(value);
  } else if (key == "folders") {
    config.folders = SplitList(value);
  } else if (key == "settings_file") {
    // Empty keeps the default: an empty path cannot be written.
    if (!value.empty()) config.settingsFile = ExpandHome(value, env);
  } else if (key == "db") {
    // No quiet fallback to the default file: init --force would replace the user's dictionary.
    if (value.empty()) BadValue(key, value, origin, "a database file");
    config.db = ExpandHome(value, env);
  } else {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "Unknown key '" + std::string(key) + "' in " + origin.text + ".");
  }
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* v = std::getenv(name.c_str());
    if (!v) return std::nullopt;
    return std::string(v);
  };
}

std::string StandaloneConfig::UserName() const {
  if (!user.empty()) return user;
  // The name of the terminal's session first, as the system records who logged in; a process
  // without one (a service, a container) is the owner of its user id.
  if (const char* login = getlogin(); login && *login) return login;
  const passwd* entry = getpwuid(geteuid());
  return entry && entry->pw_name ? entry->pw_name : "";
}

const std::vector<std::string_view>& StandaloneConfig::Keys() {
  static const std::vector<std::string_view> keys = {"extended_entity_views",
                                                     "always_reload",
                                                     "trace",
                                                     "xml_gateway",
                                                     "log_file",
                                                     "message_box_answer",
                                                     "day_slots",
                                                     "app_title",
                                                     "user",
                                                     "features",
                                                     "folders",
                                                     "settings_file",
                                                     "db"};
  return keys;
}

std::string StandaloneConfig::VariableName(std::string_view key) {
  return std::string(kPrefix) + ToUpper(key);
}

std::filesystem::path StandaloneConfig::DefaultFile(const EnvironmentLookup& env) {
  if (auto file = NonEmpty(env, "RIDIRODEV_CONFIG")) return *file;
  return XdgDirectory(env, "XDG_CONFIG_HOME", ".config") / "ridirodev" / "ridirodev.conf";
}

StandaloneConfig StandaloneConfig::FromText(const std::optional<std::string>& fileText,
                                            std::string_view fileName, const EnvironmentLookup& env) {
  StandaloneConfig config;
  config.settingsFile =
      (XdgDirectory(env, "XDG_CONFIG_HOME", ".config") / "ridirodev" / "settings.xml").string();
  config.db = (XdgDirectory(env, "XDG_DATA_HOME", ".local/share") / "ridirodev" / "dictionary.db").string();

  if (fileText) {
    std::istringstream in(*fileText);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
      ++lineNumber;
      const std::string_view text = TrimSpace(line);
      if (text.empty() || text.front() == '#') continue;
      const Origin origin{std::string(fileName) + " line " + std::to_string(lineNumber)};
      const size_t eq = text.find('=');
      if (eq == std::string_view::npos) {
        throw AutomationError(
            ErrorNumber::kInvalidArgument, kSource,
            "Expected 'key = value' in " + origin.text + ", found '" + std::string(text) + "'.");
      }
      const std::string key = ToLower(TrimSpace(text.substr(0, eq)));
      Apply(config, key, TrimSpace(text.substr(eq + 1)), origin, env);
    }
  }

  // The environment wins over the file, key by key; a variable set to nothing counts as unset,
  // except RIDIRODEV_DB, which names the file that init --force replaces.
  for (std::string_view key : Keys()) {
    const std::string variable = VariableName(key);
    if (auto value = key == "db" ? env(variable) : NonEmpty(env, variable)) {
      Apply(config, key, TrimSpace(*value), Origin{"environment variable " + variable}, env);
    }
  }
  return config;
}

StandaloneConfig StandaloneConfig::Load(const std::filesystem::path& file, const EnvironmentLookup& env) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return FromText(std::nullopt, file.string(), env);
  std::ifstream in(file, std::ios::binary);
  if (!in || std::filesystem::is_directory(file, ec)) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "Cannot read the configuration file " + file.string() + ".");
  }
  std::ostringstream text;
  text << in.rdbuf();
  return FromText(text.str(), file.string(), env);
}

StandaloneConfig StandaloneConfig::Load() {
  const EnvironmentLookup env = ProcessEnvironment();
  return Load(DefaultFile(env), env);
}

bool StandaloneFeatures::IsEnabled(std::string_view feature) const {
  return std::any_of(enabled_.begin(), enabled_.end(),
                     [feature](const std::string& name) { return EqualsNoCase(name, feature); });
}

}  // namespace ridirodev::standalone
