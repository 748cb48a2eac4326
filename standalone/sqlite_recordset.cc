#include "standalone/sqlite_recordset.h"

#include <sqlite3.h>

#include <exception>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dialect/row_filter.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSource = "SqliteDatabase";
// The data library's number for reading or moving past the last row.
constexpr int32_t kNoCurrentRow = 3021;

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
    const std::vector<dialect::FilterTerm> terms = dialect::ParseRowFilter(criteria, kSource);
    std::vector<std::pair<size_t, size_t>> resolved;  // term, column
    for (size_t t = 0; t < terms.size(); ++t) resolved.emplace_back(t, ColumnIndex(terms[t].column));
    visible_.clear();
    for (size_t r = 0; r < rows_.size(); ++r) {
      bool ok = true;
      for (auto [t, c] : resolved) ok = ok && dialect::FilterMatches(rows_[r][c], terms[t]);
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

}  // namespace

IDBRecordsetPtr OpenSqliteRecordset(std::shared_ptr<SqliteConnection> conn, sqlite3_stmt* stmt, std::string sql) {
  return std::make_shared<SqliteRecordset>(std::move(conn), stmt, std::move(sql));
}

}  // namespace ridirodev::standalone
