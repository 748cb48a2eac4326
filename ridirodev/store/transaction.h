#pragma once

#include <functional>
#include <string_view>

#include "ridirodev/host/database.h"

namespace ridirodev {
class HostServices;
}  // namespace ridirodev

namespace ridirodev::sql {

// A transaction of the query service that knows whether it is still open and whether it was
// committed, so that a failure before it began, or after it was committed, rolls back nothing.
class Transaction {
 public:
  explicit Transaction(IXMLQueryService& service) : service_(service) {}
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Begin() {
    service_.BeginTransaction();
    open_ = true;
  }
  void Commit() {
    service_.CommitTransaction();
    open_ = false;
    committed_ = true;
  }
  bool Committed() const noexcept { return committed_; }
  // A failing rollback must not hide the error that made it necessary.
  void RollbackIfOpen() noexcept {
    if (!open_) return;
    open_ = false;
    try {
      service_.RollbackTransaction();
    } catch (...) {
    }
  }

 private:
  IXMLQueryService& service_;
  bool open_ = false;
  bool committed_ = false;
};

// Runs a write that begins and commits the transaction it is given, on the component's query
// service (resolved here, so that a host without one is reported as any other failure is).
// A failure before the commit rolls the transaction back and goes to the host's error reporter
// once: the answer is false. A failure after the commit cannot take the write back: it is
// logged once as a warning, naming sOperation, and the answer is true.
bool SaveReported(HostServices& services, std::string_view sOperation, const std::function<void(Transaction&)>& write);

}  // namespace ridirodev::sql
