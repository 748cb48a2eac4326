#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "standalone/writer_wait.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ridirodev::standalone {

// Error number of a statement the database rejects (the number the host's database library
// gives for errors in a command).
inline constexpr int32_t kDatabaseError = -2147217900;

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

  // Appends the text to the statement trace file when one is configured.
  void Trace(std::string_view text) const;
  void SetTraceFile(std::string path) { traceFile_ = std::move(path); }

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
  std::string traceFile_;
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
  std::string traceFile;       // statement trace; defaults to RIDIRODEV_SQL_TRACE
  int32_t daySlots = 24;       // slots of a day, to read stored hour ranges into
  WriterWait wait;             // how a write waits for another writer of the file
  // Problems of the file that do not stop its use; standard error when empty.
  std::function<void(std::string_view)> warning;
};

// The database object of the standalone host: takes the component's Oracle-dialect text,
// translates it just before it runs, and keeps literals in the forms the schema stores
// (quotes doubled, id 0 as NULL, dates as 'YYYY-MM-DD HH:MM:SS').
class SqliteDatabase final : public IDBObject {
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

  // Transactions (the XML query service maps onto these); never nested.
  void BeginTransaction();
  void CommitTransaction();
  void RollbackTransaction();
  bool InTransaction() const noexcept { return inTransaction_; }

  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override;
  void Execute(std::string_view sql) override;
  void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) override;
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override;
  Variant CallFunction(std::string_view name, std::string_view argumentText) override;
  int32_t NextSequenceNumber(std::string_view sequence) override;
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override;

  IDBLiteralPtr TextLiteral(std::string_view text) override;
  IDBLiteralPtr IdLiteral(int32_t id) override;
  IDBLiteralPtr NumberLiteral(const Variant& value, int32_t flags = 0) override;
  IDBLiteralPtr DateLiteral(Date date) override;
  IDBLiteralPtr NowLiteral() override;
  std::string ValueListText(const std::vector<Variant>& values) override;
  std::string AssignmentListText(const std::vector<Variant>& namesAndValues) override;
  std::string ValueText(const Variant& value) override;

  std::string FieldText(const Variant& value) override;
  int32_t FieldNumber(const Variant& value) override;
  int32_t FieldNumberOr(const Variant& value, int32_t defaultValue) override;
  Date FieldDate(const Variant& value) override;
  bool FieldFlag(const Variant& value) override;

  int32_t ColumnWidth(std::string_view table, std::string_view column) override;
  bool TableExists(std::string_view table) override;
  bool ColumnExists(std::string_view table, std::string_view column) override;

  SlotRun NextHourRun(int32_t start, const IHourSelection& selection, bool selected = true) override;
  SlotRun NextSecondRun(int32_t start, const IHourSelection& selection, bool selected = true) override;
  SlotRun SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                           int32_t lastSeconds) override;

  bool AlwaysReload() override { return options_.alwaysReload; }

  // Test only, so that a test can show a write leaves nothing half-done whichever step fails:
  // the n-th call from now (1-based) that reaches the database throws error instead of running.
  // Counted are what a server would see: statements and row sets, routines, sequence numbers,
  // and the begin and commit of a transaction; not a rollback, which must stay able to clean up.
  // Fires once; n 0 disarms.
  void FailOnCall(size_t n, AutomationError error);
  bool FailureArmed() const noexcept { return armed_.has_value(); }

  // Runs a stored routine inside the current transaction (used by procedure calls too).
  Variant RunRoutine(std::string_view name, const std::vector<Variant>& args, std::vector<Variant>* outputs);

  // Literal text helpers shared with the procedure call.
  static std::string QuoteText(std::string_view text);
  static std::string DateText(Date date);

 private:
  // Traces, translates and prepares one statement; failures name SQLite's message and the
  // statement. Text after the statement other than blanks, ';' and comments is an error.
  sqlite3_stmt* Prepare(std::string_view sql);
  void CheckSchemaVersion(const std::string& path);
  void PrepareForWriters(const std::string& path);
  // Where every counted call passes; one test of an empty optional while nothing is armed.
  void CountCall() {
    if (armed_) [[unlikely]]
      FireArmedFailure();
  }
  void FireArmedFailure();

  std::shared_ptr<SqliteConnection> conn_;
  SqliteDatabaseOptions options_;
  bool inTransaction_ = false;
  std::unordered_map<std::string, std::string> translations_;
  struct ArmedFailure {
    size_t callsLeft;
    AutomationError error;
  };
  std::optional<ArmedFailure> armed_;
};

}  // namespace ridirodev::standalone
