#pragma once

// The scripted database object: row sets registered per statement, one journal of every call
// (statements, routines, sequences and the transaction steps of the query service), and
// failure of a chosen call on demand.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/database_base.h"

namespace ridirodev::testing {

// Errors of the row set that the component may meet.
namespace RecordsetError {
inline constexpr int32_t kBadArguments = 3001;     // a filter text that cannot be read
inline constexpr int32_t kNoCurrentRecord = 3021;  // read or move past the end
inline constexpr int32_t kClosed = 3704;           // any use after Close
}  // namespace RecordsetError

// Journal lines name the kinds "open", "execute", "procedure", "query-value", "call-function",
// "sequence", "begin", "commit", "rollback", "run-query".
enum class DbCallKind { kOpen, kExecute, kProcedure, kQueryValue, kCallFunction, kSequence, kBegin, kCommit, kRollback, kRunQuery };

struct DbCall {
  DbCallKind kind;
  std::string text;
  // Argument texts in order: of ExecuteProcedure's values, CallFunction's, and a procedure call's
  // values each followed by ":" and its type ("Cell:string").
  std::vector<std::string> params;
};

// The ordered record of every call, shared by the database object, its procedure calls and
// the XML query service, so that statements and transaction steps interleave as they ran.
class DbJournal {
 public:
  // Appends the call; then, when an armed failure applies to it, disarms that failure and
  // throws its error. The failing call stays in the journal.
  void Record(DbCall call);

  const std::vector<DbCall>& Calls() const noexcept { return calls_; }
  // One line per call: "open SELECT ...", "begin", "procedure PKG.SAVE('a', 12)".
  std::vector<std::string> Lines() const;
  std::vector<std::string> Texts(DbCallKind kind) const;
  // Forgets the calls; positions for FailOnCall count again from 1. Armed failures stay.
  void Clear() noexcept { calls_.clear(); }

  // The call that takes position n (1-based) in Calls() throws error. Each failure fires once.
  void FailOnCall(size_t n, AutomationError error);
  // The next call whose text contains fragment (without regard to case) throws error.
  void FailOnText(std::string fragment, AutomationError error);

 private:
  struct Failure {
    std::function<bool(size_t position, const DbCall&)> applies;
    AutomationError error;
  };
  std::vector<DbCall> calls_;
  std::vector<Failure> failures_;
};
using DbJournalPtr = std::shared_ptr<DbJournal>;

// A table of rows: column names and rows of values, each row as wide as the columns.
// Nothing() scripts an OpenRecordset that answers nullptr.
struct ScriptedRows {
  std::vector<std::string> columns;
  std::vector<std::vector<Variant>> rows;
  bool nothing = false;

  static ScriptedRows Nothing() { return ScriptedRows{{}, {}, true}; }
};

// A row set over scripted rows that behaves as the host's row sets do where the component
// can tell: BOF and EOF both true when there is no row, error 3021 on reading or moving past
// the end, 3265 for an unknown column, 3704 after Close.
// SetFilter reads clauses "COLUMN op value" joined by "and" (any case). op is = or <>, as the
// host's row sets take; value is a number or text in single quotes with quotes doubled. A quoted
// value compares as text without regard to case, a number numerically (a cell that is not a
// number then does not match). A Null cell matches no clause.
class ScriptedRecordset final : public IDBRecordset, public IDBFields {
 public:
  explicit ScriptedRecordset(ScriptedRows rows);

  bool Bof() const override { return Open().visible_.empty(); }  // no MovePrevious: only an empty set
  bool Eof() const override { return Open().position_ >= visible_.size(); }
  const IDBFields& Fields() const override { return Open(); }
  void SetFilter(std::string_view criteria) override;
  std::string Filter() const override { return Open().filter_; }
  void MoveFirst() override {
    Open();
    position_ = 0;
  }
  void MoveNext() override {
    CurrentRow();  // past the end fails
    ++position_;
  }
  void Close() override {
    Open();
    closed_ = true;
  }
  int32_t RecordCount() const override { return static_cast<int32_t>(Open().visible_.size()); }

