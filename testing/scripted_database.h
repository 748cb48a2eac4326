#pragma once

// The scripted database object: row sets registered per statement, one journal of every call
// (statements, routines, sequences and the transaction steps of the query service), and
// failure of a chosen call on demand.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/database.h"

namespace ridirodev::testing {

// Errors of the row set that the component may meet.
namespace RecordsetError {
inline constexpr int32_t kBadArguments = 3001;     // a filter text that cannot be read
inline constexpr int32_t kNoCurrentRecord = 3021;  // read or move past the end
inline constexpr int32_t kClosed = 3704;           // any use after Close
}  // namespace RecordsetError

enum class DbCallKind {
  kOpen,          // OpenRecordset
  kExecute,       // Execute
  kProcedure,     // ExecuteProcedure, or Run of a procedure call
  kQueryValue,    // QueryValue
  kCallFunction,  // CallFunction: text is the function, params the argument text
  kSequence,      // NextSequenceNumber: text is the sequence
  kBegin,         // transaction steps of the XML query service
  kCommit,
  kRollback,
  kRunQuery,  // RunQuery of the XML query service: text is the query document
};

// "open", "execute", "procedure", "query-value", "call-function", "sequence", "begin",
// "commit", "rollback", "run-query".
std::string_view KindName(DbCallKind kind);

// A parameter of a procedure call, as added.
struct ProcedureParameter {
  std::string value;
  std::string type;
  std::string name;
  int32_t flags = 0;
  friend bool operator==(const ProcedureParameter&, const ProcedureParameter&) = default;
};

struct DbCall {
  DbCallKind kind;
  std::string text;
  // Argument texts in order: the SQL text of each ExecuteProcedure value, the value texts
  // of a procedure call, the argument text of CallFunction.
  std::vector<std::string> params;
  // A procedure call's parameters with their types, names and flags.
  std::vector<ProcedureParameter> procedure;
};

// The ordered record of every call, shared by the database object, its procedure calls and
// the XML query service, so that statements and transaction steps interleave as they ran.
class DbJournal {
 public:
  using CallPredicate = std::function<bool(const DbCall&)>;

  // Appends the call; then, when an armed failure applies to it, disarms that failure and
  // throws its error. The failing call stays in the journal.
  void Record(DbCall call);

  const std::vector<DbCall>& Calls() const noexcept { return calls_; }
  size_t Size() const noexcept { return calls_.size(); }
  // One line per call: the kind name, then the text, then the params in parentheses when
  // there are any: "open SELECT ...", "begin", "procedure PKG.SAVE('a', 12)".
  std::vector<std::string> Lines() const;
  std::vector<std::string> Texts(DbCallKind kind) const;
  // Forgets the calls; positions for FailOnCall count again from 1. Armed failures stay.
  void Clear() noexcept { calls_.clear(); }

  // The call that takes position n (1-based) in Calls() throws error. Each failure fires once.
  void FailOnCall(size_t n, AutomationError error);
  // The next call whose text contains fragment (without regard to case) throws error.
  void FailOnText(std::string fragment, AutomationError error);
  // The next call the predicate accepts throws error.
  void FailWhen(CallPredicate predicate, AutomationError error);
  size_t ArmedFailures() const noexcept { return failures_.size(); }

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
//
// SetFilter reads clauses "COLUMN op value" joined by "and" (any case). op is one of
// = <> < > <= >=; value is a number or text in single quotes with quotes doubled. A quoted
// value compares as text without regard to case, a number numerically (a cell that is not a
// number then does not match). A Null cell matches no clause.
class ScriptedRecordset final : public IDBRecordset, public IDBFields {
 public:
  explicit ScriptedRecordset(ScriptedRows rows);

  bool Bof() const override;
  bool Eof() const override;
  const IDBFields& Fields() const override;
  void SetFilter(std::string_view criteria) override;
  std::string Filter() const override;
  void MoveFirst() override;
  void MoveNext() override;
  void Close() override;
  int32_t RecordCount() const override;

  int32_t Count() const override;
  std::string Name(int32_t index) const override;
  Variant Value(std::string_view name) const override;
  Variant Value(int32_t index) const override;
  bool Has(std::string_view name) const override;

  bool Closed() const noexcept { return closed_; }

 private:
  struct Clause {
    size_t column;
    std::string op;
    Variant value;  // String for a quoted value, Double for a number
  };
  void CheckOpen() const;
  const std::vector<Variant>& CurrentRow() const;
  size_t ColumnIndex(std::string_view name) const;  // throws 3265
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
//   case; functions and routines by name, without regard to case; sequences count up from 1.
//
// Literals are plain: text in single quotes with quotes doubled, id 0 as NULL, numbers in
// decimal, dates as '2026-12-06 14:05:09', the current time as SYSDATE, a sequence as
// NAME.NEXTVAL. List texts are joined by ", ".
//
// Day slots: NextHourRun answers slot numbers. A selection of n slots divides the day into
// slots of 86400 / n seconds; NextSecondRun answers the first second of the run's first slot
// and the last second of its last slot (slots 1-3 of 24 give 0 and 10799), or -1 and -1 when
// there is no run. SlotRunFromHours answers the hours as slots when the day has 24 slots or
// fewer (SetDaySlotCount, 24 by default), else the slots that hold those seconds.
class ScriptedDatabase : public IDBObject {
 public:
  ScriptedDatabase();
  explicit ScriptedDatabase(DbJournalPtr journal);

