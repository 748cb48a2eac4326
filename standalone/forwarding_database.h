#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/database.h"

namespace ridirodev::standalone {

// A database object that passes every call on to the one it holds; the wrappers of the host
// (statement trace, failure injection) override the calls they watch.
class ForwardingDatabase : public IDBObject {
 public:
  explicit ForwardingDatabase(IDBObjectPtr inner) : inner_(std::move(inner)) {}
  const IDBObjectPtr& Inner() const noexcept { return inner_; }

  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override {
    return inner_->OpenRecordset(sql, timeoutSeconds);
  }
  void Execute(std::string_view sql) override { inner_->Execute(sql); }
  void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) override {
    inner_->ExecuteProcedure(name, values);
  }
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override {
    return inner_->QueryValue(sql, defaultValue);
  }
  Variant CallFunction(std::string_view name, std::string_view argumentText) override {
    return inner_->CallFunction(name, argumentText);
  }
  int32_t NextSequenceNumber(std::string_view sequence) override { return inner_->NextSequenceNumber(sequence); }
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override { return inner_->SequenceLiteral(sequence); }

  IDBLiteralPtr TextLiteral(std::string_view text) override { return inner_->TextLiteral(text); }
  IDBLiteralPtr IdLiteral(int32_t id) override { return inner_->IdLiteral(id); }
  IDBLiteralPtr NumberLiteral(const Variant& value, int32_t flags = 0) override {
    return inner_->NumberLiteral(value, flags);
  }
  IDBLiteralPtr DateLiteral(Date date) override { return inner_->DateLiteral(date); }
  IDBLiteralPtr NowLiteral() override { return inner_->NowLiteral(); }
  std::string ValueListText(const std::vector<Variant>& values) override { return inner_->ValueListText(values); }
  std::string AssignmentListText(const std::vector<Variant>& namesAndValues) override {
    return inner_->AssignmentListText(namesAndValues);
  }
  std::string ValueText(const Variant& value) override { return inner_->ValueText(value); }

  std::string FieldText(const Variant& value) override { return inner_->FieldText(value); }
  int32_t FieldNumber(const Variant& value) override { return inner_->FieldNumber(value); }
  int32_t FieldNumberOr(const Variant& value, int32_t defaultValue) override {
    return inner_->FieldNumberOr(value, defaultValue);
  }
  Date FieldDate(const Variant& value) override { return inner_->FieldDate(value); }
  bool FieldFlag(const Variant& value) override { return inner_->FieldFlag(value); }

  int32_t ColumnWidth(std::string_view table, std::string_view column) override {
    return inner_->ColumnWidth(table, column);
  }
  bool TableExists(std::string_view table) override { return inner_->TableExists(table); }
  bool ColumnExists(std::string_view table, std::string_view column) override {
    return inner_->ColumnExists(table, column);
  }

  SlotRun NextHourRun(int32_t start, const IHourSelection& selection, bool selected = true) override {
    return inner_->NextHourRun(start, selection, selected);
  }
  SlotRun NextSecondRun(int32_t start, const IHourSelection& selection, bool selected = true) override {
    return inner_->NextSecondRun(start, selection, selected);
  }
  SlotRun SlotRunFromHours(int32_t firstHour, int32_t lastHour, int32_t firstSeconds, int32_t lastSeconds) override {
    return inner_->SlotRunFromHours(firstHour, lastHour, firstSeconds, lastSeconds);
  }

  bool AlwaysReload() override { return inner_->AlwaysReload(); }

 private:
  IDBObjectPtr inner_;
};

// A database object that tells a hook of each call that would reach the server, in the words of
// the statement trace, before passing it on: the trace writes the text down, failure injection
// counts the call.
class ObservedDatabase : public ForwardingDatabase {
 public:
  using Hook = std::function<void(std::string_view callText)>;
  ObservedDatabase(IDBObjectPtr inner, Hook before)
      : ForwardingDatabase(std::move(inner)), before_(std::move(before)) {}

  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override;
  void Execute(std::string_view sql) override;
  void ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) override;
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override;
  Variant CallFunction(std::string_view name, std::string_view argumentText) override;
  int32_t NextSequenceNumber(std::string_view sequence) override;
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override;

 private:
  Hook before_;
};

// The same for the procedure calls and the XML query service.
class ForwardingProcedureCall : public IDBProcedureCall {
 public:
  explicit ForwardingProcedureCall(IDBProcedureCallPtr inner) : inner_(std::move(inner)) {}
  void SetName(std::string_view routine) override { inner_->SetName(routine); }
  void AddParameter(std::string_view valueText, std::string_view type, std::string_view name = "",
                    int32_t flags = 0) override {
    inner_->AddParameter(valueText, type, name, flags);
  }
  Variant Run() override { return inner_->Run(); }
  Variant ParameterValue(int32_t position) const override { return inner_->ParameterValue(position); }

 private:
  IDBProcedureCallPtr inner_;
};

class ForwardingQueryService : public IXMLQueryService {
 public:
  explicit ForwardingQueryService(IXMLQueryServicePtr inner) : inner_(std::move(inner)) {}
  void BeginTransaction() override { inner_->BeginTransaction(); }
  void CommitTransaction() override { inner_->CommitTransaction(); }
  void RollbackTransaction() override { inner_->RollbackTransaction(); }
  std::string RunQuery(std::string_view queryText) override { return inner_->RunQuery(queryText); }
  IXMLNodePtr ParseResult(std::string_view response, bool flag = true) override {
    return inner_->ParseResult(response, flag);
  }

 private:
  IXMLQueryServicePtr inner_;
};

}  // namespace ridirodev::standalone
