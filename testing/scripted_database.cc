#include "testing/scripted_database.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "testing/text_util.h"

namespace ridirodev::testing {
namespace {

constexpr const char* kDbSource = "ScriptedDatabase";
constexpr const char* kRsSource = "ScriptedRecordset";
constexpr int32_t kSecondsPerDay = 86400;

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

IDBLiteralPtr Literal(std::string text) { return std::make_shared<DBLiteral>(std::move(text)); }

std::string QuoteSql(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

std::string NumberText(const Variant& value) {
  if (value.Type() == VarType::Integer) return std::to_string(value.ToInt32());
  return Variant::FormatDouble(value.ToDouble());
}

std::string DateText(Date date) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "'%04d-%02d-%02d %02d:%02d:%02d'", date.Year(), date.Month(),
                date.Day(), date.Hour(), date.Minute(), date.Second());
  return buffer;
}

bool IsNullish(const Variant& v) { return v.IsNull() || v.IsEmpty() || v.IsMissing(); }

}  // namespace

std::string_view KindName(DbCallKind kind) {
  switch (kind) {
    case DbCallKind::kOpen:
      return "open";
    case DbCallKind::kExecute:
      return "execute";
    case DbCallKind::kProcedure:
      return "procedure";
    case DbCallKind::kQueryValue:
      return "query-value";
    case DbCallKind::kCallFunction:
      return "call-function";
    case DbCallKind::kSequence:
      return "sequence";
    case DbCallKind::kBegin:
      return "begin";
    case DbCallKind::kCommit:
      return "commit";
    case DbCallKind::kRollback:
      return "rollback";
    case DbCallKind::kRunQuery:
      return "run-query";
  }
  return "?";
}

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
  out.reserve(calls_.size());
  for (const auto& call : calls_) {
    std::string line(KindName(call.kind));
    if (!call.text.empty()) line += " " + call.text;
    if (!call.params.empty()) line += "(" + Join(call.params, ", ") + ")";
    out.push_back(std::move(line));
  }
  return out;
}

std::vector<std::string> DbJournal::Texts(DbCallKind kind) const {
  std::vector<std::string> out;
  for (const auto& call : calls_) {
    if (call.kind == kind) out.push_back(call.text);
  }
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

void DbJournal::FailWhen(CallPredicate predicate, AutomationError error) {
  failures_.push_back(
      {[predicate = std::move(predicate)](size_t, const DbCall& call) { return predicate(call); },
       std::move(error)});
}

// ---- ScriptedRecordset ----

ScriptedRecordset::ScriptedRecordset(ScriptedRows rows)
    : columns_(std::move(rows.columns)), rows_(std::move(rows.rows)) {
  for (const auto& row : rows_) {
    // A test that scripts a ragged table has a bug of its own: say so at once.
    if (row.size() != columns_.size())
      throw std::invalid_argument("scripted row width differs from its columns");
  }
  visible_.resize(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) visible_[i] = i;
}

void ScriptedRecordset::CheckOpen() const {
  if (closed_)
    throw AutomationError(RecordsetError::kClosed, kRsSource,
                          "Operation is not allowed when the object is closed");
}

bool ScriptedRecordset::Bof() const {
  CheckOpen();
  return visible_.empty();  // no MovePrevious: only an empty set is before its first row
}

bool ScriptedRecordset::Eof() const {
  CheckOpen();
  return position_ >= visible_.size();
}

const IDBFields& ScriptedRecordset::Fields() const {
  CheckOpen();
  return *this;
}

void ScriptedRecordset::MoveFirst() {
  CheckOpen();
  position_ = 0;
}

void ScriptedRecordset::MoveNext() {
  if (Eof()) {
    throw AutomationError(RecordsetError::kNoCurrentRecord, kRsSource, "Either BOF or EOF is True");
  }
  ++position_;
}

void ScriptedRecordset::Close() {
  CheckOpen();
  closed_ = true;
}

int32_t ScriptedRecordset::RecordCount() const {
  CheckOpen();
  return static_cast<int32_t>(visible_.size());
}

int32_t ScriptedRecordset::Count() const {
  CheckOpen();
  return static_cast<int32_t>(columns_.size());
}

std::string ScriptedRecordset::Name(int32_t index) const {
  CheckOpen();
  if (index < 0 || static_cast<size_t>(index) >= columns_.size()) {
    throw AutomationError(ErrorNumber::kItemNotFound, kRsSource, "Item cannot be found in the collection");
  }
  return columns_[static_cast<size_t>(index)];
}

size_t ScriptedRecordset::ColumnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (EqualsNoCase(columns_[i], name)) return i;
  }
  throw AutomationError(ErrorNumber::kItemNotFound, kRsSource,
                        "Item cannot be found in the collection: " + std::string(name));
}

