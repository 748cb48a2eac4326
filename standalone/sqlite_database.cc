#include "standalone/sqlite_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/controls.h"
#include "standalone/dialect.h"
#include "standalone/routines.h"
#include "standalone/schema.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSource = "SqliteDatabase";
constexpr int kSecondsPerDay = 86400;
// The data library's number for reading or moving past the last row.
constexpr int32_t kNoCurrentRow = 3021;

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement(const SqliteConnection& conn, const std::string& sql) {
    if (sqlite3_prepare_v2(conn.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
      conn.Fail("The statement could not be prepared", sql);
    }
  }
  explicit Statement(sqlite3_stmt* adopted) : stmt_(adopted) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(stmt_); }
  sqlite3_stmt* get() const noexcept { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// How a column's text is read: DATE columns as dates; columns without a declared type
// (expressions such as MIN(b.timestamp)) as dates when the text has the stored date form.
enum class ColumnKind : char { kPlain, kDate, kExpression };

ColumnKind KindOf(const char* decl) {
  if (!decl) return ColumnKind::kExpression;
  const std::string upper = ToUpper(decl);
  const bool date = upper == "DATE" || upper.rfind("TIMESTAMP", 0) == 0 || upper == "DATETIME";
  return date ? ColumnKind::kDate : ColumnKind::kPlain;
}

// 'YYYY-MM-DD HH:MM:SS', the form dates are stored in.
bool HasStoredDateForm(std::string_view s) {
  if (s.size() != 19) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool ok = (i == 4 || i == 7) ? c == '-' : i == 10 ? c == ' ' : (i == 13 || i == 16) ? c == ':'
                                                                                              : (c >= '0' && c <= '9');
    if (!ok) return false;
  }
  return true;
}

// Reads a column the way the host's data library hands values out: integers that fit as
// 32-bit integers, others as doubles, dates as dates.
Variant ColumnValue(sqlite3_stmt* stmt, int i, ColumnKind kind) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
      return Variant::Null();
    case SQLITE_INTEGER: {
      const sqlite3_int64 v = sqlite3_column_int64(stmt, i);
      if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
      return Variant(static_cast<double>(v));
    }
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(stmt, i));
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      std::string_view s(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
      if (kind == ColumnKind::kDate || (kind == ColumnKind::kExpression && HasStoredDateForm(s))) {
        if (auto d = Date::FromIso(s)) return Variant(*d);
      }
      return Variant(s);
    }
  }
}

// One comparison of a row set filter: column, operator, value.
struct FilterTerm {
  std::string column;
  bool notEqual = false;
  Variant value;
};

