#pragma once

// What the command tests share: the sample host (testing/sample.h), the tool's command line
// (CLI11 and the table of commands), and a command's output or its error.

#include <CLI/CLI.hpp>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/host.h"
#include "testing/sample.h"
#include "tools/commands.h"
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

// What a command line (args without the program) printed, or its error, as the tool parses it
// and runs it on the installed host.
inline std::string CommandLineOutput(std::vector<std::string> args) {
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
    commands.Chosen()->run({standalone::StandaloneConfig(), nullptr, out, out});
  });
}

}  // namespace ridirodev::tool
