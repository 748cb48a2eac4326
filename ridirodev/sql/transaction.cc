#include "ridirodev/sql/transaction.h"

#include <optional>

#include "ridirodev/frame/error_reports.h"
#include "ridirodev/frame/state.h"

namespace ridirodev::sql {

bool SaveReported(std::string_view sOperation, const std::function<void(Transaction&)>& write) {
  std::optional<Transaction> transaction;
  try {
    transaction.emplace(MRidirodev::Current().XmlQueryService());
    write(*transaction);
    return true;
  } catch (...) {
    if (transaction && transaction->Committed()) {
      ReportCurrentWarning(sOperation, "Saved, but a later step failed");
      return true;
    }
    if (transaction) transaction->RollbackIfOpen();
    ReportCurrentError();
    return false;
  }
}

}  // namespace ridirodev::sql
