#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/date.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"

namespace ridirodev {

class IHourSelection;
class IDBObject;

// A literal made by the database object; its text goes into a statement as it stands.
class IDBLiteral : public Object {
 public:
  virtual std::string Text() const = 0;
};
using IDBLiteralPtr = std::shared_ptr<IDBLiteral>;

// The plain literal every host can hand out.
class DBLiteral final : public IDBLiteral {
 public:
  explicit DBLiteral(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

// The columns of the current row of a row set.
class IDBFields {
 public:
  virtual ~IDBFields() = default;
  virtual int32_t Count() const = 0;
  // Column name at 0-based position.
  virtual std::string Name(int32_t index) const = 0;
  // Value of the named column, compared without regard to case; error 3265 when the row
  // set has no such column.
  virtual Variant Value(std::string_view name) const = 0;
  virtual Variant Value(int32_t index) const = 0;
  virtual bool Has(std::string_view name) const = 0;

  // The value at index as db's FieldText and FieldNumberOr convert it, for readers of many
  // rows; db is the database object the row set came from. A host that holds its rows in
  // their native form may answer without making a Variant, with the same result.
  virtual std::string Text(int32_t index, IDBObject& db) const;
  virtual int32_t NumberOr(int32_t index, IDBObject& db, int32_t defaultValue) const;
};

// BOF and EOF are spelt Bof and Eof: EOF is a macro of the C library.
class IDBRecordset : public Object {
 public:
  virtual bool Bof() const = 0;
  virtual bool Eof() const = 0;
  virtual const IDBFields& Fields() const = 0;
  // Restricts the rows to those matching a criteria text such as "FIELD_ID = 12"; an empty
  // text removes the filter. The row set is then at its first matching row.
  virtual void SetFilter(std::string_view criteria) = 0;
  virtual std::string Filter() const = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  virtual void Close() = 0;
  virtual int32_t RecordCount() const = 0;
};
using IDBRecordsetPtr = std::shared_ptr<IDBRecordset>;

// First and last of a run of selected day slots, hours or seconds.
struct SlotRun {
  int32_t first = 0;  // below 1 when there is no run
  int32_t last = 0;
};

// The host's database utility object: every statement of the component runs through it.
class IDBObject : public Object {
 public:
  // A row set, or nullptr (taken as no rows).
  virtual IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) = 0;
  virtual void Execute(std::string_view sql) = 0;
  virtual void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) = 0;
  // First column of the first row; the default when there is no row.
  virtual Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) = 0;
  virtual Variant CallFunction(std::string_view name, std::string_view argumentText) = 0;
  virtual int32_t NextSequenceNumber(std::string_view sequence) = 0;
  virtual IDBLiteralPtr SequenceLiteral(std::string_view sequence) = 0;

  virtual IDBLiteralPtr TextLiteral(std::string_view text) = 0;
  virtual IDBLiteralPtr IdLiteral(int32_t id) = 0;  // 0 gives null
  virtual IDBLiteralPtr NumberLiteral(const Variant& value, int32_t flags = 0) = 0;
  virtual IDBLiteralPtr DateLiteral(Date date) = 0;
  virtual IDBLiteralPtr NowLiteral() = 0;
  // The SQL text of each value (a literal's text as it stands), joined by commas.
  virtual std::string ValueListText(const std::vector<Variant>& values) = 0;
  // Alternating column name and value: "col = value" pairs joined by commas.
  virtual std::string AssignmentListText(const std::vector<Variant>& namesAndValues) = 0;
  virtual std::string ValueText(const Variant& value) = 0;

  virtual std::string FieldText(const Variant& value) = 0;  // "" for null
  virtual int32_t FieldNumber(const Variant& value) = 0;
  virtual int32_t FieldNumberOr(const Variant& value, int32_t defaultValue) = 0;
  virtual Date FieldDate(const Variant& value) = 0;
  virtual bool FieldFlag(const Variant& value) = 0;  // "Y" is True

  virtual int32_t ColumnWidth(std::string_view table, std::string_view column) = 0;  // 0 when unknown
  virtual bool TableExists(std::string_view table) = 0;
  virtual bool ColumnExists(std::string_view table, std::string_view column) = 0;

  // The next run of selected slots at or after slot start, as the hours of the day it touches
  // (the slots themselves up to 24 a day) and as the seconds of the day it starts and ends at.
  virtual SlotRun NextHourRun(int32_t start, const IHourSelection& selection, bool selected = true) = 0;
  virtual SlotRun NextSecondRun(int32_t start, const IHourSelection& selection, bool selected = true) = 0;
  // Slots of a stored hour range at the current day-slot setting; seconds below 0 are missing.
  virtual SlotRun SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds,
                                   int32_t lastSeconds) = 0;

  // When true, templates fetch fields again on every request.
  virtual bool AlwaysReload() = 0;
};
using IDBObjectPtr = std::shared_ptr<IDBObject>;

inline std::string IDBFields::Text(int32_t index, IDBObject& db) const { return db.FieldText(Value(index)); }
inline int32_t IDBFields::NumberOr(int32_t index, IDBObject& db, int32_t defaultValue) const {
  return db.FieldNumberOr(Value(index), defaultValue);
}

// A call of a stored routine; a new one per call.
class IDBProcedureCall : public Object {
 public:
  virtual void SetName(std::string_view routine) = 0;
  // type is "string" or "integer"; an empty value stands for a null or an output.
  virtual void AddParameter(std::string_view valueText, std::string_view type, std::string_view name = "",
                            int32_t flags = 0) = 0;
  // Runs the routine; a function's value, else Empty.
  virtual Variant Run() = 0;
  // A parameter's value after the run, by position counted from 0 in the order added.
  virtual Variant ParameterValue(int32_t position) const = 0;
};
using IDBProcedureCallPtr = std::shared_ptr<IDBProcedureCall>;

// A node of the host's XML processing library.
class IXMLNode : public Object {
 public:
  virtual std::string Name() const = 0;
  virtual std::string Text() const = 0;
  virtual bool HasAttribute(std::string_view name) const = 0;
  // The attribute's text; error 5 when absent.
  virtual std::string Attribute(std::string_view name) const = 0;
  // Child elements whose name matches selection; an empty selection gives all of them.
  virtual std::vector<std::shared_ptr<IXMLNode>> SelectNodes(std::string_view selection) const = 0;
};
using IXMLNodePtr = std::shared_ptr<IXMLNode>;

// Builds a query document text.
class IXMLQueryText : public Object {
 public:
  virtual void SetCapacity(int32_t capacity) = 0;
  virtual void Append(std::string_view text) = 0;
  virtual std::string Text() const = 0;
};
using IXMLQueryTextPtr = std::shared_ptr<IXMLQueryText>;

// The host's XML query service: transactions of multi-statement writes and gateway queries.
class IXMLQueryService : public Object {
 public:
  virtual void BeginTransaction() = 0;
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;
  virtual std::string RunQuery(std::string_view queryText) = 0;
  // The result document, or nullptr.
  virtual IXMLNodePtr ParseResult(std::string_view response, bool flag = true) = 0;
};
using IXMLQueryServicePtr = std::shared_ptr<IXMLQueryService>;

// Created in an error handler around the error being handled.
class IAppErrorReporter : public Object {
 public:
  // Passes the current error to the host.
  virtual void Report(std::string_view text) = 0;
  virtual std::string ErrorText() const = 0;
};
using IAppErrorReporterPtr = std::shared_ptr<IAppErrorReporter>;

}  // namespace ridirodev
