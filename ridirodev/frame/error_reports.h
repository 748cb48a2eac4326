#pragma once

// The error being handled, as the host sees it. Call these only inside a catch block.

#include <string>

#include "ridirodev/core/automation_error.h"

namespace ridirodev {

// The error being handled as an automation error; any other exception keeps its text.
AutomationError CurrentError();
// Passes the error being handled to the host's error reporter, with an empty text.
void ReportCurrentError();
// The same for an error kept from an earlier catch.
void ReportError(const AutomationError& error);
// The host reporter's text of the error being handled.
std::string CurrentErrorText();

}  // namespace ridirodev
