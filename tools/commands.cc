#include "tools/commands.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <unordered_set>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/enums.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/initializer.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/frame/template_categories.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/qualifiers.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"
#include "standalone/traced_database.h"
#include "tools/filter_commands.h"
#include "tools/input_checks.h"

namespace ridirodev::tool {
namespace {

constexpr const char* kSource = "ridirodev";

std::string CellText(const Variant& value) {
  if (value.IsNull()) return "NULL";
  if (value.IsDate()) return value.ToDate().GeneralDate();
  return value.ToString();
}

std::string SizeRule() { return "--size must be a whole number from 1 to " + std::to_string(kMaxInitSize); }

// The temporary file of the init under way and its rollback journal, for the signal handler,
// which may neither allocate nor take locks: hence fixed buffers and a flag.
char gBuilding[PATH_MAX];
char gJournal[PATH_MAX + 8];
volatile std::sig_atomic_t gArmed = 0;

void RemoveBuildingAndDie(int signal) {
  if (gArmed) {
    unlink(gBuilding);
    unlink(gJournal);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A private temporary file beside the target (as mkstemp makes it), removed unless renamed into
// place, also on SIGINT and SIGTERM while it lives.
class BuildingFile {
 public:
  explicit BuildingFile(const std::filesystem::path& target) : previous_(gBuilding), previousArmed_(gArmed) {
    const std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    if (pattern.size() + 8 >= sizeof gBuilding) {
      Invalid("The database path " + target.string() + " is too long.");
    }
    struct sigaction action {};
    action.sa_handler = RemoveBuildingAndDie;
    sigemptyset(&action.sa_mask);
    gArmed = 0;
    std::memcpy(gBuilding, pattern.c_str(), pattern.size() + 1);
    const int fd = mkstemp(gBuilding);
    if (fd < 0) {
      const int error = errno;
      Restore();
      Invalid("Cannot create the database " + target.string() + ": " + std::strerror(error) + ".");
    }
    path_ = gBuilding;
    std::snprintf(gJournal, sizeof gJournal, "%s-journal", gBuilding);
    gArmed = 1;
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
    // mkstemp makes the file private; a database gets the modes a new file would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
  }
  BuildingFile(const BuildingFile&) = delete;
  BuildingFile& operator=(const BuildingFile&) = delete;
  ~BuildingFile() {
    if (!renamed_) {
      std::remove(path_.c_str());
      std::remove((path_ + "-journal").c_str());
    }
    Restore();
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  const std::string& Path() const { return path_; }
  void RenameTo(const std::filesystem::path& target) {
    if (std::rename(path_.c_str(), target.c_str()) != 0) {
      Invalid("Cannot put the new database in place at " + target.string() + ": " + std::strerror(errno) +
              ".");
    }
    gArmed = 0;
    renamed_ = true;
  }

 private:
  // Back to the init this one runs inside, if any.
  void Restore() {
    gArmed = 0;
    std::snprintf(gBuilding, sizeof gBuilding, "%s", previous_.c_str());
    std::snprintf(gJournal, sizeof gJournal, "%s-journal", gBuilding);
    gArmed = previousArmed_;
  }

  std::string path_;
  std::string previous_;
  std::sig_atomic_t previousArmed_;
  bool renamed_ = false;
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

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

int32_t ParseSize(std::string_view text) {
  const bool digits = !text.empty() && text.size() <= 7 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int32_t size = digits ? std::stoi(std::string(text)) : 0;
  if (size < 1 || size > kMaxInitSize) Invalid(SizeRule() + ", not '" + std::string(text) + "'.");
  return size;
}

void InitDatabase(const InitOptions& options, std::ostream& out) {
  const std::filesystem::path& target = options.db;
  if (target.empty()) Invalid("No database file was given.");
  if (options.size < 0 || options.size > kMaxInitSize) Invalid(SizeRule() + ".");
  // lstat: the last step is judged as it is, not through a link; rename would replace the link
  // itself rather than the file it names.
  struct stat st {};
  if (lstat(target.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) {
      std::error_code ec;
      Invalid("The database path " + target.string() + " is a symbolic link; give the file it names (" +
              std::filesystem::read_symlink(target, ec).string() + ") instead.");
    }
    if (!S_ISREG(st.st_mode)) {
      Invalid(target.string() + " is not a regular file; init creates or replaces only a database file.");
    }
    if (!options.force) {
      Invalid("The database " + target.string() + " already exists (use --force to replace it).");
    }
  }
  std::error_code ec;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  BuildingFile building(target);
  const bool sample = options.sample || options.size > 0;
  try {
    {
      standalone::SqliteDatabaseOptions dbOptions;
      dbOptions.create = true;
      standalone::SqliteDatabase db(building.Path(), dbOptions);
      standalone::CreateDictionarySchema(db.Connection()->Handle());
      if (sample) {
        standalone::SampleOptions sampleOptions{options.size, nullptr};
        if (options.progress && options.size > 0) {
          sampleOptions.progress = [&](std::string_view step, int64_t done, int64_t total) {
            *options.progress << "ridirodev: " << step << ": " << done << " of " << total << '\n'
                              << std::flush;
          };
        }
        standalone::LoadSampleDictionary(db.Connection()->Handle(), sampleOptions);
      }
    }
    building.RenameTo(target);
  } catch (const AutomationError& e) {
    // The user knows the path they gave, not the temporary file.
    throw AutomationError(e.Number(), e.Source(),
                          Replaced(e.Description(), building.Path(), target.string()));
  }
  out << "Created " << (sample ? "the sample dictionary" : "an empty dictionary") << " in " << target.string()
      << '\n';
}

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

std::string ErrorReport(const AutomationError& error, const standalone::SqliteDatabase* db) {
  // The tool's own messages say all there is; the number and source are for errors from below.
  std::string text = error.Source() == kSource ? error.Description()
                                               : "Error " + std::to_string(error.Number()) + " (" +
                                                     error.Source() + "): " + error.Description();
  const auto& read = db ? db->Connection()->Interrupted() : std::nullopt;
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

int32_t RunStatement(standalone::SqliteDatabase& db, std::string_view statement, std::ostream& out) {
  sqlite3* handle = db.Connection()->Handle();
  const int before = sqlite3_total_changes(handle);
  const auto changed = [&] {
    const int n = sqlite3_total_changes(handle) - before;
    return std::to_string(n) + (n == 1 ? " row changed" : " rows changed");
  };
  IDBRecordsetPtr rs = db.OpenRecordset(statement, 60);
  const IDBFields& fields = rs->Fields();
  const int32_t columns = fields.Count();
  if (columns == 0) {
    rs->Close();
    out << "Done: " << changed() << ".\n";
    return 0;
  }
  std::vector<std::string> headers;
  for (int32_t c = 0; c < columns; ++c) headers.push_back(fields.Name(c));
  std::vector<std::vector<std::string>> rows;
  while (!rs->Eof()) {
    std::vector<std::string> row;
    for (int32_t c = 0; c < columns; ++c) row.push_back(CellText(rs->Fields().Value(c)));
    rows.push_back(std::move(row));
    rs->MoveNext();
  }
  rs->Close();
  out << FormatTable(headers, rows) << '(' << rows.size() << (rows.size() == 1 ? " row" : " rows")
      << (sqlite3_total_changes(handle) != before ? ", " + changed() + ")\n" : ")\n");
  return static_cast<int32_t>(rows.size());
}

int32_t RunSql(const standalone::StandaloneConfig& config, std::string_view statement, bool write,
               std::ostream& out) {
  standalone::SqliteDatabaseOptions options;
  options.readOnly = !write;
  options.alwaysReload = config.alwaysReload;
  options.daySlots = config.daySlots;
  standalone::SqliteDatabase db(config.db, options);
  if (const auto trace = standalone::StatementTrace::FromEnvironment()) trace->Write(statement);
  try {
    return RunStatement(db, statement, out);
  } catch (const AutomationError& e) {
    if (write || sqlite3_errcode(db.Connection()->Handle()) != SQLITE_READONLY) throw;
    throw AutomationError(e.Number(), e.Source(),
                          e.Description() + "\nThe database is opened read-only: add --write to change it.");
  }
}

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

void Section(std::ostream& out, std::string_view title) { out << "\n== " << title << '\n'; }

}  // namespace

void ShowInfo(std::ostream& shown) {
  // Gathered first and printed whole: a failure part-way (an unreadable settings file) must
  // not leave half a report that looks complete.
  std::ostringstream out;
  CRidirodevInitializer initializer;
  initializer.Initialize();
  MRidirodev& state = MRidirodev::Current();

  Section(out, "Capabilities");
  const GlobalFlags& flags = state.flags;
  out << FormatTable({"Flag", "Value"}, {{"DoComplex", YesNo(flags.doComplex)},
                                         {"DoWeighted", YesNo(flags.doWeighted)},
                                         {"StyleFieldsAvailable", YesNo(flags.styleFieldsAvailable)},
                                         {"XmlGatewayAvailable", YesNo(flags.xmlGatewayAvailable)},
                                         {"ContextEntityLabelAvailable", YesNo(flags.contextEntityLabelAvailable)},
                                         {"ExtendedEntityViews", YesNo(state.Support().ExtendedEntityViews())},
                                         {"FlexibleAggregationEnabled", YesNo(GRidirodev::FlexibleAggregationEnabled())},
                                         {"UsesExternalDataSources", YesNo(GRidirodev::UsesExternalDataSources())}});

  Section(out, "Input limits (characters)");
  const auto number = [](int32_t n) { return std::to_string(n); };
  // 0 is what a limit the dictionary's columns could not give reads as.
  const auto limit = [](int32_t n) { return n > 0 ? std::to_string(n) : std::string("not measured"); };
  out << FormatTable({"Limit", "Width"},
                     {{"ExpressionNameLength", limit(GRidirodev::ExpressionNameLength())},
                      {"ExpressionLength", limit(GRidirodev::ExpressionLength())},
                      {"ExprColumnHeading1Length", limit(GRidirodev::ExprColumnHeading1Length())},
                      {"ExprColumnHeading2Length", limit(GRidirodev::ExprColumnHeading2Length())},
                      {"ExpressionDescriptionLength", limit(GRidirodev::ExpressionDescriptionLength())},
                      {"Complex text", limit(ComplexTextWidth())},
                      {"CriteriaLength", limit(GRidirodev::CriteriaLength())},
                      {"ExtraColumnLength(A)", limit(GRidirodev::ExtraColumnLength("A"))},
                      {"ExtraColumnLength(other)", limit(GRidirodev::ExtraColumnLength("D"))},
                      {"Busy hour name", limit(state.BusyHourNameLength())},
                      {"Busy hour description", limit(state.BusyHourDescriptionLength())}});

  Section(out, "Application group templates");
  std::vector<std::vector<std::string>> rows;
  for (const CAppGroupTemplatePtr& tpl : *GRidirodev::AppGroupTemplates()) {
    std::string types;
    for (const CFieldTypePtr& type : *tpl->FieldTypes()) types += (types.empty() ? "" : " ") + type->TypeName();
    std::string columns;
    for (const CExtraColumnPtr& column : *tpl->ExtraColumns()) {
      columns += (columns.empty() ? "" : ", ") + column->Name() + " (" + column->ColType() + " " + column->Id() +
                 (column->Editable() ? ", editable)" : ")");
    }
    rows.push_back({tpl->AppName(), number(tpl->DataSourceId()), number(tpl->DataContextId()),
                    number(tpl->TemplateCategories()->Count()), types, columns});
  }
  out << FormatTable(
      {"AppName", "DataSourceId", "DataContextId", "Report categories", "Field types", "Extra columns"},
      rows);

  Section(out, "Technologies");
  rows.clear();
  const auto techTypes = GRidirodev::ValidTechTypes();
  for (const CFieldTechTypePtr& tech : *techTypes) {
    rows.push_back({tech->Name(), tech->ShortName(), number(tech->TechMask()), tech->Description()});
  }
  out << FormatTable({"Name", "ShortName", "TechMask", "Description"}, rows);
  out << "ValueList: " << techTypes->ValueList() << "\nLabelList: " << techTypes->LabelList() << '\n';

  Section(out, "Aggregators");
  rows.clear();
  for (const CAggregatorPtr& aggregator : *GRidirodev::ValidAggregators()) {
    rows.push_back({aggregator->Key(), aggregator->Name(), aggregator->TimeAggregator(),
                    aggregator->ElementAggregator(), YesNo(aggregator->OkForBusyHour())});
  }
  out << FormatTable({"Key", "Name", "TimeAggregator", "ElementAggregator", "OkForBusyHour"}, rows);

  Section(out, "Function categories");
  rows.clear();
  for (const CFunctionCategoryPtr& category : *GRidirodev::FunctionCategories()) {
    rows.push_back({number(category->Id()), category->Name(),
                    number(GRidirodev::Functions(category->Id())->Count())});
  }
  out << FormatTable({"Id", "Name", "Functions"}, rows);
  shown << out.str();
}

void ShowTemplates(std::ostream& out) {
  std::vector<std::vector<std::string>> rows;
  for (const CAppGroupTemplatePtr& tpl : *GRidirodev::AppGroupTemplates()) {
    std::string types;
    for (const CFieldTypePtr& type : *tpl->FieldTypes()) types += (types.empty() ? "" : " ") + type->TypeName();
    rows.push_back({tpl->AppName(), std::to_string(tpl->DataSourceId()), std::to_string(tpl->DataContextId()),
                    std::to_string(tpl->FieldCategories()->Count()), types});
  }
  out << FormatTable({"AppName", "DataSourceId", "DataContextId", "Entities", "Field types"}, rows);
}

namespace {

void PrintNode(const ITreeNodePtr& node, const CFieldCategories& categories, int depth, std::ostream& out,
               std::unordered_set<std::string>& shown) {
  int childDepth = depth;
  if (ITreeNodeItemPtr item = node->Item()) {
    if (CFieldCategoryPtr category = categories.Item(Variant(item->Key()))) {
      out << std::string(static_cast<size_t>(depth) * 2, ' ') << category->HierarchyLabel() << "  ["
          << category->Id() << (category->CanRpt() ? "]" : ", not reportable]") << '\n';
      shown.insert(category->Key());
      childDepth = depth + 1;
    }
  }
  for (const ITreeNodePtr& child : node->Children()) PrintNode(child, categories, childDepth, out, shown);
}

// Why a category is not in the tree, found by walking up its parents as the dictionary gives them.
std::string WhyLeftOut(const CFieldCategories& categories, const CFieldCategoryPtr& category) {
  if (category->ParentId() == 0 || category->IsRoot()) {
    return "another top-level entity holds the top of the tree";
  }
  std::vector<CFieldCategoryPtr> chain{category};
  std::string path = category->CategoryEntity();
  for (;;) {
    const CFieldCategoryPtr& last = chain.back();
    const CFieldCategoryPtr parent = categories.Item(Variant(last->ParentKey()));
    if (!parent) {
      return (last == category ? "its parent" : "the parent of its ancestor " + last->CategoryEntity()) +
             " (entity " + std::to_string(last->ParentId()) + ") is not in the hierarchy";
    }
    path += " > " + parent->CategoryEntity();
    if (std::find(chain.begin(), chain.end(), parent) != chain.end()) {
      return (parent == category ? "its parents loop back to it: " : "it hangs below a loop: ") + path;
    }
    if (parent->ParentId() == 0 || parent->IsRoot()) {
      return "its top-level ancestor is not in the tree: " + path;
    }
    chain.push_back(parent);
  }
}

}  // namespace

void Unknown(const std::string& what, std::string_view given, const std::vector<std::string>& known,
             const std::string& knownAre) {
  std::string list;
  for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
  Invalid("Unknown " + what + " '" + std::string(given) + "'; " + knownAre + ": " +
          (list.empty() ? "none" : list) + ".");
}

namespace {

// The name among names equal to given without regard to case, else the unknown-name error.
std::string OneOf(const std::string& what, const std::string& given, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (EqualsNoCase(name, given)) return name;
  }
  Unknown(what, given, names);
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
  if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

// The letters the field filter takes, from technology names or short names.
std::string TechLetters(const std::string& text) {
  std::string letters;
  for (const CFieldTechTypePtr& tech : Technologies(text)) letters += tech->ShortName();
  return letters;
}

}  // namespace

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

void ShowCategories(const std::string& app, std::ostream& out, std::ostream& err) {
  const auto categories = RequireTemplate(app)->FieldCategories();
  std::unordered_set<std::string> shown;
  PrintNode(categories->RootNode(), *categories, 0, out, shown);
  std::string left;
  for (const CFieldCategoryPtr& category : *categories) {
    if (shown.contains(category->Key())) continue;
    left += "  " + category->HierarchyLabel() + "  [" + std::to_string(category->Id()) +
            "]: " + WhyLeftOut(*categories, category) + '\n';
  }
  if (!left.empty()) {
    err << "ridirodev: " << categories->Count() - static_cast<int32_t>(shown.size()) << " of "
        << categories->Count() << " entities of " << app << " are not in the tree:\n"
        << left;
  }
}

const std::vector<std::string>& FieldColumnNames() {
  static const std::vector<std::string> names{"name",   "entity", "tech",     "type",     "heading1", "heading2",
                                              "description", "owner", "time", "element", "status", "datatype",
                                              "source", "modified", "complex"};
  return names;
}

int32_t ShowFields(const FieldQuery& query, std::ostream& out) {
  const CAppGroupTemplatePtr tpl = RequireTemplate(query.app);
  const CFieldCategoryPtr category = RequireCategory(query.app, query.entity);
  MRidirodev& state = MRidirodev::Current();
  // Columns are the application's field properties, by name or by the tool's short names.
  const IAppPropertySetPtr properties = GRidirodev::FieldProperties(tpl->AppName());
  IAppPropertySetPtr columns = state.Support().CreatePropertySet();
  const std::vector<std::string> wanted =
      query.columns.empty() ? std::vector<std::string>{"name", "type", "tech", "time", "description"} : query.columns;
  const std::vector<std::string>& aliases = FieldColumnNames();
  for (const std::string& rawName : wanted) {
    const std::string name(TrimBlanks(rawName));
    IAppPropertyDefinitionPtr column;
    for (int32_t i = 1; !column && i <= properties->Count(); ++i) {
      if (EqualsNoCase(properties->Item(i)->Name(), name)) column = properties->Item(i);
    }
    for (size_t i = 0; !column && i < aliases.size(); ++i) {
      if (EqualsNoCase(aliases[i], name)) column = properties->ItemById(static_cast<int32_t>((i + 1) * 256));
    }
    // Without flexible aggregation the application shows no element column, but every
    // aggregator still names its element aggregation.
    if (!column && EqualsNoCase(name, "element")) {
      column = state.Support().CreatePropertyDefinition(fldElementAggregator, "Element Aggregator", 1200, 0, true, 0);
    }
    if (!column) {
      std::vector<std::string> known;
      for (int32_t i = 1; i <= properties->Count(); ++i) known.push_back(properties->Item(i)->Name());
      Unknown("column", name, known);
    }
    columns->Add(column);
  }
  const std::shared_ptr<CFields> fields = category->Fields();  // a new collection: keep it alive
  // The filter compares letters and exact names: a name in another case would match nothing.
  const std::string tech = TechLetters(query.tech);
  std::string type = query.type;
  if (!type.empty()) {
    std::vector<std::string> types;
    for (const CFieldTypePtr& fieldType : *tpl->FieldTypes()) AddOnce(types, fieldType->TypeName());
    for (const CFieldPtr& field : *fields) AddOnce(types, field->FieldType());
    type = OneOf("field type", type, types);
  }
  std::string owner = query.owner;
  if (IAppUserPtr user = owner.empty() ? nullptr : state.FolderServices().UserByName(owner)) {
    owner = user->Name();
  } else if (!owner.empty()) {
    std::vector<std::string> owners;
    for (const CFieldPtr& field : *fields) AddOnce(owners, field->Owner());
    std::sort(owners.begin(), owners.end());
    Unknown("owner", owner, owners, "owners of these fields");
  }
  const FieldPropertyFilters narrow(query.changedWithin, query.techFilter);
  auto shown = std::make_shared<CFields>();
  for (const CFieldPtr& field : *fields) {
    if (field->IsFilterOK(tech, type, owner, query.search, query.busyHour, query.rcvForm, query.rcvField) &&
        narrow.Accepts(*field)) {
      shown->Add(field);
    }
  }
  out << shown->Table(columns, true);
  out << '(' << shown->Count() << (shown->Count() == 1 ? " field of " : " fields of ") << category->HierarchyLabel()
      << ")\n";
  return shown->Count();
}

}  // namespace ridirodev::tool
