#include "engine/engine_database.h"

#include <string>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::engine {

Variant EngineDatabase::RunRoutine(std::string_view name, const std::vector<Variant>& args,
                                   std::vector<Variant>* outputs) {
  if (!routines_) {
    throw AutomationError(kDatabaseError, Source(), "No stored routines are installed: " + std::string(name));
  }
  return routines_(*this, name, args, outputs);
}

}  // namespace ridirodev::engine
