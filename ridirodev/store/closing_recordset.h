#pragma once

#include <memory>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"

namespace ridirodev::sql {

// Owns an open row set and closes it also when reading a row fails, without hiding that
// row's error: the host's row sets hold server cursors until they are closed.
class ClosingRecordset {
 public:
  explicit ClosingRecordset(IDBRecordsetPtr rs) : rs_(std::move(rs)) {}
  ClosingRecordset(const ClosingRecordset&) = delete;
  ClosingRecordset& operator=(const ClosingRecordset&) = delete;
  ~ClosingRecordset() {
    if (!rs_) return;
    try {
      rs_->Close();
    } catch (const AutomationError&) {
      // The error already on its way matters more.
    }
  }
  // The normal end of the walk: a failing close is reported.
  void Close() {
    IDBRecordsetPtr rs = std::move(rs_);
    if (rs) rs->Close();
  }
  IDBRecordset* operator->() const noexcept { return rs_.get(); }
  IDBRecordset& operator*() const noexcept { return *rs_; }
  explicit operator bool() const noexcept { return rs_ != nullptr; }

 private:
  IDBRecordsetPtr rs_;
};

}  // namespace ridirodev::sql
