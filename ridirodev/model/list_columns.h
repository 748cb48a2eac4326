#pragma once

// The columns of the field list views: one property definition per column, in the order shown.

#include <cstdint>
#include <string_view>

#include "ridirodev/host/controls.h"

namespace ridirodev {

class IAppSupport;
class MRidirodev;
class CAppGroupTemplate;

// Adds a column of the list views' common width.
void AddColumnDefinition(IAppSupport& support, IAppPropertySet& set, int32_t id, std::string_view name,
                         bool available = true);

// The field columns of a template (or of none): the tool set leaves out the columns only the
// dictionary editor shows, and editableOnly marks extra columns users may not edit. The
// aggregation feature is asked, and the extra columns loaded, while the set is built.
IAppPropertySetPtr FieldPropertySet(MRidirodev& state, CAppGroupTemplate* tpl, bool tool, bool editableOnly);

}  // namespace ridirodev
