#pragma once

// Row criteria of a template field: one criterion (CFilter) with its validation, and the
// criteria of one field (CFilters).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

// One criterion on one field, such as "> 100" or "not in ('A','B')". Immutable after
// Initialize: an edit replaces it by a new filter of the same row.
class CFilter : public Object {
 public:
  // The expression is kept without its leading and trailing blanks.
  void Initialize(int32_t ordRow, std::string_view sExpressionA, std::string_view sDataTypeA);

  int32_t Row() const noexcept { return row_; }
  const std::string& Expression() const noexcept { return expression_; }
  // For data type "D" the expression as "yyyy-mm-dd hh:mm" when it reads as a date.
  std::string FormattedExpression() const;
  const std::string& DataType() const noexcept { return dataType_; }
  // "Id:" and the row: two filters of one row share a key.
  const std::string& Key() const noexcept { return key_; }
  std::shared_ptr<CFilter> Clone() const;

  // Parses the criterion and checks its values against the data type ("I", "F", "S", "E",
  // "D"). Never throws for malformed text: false, with the reason in sError where one is known
  // (sError is emptied first).
  bool IsValid(std::string& sError) const;
  bool IsValid() const {
    std::string ignored;
    return IsValid(ignored);
  }

 private:
  int32_t row_ = 0;
  std::string expression_;
  std::string dataType_;
  std::string key_ = "Id:0";
};
using CFilterPtr = std::shared_ptr<CFilter>;

// The criteria of one field, keyed by Key in insertion order; a filter of a row already held
// replaces the old one, which leaves its place.
class CFilters : public ObjectCollection<CFilter, DuplicateKey::kReplace> {
 public:
  std::shared_ptr<CFilters> Clone() const;
};
using CFiltersPtr = std::shared_ptr<CFilters>;

}  // namespace ridirodev