std::vector<FilterTerm> ParseFilter(std::string_view criteria) {
  std::vector<FilterTerm> terms;
  size_t pos = 0;
  auto skip = [&] {
    while (pos < criteria.size() && (criteria[pos] == ' ' || criteria[pos] == '\t')) ++pos;
  };
  auto bad = [&](const char* why) -> void {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          std::string("Row set filter: ") + why + ": " + std::string(criteria));
  };
  skip();
  while (pos < criteria.size()) {
    FilterTerm term;
    const size_t start = pos;
    while (pos < criteria.size() && (std::isalnum(static_cast<unsigned char>(criteria[pos])) || criteria[pos] == '_'))
      ++pos;
    term.column = std::string(criteria.substr(start, pos - start));
    if (term.column.empty()) bad("a column name is expected");
    skip();
    if (criteria.substr(pos, 2) == "<>" || criteria.substr(pos, 2) == "!=") {
      term.notEqual = true;
      pos += 2;
    } else if (pos < criteria.size() && criteria[pos] == '=') {
      ++pos;
    } else {
      bad("only = and <> are supported");
    }
    skip();
    if (pos < criteria.size() && criteria[pos] == '\'') {
      std::string text;
      ++pos;
      for (;;) {
        if (pos >= criteria.size()) bad("unterminated text");
        if (criteria[pos] == '\'') {
          if (pos + 1 < criteria.size() && criteria[pos + 1] == '\'') {
            text += '\'';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        text += criteria[pos++];
      }
      term.value = Variant(std::move(text));
    } else {
      const size_t vstart = pos;
      while (pos < criteria.size() && criteria[pos] != ' ') ++pos;
      double d = 0;
      if (!Variant::ParseNumber(criteria.substr(vstart, pos - vstart), d)) bad("a number or a quoted text is expected");
      term.value = Variant(d);
    }
    terms.push_back(std::move(term));
    skip();
    if (pos < criteria.size()) {
      if (!EqualsNoCase(criteria.substr(pos, 3), "and")) bad("terms must be joined by AND");
      pos += 3;
      skip();
    }
  }
  return terms;
}

bool Matches(const Variant& cell, const FilterTerm& term) {
  bool equal = false;
  if (cell.IsNull() || cell.IsEmpty()) {
    equal = false;
  } else if (term.value.IsString()) {
    equal = EqualsNoCase(cell.ToString(), term.value.StringRef());
  } else {
    double d = 0;
    equal = cell.IsNumber() ? cell.ToDouble() == term.value.ToDouble()
                            : (cell.IsString() && Variant::ParseNumber(cell.StringRef(), d) && d == term.value.ToDouble());
  }
  return term.notEqual ? !equal && !cell.IsNull() : equal;
}

// A row set over a prepared statement. It streams rows straight from SQLite; RecordCount and
// Filter need every row, so they read the rest into memory first.
class SqliteRecordset final : public IDBRecordset, private IDBFields {
 public:
  SqliteRecordset(std::shared_ptr<SqliteConnection> conn, sqlite3_stmt* stmt, std::string sql)
      : conn_(std::move(conn)), stmt_(stmt), sql_(std::move(sql)) {
    const int n = sqlite3_column_count(stmt_);
    names_.reserve(static_cast<size_t>(n));
    columnKind_.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const char* name = sqlite3_column_name(stmt_, i);
      names_.emplace_back(name ? name : "");
      index_.emplace(names_.back(), i);  // the first of duplicate names wins
      columnKind_.push_back(KindOf(sqlite3_column_decltype(stmt_, i)));
    }
    try {
      Step();
    } catch (...) {  // no destructor runs for a constructor that throws
      sqlite3_finalize(stmt_);
      throw;
    }
    empty_ = eof_;
  }
  ~SqliteRecordset() override {
    NoteIfInterrupted();
    sqlite3_finalize(stmt_);
  }

  bool Bof() const override { return empty_ || (materialized_ && visible_.empty()); }
  bool Eof() const override { return eof_; }
  // The columns are known at EOF too; only their values are not.
  const IDBFields& Fields() const override { return *this; }

  void SetFilter(std::string_view criteria) override {
    Materialize();
    const std::vector<FilterTerm> terms = ParseFilter(criteria);
    std::vector<std::pair<size_t, size_t>> resolved;  // term, column
    for (size_t t = 0; t < terms.size(); ++t) resolved.emplace_back(t, ColumnIndex(terms[t].column));
    visible_.clear();
    for (size_t r = 0; r < rows_.size(); ++r) {
      bool ok = true;
      for (auto [t, c] : resolved) ok = ok && Matches(rows_[r][c], terms[t]);
      if (ok) visible_.push_back(r);
    }
    filter_ = std::string(criteria);
    pos_ = 0;
    eof_ = visible_.empty();
  }
  std::string Filter() const override { return filter_; }

  void MoveFirst() override {
    if (materialized_) {
      pos_ = 0;
      eof_ = visible_.empty();
      return;
    }
    if (position_ == 0) return;
    sqlite3_reset(stmt_);
    position_ = 0;
    eof_ = false;
    Step();
  }
  void MoveNext() override {
    if (eof_) throw AutomationError(kNoCurrentRow, kSource, "Either BOF or EOF is True, or the current record has been deleted.");
    if (materialized_) {
      eof_ = ++pos_ >= visible_.size();
      return;
    }
    ++position_;
    Step();
  }
  void Close() override {
    NoteIfInterrupted();
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    rows_.clear();
    visible_.clear();
    materialized_ = true;
    eof_ = true;
  }
  int32_t RecordCount() const override {
    const_cast<SqliteRecordset*>(this)->Materialize();
    return static_cast<int32_t>(visible_.size());
  }

 private:
  int32_t Count() const override { return static_cast<int32_t>(names_.size()); }
  std::string Name(int32_t index) const override {
    if (index < 0 || index >= Count())
      throw AutomationError(
          ErrorNumber::kItemNotFound, kSource,
          "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return names_[static_cast<size_t>(index)];
  }
  bool Has(std::string_view name) const override { return index_.find(name) != index_.end(); }
  Variant Value(std::string_view name) const override { return Cell(ColumnIndex(name)); }
  Variant Value(int32_t index) const override {
    if (index < 0 || index >= Count())
      throw AutomationError(
          ErrorNumber::kItemNotFound, kSource,
          "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return Cell(static_cast<size_t>(index));
  }

  // The plain cases straight from the statement; the rest as Value and the database object
  // convert them.
  std::string Text(int32_t index, IDBObject& db) const override {
    if (const std::optional<std::string_view> text = LiveText(index)) return std::string(*text);
    return IDBFields::Text(index, db);
  }
  int32_t NumberOr(int32_t index, IDBObject& db, int32_t defaultValue) const override {
    if (Live(index)) {
      switch (sqlite3_column_type(stmt_, index)) {
        case SQLITE_NULL:
          return defaultValue;
        case SQLITE_INTEGER:
          if (const sqlite3_int64 v = sqlite3_column_int64(stmt_, index); v >= INT32_MIN && v <= INT32_MAX) {
            return static_cast<int32_t>(v);
          }
          break;
        default:
          break;
      }
    }
    return IDBFields::NumberOr(index, db, defaultValue);
  }

  size_t ColumnIndex(std::string_view name) const {
    auto found = index_.find(name);
    if (found == index_.end()) {
      throw AutomationError(ErrorNumber::kItemNotFound, kSource,
                            "Item cannot be found in the collection corresponding to the requested name or "
                            "ordinal: " +
                                std::string(name));
    }
    return static_cast<size_t>(found->second);
  }

  // A column of the row the statement stands on.
  bool Live(int32_t index) const {
    if (eof_ || materialized_ || index < 0 || index >= Count()) return false;
    lastColumn_ = index;
    return true;
  }
  // The text of a column whose Variant would be that same text, or null (""); nothing for the
  // columns that Value makes numbers or dates of.
  std::optional<std::string_view> LiveText(int32_t index) const {
    if (!Live(index)) return std::nullopt;
    const int type = sqlite3_column_type(stmt_, index);
    if (type == SQLITE_NULL) return std::string_view();
    const ColumnKind kind = columnKind_[static_cast<size_t>(index)];
    if (type != SQLITE_TEXT || kind == ColumnKind::kDate) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    const std::string_view s(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt_, index)));
    if (kind == ColumnKind::kExpression && HasStoredDateForm(s)) return std::nullopt;
    return s;
  }

  Variant Cell(size_t column) const {
    if (eof_) throw AutomationError(kNoCurrentRow, kSource, "Either BOF or EOF is True, or the current record has been deleted.");
    lastColumn_ = static_cast<int32_t>(column);
    if (materialized_) return rows_[visible_[pos_]][column];
    return ColumnValue(stmt_, static_cast<int>(column), columnKind_[column]);
  }

  // Closed or destroyed while an exception unwinds: the error arose while this was being read.
  void NoteIfInterrupted() noexcept {
    if (!stmt_ || std::uncaught_exceptions() <= uncaught_) return;
    try {
      const size_t column = static_cast<size_t>(lastColumn_);
      conn_->SetInterrupted(SqliteConnection::InterruptedRead{sql_, lastColumn_ < 0 ? "" : names_[column]});
    } catch (...) {  // only a note for the error message: losing it is no reason to fail
    }
  }

  void Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return;
    eof_ = true;
    if (rc != SQLITE_DONE) conn_->Fail("The statement failed", sql_);
  }

  // Reads every row (from the first) into memory, keeping the current position.
  void Materialize() {
    if (materialized_) return;
    const size_t current = position_;
    sqlite3_reset(stmt_);
    rows_.clear();
    const int n = sqlite3_column_count(stmt_);
    for (int rc = sqlite3_step(stmt_); rc != SQLITE_DONE; rc = sqlite3_step(stmt_)) {
      if (rc != SQLITE_ROW) conn_->Fail("The statement failed", sql_);
      std::vector<Variant> row;
      row.reserve(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) row.push_back(ColumnValue(stmt_, i, columnKind_[static_cast<size_t>(i)]));
      rows_.push_back(std::move(row));
    }
    visible_.resize(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) visible_[i] = i;
    materialized_ = true;
    pos_ = current;
    eof_ = pos_ >= visible_.size();
  }

  std::shared_ptr<SqliteConnection> conn_;
  sqlite3_stmt* stmt_;
  std::string sql_;
  std::vector<std::string> names_;
  std::vector<ColumnKind> columnKind_;
  std::unordered_map<std::string, int, NoCaseHash, NoCaseEqual> index_;
  bool eof_ = false;
  bool empty_ = false;
  size_t position_ = 0;  // streaming: rows stepped past
  bool materialized_ = false;
  std::vector<std::vector<Variant>> rows_;
  std::vector<size_t> visible_;
  size_t pos_ = 0;
  std::string filter_;
  const int uncaught_ = std::uncaught_exceptions();
  mutable int32_t lastColumn_ = -1;  // for the note of an interrupted read
};

