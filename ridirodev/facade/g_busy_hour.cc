// The members of GBusyHour that run no busy-hour statement.
#include "ridirodev/facade/g_busy_hour.h"

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/busyhour/busy_hour_properties.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/clipboard/clipboards.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

std::shared_ptr<CBusyHourClipboard> GBusyHour::BusyHourClipboard(bool fDragging) {
  MBusyHour& cache = MRidirodev::Current().BusyHour();
  auto& clipboard = fDragging ? cache.dragClipboard : cache.copyClipboard;
  if (!clipboard) clipboard = std::make_shared<CBusyHourClipboard>();
  return clipboard;
}

std::string GBusyHour::BusyHourKey(int32_t ord) { return ridirodev::BusyHourKey(ord); }

IAppPropertySetPtr GBusyHour::BusyHourProperties(bool fIncludeFieldColumn, bool bIsDWMBusyHoursSupported) {
  return ridirodev::BusyHourProperties(MRidirodev::Current(), fIncludeFieldColumn, bIsDWMBusyHoursSupported);
}

std::shared_ptr<CBusyHourTypes> GBusyHour::BusyHourTypes(const Variant& vEntity) {
  auto types = std::make_shared<CBusyHourTypes>();
  CFieldCategoriesPtr categories = GRidirodev::TrafficCategories();
  if (!categories) return types;
  if (vEntity.IsMissing()) {
    for (const CFieldCategoryPtr& category : *categories)
      types->Add(std::make_shared<CBusyHourType>(category));
    return types;
  }
  CFieldCategoryPtr category;
  if (vEntity.Type() == VarType::Integer) {
    category = categories->Item(Variant(GRidirodev::EntityKey(vEntity.ToInt32())));
  } else if (vEntity.IsString()) {
    category = GRidirodev::LookupCategoryByName("Traffic", vEntity.StringRef());
  }
  // From the entity up to the most general one. The hierarchy has no loops (they are cut when it
  // is built), and a category met twice would fail as a duplicate type anyway.
  for (; category; category = category->Parent()) types->Add(std::make_shared<CBusyHourType>(category));
  return types;
}

std::shared_ptr<CBusyHourTypes> GBusyHour::SummationTypes() {
  MBusyHour& cache = MRidirodev::Current().BusyHour();
  if (!cache.summationTypes) {
    cache.summationTypes = std::make_shared<CBusyHourTypes>();
    cache.summationTypes->Add(std::make_shared<CBusyHourType>());
  }
  return cache.summationTypes;
}

void GBusyHour::UpdateBusyHourTypeCB(IComboBox& cboType, bool fSummation, bool fIncludeAll,
                                     const Variant& vEntity, bool fAddSummation) {
  IAppSupport& support = MRidirodev::Current().Support();
  cboType.Clear();
  if (fIncludeAll) support.PrepareCombo(cboType, "Busy Hours", "All");
  if (fSummation || fAddSummation) {
    const std::shared_ptr<CBusyHourTypes> types = SummationTypes();
    for (const CBusyHourTypePtr& type : *types) cboType.AddItem(type->Name());
  }
  if (!fSummation) {
    const std::shared_ptr<CBusyHourTypes> types = BusyHourTypes(vEntity);
    for (const CBusyHourTypePtr& type : *types) cboType.AddItem(type->Name());
  }
  support.CompleteCombo(cboType);
}

std::string GBusyHour::BusyHourType(const std::string& sCategory) { return BusyHourTypeName(sCategory); }

int32_t GBusyHour::BusyHourNameLength() { return MRidirodev::Current().BusyHourNameLength(); }

int32_t GBusyHour::BusyHourDescriptionLength() { return MRidirodev::Current().BusyHourDescriptionLength(); }

}  // namespace ridirodev
