#pragma once

#include <memory>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/object.h"

namespace ridirodev {

// The common shape of the plural classes: a keyed collection of object references, each added
// under its own Key(), with the duplicate rule of the class. Item and Exists never throw;
// Remove fails with 5 for a missing key and 9 for a bad position.
template <class T, DuplicateKey kPolicy = DuplicateKey::kError>
class ObjectCollection : public Object {
 public:
  using ItemPtr = std::shared_ptr<T>;
  using const_iterator = typename KeyedCollection<ItemPtr>::const_iterator;

  // A null member is ignored; otherwise the class's duplicate rule applies (457 for kError).
  void Add(ItemPtr item) {
    if (!item) return;
    const auto key = item->Key();
    items_.Add(std::move(item), key);
  }
  int32_t Count() const noexcept { return items_.Count(); }
  ItemPtr Item(const Variant& index) const { return items_.Item(index); }
  bool Exists(const Variant& index) const { return items_.Exists(index); }
  void Remove(const Variant& index) { items_.Remove(index); }
  void Clear() noexcept { items_.Clear(); }
  std::shared_ptr<KeyedEnumerator<ItemPtr>> NewEnum() const { return items_.NewEnum(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

  const KeyedCollection<ItemPtr>& Items() const noexcept { return items_; }

 protected:
  KeyedCollection<ItemPtr> items_{kPolicy};
};

}  // namespace ridirodev
