#include "testing/scripted_database.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

namespace ridirodev::testing {
namespace {

constexpr const char* kRsSource = "ScriptedRecordset";
constexpr const char* kKindNames[] = {"open",  "execute", "procedure", "query-value", "call-function",
                                      "sequence", "begin", "commit",   "rollback",    "run-query"};

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& part : parts) out += (out.empty() ? "" : ", ") + part;
  return out;
}

bool ContainsNoCase(std::string_view text, std::string_view fragment) {
  return ToLower(text).find(ToLower(fragment)) != std::string::npos;
}

}  // namespace

// ---- DbJournal ----

void DbJournal::Record(DbCall call) {
  calls_.push_back(std::move(call));
  const size_t position = calls_.size();
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->applies(position, calls_.back())) {
      AutomationError error = std::move(it->error);
      failures_.erase(it);
      throw error;
    }
  }
}

std::vector<std::string> DbJournal::Lines() const {
  std::vector<std::string> out;
  for (const auto& call : calls_) {
    std::string line = kKindNames[static_cast<size_t>(call.kind)];
    if (!call.text.empty()) line += " " + call.text;
    if (!call.params.empty()) line += "(" + Join(call.params) + ")";
    out.push_back(std::move(line));
  }
  return out;
}

std::vector<std::string> DbJournal::Texts(DbCallKind kind) const {
  std::vector<std::string> out;
  for (const auto& call : calls_)
    if (call.kind == kind) out.push_back(call.text);
  return out;
}

void DbJournal::FailOnCall(size_t n, AutomationError error) {
  failures_.push_back({[n](size_t position, const DbCall&) { return position == n; }, std::move(error)});
}

void DbJournal::FailOnText(std::string fragment, AutomationError error) {
  failures_.push_back({[fragment = std::move(fragment)](size_t, const DbCall& call) {
                         return ContainsNoCase(call.text, fragment);
                       },
                       std::move(error)});
}

// ---- ScriptedRecordset ----

ScriptedRecordset::ScriptedRecordset(ScriptedRows rows)
    : columns_(std::move(rows.columns)), rows_(std::move(rows.rows)) {
  for (size_t i = 0; i < rows_.size(); ++i) {
    // A test that scripts a ragged table has a bug of its own: say so at once.
    if (rows_[i].size() != columns_.size()) throw std::invalid_argument("scripted row width differs from its columns");
    visible_.push_back(i);
  }
}

const ScriptedRecordset& ScriptedRecordset::Open() const {
  if (closed_) throw AutomationError(RecordsetError::kClosed, kRsSource, "Operation is not allowed when the object is closed");
  return *this;
}

std::string ScriptedRecordset::Name(int32_t index) const {
  if (index < 0 || index >= Count())
    throw AutomationError(ErrorNumber::kItemNotFound, kRsSource, "Item cannot be found in the collection");
  return columns_[static_cast<size_t>(index)];
}

size_t ScriptedRecordset::ColumnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (EqualsNoCase(columns_[i], name)) return i;
  throw AutomationError(ErrorNumber::kItemNotFound, kRsSource,
                        "Item cannot be found in the collection: " + std::string(name));
}

const std::vector<Variant>& ScriptedRecordset::CurrentRow() const {
  if (Eof()) throw AutomationError(RecordsetError::kNoCurrentRecord, kRsSource, "Either BOF or EOF is True");
  return rows_[visible_[position_]];
}

bool ScriptedRecordset::Has(std::string_view name) const {
  return std::any_of(Open().columns_.begin(), columns_.end(), [&](const std::string& c) { return EqualsNoCase(c, name); });
}

void ScriptedRecordset::SetFilter(std::string_view criteria) {
  Open();
  clauses_ = ParseFilter(criteria);  // a bad text leaves the old filter in place
  filter_ = std::string(criteria);
  visible_.clear();
  for (size_t i = 0; i < rows_.size(); ++i)
    if (Matches(rows_[i])) visible_.push_back(i);
  position_ = 0;
}

