#include "ridirodev/store/transaction.h"

#include <optional>

#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/host_services.h"

namespace ridirodev::sql {

bool SaveReported(HostServices& services, std::string_view sOperation, const std::function<void(Transaction&)>& write) {
  std::optional<Transaction> transaction;
  try {
    transaction.emplace(services.XmlQueryService());
    write(*transaction);
    return true;
  } catch (...) {
    if (transaction && transaction->Committed()) {
      ReportCurrentWarning(services, sOperation, "Saved, but a later step failed");
      return true;
    }
    if (transaction) transaction->RollbackIfOpen();
    ReportCurrentError(services);
    return false;
  }
}

}  // namespace ridirodev::sql