  // Journal and failures.
  DbJournal& Journal() noexcept { return *journal_; }
  const DbJournalPtr& SharedJournal() const noexcept { return journal_; }
  const std::vector<DbCall>& Calls() const noexcept { return journal_->Calls(); }
  void FailOnCall(size_t n, AutomationError error) { journal_->FailOnCall(n, std::move(error)); }
  void FailOnText(std::string fragment, AutomationError error) {
    journal_->FailOnText(std::move(fragment), std::move(error));
  }

  // Row sets.
  void AddRows(std::string sql, ScriptedRows rows);
  void AddRows(StatementMatcher matcher, ScriptedRows rows);
  // Every row set handed out, in order, so that tests can see whether it was closed.
  const std::vector<ScriptedRecordsetPtr>& Recordsets() const noexcept { return opened_; }

  // Other scripts.
  void SetFunction(std::string name, std::function<Variant(std::string_view argumentText)> fn);
  void SetFunctionValue(std::string name, Variant value);
  void SetRoutineResult(std::string name, Variant value);
  void SetRoutineOutput(std::string name, int32_t position, Variant value);
  void AddTable(std::string table, const std::vector<std::string>& columns = {});
  // Adds the table and column when absent.
  void SetColumnWidth(std::string table, std::string column, int32_t width);
  // The next NextSequenceNumber of that sequence answers first.
  void SetSequenceNext(std::string sequence, int32_t first);
  void SetAlwaysReload(bool value) noexcept { alwaysReload_ = value; }
  void SetDaySlotCount(int32_t count) noexcept { daySlotCount_ = count; }

  // Runs a routine for a procedure call: records it, then answers the scripted result and
  // output values (position -> value).
  struct RoutineAnswer {
    Variant result;
    std::map<int32_t, Variant> outputs;
  };
  RoutineAnswer RunRoutine(std::string_view name, const std::vector<ProcedureParameter>& parameters);

  // IDBObject
  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override;
  void Execute(std::string_view sql) override;
  void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) override;
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override;
  Variant CallFunction(std::string_view name, std::string_view argumentText) override;
  int32_t NextSequenceNumber(std::string_view sequence) override;
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override;

  IDBLiteralPtr TextLiteral(std::string_view text) override;
  IDBLiteralPtr IdLiteral(int32_t id) override;
  IDBLiteralPtr NumberLiteral(const Variant& value, int32_t flags = 0) override;
  IDBLiteralPtr DateLiteral(Date date) override;
  IDBLiteralPtr NowLiteral() override;
  std::string ValueListText(const std::vector<Variant>& values) override;
  std::string AssignmentListText(const std::vector<Variant>& namesAndValues) override;
  std::string ValueText(const Variant& value) override;

  std::string FieldText(const Variant& value) override;
  int32_t FieldNumber(const Variant& value) override;
  int32_t FieldNumberOr(const Variant& value, int32_t defaultValue) override;
  Date FieldDate(const Variant& value) override;
  bool FieldFlag(const Variant& value) override;

  int32_t ColumnWidth(std::string_view table, std::string_view column) override;
  bool TableExists(std::string_view table) override;
  bool ColumnExists(std::string_view table, std::string_view column) override;

  SlotRun NextHourRun(int32_t start, const IHourSelection& selection, bool selected = true) override;
  SlotRun NextSecondRun(int32_t start, const IHourSelection& selection, bool selected = true) override;
  SlotRun SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                           int32_t lastSeconds) override;

  bool AlwaysReload() override { return alwaysReload_; }

 private:
  struct Responses {
    std::vector<ScriptedRows> rows;
    size_t next = 0;
    const ScriptedRows& Take();
  };
  template <class V>
  using NoCaseMap = std::unordered_map<std::string, V, NoCaseHash, NoCaseEqual>;

  // The scripted rows for a statement, nullptr when none.
  const ScriptedRows* FindRows(std::string_view sql);

  DbJournalPtr journal_;
  std::unordered_map<std::string, Responses> exact_;
  std::vector<std::pair<StatementMatcher, Responses>> matched_;
  std::vector<ScriptedRecordsetPtr> opened_;
  NoCaseMap<std::function<Variant(std::string_view)>> functions_;
  NoCaseMap<RoutineAnswer> routines_;
  NoCaseMap<NoCaseMap<int32_t>> tables_;  // table -> column -> width (0 when unknown)
  NoCaseMap<int32_t> sequences_;          // the next value of each sequence
  bool alwaysReload_ = false;
  int32_t daySlotCount_ = 24;
};
using ScriptedDatabasePtr = std::shared_ptr<ScriptedDatabase>;

// A procedure call that runs against a scripted database on Run.
class ScriptedProcedureCall final : public IDBProcedureCall {
 public:
  explicit ScriptedProcedureCall(ScriptedDatabasePtr database) : database_(std::move(database)) {}

  void SetName(std::string_view routine) override { name_ = std::string(routine); }
  void AddParameter(std::string_view valueText, std::string_view type, std::string_view name = "",
                    int32_t flags = 0) override;
  Variant Run() override;
  // The scripted output at that position after a run; else the value text passed in (Empty
  // for an empty text); error 9 outside the parameters.
  Variant ParameterValue(int32_t position) const override;

  const std::string& RoutineName() const noexcept { return name_; }
  const std::vector<ProcedureParameter>& Parameters() const noexcept { return parameters_; }

 private:
  ScriptedDatabasePtr database_;
  std::string name_;
  std::vector<ProcedureParameter> parameters_;
  std::map<int32_t, Variant> outputs_;
};

}  // namespace ridirodev::testing
