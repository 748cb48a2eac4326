#pragma once

// The info, templates, categories and fields commands of the ridirodev tool: what the component
// loads from the dictionary, callable without a command line so that they can be tested, and
// their set-up on the tool's command line.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ridirodev::engine {
class EngineDatabase;
}

namespace ridirodev::tool {

class Commands;

// Starts the component on the installed host (CRidirodevInitializer) and prints the dictionary
// database db (engine, version, where; when given) and what it loaded: flags, limits ("not
// measured" when the dictionary gave none), templates with their field types and extra columns,
// technologies, aggregators and function categories. Nothing is printed unless all of it could
// be gathered.
void ShowInfo(std::ostream& out, engine::EngineDatabase* db = nullptr);

// The application group templates with their hierarchy context and field types.
void ShowTemplates(std::ostream& out);

// The entity hierarchy of an application as an indented tree of hierarchy labels; the entities
// the tree leaves out go to err with the reason (a parent that is missing, a loop).
void ShowCategories(const std::string& app, std::ostream& out, std::ostream& err);

// What `ridirodev fields` lists: the fields of one entity that pass the filters.
struct FieldQuery {
  std::string app = "Traffic";
  std::string entity;  // id, entity name, label, context label or category name (case ignored)
  std::string tech;    // technology names or short names, comma-separated; any of them passes
  std::string type;    // field type name
  std::string owner;   // user name
  // Technology, type and owner are matched without regard to case; an unknown one is an
  // error that lists the known ones.
  std::string search;  // wildcard pattern on the name
  bool busyHour = false;
  std::string rcvForm;
  std::string rcvField;
  std::vector<std::string> columns;  // column names of FieldColumnNames(); empty for the default
  // FieldPropertyFilters: a period back from now the field changed in, such as 3d, and the
  // name of a filter definition (the saved ones must be loaded first).
  std::string changedWithin;
  std::string techFilter;
};

// Column names accepted by FieldQuery::columns, in the order of the list columns.
const std::vector<std::string>& FieldColumnNames();

// Prints the matching fields through the property set's table renderer; returns their count.
int32_t ShowFields(const FieldQuery& query, std::ostream& out);

// Sets up info, templates, categories and fields on the tool's command line.
void SetUpDictionaryCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
