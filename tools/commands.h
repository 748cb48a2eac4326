#pragma once

// The commands of the ridirodev tool, apart from argument parsing so that they can be tested.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/config.h"

namespace ridirodev {
class CAppGroupTemplate;
class CFieldCategory;
class CFieldTechType;
class IFolderDocuments;
}  // namespace ridirodev

namespace ridirodev::standalone {
class SqliteDatabase;
}

namespace ridirodev::tool {

// The most generated fields init makes: a few million keep it within minutes and a few
// gigabytes.
inline constexpr int32_t kMaxInitSize = 5'000'000;

struct InitOptions {
  std::filesystem::path db;
  bool sample = false;
  int32_t size = 0;    // generated fields for benchmarks, 1 to kMaxInitSize (implies the sample); 0 for none
  bool force = false;  // replace an existing database file
  std::ostream* progress = nullptr;  // where to report each tenth of the generated fields; none when null
};

// The text of --size as a count of fields; error 5 unless a whole number from 1 to kMaxInitSize.
int32_t ParseSize(std::string_view text);

// Creates a dictionary database. It is built in a private temporary file beside the target
// and renamed into place, so a failure or an interrupt (SIGINT, SIGTERM) leaves no half-made
// file and an existing one untouched, and of two runs at once the last rename wins whole.
// Only a regular file is replaced: a symbolic link, device, pipe or folder is refused.
void InitDatabase(const InitOptions& options, std::ostream& out);

// A command's configuration: the configuration file and the environment, then --db when
// given. An empty --db is an error rather than the default file.
standalone::StandaloneConfig CommandConfig(const std::optional<std::string>& db);

// Problems of the configuration that nothing else would show (a log file in a folder that
// does not exist), one warning a line.
void WarnAboutConfig(const standalone::StandaloneConfig& config, std::ostream& err);

// An error as the host's error reporter shows it, "Error N (source): description" (the
// description alone for the tool's own errors), followed
// by the statement and the column that were being read when it arose, when db noted them.
std::string ErrorReport(const AutomationError& error, const standalone::SqliteDatabase* db);

// The tool's own error (5), whose description the error report shows alone.
[[noreturn]] void Invalid(const std::string& description);
// The error for a name that is none of the known ones, which it lists ("none" for none).
[[noreturn]] void Unknown(const std::string& what, std::string_view given,
                          const std::vector<std::string>& known, const std::string& knownAre = "known");
// A whole number that fits 32 bits, or nothing for any other text.
std::optional<int32_t> WholeNumber(const std::string& text);
// Starts the component on the installed host, as a host does before its first use: the
// caches and capability flags (styles, complex texts) are then as a host has them.
void StartComponent();

// Look-ups shared by the command families; each fails with a message that says where to look.
std::shared_ptr<CAppGroupTemplate> RequireTemplate(const std::string& app);
// The entity by id, entity name, label or category name, then by context label (case ignored).
std::shared_ptr<CFieldCategory> RequireCategory(const std::string& app, const std::string& entity);
// The technologies named (names or short names, comma-separated); an unknown one lists the known.
std::vector<std::shared_ptr<CFieldTechType>> Technologies(const std::string& text);

// Rows as an aligned text table: a header line, a rule, the rows. Widths count characters;
// control characters in the cells are escaped.
std::string FormatTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows);

// The reports and templates as a table under title, or "  none".
void PrintDocuments(const std::string& title, const IFolderDocuments& documents, std::ostream& out);
// The end of a delete command: the table of what was and was not done (its last column
// "deleted" or why not), then the error, naming what (e.g. "fields"), unless all was deleted.
void ReportDeletes(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows,
                   const std::string& what, std::ostream& out);
// Before a delete of what documents use: lists them and asks the host's question (answered by
// --yes or message_box_answer). True when no document uses it or the answer is Yes.
bool ConfirmDespiteDocuments(const IFolderDocuments& documents, const std::string& what, std::ostream& out);

// Runs one statement through the database object and prints its rows and how many rows it
// changed; returns the count of rows printed. Text after the statement is an error.
int32_t RunStatement(standalone::SqliteDatabase& db, std::string_view statement, std::ostream& out);

// `ridirodev sql`: RunStatement on the configured database, opened read-only unless write.
int32_t RunSql(const standalone::StandaloneConfig& config, std::string_view statement, bool write,
               std::ostream& out);

// Starts the component on the installed host (CRidirodevInitializer) and prints what it
// loaded: flags, limits ("not measured" when the dictionary gave none), templates with their
// field types and extra columns, technologies, aggregators and function categories. Nothing
// is printed unless all of it could be gathered.
void ShowInfo(std::ostream& out);

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

}  // namespace ridirodev::tool
