#pragma once

// Fields placed in a template: each with its criteria, sort order, visibility and comment
// attribute (CTemplateField), and the ordered fields of one template (CTemplateFields).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/object.h"
#include "ridirodev/model/filter/filter.h"

namespace ridirodev {

class CField;

class CTemplateField : public Object {
 public:
  void Initialize(std::shared_ptr<CField> fldA, CFiltersPtr fltrsA, std::string sSortOrderA, bool fShowA,
                  std::string sCommentAttributeA = "");

  // Shared, not copied.
  const CFiltersPtr& Filters() const noexcept { return filters_; }
  void SetFilters(CFiltersPtr filters) { filters_ = std::move(filters); }
  // Adds fltr in place of a filter of the same row, making the collection when there is none.
  void AddFilter(CFilterPtr fltr);
  // Removes the filter of fltrA's row when there is one.
  void RemoveFilter(const CFilter& fltrA);

  const std::shared_ptr<CField>& Field() const noexcept { return field_; }
  void SetField(std::shared_ptr<CField> field) { field_ = std::move(field); }
  const std::string& SortOrder() const noexcept { return sortOrder_; }
  void SetSortOrder(std::string sortOrder) { sortOrder_ = std::move(sortOrder); }
  bool Show() const noexcept { return show_; }
  void SetShow(bool show) noexcept { show_ = show; }
  const std::string& CommentAttribute() const noexcept { return commentAttribute_; }
  void SetCommentAttribute(std::string attribute) { commentAttribute_ = std::move(attribute); }

 private:
  std::shared_ptr<CField> field_;
  CFiltersPtr filters_;
  std::string sortOrder_;
  bool show_ = false;
  std::string commentAttribute_;
};
using CTemplateFieldPtr = std::shared_ptr<CTemplateField>;

// The fields of a template in order, without keys: a text finds the first whose field has
// exactly that name.
class CTemplateFields : public Object {
 public:
  using const_iterator = std::vector<CTemplateFieldPtr>::const_iterator;

  void Add(CTemplateFieldPtr tplf);
  int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }
  // By position; 9 when there is none.
  void Remove(const Variant& v);
  void Clear() noexcept { items_.clear(); }
  // A text: the first template field whose field's name equals it (case counts); otherwise a
  // position. nullptr when there is none.
  CTemplateFieldPtr Item(const Variant& v) const;
  bool Exists(const Variant& v) const { return Item(v) != nullptr; }
  std::shared_ptr<KeyedEnumerator<CTemplateFieldPtr>> NewEnum() const;
  const_iterator begin() const noexcept { return items_.begin(); }
  const_iterator end() const noexcept { return items_.end(); }

  // A transposed table, one line per attribute and one column per field, each value followed
  // by the separator and each line ended by CR LF: the names, the entities, both column
  // headings, Show (True or False) and the sort order.
  std::string Table(bool fShowColumnHeadings = true, bool fShowEntity = true,
                    const std::string& sColSeparator = "\t") const;

 private:
  std::vector<CTemplateFieldPtr> items_;
};
using CTemplateFieldsPtr = std::shared_ptr<CTemplateFields>;

}  // namespace ridirodev
