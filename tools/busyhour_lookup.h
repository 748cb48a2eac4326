#pragma once

// How the busy-hour commands find the busy hours and summations a command line names, and name
// them in their messages.

#include <memory>
#include <string>
#include <vector>

#include "tools/input_checks.h"

namespace ridirodev {
class CBusyHour;
class CBusyHours;
class CFieldCategory;
}  // namespace ridirodev

namespace ridirodev::tool {

// The Traffic entity by id, name, label or context label.
std::shared_ptr<CFieldCategory> TrafficCategory(const std::string& entity);
bool IsSummation(const CBusyHour& bh);
// The entity of the definition, "no entity" when it has none.
std::string EntityOf(const CBusyHour& bh);
// "busy hour Cell Evening BH at CellSite (id 1)": how a definition is named in messages.
std::string Describe(const CBusyHour& bh);

// Busy hours and summations of one entity, or of every Traffic entity, with their hours.
std::shared_ptr<CBusyHours> Definitions(const std::string& entity);
// A definition by id or name at the entity ("" for any). With fieldGone given, a busy hour
// whose field was deleted is found by id too, and marked so. A number may be a name too: one
// that is both the id of one definition and the name of another is an error unless by says
// which. An unknown or ambiguous name is an error.
std::shared_ptr<CBusyHour> FindBusyHour(const std::string& entity, const std::string& given, NamedBy by,
                                        bool* fieldGone = nullptr);
// The definitions named, each as FindBusyHour finds it; none named is an error.
std::vector<std::shared_ptr<CBusyHour>> FindAll(const std::string& entity,
                                                const std::vector<std::string>& names, NamedBy by);

}  // namespace ridirodev::tool
