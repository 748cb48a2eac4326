#include "tools/field_lookup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "tools/command_support.h"

namespace ridirodev::tool {
namespace {

bool IsCommon(const CField& fld) { return fld.FieldType() == "Common"; }

bool OfKind(const CField& fld, FieldKind kind) {
  switch (kind) {
    case FieldKind::kCalculation:
      return fld.IsExpression();
    case FieldKind::kCommon:
      return IsCommon(fld);
    default:
      return true;
  }
}

std::string KindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kCalculation:
      return "calculation";
    case FieldKind::kCommon:
      return "common field";
    default:
      return "field";
  }
}

// The fields of a category among which a name is looked for: common fields are not among the
// template's views, so they are read from the entity.
CFieldsPtr FieldsOf(const CFieldCategoryPtr& category, FieldKind kind) {
  return kind == FieldKind::kCommon ? category->CommonFields() : category->Fields();
}

// The fields of the wanted kind named name in the scope's entities; of another kind only when
// none of the wanted kind has the name.
std::vector<CFieldPtr> FieldsNamed(const FieldScope& scope, const std::string& name, FieldKind kind) {
  std::vector<CFieldCategoryPtr> categories;
  if (!scope.entity.empty()) {
    categories.push_back(RequireCategory(scope.app, scope.entity));
  } else {
    const auto all = RequireTemplate(scope.app)->FieldCategories();
    for (const CFieldCategoryPtr& category : *all) categories.push_back(category);
  }
  std::vector<CFieldPtr> candidates;
  for (const CFieldCategoryPtr& category : categories) {
    const CFieldsPtr fields = FieldsOf(category, kind);  // a new collection: kept alive for the loop
    for (const CFieldPtr& fld : *fields) {
      if (EqualsNoCase(fld->Name(), name)) candidates.push_back(fld);
    }
  }
  const auto ofKind = std::count_if(candidates.begin(), candidates.end(),
                                    [&](const CFieldPtr& fld) { return OfKind(*fld, kind); });
  // Fields of the wanted kind first: a counter of the same name elsewhere need not be told apart.
  if (ofKind > 0) std::erase_if(candidates, [&](const CFieldPtr& fld) { return !OfKind(*fld, kind); });
  return candidates;
}

}  // namespace

std::string Joined(const std::vector<std::string>& items, const std::string& separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

std::string EntityOf(const CField& fld) {
  const CFieldCategoryPtr category = fld.FieldCategory();
  return category ? category->CategoryEntity() : "entity " + std::to_string(fld.EntityId());
}

std::string Describe(const CField& fld) {
  return std::string(fld.Name()) + " at " + EntityOf(fld) + " (id " + std::to_string(fld.Id()) + ")";
}

CFieldCategoryPtr CategoryOf(const CField& fld) {
  CFieldCategoryPtr category = fld.FieldCategory();
  if (!category) Invalid(Describe(fld) + " belongs to no entity of the hierarchy.");
  return category;
}

CFieldPtr FindField(const FieldScope& scope, const std::string& given, FieldKind kind,
                    const std::string& sayWhich) {
  const std::string name(TrimBlanks(given));
  if (name.empty()) Invalid("A field name or id is missing.");
  const auto id = IdOf(name, scope.by);
  CFieldPtr found;
  std::string notById;
  if (id) {
    RequireTemplate(scope.app);
    found = GRidirodev::GetFieldFromId(scope.app, Variant(*id));
    if (!found) {
      notById = "There is no field with id " + name + " in " + scope.app + ".";
    } else if (!scope.entity.empty() && found->EntityId() != RequireCategory(scope.app, scope.entity)->Id()) {
      notById = Describe(*found) + " is not at " + scope.entity + ".";
      found = nullptr;
    }
  }
  std::vector<CFieldPtr> candidates;
  if (scope.by != NamedBy::kId) candidates = FieldsNamed(scope, name, kind);
  if (found && !candidates.empty() && (candidates.size() > 1 || candidates.front()->Id() != found->Id())) {
    std::vector<std::string> named;
    for (const CFieldPtr& fld : candidates) named.push_back(Describe(*fld));
    IdAndName(name, Describe(*found), named, sayWhich);
  }
  if (!found) {
    if (id && candidates.empty()) Invalid(notById);
    const std::string where = scope.entity.empty() ? " in " + scope.app : " at " + scope.entity;
    if (candidates.empty()) Invalid("There is no " + KindName(kind) + " named '" + name + "'" + where + ".");
    if (candidates.size() > 1) {
      std::vector<std::string> entities;
      for (const CFieldPtr& fld : candidates) entities.push_back(EntityOf(*fld));
      Invalid("The name '" + name + "' is used at " + Joined(entities) + "; choose one with --entity.");
    }
    found = candidates.front();
  }
  if (!OfKind(*found, kind)) {
    Invalid(Describe(*found) + " is a " + found->FieldType() + " field, not a " + KindName(kind) + ".");
  }
  return found;
}

CFieldsPtr FindFields(const FieldScope& scope, const std::vector<std::string>& names, FieldKind kind) {
  if (names.empty()) Invalid("No field was named.");
  auto flds = std::make_shared<CFields>();
  for (const std::string& name : names) flds->Add(FindField(scope, name, kind));
  return flds;
}

}  // namespace ridirodev::tool
