#include "ridirodev/host/error_reports.h"

#include <exception>

#include "ridirodev/host/host_services.h"
#include "ridirodev/host/services.h"

namespace ridirodev {

AutomationError CurrentError() {
  constexpr const char* kSource = "MRidirodev";
  try {
    throw;
  } catch (const AutomationError& e) {
    return e;
  } catch (const std::exception& e) {
    return AutomationError(ErrorNumber::kInvalidArgument, kSource, e.what());
  } catch (...) {
    return AutomationError(ErrorNumber::kInvalidArgument, kSource, "Unknown error");
  }
}

void ReportCurrentError(HostServices& services) { ReportError(services, CurrentError()); }

void ReportError(HostServices& services, const AutomationError& error) {
  if (IAppErrorReporterPtr reporter = services.HostObject().CreateErrorReporter(error)) {
    reporter->Report("");
  }
}

void ReportCurrentWarning(HostServices& services, std::string_view sOperation, std::string_view sWhat) {
  const AutomationError error = CurrentError();
  try {
    services.Support().Log(2, "Ridirodev", "MRidirodev", sOperation,
                                        {std::string(sWhat), "Error " + std::to_string(error.Number()) + " (" +
                                                                 error.Source() + "): " + error.Description()});
  } catch (...) {
    // Nothing is left to tell it to.
  }
}

std::string CurrentErrorText(HostServices& services) {
  const AutomationError error = CurrentError();
  IAppErrorReporterPtr reporter = services.HostObject().CreateErrorReporter(error);
  return reporter ? reporter->ErrorText() : error.Description();
}

}  // namespace ridirodev
