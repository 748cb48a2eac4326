#pragma once

// What the command tests share: a host over the sample dictionary, and a command's output or
// its error.

#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "ridirodev/core/automation_error.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::tool {

// A host over the sample dictionary in a database of its own in memory.
inline std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config = {}) {
  config.db = ":memory:";
  auto host = std::make_shared<standalone::StandaloneHost>(config);
  standalone::CreateDictionarySchema(host->Sqlite()->Connection()->Handle());
  standalone::LoadSampleDictionary(host->Sqlite()->Connection()->Handle(), {});
  return host;
}

// What command printed, followed by "error: " and the description of the error it raised.
inline std::string CommandOutput(const std::function<void(std::ostream&)>& command) {
  std::ostringstream out;
  try {
    command(out);
  } catch (const AutomationError& e) {
    return out.str() + "error: " + e.Description();
  }
  return out.str();
}

}  // namespace ridirodev::tool