// Width declared as VARCHAR2(n), VARCHAR(n), CHAR(n) or NUMBER(n[,m]); 0 when none.
int32_t DeclaredWidth(std::string_view decl) {
  const size_t open = decl.find('(');
  if (open == std::string_view::npos) return 0;
  int32_t width = 0;
  for (size_t i = open + 1; i < decl.size() && decl[i] >= '0' && decl[i] <= '9'; ++i) width = width * 10 + (decl[i] - '0');
  return width;
}

}  // namespace

struct SqliteConnection::BusyWait {
  WriterWait policy;
  std::string file;
  std::optional<WriterWaiting> waiting;
  bool ranOut = false;
};

SqliteConnection::SqliteConnection(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

SqliteConnection::~SqliteConnection() {
  for (const auto& [sql, stmt] : cached_) sqlite3_finalize(stmt);
  sqlite3_close_v2(db_);
}

int SqliteConnection::OnBusy(void* busy, int count) {
  auto& wait = *static_cast<BusyWait*>(busy);
  if (count == 0) {  // a new wait
    wait.waiting.emplace(wait.policy, wait.file);
    wait.ranOut = false;
  }
  if (wait.waiting->Pause()) return 1;
  wait.ranOut = true;
  return 0;
}

void SqliteConnection::WaitForWriters(WriterWait policy) {
  auto wait = std::make_unique<BusyWait>(BusyWait{std::move(policy), path_, std::nullopt, false});
  sqlite3_busy_handler(db_, &SqliteConnection::OnBusy, wait.get());
  busy_ = std::move(wait);
}

std::string SqliteConnection::WaitNote() const {
  if (!busy_ || !busy_->ranOut) return "";
  busy_->ranOut = false;
  return "; " + WaitedTooLongText(busy_->policy, path_);
}

std::string SqliteConnection::ErrorText() const {
  std::string text = sqlite3_errmsg(db_);
  if ((sqlite3_errcode(db_) & 0xff) == SQLITE_BUSY) text += WaitNote();
  return text;
}

sqlite3_stmt* SqliteConnection::Cached(const std::string& sql) const {
  if (auto found = cached_.find(sql); found != cached_.end()) return found->second;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    Fail("The statement could not be prepared", sql);
  }
  cached_.emplace(sql, stmt);
  return stmt;
}