  int32_t Count() const override { return static_cast<int32_t>(Open().columns_.size()); }
  std::string Name(int32_t index) const override;
  Variant Value(std::string_view name) const override {
    const size_t column = Open().ColumnIndex(name);
    return CurrentRow()[column];
  }
  Variant Value(int32_t index) const override {
    Name(index);  // checks the position
    return CurrentRow()[static_cast<size_t>(index)];
  }
  bool Has(std::string_view name) const override;

  bool Closed() const noexcept { return closed_; }

 private:
  struct Clause {
    size_t column;
    bool notEqual;  // <> rather than =
    Variant value;  // String for a quoted value, Double for a number
  };
  // This row set; error 3704 once closed.
  const ScriptedRecordset& Open() const;
  const std::vector<Variant>& CurrentRow() const;   // error 3021 past the end
  size_t ColumnIndex(std::string_view name) const;  // error 3265
  bool Matches(const std::vector<Variant>& row) const;
  std::vector<Clause> ParseFilter(std::string_view criteria) const;

  std::vector<std::string> columns_;
  std::vector<std::vector<Variant>> rows_;
  std::vector<size_t> visible_;  // indexes of the rows that pass the filter
  size_t position_ = 0;          // into visible_
  std::string filter_;
  std::vector<Clause> clauses_;
  bool closed_ = false;
};
using ScriptedRecordsetPtr = std::shared_ptr<ScriptedRecordset>;

// What a routine run through a procedure call answers: its value, and the values of its output
// parameters by position (the other positions read back as passed).
struct RoutineAnswer {
  Variant value;
  std::vector<std::pair<int32_t, Variant>> outputs;
};
using RoutineAnswers = std::unordered_map<std::string, RoutineAnswer, NoCaseHash, NoCaseEqual>;

using StatementMatcher = std::function<bool(std::string_view sql)>;
// Accepts statements that contain fragment, without regard to case.
StatementMatcher TextContains(std::string fragment);

// The database object. Every statement, routine, function and sequence call goes to the
// journal before it is answered. Scripts:
// - row sets per exact statement text or per matcher. An exact text wins over matchers;
//   matchers are tried in the order added. Row sets added again for the same exact text are
//   answered in turn, the last one repeating. An unscripted statement opens an empty row set.
// - QueryValue answers the first column of the first scripted row, else the default.
// - table and column names for TableExists, ColumnExists and ColumnWidth, without regard to
//   case. Functions answer Empty; sequences count up from 1.
// Literals and row values convert as in every host's database object; a sequence's literal is
// NAME.NEXTVAL.
class ScriptedDatabase : public DatabaseBase {
 public:
  ScriptedDatabase() : DatabaseBase("ScriptedDatabase") {}
  DbJournal& Journal() noexcept { return *journal_; }
  const DbJournalPtr& SharedJournal() const noexcept { return journal_; }
  void FailOnText(std::string fragment, AutomationError error) {
    journal_->FailOnText(std::move(fragment), std::move(error));
  }

  void AddRows(std::string sql, ScriptedRows rows);
  void AddRows(StatementMatcher matcher, ScriptedRows rows);
  // Every row set handed out, in order, so that tests can see whether it was closed.
  const std::vector<ScriptedRecordsetPtr>& Recordsets() const noexcept { return opened_; }

  void AddTable(std::string table, const std::vector<std::string>& columns = {});
  // Adds the table and column when absent.
  void SetColumnWidth(std::string table, std::string column, int32_t width) {
    tables_[std::move(table)][std::move(column)] = width;
  }
  void SetAlwaysReload(bool value) noexcept { alwaysReload_ = value; }
  // Answers of routines (by name, without regard to case) and of CallFunction.
  void ScriptRoutine(std::string name, RoutineAnswer answer) {
    (*routines_)[std::move(name)] = std::move(answer);
  }
  std::shared_ptr<const RoutineAnswers> SharedRoutines() const noexcept { return routines_; }
  void ScriptFunction(std::string name, Variant value) { functions_[std::move(name)] = std::move(value); }

