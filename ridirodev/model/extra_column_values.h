#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/variant.h"

namespace ridirodev {

// The extra column values of a field, by extra column title (exact, case-sensitive match), in the
// order of the template's extra columns. The titles are shared by all the fields of one load, so
// a field keeps only its values; a field and its clones share the whole object.
class ExtraColumnValues {
 public:
  using Titles = std::vector<std::string>;

  ExtraColumnValues() = default;
  // Empty values under the given titles.
  explicit ExtraColumnValues(std::shared_ptr<const Titles> titles);
  ExtraColumnValues(std::initializer_list<std::pair<std::string, Variant>> values);

  // The value under title; nullptr when there is none.
  const Variant* Find(std::string_view title) const noexcept;
  // Sets the value under title; a title not yet present is appended.
  void Set(std::string_view title, Variant value);
  // The value at a position of the titles, counted from 0.
  Variant& At(size_t position);

  size_t Size() const noexcept { return size_; }
  const std::string& Title(size_t position) const { return titles_->at(position); }
  const Variant& Value(size_t position) const { return const_cast<ExtraColumnValues*>(this)->At(position); }

  // The same titles with the same values, in any order.
  friend bool operator==(const ExtraColumnValues& a, const ExtraColumnValues& b);

 private:
  // Templates have a handful of extra columns: the first few values live in the object itself,
  // so that a field's values take one allocation, not two.
  static constexpr size_t kInline = 2;
  std::shared_ptr<const Titles> titles_;
  std::array<Variant, kInline> inline_;
  std::unique_ptr<std::vector<Variant>> more_;  // a pointer: most templates need none
  uint32_t size_ = 0;
};
using ExtraColumnValuesPtr = std::shared_ptr<ExtraColumnValues>;

}  // namespace ridirodev
