#include "postgres/pg_recordset.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dialect/row_filter.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::postgres {
namespace {

// The data library's number for reading or moving past the last row.
constexpr int32_t kNoCurrentRow = 3021;

// Type oids of the server's built-in types (pg_type.dat); they never change.
enum class Kind : char { kText, kInteger, kNumber, kDate, kBoolean };

Kind KindOf(Oid type) {
  switch (type) {
    case 20:  // int8
    case 21:  // int2
    case 23:  // int4
    case 26:  // oid
      return Kind::kInteger;
    case 700:   // float4
    case 701:   // float8
    case 1700:  // numeric
      return Kind::kNumber;
    case 1082:  // date
    case 1114:  // timestamp
      return Kind::kDate;
    case 16:  // bool
      return Kind::kBoolean;
    default:
      return Kind::kText;
  }
}

std::optional<int64_t> ParseInteger(std::string_view s) {
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// Integers that fit are 32-bit integers, as the file database hands them out; so is a numeric
// result that is a whole number (the server's SUM of bigints is numeric).
Variant NumberValue(std::string_view s) {
  if (auto v = ParseInteger(s); v && *v >= INT32_MIN && *v <= INT32_MAX)
    return Variant(static_cast<int32_t>(*v));
  double d = 0;
  if (Variant::ParseNumber(s, d)) return Variant(d);
  return Variant(s);
}

Variant CellValue(std::string_view s, Kind kind) {
  switch (kind) {
    case Kind::kInteger:
    case Kind::kNumber:
      return NumberValue(s);
    case Kind::kDate:
      if (auto d = Date::FromIso(s)) return Variant(*d);
      return Variant(s);
    case Kind::kBoolean:
      return Variant(s == "t");
    case Kind::kText:
      break;
  }
  return Variant(s);
}

[[noreturn]] void NoItem(std::string_view name = {}) {
  throw AutomationError(
      ErrorNumber::kItemNotFound, std::string(kSource),
      "Item cannot be found in the collection corresponding to the requested name or ordinal" +
          (name.empty() ? std::string(".") : ": " + std::string(name)));
}

class PgRecordset final : public IDBRecordset, private IDBFields {
 public:
  explicit PgRecordset(PgResult result) : result_(std::move(result)) {
    const int n = PQnfields(result_.get());
    names_.reserve(static_cast<size_t>(n));
    kinds_.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      names_.emplace_back(PQfname(result_.get(), i));
      index_.emplace(names_.back(), i);  // the first of duplicate names wins
      kinds_.push_back(KindOf(PQftype(result_.get(), i)));
    }
    rows_ = PQntuples(result_.get());
  }

  bool Bof() const override { return Visible() == 0; }
  bool Eof() const override { return pos_ >= Visible(); }
  const IDBFields& Fields() const override { return *this; }

  void SetFilter(std::string_view criteria) override {
    const std::vector<dialect::FilterTerm> terms = dialect::ParseRowFilter(criteria, kSource);
    std::vector<std::pair<size_t, int>> resolved;  // term, column
    for (size_t t = 0; t < terms.size(); ++t) resolved.emplace_back(t, ColumnIndex(terms[t].column));
    std::vector<int> visible;
    for (int r = 0; r < rows_; ++r) {
      bool ok = true;
      for (auto [t, c] : resolved) ok = ok && dialect::FilterMatches(Cell(r, c), terms[t]);
      if (ok) visible.push_back(r);
    }
    filtered_ = !criteria.empty();
    visible_ = std::move(visible);
    filter_ = std::string(criteria);
    pos_ = 0;
  }
  std::string Filter() const override { return filter_; }
  void MoveFirst() override { pos_ = 0; }
  void MoveNext() override {
    if (Eof())
      throw AutomationError(kNoCurrentRow, std::string(kSource),
                            "Either BOF or EOF is True, or the current record has been deleted.");
    ++pos_;
  }
  void Close() override {
    result_.reset();
    rows_ = 0;
    visible_.clear();
    filtered_ = true;
    pos_ = 0;
  }
  int32_t RecordCount() const override { return static_cast<int32_t>(Visible()); }

 private:
  size_t Visible() const { return filtered_ ? visible_.size() : static_cast<size_t>(rows_); }

  int32_t Count() const override { return static_cast<int32_t>(names_.size()); }
  std::string Name(int32_t index) const override {
    if (index < 0 || index >= Count()) NoItem();
    return names_[static_cast<size_t>(index)];
  }
  bool Has(std::string_view name) const override { return index_.find(name) != index_.end(); }
  Variant Value(std::string_view name) const override { return Current(ColumnIndex(name)); }
  Variant Value(int32_t index) const override {
    if (index < 0 || index >= Count()) NoItem();
    return Current(index);
  }
  // Text columns straight from the result; the rest as Value and the database object convert them.
  std::string Text(int32_t index, IDBObject& db) const override {
    if (index >= 0 && index < Count() && kinds_[static_cast<size_t>(index)] == Kind::kText && !Eof()) {
      const int row = Row();
      return PQgetisnull(result_.get(), row, index)
                 ? std::string()
                 : std::string(PQgetvalue(result_.get(), row, index),
                               static_cast<size_t>(PQgetlength(result_.get(), row, index)));
    }
    return IDBFields::Text(index, db);
  }
  int32_t NumberOr(int32_t index, IDBObject& db, int32_t defaultValue) const override {
    if (index >= 0 && index < Count() && kinds_[static_cast<size_t>(index)] == Kind::kInteger && !Eof()) {
      const int row = Row();
      if (PQgetisnull(result_.get(), row, index)) return defaultValue;
      if (auto v = ParseInteger(PQgetvalue(result_.get(), row, index));
          v && *v >= INT32_MIN && *v <= INT32_MAX) {
        return static_cast<int32_t>(*v);
      }
    }
    return IDBFields::NumberOr(index, db, defaultValue);
  }

  int ColumnIndex(std::string_view name) const {
    auto found = index_.find(name);
    if (found == index_.end()) NoItem(name);
    return found->second;
  }
  int Row() const { return filtered_ ? visible_[pos_] : static_cast<int>(pos_); }
  Variant Current(int column) const {
    if (Eof())
      throw AutomationError(kNoCurrentRow, std::string(kSource),
                            "Either BOF or EOF is True, or the current record has been deleted.");
    return Cell(Row(), column);
  }
  Variant Cell(int row, int column) const {
    if (PQgetisnull(result_.get(), row, column)) return Variant::Null();
    const std::string_view text(PQgetvalue(result_.get(), row, column),
                                static_cast<size_t>(PQgetlength(result_.get(), row, column)));
    return CellValue(text, kinds_[static_cast<size_t>(column)]);
  }

  PgResult result_;
  std::vector<std::string> names_;
  std::vector<Kind> kinds_;
  std::unordered_map<std::string, int, NoCaseHash, NoCaseEqual> index_;
  int rows_ = 0;
  bool filtered_ = false;
  std::vector<int> visible_;
  size_t pos_ = 0;
  std::string filter_;
};

}  // namespace

IDBRecordsetPtr OpenPgRecordset(PgResult result) { return std::make_shared<PgRecordset>(std::move(result)); }

}  // namespace ridirodev::postgres
