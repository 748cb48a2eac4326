// The ridirodev command-line tool.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/frame/state.h"
#include "standalone/config.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"
#include "tools/busyhour_commands.h"
#include "tools/commands.h"
#include "tools/datafile_commands.h"
#include "tools/filter_commands.h"
#include "tools/input_checks.h"
#include "tools/rcv_commands.h"
#include "tools/udc_commands.h"

namespace {

using ridirodev::AutomationError;
using ridirodev::standalone::StandaloneConfig;
using ridirodev::standalone::StandaloneHost;

int Fail(const std::string& message) {
  std::cerr << "ridirodev: " << message << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Stored names may hold control characters: none reaches the terminal raw.
  ridirodev::tool::PrintableStream printableOut(std::cout);
  ridirodev::tool::PrintableStream printableErr(std::cerr);
  CLI::App app{"ridirodev: the data dictionary of a network performance-management client, kept in an embedded "
               "dictionary database.\nThe database is the per-user file unless --db or RIDIRODEV_DB names another."};
  app.set_version_flag("--version", std::string("ridirodev ") + RIDIRODEV_VERSION);
  app.require_subcommand(0, 1);

  std::optional<std::string> db;
  ridirodev::tool::InitOptions init;
  std::string size;
  auto* initCommand = app.add_subcommand("init", "Create a dictionary database");
  initCommand->add_option("--db", db, "Database file to create");
  initCommand->add_flag("--sample", init.sample, "Fill it with the sample dictionary");
  initCommand
      ->add_option("--size", size,
                   "Add this many generated fields for benchmarks, 1 to " +
                       std::to_string(ridirodev::tool::kMaxInitSize) + " (implies --sample)")
      ->type_name("N");
  initCommand->add_flag("--force", init.force, "Replace an existing database file (only a regular file)");

  std::string statement;
  bool write = false;
  auto* sqlCommand = app.add_subcommand(
      "sql", "Run one statement in the component's dialect and print its rows; read-only unless --write");
  sqlCommand->add_option("--db", db, "Database file to use");
  sqlCommand->add_flag("--write", write,
                       "Allow the statement to change the database and report the rows changed");
  sqlCommand->add_option("statement", statement, "The statement (only one)")->required();

  auto* infoCommand = app.add_subcommand("info", "Start the component and show what it loaded from the dictionary");
  infoCommand->add_option("--db", db, "Database file to use");

  auto* templatesCommand = app.add_subcommand("templates", "List the application group templates");
  templatesCommand->add_option("--db", db, "Database file to use");

  std::string categoriesApp = "Traffic";
  auto* categoriesCommand = app.add_subcommand("categories", "Show the entity hierarchy of an application");
  categoriesCommand->add_option("--db", db, "Database file to use");
  categoriesCommand->add_option("app", categoriesApp, "Application (default Traffic)");

  ridirodev::tool::FieldQuery fieldQuery;
  std::string columns;
  auto* fieldsCommand = app.add_subcommand("fields", "List the fields of one entity of an application");
  fieldsCommand->add_option("--db", db, "Database file to use");
  fieldsCommand->add_option("app", fieldQuery.app, "Application, e.g. Traffic")->required();
  fieldsCommand->add_option("entity", fieldQuery.entity, "Entity: id, name, label or context label")
      ->required();
  fieldsCommand->add_option(
      "--tech", fieldQuery.tech,
      "Technology names or short names, comma-separated (see 'ridirodev info'); a field with "
      "any of them passes");
  fieldsCommand->add_option("--type", fieldQuery.type, "Field type, e.g. UDC");
  fieldsCommand->add_option("--owner", fieldQuery.owner, "Owner's user name");
  fieldsCommand->add_option("--search", fieldQuery.search, "Wildcard pattern on the field name");
  fieldsCommand->add_flag("--busy-hour", fieldQuery.busyHour, "Only fields whose aggregator suits busy hours");
  fieldsCommand->add_option("--rcv-form", fieldQuery.rcvForm, "RCV form name");
  fieldsCommand->add_option("--rcv-field", fieldQuery.rcvField, "RCV field name");
  std::string columnHelp =
      "Comma-separated columns: the application's field properties (Name, Tech Type, Heading_1, an extra "
      "column's title...), or the short names";
  for (const std::string& name : ridirodev::tool::FieldColumnNames()) columnHelp += " " + name;
  fieldsCommand->add_option("--columns", columns, columnHelp);
  fieldsCommand
      ->add_option("--changed-within", fieldQuery.changedWithin,
                   "Only fields changed within this period back from now: a count and m (minutes), h "
                   "(hours), d (days) or M (months), such as 3d")
      ->type_name("N{m,h,d,M}");
  fieldsCommand->add_option(
      "--tech-filter", fieldQuery.techFilter,
      "Only fields of a technology of this filter definition (see 'ridirodev filterdefs list')");

  std::string dataFilesEntity;
  auto* dataFilesCommand = app.add_subcommand(
      "datafiles", "List the collected data files and draw the span of data that arrived for each");
  dataFilesCommand->add_option("--db", db, "Database file to use");
  dataFilesCommand->add_option("entity", dataFilesEntity, "Only the files of this entity (id or name)");

  ridirodev::tool::UdcCommandLine udcCommands(app, db);
  ridirodev::tool::BusyHourCommandLine busyHourCommands(app, db);
  ridirodev::tool::FilterCommandLine filterCommands(app, db);
  std::string rcvForm;
  auto* rcvCommand = app.add_subcommand("rcv", "List the RCV/EMS forms, or the fields of one form");
  rcvCommand->add_option("--db", db, "Database file to use");
  rcvCommand->add_option("form", rcvForm, "Form whose fields to list");

  try {
    ridirodev::tool::ParseArguments(app, std::vector<std::string>(argv, argv + argc));
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const AutomationError& e) {
    return Fail(e.Description());
  }
  if (app.get_subcommands().empty()) {
    std::cout << app.help();
    return 0;
  }

  // Outside the try: the error report reads what the database noted about the failure.
  std::shared_ptr<StandaloneHost> host;
  try {
    StandaloneConfig config = ridirodev::tool::CommandConfig(db);
    udcCommands.Configure(config);
    busyHourCommands.Configure(config);
    if (*initCommand) {
      init.db = config.db;
      if (initCommand->count("--size") > 0) init.size = ridirodev::tool::ParseSize(size);
      // A few seconds' worth needs no report.
      if (init.size >= 100'000) init.progress = &std::cerr;
      ridirodev::tool::InitDatabase(init, std::cout);
      return 0;
    }
    ridirodev::tool::WarnAboutConfig(config, std::cerr);
    if (*sqlCommand) {
      ridirodev::tool::RunSql(config, statement, write, std::cout);
      return 0;
    }
    host = std::make_shared<StandaloneHost>(config);
    int status = 0;
    {
      ridirodev::MRidirodevScope scope(host);
      if (*infoCommand) {
        ridirodev::tool::ShowInfo(std::cout);
      } else if (*templatesCommand) {
        ridirodev::tool::ShowTemplates(std::cout);
      } else if (udcCommands.Chosen()) {
        udcCommands.Run(std::cout);
      } else if (busyHourCommands.Chosen()) {
        busyHourCommands.Run(std::cout);
      } else if (filterCommands.Chosen()) {
        status = filterCommands.Run(*host->Settings(), std::cout);
      } else if (*rcvCommand) {
        ridirodev::tool::ShowRcvForms(rcvForm, std::cout);
      } else if (*dataFilesCommand) {
        ridirodev::tool::ShowDataFiles(dataFilesEntity, std::cout);
      } else if (*categoriesCommand) {
        ridirodev::tool::ShowCategories(categoriesApp, std::cout, std::cerr);
      } else {
        for (size_t start = 0; !columns.empty() && start <= columns.size();) {
          const size_t comma = std::min(columns.find(',', start), columns.size());
          fieldQuery.columns.push_back(columns.substr(start, comma - start));
          start = comma + 1;
        }
        if (!fieldQuery.techFilter.empty()) ridirodev::tool::LoadFilterDefinitions(*host->Settings());
        ridirodev::tool::ShowFields(fieldQuery, std::cout);
      }
    }
    host->SaveSettingsIfChanged();
    return status;
  } catch (const AutomationError& e) {
    std::cout.flush();
    return Fail(ridirodev::tool::ErrorReport(e, host ? host->OpenedSqlite().get() : nullptr));
  } catch (const std::exception& e) {
    std::cout.flush();
    return Fail(e.what());
  }
}