const std::vector<Variant>& ScriptedRecordset::CurrentRow() const {
  if (Eof()) throw AutomationError(RecordsetError::kNoCurrentRecord, kRsSource, "Either BOF or EOF is True");
  return rows_[visible_[position_]];
}

Variant ScriptedRecordset::Value(std::string_view name) const {
  CheckOpen();
  const size_t column = ColumnIndex(name);
  return CurrentRow()[column];
}

Variant ScriptedRecordset::Value(int32_t index) const {
  Name(index);  // checks the position
  return CurrentRow()[static_cast<size_t>(index)];
}

bool ScriptedRecordset::Has(std::string_view name) const {
  CheckOpen();
  return std::any_of(columns_.begin(), columns_.end(),
                     [&](const std::string& c) { return EqualsNoCase(c, name); });
}

std::string ScriptedRecordset::Filter() const {
  CheckOpen();
  return filter_;
}

void ScriptedRecordset::SetFilter(std::string_view criteria) {
  CheckOpen();
  clauses_ = ParseFilter(criteria);  // a bad text leaves the old filter in place
  filter_ = std::string(criteria);
  visible_.clear();
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (Matches(rows_[i])) visible_.push_back(i);
  }
  position_ = 0;
}

std::vector<ScriptedRecordset::Clause> ScriptedRecordset::ParseFilter(std::string_view text) const {
  auto fail = [&]() -> AutomationError {
    return AutomationError(RecordsetError::kBadArguments, kRsSource,
                           "Filter cannot be read: " + std::string(text));
  };
  std::vector<Clause> clauses;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  auto isWordChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
  };
  skipBlanks();
  if (i == text.size()) return clauses;
  while (true) {
    skipBlanks();
    const size_t nameStart = i;
    while (i < text.size() && isWordChar(text[i])) ++i;
    if (i == nameStart) throw fail();
    const size_t column = ColumnIndex(text.substr(nameStart, i - nameStart));
    skipBlanks();
    std::string op;
    while (i < text.size() && (text[i] == '=' || text[i] == '<' || text[i] == '>')) op += text[i++];
    if (op != "=" && op != "<>" && op != "<" && op != ">" && op != "<=" && op != ">=") throw fail();
    skipBlanks();
    Variant value;
    if (i < text.size() && text[i] == '\'') {
      std::string s;
      ++i;
      while (true) {
        if (i >= text.size()) throw fail();
        if (text[i] == '\'') {
          if (i + 1 < text.size() && text[i + 1] == '\'') {
            s += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += text[i++];
      }
      value = Variant(std::move(s));
    } else {
      const size_t start = i;
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
      double number = 0;
      if (!Variant::ParseNumber(text.substr(start, i - start), number)) throw fail();
      value = Variant(number);
    }
    clauses.push_back(Clause{column, op, std::move(value)});
    skipBlanks();
    if (i == text.size()) break;
    if (i + 3 < text.size() && EqualsNoCase(text.substr(i, 3), "and") &&
        (text[i + 3] == ' ' || text[i + 3] == '\t')) {
      i += 3;
      continue;
    }
    throw fail();
  }
  return clauses;
}

bool ScriptedRecordset::Matches(const std::vector<Variant>& row) const {
  for (const auto& clause : clauses_) {
    const Variant& cell = row[clause.column];
    if (cell.IsNull() || cell.IsMissing()) return false;
    int order = 0;
    if (clause.value.IsString()) {
      order = CompareNoCase(cell.ToString(), clause.value.StringRef());
    } else {
      if (!cell.IsNumeric() || cell.IsEmpty()) return false;
      const double a = cell.ToDouble();
      const double b = clause.value.ToDouble();
      order = a < b ? -1 : (a > b ? 1 : 0);
    }
    const std::string& op = clause.op;
    const bool ok = op == "="    ? order == 0
                    : op == "<>" ? order != 0
                    : op == "<"  ? order < 0
                    : op == ">"  ? order > 0
                    : op == "<=" ? order <= 0
                                 : order >= 0;
    if (!ok) return false;
  }
  return true;
}

// ---- ScriptedDatabase ----

StatementMatcher TextContains(std::string fragment) {
  return [fragment = std::move(fragment)](std::string_view sql) { return ContainsNoCase(sql, fragment); };
}

ScriptedDatabase::ScriptedDatabase() : journal_(std::make_shared<DbJournal>()) {}
ScriptedDatabase::ScriptedDatabase(DbJournalPtr journal) : journal_(std::move(journal)) {}

const ScriptedRows& ScriptedDatabase::Responses::Take() {
  const size_t index = std::min(next, rows.size() - 1);
  ++next;
  return rows[index];
}

void ScriptedDatabase::AddRows(std::string sql, ScriptedRows rows) {
  exact_[std::move(sql)].rows.push_back(std::move(rows));
}

void ScriptedDatabase::AddRows(StatementMatcher matcher, ScriptedRows rows) {
  Responses responses;
  responses.rows.push_back(std::move(rows));
  matched_.emplace_back(std::move(matcher), std::move(responses));
}

const ScriptedRows* ScriptedDatabase::FindRows(std::string_view sql) {
  if (auto found = exact_.find(std::string(sql)); found != exact_.end()) return &found->second.Take();
  for (auto& [matcher, responses] : matched_) {
    if (matcher(sql)) return &responses.Take();
  }
  return nullptr;
}

void ScriptedDatabase::SetFunction(std::string name, std::function<Variant(std::string_view)> fn) {
  functions_[std::move(name)] = std::move(fn);
}

void ScriptedDatabase::SetFunctionValue(std::string name, Variant value) {
  SetFunction(std::move(name), [value = std::move(value)](std::string_view) { return value; });
}

void ScriptedDatabase::SetRoutineResult(std::string name, Variant value) {
  routines_[std::move(name)].result = std::move(value);
}

void ScriptedDatabase::SetRoutineOutput(std::string name, int32_t position, Variant value) {
  routines_[std::move(name)].outputs[position] = std::move(value);
}

void ScriptedDatabase::AddTable(std::string table, const std::vector<std::string>& columns) {
  auto& known = tables_[std::move(table)];
  for (const auto& column : columns) known.try_emplace(column, 0);
}

void ScriptedDatabase::SetColumnWidth(std::string table, std::string column, int32_t width) {
  tables_[std::move(table)][std::move(column)] = width;
}

void ScriptedDatabase::SetSequenceNext(std::string sequence, int32_t first) {
  sequences_[std::move(sequence)] = first;
}

ScriptedDatabase::RoutineAnswer ScriptedDatabase::RunRoutine(
    std::string_view name, const std::vector<ProcedureParameter>& parameters) {
  DbCall call{DbCallKind::kProcedure, std::string(name), {}, parameters};
  for (const auto& p : parameters) call.params.push_back(p.value);
  journal_->Record(std::move(call));
  auto found = routines_.find(name);
  return found == routines_.end() ? RoutineAnswer{} : found->second;
}

IDBRecordsetPtr ScriptedDatabase::OpenRecordset(std::string_view sql, int32_t) {
  journal_->Record({DbCallKind::kOpen, std::string(sql), {}, {}});
  const ScriptedRows* rows = FindRows(sql);
  if (rows && rows->nothing) return nullptr;
  auto recordset = std::make_shared<ScriptedRecordset>(rows ? *rows : ScriptedRows{});
  opened_.push_back(recordset);
  return recordset;
}

void ScriptedDatabase::Execute(std::string_view sql) {
  journal_->Record({DbCallKind::kExecute, std::string(sql), {}, {}});
}

void ScriptedDatabase::ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) {
  DbCall call{DbCallKind::kProcedure, std::string(name), {}, {}};
  for (const auto& v : values) call.params.push_back(ValueText(v));
  journal_->Record(std::move(call));
}

