#pragma once

// Failure injection for tests, so that a test can show a write leaves nothing half-done whichever
// step fails: the n-th call from now (1-based) that would reach the database server throws the
// given error instead. Counted are what a server would see: statements and row sets, routines
// (of the database object and of procedure calls), sequence numbers, and the begin and commit of
// a transaction; not a rollback, which must stay able to clean up.

#include <cstddef>
#include <memory>
#include <optional>

#include "ridirodev/core/automation_error.h"
#include "standalone/forwarding_database.h"

namespace ridirodev::standalone {

// The armed failure, shared by the wrappers of one host.
class FailureInjection {
 public:
  // Fires once; n 0 disarms.
  void FailOnCall(size_t n, AutomationError error);
  bool FailureArmed() const noexcept { return armed_.has_value(); }
  // Throws the armed error when this call is the one.
  void Count();

 private:
  struct Armed {
    size_t callsLeft;
    AutomationError error;
  };
  std::optional<Armed> armed_;
};
using FailureInjectionPtr = std::shared_ptr<FailureInjection>;

class FailingDatabase final : public ObservedDatabase {
 public:
  FailingDatabase(IDBObjectPtr inner, FailureInjectionPtr failures)
      : ObservedDatabase(std::move(inner),
                         [failures = std::move(failures)](std::string_view) { failures->Count(); }) {}
};

class FailingProcedureCall final : public ForwardingProcedureCall {
 public:
  FailingProcedureCall(IDBProcedureCallPtr inner, FailureInjectionPtr failures)
      : ForwardingProcedureCall(std::move(inner)), failures_(std::move(failures)) {}
  Variant Run() override;

 private:
  FailureInjectionPtr failures_;
};

class FailingQueryService final : public ForwardingQueryService {
 public:
  FailingQueryService(IXMLQueryServicePtr inner, FailureInjectionPtr failures)
      : ForwardingQueryService(std::move(inner)), failures_(std::move(failures)) {}
  void BeginTransaction() override;
  void CommitTransaction() override;

 private:
  FailureInjectionPtr failures_;
};

}  // namespace ridirodev::standalone