void SqliteConnection::Trace(std::string_view text) const {
  if (traceFile_.empty()) return;
  std::ofstream out(traceFile_, std::ios::app | std::ios::binary);
  out << text << '\n';
}

void SqliteConnection::Exec(std::string_view sql) const {
  const std::string text(sql);
  char* message = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string why = message ? message : sqlite3_errmsg(db_);
    if ((sqlite3_errcode(db_) & 0xff) == SQLITE_BUSY) why += WaitNote();
    sqlite3_free(message);
    throw AutomationError(kDatabaseError, kSource, why + "\nStatement: " + text);
  }
}

void SqliteConnection::Fail(std::string_view what, std::string_view statement) const {
  throw AutomationError(kDatabaseError, kSource,
                        std::string(what) + ": " + ErrorText() + "\nStatement: " + std::string(statement));
}

namespace {

// Opens name (path unless a URI) as the connection to path.
std::shared_ptr<SqliteConnection> OpenConnection(const std::string& path, int flags, const WriterWait& wait,
                                                 const std::string& name = "") {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2((name.empty() ? path : name).c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw AutomationError(kDatabaseError, kSource,
                          "The dictionary database " + path + " cannot be opened: " + why);
  }
  auto conn = std::make_shared<SqliteConnection>(db, path);
  conn->WaitForWriters(wait);
  return conn;
}

// The first read, which proves the file is a database before anything else relies on it.
bool FirstRead(const SqliteConnection& conn) {
  return sqlite3_exec(conn.Handle(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
         SQLITE_OK;
}

void Warn(const SqliteDatabaseOptions& options, const std::string& text) {
  if (options.warning) {
    options.warning(text);
  } else {
    std::cerr << "ridirodev: warning: " << text << std::endl;
  }
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::string& path, SqliteDatabaseOptions options) : options_(std::move(options)) {
  const bool memory = path == ":memory:" || path.empty();
  if (!memory && !options_.create && !std::filesystem::exists(path)) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "The dictionary database " + path + " does not exist (create it with 'ridirodev init').");
  }
  if (!memory && options_.create) {
    const auto parent = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  }
  // A database object serves one thread (the component's state is per thread): SQLite's
  // per-connection mutex, taken on every column read, buys nothing.
  const int flags = (options_.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                    (options_.create || memory ? SQLITE_OPEN_CREATE : 0);
  const std::string file = memory ? ":memory:" : path;
  conn_ = OpenConnection(file, flags, options_.wait);
  bool usable = FirstRead(*conn_);
  if (!usable && sqlite3_extended_errcode(conn_->Handle()) == SQLITE_READONLY_ROLLBACK) {
    // A writer stopped halfway and left its journal: it must be played back before anyone can
    // read, which takes write access. A short-lived writable connection does it; this one
    // stays read-only.
    conn_.reset();
    FirstRead(*OpenConnection(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, options_.wait));
    conn_ = OpenConnection(file, flags, options_.wait);
    usable = FirstRead(*conn_);
    if (!usable && sqlite3_extended_errcode(conn_->Handle()) == SQLITE_READONLY_ROLLBACK) {
      throw AutomationError(kDatabaseError, kSource,
                            "The file " + path +
                                " is not a usable dictionary database: " + conn_->ErrorText() +
                                ". A writer stopped halfway; rolling back its unfinished write (" + path +
                                "-journal) needs write access to the file and its folder.");
    }
  }
  if (!usable && options_.readOnly &&
      sqlite3_extended_errcode(conn_->Handle()) == SQLITE_READONLY_DIRECTORY) {
    // A write-ahead-logged file in a folder this user cannot write: the index of its log cannot
    // be made, so it is read as it stands. A writer needs that folder too; one allowed to write
    // there is rare for a dictionary others may only read.
    std::string uri = "file:";
    for (const char c : std::filesystem::absolute(path).string()) {
      if (c == '%' || c == '?' || c == '#') {
        static constexpr char kHex[] = "0123456789abcdef";
        uri += {'%', kHex[(c >> 4) & 0xf], kHex[c & 0xf]};
      } else {
        uri += c;
      }
    }
    conn_ = OpenConnection(file, flags | SQLITE_OPEN_URI, options_.wait, uri + "?immutable=1");
    usable = FirstRead(*conn_);
  }
  if (!usable) {
    throw AutomationError(kDatabaseError, kSource,
                          "The file " + path + " is not a usable dictionary database: " + conn_->ErrorText());
  }
  if (options_.traceFile.empty()) {
    if (const char* env = std::getenv("RIDIRODEV_SQL_TRACE"); env && *env) options_.traceFile = env;
  }
  conn_->SetTraceFile(options_.traceFile);
  sqlite3* db = conn_->Handle();
  if (!memory && !options_.create) {
    if (!TableExists("ridirodev_meta")) {
      throw AutomationError(kDatabaseError, kSource,
                            "The file " + path + " holds no dictionary (create one with 'ridirodev init').");
    }
    CheckSchemaVersion(path);
    if (!options_.readOnly && !sqlite3_db_readonly(db, "main")) PrepareForWriters(path);
  }
  conn_->Exec("PRAGMA foreign_keys = ON");
  RegisterDictionaryFunctions(db);
}

void SqliteDatabase::PrepareForWriters(const std::string& path) {
  sqlite3* db = conn_->Handle();
  // With write-ahead logging readers never wait for a writer, nor a writer for them. The mode
  // stays with the file. Should the switch fail, the file keeps its journal and works as before.
  bool wal = false;
  {
    Statement mode(*conn_, "PRAGMA journal_mode");
    const auto* text = sqlite3_step(mode.get()) == SQLITE_ROW
                           ? reinterpret_cast<const char*>(sqlite3_column_text(mode.get(), 0))
                           : nullptr;
    wal = text && EqualsNoCase(text, "wal");
  }
  if (!wal) sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  const std::vector<std::string> repeated = EnsureBusyHourNameIndex(db);
  if (!repeated.empty()) {
    std::string names;
    for (const std::string& name : repeated) names += (names.empty() ? "" : ", ") + name;
    Warn(options_,
         "busy-hour names repeat at one entity in " + path + ": " + names +
             ". Until all but one of each are renamed, two users can still add the same name at once.");
  }
}

void SqliteDatabase::CheckSchemaVersion(const std::string& path) {
  // Tables of a newer version may have changed meaning: reading or writing them could be wrong.
  Statement stmt(*conn_, "SELECT Value FROM ridirodev_meta WHERE Name = 'schema_version'");
  const auto* value = sqlite3_step(stmt.get()) == SQLITE_ROW
                          ? reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0))
                          : nullptr;
  const std::string text = value ? value : "";
  const bool number = !text.empty() && text.size() < 10 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (number && std::stoi(text) <= kDictionarySchemaVersion) return;
  const std::string known = "version " + std::to_string(kDictionarySchemaVersion);
  throw AutomationError(
      kDatabaseError, kSource,
      "The dictionary database " + path +
          (number ? " has schema version " + text + ", newer than " + known +
                        " that this tool knows; use a newer ridirodev."
                  : " has the unreadable schema version '" + text + "'; this tool knows " + known + "."));
}

