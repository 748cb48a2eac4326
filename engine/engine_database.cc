#include "engine/engine_database.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::engine {

namespace {

bool IsPlainName(std::string_view name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// One prepared insert, run at each EndRow.
class PreparedBulkInsert final : public CountedBulkInsert {
 public:
  PreparedBulkInsert(EngineDatabase& db, std::string_view table, const std::vector<std::string_view>& columns)
      : CountedBulkInsert(db.Source(), table, columns) {
    std::string sql = "INSERT INTO " + Target() + " VALUES (";
    for (size_t i = 1; i <= ColumnCount(); ++i) sql += (i > 1 ? ", ?" : "?") + std::to_string(i);
    stmt_ = db.Prepare(sql + ")");
  }
  BulkInsert& Int(int64_t value) override {
    stmt_->BindInt(Position(), value);
    return *this;
  }
  BulkInsert& Text(std::string_view value) override {
    stmt_->BindText(Position(), value);
    return *this;
  }
  BulkInsert& Null() override {
    stmt_->BindNull(Position());
    return *this;
  }
  void EndRow() override {
    CloseRow();
    while (stmt_->Step()) {
    }
    stmt_->Reset();
  }
  void Flush() override {}

 private:
  int Position() { return static_cast<int>(NextValue()) + 1; }

  std::unique_ptr<HostStatement> stmt_;
};

}  // namespace

CountedBulkInsert::CountedBulkInsert(std::string source, std::string_view table,
                                     const std::vector<std::string_view>& columns)
    : source_(std::move(source)), columns_(columns.size()) {
  if (!IsPlainName(table)) Fail("Not a table name: " + std::string(table));
  if (columns.empty()) Fail("No columns to insert into " + std::string(table));
  target_ = std::string(table) + " (";
  for (std::string_view column : columns) {
    if (!IsPlainName(column)) Fail("Not a column name: " + std::string(column));
    if (target_.back() != '(') target_ += ", ";
    target_ += column;
  }
  target_ += ")";
}

size_t CountedBulkInsert::NextValue() {
  if (filled_ == columns_) Fail("More values than columns in a row for " + target_);
  return filled_++;
}

void CountedBulkInsert::CloseRow() {
  if (filled_ != columns_) Fail("Fewer values than columns in a row for " + target_);
  filled_ = 0;
}

void CountedBulkInsert::Fail(const std::string& why) const {
  throw AutomationError(kDatabaseError, source_, why);
}

std::unique_ptr<BulkInsert> EngineDatabase::InsertInBulk(std::string_view table,
                                                         const std::vector<std::string_view>& columns) {
  return std::make_unique<PreparedBulkInsert>(*this, table, columns);
}

Variant EngineDatabase::RunRoutine(std::string_view name, const std::vector<Variant>& args,
                                   std::vector<Variant>* outputs) {
  if (!routines_) {
    throw AutomationError(kDatabaseError, Source(), "No stored routines are installed: " + std::string(name));
  }
  return routines_(*this, name, args, outputs);
}

}  // namespace ridirodev::engine
