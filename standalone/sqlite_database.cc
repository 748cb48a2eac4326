#include "standalone/sqlite_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "dialect/dialect.h"
#include "standalone/routines.h"
#include "standalone/schema.h"
#include "standalone/sqlite_recordset.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSource = "SqliteDatabase";

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


// Width declared as VARCHAR2(n), VARCHAR(n), CHAR(n) or NUMBER(n[,m]); 0 when none.
int32_t DeclaredWidth(std::string_view decl) {
  const size_t open = decl.find('(');
  if (open == std::string_view::npos) return 0;
  int32_t width = 0;
  for (size_t i = open + 1; i < decl.size() && decl[i] >= '0' && decl[i] <= '9'; ++i) width = width * 10 + (decl[i] - '0');
  return width;
}

// A host-side statement: its own prepared statement, or the connection's cached one, which it
// resets when done.
class SqliteHostStatement final : public engine::HostStatement {
 public:
  SqliteHostStatement(std::shared_ptr<SqliteConnection> conn, std::string_view sql, bool cached)
      : conn_(std::move(conn)), cached_(cached) {
    if (cached) {
      stmt_ = conn_->Cached(std::string(sql));
    } else if (sqlite3_prepare_v2(conn_->Handle(), sql.data(), static_cast<int>(sql.size()), &stmt_,
                                  nullptr) != SQLITE_OK) {
      sqlite3_finalize(stmt_);
      conn_->Fail("The statement could not be prepared", sql);
    }
  }
  ~SqliteHostStatement() override {
    if (cached_) {
      Reset();
    } else {
      sqlite3_finalize(stmt_);
    }
  }
  void BindInt(int index, int64_t value) override { sqlite3_bind_int64(stmt_, index, value); }
  void BindText(int index, std::string_view value) override {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  }
  void BindNull(int index) override { sqlite3_bind_null(stmt_, index); }
  bool Step() override {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const std::string why = conn_->ErrorText();
    sqlite3_reset(stmt_);
    throw AutomationError(kDatabaseError, kSource, why);
  }
  void Reset() override {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  int ColumnCount() const override { return sqlite3_column_count(stmt_); }
  bool IsNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  int64_t Int(int column) const override { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const override {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
  }

 private:
  std::shared_ptr<SqliteConnection> conn_;
  sqlite3_stmt* stmt_ = nullptr;
  bool cached_;
};

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

SqliteDatabase::SqliteDatabase(const std::string& path, SqliteDatabaseOptions options)
    : EngineDatabase(kSource, options.daySlots), options_(std::move(options)) {
  InstallRoutines(*this);
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
  return translations_.emplace(std::string(sql), dialect::TranslateDialect(sql, dialect::Engine::kSqlite))
      .first->second;
}

void SqliteDatabase::BeginTransaction() {
  conn_->Exec(depth_ == 0 ? std::string("BEGIN IMMEDIATE") : "SAVEPOINT nested_" + std::to_string(depth_));
  ++depth_;
}

void SqliteDatabase::CommitTransaction() {
  if (depth_ == 0) throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "No transaction is open.");
  conn_->Exec(depth_ == 1 ? std::string("COMMIT") : "RELEASE nested_" + std::to_string(depth_ - 1));
  --depth_;
}

void SqliteDatabase::RollbackTransaction() {
  if (depth_ == 0) return;  // nothing to undo; rolling back twice must not fail an error path
  const int32_t level = --depth_;
  if (sqlite3_get_autocommit(conn_->Handle())) {  // SQLite already rolled back, savepoints and all
    depth_ = 0;
    return;
  }
  const std::string savepoint = "nested_" + std::to_string(level);
  conn_->Exec(level == 0 ? "ROLLBACK" : "ROLLBACK TO " + savepoint + "; RELEASE " + savepoint);
}

sqlite3_stmt* SqliteDatabase::PrepareComponentStatement(std::string_view sql) {
  conn_->SetInterrupted(std::nullopt);
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
  return OpenSqliteRecordset(conn_, PrepareComponentStatement(sql), std::string(sql));
}

void SqliteDatabase::Execute(std::string_view sql) {
  Statement stmt(PrepareComponentStatement(sql));
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) conn_->Fail("The statement failed", sql);
}

Variant SqliteDatabase::RunRoutine(std::string_view name, const std::vector<Variant>& args,
                                   std::vector<Variant>* outputs) {
  conn_->WaitNote();  // forget a wait that ran out before: it is not this routine's
  try {
    return EngineDatabase::RunRoutine(name, args, outputs);
  } catch (const AutomationError& e) {
    // The routine's own rollback has cleared SQLite's error code by now.
    const std::string note = conn_->WaitNote();
    if (note.empty()) throw;
    throw AutomationError(e.Number(), e.Source(), e.Description() + note);
  }
}

std::unique_ptr<engine::HostStatement> SqliteDatabase::Prepare(std::string_view sql, bool cached) {
  return std::make_unique<SqliteHostStatement>(conn_, sql, cached);
}

bool SqliteDatabase::InAnyTransaction() const { return sqlite3_get_autocommit(conn_->Handle()) == 0; }

int64_t SqliteDatabase::TotalRowsChanged() const { return sqlite3_total_changes64(conn_->Handle()); }

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
  // SQLite has no sequences: each is a row of ridirodev_sequence holding the number handed out last.
  SqliteHostStatement stmt(
      conn_, "UPDATE ridirodev_sequence SET Value = Value + 1 WHERE Name = ?1 RETURNING Value", true);
  stmt.BindText(1, sequence);
  if (!stmt.Step()) {
    throw AutomationError(kDatabaseError, kSource, "Sequence " + std::string(sequence) + " does not exist.");
  }
  const int64_t value = stmt.Int(0);
  while (stmt.Step()) {
  }
  if (value > INT32_MAX)
    throw AutomationError(kDatabaseError, kSource, "Number out of range: " + std::to_string(value));
  return static_cast<int32_t>(value);
}

void SqliteDatabase::SetSequence(std::string_view sequence, int64_t lastValue) {
  SqliteHostStatement stmt(conn_, "UPDATE ridirodev_sequence SET Value = ?2 WHERE Name = ?1", false);
  stmt.BindText(1, sequence);
  stmt.BindInt(2, lastValue);
  stmt.Step();
}

IDBLiteralPtr SqliteDatabase::SequenceLiteral(std::string_view sequence) {
  return std::make_shared<DBLiteral>(std::to_string(NextSequenceNumber(sequence)));
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

}  // namespace ridirodev::standalone
