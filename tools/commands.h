#pragma once

// The table of the ridirodev tool's commands: each family sets up its commands on the command
// line (a subcommand and its options, bound to values its run keeps) with their runs, and the
// tool runs the one the command line chose. A new command is a new entry of a family's set-up.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "standalone/config.h"

namespace CLI {
class App;
}

namespace ridirodev::standalone {
class StandaloneHost;
}

namespace ridirodev::tool {

// What a command needs before it runs.
enum class RunsOn {
  kConfig,     // the configuration alone, before its problems are reported (init)
  kDatabase,   // the configuration, its problems reported first (sql opens the database itself)
  kComponent,  // the host the configuration makes, installed as the component's; settings saved after
};

// What the chosen command runs with.
struct CommandContext {
  const standalone::StandaloneConfig& config;
  standalone::StandaloneHost* host;  // for kComponent; nullptr otherwise
  std::ostream& out;
  std::ostream& err;
};

// A command's run: its exit status, 0 when everything asked was done. Failures are thrown.
using CommandRun = std::function<int(const CommandContext&)>;

// A run that prints to out and has done everything asked when it returns.
CommandRun Printing(std::function<void(std::ostream&)> run);

struct Command {
  CLI::App* line;  // the subcommand with its options
  RunsOn runsOn;
  CommandRun run;
};

// Every command of the tool, set up on its command line in the order of the help.
class Commands {
 public:
  explicit Commands(CLI::App& app);
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  // Adds a command under parent, with --db (help dbHelp; none when empty) as its first option.
  CLI::App* Add(
      CLI::App& parent, const std::string& name, const std::string& help, CommandRun run,
      RunsOn runsOn = RunsOn::kComponent,
      const std::string& dbHelp = "Database file, or a PostgreSQL database (postgresql://... or key=value)");
  // The --yes flag of a command that deletes: the host's questions of the run are answered Yes.
  void AddYesFlag(CLI::App& command);

  // The command the parsed command line chose, nullptr for none.
  const Command* Chosen() const;
  // The run's configuration as the options want it (CommandConfig, then --yes).
  standalone::StandaloneConfig Config() const;

 private:
  std::vector<Command> commands_;
  std::optional<std::string> db_;
  bool yes_ = false;
};

}  // namespace ridirodev::tool
