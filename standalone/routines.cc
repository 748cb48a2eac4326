#include "standalone/routines.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

constexpr std::string_view kDatabaseSource = "SqliteDatabase";
constexpr std::string_view kNow = "datetime('now','localtime')";

[[noreturn]] void Fail(std::string_view source, std::string description) {
  throw AutomationError(kDatabaseError, std::string(source), std::move(description));
}

// A prepared statement that reports failures as the routine that runs it.
class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql, std::string_view source) : db_(db), source_(source) {
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                           nullptr) != SQLITE_OK) {
      const std::string why = sqlite3_errmsg(db);
      sqlite3_finalize(stmt_);
      Fail(source_, why + " in: " + std::string(sql));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    return *this;
  }
  Statement& Bind(int index, int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
  }
  Statement& Bind(int index, std::string_view value) {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int index, const std::optional<std::string>& value) {
    return value ? Bind(index, std::string_view(*value)) : BindNull(index);
  }
  Statement& Bind(int index, std::optional<int32_t> value) {
    return value ? Bind(index, int64_t{*value}) : BindNull(index);
  }
  Statement& BindNull(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
  }

  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const std::string why = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    Fail(source_, why);
  }
  void Run() {
    while (Step()) {
    }
    sqlite3_reset(stmt_);
  }

  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string source_;
};

void Exec(sqlite3* db, const char* sql, std::string_view source) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string why = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    Fail(source, why);
  }
}

// Makes a routine all-or-nothing inside whatever transaction the caller has open (or none).
// Without one it opens its own and takes the write lock at once: a savepoint would start a
// deferred transaction whose first read holds a shared lock, and the write after it could then
// not wait for another writer; SQLite answers "database is locked" at once instead.
class Savepoint {
 public:
  Savepoint(sqlite3* db, std::string_view source) : db_(db), own_(sqlite3_get_autocommit(db) != 0) {
    Exec(db, own_ ? "BEGIN IMMEDIATE" : "SAVEPOINT ridirodev_routine", source);
  }
  ~Savepoint() {
    if (released_) return;
    // SQLite may have rolled the transaction back already.
    if (own_ && !sqlite3_get_autocommit(db_)) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    } else if (!own_) {
      sqlite3_exec(db_, "ROLLBACK TO ridirodev_routine; RELEASE ridirodev_routine", nullptr, nullptr, nullptr);
    }
  }
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void Release(std::string_view source) {
    Exec(db_, own_ ? "COMMIT" : "RELEASE ridirodev_routine", source);
    released_ = true;
  }

 private:
  sqlite3* db_;
  bool own_;
  bool released_ = false;
};

int32_t ToInt32(int64_t value, std::string_view source) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    Fail(source, "Number out of range: " + std::to_string(value));
  }
  return static_cast<int32_t>(value);
}

// ---- Arguments --------------------------------------------------------------------------

// Reads the arguments of one call. As on the server an empty text is a null.
class Args {
 public:
  Args(const RoutineCall& call, std::string_view source) : call_(call), source_(source) {}

  size_t Count() const { return call_.args.size(); }
  void ExpectCount(size_t low, size_t high) const {
    if (Count() < low || Count() > high) {
      const std::string range = low == high ? std::to_string(low) : std::to_string(low) + " to " + std::to_string(high);
      Fail(source_, "Wrong number of arguments: " + std::to_string(Count()) + " given, " + range + " expected.");
    }
  }

  bool IsNull(size_t i) const {
    if (i >= Count()) return true;
    const Variant& v = call_.args[i];
    return v.IsEmpty() || v.IsNull() || v.IsMissing() || (v.IsString() && v.StringRef().empty());
  }
  bool IsNumber(size_t i) const { return !IsNull(i) && call_.args[i].IsNumber(); }

  std::optional<int32_t> OptInt(size_t i) const {
    if (IsNull(i)) return std::nullopt;
    try {
      return call_.args[i].ToInt32();
    } catch (const AutomationError&) {
      Fail(source_, "Argument " + std::to_string(i + 1) + " is not a number: " + call_.args[i].ToString());
    }
  }
  int32_t Int(size_t i, std::string_view what) const {
    auto v = OptInt(i);
    if (!v) Fail(source_, "The " + std::string(what) + " is missing.");
    return *v;
  }
  // Ids of 0 stand for none, as the component writes them.
  std::optional<int32_t> OptId(size_t i) const {
    auto v = OptInt(i);
    return v && *v != 0 ? v : std::nullopt;
  }

  std::optional<std::string> OptText(size_t i) const {
    if (IsNull(i)) return std::nullopt;
    return call_.args[i].ToString();
  }
  std::string Text(size_t i, std::string_view what) const {
    auto v = OptText(i);
    if (!v) Fail(source_, "The " + std::string(what) + " is missing.");
    return *v;
  }

 private:
  const RoutineCall& call_;
  std::string_view source_;
};

// Storage sizes by data type letter, as the loaders of the collected data declare them.
std::pair<int32_t, int32_t> LengthAndPrecision(std::string_view dataType) {
  if (dataType == "I") return {10, 0};
  if (dataType == "F") return {12, 2};
  if (dataType == "D") return {19, 0};
  if (dataType == "E") return {4, 0};
  return {30, 0};
}

// ---- Source scanning --------------------------------------------------------------------

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#';
}
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Index one past a quoted text starting at i, or npos when the quote is not closed.
size_t SkipQuoted(std::string_view s, size_t i) {
  for (size_t j = i + 1; j < s.size(); ++j) {
    if (s[j] != '\'') continue;
    if (j + 1 < s.size() && s[j + 1] == '\'') {
      ++j;
      continue;
    }
    return j + 1;
  }
  return std::string_view::npos;
}

