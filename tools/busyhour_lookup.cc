#include "tools/busyhour_lookup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_busy_hour.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field_category.h"
#include "tools/command_support.h"

namespace ridirodev::tool {
namespace {

// A busy hour whose field was deleted is in no list: the lists read the field's name with the
// definition. By id it is read alone, so that it can be shown and deleted.
CBusyHourPtr BusyHourWithoutField(const std::string& entity, int32_t id) {
  auto bh = std::make_shared<CBusyHour>();
  bh->LoadBusyHourById(id);
  const CFieldCategoryPtr category = bh->CategoryObject();
  if (!category || bh->FieldObject()) return nullptr;
  return entity.empty() || category->Id() == TrafficCategory(entity)->Id() ? bh : nullptr;
}

}  // namespace

CFieldCategoryPtr TrafficCategory(const std::string& entity) { return RequireCategory("Traffic", entity); }

bool IsSummation(const CBusyHour& bh) { return bh.FieldObject() == nullptr; }

std::string EntityOf(const CBusyHour& bh) {
  const CFieldCategoryPtr category = bh.CategoryObject();
  return category ? category->CategoryEntity() : "no entity";
}

std::string Describe(const CBusyHour& bh) {
  return (IsSummation(bh) ? "summation " : "busy hour ") + bh.Name() + " at " + EntityOf(bh) + " (id " +
         std::to_string(bh.Id()) + ")";
}

CBusyHoursPtr Definitions(const std::string& entity) {
  auto all = std::make_shared<CBusyHours>();
  if (entity.empty()) {
    GBusyHour::LoadAllBusyHours(*all, true);
    GBusyHour::LoadAllSummations(*all, true);
  } else {
    const CFieldCategoryPtr category = TrafficCategory(entity);
    for (const CBusyHoursPtr& some : {category->BusyHours(), category->Summations()}) {
      for (const CBusyHourPtr& bh : *some) all->Add(bh);
    }
  }
  return all;
}

CBusyHourPtr FindBusyHour(const std::string& entity, const std::string& given, NamedBy by, bool* fieldGone) {
  const std::string name(TrimBlanks(given));
  if (name.empty()) Invalid("A busy hour name or id is missing.");
  const auto id = IdOf(name, by);
  std::vector<CBusyHourPtr> found, byId;
  const CBusyHoursPtr all = Definitions(entity);
  for (const CBusyHourPtr& bh : *all) {
    if (id && bh->Id() == *id) byId.push_back(bh);
    if (by != NamedBy::kId && EqualsNoCase(bh->Name(), name) && !(id && bh->Id() == *id)) found.push_back(bh);
  }
  const std::string where = entity.empty() ? "" : " at " + entity;
  bool gone = false;
  if (byId.empty() && id && fieldGone) {
    if (CBusyHourPtr bh = BusyHourWithoutField(entity, *id)) {
      byId.push_back(bh);
      gone = true;
    }
  }
  if (!byId.empty() && !found.empty()) {
    std::vector<std::string> named;
    for (const CBusyHourPtr& bh : found) named.push_back(Describe(*bh));
    IdAndName(name, Describe(*byId.front()), named, "say which with --id or --name.");
  }
  if (gone) {
    *fieldGone = true;
    return byId.front();
  }
  if (!byId.empty()) found = byId;
  if (found.empty()) {
    Invalid("There is no busy hour or summation " + (id ? "with id " + name : "named '" + name + "'") +
            where + ".");
  }
  // Names differing only in case may have been stored by other clients: the exact one wins.
  if (found.size() > 1 && std::count_if(found.begin(), found.end(),
                                        [&](const CBusyHourPtr& bh) { return bh->Name() == name; }) == 1) {
    std::erase_if(found, [&](const CBusyHourPtr& bh) { return bh->Name() != name; });
  }
  if (found.size() > 1) {
    std::string ids;
    for (const CBusyHourPtr& bh : found) {
      ids += (ids.empty() ? "" : ", ") + std::to_string(bh->Id()) + " (" + EntityOf(*bh) + ")";
    }
    Invalid("The name '" + name + "' is used by ids " + ids + "; name one by id, or choose with --entity.");
  }
  const CFieldCategoryPtr category = found.front()->CategoryObject();
  if (!category) Invalid(Describe(*found.front()) + " belongs to no Traffic entity.");
  // The whole-dictionary read leaves out the PABH: the category's copy has it.
  const CBusyHoursPtr own = IsSummation(*found.front()) ? category->Summations() : category->BusyHours();
  const CBusyHourPtr bh = own->Item(Variant(found.front()->Key()));
  return bh ? bh : found.front();
}

std::vector<CBusyHourPtr> FindAll(const std::string& entity, const std::vector<std::string>& names,
                                  NamedBy by) {
  if (names.empty()) Invalid("No busy hour was named.");
  std::vector<CBusyHourPtr> bhs;
  for (const std::string& name : names) bhs.push_back(FindBusyHour(entity, name, by));
  return bhs;
}

}  // namespace ridirodev::tool
