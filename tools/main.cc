// The ridirodev command-line tool.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <optional>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/frame/state.h"
#include "standalone/config.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"
#include "tools/commands.h"

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
  CLI::App app{"ridirodev: the data dictionary of a network performance-management client, kept in an embedded "
               "dictionary database.\nThe database is the per-user file unless --db or RIDIRODEV_DB names another."};
  app.set_version_flag("--version", std::string("ridirodev ") + RIDIRODEV_VERSION);
  app.require_subcommand(0, 1);

  std::string db;
  ridirodev::tool::InitOptions init;
  auto* initCommand = app.add_subcommand("init", "Create a dictionary database");
  initCommand->add_option("--db", db, "Database file to create");
  initCommand->add_flag("--sample", init.sample, "Fill it with the sample dictionary");
  initCommand->add_option("--size", init.size, "Add this many generated fields for benchmarks (implies --sample)")
      ->check(CLI::NonNegativeNumber);
  initCommand->add_flag("--force", init.force, "Replace an existing file");

  std::string statement;
  auto* sqlCommand = app.add_subcommand("sql", "Run one statement in the component's dialect and print its rows");
  sqlCommand->add_option("--db", db, "Database file to use");
  sqlCommand->add_option("statement", statement, "The statement")->required();

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
  fieldsCommand->add_option("entity", fieldQuery.entity, "Entity: id, name or label")->required();
  fieldsCommand->add_option("--tech", fieldQuery.tech, "Technology letters; a field with any of them passes");
  fieldsCommand->add_option("--type", fieldQuery.type, "Field type, e.g. UDC");
  fieldsCommand->add_option("--owner", fieldQuery.owner, "Owner's user name");
  fieldsCommand->add_option("--search", fieldQuery.search, "Wildcard pattern on the field name");
  fieldsCommand->add_flag("--busy-hour", fieldQuery.busyHour, "Only fields whose aggregator suits busy hours");
  fieldsCommand->add_option("--rcv-form", fieldQuery.rcvForm, "RCV form name");
  fieldsCommand->add_option("--rcv-field", fieldQuery.rcvField, "RCV field name");
  std::string columnHelp = "Comma-separated columns:";
  for (const std::string& name : ridirodev::tool::FieldColumnNames()) columnHelp += " " + name;
  columnHelp += ", or an extra column's title";
  fieldsCommand->add_option("--columns", columns, columnHelp);

  CLI11_PARSE(app, argc, argv);
  if (app.get_subcommands().empty()) {
    std::cout << app.help();
    return 0;
  }

  try {
    StandaloneConfig config = StandaloneConfig::Load();
    if (!db.empty()) config.db = db;
    if (*initCommand) {
      init.db = config.db;
      ridirodev::tool::InitDatabase(init, std::cout);
      return 0;
    }
    auto host = std::make_shared<StandaloneHost>(config);
    {
      ridirodev::MRidirodevScope scope(host);
      if (*infoCommand) {
        ridirodev::tool::ShowInfo(std::cout);
      } else if (*templatesCommand) {
        ridirodev::tool::ShowTemplates(std::cout);
      } else if (*categoriesCommand) {
        ridirodev::tool::ShowCategories(categoriesApp, std::cout);
      } else if (*fieldsCommand) {
        for (size_t start = 0; !columns.empty() && start <= columns.size();) {
          const size_t comma = std::min(columns.find(',', start), columns.size());
          fieldQuery.columns.push_back(columns.substr(start, comma - start));
          start = comma + 1;
        }
        ridirodev::tool::ShowFields(fieldQuery, std::cout);
      } else {
        ridirodev::tool::RunStatement(*host->Sqlite(), statement, std::cout);
      }
    }
    host->SaveSettingsIfChanged();
    return 0;
  } catch (const AutomationError& e) {
    return Fail(e.Description());
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
