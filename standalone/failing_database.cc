#include "standalone/failing_database.h"

#include <utility>

namespace ridirodev::standalone {

void FailureInjection::FailOnCall(size_t n, AutomationError error) {
  armed_.reset();
  if (n > 0) armed_.emplace(Armed{n, std::move(error)});
}

void FailureInjection::Count() {
  if (!armed_ || --armed_->callsLeft > 0) return;
  AutomationError error = std::move(armed_->error);
  armed_.reset();
  throw error;
}

IDBRecordsetPtr FailingDatabase::OpenRecordset(std::string_view sql, int32_t timeoutSeconds) {
  failures_->Count();
  return ForwardingDatabase::OpenRecordset(sql, timeoutSeconds);
}

void FailingDatabase::Execute(std::string_view sql) {
  failures_->Count();
  ForwardingDatabase::Execute(sql);
}

void FailingDatabase::ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) {
  failures_->Count();
  ForwardingDatabase::ExecuteProcedure(name, values);
}

Variant FailingDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  failures_->Count();
  return ForwardingDatabase::QueryValue(sql, defaultValue);
}

Variant FailingDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  failures_->Count();
  return ForwardingDatabase::CallFunction(name, argumentText);
}

int32_t FailingDatabase::NextSequenceNumber(std::string_view sequence) {
  failures_->Count();
  return ForwardingDatabase::NextSequenceNumber(sequence);
}

IDBLiteralPtr FailingDatabase::SequenceLiteral(std::string_view sequence) {
  failures_->Count();
  return ForwardingDatabase::SequenceLiteral(sequence);
}

Variant FailingProcedureCall::Run() {
  failures_->Count();
  return ForwardingProcedureCall::Run();
}

void FailingQueryService::BeginTransaction() {
  failures_->Count();
  ForwardingQueryService::BeginTransaction();
}

void FailingQueryService::CommitTransaction() {
  failures_->Count();
  ForwardingQueryService::CommitTransaction();
}

}  // namespace ridirodev::standalone
