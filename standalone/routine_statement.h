#pragma once

// What the stored routines and the calculation translator run their SQL through: prepared
// statements and savepoints that report failures as the routine that runs them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace ridirodev::standalone {

// AutomationError with number kDatabaseError and the routine's name as source.
[[noreturn]] void FailRoutine(std::string_view source, std::string description);

// value as a 32-bit integer; a failure of source when it does not fit.
int32_t RoutineInt32(int64_t value, std::string_view source);

class RoutineStatement {
 public:
  RoutineStatement(sqlite3* db, std::string_view sql, std::string_view source);
  ~RoutineStatement();
  RoutineStatement(const RoutineStatement&) = delete;
  RoutineStatement& operator=(const RoutineStatement&) = delete;

  RoutineStatement& Reset();
  RoutineStatement& Bind(int index, int64_t value);
  RoutineStatement& Bind(int index, std::string_view value);
  RoutineStatement& Bind(int index, const std::optional<std::string>& value) {
    return value ? Bind(index, std::string_view(*value)) : BindNull(index);
  }
  RoutineStatement& Bind(int index, std::optional<int32_t> value) {
    return value ? Bind(index, int64_t{*value}) : BindNull(index);
  }
  RoutineStatement& BindNull(int index);

  // True while there is a row.
  bool Step();
  void Run();

  bool IsNull(int column) const;
  int64_t Int(int column) const;
  std::string Text(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string source_;
};

// Makes a routine all-or-nothing inside whatever transaction the caller has open (or none).
// Without one it opens its own and takes the write lock at once: a savepoint would start a
// deferred transaction whose first read holds a shared lock, and the write after it could then
// not wait for another writer; SQLite answers "database is locked" at once instead.
class RoutineSavepoint {
 public:
  RoutineSavepoint(sqlite3* db, std::string_view source);
  ~RoutineSavepoint();
  RoutineSavepoint(const RoutineSavepoint&) = delete;
  RoutineSavepoint& operator=(const RoutineSavepoint&) = delete;
  void Release(std::string_view source);

 private:
  sqlite3* db_;
  bool own_;
  bool released_ = false;
};

}  // namespace ridirodev::standalone
