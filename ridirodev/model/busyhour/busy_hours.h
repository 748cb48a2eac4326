#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/event.h"
#include "ridirodev/core/object_collection.h"
#include "ridirodev/host/items.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/enums.h"

namespace ridirodev {

class CFieldCategory;
class IAppPropertySet;

// Busy-hour definitions by key ("BH" and the id), in the order added. Every change is
// announced through StateChange after it is made.
class CBusyHours : public Object, public std::enable_shared_from_this<CBusyHours> {
 public:
  CBusyHours();
  ~CBusyHours() override;

  // bh is the added or removed definition; nullptr for bhsClear.
  Event<EBusyHoursChange, std::shared_ptr<CBusyHour>> StateChange;

  // A clone of every definition, added with Add, when fCopyFields; else a new empty collection.
  std::shared_ptr<CBusyHours> Clone(bool fCopyFields = true) const;
  // Appends bh and announces it; a key already present (or a null bh) is ignored silently.
  void Add(const std::shared_ptr<CBusyHour>& bh);
  // Replaces the definition under bh's key (announcing the removal, then the addition), which
  // moves it to the end; nothing when the key is absent.
  void Update(const std::shared_ptr<CBusyHour>& bh);
  // Removes the definition Item(v) finds and announces it; nothing when it finds none.
  void Delete(const Variant& v);
  // Empties the collection and announces bhsClear, even when it was empty.
  void Clear();
  int32_t Count() const noexcept { return items_.Count(); }
  bool Exists(const Variant& v) const { return Item(v) != nullptr; }
  // By key or 1-based position; nullptr when absent.
  std::shared_ptr<CBusyHour> Item(const Variant& v) const { return items_.Item(v); }
  std::shared_ptr<KeyedEnumerator<CBusyHourPtr>> NewEnum() const { return items_.NewEnum(); }
  KeyedCollection<CBusyHourPtr>::const_iterator begin() const { return items_.begin(); }
  KeyedCollection<CBusyHourPtr>::const_iterator end() const { return items_.end(); }
  // The definitions as text by the property set's renderer (the busy-hour properties with the
  // field column when none is given).
  std::string Table(const std::shared_ptr<IAppPropertySet>& lvps = nullptr,
                    bool fShowColumnHeadings = true) const;

  // The host list view's view of this collection (its Add and Item clash with ours).
  std::shared_ptr<ILVItemCollection> ListItems();

 private:
  KeyedCollection<CBusyHourPtr> items_{DuplicateKey::kSkip};
};
using CBusyHoursPtr = std::shared_ptr<CBusyHours>;

// The adapter behind CBusyHours::ListItems(); it keeps the collection alive.
class CBusyHoursListItems final : public Object, public ILVItemCollection {
 public:
  explicit CBusyHoursListItems(CBusyHoursPtr busyHours) : busyHours_(std::move(busyHours)) {}
  const CBusyHoursPtr& BusyHours() const noexcept { return busyHours_; }

  // Clone(false): a new empty collection.
  ILVItemCollectionPtr Create() const override;
  // Adds the item as a busy hour and returns it; error 13 for any other item.
  ILVItemObjectPtr Add(ILVItemObjectPtr item) override;
  void Delete(const Variant& keyOrIndex) override;
  int32_t Count() const override;
  ILVItemObjectPtr Item(const Variant& keyOrIndex) const override;

 private:
  CBusyHoursPtr busyHours_;
};

// The kind of busy hour of one entity type, or the single summation type (no category).
class CBusyHourType : public Object {
 public:
  // Only the component makes types.
  explicit CBusyHourType(std::shared_ptr<CFieldCategory> category = nullptr);
  ~CBusyHourType() override;

  // "<entity or category name> Busy Hour" (the entity under the extended views), or "Summation".
  std::string Name() const;
  std::string Key() const { return Name(); }
  int32_t TypeEntityId() const;
  const std::shared_ptr<CFieldCategory>& Category() const noexcept { return category_; }

 private:
  std::shared_ptr<CFieldCategory> category_;
};
using CBusyHourTypePtr = std::shared_ptr<CBusyHourType>;

// Types by name; a second type of the same name is the duplicate-key error (457).
class CBusyHourTypes : public ObjectCollection<CBusyHourType> {};
using CBusyHourTypesPtr = std::shared_ptr<CBusyHourTypes>;

}  // namespace ridirodev
