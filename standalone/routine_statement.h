#pragma once
// What the stored routines and the calculation translator run their SQL through: host-side
// statements of the engine under the dictionary, and savepoints, that report failures as the
// routine that runs them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/engine_database.h"

namespace ridirodev::standalone {

// AutomationError with number kDatabaseError and the routine's name as source.
[[noreturn]] void FailRoutine(std::string_view source, std::string description);

// value as a 32-bit integer; a failure of source when it does not fit.
int32_t RoutineInt32(int64_t value, std::string_view source);

// The current local time as the schema stores dates ('YYYY-MM-DD HH:MM:SS'), bound into host
// statements so that every engine writes the same text.
std::string RoutineNow();

class RoutineStatement {
 public:
  RoutineStatement(engine::EngineDatabase& db, std::string_view sql, std::string_view source);

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
  bool IsNull(int column) const { return stmt_->IsNull(column); }
  int64_t Int(int column) const { return stmt_->Int(column); }
  std::string Text(int column) const { return stmt_->Text(column); }

 private:
  std::unique_ptr<engine::HostStatement> stmt_;
  std::string source_;
};

// Makes a routine all-or-nothing inside whatever transaction the caller has open (a savepoint),
// or in a transaction of its own that takes the write lock at once.
class RoutineSavepoint {
 public:
  RoutineSavepoint(engine::EngineDatabase& db, std::string_view source);
  ~RoutineSavepoint();
  RoutineSavepoint(const RoutineSavepoint&) = delete;
  RoutineSavepoint& operator=(const RoutineSavepoint&) = delete;
  void Release(std::string_view source);

 private:
  engine::EngineDatabase& db_;
  bool own_;
  bool released_ = false;
};

}  // namespace ridirodev::standalone
