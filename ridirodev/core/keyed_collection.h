#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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

// Enumerator handed out by NewEnum: walks a snapshot of the members in position order,
// so a collection changed during the walk cannot invalidate it.
template <class T>
class KeyedEnumerator : public Object {
 public:
  explicit KeyedEnumerator(std::vector<T> items) : items_(std::move(items)) {}
  // Writes the next member to out; false at the end.
  bool Next(T& out) {
    if (pos_ >= items_.size()) return false;
    out = items_[pos_++];
    return true;
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
template <class T>
class KeyedCollection {
  struct Entry {
    std::string key;  // empty and unkeyed for members appended without a key
    bool keyed = false;
    T value;
  };

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
    const std::string& key() const { return it_->key; }

   private:
    typename std::vector<Entry>::const_iterator it_;
  };

  explicit KeyedCollection(DuplicateKey policy = DuplicateKey::kError) : policy_(policy) {}

  DuplicateKey Policy() const noexcept { return policy_; }

  // Appends value under key following the collection's duplicate policy. Returns whether
  // the value was appended.
  bool Add(T value, std::string_view key) {
    if (auto found = index_.find(key); found != index_.end()) {
      switch (policy_) {
        case DuplicateKey::kError:
          throw AutomationError(ErrorNumber::kDuplicateKey, "Collection",
                                "This key is already associated with an element of this collection");
        case DuplicateKey::kSkip:
          return false;
        case DuplicateKey::kReplace:
          RemoveAt(found->second);
          break;
      }
    }
    index_.emplace(std::string(key), entries_.size());
    entries_.push_back(Entry{std::string(key), true, std::move(value)});
    return true;
  }

  // Appends without a key: reachable by position only; the same value may be added twice.
  void AddUnkeyed(T value) { entries_.push_back(Entry{std::string(), false, std::move(value)}); }

  int32_t Count() const noexcept { return static_cast<int32_t>(entries_.size()); }
  bool empty() const noexcept { return entries_.empty(); }

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
  bool ContainsKey(std::string_view key) const { return index_.find(key) != index_.end(); }

  const T* Find(const Variant& v) const {
    try {
      if (v.IsNumber()) return FindAt(v.ToInt32());
      if (v.IsString()) return FindKey(v.StringRef());
    } catch (const AutomationError&) {
      // A position that does not fit is simply not there.
    }
    return nullptr;
  }
  const T* FindAt(int32_t position) const noexcept {
    if (position < 1 || position > Count()) return nullptr;
    return &entries_[static_cast<size_t>(position) - 1].value;
  }
  const T* FindKey(std::string_view key) const {
    auto found = index_.find(key);
    return found == index_.end() ? nullptr : &entries_[found->second].value;
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
      auto found = index_.find(v.StringRef());
      if (found == index_.end()) {
        throw AutomationError(ErrorNumber::kInvalidArgument, "Collection", "Invalid procedure call or argument");
      }
      RemoveAt(found->second);
      return;
    }
    throw AutomationError(ErrorNumber::kInvalidArgument, "Collection", "Invalid procedure call or argument");
  }

  // Removes the member under key when present; returns whether one was removed.
  bool RemoveKey(std::string_view key) {
    auto found = index_.find(key);
    if (found == index_.end()) return false;
    RemoveAt(found->second);
    return true;
  }

  void Clear() noexcept {
    entries_.clear();
    index_.clear();
  }

  void reserve(size_t n) {
    entries_.reserve(n);
    index_.reserve(n);
  }

  const_iterator begin() const { return const_iterator(entries_.begin()); }
  const_iterator end() const { return const_iterator(entries_.end()); }

  std::vector<T> Values() const {
    std::vector<T> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.value);
    return out;
  }
  std::shared_ptr<KeyedEnumerator<T>> NewEnum() const { return std::make_shared<KeyedEnumerator<T>>(Values()); }

 private:
  void RemoveAt(size_t index) {
    if (entries_[index].keyed) index_.erase(entries_[index].key);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    if (index == entries_.size()) return;  // the last member: no position moved
    for (auto& [key, pos] : index_) {
      if (pos > index) --pos;
    }
  }

  DuplicateKey policy_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> index_;
};

}  // namespace ridirodev
