#include "tools/command_support.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <ostream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "standalone/sqlite_database.h"
#include "tools/printable_stream.h"

namespace ridirodev::tool {
namespace {

constexpr const char* kSource = "ridirodev";

}  // namespace

void Invalid(const std::string& description) {
  throw AutomationError(ErrorNumber::kInvalidArgument, kSource, description);
}

std::optional<int32_t> WholeNumber(const std::string& text) {
  double number = 0;
  if (!Variant::ParseNumber(text, number) || number < INT32_MIN || number > INT32_MAX ||
      number != static_cast<double>(static_cast<int32_t>(number))) {
    return std::nullopt;
  }
  return static_cast<int32_t>(number);
}

void StartComponent() { CRidirodevInitializer().Initialize(); }

standalone::StandaloneConfig CommandConfig(const std::optional<std::string>& db) {
  if (db && db->empty()) Invalid("--db needs a database file; it was given as empty.");
  standalone::StandaloneConfig config = standalone::StandaloneConfig::Load();
  if (db) config.db = *db;
  return config;
}

void WarnAboutConfig(const standalone::StandaloneConfig& config, std::ostream& err) {
  const std::filesystem::path log(config.logFile);
  std::error_code ec;
  if (!config.logFile.empty() && log.has_parent_path() &&
      !std::filesystem::is_directory(log.parent_path(), ec)) {
    err << "ridirodev: warning: the folder of the log file " << config.logFile
        << " does not exist; the log goes to standard error\n";
  }
}

std::string ErrorReport(const AutomationError& error, const engine::EngineDatabase* db) {
  // The tool's own messages say all there is; the number and source are for errors from below.
  std::string text = error.Source() == kSource ? error.Description()
                                               : "Error " + std::to_string(error.Number()) + " (" +
                                                     error.Source() + "): " + error.Description();
  const auto* file = dynamic_cast<const standalone::SqliteDatabase*>(db);
  const auto& read = file ? file->Connection()->Interrupted() : std::nullopt;
  if (read && error.Description().find(read->statement) == std::string::npos) {
    text += "\n  while reading: " + std::string(TrimBlanks(read->statement));
    if (!read->column.empty()) text += "\n  last column read: " + read->column;
  }
  return text;
}

std::string FormatTable(const std::vector<std::string>& headers,
                        const std::vector<std::vector<std::string>>& given) {
  // The cells as they print: a control character in a stored text would break the columns.
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : given) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (const std::string& cell : row) cells.push_back(Printable(cell));
  }
  std::vector<size_t> widths(headers.size());
  for (size_t c = 0; c < headers.size(); ++c) widths[c] = Utf8Length(headers[c]);
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], Utf8Length(row[c]));
  }
  std::string text;
  auto line = [&](const std::vector<std::string>& cells) {
    std::string out;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string& cell = c < cells.size() ? cells[c] : std::string();
      if (c) out += "  ";
      out += cell;
      if (c + 1 < widths.size()) out.append(widths[c] - Utf8Length(cell), ' ');
    }
    text += out + '\n';
  };
  line(headers);
  std::vector<std::string> rule;
  for (size_t w : widths) rule.emplace_back(w, '-');
  line(rule);
  for (const auto& row : rows) line(row);
  return text;
}

void PrintDocuments(const std::string& title, const IFolderDocuments& documents, std::ostream& out) {
  std::vector<std::vector<std::string>> rows;
  for (int32_t i = 1; i <= documents.Count(); ++i) {
    const IFolderDocumentPtr doc = documents.Item(i);
    rows.push_back({doc->Kind() + (doc->IsExpressTemplate() ? " (express)" : ""), std::to_string(doc->Id()),
                    doc->Name()});
  }
  out << title << ":\n" << (rows.empty() ? "  none\n" : FormatTable({"Kind", "Id", "Name"}, rows));
}

void ReportDeletes(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows,
                   const std::string& what, std::ostream& out) {
  out << FormatTable(headers, rows);
  const auto kept =
      std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.back() != "deleted"; });
  if (kept > 0) {
    Invalid(std::to_string(kept) + " of the " + std::to_string(rows.size()) + " " + what +
            " named were not deleted.");
  }
}

