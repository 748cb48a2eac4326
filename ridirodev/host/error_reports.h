#pragma once

// The error being handled, as the host sees it. Call these only inside a catch block.

#include <string>
#include <string_view>

#include "ridirodev/core/automation_error.h"


namespace ridirodev {

class HostServices;

// The error being handled as an automation error; any other exception keeps its text.
AutomationError CurrentError();
// Passes the error being handled to the host's error reporter, with an empty text.
void ReportCurrentError(HostServices& services);
// The same for an error kept from an earlier catch.
void ReportError(HostServices& services, const AutomationError& error);
// Logs the error being handled as a warning of sOperation (severity 2, after the text sWhat):
// for a failure that comes after the work was done and must not make it look undone. Never
// throws.
void ReportCurrentWarning(HostServices& services, std::string_view sOperation, std::string_view sWhat);
// The host reporter's text of the error being handled.
std::string CurrentErrorText(HostServices& services);

}  // namespace ridirodev
