#pragma once

#include "ridirodev/frame/error_reports.h"
#include "ridirodev/host/database.h"

namespace ridirodev::sql {

// A transaction of the query service that knows whether it is still open, so that a failure
// before it began, or after it was committed, rolls back nothing.
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
  }
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
};

// Runs a write that begins and commits the transaction it is given. On any failure the
// transaction is rolled back when still open and the error goes to the host's error reporter
// once; answers whether the write ran through.
template <class Write>
bool SaveReported(IXMLQueryService& service, Write&& write) {
  Transaction transaction(service);
  try {
    write(transaction);
    return true;
  } catch (...) {
    transaction.RollbackIfOpen();
    ReportCurrentError();
    return false;
  }
}

}  // namespace ridirodev::sql