Variant ScriptedDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  journal_->Record({DbCallKind::kQueryValue, std::string(sql), {}, {}});
  const ScriptedRows* rows = FindRows(sql);
  if (!rows || rows->nothing || rows->rows.empty() || rows->rows.front().empty()) return defaultValue;
  return rows->rows.front().front();
}

Variant ScriptedDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  journal_->Record({DbCallKind::kCallFunction, std::string(name), {std::string(argumentText)}, {}});
  auto found = functions_.find(name);
  return found == functions_.end() ? Variant() : found->second(argumentText);
}

int32_t ScriptedDatabase::NextSequenceNumber(std::string_view sequence) {
  journal_->Record({DbCallKind::kSequence, std::string(sequence), {}, {}});
  auto [it, added] = sequences_.try_emplace(std::string(sequence), 1);
  return it->second++;
}

IDBLiteralPtr ScriptedDatabase::SequenceLiteral(std::string_view sequence) {
  return Literal(std::string(sequence) + ".NEXTVAL");
}

IDBLiteralPtr ScriptedDatabase::TextLiteral(std::string_view text) { return Literal(QuoteSql(text)); }

IDBLiteralPtr ScriptedDatabase::IdLiteral(int32_t id) {
  return Literal(id == 0 ? "NULL" : std::to_string(id));
}

IDBLiteralPtr ScriptedDatabase::NumberLiteral(const Variant& value, int32_t) {
  return Literal(IsNullish(value) ? "NULL" : NumberText(value));
}

IDBLiteralPtr ScriptedDatabase::DateLiteral(Date date) { return Literal(DateText(date)); }

IDBLiteralPtr ScriptedDatabase::NowLiteral() { return Literal("SYSDATE"); }