const std::string& SqliteDatabase::Translate(std::string_view sql) {
  auto found = translations_.find(std::string(sql));
  if (found != translations_.end()) return found->second;
  if (translations_.size() > 4096) translations_.clear();
  return translations_.emplace(std::string(sql), TranslateDialect(sql)).first->second;
}

void SqliteDatabase::FailOnCall(size_t n, AutomationError error) {
  armed_.reset();
  if (n > 0) armed_.emplace(ArmedFailure{n, std::move(error)});
}

void SqliteDatabase::FireArmedFailure() {
  if (--armed_->callsLeft > 0) return;
  AutomationError error = std::move(armed_->error);
  armed_.reset();
  throw error;
}

void SqliteDatabase::BeginTransaction() {
  if (inTransaction_) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "A transaction is already open; transactions do not nest.");
  }
  CountCall();
  conn_->Trace("BEGIN TRANSACTION");
  conn_->Exec("BEGIN IMMEDIATE");
  inTransaction_ = true;
}

void SqliteDatabase::CommitTransaction() {
  if (!inTransaction_) throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "No transaction is open.");
  CountCall();
  conn_->Trace("COMMIT");
  conn_->Exec("COMMIT");
  inTransaction_ = false;
}

void SqliteDatabase::RollbackTransaction() {
  if (!inTransaction_) return;  // nothing to undo; rolling back twice must not fail an error path
  conn_->Trace("ROLLBACK");
  inTransaction_ = false;
  if (sqlite3_get_autocommit(conn_->Handle())) return;  // SQLite already rolled back
  conn_->Exec("ROLLBACK");
}

