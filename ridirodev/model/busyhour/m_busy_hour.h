#pragma once

// The busy-hour caches of the component, kept by the thread's state (MRidirodev::BusyHour()):
// each is made on first use and lives as long as the state.

#include <memory>
#include <optional>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/host/controls.h"

namespace ridirodev {

class CBusyHourTypes;
class CBusyHourClipboard;

struct MBusyHour {
  std::optional<bool> retentionColumns;  // whether PM_BusyHour has the retention columns
  std::optional<bool> weeklyMonthly;     // whether daily, weekly and monthly busy hours are active
  IAppPropertySetPtr propertiesWithField;
  IAppPropertySetPtr propertiesWithoutField;
  std::shared_ptr<CBusyHourTypes> summationTypes;
  std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> frequencies;
  std::shared_ptr<CBusyHourClipboard> dragClipboard;
  std::shared_ptr<CBusyHourClipboard> copyClipboard;
};

}  // namespace ridirodev
