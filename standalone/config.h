#pragma once

// Options of the standalone host: a per-user configuration file of "key = value" lines,
// overridden by RIDIRODEV_<KEY> environment variables.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/services.h"

namespace ridirodev::standalone {

// Reads one environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The environment of the process.
EnvironmentLookup ProcessEnvironment();

struct StandaloneConfig {
  bool extendedEntityViews = false;
  bool alwaysReload = false;
  bool trace = false;
  bool xmlGateway = false;       // the XML query service answers TemplateField queries
  std::string logFile;           // "" writes the log to standard error
  std::string messageBoxAnswer;  // "" (the style's default button), "ok", "cancel", "yes" or "no"
  int32_t daySlots = 24;         // divides the 1440 minutes of a day
  std::string appTitle = "Ridirodev";
  std::string user;                   // "" for the login name (see UserName)
  std::vector<std::string> features;  // enabled optional features
  std::vector<std::string> folders;   // data-source folders offered by the group services
  std::string settingsFile;
  std::string db;

  // Who is working: the user setting, else the login name ("" when neither can be had).
  std::string UserName() const;

  // Every key the file and the environment accept, in the order above.
  static const std::vector<std::string_view>& Keys();

  // The configuration file: RIDIRODEV_CONFIG when set, else $XDG_CONFIG_HOME/ridirodev/ridirodev.conf,
  // else ~/.config/ridirodev/ridirodev.conf.
  static std::filesystem::path DefaultFile(const EnvironmentLookup& env);

  // The default file of the process, then the process environment (a variable set to nothing
  // counts as unset, except RIDIRODEV_DB: an empty db is an error wherever it is given). A missing file
  // leaves the defaults; a bad value, an unknown key or an unreadable file raise error 5 naming the key, the
  // value and the file line or variable.
  static StandaloneConfig Load();
  static StandaloneConfig Load(const std::filesystem::path& file, const EnvironmentLookup& env);

  // The same rules over a file's text (fileName only names the source in messages) and a
  // given environment; nullopt fileText stands for a missing file.
  static StandaloneConfig FromText(const std::optional<std::string>& fileText, std::string_view fileName,
                                   const EnvironmentLookup& env);

  // The RIDIRODEV_ variable that overrides key ("day_slots" -> "RIDIRODEV_DAY_SLOTS").
  static std::string VariableName(std::string_view key);
};

// Optional features switched on by the configuration; names compared without regard to case.
class StandaloneFeatures : public IAppFeatures {
 public:
  explicit StandaloneFeatures(std::vector<std::string> enabled) : enabled_(std::move(enabled)) {}
  bool IsEnabled(std::string_view feature) const override;

 private:
  std::vector<std::string> enabled_;
};

}  // namespace ridirodev::standalone
