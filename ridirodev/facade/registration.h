#pragma once
// The in-process server's entry points, for a host that keeps registrations in its registry
// area: what the catalogue registers, the class factories, and the unload check.
#include <functional>
#include <string_view>

#include "ridirodev/core/object.h"

namespace ridirodev {

class IRegistryKey;

// Records the library and every class under root: "TypeLib\Ridirodev" (Version, Locale and the
// counts) and one "Classes\Ridirodev.<class>" key per class (Instancing, Library). A second
// registration rewrites the same keys.
void RegisterServer(IRegistryKey& root);
// Removes what RegisterServer records, and nothing else.
void UnregisterServer(IRegistryKey& root);
// The factory of a creatable class or a global object by name; 429 for any other.
std::function<ObjectPtr()> GetClassObject(std::string_view className);
// Whether no object of the component is alive.
bool CanUnloadNow();

}  // namespace ridirodev
