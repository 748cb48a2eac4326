#include "ridirodev/model/busyhour/busy_hours.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/busy_hour_properties.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

CBusyHours::CBusyHours() = default;
CBusyHours::~CBusyHours() = default;

std::shared_ptr<CBusyHours> CBusyHours::Clone(bool fCopyFields) const {
  auto copy = std::make_shared<CBusyHours>();
  if (fCopyFields) {
    for (const CBusyHourPtr& bh : items_) copy->Add(bh->Clone());
  }
  return copy;
}

void CBusyHours::Add(const std::shared_ptr<CBusyHour>& bh) {
  if (!bh || !items_.Add(bh, bh->Key())) return;
  StateChange.Raise(bhsadd, bh);
}

void CBusyHours::Update(const std::shared_ptr<CBusyHour>& bh) {
  if (!bh) return;
  const std::string key = bh->Key();
  if (!items_.ContainsKey(key)) return;
  Delete(Variant(key));
  Add(bh);
}

void CBusyHours::Delete(const Variant& v) {
  CBusyHourPtr bh = Item(v);
  if (!bh) return;
  // Removed where it was found: its id, and so its key, may have changed since it was added.
  if (v.IsString()) {
    items_.RemoveKey(v.StringRef());
  } else {
    items_.Remove(v);
  }
  StateChange.Raise(bhsDelete, bh);
}

void CBusyHours::Clear() {
  items_ = KeyedCollection<CBusyHourPtr>(DuplicateKey::kSkip);
  StateChange.Raise(bhsClear, nullptr);
}

std::string CBusyHours::Table(const std::shared_ptr<IAppPropertySet>& lvps, bool fShowColumnHeadings) const {
  IAppPropertySetPtr properties = lvps ? lvps : BusyHourProperties(MRidirodev::Current(), true, false);
  IAppSupport& support = MRidirodev::Current().Support();
  // The renderer only reads during the call: a non-owning view also serves a collection that no
  // shared_ptr holds.
  const CBusyHoursListItems items(CBusyHoursPtr(CBusyHoursPtr(), const_cast<CBusyHours*>(this)));
  return properties->RenderTable(items, fShowColumnHeadings, 0, 0, 0, support.TableRendererContext());
}

std::shared_ptr<ILVItemCollection> CBusyHours::ListItems() {
  return std::make_shared<CBusyHoursListItems>(shared_from_this());
}

ILVItemCollectionPtr CBusyHoursListItems::Create() const { return busyHours_->Clone(false)->ListItems(); }

ILVItemObjectPtr CBusyHoursListItems::Add(ILVItemObjectPtr item) {
  auto bh = std::dynamic_pointer_cast<CBusyHour>(item);
  if (!bh) throw AutomationError(ErrorNumber::kTypeMismatch, "CBusyHours", "Type mismatch");
  busyHours_->Add(bh);
  return item;
}

void CBusyHoursListItems::Delete(const Variant& keyOrIndex) { busyHours_->Delete(keyOrIndex); }

int32_t CBusyHoursListItems::Count() const { return busyHours_->Count(); }

ILVItemObjectPtr CBusyHoursListItems::Item(const Variant& keyOrIndex) const {
  return busyHours_->Item(keyOrIndex);
}

CBusyHourType::CBusyHourType(std::shared_ptr<CFieldCategory> category) : category_(std::move(category)) {}
CBusyHourType::~CBusyHourType() = default;

std::string CBusyHourType::Name() const {
  if (!category_) return "Summation";
  const bool extended = MRidirodev::Current().Support().ExtendedEntityViews();
  return BusyHourTypeName(extended ? category_->CategoryEntity() : category_->CategoryName());
}

int32_t CBusyHourType::TypeEntityId() const { return category_ ? category_->Id() : 0; }

}  // namespace ridirodev