sqlite3_stmt* SqliteDatabase::Prepare(std::string_view sql) {
  CountCall();
  conn_->SetInterrupted(std::nullopt);
  conn_->Trace(sql);
  const std::string& translated = Translate(sql);
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  auto fail = [&](const std::string& what) {
    sqlite3_finalize(stmt);
    std::string why = what + "\nStatement: " + std::string(sql);
    if (translated != sql) why += "\nAs run: " + translated;
    throw AutomationError(kDatabaseError, kSource, why);
  };
  if (sqlite3_prepare_v2(conn_->Handle(), translated.c_str(), static_cast<int>(translated.size()), &stmt,
                         &tail) != SQLITE_OK) {
    fail("The statement could not be run: " + conn_->ErrorText());
  }
  if (!stmt) throw AutomationError(kDatabaseError, kSource, "The statement is empty: " + std::string(sql));
  // Only the first statement would run: refuse the rest rather than drop it unseen.
  const char* end = translated.c_str() + translated.size();
  while (tail < end) {
    sqlite3_stmt* next = nullptr;
    const char* after = nullptr;
    const int rc = sqlite3_prepare_v2(conn_->Handle(), tail, static_cast<int>(end - tail), &next, &after);
    sqlite3_finalize(next);
    if (rc != SQLITE_OK || next) {
      fail("Only one statement can be run; found more after it: " + std::string(TrimBlanks(tail)));
    }
    if (after <= tail) break;
    tail = after;
  }
  return stmt;
}

IDBRecordsetPtr SqliteDatabase::OpenRecordset(std::string_view sql, int32_t /*timeoutSeconds*/) {
  return std::make_shared<SqliteRecordset>(conn_, Prepare(sql), std::string(sql));
}

void SqliteDatabase::Execute(std::string_view sql) {
  Statement stmt(Prepare(sql));
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) conn_->Fail("The statement failed", sql);
}

Variant SqliteDatabase::RunRoutine(std::string_view name, const std::vector<Variant>& args,
                                   std::vector<Variant>* outputs) {
  CountCall();
  RoutineCall call{std::string(name), args, {}};
  Variant result;
  conn_->WaitNote();  // forget a wait that ran out before: it is not this routine's
  try {
    result = standalone::RunRoutine(conn_->Handle(), call);
  } catch (const AutomationError& e) {
    // The routine's own rollback has cleared SQLite's error code by now.
    const std::string note = conn_->WaitNote();
    if (note.empty()) throw;
    throw AutomationError(e.Number(), e.Source(), e.Description() + note);
  }
  if (outputs) *outputs = std::move(call.outputs);
  return result;
}

