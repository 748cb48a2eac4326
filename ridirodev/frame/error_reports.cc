#include "ridirodev/frame/error_reports.h"

#include <exception>

#include "ridirodev/frame/state.h"

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

void ReportCurrentError() { ReportError(CurrentError()); }

void ReportError(const AutomationError& error) {
  if (IAppErrorReporterPtr reporter = MRidirodev::Current().HostObject().CreateErrorReporter(error)) {
    reporter->Report("");
  }
}

void ReportCurrentWarning(std::string_view sOperation, std::string_view sWhat) {
  const AutomationError error = CurrentError();
  try {
    MRidirodev::Current().Support().Log(2, "Ridirodev", "MRidirodev", sOperation,
                                        {std::string(sWhat), "Error " + std::to_string(error.Number()) + " (" +
                                                                 error.Source() + "): " + error.Description()});
  } catch (...) {
    // Nothing is left to tell it to.
  }
}

std::string CurrentErrorText() {
  const AutomationError error = CurrentError();
  IAppErrorReporterPtr reporter = MRidirodev::Current().HostObject().CreateErrorReporter(error);
  return reporter ? reporter->ErrorText() : error.Description();
}

}  // namespace ridirodev
