// The ridirodev command-line tool.
#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
  CLI::App app{"ridirodev: the data dictionary of a network performance-management client, on an embedded "
               "dictionary database"};
  app.set_version_flag("--version", std::string("ridirodev ") + RIDIRODEV_VERSION);
  app.require_subcommand(0, 1);
  CLI11_PARSE(app, argc, argv);
  if (argc == 1) std::cout << app.help();
  return 0;
}
