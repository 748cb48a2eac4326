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

std::string CurrentErrorText() {
  const AutomationError error = CurrentError();
  IAppErrorReporterPtr reporter = MRidirodev::Current().HostObject().CreateErrorReporter(error);
  return reporter ? reporter->ErrorText() : error.Description();
}

}  // namespace ridirodev
