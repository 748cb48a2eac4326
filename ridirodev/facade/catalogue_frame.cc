// The global objects, the change announcer, templates and their categories, the dialogs' classes.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"
#include "ridirodev/facade/g_busy_hour.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/clipboard/clipboards.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/dialogs/app_doc_type_slr_tree.h"
#include "ridirodev/model/dialogs/style_manager.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/rcv/rcv_filter.h"
#include "ridirodev/model/template_categories.h"

namespace ridirodev {
namespace {

using binding::CollectionObject;
using binding::ComboBoxOf;
using binding::Hold;
using binding::ObjectNotSet;
using binding::P;
using binding::Required;
constexpr auto kCreatable = Instancing::kCreatable;

// The column map, which callers know as a dictionary; its own type so that the catalogue can
// name it apart from the other collections of strings.
class ColumnMapDictionary final : public CollectionObject<KeyedCollection<std::string>> {
 public:
  using CollectionObject::CollectionObject;
};

using StringCollection = CollectionObject<KeyedCollection<std::string>>;
using FrequencyCollection = CollectionObject<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>>;

// Where the C++ member's form differs from the catalogue's: the object parameters it takes by
// reference, optional parameters without a default (Missing does not convert to a number or a
// text), texts it takes as views, collections that are not objects.
namespace adapt {

bool SelectFolderDocumentType(CAppDocTypeSlrTree& self, std::shared_ptr<IFolderDocumentType>& dbfdt,
                              const std::shared_ptr<IFolderDocumentTypes>& dbfdts, const std::string& sTitle,
                              const std::string& sLabel) {
  return self.SelectFolderDocumentType(dbfdt, dbfdts, sTitle, sLabel);
}

void PopulateTypeCB(const ObjectPtr& obj, const std::string& sAppNameA, bool fAddExternalTypes) {
  GRidirodev::PopulateTypeCB(ComboBoxOf(obj), sAppNameA, fAddExternalTypes);
}
void PopulateTechTypeCB(const ObjectPtr& obj) { GRidirodev::PopulateTechTypeCB(ComboBoxOf(obj)); }
void UpdateCategoryCB(const ObjectPtr& obj, const std::optional<std::string>& sAppNameA) {
  GRidirodev::UpdateCategoryCB(ComboBoxOf(obj), sAppNameA.value_or(""));
}
std::shared_ptr<CFunctions> Functions(std::optional<int32_t> FunctionCategoryId) {
  return GRidirodev::Functions(FunctionCategoryId.value_or(0));
}
void LoadFieldReferencingDocuments(const std::shared_ptr<CFields>& flds,
                                   const std::shared_ptr<IFolderDocuments>& dbfds) {
  GRidirodev::LoadFieldReferencingDocuments(flds, Required(dbfds));
}
std::shared_ptr<StringCollection> BasicAggregators() {
  return Hold<StringCollection>(GRidirodev::BasicAggregators());
}
std::shared_ptr<CAggregator> LookupAggregator(const std::string& sTimeAggregator,
                                              const std::optional<std::string>& sElementAggregator) {
  return GRidirodev::LookupAggregator(sTimeAggregator, sElementAggregator.value_or(""));
}
// Without sStatus, the member that does not report it.
std::string GetExpressionError(const Variant& ordField, std::optional<std::string>& sStatus) {
  if (!sStatus) return GRidirodev::GetExpressionError(ordField);
  return GRidirodev::GetExpressionError(ordField, *sStatus);
}
std::string FieldKey(const std::string& sName, const std::string& sCategory) {
  return GRidirodev::FieldKey(sName, sCategory);
}
std::shared_ptr<ColumnMapDictionary> AppFieldMap(const std::string& sAppName) {
  return Hold<ColumnMapDictionary>(GRidirodev::AppFieldMap(sAppName));
}
void PopulateRcvFormCB(const ObjectPtr& obj) { GRidirodev::PopulateRcvFormCB(ComboBoxOf(obj)); }
void PopulateRcvFieldCB(const std::string& sKey, const ObjectPtr& obj) {
  GRidirodev::PopulateRcvFieldCB(sKey, ComboBoxOf(obj));
}

void LoadReferencingReports(const std::shared_ptr<CBusyHours>& bhsTarget,
                            const std::shared_ptr<IFolderDocuments>& dbfds) {
  GBusyHour::LoadReferencingReports(bhsTarget, Required(dbfds));
}
void UpdateBusyHourTypeCB(const ObjectPtr& cboType, bool fSummation, bool fIncludeAll, const Variant& vEntity,
                          bool fAddSummation) {
  GBusyHour::UpdateBusyHourTypeCB(ComboBoxOf(cboType), fSummation, fIncludeAll, vEntity, fAddSummation);
}
void LoadAllSummations(const std::shared_ptr<CBusyHours>& bhs, bool bLoadHours) {
  GBusyHour::LoadAllSummations(Required(bhs), bLoadHours);
}
void LoadAllBusyHours(const std::shared_ptr<CBusyHours>& bhs, bool bLoadHours) {
  GBusyHour::LoadAllBusyHours(Required(bhs), bLoadHours);
}
std::shared_ptr<FrequencyCollection> FrequencyStrings() {
  return Hold<FrequencyCollection>(GBusyHour::FrequencyStrings());
}

std::shared_ptr<StringCollection> FieldKeys(CAppGroupTemplate& self, int32_t ordEntity) {
  return Hold<StringCollection>(self.FieldKeys(ordEntity));
}

}  // namespace adapt

void DeclareGRidirodev(Catalogue::Builder& b) {
  using G = GRidirodev;
  b.Global<G>("GRidirodev")
      .Get<&G::AggregatorValueList>("AggregatorValueList")
      .Get<&G::AggregatorLabelList>("AggregatorLabelList")
      .Get<&G::FlexibleAggregationEnabled>("FlexibleAggregationEnabled")
      .Get<&G::ExpressTemplateState>("ExpressTemplateState")
      .Get<&G::EntityIDFromName>("EntityIDFromName", {P::ByRef("sName")})
      .Get<&G::FieldClipboard>("FieldClipboard", {P("fDragging", true)})
      .Get<&G::TemplateFieldClipboard>("TemplateFieldClipboard")
      .Get<&G::LookupFieldType>("LookupFieldType", {"sAppNameA", P::ByRef("sFieldTypeA")})
      .Method<&adapt::PopulateTypeCB>("PopulateTypeCB", {"obj", "sAppNameA", P("fAddExternalTypes", false)})
      .Method<&adapt::PopulateTechTypeCB>("PopulateTechTypeCB", {"obj"})
      .Method<&adapt::UpdateCategoryCB>("UpdateCategoryCB", {"obj", P::Optional("sAppNameA")})
      .Get<&G::AllTechnologies>("AllTechnologies", {P("sNameA", "")})
      .Get<&G::FilterDefinitions>("FilterDefinitions")
      .Method<&G::CreateFilterDefinition>("CreateFilterDefinition", {"sName", P("sFilter", "")})
      .Get<&G::ValidTechTypes>("ValidTechTypes")
      .Get<&G::TrafClntFieldTypesValueList>("TrafClntFieldTypesValueList")
      .Get<&G::TrafClntFieldTypesLabelList>("TrafClntFieldTypesLabelList")
      .Get<&G::AppGroupTemplates>("AppGroupTemplates")
      .Get<&G::AppGroupTemplate>("AppGroupTemplate", {"sAppName"})
      .Get<&G::TrafficCategories>("TrafficCategories")
      .Get<&G::ValidAggregators>("ValidAggregators")
      .Get<&adapt::Functions>("Functions", {P::Optional("FunctionCategoryId")})
      .Get<&G::FunctionCategories>("FunctionCategories")
      .Method<&adapt::LoadFieldReferencingDocuments>("LoadFieldReferencingDocuments",
                                                     {"flds", P::ByRef("dbfds")})
      .Method<&G::LoadFieldReferencingBusyHours>("LoadFieldReferencingBusyHours", {"flds", "bhs"})
      .Get<&G::EntityKey>("EntityKey", {"ordEntity"})
      .Get<&adapt::BasicAggregators>("BasicAggregators")
      .Get<&adapt::LookupAggregator>("LookupAggregator",
                                     {"sTimeAggregator", P::Optional("sElementAggregator")})
      .Get<&G::LookupCategoryByName>("LookupCategoryByName", {"sAppName", "sCategory"})
      .Method<&G::UpdateExpressionField>("UpdateExpressionField", {"sAppName", "ordField"})
      .Get<&G::GetFieldFromId>("GetFieldFromId", {"sAppName", "ordField", P("fUsePackage", false)})
      .Method<&G::GetFieldsByIds>("GetFieldsByIds", {"sAppName", "sIds", P("fUsePackage", false)})
      .Get<&G::ExpressionNameLength>("ExpressionNameLength")
      .Get<&G::ExpressionLength>("ExpressionLength")
      .Get<&G::ExprColumnHeading2Length>("ExprColumnHeading2Length")
      .Get<&G::ExprColumnHeading1Length>("ExprColumnHeading1Length")
      .Get<&G::ExpressionDescriptionLength>("ExpressionDescriptionLength")
      .Get<&G::CriteriaLength>("CriteriaLength")
      .Get<&G::ExtraColumnLength>("ExtraColumnLength", {"sColType"})
      .Method<&adapt::GetExpressionError>("GetExpressionError", {"ordField", P::Optional("sStatus")})
      .Method<&G::LoadHours>("LoadHours", {P::ByRef("bh")})
      .Get<&G::DataFiles>("DataFiles", {P("EntityId", 0)})
      .Get<&G::DoComplex>("DoComplex")
      .Get<&G::DoWeighted>("DoWeighted")
      .Method<&G::UsesExternalDataSources>("UsesExternalDataSources")
      .Method<&G::ExpressTemplateProperties>("ExpressTemplateProperties")
      .Method<&adapt::FieldKey>("FieldKey", {"sName", "sCategory"})
      .Get<&G::FieldProperties>("FieldProperties", {"sAppName"})
      .Get<&G::ExpressionProperties>("ExpressionProperties", {"sAppName"})
      .Get<&G::DefaultFieldProperties>("DefaultFieldProperties")
      .Get<&G::EQVToolProperties>("EQVToolProperties")
      .Method<&G::UDR_KeyDataAvailable>("UDR_KeyDataAvailable")
      .Get<&adapt::AppFieldMap>("AppFieldMap", {P::ByRef("sAppName")})
      .Get<&G::StyleFieldsAvailable>("StyleFieldsAvailable")
      .Method<&G::OpenFieldStyleDialog>("OpenFieldStyleDialog", {P::ByRef("iFontStyle"), P::ByRef("iColor")})
      .Method<&G::UpdateStyleInformation>("UpdateStyleInformation", {"fld"})
      .Method<&G::DeleteStyleInformation>("DeleteStyleInformation", {"ord"})
      .Method<&G::UpdateExtraColumns>("UpdateExtraColumns", {"fld"})
      .Method<&G::DeleteExtraColumns>("DeleteExtraColumns", {"ord"})
      .Method<&G::ChangeExpressionOwner>("ChangeExpressionOwner", {"fldsA", "sNewOwner"})
      .Method<&G::DeleteExpressions>("DeleteExpressions", {"fldsA", "fldsException"})
      .Method<&G::FieldUpdates>("FieldUpdates")
      .Method<&G::SelectSystemId>("SelectSystemId")
      .Method<&G::AppDocTypeSlrTree>("AppDocTypeSlrTree")
      .Method<&G::SelectFolderDocumentTypeTree>(
          "SelectFolderDocumentTypeTree", {P::ByRef("dbfdt"), "dbfdts", P("sTitle", "Select Document Type"),
                                           P("sLabel", "Type"), P("fVersionOnly", false)})
      .Get<&G::RcvFilter>("RcvFilter")
      .Method<&adapt::PopulateRcvFormCB>("PopulateRcvFormCB", {"obj"})
      .Method<&adapt::PopulateRcvFieldCB>("PopulateRcvFieldCB", {"sKey", "obj"});
}

void DeclareGBusyHour(Catalogue::Builder& b) {
  using G = GBusyHour;
  b.Global<G>("GBusyHour")
      .Method<&G::BusyHourKey>("BusyHourKey", {"ord"})
      .Method<&G::BusyHourProperties>("BusyHourProperties",
                                      {P("fIncludeFieldColumn", true), P("bIsDWMBusyHoursSupported", false)})
      .Method<&G::BusyHourTypes>("BusyHourTypes", {binding::OptionalByRef("vEntity")})
      .Method<&G::SummationTypes>("SummationTypes")
      .Method<&adapt::LoadReferencingReports>("LoadReferencingReports", {"bhsTarget", "dbfds"})
      .Method<&G::ScenarioDependentBusyHours>("ScenarioDependentBusyHours", {P::ByRef("sIds")})
      .Method<&adapt::UpdateBusyHourTypeCB>(
          "UpdateBusyHourTypeCB", {"cboType", binding::OptionalByRef("fSummation", false),
                                   P("fIncludeAll", true), P::Optional("vEntity"), P("fAddSummation", false)})
      .Method<&G::BusyHourType>("BusyHourType", {P::ByRef("sCategory")})
      .Method<&adapt::LoadAllSummations>("LoadAllSummations", {"bhs", "bLoadHours"})
      .Method<&adapt::LoadAllBusyHours>("LoadAllBusyHours", {"bhs", "bLoadHours"})
      .Method<&G::BusyHourClipboard>("BusyHourClipboard", {P("fDragging", true)})
      .Method<&G::BusyHourNameLength>("BusyHourNameLength")
      .Method<&G::BusyHourDescriptionLength>("BusyHourDescriptionLength")
      .Method<&adapt::FrequencyStrings>("FrequencyStrings")
      .Method<&G::FrequencyById>("FrequencyById", {P::ByRef("nId")})
      .Method<&G::IsBusyHourNameValid>("IsBusyHourNameValid", {"strProposedName", "ordClusterEntityID"})
      .Method<&G::IsDWMBusyHoursSupported>("IsDWMBusyHoursSupported")
      .Method<&G::IsXBusyHoursSupported>("IsXBusyHoursSupported")
      .Method<&G::FindUsedSpans>("FindUsedSpans", {"ordEntity"});
}

void DeclareTemplates(Catalogue::Builder& b) {
  using T = CAppGroupTemplate;
  b.Class<T>("CAppGroupTemplate", kCreatable)
      .Get<&T::Key>("Key")
      .Get<&T::AppName>("AppName")
      .Get<&T::DataSourceId>("DataSourceId")
      .Get<&T::DataContextId>("DataContextId")
      .Get<&T::FieldCategories>("FieldCategories")
      .Get<&T::TemplateCategories>("TemplateCategories")
      .Get<&T::FieldTypes>("FieldTypes")
      .Get<&T::ExtraColumns>("ExtraColumns")
      .Get<&adapt::FieldKeys>("FieldKeys", {"ordEntity"})
      .Get<&T::KeyFields>("KeyFields", {"ordEntity"})
      .Get<&T::Expressions>("Expressions", {"ordEntity"})
      .Get<&T::StaticFields>("StaticFields", {"ordEntity"})
      .Get<&T::AllFields>("AllFields", {P("fReload", false)})
      .Get<&T::Fields>("Fields", {"ordEntity"})
      .Method<&T::UpdateField>("UpdateField", {"fld"})
      .Method<&T::ReloadFields>("ReloadFields", {"ordEntity"})
      .Method<&T::ReloadExpressions>("ReloadExpressions", {"ordEntity"})
      .Method<&T::ClearAll>("ClearAll");
  b.Class<CAppGroupTemplates>("CAppGroupTemplates", kCreatable).StandardCollection("tpl");
  using C = CTemplateCategory;
  b.Class<C>("CTemplateCategory", kCreatable)
      .Get<&C::EntityId>("EntityId")
      .Get<&C::TypeName>("TypeName")
      .Get<&C::Key>("Key")
      .Get<&C::AppName>("AppName")
      .Get<&C::Description>("Description")
      .Get<&C::CanRpt>("CanRpt")
      .Get<&C::Name>("Name");
  b.Class<CTemplateCategories>("CTemplateCategories", kCreatable).StandardCollection("tplc");
}

}  // namespace

void DeclareFrameClasses(Catalogue::Builder& b) {
  b.Type<IAppPropertySet>("IAppPropertySet");
  b.Type<IFolderDocuments>("IFolderDocuments");
  b.Type<IFolderDocumentType>("IFolderDocumentType");
  b.Type<IFolderDocumentTypes>("IFolderDocumentTypes");
  b.Type<ColumnMapDictionary>("Dictionary");

  DeclareGRidirodev(b);
  DeclareGBusyHour(b);
  b.Class<CRidirodevInitializer>("CRidirodevInitializer", kCreatable, {"IDBObjectInitializer"});
  b.Class<CFieldUpdates>("CFieldUpdates", Instancing::kNotCreatable, {}, "__CFieldUpdates")
      .Method<&CFieldUpdates::NotityFieldChange>("NotityFieldChange", {"ordEntity", "flds", "action"})
      .Method<&CFieldUpdates::NotityBusyHourChange>("NotityBusyHourChange",
                                                    {"fSummation", "ordEntity", "bhs", "action"})
      .Event<&CFieldUpdates::FieldsChange>(b.Events("__CFieldUpdates"), "FieldsChange",
                                           {"&ordEntity", "&flds", "&action"})
      .Event<&CFieldUpdates::BusyHourChange>(b.Events("__CFieldUpdates"), "BusyHourChange",
                                             {"&fSummation", "&ordEntity", "&bhs", "&action"});
  DeclareTemplates(b);
  b.Class<CStyleManager>("CStyleManager", kCreatable,
                         {"ILVItemColorManager", "ILVItemFontManager", "ILVItemImageManager"});
  b.Class<CAppDocTypeSlrTree>("CAppDocTypeSlrTree", kCreatable, {"IAppDocTypeSelector"})
      .Method<&adapt::SelectFolderDocumentType>("IAppDocTypeSelector_SelectFolderDocumentType",
                                                {P::ByRef("dbfdt"), "dbfdts", "sTitle", "sLabel"});
}

}  // namespace ridirodev