size_t SkipNumber(std::string_view s, size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      i = j;
      while (i < s.size() && IsDigit(s[i])) ++i;
    }
  }
  return i;
}

size_t SkipWord(std::string_view s, size_t i) {
  while (i < s.size() && IsWordChar(s[i])) ++i;
  return i;
}

bool IsKeyword(std::string_view word) {
  static constexpr std::array<std::string_view, 13> kKeywords = {
      "AND", "OR", "NOT", "NULL", "IS", "IN", "BETWEEN", "LIKE", "CASE", "WHEN", "THEN", "ELSE", "END"};
  return std::any_of(kKeywords.begin(), kKeywords.end(), [&](std::string_view k) { return EqualsNoCase(k, word); });
}

}  // namespace

bool IsCalculationKeyword(std::string_view word) { return IsKeyword(word); }

bool IsCalculationWord(std::string_view name) {
  return !name.empty() && IsWordStart(name[0]) && SkipWord(name, 0) == name.size() && !IsKeyword(name);
}

namespace {

// One piece of a calculation source.
struct Token {
  enum Kind { kText, kQuoted, kNumber, kWord, kQualified, kFunction, kKeyword, kOpen, kClose, kUnclosedQuote };
  Kind kind;
  std::string_view text;
  std::string_view qualifier;  // kQualified: the entity name
  std::string_view name;       // kQualified: the field name
};

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    const size_t start = i;
    if (c == '\'') {
      const size_t end = SkipQuoted(s, i);
      if (end == std::string_view::npos) {
        tokens.push_back({Token::kUnclosedQuote, s.substr(start), {}, {}});
        break;
      }
      tokens.push_back({Token::kQuoted, s.substr(start, end - start), {}, {}});
      i = end;
    } else if (IsDigit(c) || (c == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
      i = SkipNumber(s, i);
      tokens.push_back({Token::kNumber, s.substr(start, i - start), {}, {}});
    } else if (IsWordStart(c)) {
      i = SkipWord(s, i);
      const std::string_view word = s.substr(start, i - start);
      if (i + 1 < s.size() && s[i] == '.' && IsWordStart(s[i + 1])) {
        const size_t nameStart = i + 1;
        i = SkipWord(s, nameStart);
        tokens.push_back(
            {Token::kQualified, s.substr(start, i - start), word, s.substr(nameStart, i - nameStart)});
        continue;
      }
      size_t next = i;
      while (next < s.size() && std::isspace(static_cast<unsigned char>(s[next]))) ++next;
      if (IsKeyword(word)) {
        tokens.push_back({Token::kKeyword, word, {}, {}});
      } else if (next < s.size() && s[next] == '(') {
        tokens.push_back({Token::kFunction, word, {}, {}});
      } else {
        tokens.push_back({Token::kWord, word, {}, {}});
      }
    } else if (c == '(' || c == ')') {
      tokens.push_back({c == '(' ? Token::kOpen : Token::kClose, s.substr(i, 1), {}, {}});
      ++i;
    } else {
      while (i < s.size() && s[i] != '\'' && s[i] != '(' && s[i] != ')' && !IsWordStart(s[i]) && !IsDigit(s[i]) &&
             !(s[i] == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
        ++i;
      }
      tokens.push_back({Token::kText, s.substr(start, i - start), {}, {}});
    }
  }
  return tokens;
}

// ---- Entity names and labels --------------------------------------------------------------

struct EntityNaming {
  std::string name;
  std::string label;
  std::optional<int64_t> versionId;
};

// Replaces every qualifier (a text directly followed by ".") that equals, without regard to
// case, one of the "from" texts by its "to" text. Longer texts are tried first, so a label
// with blanks wins over a shorter one that begins it. Quoted text is left alone.
std::string ReplaceQualifiers(std::string_view src, std::vector<std::pair<std::string, std::string>> fromTo) {
  if (src.find('.') == std::string_view::npos || fromTo.empty()) return std::string(src);
  std::stable_sort(fromTo.begin(), fromTo.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  std::string out;
  out.reserve(src.size());
  size_t i = 0;
  while (i < src.size()) {
    const char c = src[i];
    if (c == '\'') {
      const size_t end = SkipQuoted(src, i);
      const size_t stop = end == std::string_view::npos ? src.size() : end;
      out.append(src.substr(i, stop - i));
      i = stop;
      continue;
    }
    const bool atWordStart = (IsWordStart(c) || IsDigit(c)) && (i == 0 || !IsWordChar(src[i - 1]));
    if (atWordStart) {
      bool replaced = false;
      for (const auto& [from, to] : fromTo) {
        const size_t end = i + from.size();
        if (end < src.size() && src[end] == '.' && EqualsNoCase(src.substr(i, from.size()), from)) {
          out += to;
          i = end;
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
      const size_t end = SkipWord(src, i);
      out.append(src.substr(i, end - i));
      i = end;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

// The entities with labels, read again whenever the database changed since the last call.
class EntityNamingCache {
 public:
  const std::vector<EntityNaming>& Get(sqlite3* db) {
    const int64_t changes = sqlite3_total_changes64(db);
    unsigned version = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    if (loaded_ && changes == changes_ && version == version_) return entities_;
    entities_.clear();
    Statement stmt(db,
                   "SELECT Entity_Name, Entity_Label, Version_Id FROM TQN_ENTITY "
                   "WHERE Entity_Label IS NOT NULL AND Entity_Label <> '' ORDER BY Entity_Id",
                   kDatabaseSource);
    while (stmt.Step()) {
      EntityNaming e{stmt.Text(0), stmt.Text(1), std::nullopt};
      if (!stmt.IsNull(2)) e.versionId = stmt.Int(2);
      entities_.push_back(std::move(e));
    }
    loaded_ = true;
    changes_ = changes;
    version_ = version;
    return entities_;
  }

 private:
  bool loaded_ = false;
  int64_t changes_ = 0;
  unsigned version_ = 0;
  std::vector<EntityNaming> entities_;
};

std::vector<std::pair<std::string, std::string>> NamesToLabels(const std::vector<EntityNaming>& entities) {
  std::vector<std::pair<std::string, std::string>> fromTo;
  std::unordered_set<std::string, NoCaseHash, NoCaseEqual> seen;
  for (const auto& e : entities) {
    if (seen.insert(e.name).second) fromTo.emplace_back(e.name, e.label);
  }
  return fromTo;
}

std::vector<std::pair<std::string, std::string>> LabelsToNames(const std::vector<EntityNaming>& entities,
                                                               std::optional<int64_t> versionId) {
  std::vector<std::pair<std::string, std::string>> fromTo;
  std::unordered_set<std::string, NoCaseHash, NoCaseEqual> seen;
  for (const auto& e : entities) {
    if (versionId && e.versionId != versionId) continue;
    if (seen.insert(e.label).second) fromTo.emplace_back(e.label, e.name);
  }
  return fromTo;
}

std::string_view ArgText(sqlite3_value* v) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void ResultText(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void ReplaceEntityNamesFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  try {
    auto* cache = static_cast<EntityNamingCache*>(sqlite3_user_data(ctx));
    const std::string_view src = ArgText(argv[0]);
    if (src.find('.') == std::string_view::npos) return ResultText(ctx, std::string(src));
    ResultText(ctx, ReplaceQualifiers(src, NamesToLabels(cache->Get(sqlite3_context_db_handle(ctx)))));
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void ReplaceEntityLabelsFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  try {
    auto* cache = static_cast<EntityNamingCache*>(sqlite3_user_data(ctx));
    std::optional<int64_t> version;
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL) version = sqlite3_value_int64(argv[0]);
    const std::string_view src = ArgText(argv[1]);
    if (src.find('.') == std::string_view::npos) return ResultText(ctx, std::string(src));
    ResultText(ctx, ReplaceQualifiers(src, LabelsToNames(cache->Get(sqlite3_context_db_handle(ctx)), version)));
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void CalcFieldNameFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  ResultText(ctx, AvailabilityFieldName(ArgText(argv[0])));
}

void DeleteCache(void* p) { delete static_cast<EntityNamingCache*>(p); }

}  // namespace

// ---- Calculations -----------------------------------------------------------------------

struct CalculationTranslator::Impl {
  struct Calc {
    bool found = false;
    int32_t id = 0;
    int32_t entityId = 0;
    int32_t dataSourceId = 0;
    std::string group;
    std::string name;
    std::string source;
    std::string status;
  };
  struct Analysis {
    std::string problem;  // the first one; empty when the source translates
    std::string translated;
    std::vector<int32_t> calculationsUsed;
  };

  explicit Impl(sqlite3* database)
      : db(database),
        loadCalc(db,
                 "SELECT n.Entity_Id, f.DataSource_ID, f.Field_Group_Short, u.UDC_SOURCE, n.Name, f.Status "
                 "FROM tqd_Dict_Field f "
                 "JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND n.NameSpace_Id = 0 "
                 "LEFT JOIN TQD_UDC_DEF u ON u.Field_Id = f.Field_Id WHERE f.Field_Id = ?1",
                 kSource),
        findField(db,
                  "SELECT n.Field_Id, f.Field_Group_Short, f.DataSource_ID FROM tqd_Dict_Name n "
                  "JOIN tqd_Dict_Field f ON f.Field_Id = n.Field_Id "
                  "WHERE n.Entity_Id = ?1 AND n.NameSpace_Id = 0 AND n.Name = ?2 COLLATE NOCASE "
                  "AND f.DataSource_ID IN (?3, ?4)",
                  kSource),
        findEntity(db, "SELECT Entity_Id FROM TQN_ENTITY WHERE Entity_Name = ?1 COLLATE NOCASE ORDER BY Entity_Id",
                   kSource),
        findFunction(db, "SELECT 1 FROM TQE_Function WHERE Function_Name = ?1", kSource),
        findDataSource(db, "SELECT DataSource_Id FROM TQD_Data_Source WHERE DataSource_Name = ?1", kSource),
        deleteUses(db, "DELETE FROM tqd_dict_field_depend WHERE parent_field_id = ?1", kSource),
        insertUse(db,
                  "INSERT OR IGNORE INTO tqd_dict_field_depend (parent_field_id, child_field_id) VALUES (?1, ?2)",
                  kSource),
        findUses(db, "SELECT child_field_id FROM tqd_dict_field_depend WHERE parent_field_id = ?1", kSource),
        storeStatus(db, "UPDATE tqd_Dict_Field SET Status = ?2 WHERE Field_Id = ?1", kSource),
        storeCalcSource(db, "UPDATE TQD_UDC_DEF SET CALC_SOURCE = ?2 WHERE Field_Id = ?1", kSource),
        findReferrers(db,
                      "SELECT u.Field_Id FROM TQD_UDC_DEF u WHERE u.UDC_SOURCE LIKE '%' || ?1 || '%' "
                      "AND u.Field_Id <> ?2",
                      kSource) {}

  static constexpr std::string_view kSource = "tq_Dictionary";

  Calc Load(int32_t fieldId) {
    Calc c;
    c.id = fieldId;
    loadCalc.Reset().Bind(1, int64_t{fieldId});
    if (loadCalc.Step()) {
      c.found = true;
      c.entityId = ToInt32(loadCalc.Int(0), kSource);
      c.dataSourceId = ToInt32(loadCalc.Int(1), kSource);
      c.group = loadCalc.Text(2);
      c.source = loadCalc.Text(3);
      c.name = loadCalc.Text(4);
      c.status = loadCalc.Text(5);
    }
    loadCalc.Reset();
    return c;
  }

  int64_t DataSourceId(std::string_view name) {
    findDataSource.Reset().Bind(1, name);
    const int64_t id = findDataSource.Step() ? findDataSource.Int(0) : 0;
    findDataSource.Reset();
    return id;
  }

  // The data source whose fields a calculation may use besides its own.
  int64_t CompanionDataSource(int32_t dataSourceId) {
    if (!companionsKnown) {
      trafficId = DataSourceId("Traffic");
      clientId = DataSourceId("Client");
      companionsKnown = true;
    }
    return dataSourceId == trafficId && clientId != 0 ? clientId : dataSourceId;
  }

  // Field id and whether it is a calculation; nullopt when no such field is in scope.
  std::optional<std::pair<int32_t, bool>> FindField(int64_t entityId, std::string_view name, const Calc& calc) {
    findField.Reset()
        .Bind(1, entityId)
        .Bind(2, name)
        .Bind(3, int64_t{calc.dataSourceId})
        .Bind(4, CompanionDataSource(calc.dataSourceId));
    // A field of the calculation's own data source wins over a companion's of the same name.
    std::optional<std::pair<int32_t, bool>> found;
    bool own = false;
    while (!own && findField.Step()) {
      own = findField.Int(2) == calc.dataSourceId;
      if (own || !found) found = std::make_pair(ToInt32(findField.Int(0), kSource), findField.Text(1) == "UDC");
    }
    findField.Reset();
    return found;
  }

  std::optional<int64_t> FindEntity(std::string_view name) {
    findEntity.Reset().Bind(1, name);
    std::optional<int64_t> id;
    if (findEntity.Step()) id = findEntity.Int(0);
    findEntity.Reset();
    return id;
  }

  bool IsFunction(std::string_view name) {
    findFunction.Reset().Bind(1, name);
    const bool found = findFunction.Step();
    findFunction.Reset();
    return found;
  }

  // Walks the whole source even after a problem, so that every resolvable reference still
  // counts as a dependency.
  Analysis Analyze(const Calc& calc) {
    Analysis a;
    auto problem = [&](std::string text) {
      if (a.problem.empty()) a.problem = std::move(text);
    };
    auto reference = [&](const std::pair<int32_t, bool>& field) {
      if (field.first == calc.id) problem("The calculation uses itself.");
      if (field.second && field.first != calc.id &&
          std::find(a.calculationsUsed.begin(), a.calculationsUsed.end(), field.first) == a.calculationsUsed.end()) {
        a.calculationsUsed.push_back(field.first);
      }
      a.translated += "F" + std::to_string(field.first);
    };
    if (TrimBlanks(calc.source).empty()) problem("The calculation has no source.");
    int depth = 0;
    for (const Token& t : Tokenize(calc.source)) {
      switch (t.kind) {
        case Token::kWord:
          if (auto field = FindField(calc.entityId, t.text, calc)) {
            reference(*field);
          } else {
            problem("Unknown name '" + std::string(t.text) + "' in the calculation.");
            a.translated += t.text;
          }
          break;
        case Token::kQualified: {
          const auto entity = FindEntity(t.qualifier);
          const auto field = entity ? FindField(*entity, t.name, calc) : std::nullopt;
          if (!entity) {
            problem("Unknown entity '" + std::string(t.qualifier) + "' in the calculation.");
          } else if (!field) {
            problem("Unknown name '" + std::string(t.text) + "' in the calculation.");
          }
          if (field) {
            reference(*field);
          } else {
            a.translated += t.text;
          }
          break;
        }
        case Token::kFunction:
          if (!IsFunction(t.text)) problem("Unknown function '" + std::string(t.text) + "' in the calculation.");
          a.translated += ToUpper(t.text);
          break;
        case Token::kKeyword:
          a.translated += ToUpper(t.text);
          break;
        case Token::kOpen:
          ++depth;
          a.translated += t.text;
          break;
        case Token::kClose:
          if (--depth < 0) problem("Unbalanced parentheses in the calculation.");
          a.translated += t.text;
          break;
        case Token::kUnclosedQuote:
          problem("Unclosed quote in the calculation.");
          a.translated += t.text;
          break;
        case Token::kText:
        case Token::kQuoted:
        case Token::kNumber:
          a.translated += t.text;
          break;
      }
    }
    if (depth > 0) problem("Unbalanced parentheses in the calculation.");
    return a;
  }

  std::vector<int64_t> StoredUses(int64_t parent) {
    std::vector<int64_t> children;
    findUses.Reset().Bind(1, parent);
    while (findUses.Step()) children.push_back(findUses.Int(0));
    findUses.Reset();
    return children;
  }

  // Whether target is reached from the calculations in pending, following what each uses. A
  // recursive query would do the same but costs a temporary table per call, which the sample
  // pays thousands of times. The stored rows serve for a calculation that translated; one
  // that did not may have had a use left out (one that would close a loop), so its source is
  // read again, unless storedOnly.
  bool Reaches(std::vector<int64_t> pending, int64_t target, bool storedOnly) {
    std::unordered_set<int64_t> seen(pending.begin(), pending.end());
    while (!pending.empty()) {
      const int64_t at = pending.back();
      pending.pop_back();
      if (at == target) return true;
      std::vector<int64_t> next;
      const Calc calc = storedOnly ? Calc{} : Load(static_cast<int32_t>(at));
      if (!storedOnly && calc.found && calc.status != "T") {
        for (int32_t used : Analyze(calc).calculationsUsed) next.push_back(used);
      } else {
        next = StoredUses(at);
      }
      for (int64_t child : next) {
        if (seen.insert(child).second) pending.push_back(child);
      }
    }
    return false;
  }

  // A use whose calculation already reaches the user through stored rows would close a loop:
  // stored, it would leave both undeletable, so it is left out and the translation reports it.
  bool ClosesLoop(int32_t parentId, int32_t childId) { return Reaches({childId}, parentId, true); }

  void StoreUses(int32_t parentId, const std::vector<int32_t>& children) {
    deleteUses.Reset().Bind(1, int64_t{parentId}).Run();
    for (int32_t child : children) {
      if (!ClosesLoop(parentId, child)) insertUse.Reset().Bind(1, int64_t{parentId}).Bind(2, int64_t{child}).Run();
    }
  }

  sqlite3* db;
  Statement loadCalc, findField, findEntity, findFunction, findDataSource, deleteUses, insertUse, findUses,
      storeStatus, storeCalcSource, findReferrers;
  bool companionsKnown = false;
  int64_t trafficId = 0;
  int64_t clientId = 0;
};

CalculationTranslator::CalculationTranslator(sqlite3* db) : impl_(std::make_unique<Impl>(db)) {}
CalculationTranslator::~CalculationTranslator() = default;

CalculationTranslator::Result CalculationTranslator::Translate(int32_t fieldId) {
  const Impl::Calc calc = impl_->Load(fieldId);
  if (!calc.found) return {"I", "Field " + std::to_string(fieldId) + " does not exist."};
  if (calc.group != "UDC") return {"I", "Field " + std::to_string(fieldId) + " is not a user-defined calculation."};
  Impl::Analysis a = impl_->Analyze(calc);
  if (a.problem.empty() &&
      impl_->Reaches({a.calculationsUsed.begin(), a.calculationsUsed.end()}, fieldId, false)) {
    a.problem = "The calculation uses itself through other calculations.";
  }
  Result result{a.problem.empty() ? "T" : "S", a.problem};
  impl_->storeStatus.Reset().Bind(1, int64_t{fieldId}).Bind(2, std::string_view(result.status)).Run();
  auto& store = impl_->storeCalcSource.Reset().Bind(1, int64_t{fieldId});
  if (a.problem.empty()) {
    store.Bind(2, std::string_view(a.translated));
  } else {
    store.BindNull(2);
  }
  store.Run();
  return result;
}

void CalculationTranslator::RebuildDependencies(int32_t fieldId) {
  const Impl::Calc calc = impl_->Load(fieldId);
  if (!calc.found || calc.group != "UDC") {
    impl_->StoreUses(fieldId, {});
    return;
  }
  impl_->StoreUses(fieldId, impl_->Analyze(calc).calculationsUsed);
}

void CalculationTranslator::LinkReferrers(int32_t fieldId) {
  const Impl::Calc calc = impl_->Load(fieldId);
  if (!calc.found || calc.group != "UDC" || calc.name.empty()) return;
  std::vector<int32_t> candidates;
  auto& referrers = impl_->findReferrers.Reset().Bind(1, std::string_view(calc.name)).Bind(2, int64_t{fieldId});
  while (referrers.Step()) candidates.push_back(ToInt32(referrers.Int(0), Impl::kSource));
  referrers.Reset();
  for (int32_t candidate : candidates) {
    const Impl::Calc other = impl_->Load(candidate);
    if (!other.found || other.group != "UDC") continue;
    const auto used = impl_->Analyze(other).calculationsUsed;
    if (std::find(used.begin(), used.end(), fieldId) != used.end() && !impl_->ClosesLoop(candidate, fieldId)) {
      impl_->insertUse.Reset().Bind(1, int64_t{candidate}).Bind(2, int64_t{fieldId}).Run();
    }
  }
}

// ---- Routines ---------------------------------------------------------------------------

namespace {

struct FieldRow {
  int32_t entityId = 0;
  int32_t dataSourceId = 0;
  std::string group;
};

std::optional<FieldRow> LoadField(sqlite3* db, int32_t fieldId, std::string_view source) {
  Statement stmt(db,
                 "SELECT n.Entity_Id, f.DataSource_ID, f.Field_Group_Short FROM tqd_Dict_Field f "
                 "LEFT JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND n.NameSpace_Id = 0 "
                 "WHERE f.Field_Id = ?1",
                 source);
  stmt.Bind(1, int64_t{fieldId});
  if (!stmt.Step()) return std::nullopt;
  return FieldRow{ToInt32(stmt.Int(0), source), ToInt32(stmt.Int(1), source), stmt.Text(2)};
}

FieldRow RequireField(sqlite3* db, int32_t fieldId, std::string_view source) {
  auto row = LoadField(db, fieldId, source);
  if (!row) Fail(source, "Field " + std::to_string(fieldId) + " does not exist.");
  return *row;
}

FieldRow RequireCalculation(sqlite3* db, int32_t fieldId, std::string_view source) {
  FieldRow row = RequireField(db, fieldId, source);
  if (row.group != "UDC") Fail(source, "Field " + std::to_string(fieldId) + " is not a user-defined calculation.");
  return row;
}

void RequireFreeName(sqlite3* db, std::string_view name, int32_t entityId, int32_t dataSourceId,
                     std::string_view source) {
  Statement stmt(db,
                 "SELECT 1 FROM tqd_Dict_Name n JOIN tqd_Dict_Field f ON f.Field_Id = n.Field_Id "
                 "WHERE n.Entity_Id = ?1 AND n.NameSpace_Id = 0 AND n.Name = ?2 COLLATE NOCASE "
                 "AND f.DataSource_ID = ?3",
                 source);
  stmt.Bind(1, int64_t{entityId}).Bind(2, name).Bind(3, int64_t{dataSourceId});
  if (stmt.Step()) {
    Fail(source, "A field named " + std::string(name) + " already exists for entity " + std::to_string(entityId) + ".");
  }
}

void RequireDataSource(sqlite3* db, int32_t dataSourceId, std::string_view source) {
  Statement stmt(db, "SELECT 1 FROM TQD_Data_Source WHERE DataSource_Id = ?1", source);
  if (!stmt.Bind(1, int64_t{dataSourceId}).Step()) {
    Fail(source, "Data source " + std::to_string(dataSourceId) + " does not exist.");
  }
}

void RequireEntity(sqlite3* db, int32_t entityId, std::string_view source) {
  Statement stmt(db, "SELECT 1 FROM TQN_ENTITY WHERE Entity_Id = ?1", source);
  if (!stmt.Bind(1, int64_t{entityId}).Step()) Fail(source, "Entity " + std::to_string(entityId) + " does not exist.");
}

// The entity of a calculation's category: by name, preferring one placed in the hierarchy
// of the data source's context when names repeat across contexts.
int32_t EntityIdByName(sqlite3* db, std::string_view entityName, int32_t dataSourceId, std::string_view source) {
  Statement stmt(db,
                 "SELECT e.Entity_Id FROM TQN_ENTITY e WHERE e.Entity_Name = ?1 COLLATE NOCASE "
                 "ORDER BY EXISTS (SELECT 1 FROM tqn_entity_context c JOIN TQD_Data_Source s "
                 "ON s.DataSource_APP_CTX = c.Context_Id WHERE s.DataSource_Id = ?2 AND c.Entity_Id = e.Entity_Id) DESC, "
                 "e.Entity_Id LIMIT 1",
                 source);
  stmt.Bind(1, entityName).Bind(2, int64_t{dataSourceId});
  if (!stmt.Step()) Fail(source, "Unknown entity '" + std::string(entityName) + "'.");
  return ToInt32(stmt.Int(0), source);
}

// A fresh field id; skips ids already taken, in case the sequence lags behind the table.
int32_t NewFieldId(sqlite3* db, std::string_view source) {
  Statement taken(db, "SELECT 1 FROM tqd_Dict_Field WHERE Field_Id = ?1", source);
  for (;;) {
    const int32_t id = NextSequenceValue(db, kFieldSequence);
    if (!taken.Reset().Bind(1, int64_t{id}).Step()) return id;
  }
}

struct NewField {
  int32_t id = 0;
  int32_t dataSourceId = 0;
  int32_t entityId = 0;
  std::string name;
  std::string dataType;
  std::string fieldType;
  std::string group;
  std::optional<int32_t> owner;
  std::optional<std::string> aggregator, heading1, heading2, description, status;
  int32_t techMask = 0;
};

void InsertField(sqlite3* db, const NewField& f, std::string_view source) {
  const auto [length, precision] = LengthAndPrecision(f.dataType);
  Statement field(db,
                  "INSERT INTO tqd_Dict_Field (Field_Id, DataSource_ID, DataType, Field_Type, Field_Owner, "
                  "Field_Aggregator, Field_Emits_Aggregator, Length, Precision, Is_Null_OK, Field_Group_Short, "
                  "Tech_Mask, Changed, Status) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?6, ?7, ?8, 'Y', ?9, ?10, " +
                      std::string(kNow) + ", ?11)",
                  source);
  field.Bind(1, int64_t{f.id})
      .Bind(2, int64_t{f.dataSourceId})
      .Bind(3, std::string_view(f.dataType))
      .Bind(4, std::string_view(f.fieldType))
      .Bind(5, f.owner)
      .Bind(6, f.aggregator)
      .Bind(7, int64_t{length})
      .Bind(8, int64_t{precision})
      .Bind(9, std::string_view(f.group))
      .Bind(10, int64_t{f.techMask})
      .Bind(11, f.status)
      .Run();
  Statement name(db,
                 "INSERT INTO tqd_Dict_Name (Field_Id, NameSpace_Id, Entity_Id, Name, Report_Header, Report_Header2, "
                 "Field_Desc) VALUES (?1, 0, ?2, ?3, ?4, ?5, ?6)",
                 source);
  name.Bind(1, int64_t{f.id})
      .Bind(2, int64_t{f.entityId})
      .Bind(3, std::string_view(f.name))
      .Bind(4, f.heading1)
      .Bind(5, f.heading2)
      .Bind(6, f.description)
      .Run();
}

void DeleteFieldRows(sqlite3* db, int32_t fieldId, std::string_view source) {
  static constexpr std::array<const char*, 8> kDeletes = {
      "DELETE FROM tqd_Dict_Field WHERE Field_Id = ?1",
      "DELETE FROM tqd_Dict_Name WHERE Field_Id = ?1",
      "DELETE FROM TQD_UDC_DEF WHERE Field_Id = ?1",
      "DELETE FROM tqd_field_style WHERE Field_Id = ?1",
      "DELETE FROM tqd_Field_Data WHERE Field_Id = ?1",
      "DELETE FROM TQD_ENUM_VALUES WHERE Field_Id = ?1",
      "DELETE FROM tqd_udr_keys WHERE Field_id = ?1",
      "DELETE FROM tqd_dict_field_depend WHERE parent_field_id = ?1 OR child_field_id = ?1",
  };
  for (const char* sql : kDeletes) Statement(db, sql, source).Bind(1, int64_t{fieldId}).Run();
}

Variant NewUdc(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(11, 13);
  NewField f;
  f.name = std::string(TrimBlanks(args.Text(0, "calculation name")));
  if (f.name.empty()) Fail(source, "The calculation name is missing.");
  f.dataSourceId = args.Int(2, "data source id");
  RequireDataSource(db, f.dataSourceId, source);
  f.entityId = EntityIdByName(db, args.Text(1, "entity name"), f.dataSourceId, source);
  RequireFreeName(db, f.name, f.entityId, f.dataSourceId, source);
  f.owner = args.OptId(3);
  f.dataType = args.OptText(4).value_or("F");
  const std::optional<std::string> calcSource = args.OptText(5);
  f.heading1 = args.OptText(6);
  f.heading2 = args.OptText(7);
  f.description = args.OptText(8);
  f.techMask = args.OptInt(9).value_or(0);
  f.aggregator = args.OptText(10);
  std::optional<std::string> complex;
  std::optional<int32_t> weight;
  if (args.Count() == 13) {
    complex = args.OptText(11);
    weight = args.OptId(12);
  } else if (args.Count() == 12) {
    // The component sends the complex text only when it stores complex calculations, and
    // the weight only when there is one: a number here is the weight.
    if (args.IsNumber(11)) {
      weight = args.OptId(11);
    } else {
      complex = args.OptText(11);
    }
  }
  f.fieldType = "CALC";
  f.group = "UDC";
  f.status = "U";

  Savepoint savepoint(db, source);
  f.id = NewFieldId(db, source);
  InsertField(db, f, source);
  Statement def(db,
                "INSERT INTO TQD_UDC_DEF (Field_Id, UDC_SOURCE, CALC_SOURCE, Complex, weight_field_id) "
                "VALUES (?1, ?2, NULL, ?3, ?4)",
                source);
  def.Bind(1, int64_t{f.id}).Bind(2, calcSource).Bind(3, complex).Bind(4, weight).Run();
  CalculationTranslator translator(db);
  translator.RebuildDependencies(f.id);
  translator.LinkReferrers(f.id);
  savepoint.Release(source);
  return Variant(f.id);
}

Variant UpdateUdc(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(8, 10);
  const int32_t id = args.Int(0, "field id");
  Savepoint savepoint(db, source);
  RequireCalculation(db, id, source);
  Statement field(db,
                  "UPDATE tqd_Dict_Field SET DataType = COALESCE(?2, DataType), Tech_Mask = ?3, "
                  "Field_Aggregator = ?4, Field_Emits_Aggregator = ?4, Changed = " +
                      std::string(kNow) + ", Status = 'U' WHERE Field_Id = ?1",
                  source);
  field.Bind(1, int64_t{id}).Bind(2, args.OptText(1)).Bind(3, int64_t{args.OptInt(6).value_or(0)});
  field.Bind(4, args.OptText(7)).Run();
  Statement name(db,
                 "UPDATE tqd_Dict_Name SET Report_Header = ?2, Report_Header2 = ?3, Field_Desc = ?4 "
                 "WHERE Field_Id = ?1 AND NameSpace_Id = 0",
                 source);
  name.Bind(1, int64_t{id}).Bind(2, args.OptText(3)).Bind(3, args.OptText(4)).Bind(4, args.OptText(5)).Run();
  // The complex text and the weight are rewritten only by callers that send them.
  Statement def(db,
                "INSERT INTO TQD_UDC_DEF (Field_Id, UDC_SOURCE) VALUES (?1, ?2) "
                "ON CONFLICT (Field_Id) DO UPDATE SET UDC_SOURCE = excluded.UDC_SOURCE, CALC_SOURCE = NULL, "
                "Complex = CASE WHEN ?3 THEN ?4 ELSE Complex END, "
                "weight_field_id = CASE WHEN ?5 THEN ?6 ELSE weight_field_id END",
                source);
  def.Bind(1, int64_t{id}).Bind(2, args.OptText(2));
  def.Bind(3, int64_t{args.Count() >= 9}).Bind(4, args.OptText(8));
  def.Bind(5, int64_t{args.Count() >= 10}).Bind(6, args.OptId(9)).Run();
  CalculationTranslator(db).RebuildDependencies(id);
  savepoint.Release(source);
  return Variant();
}

Variant DeleteUdc(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(1, 1);
  const int32_t id = args.Int(0, "field id");
  Savepoint savepoint(db, source);
  RequireCalculation(db, id, source);
  DeleteFieldRows(db, id, source);
  savepoint.Release(source);
  return Variant();
}

Variant UpdateFieldOwner(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(2, 2);
  const int32_t id = args.Int(0, "field id");
  RequireField(db, id, source);
  Statement(db, "UPDATE tqd_Dict_Field SET Field_Owner = ?2 WHERE Field_Id = ?1", source)
      .Bind(1, int64_t{id})
      .Bind(2, args.OptId(1))
      .Run();
  return Variant();
}

Variant UdcStat(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(1, 4);
  call.outputs.assign(std::max<size_t>(call.args.size(), 3), Variant());
  const int32_t id = args.OptInt(0).value_or(0);
  Savepoint savepoint(db, source);
  const CalculationTranslator::Result result = CalculationTranslator(db).Translate(id);
  savepoint.Release(source);
  call.outputs[1] = Variant(result.status);
  call.outputs[2] = Variant(result.message);
  return Variant();
}

Variant AddCommonField(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(9, 13);
  call.outputs.assign(std::max<size_t>(call.args.size(), 2), Variant());
  NewField f;
  f.entityId = args.Int(1, "entity id");
  f.name = std::string(TrimBlanks(args.Text(2, "field name")));
  if (f.name.empty()) Fail(source, "The field name is missing.");
  f.description = args.OptText(3);
  f.heading1 = args.OptText(4);
  f.heading2 = args.OptText(5);
  f.group = args.OptText(6).value_or("Common");
  f.aggregator = args.OptText(7);
  f.dataType = args.OptText(8).value_or("I");
  f.owner = args.OptId(10);
  f.techMask = args.OptInt(12).value_or(0);
  f.fieldType = "CMN";

  Savepoint savepoint(db, source);
  RequireEntity(db, f.entityId, source);
  if (auto dataSource = args.OptId(9)) {
    f.dataSourceId = *dataSource;
  } else {
    Statement traffic(db, "SELECT DataSource_Id FROM TQD_Data_Source WHERE DataSource_Name = 'Traffic'", source);
    if (!traffic.Step()) Fail(source, "There is no data source named Traffic.");
    f.dataSourceId = ToInt32(traffic.Int(0), source);
  }
  RequireDataSource(db, f.dataSourceId, source);
  RequireFreeName(db, f.name, f.entityId, f.dataSourceId, source);
  f.id = NewFieldId(db, source);
  InsertField(db, f, source);
  savepoint.Release(source);
  call.outputs[1] = Variant(f.id);
  return Variant();
}

Variant UpdateCommonField(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(10, 10);
  const int32_t id = args.Int(0, "field id");
  Savepoint savepoint(db, source);
  RequireField(db, id, source);
  Statement field(db,
                  "UPDATE tqd_Dict_Field SET Field_Aggregator = ?2, Field_Emits_Aggregator = ?2, Field_Owner = ?3, "
                  "Tech_Mask = ?4, DataType = COALESCE(?5, DataType), Changed = " +
                      std::string(kNow) + " WHERE Field_Id = ?1",
                  source);
  field.Bind(1, int64_t{id}).Bind(2, args.OptText(4)).Bind(3, args.OptId(6));
  field.Bind(4, int64_t{args.OptInt(8).value_or(0)}).Bind(5, args.OptText(9)).Run();
  Statement name(db,
                 "UPDATE tqd_Dict_Name SET Field_Desc = ?2, Report_Header = ?3, Report_Header2 = ?4 "
                 "WHERE Field_Id = ?1 AND NameSpace_Id = 0",
                 source);
  name.Bind(1, int64_t{id}).Bind(2, args.OptText(1)).Bind(3, args.OptText(2)).Bind(4, args.OptText(3)).Run();
  savepoint.Release(source);
  return Variant();
}

Variant RemoveCommonField(sqlite3* db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(1, 1);
  const int32_t id = args.Int(0, "field id");
  Savepoint savepoint(db, source);
  RequireField(db, id, source);
  DeleteFieldRows(db, id, source);
  savepoint.Release(source);
  return Variant();
}

using RoutineFunction = Variant (*)(sqlite3*, RoutineCall&, std::string_view);

struct RoutineEntry {
  std::string_view name;
  RoutineFunction run;
};

constexpr std::array<RoutineEntry, 8> kRoutines = {{
    {"tq_Dictionary.New_UDC_F", NewUdc},
    {"tq_Dictionary.Update_UDC", UpdateUdc},
    {"tq_Dictionary.Delete_UDC", DeleteUdc},
    {"tq_Dictionary.Update_Field_Owner", UpdateFieldOwner},
    {"tq_Dictionary.UDC_Stat", UdcStat},
    {"ea_client.add_common_field", AddCommonField},
    {"ea_client.update_common_field", UpdateCommonField},
    {"ea_client.remove_common_field", RemoveCommonField},
}};

const RoutineEntry* FindRoutine(std::string_view name) {
  const std::string_view trimmed = TrimBlanks(name);
  for (const auto& entry : kRoutines) {
    if (EqualsNoCase(entry.name, trimmed)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool HasRoutine(std::string_view name) { return FindRoutine(name) != nullptr; }

Variant RunRoutine(sqlite3* db, RoutineCall& call) {
  const RoutineEntry* entry = FindRoutine(call.name);
  if (!entry) Fail(kDatabaseSource, "Unknown stored routine: " + call.name);
  call.outputs.assign(call.args.size(), Variant());
  return entry->run(db, call, entry->name);
}

void RegisterDictionaryFunctions(sqlite3* db) {
  auto fail = [&](std::string_view name) {
    Fail(kDatabaseSource, "Cannot register " + std::string(name) + ": " + sqlite3_errmsg(db));
  };
  // Each function owns its cache; SQLite frees it when the function goes away.
  if (sqlite3_create_function_v2(db, "ea_dd__ea_replace_entity_names", 1, SQLITE_UTF8, new EntityNamingCache,
                                 ReplaceEntityNamesFunction, nullptr, nullptr, DeleteCache) != SQLITE_OK) {
    fail("ea_dd__ea_replace_entity_names");
  }
  if (sqlite3_create_function_v2(db, "ea_dd__ea_replace_entity_labels", 2, SQLITE_UTF8, new EntityNamingCache,
                                 ReplaceEntityLabelsFunction, nullptr, nullptr, DeleteCache) != SQLITE_OK) {
    fail("ea_dd__ea_replace_entity_labels");
  }
  if (sqlite3_create_function_v2(db, "availabledatareporting__tocalcfieldname", 1,
                                 SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, CalcFieldNameFunction, nullptr, nullptr,
                                 nullptr) != SQLITE_OK) {
    fail("availabledatareporting__tocalcfieldname");
  }
}

std::string AvailabilityFieldName(std::string_view fileType) {
  std::string name = "Avail_";
  for (char c : fileType) name += IsWordChar(c) && c != '$' && c != '#' ? c : '_';
  return name;
}

int32_t NextSequenceValue(sqlite3* db, std::string_view sequence) {
  Statement stmt(db, "UPDATE ridirodev_sequence SET Value = Value + 1 WHERE Name = ?1 RETURNING Value",
                 kDatabaseSource);
  stmt.Bind(1, sequence);
  if (!stmt.Step()) Fail(kDatabaseSource, "Sequence " + std::string(sequence) + " does not exist.");
  const int32_t value = ToInt32(stmt.Int(0), kDatabaseSource);
  stmt.Run();
  return value;
}

}  // namespace ridirodev::standalone
