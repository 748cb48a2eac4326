// The ridirodev command-line tool: parses the command line, runs the command it chose from the
// table of commands and turns a failure into a message on standard error and exit code 1.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/input_checks.h"
#include "tools/printable_stream.h"

namespace {

using ridirodev::AutomationError;
using ridirodev::standalone::StandaloneConfig;
using ridirodev::standalone::StandaloneHost;
using ridirodev::tool::Command;
using ridirodev::tool::Commands;
using ridirodev::tool::PrintableStream;
using ridirodev::tool::RunsOn;

int Fail(const std::string& message) {
  std::cerr << "ridirodev: " << message << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Stored names may hold control characters: none reaches the terminal raw.
  PrintableStream printableOut(std::cout);
  PrintableStream printableErr(std::cerr);
  CLI::App app{
      "ridirodev: the data dictionary of a network performance-management client, kept in an embedded "
      "dictionary database or on a PostgreSQL server.\nThe database is the per-user file unless --db or "
      "RIDIRODEV_DB names another file or a server's database."};
  app.set_version_flag("--version", std::string("ridirodev ") + RIDIRODEV_VERSION);
  app.require_subcommand(0, 1);
  Commands commands(app);
  try {
    ridirodev::tool::ParseArguments(app, std::vector<std::string>(argv, argv + argc));
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const AutomationError& e) {
    return Fail(e.Description());
  }
  const Command* chosen = commands.Chosen();
  if (!chosen) {
    std::cout << app.help();
    return 0;
  }

  // Outside the try: the error report reads what the database noted about the failure.
  std::shared_ptr<StandaloneHost> host;
  try {
    const StandaloneConfig config = commands.Config();
    if (chosen->runsOn != RunsOn::kConfig) ridirodev::tool::WarnAboutConfig(config, std::cerr);
    if (chosen->runsOn != RunsOn::kComponent) return chosen->run({config, nullptr, std::cout, std::cerr});
    host = std::make_shared<StandaloneHost>(config);
    int status = 0;
    {
      ridirodev::MRidirodevScope scope(host);
      status = chosen->run({config, host.get(), std::cout, std::cerr});
    }
    host->SaveSettingsIfChanged();
    return status;
  } catch (const AutomationError& e) {
    std::cout.flush();
    return Fail(ridirodev::tool::ErrorReport(e, host ? host->OpenedDictionary() : nullptr));
  } catch (const std::exception& e) {
    std::cout.flush();
    return Fail(e.what());
  }
}