std::string ScriptedDatabase::ValueText(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Missing:
      return "NULL";
    case VarType::String:
      return QuoteSql(value.StringRef());
    case VarType::Date:
      return DateText(value.ToDate());
    case VarType::Object: {
      auto object = value.ToObject();
      if (!object) return "NULL";
      if (auto literal = std::dynamic_pointer_cast<IDBLiteral>(object)) return literal->Text();
      throw AutomationError(ErrorNumber::kTypeMismatch, kDbSource, "Type mismatch");
    }
    default:
      return NumberText(value);
  }
}

std::string ScriptedDatabase::ValueListText(const std::vector<Variant>& values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const auto& v : values) texts.push_back(ValueText(v));
  return Join(texts, ", ");
}

std::string ScriptedDatabase::AssignmentListText(const std::vector<Variant>& namesAndValues) {
  if (namesAndValues.size() % 2 != 0) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kDbSource, "Names and values do not pair up");
  }
  std::vector<std::string> texts;
  for (size_t i = 0; i < namesAndValues.size(); i += 2) {
    texts.push_back(namesAndValues[i].ToString() + " = " + ValueText(namesAndValues[i + 1]));
  }
  return Join(texts, ", ");
}

std::string ScriptedDatabase::FieldText(const Variant& value) {
  return IsNullish(value) ? std::string() : value.ToString();
}

int32_t ScriptedDatabase::FieldNumber(const Variant& value) { return IsNullish(value) ? 0 : value.ToInt32(); }

int32_t ScriptedDatabase::FieldNumberOr(const Variant& value, int32_t defaultValue) {
  return IsNullish(value) ? defaultValue : value.ToInt32();
}

Date ScriptedDatabase::FieldDate(const Variant& value) {
  return IsNullish(value) ? Date::Zero() : value.ToDate();
}

bool ScriptedDatabase::FieldFlag(const Variant& value) {
  if (value.Type() == VarType::Boolean) return value.ToBool();
  return value.IsString() && EqualsNoCase(TrimBlanks(value.StringRef()), "Y");
}

int32_t ScriptedDatabase::ColumnWidth(std::string_view table, std::string_view column) {
  auto t = tables_.find(table);
  if (t == tables_.end()) return 0;
  auto c = t->second.find(column);
  return c == t->second.end() ? 0 : c->second;
}

bool ScriptedDatabase::TableExists(std::string_view table) { return tables_.find(table) != tables_.end(); }

bool ScriptedDatabase::ColumnExists(std::string_view table, std::string_view column) {
  auto t = tables_.find(table);
  return t != tables_.end() && t->second.find(column) != t->second.end();
}

SlotRun ScriptedDatabase::NextHourRun(int32_t start, const IHourSelection& selection, bool selected) {
  const int32_t last = selection.FirstIndex() + selection.Count() - 1;
  for (int32_t i = std::max(start, selection.FirstIndex()); i <= last; ++i) {
    if (selection.Selected(i) != selected) continue;
    int32_t end = i;
    while (end < last && selection.Selected(end + 1) == selected) ++end;
    return {i, end};
  }
  return {0, 0};
}

SlotRun ScriptedDatabase::NextSecondRun(int32_t start, const IHourSelection& selection, bool selected) {
  const SlotRun run = NextHourRun(start, selection, selected);
  if (run.first < 1) return {-1, -1};
  const int32_t slotSeconds = selection.Count() > 0 ? kSecondsPerDay / selection.Count() : 3600;
  const int32_t base = selection.FirstIndex();
  return {(run.first - base) * slotSeconds, (run.last - base + 1) * slotSeconds - 1};
}

SlotRun ScriptedDatabase::SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                                           int32_t lastSeconds) {
  if (daySlotCount_ <= 24) return {firstHour, lastHour};
  const int32_t slotSeconds = kSecondsPerDay / daySlotCount_;
  return {firstSeconds / slotSeconds + 1, lastSeconds / slotSeconds + 1};
}

// ---- ScriptedProcedureCall ----

void ScriptedProcedureCall::AddParameter(std::string_view valueText, std::string_view type,
                                         std::string_view name, int32_t flags) {
  parameters_.push_back({std::string(valueText), std::string(type), std::string(name), flags});
}

Variant ScriptedProcedureCall::Run() {
  auto answer = database_->RunRoutine(name_, parameters_);
  outputs_ = std::move(answer.outputs);
  return answer.result;
}

Variant ScriptedProcedureCall::ParameterValue(int32_t position) const {
  if (position < 0 || static_cast<size_t>(position) >= parameters_.size()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "ScriptedProcedureCall",
                          "Subscript out of range");
  }
  if (auto found = outputs_.find(position); found != outputs_.end()) return found->second;
  const std::string& text = parameters_[static_cast<size_t>(position)].value;
  return text.empty() ? Variant() : Variant(text);
}

}  // namespace ridirodev::testing