void SqliteDatabase::ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) {
  std::string trace = "CALL " + std::string(name) + "(";
  for (size_t i = 0; i < values.size(); ++i) trace += (i ? "," : "") + ValueText(values[i]);
  conn_->Trace(trace + ")");
  RunRoutine(name, values, nullptr);
}

Variant SqliteDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  IDBRecordsetPtr rs = OpenRecordset(sql);
  if (rs->Eof()) return defaultValue;
  Variant v = rs->Fields().Value(0);
  rs->Close();
  return v;
}

Variant SqliteDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  return QueryValue("SELECT " + std::string(name) + "(" + std::string(argumentText) + ")", Variant::Null());
}

int32_t SqliteDatabase::NextSequenceNumber(std::string_view sequence) {
  CountCall();
  conn_->Trace(std::string(sequence) + ".NEXTVAL");
  return NextSequenceValue(conn_->Handle(), sequence);
}

IDBLiteralPtr SqliteDatabase::SequenceLiteral(std::string_view sequence) {
  return std::make_shared<DBLiteral>(std::to_string(NextSequenceNumber(sequence)));
}

std::string SqliteDatabase::QuoteText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

std::string SqliteDatabase::DateText(Date date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d %02d:%02d:%02d'", date.Year(), date.Month(), date.Day(), date.Hour(),
                date.Minute(), date.Second());
  return buf;
}

IDBLiteralPtr SqliteDatabase::TextLiteral(std::string_view text) { return std::make_shared<DBLiteral>(QuoteText(text)); }

IDBLiteralPtr SqliteDatabase::IdLiteral(int32_t id) {
  return std::make_shared<DBLiteral>(id == 0 ? std::string("NULL") : std::to_string(id));
}

IDBLiteralPtr SqliteDatabase::NumberLiteral(const Variant& value, int32_t /*flags*/) {
  if (value.IsNull() || value.IsEmpty()) return std::make_shared<DBLiteral>("NULL");
  if (value.Type() == VarType::Integer) return std::make_shared<DBLiteral>(value.ToString());
  return std::make_shared<DBLiteral>(Variant::FormatDouble(value.ToDouble()));
}

IDBLiteralPtr SqliteDatabase::DateLiteral(Date date) { return std::make_shared<DBLiteral>(DateText(date)); }

IDBLiteralPtr SqliteDatabase::NowLiteral() { return std::make_shared<DBLiteral>("SYSDATE"); }

std::string SqliteDatabase::ValueText(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Missing:
      return "NULL";
    case VarType::Boolean:
      return value.ToBool() ? "-1" : "0";
    case VarType::Integer:
      return value.ToString();
    case VarType::Double:
      return Variant::FormatDouble(value.ToDouble());
    case VarType::String:
      return QuoteText(value.StringRef());
    case VarType::Date:
      return DateText(value.ToDate());
    case VarType::Object: {
      if (auto literal = value.As<IDBLiteral>()) return literal->Text();
      if (!value.ToObject()) return "NULL";
      throw AutomationError(ErrorNumber::kTypeMismatch, kSource, "An object that is not a literal has no SQL text.");
    }
  }
  return "NULL";
}

std::string SqliteDatabase::ValueListText(const std::vector<Variant>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += ValueText(values[i]);
  }
  return out;
}

std::string SqliteDatabase::AssignmentListText(const std::vector<Variant>& namesAndValues) {
  if (namesAndValues.size() % 2 != 0) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "An assignment list needs a value for every column name.");
  }
  std::string out;
  for (size_t i = 0; i < namesAndValues.size(); i += 2) {
    if (i) out += ", ";
    out += namesAndValues[i].ToString() + " = " + ValueText(namesAndValues[i + 1]);
  }
  return out;
}

std::string SqliteDatabase::FieldText(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return {};
  if (value.IsDate()) return value.ToDate().GeneralDate();
  return value.ToString();
}

int32_t SqliteDatabase::FieldNumber(const Variant& value) { return FieldNumberOr(value, 0); }

int32_t SqliteDatabase::FieldNumberOr(const Variant& value, int32_t defaultValue) {
  if (value.IsNull() || value.IsEmpty()) return defaultValue;
  if (value.IsString() && TrimBlanks(value.StringRef()).empty()) return defaultValue;
  return value.ToInt32();
}

