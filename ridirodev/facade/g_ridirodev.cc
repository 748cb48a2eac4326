#include "ridirodev/facade/g_ridirodev.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/busyhour/busy_hour_records.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/clipboard/clipboards.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/dialogs/app_doc_type_slr_tree.h"
#include "ridirodev/model/dialogs/f_field_style.h"
#include "ridirodev/model/dialogs/f_select_document_type_tree.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/field_references.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/rcv/rcv_filter.h"
#include "ridirodev/model/udc_refs.h"
#include "ridirodev/model/udc_writes.h"
#include "ridirodev/store/dictionary_loaders.h"

namespace ridirodev {
namespace {

MRidirodev& State() { return MRidirodev::Current(); }

// The TypeName of the template's first field type whose description matches exactly.
const CFieldType* FindTypeByDescription(const CAppGroupTemplatePtr& tpl, const std::string& description) {
  if (!tpl) return nullptr;
  for (const CFieldTypePtr& type : *tpl->FieldTypes()) {
    if (type->Description() == description) return type.get();
  }
  return nullptr;
}

const CField& Require(const CFieldPtr& fld) {
  if (!fld) throw AutomationError(ErrorNumber::kObjectNotSet, "GRidirodev", "No field was given");
  return *fld;
}

// The categories of the fields, each once, in the order first met; fields outside the
// hierarchy have none.
std::vector<CFieldCategoryPtr> CategoriesOf(const CFields& fields) {
  std::vector<CFieldCategoryPtr> categories;
  std::unordered_set<int32_t> seen;
  for (const CFieldPtr& fld : fields) {
    CFieldCategoryPtr category = fld ? fld->FieldCategory() : nullptr;
    if (category && seen.insert(category->Id()).second) categories.push_back(std::move(category));
  }
  return categories;
}

}  // namespace

bool GRidirodev::FlexibleAggregationEnabled() { return State().FlexibleAggregationEnabled(); }

int32_t GRidirodev::EntityIDFromName(const std::string& sName) {
  return sql::LookupEntityId(State().Database(), sName);
}

std::string GRidirodev::LookupFieldType(const std::string& sAppNameA, const std::string& sFieldTypeA) {
  if (const CFieldType* type = FindTypeByDescription(AppGroupTemplate(sAppNameA), sFieldTypeA)) {
    return type->TypeName();
  }
  if (sAppNameA == "Traffic") {
    if (const CFieldType* type = FindTypeByDescription(AppGroupTemplate("Client"), sFieldTypeA)) {
      return type->TypeName();
    }
  }
  return "";
}

std::shared_ptr<CFieldTechTypes> GRidirodev::ValidTechTypes() { return State().ValidTechTypes(); }

std::shared_ptr<CFilterDefinition> GRidirodev::AllTechnologies(const std::string& sNameA) {
  return AllTechnologiesDefinition(sNameA);
}

std::shared_ptr<CFilterDefinitions> GRidirodev::FilterDefinitions() { return State().FilterDefinitions(); }

std::shared_ptr<CDataFiles> GRidirodev::DataFiles(int32_t EntityId) { return State().DataFiles(EntityId); }

std::shared_ptr<CFieldClipboard> GRidirodev::FieldClipboard(bool fDragging) {
  return State().FieldClipboard(fDragging);
}

std::shared_ptr<CTemplateFieldClipboard> GRidirodev::TemplateFieldClipboard() {
  return State().TemplateFieldClipboard();
}

std::shared_ptr<CFilterDefinition> GRidirodev::CreateFilterDefinition(const std::string& sName,
                                                                      const std::string& sFilter) {
  return MakeFilterDefinition(sName, sFilter);
}

std::shared_ptr<CAppGroupTemplates> GRidirodev::AppGroupTemplates() { return State().AppGroupTemplates(); }

std::shared_ptr<CAppGroupTemplate> GRidirodev::AppGroupTemplate(const std::string& sAppName) {
  return State().AppGroupTemplate(sAppName);
}

std::shared_ptr<CAggregators> GRidirodev::ValidAggregators() { return State().ValidAggregators(); }

std::shared_ptr<CFunctions> GRidirodev::Functions(int32_t FunctionCategoryId) {
  std::shared_ptr<CFunctions> all = State().Functions();
  if (FunctionCategoryId == 0) return all;
  auto some = std::make_shared<CFunctions>();
  for (const CFunctionPtr& function : *all) {
    if (function->CategoryId() == FunctionCategoryId) some->Add(function);
  }
  return some;
}

std::shared_ptr<CFunctionCategories> GRidirodev::FunctionCategories() { return State().FunctionCategories(); }

std::string GRidirodev::EntityKey(int32_t ordEntity) { return ridirodev::EntityKey(ordEntity); }

std::shared_ptr<KeyedCollection<std::string>> GRidirodev::BasicAggregators() { return State().BasicAggregators(); }

std::shared_ptr<CAggregator> GRidirodev::LookupAggregator(const std::string& sTimeAggregator,
                                                          const std::string& sElementAggregator) {
  const std::string& element = sElementAggregator.empty() ? sTimeAggregator : sElementAggregator;
  CAggregatorPtr found;
  for (const CAggregatorPtr& aggregator : *ValidAggregators()) {
    if (aggregator->TimeAggregator() == sTimeAggregator && aggregator->ElementAggregator() == element) {
      found = aggregator;
    }
  }
  return found;
}

int32_t GRidirodev::ExpressionNameLength() { return State().ExpressionNameLength(); }
int32_t GRidirodev::ExpressionLength() { return State().ExpressionLength(); }
int32_t GRidirodev::ExprColumnHeading2Length() { return State().ExprColumnHeading2Length(); }
int32_t GRidirodev::ExprColumnHeading1Length() { return State().ExprColumnHeading1Length(); }
int32_t GRidirodev::ExpressionDescriptionLength() { return State().ExpressionDescriptionLength(); }
int32_t GRidirodev::CriteriaLength() { return State().CriteriaLength(); }
int32_t GRidirodev::ExtraColumnLength(const std::string& sColType) { return State().ExtraColumnLength(sColType); }

bool GRidirodev::DoComplex() { return State().flags.doComplex; }
bool GRidirodev::DoWeighted() { return State().flags.doWeighted; }
bool GRidirodev::StyleFieldsAvailable() { return State().flags.styleFieldsAvailable; }

bool GRidirodev::UsesExternalDataSources() {
  for (const std::string& folder : State().GroupServices().FolderNames()) {
    if (folder == "ASCII Data Sources" || folder == "ODBC Data Sources") return true;
  }
  return false;
}

std::string GRidirodev::FieldKey(std::string_view sName, std::string_view sCategory) {
  return ridirodev::FieldKey(sName, sCategory);
}

std::shared_ptr<CFieldCategories> GRidirodev::TrafficCategories() { return State().TrafficCategories(); }

std::shared_ptr<CFieldCategory> GRidirodev::LookupCategoryByName(const std::string& sAppName,
                                                                 const std::string& sCategory) {
  CAppGroupTemplatePtr tpl = AppGroupTemplate(sAppName);
  if (!tpl) return nullptr;
  const bool extended = State().Support().ExtendedEntityViews();
  for (const CFieldCategoryPtr& category : *tpl->FieldCategories()) {
    if ((extended ? category->CategoryEntity() : category->CategoryName()) == sCategory) return category;
  }
  return nullptr;
}

std::shared_ptr<CField> GRidirodev::GetFieldFromId(const std::string& sAppName, const Variant& ordField,
                                                   bool fUsePackage) {
  return LoadFieldById(State(), sAppName, ordField.ToInt32(), fUsePackage);
}

std::shared_ptr<CFields> GRidirodev::GetFieldsByIds(const std::string& sAppName, const std::string& sIds,
                                                    bool fUsePackage) {
  return LoadFieldsByIds(State(), sAppName, sIds, fUsePackage);
}

bool GRidirodev::UDR_KeyDataAvailable() { return UDRKeyDataAvailable(State()); }

std::shared_ptr<CFieldUpdates> GRidirodev::FieldUpdates() { return State().FieldUpdates(); }

void GRidirodev::UpdateExpressionField(const std::string& sAppName, const Variant& ordField) {
  CFieldPtr fld = GetFieldFromId(sAppName, ordField, false);
  if (!fld) return;
  CFieldCategoryPtr category = fld->FieldCategory();
  if (!category) {
    throw AutomationError(ErrorNumber::kObjectNotSet, "GRidirodev",
                          "Field " + std::to_string(fld->Id()) + " has no category in template " + sAppName);
  }
  category->UpdateField(fld);
}

std::string GRidirodev::GetExpressionError(const Variant& ordField, std::string& sStatus) {
  const int32_t timeOut = UDCTimeout(State());
  return sql::GetUDCStatus(State().Services(), ordField, sStatus, timeOut);
}

std::string GRidirodev::GetExpressionError(const Variant& ordField) {
  std::string status;
  return GetExpressionError(ordField, status);
}

void GRidirodev::ChangeExpressionOwner(const std::shared_ptr<CFields>& fldsA, const std::string& sNewOwner) {
  if (!fldsA || fldsA->Count() == 0) return;
  std::optional<int32_t> owner;
  auto ownerId = [&] {
    if (!owner) {
      IAppUserPtr user = State().FolderServices().UserByName(sNewOwner);
      if (!user) {
        throw AutomationError(ErrorNumber::kInvalidArgument, "GRidirodev",
                              "There is no user named " + sNewOwner);
      }
      owner = user->Id();
    }
    return *owner;
  };
  // A field outside the hierarchy has no category to reload and announce it: it fails before
  // any owner changes, rather than being passed over as if it had been given.
  for (const CFieldPtr& fld : *fldsA) {
    if (fld && !fld->FieldCategory()) {
      throw AutomationError(ErrorNumber::kObjectNotSet, "GRidirodev",
                            "The field " + std::string(fld->Name()) + " has no category (entity " +
                                std::to_string(fld->EntityId()) + ")");
    }
  }
  for (const CFieldCategoryPtr& category : CategoriesOf(*fldsA)) {
    auto changed = std::make_shared<CFields>();
    bool externalChanged = false;
    auto announce = [&] {
      if (changed->Count() == 0) return;
      // External fields are cached with the static fields, which a reload of the expressions
      // alone would leave showing the old owner.
      if (externalChanged) {
        category->ReSetFields();
      } else {
        category->ReloadFields();
      }
      NotifyFieldChange(category->Id(), changed, eOwnerChanged);
    };
    try {
      for (const CFieldPtr& fld : *fldsA) {
        if (!fld || fld->EntityId() != category->Id() || !(fld->IsExpression() || fld->IsExternal())) continue;
        const int32_t owner = ownerId();
        sql::ChangeUDCOwner(State().Database(), fld->Id(), owner);
        changed->Add(fld);
        externalChanged = externalChanged || fld->IsExternal();
      }
    } catch (...) {
      // The owners already changed are stored: they are announced before the error goes on,
      // and a failing announcement must not hide that error.
      try {
        announce();
      } catch (...) {
      }
      throw;
    }
    announce();
  }
}

void GRidirodev::DeleteExpressions(const std::shared_ptr<CFields>& fldsA,
                                   std::shared_ptr<CFields>& fldsException) {
  if (!fldsA || fldsA->Count() == 0) return;
  if (!fldsException) fldsException = std::make_shared<CFields>();
  CUDCRefs refs;
  refs.SetudcToDelete(fldsA);
  const std::shared_ptr<CFields> deletable = refs.DeleteableExpressions();
  for (const CFieldPtr& fld : *fldsA) {
    if (fld && !deletable->Exists(Variant(fld->Key()))) fldsException->Add(fld);
  }
  // Deleted in the order given, which puts every user before what it uses; after a failure
  // nothing more goes, so no calculation that stays loses what it uses.
  struct Deleted {
    CFieldCategoryPtr category;
    std::shared_ptr<CFields> fields;
  };
  std::vector<Deleted> groups;
  for (const CFieldCategoryPtr& category : CategoriesOf(*deletable)) {
    groups.push_back({category, std::make_shared<CFields>()});
  }
  bool failed = false;
  for (const CFieldPtr& fld : *deletable) {
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const Deleted& g) { return g.category->Id() == fld->EntityId(); });
    bool deleted = false;
    if (!failed && group != groups.end() && fld->IsExpression()) {
      deleted = ::ridirodev::DeleteUDC(State(), fld->Id());  // reports its own failure
      failed = !deleted;
    }
    if (deleted) {
      group->fields->Add(fld);
    } else {
      fldsException->Add(fld);
    }
  }
  for (const Deleted& group : groups) {
    if (group.fields->Count() == 0) continue;
    group.category->ReloadFields();
    NotifyFieldChange(group.category->Id(), group.fields, eDeleted);
  }
}

