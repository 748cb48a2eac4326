#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/text.h"
#include "ridirodev/core/variant.h"

namespace ridirodev {

// What Add does when the key is already present.
enum class DuplicateKey {
  kError,    // fail with 457, nothing added
  kSkip,     // keep the first member, ignore the new one
  kReplace,  // remove the present member, append the new one at the end
};

// How keys compare: without regard to case, as automation collections do, or exactly, as a
// dictionary does.
enum class KeyCase { kIgnore, kExact };

// What a late-bound caller iterates: the members one by one as values.
class ValueEnumerator : public Object {
 public:
  // Writes the next member to out; false at the end.
  virtual bool NextValue(Variant& out) = 0;
};

// Enumerator handed out by NewEnum: walks a snapshot of the members in position order,
// so a collection changed during the walk cannot invalidate it.
template <class T>
class KeyedEnumerator : public ValueEnumerator {
 public:
  explicit KeyedEnumerator(std::vector<T> items) : items_(std::move(items)) {}
  // Writes the next member to out; false at the end.
  bool Next(T& out) {
    if (pos_ >= items_.size()) return false;
    out = items_[pos_++];
    return true;
  }
  bool NextValue(Variant& out) override {
    if constexpr (std::is_constructible_v<Variant, const T&>) {
      if (pos_ >= items_.size()) return false;
      out = Variant(items_[pos_++]);
      return true;
    } else {
      throw AutomationError(ErrorNumber::kTypeMismatch, "Collection", "Type mismatch");
    }
  }
  void Reset() noexcept { pos_ = 0; }
  void Skip(size_t n) noexcept { pos_ = std::min(items_.size(), pos_ + n); }

 private:
  std::vector<T> items_;
  size_t pos_ = 0;
};

// The ordered collection behind every plural class: 1-based positions in insertion order,
// string keys compared without regard to case, key lookup by hash. Holds the values it is
// given (for objects: references, never copies).
//
// The key index is a flat open-addressing table of positions (linear probing, at most half
// full) over the entries, each of which keeps its key's hash: adding a member allocates no
// index node, which matters for collections of 100,000 fields.
//
// By default each entry keeps a copy of the key it was added under. With a KeyOf (a functor
// giving a member's key as const std::string&), the key is read from the member instead and no
// copy is kept: for members whose key never changes while they are held, such as fields.
template <class T, class KeyOf = void>
class KeyedCollection {
  static constexpr bool kStoredKeys = std::is_void_v<KeyOf>;
  struct StoredEntry {
    std::string key;  // empty and unkeyed for members appended without a key
    bool keyed = false;
    T value;
    uint32_t hash = 0;
  };
  struct MemberEntry {
    T value;
    uint32_t hash = 0;
    bool keyed = false;
  };
  using Entry = std::conditional_t<kStoredKeys, StoredEntry, MemberEntry>;

  static const std::string& KeyOfEntry(const Entry& e) {
    if constexpr (kStoredKeys) {
      return e.key;
    } else {
      static const std::string kNoKey;
      return e.keyed ? KeyOf{}(e.value) : kNoKey;
    }
  }
  static Entry MakeEntry(T value, std::string_view key, uint32_t hash, bool keyed) {
    if constexpr (kStoredKeys) {
      return Entry{std::string(key), keyed, std::move(value), hash};
    } else {
      return Entry{std::move(value), hash, keyed};
    }
  }

 public:
  using value_type = T;

  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = const T&;

    const_iterator() = default;
    explicit const_iterator(typename std::vector<Entry>::const_iterator it) : it_(it) {}
    reference operator*() const { return it_->value; }
    pointer operator->() const { return &it_->value; }
    const_iterator& operator++() {
      ++it_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++it_;
      return old;
    }
    const_iterator& operator--() {
      --it_;
      return *this;
    }
    difference_type operator-(const const_iterator& o) const { return it_ - o.it_; }
    bool operator==(const const_iterator& o) const { return it_ == o.it_; }
    // The key of the member under the iterator ("" when it was appended unkeyed).
    const std::string& key() const { return KeyOfEntry(*it_); }

   private:
    typename std::vector<Entry>::const_iterator it_;
  };

