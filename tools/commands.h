#pragma once

// The commands of the ridirodev tool, apart from argument parsing so that they can be tested.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/database.h"

namespace ridirodev::tool {

struct InitOptions {
  std::filesystem::path db;
  bool sample = false;
  int32_t size = 0;    // extra generated fields for benchmarks (implies the sample)
  bool force = false;  // replace an existing file
};

// Creates a dictionary database. It is built beside the target and renamed into place, so a
// failure leaves no half-made file and an existing one untouched.
void InitDatabase(const InitOptions& options, std::ostream& out);

// Rows as an aligned text table: a header line, a rule, the rows. Widths count characters.
std::string FormatTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows);

// Runs one statement through the database object and prints its rows; returns their count.
int32_t RunStatement(IDBObject& db, std::string_view statement, std::ostream& out);

// Starts the component on the installed host (CRidirodevInitializer) and prints what it
// loaded: flags, limits, templates with their field types and extra columns, technologies,
// aggregators and function categories.
void ShowInfo(std::ostream& out);

// The application group templates with their hierarchy context and field types.
void ShowTemplates(std::ostream& out);

// The entity hierarchy of an application as an indented tree of hierarchy labels.
void ShowCategories(const std::string& app, std::ostream& out);

// What `ridirodev fields` lists: the fields of one entity that pass the filters.
struct FieldQuery {
  std::string app = "Traffic";
  std::string entity;  // id, entity name, label or category name (case ignored)
  std::string tech;    // technology letters, any of which passes
  std::string type;    // field type name
  std::string owner;
  std::string search;  // wildcard pattern on the name
  bool busyHour = false;
  std::string rcvForm;
  std::string rcvField;
  std::vector<std::string> columns;  // column names of FieldColumnNames(); empty for the default
};

// Column names accepted by FieldQuery::columns, in the order of the list columns.
const std::vector<std::string>& FieldColumnNames();

// Prints the matching fields through the property set's table renderer; returns their count.
int32_t ShowFields(const FieldQuery& query, std::ostream& out);

}  // namespace ridirodev::tool