void GRidirodev::UpdateStyleInformation(const std::shared_ptr<CField>& fld) {
  const CField& field = Require(fld);
  ::ridirodev::SaveFieldStyle(State(), field);
}

bool GRidirodev::OpenFieldStyleDialog(int32_t& iFontStyle, int32_t& iColor) {
  return ::ridirodev::OpenFieldStyleDialog(State(), iFontStyle, iColor);
}

void GRidirodev::DeleteStyleInformation(int32_t ord) { ::ridirodev::DeleteFieldStyle(State(), ord); }

void GRidirodev::UpdateExtraColumns(const std::shared_ptr<CField>& fld) {
  const CField& field = Require(fld);
  ::ridirodev::SaveExtraColumnValues(State(), field);
}

void GRidirodev::DeleteExtraColumns(int32_t ord) { sql::DeleteFieldData(State().Database(), ord); }

void GRidirodev::LoadFieldReferencingBusyHours(const std::shared_ptr<CFields>& flds,
                                               std::shared_ptr<CBusyHours>& bhs) {
  if (!flds) return;
  if (!bhs) bhs = std::make_shared<CBusyHours>();
  ridirodev::LoadFieldReferencingBusyHours(State(), *flds, *bhs);
}

void GRidirodev::LoadHours(const std::shared_ptr<CBusyHour>& bh) {
  if (!bh) throw AutomationError(ErrorNumber::kObjectNotSet, "GRidirodev", "No busy hour was given");
  ridirodev::LoadHours(State(), *bh);
}