  explicit KeyedCollection(DuplicateKey policy = DuplicateKey::kError, KeyCase keyCase = KeyCase::kIgnore)
      : policy_(policy), keyCase_(keyCase) {}
  // A copy is made of the settled collection, so that the two need not each index the members
  // added since.
  KeyedCollection(const KeyedCollection& other) { *this = other; }
  KeyedCollection& operator=(const KeyedCollection& other) {
    if (this != &other) {
      other.Settle();
      policy_ = other.policy_;
      keyCase_ = other.keyCase_;
      entries_ = other.entries_;
      slots_ = other.slots_;
      keyed_ = other.keyed_;
      settled_ = other.settled_;
    }
    return *this;
  }
  // A moved-from collection is empty and usable.
  KeyedCollection(KeyedCollection&& other) noexcept { *this = std::move(other); }
  KeyedCollection& operator=(KeyedCollection&& other) noexcept {
    if (this != &other) {
      policy_ = other.policy_;
      keyCase_ = other.keyCase_;
      entries_ = std::move(other.entries_);
      slots_ = std::move(other.slots_);
      keyed_ = std::exchange(other.keyed_, 0);
      settled_ = std::exchange(other.settled_, 0);
      other.entries_.clear();
      other.slots_.clear();
    }
    return *this;
  }

  DuplicateKey Policy() const noexcept { return policy_; }

  // Appends value under its own key (collections with a KeyOf). Under kSkip the members are
  // indexed at the next read, in order, a later one with a key already present being dropped
  // as Add would have dropped it: a load of 100,000 fields is then indexed in one pass, with
  // the table sized once, instead of one probe and several rehashes for each field.
  void Add(T value)
    requires(!kStoredKeys)
  {
    if (policy_ != DuplicateKey::kSkip) {
      const std::string& key = KeyOf{}(value);
      Add(std::move(value), key);
      return;
    }
    CheckRoom();
    // Hashed now, while the member is at hand: the indexing pass then reads only the entries.
    const uint32_t hash = HashOf(KeyOf{}(value));
    entries_.push_back(MakeEntry(std::move(value), std::string_view(), hash, true));
  }

  // Appends other's members in order, as Add(T) would one by one, with the hashes other keeps:
  // no member's key is read (collections with a KeyOf under kSkip).
  void AppendAll(const KeyedCollection& other) requires(!kStoredKeys) {
    if (this == &other) {
      const KeyedCollection copy(other);
      AppendAll(copy);
      return;
    }
    if (policy_ != DuplicateKey::kSkip) {
      for (const T& value : other) Add(value);  // other's own duplicates dropped first
      return;
    }
    const size_t needed = entries_.size() + other.entries_.size();
    if (needed > kMaxMembers) throw AutomationError(ErrorNumber::kOverflow, "Collection", "Overflow");
    // Grown by half at least: a collection filled from many others is not copied for each.
    if (needed > entries_.capacity()) entries_.reserve(std::max(needed, entries_.capacity() * 3 / 2));
    for (const Entry& e : other.entries_) {
      entries_.push_back(e.keyed ? e
                                 : MakeEntry(e.value, std::string_view(), HashOf(KeyOf{}(e.value)), true));
    }
  }
  // Count, or more while members appended since the last read await indexing: a duplicate
  // among them is dropped then. Asks for no indexing.
  size_t UpperCount() const noexcept { return entries_.size(); }

  // Brings the index up to date with the members appended since the last read.
  void Settle() const {
    if (settled_ != entries_.size()) IndexAppended();
  }

  // Appends value under key following the collection's duplicate policy. Returns whether
  // the value was appended. With a KeyOf, key must be the value's own key.
  bool Add(T value, std::string_view key) {
    Settle();
    const uint32_t hash = HashOf(key);
    if (const size_t slot = FindSlot(key, hash); slot != kNone) {
      switch (policy_) {
        case DuplicateKey::kError:
          throw AutomationError(ErrorNumber::kDuplicateKey, "Collection",
                                "This key is already associated with an element of this collection");
        case DuplicateKey::kSkip:
          return false;
        case DuplicateKey::kReplace:
          RemoveAt(slots_[slot] - 1);
          break;
      }
    }
    if ((keyed_ + 1) * 2 > slots_.size()) Rehash(std::max<size_t>(16, slots_.size() * 2));
    CheckRoom();
    entries_.push_back(MakeEntry(std::move(value), key, hash, true));
    Place(entries_.size() - 1);
    ++keyed_;
    settled_ = entries_.size();
    return true;
  }

