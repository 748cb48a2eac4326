#pragma once

// What the command families of the ridirodev tool share: their errors, the look-ups of what a
// command line names, the tables they print, and the configuration and error report of a run.

#include <cstdint>
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

namespace ridirodev::engine {
class EngineDatabase;
}

namespace ridirodev::tool {

// A command's configuration: the configuration file and the environment, then --db when
// given. An empty --db is an error rather than the default file.
standalone::StandaloneConfig CommandConfig(const std::optional<std::string>& db);

// Problems of the configuration that nothing else would show (a log file in a folder that
// does not exist), one warning a line.
void WarnAboutConfig(const standalone::StandaloneConfig& config, std::ostream& err);

// An error as the host's error reporter shows it, "Error N (source): description" (the
// description alone for the tool's own errors), followed
// by the statement and the column that were being read when it arose, when db noted them.
std::string ErrorReport(const AutomationError& error, const engine::EngineDatabase* db);

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
// The id of the user named; an unknown one is an error.
int32_t UserId(const std::string& name);
// The id of the user working (the user setting, else the login name), checked before a command
// writes to the dictionary: someone the dictionary does not know is an error, not owner 0.
int32_t RequireCurrentUser();

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

}  // namespace ridirodev::tool
