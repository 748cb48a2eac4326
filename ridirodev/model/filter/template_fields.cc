#include "ridirodev/model/filter/template_fields.h"

#include <functional>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/model/field.h"

namespace ridirodev {

void CTemplateField::Initialize(std::shared_ptr<CField> fldA, CFiltersPtr fltrsA, std::string sSortOrderA,
                                bool fShowA, std::string sCommentAttributeA) {
  field_ = std::move(fldA);
  filters_ = std::move(fltrsA);
  sortOrder_ = std::move(sSortOrderA);
  show_ = fShowA;
  commentAttribute_ = std::move(sCommentAttributeA);
}

void CTemplateField::AddFilter(CFilterPtr fltr) {
  if (!filters_) filters_ = std::make_shared<CFilters>();
  filters_->Add(std::move(fltr));
}

void CTemplateField::RemoveFilter(const CFilter& fltrA) {
  if (filters_ && filters_->Exists(Variant(fltrA.Key()))) filters_->Remove(Variant(fltrA.Key()));
}

void CTemplateFields::Add(CTemplateFieldPtr tplf) { items_.push_back(std::move(tplf)); }

void CTemplateFields::Remove(const Variant& v) {
  const int32_t position = v.ToInt32();
  if (position < 1 || position > Count()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "CTemplateFields", "Subscript out of range");
  }
  items_.erase(items_.begin() + (position - 1));
}

CTemplateFieldPtr CTemplateFields::Item(const Variant& v) const {
  try {
    if (v.IsString()) {
      const std::string name = v.ToString();
      for (const CTemplateFieldPtr& item : items_) {
        if (item && item->Field() && item->Field()->Name() == name) return item;
      }
      return nullptr;
    }
    const int32_t position = v.ToInt32();
    if (position < 1 || position > Count()) return nullptr;
    return items_[static_cast<size_t>(position) - 1];
  } catch (const AutomationError&) {
    return nullptr;
  }
}

std::shared_ptr<KeyedEnumerator<CTemplateFieldPtr>> CTemplateFields::NewEnum() const {
  return std::make_shared<KeyedEnumerator<CTemplateFieldPtr>>(items_);
}

std::string CTemplateFields::Table(bool fShowColumnHeadings, bool fShowEntity,
                                   const std::string& sColSeparator) const {
  std::string table;
  const auto line = [&](std::string_view label,
                        const std::function<std::string(const CTemplateField&)>& value) {
    table += label;
    table += sColSeparator;
    for (const CTemplateFieldPtr& item : items_) {
      // A field missing its parts shows an empty cell: the table is for display only.
      try {
        if (item) table += value(*item);
      } catch (const AutomationError&) {
      }
      table += sColSeparator;
    }
    table += "\r\n";
  };
  const auto ofField = [](auto read) {
    return [read](const CTemplateField& item) {
      return item.Field() ? std::string(read(*item.Field())) : std::string();
    };
  };
  line("Fields", ofField([](const CField& f) { return f.Name(); }));
  if (fShowEntity) line("Entity", ofField([](const CField& f) { return f.Category(); }));
  if (fShowColumnHeadings) {
    line("Heading Line 1", ofField([](const CField& f) { return f.ColumnHeading1(); }));
    line("Heading Line 2", ofField([](const CField& f) { return f.ColumnHeading2(); }));
  }
  line("Show", [](const CTemplateField& item) { return std::string(item.Show() ? "True" : "False"); });
  line("Sort Order", [](const CTemplateField& item) { return item.SortOrder(); });
  return table;
}

}  // namespace ridirodev
