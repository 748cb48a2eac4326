#include "standalone/routine_statement.h"

#include <limits>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database_base.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSavepoint = "SAVEPOINT ridirodev_routine";

// Runs a step of the engine, reporting its failure as the routine's.
template <class F>
auto AsRoutine(std::string_view source, F&& step) {
  try {
    return step();
  } catch (const AutomationError& e) {
    FailRoutine(source, e.Description());
  }
}

}  // namespace

void FailRoutine(std::string_view source, std::string description) {
  throw AutomationError(engine::kDatabaseError, std::string(source), std::move(description));
}

int32_t RoutineInt32(int64_t value, std::string_view source) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    FailRoutine(source, "Number out of range: " + std::to_string(value));
  }
  return static_cast<int32_t>(value);
}

// DateText is the quoted literal; a bound value is the text inside the quotes.
std::string RoutineNow() {
  const std::string quoted = DatabaseBase::DateText(Date::Now());
  return quoted.substr(1, quoted.size() - 2);
}

RoutineStatement::RoutineStatement(engine::EngineDatabase& db, std::string_view sql, std::string_view source)
    : stmt_(AsRoutine(source, [&] { return db.Prepare(sql); })), source_(source) {}

RoutineStatement& RoutineStatement::Reset() {
  stmt_->Reset();
  return *this;
}

RoutineStatement& RoutineStatement::Bind(int index, int64_t value) {
  stmt_->BindInt(index, value);
  return *this;
}

RoutineStatement& RoutineStatement::Bind(int index, std::string_view value) {
  stmt_->BindText(index, value);
  return *this;
}

RoutineStatement& RoutineStatement::BindNull(int index) {
  stmt_->BindNull(index);
  return *this;
}

bool RoutineStatement::Step() {
  return AsRoutine(source_, [&] { return stmt_->Step(); });
}

void RoutineStatement::Run() {
  while (Step()) {
  }
  stmt_->Reset();
}

RoutineSavepoint::RoutineSavepoint(engine::EngineDatabase& db, std::string_view source)
    : db_(db), own_(!db.InAnyTransaction()) {
  AsRoutine(source, [&] { own_ ? db_.BeginTransaction() : db_.RunScript(kSavepoint); });
}

RoutineSavepoint::~RoutineSavepoint() {
  if (released_) return;
  try {
    if (own_) {
      db_.RollbackTransaction();
    } else if (db_.InAnyTransaction()) {
      db_.RunScript("ROLLBACK TO ridirodev_routine; RELEASE ridirodev_routine");
    }
  } catch (const AutomationError&) {  // the routine's own error is the one to report
  }
}

void RoutineSavepoint::Release(std::string_view source) {
  AsRoutine(source, [&] { own_ ? db_.CommitTransaction() : db_.RunScript("RELEASE ridirodev_routine"); });
  released_ = true;
}

}  // namespace ridirodev::standalone
