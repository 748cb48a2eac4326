#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/database_base.h"
#include "standalone/writer_wait.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ridirodev::standalone {

using engine::kDatabaseError;

// One SQLite connection shared by the database object, its row sets and procedure calls, so
// that a row set outliving the database object stays valid.
class SqliteConnection {
 public:
  SqliteConnection(sqlite3* db, std::string path);
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;
  ~SqliteConnection();

  sqlite3* Handle() const noexcept { return db_; }
  const std::string& Path() const noexcept { return path_; }

  // A statement that finds the file taken by another writer waits as policy says.
  void WaitForWriters(WriterWait policy);
  // SQLite's message for the last failure; after a wait that ran out, also who held the file
  // and what to do (said once).
  std::string ErrorText() const;
  // What ErrorText adds after a wait that ran out, or "" (said once, whatever the error).
  std::string WaitNote() const;

  // Runs a statement without rows (several separated by ';' are allowed); throws with
  // SQLite's message and the statement.
  void Exec(std::string_view sql) const;
  [[noreturn]] void Fail(std::string_view what, std::string_view statement) const;

  // The prepared form of a fixed host-side statement, made on first use and kept for the life
  // of the connection; the caller resets it after use. Throws when it cannot be prepared.
  sqlite3_stmt* Cached(const std::string& sql) const;

  // The row set that an error interrupted: its statement and the column it read last. A row set
  // destroyed while an exception unwinds notes itself here; the next statement prepared clears it.
  struct InterruptedRead {
    std::string statement;
    std::string column;
  };
  const std::optional<InterruptedRead>& Interrupted() const noexcept { return interrupted_; }
  void SetInterrupted(std::optional<InterruptedRead> read) { interrupted_ = std::move(read); }

 private:
  sqlite3* db_;
  std::string path_;
  struct BusyWait;
  static int OnBusy(void* busy, int count);
  std::unique_ptr<BusyWait> busy_;
  mutable std::unordered_map<std::string, sqlite3_stmt*> cached_;
  std::optional<InterruptedRead> interrupted_;
};

struct SqliteDatabaseOptions {
  bool create = false;         // create the file when it is missing
  bool readOnly = false;       // refuse every write
  bool alwaysReload = false;   // what AlwaysReload answers
  int32_t daySlots = 24;       // slots of a day, to read stored hour ranges into
  WriterWait wait;             // how a write waits for another writer of the file
  // Problems of the file that do not stop its use; standard error when empty.
  std::function<void(std::string_view)> warning;
};

// The database object of the standalone host: takes the component's Oracle-dialect text,
// translates it just before it runs, and keeps literals in the forms the schema stores
// (quotes doubled, id 0 as NULL, dates as 'YYYY-MM-DD HH:MM:SS').
class SqliteDatabase final : public engine::EngineDatabase {
 public:
  // Opens a file or ":memory:". A missing file (without create), a file that is not a
  // database, one without the dictionary schema or with a schema version newer than this
  // build's (or unreadable) gives a clear error. A file opened for writing is switched to
  // write-ahead logging, so that readers never wait for a writer, and gets the constraints a
  // database made by an older build lacks. Read-only, the unfinished write of a writer that
  // died is rolled back first when the file allows it.
  explicit SqliteDatabase(const std::string& path, SqliteDatabaseOptions options = {});

  const std::shared_ptr<SqliteConnection>& Connection() const noexcept { return conn_; }
  // Translated text of a statement (cached).
  const std::string& Translate(std::string_view sql);

  // Transactions (the XML query service maps onto these). One begun inside another is a
  // savepoint: its rollback undoes its own writes only. A rollback with none open does nothing;
  // a commit with none open is error 5.
  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;
  bool InTransaction() const noexcept override { return depth_ > 0; }
  bool InAnyTransaction() const override;

  std::string_view EngineName() const override { return "SQLite"; }
  std::string Location() const override { return conn_->Path(); }
  int64_t TotalRowsChanged() const override;
  std::unique_ptr<engine::HostStatement> Prepare(std::string_view sql, bool cached = false) override;
  void RunScript(std::string_view sql) override { conn_->Exec(sql); }

  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override;
  void Execute(std::string_view sql) override;
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override;
  Variant CallFunction(std::string_view name, std::string_view argumentText) override;
  int32_t NextSequenceNumber(std::string_view sequence) override;
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override;
  void SetSequence(std::string_view sequence, int64_t lastValue) override;

  int32_t ColumnWidth(std::string_view table, std::string_view column) override;
  bool TableExists(std::string_view table) override;
  bool ColumnExists(std::string_view table, std::string_view column) override;

  bool AlwaysReload() override { return options_.alwaysReload; }

  // Runs a stored routine inside the current transaction (used by procedure calls too); a wait
  // for another writer that ran out is named in its error.
  Variant RunRoutine(std::string_view name, const std::vector<Variant>& args,
                     std::vector<Variant>* outputs) override;

 private:
  // Translates and prepares one statement; failures name SQLite's message and the
  // statement. Text after the statement other than blanks, ';' and comments is an error.
  sqlite3_stmt* PrepareComponentStatement(std::string_view sql);
  void CheckSchemaVersion(const std::string& path);
  void PrepareForWriters(const std::string& path);

  std::shared_ptr<SqliteConnection> conn_;
  SqliteDatabaseOptions options_;
  int32_t depth_ = 0;  // transactions open, the savepoints included
  std::unordered_map<std::string, std::string> translations_;
};

}  // namespace ridirodev::standalone
