#pragma once

// What the command tests compare: a command's output, or its error.

#include <functional>
#include <ostream>
#include <sstream>
#include <string>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::tool {

// What command printed, or "error: " and the description of the error it raised.
inline std::string CommandOutput(const std::function<void(std::ostream&)>& command) {
  std::ostringstream out;
  try {
    command(out);
  } catch (const AutomationError& e) {
    return "error: " + e.Description();
  }
  return out.str();
}

}  // namespace ridirodev::tool
