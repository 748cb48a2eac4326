#pragma once

// The settings services of the standalone host: the settings tree and registry area kept in
// one per-user XML file, and the application-group services built on them.

#include "standalone/group_services.h"
#include "standalone/registry_key.h"
#include "standalone/settings_node.h"
#include "standalone/settings_store.h"
