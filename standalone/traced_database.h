#pragma once

// The statement trace: every statement as the component sent it, one a line, appended to a file
// (RIDIRODEV_SQL_TRACE). Routines show as CALL lines, sequences as NAME.NEXTVAL, and the query
// service's transactions as BEGIN TRANSACTION, COMMIT and ROLLBACK.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "standalone/forwarding_database.h"

namespace ridirodev::standalone {

class StatementTrace {
 public:
  explicit StatementTrace(std::string file) : file_(std::move(file)) {}
  // The trace RIDIRODEV_SQL_TRACE names, or nullptr when it is not set.
  static std::shared_ptr<const StatementTrace> FromEnvironment();
  void Write(std::string_view line) const;

 private:
  std::string file_;
};
using StatementTracePtr = std::shared_ptr<const StatementTrace>;

class TracedDatabase final : public ObservedDatabase {
 public:
  TracedDatabase(IDBObjectPtr inner, StatementTracePtr trace)
      : ObservedDatabase(std::move(inner),
                         [trace = std::move(trace)](std::string_view text) { trace->Write(text); }) {}
};

class TracedProcedureCall final : public ForwardingProcedureCall {
 public:
  TracedProcedureCall(IDBProcedureCallPtr inner, StatementTracePtr trace)
      : ForwardingProcedureCall(std::move(inner)), trace_(std::move(trace)) {}
  void SetName(std::string_view routine) override;
  void AddParameter(std::string_view valueText, std::string_view type, std::string_view name = "",
                    int32_t flags = 0) override;
  Variant Run() override;

 private:
  StatementTracePtr trace_;
  std::string name_;
  std::string texts_;  // the parameters' texts, joined by ","
  int parameters_ = 0;
};

// Traces only the steps that reach a transaction: a commit or rollback with none open is not
// one.
class TracedQueryService final : public ForwardingQueryService {
 public:
  TracedQueryService(IXMLQueryServicePtr inner, StatementTracePtr trace)
      : ForwardingQueryService(std::move(inner)), trace_(std::move(trace)) {}
  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;

 private:
  StatementTracePtr trace_;
  int depth_ = 0;
};

}  // namespace ridirodev::standalone