Date SqliteDatabase::FieldDate(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return Date::Zero();
  return value.ToDate();
}

bool SqliteDatabase::FieldFlag(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return false;
  if (value.IsString()) {
    const std::string_view s = TrimBlanks(value.StringRef());
    return EqualsNoCase(s, "Y") || EqualsNoCase(s, "True") || s == "-1" || s == "1";
  }
  return value.ToBool();
}

int32_t SqliteDatabase::ColumnWidth(std::string_view table, std::string_view column) {
  try {
    Statement stmt(*conn_, "SELECT type FROM pragma_table_info(" + QuoteText(table) + ") WHERE name = " +
                               QuoteText(column) + " COLLATE NOCASE");
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) return 0;
    const auto* decl = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    return decl ? DeclaredWidth(decl) : 0;
  } catch (const AutomationError&) {
    return 0;
  }
}

bool SqliteDatabase::TableExists(std::string_view table) {
  Statement stmt(*conn_, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = " + QuoteText(table) +
                             " COLLATE NOCASE");
  return sqlite3_step(stmt.get()) == SQLITE_ROW;
}

bool SqliteDatabase::ColumnExists(std::string_view table, std::string_view column) {
  Statement stmt(*conn_, "SELECT 1 FROM pragma_table_info(" + QuoteText(table) + ") WHERE name = " +
                             QuoteText(column) + " COLLATE NOCASE");
  return sqlite3_step(stmt.get()) == SQLITE_ROW;
}

// Stored hour ranges hold clock times whatever the day-slot setting that wrote them: the hour
// columns the hours of the day (1 to 24) a run touches, the seconds columns the second of the
// day it starts at and the one it ends on. Up to 24 slots a slot is read as an hour.
namespace {

constexpr int64_t kSecondsPerHour = 3600;

// The seconds of the day at which slots run.first to run.last of selection start and end.
SlotRun SecondsOf(const IHourSelection& selection, SlotRun run) {
  const int64_t n = std::max<int32_t>(selection.Count(), 1);
  const int64_t base = selection.FirstIndex();
  return SlotRun{static_cast<int32_t>((run.first - base) * kSecondsPerDay / n),
                 static_cast<int32_t>((run.last - base + 1) * kSecondsPerDay / n - 1)};
}

SlotRun NextSlotRun(int32_t start, const IHourSelection& selection, bool selected) {
  const int32_t first = selection.FirstIndex();
  const int32_t last = first + selection.Count() - 1;
  int32_t i = std::max(start, first);
  while (i <= last && selection.Selected(i) != selected) ++i;
  if (i > last) return SlotRun{0, 0};
  int32_t j = i;
  while (j + 1 <= last && selection.Selected(j + 1) == selected) ++j;
  return SlotRun{i, j};
}

}  // namespace

SlotRun SqliteDatabase::NextHourRun(int32_t start, const IHourSelection& selection, bool selected) {
  const SlotRun run = NextSlotRun(start, selection, selected);
  if (run.first < 1 || selection.Count() <= 24) return run;
  const SlotRun seconds = SecondsOf(selection, run);
  return SlotRun{static_cast<int32_t>(seconds.first / kSecondsPerHour + 1),
                 static_cast<int32_t>(seconds.last / kSecondsPerHour + 1)};
}

SlotRun SqliteDatabase::NextSecondRun(int32_t start, const IHourSelection& selection, bool selected) {
  const SlotRun run = NextSlotRun(start, selection, selected);
  return run.first < 1 ? run : SecondsOf(selection, run);
}

SlotRun SqliteDatabase::SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                                         int32_t lastSeconds) {
  const int64_t n = options_.daySlots;
  if (n <= 24) return SlotRun{firstHour, lastHour};
  // Without seconds the run covers its hours whole.
  int64_t start = firstSeconds, end = lastSeconds;
  if (start < 0 || end < 0) {
    start = (firstHour - int64_t{1}) * kSecondsPerHour;
    end = lastHour * kSecondsPerHour - 1;
  }
  // Every slot the run touches. Times outside the day give slots outside it, which the reader
  // leaves out.
  const auto slot = [n](int64_t second) {
    const int64_t scaled = second * n;
    return static_cast<int32_t>(scaled / kSecondsPerDay - (scaled % kSecondsPerDay < 0 ? 1 : 0) + 1);
  };
  return SlotRun{slot(start), slot(end)};
}

}  // namespace ridirodev::standalone