  // IDBObject
  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override;
  void Execute(std::string_view sql) override { Record(DbCallKind::kExecute, sql); }
  void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) override;
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override;
  Variant CallFunction(std::string_view name, std::string_view argumentText) override;
  int32_t NextSequenceNumber(std::string_view sequence) override;
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override;

  int32_t ColumnWidth(std::string_view table, std::string_view column) override {
    const int32_t* width = FindColumn(table, column);
    return width ? *width : 0;
  }
  bool TableExists(std::string_view table) override { return tables_.contains(table); }
  bool ColumnExists(std::string_view table, std::string_view column) override { return FindColumn(table, column); }

  bool AlwaysReload() override { return alwaysReload_; }

 private:
  struct Responses {
    std::vector<ScriptedRows> rows;
    size_t next = 0;
  };
  template <class V>
  using NoCaseMap = std::unordered_map<std::string, V, NoCaseHash, NoCaseEqual>;

  void Record(DbCallKind kind, std::string_view text, std::vector<std::string> params = {}) {
    journal_->Record({kind, std::string(text), std::move(params)});
  }
  // The scripted rows for a statement, nullptr when none.
  const ScriptedRows* FindRows(std::string_view sql);
  const int32_t* FindColumn(std::string_view table, std::string_view column) const;

  DbJournalPtr journal_ = std::make_shared<DbJournal>();
  std::unordered_map<std::string, Responses> exact_;
  std::vector<std::pair<StatementMatcher, Responses>> matched_;
  std::vector<ScriptedRecordsetPtr> opened_;
  NoCaseMap<NoCaseMap<int32_t>> tables_;  // table -> column -> width (0 when unknown)
  NoCaseMap<int32_t> sequences_;          // the next value of each sequence
  std::shared_ptr<RoutineAnswers> routines_ = std::make_shared<RoutineAnswers>();
  NoCaseMap<Variant> functions_;
  bool alwaysReload_ = false;
};
using ScriptedDatabasePtr = std::shared_ptr<ScriptedDatabase>;

// A procedure call that goes to the database's journal on Run and answers as scripted for its
// routine (Empty when not); a parameter's value is the scripted output, else the text passed
// in (Empty for an empty text); error 9 outside the parameters.
class ScriptedProcedureCall final : public IDBProcedureCall {
 public:
  explicit ScriptedProcedureCall(DbJournalPtr journal,
                                 std::shared_ptr<const RoutineAnswers> answers = nullptr)
      : journal_(std::move(journal)), answers_(std::move(answers)) {}

  void SetName(std::string_view routine) override { name_ = std::string(routine); }
  void AddParameter(std::string_view valueText, std::string_view type, std::string_view = "",
                    int32_t = 0) override {
    values_.emplace_back(valueText);
    types_.emplace_back(type);
  }
  Variant Run() override {
    std::vector<std::string> params;
    for (size_t i = 0; i < values_.size(); ++i) params.push_back(values_[i] + ":" + types_[i]);
    journal_->Record({DbCallKind::kProcedure, name_, std::move(params)});
    if (answers_ && answers_->contains(name_)) answer_ = answers_->at(name_);
    return answer_.value;
  }
  Variant ParameterValue(int32_t position) const override {
    if (position < 0 || static_cast<size_t>(position) >= values_.size())
      throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "ScriptedProcedureCall", "Subscript out of range");
    for (const auto& [at, value] : answer_.outputs)
      if (at == position) return value;
    return values_[static_cast<size_t>(position)].empty() ? Variant() : Variant(values_[static_cast<size_t>(position)]);
  }

 private:
  DbJournalPtr journal_;
  std::shared_ptr<const RoutineAnswers> answers_;
  std::string name_;
  std::vector<std::string> values_;
  std::vector<std::string> types_;
  RoutineAnswer answer_;  // once run
};

}  // namespace ridirodev::testing
