#pragma once

#include <cstdint>
#include <functional>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::testing {

// The automation error number a call raises, or 0 when it raises nothing.
inline int32_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace ridirodev::testing
