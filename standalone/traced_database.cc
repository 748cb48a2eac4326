#include "standalone/traced_database.h"

#include <cstdlib>
#include <fstream>

namespace ridirodev::standalone {

StatementTracePtr StatementTrace::FromEnvironment() {
  const char* file = std::getenv("RIDIRODEV_SQL_TRACE");
  return file && *file ? std::make_shared<const StatementTrace>(file) : nullptr;
}

void StatementTrace::Write(std::string_view line) const {
  std::ofstream out(file_, std::ios::app | std::ios::binary);
  out << line << '\n';
}

IDBRecordsetPtr TracedDatabase::OpenRecordset(std::string_view sql, int32_t timeoutSeconds) {
  trace_->Write(sql);
  return ForwardingDatabase::OpenRecordset(sql, timeoutSeconds);
}

void TracedDatabase::Execute(std::string_view sql) {
  trace_->Write(sql);
  ForwardingDatabase::Execute(sql);
}

void TracedDatabase::ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) {
  std::string line = "CALL " + std::string(name) + "(";
  for (size_t i = 0; i < values.size(); ++i) line += (i ? "," : "") + ValueText(values[i]);
  trace_->Write(line + ")");
  ForwardingDatabase::ExecuteProcedure(name, values);
}

Variant TracedDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  trace_->Write(sql);
  return ForwardingDatabase::QueryValue(sql, defaultValue);
}

Variant TracedDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  trace_->Write("SELECT " + std::string(name) + "(" + std::string(argumentText) + ")");
  return ForwardingDatabase::CallFunction(name, argumentText);
}

int32_t TracedDatabase::NextSequenceNumber(std::string_view sequence) {
  trace_->Write(std::string(sequence) + ".NEXTVAL");
  return ForwardingDatabase::NextSequenceNumber(sequence);
}

IDBLiteralPtr TracedDatabase::SequenceLiteral(std::string_view sequence) {
  trace_->Write(std::string(sequence) + ".NEXTVAL");
  return ForwardingDatabase::SequenceLiteral(sequence);
}

void TracedProcedureCall::SetName(std::string_view routine) {
  name_ = std::string(routine);
  ForwardingProcedureCall::SetName(routine);
}

void TracedProcedureCall::AddParameter(std::string_view valueText, std::string_view type, std::string_view name,
                                       int32_t flags) {
  ForwardingProcedureCall::AddParameter(valueText, type, name, flags);
  texts_ += (parameters_++ ? "," : "") + std::string(valueText);
}

Variant TracedProcedureCall::Run() {
  trace_->Write("CALL " + name_ + "(" + texts_ + ")");
  return ForwardingProcedureCall::Run();
}

void TracedQueryService::BeginTransaction() {
  trace_->Write("BEGIN TRANSACTION");
  ForwardingQueryService::BeginTransaction();
  ++depth_;
}

void TracedQueryService::CommitTransaction() {
  if (depth_ > 0) trace_->Write("COMMIT");
  ForwardingQueryService::CommitTransaction();
  --depth_;
}

void TracedQueryService::RollbackTransaction() {
  if (depth_ == 0) return ForwardingQueryService::RollbackTransaction();
  trace_->Write("ROLLBACK");
  --depth_;
  ForwardingQueryService::RollbackTransaction();
}

}  // namespace ridirodev::standalone
