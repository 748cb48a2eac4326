#pragma once

#include "ridirodev/core/object.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

// Created by the host's database library, which calls Initialize once the component is
// loaded: it warms the caches every later call relies on and checks the input limits.
class CRidirodevInitializer : public Object, public IDBObjectInitializer {
 public:
  // Database errors propagate; limits that cannot be measured are logged, not failed.
  bool Initialize() override;
};

}  // namespace ridirodev
