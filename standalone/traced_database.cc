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