std::vector<ScriptedRecordset::Clause> ScriptedRecordset::ParseFilter(std::string_view text) const {
  const AutomationError bad(RecordsetError::kBadArguments, kRsSource, "Filter cannot be read: " + std::string(text));
  std::vector<Clause> clauses;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  auto isWordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; };
  skipBlanks();
  if (i == text.size()) return clauses;
  for (;;) {
    const size_t nameStart = i;
    while (i < text.size() && isWordChar(text[i])) ++i;
    if (i == nameStart) throw bad;
    const size_t column = ColumnIndex(text.substr(nameStart, i - nameStart));
    skipBlanks();
    std::string op;
    while (i < text.size() && (text[i] == '=' || text[i] == '<' || text[i] == '>')) op += text[i++];
    if (op != "=" && op != "<>") throw bad;
    skipBlanks();
    Variant value;
    if (i < text.size() && text[i] == '\'') {
      std::string s;
      for (++i;; ++i) {
        if (i >= text.size()) throw bad;
        if (text[i] == '\'' && (++i >= text.size() || text[i] != '\'')) break;  // '' is one quote
        s += text[i];
      }
      value = Variant(std::move(s));
    } else {
      const size_t start = i;
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
      double number = 0;
      if (!Variant::ParseNumber(text.substr(start, i - start), number)) throw bad;
      value = Variant(number);
    }
    clauses.push_back(Clause{column, op == "<>", std::move(value)});
    skipBlanks();
    if (i == text.size()) return clauses;
    if (i + 3 >= text.size() || !EqualsNoCase(text.substr(i, 3), "and") || (text[i + 3] != ' ' && text[i + 3] != '\t'))
      throw bad;
    i += 3;
    skipBlanks();
  }
}

bool ScriptedRecordset::Matches(const std::vector<Variant>& row) const {
  for (const auto& clause : clauses_) {
    const Variant& cell = row[clause.column];
    if (cell.IsNull() || cell.IsMissing()) return false;
    const bool text = clause.value.IsString();
    if (!text && (!cell.IsNumeric() || cell.IsEmpty())) return false;  // a number matches numbers only
    const bool equal = text ? EqualsNoCase(cell.ToString(), clause.value.StringRef())
                            : cell.ToDouble() == clause.value.ToDouble();
    if (equal == clause.notEqual) return false;
  }
  return true;
}

// ---- ScriptedDatabase ----

StatementMatcher TextContains(std::string fragment) {
  return [fragment = std::move(fragment)](std::string_view sql) { return ContainsNoCase(sql, fragment); };
}

void ScriptedDatabase::AddRows(std::string sql, ScriptedRows rows) {
  exact_[std::move(sql)].rows.push_back(std::move(rows));
}

void ScriptedDatabase::AddRows(StatementMatcher matcher, ScriptedRows rows) {
  matched_.emplace_back(std::move(matcher), Responses{{std::move(rows)}, 0});
}

const ScriptedRows* ScriptedDatabase::FindRows(std::string_view sql) {
  Responses* responses = nullptr;
  if (auto found = exact_.find(std::string(sql)); found != exact_.end()) responses = &found->second;
  for (auto it = matched_.begin(); !responses && it != matched_.end(); ++it)
    if (it->first(sql)) responses = &it->second;
  if (!responses) return nullptr;
  return &responses->rows[std::min(responses->next++, responses->rows.size() - 1)];
}

void ScriptedDatabase::AddTable(std::string table, const std::vector<std::string>& columns) {
  auto& known = tables_[std::move(table)];
  for (const auto& column : columns) known.try_emplace(column, 0);
}

IDBRecordsetPtr ScriptedDatabase::OpenRecordset(std::string_view sql, int32_t) {
  Record(DbCallKind::kOpen, sql);
  const ScriptedRows* rows = FindRows(sql);
  if (rows && rows->nothing) return nullptr;
  auto recordset = std::make_shared<ScriptedRecordset>(rows ? *rows : ScriptedRows{});
  opened_.push_back(recordset);
  return recordset;
}

void ScriptedDatabase::ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) {
  std::vector<std::string> params;
  for (const auto& v : values) params.push_back(ValueText(v));
  Record(DbCallKind::kProcedure, name, std::move(params));
}

Variant ScriptedDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  Record(DbCallKind::kQueryValue, sql);
  const ScriptedRows* rows = FindRows(sql);
  if (!rows || rows->rows.empty() || rows->rows.front().empty()) return defaultValue;
  return rows->rows.front().front();
}

Variant ScriptedDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  Record(DbCallKind::kCallFunction, name, {std::string(argumentText)});
  auto found = functions_.find(std::string(name));
  return found == functions_.end() ? Variant() : found->second;
}

int32_t ScriptedDatabase::NextSequenceNumber(std::string_view sequence) {
  Record(DbCallKind::kSequence, sequence);
  return sequences_.try_emplace(std::string(sequence), 1).first->second++;
}

IDBLiteralPtr ScriptedDatabase::SequenceLiteral(std::string_view sequence) {
  return std::make_shared<DBLiteral>(std::string(sequence) + ".NEXTVAL");
}
const int32_t* ScriptedDatabase::FindColumn(std::string_view table, std::string_view column) const {
  auto t = tables_.find(table);
  if (t == tables_.end()) return nullptr;
  auto c = t->second.find(column);
  return c == t->second.end() ? nullptr : &c->second;
}

}  // namespace ridirodev::testing
