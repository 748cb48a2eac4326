#pragma once

// Loads of an application's entity hierarchy and of an entity's common fields.

#include <cstdint>
#include <string>

namespace ridirodev {
class CFieldCategories;
class CFields;
}  // namespace ridirodev

namespace ridirodev::sql {

// One category per hierarchy row of the context, then the tree. The rows may come in any
// order; a category whose parent cannot be placed is logged and left out of the tree.
void LoadFieldCategories(const std::string& appName, int32_t contextId, CFieldCategories& categories);
// The entity's fields, each initialised as a common field, added to fields.
void LoadEntityFields(int32_t entityId, CFields& fields);

}  // namespace ridirodev::sql
