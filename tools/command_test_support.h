#pragma once

// What the command tests share: the sample host (testing/sample.h), the tool's command line
// (CLI11 and the table of commands), and a command's output or its error.

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/sqlite_database.h"
#include "testing/pg_server.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"
#include "tools/commands.h"
#include "tools/database_commands.h"
#include "tools/input_checks.h"

namespace ridirodev::tool {

using testing::SampleHost;

// What command printed, followed by "error: " and the description of the error it raised, if
// it raised one.
inline std::string CommandOutput(const std::function<void(std::ostream&)>& command) {
  std::ostringstream out;
  try {
    command(out);
  } catch (const AutomationError& e) {
    out << "error: " << e.Description();
  }
  return out.str();
}

// What a command line (args without the program) printed, or its parse error; run runs the
// command the line chose.
inline std::string ParsedOutput(std::vector<std::string> args,
                                const std::function<void(Commands&, std::ostream&)>& run) {
  CLI::App app;
  Commands commands(app);
  args.insert(args.begin(), "ridirodev");
  return CommandOutput([&](std::ostream& out) {
    try {
      ParseArguments(app, args);
    } catch (const CLI::ParseError& e) {
      out << "error: " << e.what();
      return;
    }
    run(commands, out);
  });
}

// The same, run on the installed host.
inline std::string CommandLineOutput(std::vector<std::string> args) {
  return ParsedOutput(std::move(args), [](Commands& commands, std::ostream& out) {
    commands.Chosen()->run({standalone::StandaloneConfig(), nullptr, out, out});
  });
}

// The same, run as the tool runs it: its configuration from the command line (and the
// environment), working as user, on a host of its own.
inline std::string ToolOutput(std::vector<std::string> args, const std::string& user = "admin") {
  return ParsedOutput(std::move(args), [&](Commands& commands, std::ostream& out) {
    standalone::StandaloneConfig config = commands.Config();
    config.user = user;
    const Command& chosen = *commands.Chosen();
    if (chosen.runsOn != RunsOn::kComponent) {
      chosen.run({config, nullptr, out, out});
      return;
    }
    auto host = std::make_shared<standalone::StandaloneHost>(config);
    MRidirodevScope scope(host);
    chosen.run({config, host.get(), out, out});
  });
}

// The sample made by init on each engine: a file, or a database of its own on the test server;
// a host over it, working as admin and answering Yes, installed for the test's thread.
class ToolOnEngineTest : public ::testing::TestWithParam<testing::TestEngine> {
 protected:
  void SetUp() override {
    RIDIRODEV_SKIP_WITHOUT_SERVER(GetParam());
    if (GetParam() == testing::TestEngine::kPostgres) {
      scratch_.emplace();
      db_ = scratch_->Address();
    } else {
      db_ = (dir_ / "dictionary.db").string();
    }
    std::ostringstream out;
    InitDatabase({db_, true, 0, false}, out);
    standalone::StandaloneConfig config;
    config.db = db_;
    config.user = "admin";
    config.messageBoxAnswer = "yes";
    host_ = std::make_shared<standalone::StandaloneHost>(config);
    scope_.emplace(host_);
  }
  void TearDown() override {
    scope_.reset();
    host_.reset();
  }
  engine::EngineDatabase& Dictionary() const { return *host_->Dictionary(); }

  testing::Captured boxes_;
  testing::TempDir dir_;
  std::optional<testing::ScratchDatabase> scratch_;  // outlives the host's connection
  std::string db_;                                   // the --db text
  std::shared_ptr<standalone::StandaloneHost> host_;
  std::optional<MRidirodevScope> scope_;
};

}  // namespace ridirodev::tool
