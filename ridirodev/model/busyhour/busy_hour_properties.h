#pragma once

// The list-view columns of busy hours.

#include "ridirodev/host/controls.h"

namespace ridirodev {

class MRidirodev;

// Cached per kind in the state's MBusyHour: with the field column (no span column), or without
// it (the span column exactly when asked for on the first call).
IAppPropertySetPtr BusyHourProperties(MRidirodev& state, bool fIncludeFieldColumn,
                                      bool bIsDWMBusyHoursSupported);

}  // namespace ridirodev
