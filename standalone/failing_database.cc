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