void GRidirodev::LoadFieldReferencingDocuments(const std::shared_ptr<CFields>& flds, IFolderDocuments& dbfds) {
  ridirodev::LoadFieldReferencingDocuments(State(), flds, dbfds);
}

int32_t GRidirodev::SelectSystemId() { return ::ridirodev::SelectSystemId(State()); }

std::shared_ptr<CAppDocTypeSlrTree> GRidirodev::AppDocTypeSlrTree() {
  MRidirodev& state = State();
  if (!state.appDocTypeSlrTree) state.appDocTypeSlrTree = std::make_shared<CAppDocTypeSlrTree>();
  return state.appDocTypeSlrTree;
}

bool GRidirodev::SelectFolderDocumentTypeTree(std::shared_ptr<IFolderDocumentType>& dbfdt,
                                              const std::shared_ptr<IFolderDocumentTypes>& dbfdts,
                                              const std::string& sTitle, const std::string& sLabel,
                                              bool fVersionOnly) {
  return ::ridirodev::SelectFolderDocumentTypeTree(State(), dbfdt, dbfdts, sTitle, sLabel, fVersionOnly);
}

std::shared_ptr<CRcvFilter> GRidirodev::RcvFilter() { return SharedRcvFilter(); }

void GRidirodev::PopulateRcvFormCB(IComboBox& obj) { SharedRcvFilter()->PopulateRcvFormCB(obj); }

void GRidirodev::PopulateRcvFieldCB(const std::string& sKey, IComboBox& obj) {
  SharedRcvFilter()->PopulateRcvFieldCB(sKey, obj);
}

}  // namespace ridirodev
