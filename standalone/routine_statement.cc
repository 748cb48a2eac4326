#include "standalone/routine_statement.h"

#include <sqlite3.h>

#include <limits>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

void Exec(sqlite3* db, const char* sql, std::string_view source) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string why = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    FailRoutine(source, why);
  }
}

}  // namespace

void FailRoutine(std::string_view source, std::string description) {
  throw AutomationError(kDatabaseError, std::string(source), std::move(description));
}

int32_t RoutineInt32(int64_t value, std::string_view source) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    FailRoutine(source, "Number out of range: " + std::to_string(value));
  }
  return static_cast<int32_t>(value);
}

RoutineStatement::RoutineStatement(sqlite3* db, std::string_view sql, std::string_view source)
    : db_(db), source_(source) {
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                         nullptr) != SQLITE_OK) {
    const std::string why = sqlite3_errmsg(db);
    sqlite3_finalize(stmt_);
    FailRoutine(source_, why + " in: " + std::string(sql));
  }
}

RoutineStatement::~RoutineStatement() { sqlite3_finalize(stmt_); }

RoutineStatement& RoutineStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  return *this;
}

RoutineStatement& RoutineStatement::Bind(int index, int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

RoutineStatement& RoutineStatement::Bind(int index, std::string_view value) {
  sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

RoutineStatement& RoutineStatement::BindNull(int index) {
  sqlite3_bind_null(stmt_, index);
  return *this;
}

bool RoutineStatement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  const std::string why = sqlite3_errmsg(db_);
  sqlite3_reset(stmt_);
  FailRoutine(source_, why);
}

void RoutineStatement::Run() {
  while (Step()) {
  }
  sqlite3_reset(stmt_);
}

bool RoutineStatement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

int64_t RoutineStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string RoutineStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

RoutineSavepoint::RoutineSavepoint(sqlite3* db, std::string_view source)
    : db_(db), own_(sqlite3_get_autocommit(db) != 0) {
  Exec(db, own_ ? "BEGIN IMMEDIATE" : "SAVEPOINT ridirodev_routine", source);
}

RoutineSavepoint::~RoutineSavepoint() {
  if (released_) return;
  // SQLite may have rolled the transaction back already.
  if (own_ && !sqlite3_get_autocommit(db_)) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  } else if (!own_) {
    sqlite3_exec(db_, "ROLLBACK TO ridirodev_routine; RELEASE ridirodev_routine", nullptr, nullptr, nullptr);
  }
}

void RoutineSavepoint::Release(std::string_view source) {
  Exec(db_, own_ ? "COMMIT" : "RELEASE ridirodev_routine", source);
  released_ = true;
}

}  // namespace ridirodev::standalone
