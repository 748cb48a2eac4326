#include "tools/commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <utility>

#include "tools/busyhour_commands.h"
#include "tools/catalogue_commands.h"
#include "tools/command_support.h"
#include "tools/database_commands.h"
#include "tools/datafile_commands.h"
#include "tools/dialog_commands.h"
#include "tools/dictionary_commands.h"
#include "tools/filter_commands.h"
#include "tools/rcv_commands.h"
#include "tools/udc_commands.h"
#include "tools/user_commands.h"

namespace ridirodev::tool {
namespace {

// The families in the order of the help.
using SetUp = void (*)(CLI::App& app, Commands& commands);
constexpr SetUp kFamilies[] = {
    SetUpDatabaseCommands,    // init, sql
    SetUpDictionaryCommands,  // info, templates, categories, fields
    SetUpDataFileCommands,    // datafiles
    SetUpUdcCommands,         // udc, common
    SetUpBusyHourCommands,    // busyhours
    SetUpFilterCommands,      // criteria, filterdefs
    SetUpRcvCommands,         // rcv
    SetUpUserCommands,        // users
    SetUpDialogCommands,      // doctype
    SetUpCatalogueCommands,   // catalogue, invoke
};

}  // namespace

CommandRun Printing(std::function<void(std::ostream&)> run) {
  return [run = std::move(run)](const CommandContext& context) {
    run(context.out);
    return 0;
  };
}

Commands::Commands(CLI::App& app) {
  for (const SetUp setUp : kFamilies) setUp(app, *this);
}

CLI::App* Commands::Add(CLI::App& parent, const std::string& name, const std::string& help, CommandRun run,
                        RunsOn runsOn, const std::string& dbHelp) {
  CLI::App* command = parent.add_subcommand(name, help);
  if (!dbHelp.empty()) command->add_option("--db", db_, dbHelp);
  commands_.push_back({command, runsOn, std::move(run)});
  return command;
}

void Commands::AddYesFlag(CLI::App& command) {
  command.add_flag("--yes", yes_, "Answer Yes to the questions of this run");
}

const Command* Commands::Chosen() const {
  const auto chosen = std::find_if(commands_.begin(), commands_.end(),
                                   [](const Command& command) { return command.line->parsed(); });
  return chosen == commands_.end() ? nullptr : &*chosen;
}

standalone::StandaloneConfig Commands::Config() const {
  standalone::StandaloneConfig config = CommandConfig(db_);
  if (yes_) config.messageBoxAnswer = "yes";
  return config;
}

}  // namespace ridirodev::tool
