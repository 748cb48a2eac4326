#pragma once

#include <memory>
#include <string>
#include <type_traits>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/object.h"

namespace ridirodev {

// The key of a member that keeps its key for life (KeyRef), read in place.
struct MemberKeyRef {
  template <class P>
  const std::string& operator()(const P& member) const {
    return member->KeyRef();
  }
};

// The common shape of the plural classes: a keyed collection of object references, each added
// under its own Key(), with the duplicate rule of the class. Item and Exists never throw;
// Remove fails with 5 for a missing key and 9 for a bad position. With KeyOf = MemberKeyRef,
// members whose key is fixed for life are indexed by it in place, without a copy of the key.
template <class T, DuplicateKey kPolicy = DuplicateKey::kError, class KeyOf = void>
class ObjectCollection : public Object {
 public:
  using ItemPtr = std::shared_ptr<T>;
  using Storage = KeyedCollection<ItemPtr, KeyOf>;
  using const_iterator = typename Storage::const_iterator;

  // A null member is ignored; otherwise the class's duplicate rule applies (457 for kError).
  void Add(ItemPtr item) {
    if (!item) return;
    if constexpr (!std::is_void_v<KeyOf>) {
      items_.Add(std::move(item));
    } else {
      // Taken before the member is moved; the member keeps the text alive while it is added.
      const auto& key = item->Key();
      items_.Add(std::move(item), key);
    }
  }
  // Adds every member of other in order, under this collection's duplicate rule. Into an
  // empty collection the members and their key index are copied whole.
  void AddAll(const ObjectCollection& other) {
    if (items_.empty()) {
      items_ = other.items_;
      return;
    }
    items_.reserve(static_cast<size_t>(items_.Count() + other.items_.Count()));
    for (const ItemPtr& item : other) Add(item);
  }
  // Room for n members, for callers that know how many will be added.
  void Reserve(size_t n) { items_.reserve(n); }
  int32_t Count() const noexcept { return items_.Count(); }
  ItemPtr Item(const Variant& index) const { return items_.Item(index); }
  bool Exists(const Variant& index) const { return items_.Exists(index); }
  void Remove(const Variant& index) { items_.Remove(index); }
  void Clear() noexcept { items_.Clear(); }
  std::shared_ptr<KeyedEnumerator<ItemPtr>> NewEnum() const { return items_.NewEnum(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

  const Storage& Items() const noexcept { return items_; }

 protected:
  Storage items_{kPolicy};
};

}  // namespace ridirodev