  // Appends without a key: reachable by position only; the same value may be added twice.
  void AddUnkeyed(T value) {
    Settle();
    CheckRoom();
    entries_.push_back(MakeEntry(std::move(value), std::string_view(), 0, false));
    settled_ = entries_.size();
  }

  int32_t Count() const {
    Settle();
    return static_cast<int32_t>(entries_.size());
  }
  bool empty() const { return entries_.empty(); }  // duplicates are dropped, never all members

  // A number is a 1-based position, a text a key. Never throws for a missing member: the
  // result is then a default value (nullptr for object references).
  T Item(const Variant& v) const {
    const T* p = Find(v);
    return p ? *p : T{};
  }
  T Item(int32_t position) const {
    const T* p = FindAt(position);
    return p ? *p : T{};
  }
  T ItemByKey(std::string_view key) const {
    const T* p = FindKey(key);
    return p ? *p : T{};
  }

  bool Exists(const Variant& v) const { return Find(v) != nullptr; }
  bool ContainsKey(std::string_view key) const {
    Settle();
    return FindSlot(key, HashOf(key)) != kNone;
  }

  const T* Find(const Variant& v) const {
    try {
      if (v.IsNumber()) return FindAt(v.ToInt32());
      if (v.IsString()) return FindKey(v.StringRef());
    } catch (const AutomationError&) {
      // A position that does not fit is simply not there.
    }
    return nullptr;
  }
  const T* FindAt(int32_t position) const {
    if (position < 1 || position > Count()) return nullptr;
    return &entries_[static_cast<size_t>(position) - 1].value;
  }
  const T* FindKey(std::string_view key) const {
    Settle();
    const size_t slot = FindSlot(key, HashOf(key));
    return slot == kNone ? nullptr : &entries_[slots_[slot] - 1].value;
  }