bool ConfirmDespiteDocuments(const IFolderDocuments& documents, const std::string& what, std::ostream& out) {
  if (documents.Count() == 0) return true;
  PrintDocuments("Reports and templates that use the " + what, documents, out);
  out.flush();  // the list comes before the question
  MRidirodev& state = MRidirodev::Current();
  // Yes and No, a question, No the default: a script without an answer deletes nothing in use.
  const int32_t style = MessageBoxStyle::kYesNo | MessageBoxStyle::kQuestion | 256;
  const std::string question = "The reports and templates listed use the " + what +
                               " to be deleted; they will no longer show them.\nDelete them anyway?";
  return state.Messages().MessageBox(question, style, "Delete " + what) == MessageBoxResult::kYes;
}

void Unknown(const std::string& what, std::string_view given, const std::vector<std::string>& known,
             const std::string& knownAre) {
  std::string list;
  for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
  Invalid("Unknown " + what + " '" + std::string(given) + "'; " + knownAre + ": " +
          (list.empty() ? "none" : list) + ".");
}

CAppGroupTemplatePtr RequireTemplate(const std::string& app) {
  CAppGroupTemplatePtr tpl = GRidirodev::AppGroupTemplate(app);
  if (!tpl) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "There is no application '" + app + "' (see 'ridirodev templates').");
  }
  return tpl;
}

CFieldCategoryPtr RequireCategory(const std::string& app, const std::string& entity) {
  const auto categories = RequireTemplate(app)->FieldCategories();
  CFieldCategoryPtr found;
  double id = 0;
  if (Variant::ParseNumber(entity, id)) {
    found = categories->Item(Variant(GRidirodev::EntityKey(static_cast<int32_t>(id))));
  }
  for (auto it = categories->begin(); !found && it != categories->end(); ++it) {
    const CFieldCategory& category = **it;
    if (EqualsNoCase(category.CategoryEntity(), entity) || EqualsNoCase(category.Label(), entity) ||
        EqualsNoCase(category.CategoryName(), entity)) {
      found = *it;
    }
  }
  // The context labels ("Site" in "CellSite (Site)") last: a label of its own comes first.
  for (auto it = categories->begin(); !found && it != categories->end(); ++it) {
    if (EqualsNoCase((*it)->ContextEntityLabel(), entity)) found = *it;
  }
  if (!found) {
    throw AutomationError(
        ErrorNumber::kInvalidArgument, kSource,
        "There is no entity '" + entity + "' in " + app + " (see 'ridirodev categories " + app + "').");
  }
  return found;
}

std::vector<CFieldTechTypePtr> Technologies(const std::string& text) {
  const auto techs = GRidirodev::ValidTechTypes();
  std::vector<CFieldTechTypePtr> found;
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view name = TrimBlanks(std::string_view(text).substr(start, comma - start));
    start = comma + 1;
    if (name.empty()) continue;
    const auto tech = std::find_if(techs->begin(), techs->end(), [&](const CFieldTechTypePtr& t) {
      return EqualsNoCase(t->Name(), name) || EqualsNoCase(t->ShortName(), name);
    });
    if (tech == techs->end()) {
      std::vector<std::string> known;
      for (const CFieldTechTypePtr& t : *techs) known.push_back(t->Name() + " (" + t->ShortName() + ")");
      Unknown("technology", name, known);
    }
    found.push_back(*tech);
  }
  return found;
}

int32_t UserId(const std::string& name) {
  IAppUserPtr user = MRidirodev::Current().FolderServices().UserByName(name);
  if (!user) Invalid("There is no user named '" + name + "'.");
  return user->Id();
}

int32_t RequireCurrentUser() {
  MRidirodev& state = MRidirodev::Current();
  const IAppUserPtr current = state.FolderServices().CurrentUser();
  const std::string name = current ? current->Name() : "";
  IAppUserPtr user = name.empty() ? nullptr : state.FolderServices().UserByName(name);
  if (!user) {
    Invalid("You are working as '" + name +
            "', who is not a user of this dictionary; nothing was changed. Set user in the configuration "
            "(or RIDIRODEV_USER) to a name 'ridirodev users list' shows, or have yourself added with "
            "'ridirodev users add'.");
  }
  return user->Id();
}

}  // namespace ridirodev::tool
