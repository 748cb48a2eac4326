#pragma once
// What the standalone host's own services (stored routines, folder services, the schema and
// the sample) need of the engine under the dictionary, so that they run unchanged on the
// embedded file and on a shared server.
//
// Host-side statements are written once for every engine: parameters are ?1, ?2...; text
// comparisons without regard to case say COLLATE NOCASE; COALESCE, RETURNING and
// ON CONFLICT ... DO UPDATE are common ground; the current time is bound as a parameter rather
// than asked of the engine.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/database_base.h"

namespace ridirodev::engine {

// Error number of a statement the engine rejects (the number the host's database library gives
// for errors in a command).
inline constexpr int32_t kDatabaseError = -2147217900;

// One host-side statement; rows are read by column position from 0.
class HostStatement {
 public:
  virtual ~HostStatement() = default;
  virtual void BindInt(int index, int64_t value) = 0;
  virtual void BindText(int index, std::string_view value) = 0;
  virtual void BindNull(int index) = 0;
  // Runs the statement on the first call; true while there is a row. Throws AutomationError
  // with the engine's message.
  virtual bool Step() = 0;
  // Back to before the first step; the bindings are cleared.
  virtual void Reset() = 0;
  virtual int ColumnCount() const = 0;
  virtual bool IsNull(int column) const = 0;
  virtual int64_t Int(int column) const = 0;
  virtual std::string Text(int column) const = 0;
};

// Rows added to one table in bulk: where the engine can, they travel together (COPY on the
// server) instead of as a statement each. Values go column by column, in the order the columns
// were named, and EndRow closes each row. A row reaches the table at EndRow or at the latest at
// the next Flush; rows not yet flushed when the object goes are dropped. A failure (a duplicate
// key, say) may surface at Flush and leaves the transaction to be rolled back.
class BulkInsert {
 public:
  virtual ~BulkInsert() = default;
  virtual BulkInsert& Int(int64_t value) = 0;
  virtual BulkInsert& Text(std::string_view value) = 0;
  virtual BulkInsert& Null() = 0;
  // Throws AutomationError when the row holds fewer or more values than there are columns.
  virtual void EndRow() = 0;
  virtual void Flush() = 0;
};

// What every engine's bulk insert shares: the names checked and the values of each row counted.
class CountedBulkInsert : public BulkInsert {
 protected:
  CountedBulkInsert(std::string source, std::string_view table, const std::vector<std::string_view>& columns);
  // "table (column, column)".
  const std::string& Target() const noexcept { return target_; }
  size_t ColumnCount() const noexcept { return columns_; }
  // Position of the next value in its row; throws when the row is already full.
  size_t NextValue();
  // Throws unless the row is full; then starts the next one.
  void CloseRow();
  [[noreturn]] void Fail(const std::string& why) const;

 private:
  std::string source_;
  std::string target_;
  size_t columns_;
  size_t filled_ = 0;
};

class EngineDatabase;

// Runs one of the server's routines by name inside the current transaction; outputs, when
// given, receive the output parameters by position.
using RoutineRunner = std::function<Variant(EngineDatabase& db, std::string_view name,
                                            const std::vector<Variant>& args, std::vector<Variant>* outputs)>;

// The database object of a real engine: the component's statements, transactions that nest as
// savepoints, the host's own statements, and the stored routines the host installs.
class EngineDatabase : public DatabaseBase {
 public:
  using DatabaseBase::Source;  // the name its errors carry
  // "SQLite", "PostgreSQL".
  virtual std::string_view EngineName() const = 0;
  // Where the dictionary is, as people may see it (never a password).
  virtual std::string Location() const = 0;
  // Rows inserted, updated or deleted by the component's statements (OpenRecordset, Execute)
  // on this connection so far (an engine may count its host-side statements too): the difference
  // of two readings is what ran between them changed.
  virtual int64_t TotalRowsChanged() const = 0;

  // Transactions (the XML query service maps onto these). One begun inside another is a
  // savepoint: its rollback undoes its own writes only. A rollback with none open does nothing;
  // a commit with none open is error 5. The outermost one takes the dictionary's write lock at
  // once, so that writers queue rather than deadlock.
  virtual void BeginTransaction() = 0;
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;
  virtual bool InTransaction() const noexcept = 0;
  // Whether the connection is inside a transaction, however it was begun.
  virtual bool InAnyTransaction() const = 0;

  // A host-side statement (see above). cached: kept prepared for the life of the connection,
  // for statements run often; a cached statement must not be prepared again while in use.
  virtual std::unique_ptr<HostStatement> Prepare(std::string_view sql, bool cached = false) = 0;
  // Host-side statements without rows or parameters, ';' between them.
  virtual void RunScript(std::string_view sql) = 0;
  // After many rows were added: the engine's planner learns the tables' new sizes.
  virtual void RefreshStatistics() {}
  // Makes a sequence go on after lastValue (0: from 1).
  virtual void SetSequence(std::string_view sequence, int64_t lastValue) = 0;
  // Rows for the named columns of table (plain names: letters, digits and '_'); by default a
  // prepared insert per row.
  virtual std::unique_ptr<BulkInsert> InsertInBulk(std::string_view table,
                                                   const std::vector<std::string_view>& columns);

  // The host's stored routines; without them a procedure call is an error.
  void SetRoutines(RoutineRunner routines) { routines_ = std::move(routines); }
  virtual Variant RunRoutine(std::string_view name, const std::vector<Variant>& args,
                             std::vector<Variant>* outputs);
  void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) override {
    RunRoutine(name, values, nullptr);
  }

 protected:
  using DatabaseBase::DatabaseBase;

 private:
  RoutineRunner routines_;
};

// Makes a piece of host work all-or-nothing inside whatever transaction the caller has open (a
// savepoint), or in a transaction of its own when none is.
class EngineTransaction {
 public:
  explicit EngineTransaction(EngineDatabase& db) : db_(db) { db_.BeginTransaction(); }
  ~EngineTransaction() {
    if (!done_) db_.RollbackTransaction();
  }
  EngineTransaction(const EngineTransaction&) = delete;
  EngineTransaction& operator=(const EngineTransaction&) = delete;
  void Commit() {
    db_.CommitTransaction();
    done_ = true;
  }

 private:
  EngineDatabase& db_;
  bool done_ = false;
};

}  // namespace ridirodev::engine