  // A number removes the member at that position (9 when out of range), a text the member
  // under that key (5 when absent).
  void Remove(const Variant& v) {
    if (v.IsNumber()) {
      const int32_t position = v.ToInt32();
      if (position < 1 || position > Count()) {
        throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "Collection", "Subscript out of range");
      }
      RemoveAt(static_cast<size_t>(position) - 1);
      return;
    }
    if (v.IsString()) {
      if (!RemoveKey(v.StringRef())) {
        throw AutomationError(ErrorNumber::kInvalidArgument, "Collection", "Invalid procedure call or argument");
      }
      return;
    }
    throw AutomationError(ErrorNumber::kInvalidArgument, "Collection", "Invalid procedure call or argument");
  }

  // Removes the member under key when present; returns whether one was removed.
  bool RemoveKey(std::string_view key) {
    Settle();
    const size_t slot = FindSlot(key, HashOf(key));
    if (slot == kNone) return false;
    RemoveAt(slots_[slot] - 1);
    return true;
  }

  void Clear() noexcept {
    entries_.clear();
    slots_.clear();
    keyed_ = 0;
    settled_ = 0;
  }

  void reserve(size_t n) {
    Settle();
    entries_.reserve(n);
    if (n * 2 > slots_.size()) {
      size_t size = 16;
      while (size < n * 2) size *= 2;
      Rehash(size);
    }
  }

  const_iterator begin() const {
    Settle();
    return const_iterator(entries_.begin());
  }
  const_iterator end() const {
    Settle();
    return const_iterator(entries_.end());
  }

  std::vector<T> Values() const {
    Settle();
    std::vector<T> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.value);
    return out;
  }
  std::shared_ptr<KeyedEnumerator<T>> NewEnum() const { return std::make_shared<KeyedEnumerator<T>>(Values()); }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  // Positions are 32-bit in the index (half the memory, fewer cache misses) and Count is too.
  static constexpr size_t kMaxMembers = 0x7fffffff;

  void CheckRoom() const {
    if (entries_.size() >= kMaxMembers) throw AutomationError(ErrorNumber::kOverflow, "Collection", "Overflow");
  }

  // Entries keep 32 bits of the hash (the table holds fewer than 2^31 members): with the
  // member's reference, an entry of a field collection is 24 bytes.
  uint32_t HashOf(std::string_view key) const noexcept {
    const size_t h = keyCase_ == KeyCase::kIgnore ? NoCaseHash{}(key) : std::hash<std::string_view>{}(key);
    return static_cast<uint32_t>(h ^ (h >> 32));
  }
  // Home slot of a hash; the high bits are folded in because the table uses the low ones.
  size_t Home(uint32_t hash) const noexcept { return (hash ^ (hash >> 17)) & (slots_.size() - 1); }

  // The slot holding the member under key, or kNone.
  size_t FindSlot(std::string_view key, uint32_t hash) const {
    return FindSlotBy(hash, [key] { return key; });
  }
  // The same with the key fetched only when a hash matches: for members' own keys, which
  // live in the members.
  template <class KeyFn>
  size_t FindSlotBy(uint32_t hash, const KeyFn& key) const {
    if (slots_.empty()) return kNone;
    const size_t mask = slots_.size() - 1;
    for (size_t i = Home(hash);; i = (i + 1) & mask) {
      const size_t slot = slots_[i];
      if (slot == 0) return kNone;
      const Entry& e = entries_[slot - 1];
      if (e.hash == hash && KeysEqual(KeyOfEntry(e), key())) return i;
    }
  }

  bool KeysEqual(std::string_view a, std::string_view b) const noexcept {
    return keyCase_ == KeyCase::kIgnore ? EqualsNoCase(a, b) : a == b;
  }

  // Records the entry at index in the first free slot of its probe sequence.
  void Place(size_t index) const {
    const size_t mask = slots_.size() - 1;
    size_t i = Home(entries_[index].hash);
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<uint32_t>(index + 1);
  }

  // Places the settled members; members appended since are placed by IndexAppended.
  void Rehash(size_t size) const {
    slots_.assign(size, 0);
    for (size_t index = 0; index < settled_; ++index) {
      if (entries_[index].keyed) Place(index);
    }
  }

  // Indexes the members appended without their check, dropping each whose key is already
  // present (among the members before it), and closes the gaps.
  void IndexAppended() const {
    const size_t total = keyed_ + (entries_.size() - settled_);
    if (total * 2 > slots_.size()) {
      size_t size = std::max<size_t>(16, slots_.size());
      while (size < total * 2) size *= 2;
      Rehash(size);
    }
    size_t kept = settled_;
    for (size_t next = settled_; next < entries_.size(); ++next) {
      Entry& e = entries_[next];
      if (FindSlotBy(e.hash, [&e]() -> std::string_view { return KeyOfEntry(e); }) != kNone) continue;
      if (kept != next) entries_[kept] = std::move(e);
      Place(kept++);
      ++keyed_;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(kept), entries_.end());
    settled_ = entries_.size();
  }

  // Empties slot i and moves later members of the probe run back, so that no lookup stops
  // early at the hole.
  void EraseSlot(size_t i) {
    const size_t mask = slots_.size() - 1;
    for (size_t j = (i + 1) & mask; slots_[j] != 0; j = (j + 1) & mask) {
      const size_t home = Home(entries_[slots_[j] - 1].hash);
      // j's member may fill the hole unless its home lies cyclically in (i, j].
      const bool homeBetween = i <= j ? (home > i && home <= j) : (home > i || home <= j);
      if (!homeBetween) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = 0;
  }

  // Only on a settled collection.
  void RemoveAt(size_t index) {
    settled_ = entries_.size() - 1;
    if (entries_[index].keyed) {
      const size_t mask = slots_.size() - 1;
      size_t i = Home(entries_[index].hash);
      while (slots_[i] != index + 1) i = (i + 1) & mask;
      EraseSlot(i);
      --keyed_;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    if (index == entries_.size()) return;  // the last member: no position moved
    for (uint32_t& slot : slots_) {
      if (slot > index + 1) --slot;
    }
  }

  // The members and their index change on a read only to take in members appended without
  // their check (see Add); the collection is used from one thread.
  DuplicateKey policy_ = DuplicateKey::kError;
  KeyCase keyCase_ = KeyCase::kIgnore;
  mutable std::vector<Entry> entries_;
  mutable std::vector<uint32_t> slots_;  // 0 for a free slot, else the member's index + 1
  mutable size_t keyed_ = 0;             // members that have a key
  mutable size_t settled_ = 0;           // members [0, settled_) are in the index
};

}  // namespace ridirodev
