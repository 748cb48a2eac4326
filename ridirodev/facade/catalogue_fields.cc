// Fields, their collection, categories, and the qualifiers of fields.
#include <memory>
#include <string>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/database.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/extra_column_values.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/qualifiers.h"

namespace ridirodev {
namespace {

using binding::P;
using binding::Required;
constexpr auto kCreatable = Instancing::kCreatable;

// Adapters where the C++ member's form differs from the catalogue's.

void FieldInitializeFromXML(CField& self, const std::string& sAppName, const IXMLNodePtr& xmlObj) {
  self.InitializeFromXML(sAppName, Required(xmlObj));
}

// The id arrives as text; the collection reads the number it holds.
CFieldPtr LookupById(const CFields& self, const std::string& ord) { return self.LookupById(Variant(ord)); }
CFieldsPtr LookupFieldsByEntityId(const CFields& self, const std::string& ord) {
  return self.LookupFieldsByEntityId(Variant(ord));
}

void CategoryInitializeFromRS(CFieldCategory& self, const std::string& sAppNameA,
                              const IDBRecordsetPtr& rst) {
  self.InitializeFromRS(sAppNameA, Required(rst));
}

// The keyed collection is not an object; a late-bound caller holds it inside one.
ObjectPtr FieldKeys(CFieldCategory& self) {
  return binding::Hold<binding::CollectionObject<KeyedCollection<std::string>>>(self.FieldKeys());
}

// A failed save has already been reported to the user; the late-bound form has no result.
void AddExpression(CFieldCategory& self, const CFieldPtr& fld) { self.AddExpression(fld); }
void UpdateExpression(CFieldCategory& self, const CFieldPtr& fld) { self.UpdateExpression(fld); }

// The four qualifiers are read from one row each.
template <class C>
void InitializeFromRow(C& self, const IDBRecordsetPtr& rst) {
  self.Initialize(Required(rst));
}

Variant OkForBusyHour(const CAggregator& self) { return Variant(self.OkForBusyHour()); }

}  // namespace

void DeclareFieldClasses(Catalogue::Builder& b) {
  b.Type<ExtraColumnValues>("Dictionary");
  b.Type<IDBRecordset>("IDBRecordset");
  b.Type<IAppPropertySet>("IAppPropertySet");

  using FieldInitialize = void (CField::*)(
      int32_t, std::string, int32_t, const std::string&, const std::string&, int32_t, std::string, bool,
      std::string, std::string, std::string, const std::string&, int32_t, std::string, Date, std::string,
      ExtraColumnValuesPtr, std::string, int32_t, int32_t, int32_t);
  using FieldInitializeAsCommon =
      void (CField::*)(int32_t, const std::string&, int32_t, int32_t, const std::string&, const std::string&,
                       const std::string&, const std::string&, const std::string&, int32_t, Date,
                       const std::string&, const std::string&, const std::string&, int32_t, int32_t, int32_t);
  b.Class<CField>("CField", kCreatable, {"ILVItemObject"})
      .Method<static_cast<FieldInitialize>(&CField::Initialize)>("Initialize", {"ordA",
                                                                                "sNameA",
                                                                                "ordEntity",
                                                                                "sAppName",
                                                                                "sFieldTypeA",
                                                                                "iTechBitsA",
                                                                                "sDataTypeA",
                                                                                "fNullOkA",
                                                                                "sColumnHeading1A",
                                                                                "sColumnHeading2A",
                                                                                "sDescriptionA",
                                                                                "sAggregator",
                                                                                "ordOwner",
                                                                                "sCalcSourceA",
                                                                                "dateChangedA",
                                                                                P("sStatusA", ""),
                                                                                P("dicInfo", ObjectPtr()),
                                                                                P("sComplexA", ""),
                                                                                P("lWeightField", 0),
                                                                                P("iFontStyleA", 0),
                                                                                P("iFontColorA", 0)})
      .Method<&FieldInitializeFromXML>("InitializeFromXML", {"sAppName", "xmlObj"})
      .Method<static_cast<FieldInitializeAsCommon>(&CField::InitializeAsCommon)>(
          "InitializeAsCommon",
          {"ordA", "sNameA", "ordEntity", "iTechBitsA", "sDataTypeA", "sColumnHeading1A", "sColumnHeading2A",
           "sDescriptionA", "sAggregator", "ordOwner", "dateChangedA", "sFieldTypeA", P("sStatusA", ""),
           P("sComplexA", ""), P("lWeightField", 0), P("iFontStyleA", 0), P("iFontColorA", 0)})
      .Method<&CField::Clone>("Clone")
      .Get<&CField::Key>("Key")
      .Get<&CField::Id>("Id")
      .Let<&CField::SetId>("Id")
      .Method<&CField::ClearId>("ClearId")
      .Get<&CField::Name>("Name")
      .Get<&CField::AppName>("AppName")
      .Get<&CField::DataSourceId>("DataSourceId")
      .Get<&CField::FieldCategory>("FieldCategory")
      .Get<&CField::EntityId>("EntityId")
      .Get<&CField::Category>("Category")
      .Get<&CField::FieldType>("FieldType")
      .Get<&CField::FieldTypeId>("FieldTypeId")
      .Get<&CField::FieldTechBits>("FieldTechBits")
      .Get<static_cast<std::string (CField::*)() const>(&CField::FieldTechType)>("FieldTechType")
      .Get<&CField::DataType>("DataType")
      .Get<&CField::NullOk>("NullOk")
      .Get<&CField::ColumnHeading1>("ColumnHeading1")
      .Get<&CField::ColumnHeading2>("ColumnHeading2")
      .Get<&CField::Description>("Description")
      .Get<&CField::CalcSource>("CalcSource")
      .Get<&CField::Aggregator>("Aggregator")
      .Get<&CField::TimeAggregator>("TimeAggregator")
      .Get<&CField::ElementAggregator>("ElementAggregator")
      .Get<&CField::Status>("Status")
      .Get<&CField::Changed>("Changed")
      .Let<&CField::SetChanged>("Changed")
      .Get<&CField::Owner>("Owner")
      .Get<&CField::UserId>("UserId")
      .Get<&CField::Complex>("Complex")
      .Get<&CField::Weight_Field_Id>("Weight_Field_Id")
      .Get<&CField::FontMask>("FontMask")
      .Get<&CField::FontColor>("FontColor")
      .Get<&CField::EnumValues>("EnumValues")
      .Method<&CField::IsExpression>("IsExpression")
      .Method<&CField::IsExternal>("IsExternal")
      .Method<&CField::IsKeyField>("IsKeyField")
      .Get<&CField::ExpressionError>("ExpressionError")
      .Method<&CField::ExtraFieldValue>("ExtraFieldValue", {"sFieldName"})
      .Method<&CField::IsFilterOK>(
          "IsFilterOK", {"sTechFilter", "sFieldFilter", "sOwnerFilter", "sSearchPattern", "fUseForBusyHour",
                         P("sRcvFormFilter", ""), P("sRcvFieldFilter", "")});

  b.Class<CFields>("CFields", kCreatable, {"ILVItemCollection"})
      .StandardCollection("fld")
      .Method<&CFields::Clone>("Clone", {P("fCopyFields", true)})
      .Method<&CFields::LookupByName>("LookupByName", {"sName"})
      .Method<&LookupById>("LookupById", {"ord"})
      .Method<&LookupFieldsByEntityId>("LookupFieldsByEntityId", {"ord"})
      .Method<&CFields::Table>("Table", {P::Optional("lvps"), P("fShowColumnHeadings", true)});

  using CategoryInitialize = void (CFieldCategory::*)(
      int32_t, const std::string&, const std::string&, int32_t, const std::string&, bool, bool, bool,
      std::shared_ptr<CFields>, const std::string&, const std::string&);
  b.Class<CFieldCategory>("CFieldCategory", kCreatable, {"ITreeNodeItem"})
      .Method<static_cast<CategoryInitialize>(&CFieldCategory::Initialize)>(
          "Initialize", {"iEntityId", "sEntityA", "sAppName", "iParentId", "sDescriptionA", "fCanSumA",
                         "fCanRptA", "fAllowReparentingA", "fldsA", "sLabelA", "sContextEntityLabelA"})
      .Method<&CategoryInitializeFromRS>("InitializeFromRS", {"sAppNameA", "rst"})
      .Method<&CFieldCategory::Clone>("Clone")
      .Get<&CFieldCategory::Label>("Label")
      .Let<&CFieldCategory::SetLabel>("Label")
      .Get<&CFieldCategory::Key>("Key")
      .Get<&CFieldCategory::Id>("Id")
      .Get<&CFieldCategory::ParentId>("ParentId")
      .Get<&CFieldCategory::CategoryEntity>("CategoryEntity")
      .Get<&CFieldCategory::CategoryName>("CategoryName")
      .Get<&CFieldCategory::ContextEntityLabel>("ContextEntityLabel")
      .Get<&CFieldCategory::HierarchyLabel>("HierarchyLabel")
      .Get<&CFieldCategory::AppName>("AppName")
      .Get<&CFieldCategory::ParentKey>("ParentKey")
      .Get<&CFieldCategory::Description>("Description")
      .Get<&CFieldCategory::CanSum>("CanSum")
      .Get<&CFieldCategory::CanRpt>("CanRpt")
      .Get<&CFieldCategory::AllowReparenting>("AllowReparenting")
      .Get<&CFieldCategory::Parent>("Parent")
      .Method<static_cast<bool (CFieldCategory::*)() const>(&CFieldCategory::IsRoot)>("IsRoot")
      .Get<&CFieldCategory::Fields>("Fields")
      .Get<&FieldKeys>("FieldKeys")
      .Get<&CFieldCategory::StaticFields>("StaticFields")
      .Get<&CFieldCategory::Expressions>("Expressions")
      .Get<&CFieldCategory::KeyFields>("KeyFields")
      .Get<&CFieldCategory::CommonFields>("CommonFields")
      .Get<&CFieldCategory::BusyHours>("BusyHours")
      .Get<&CFieldCategory::Summations>("Summations")
      .Method<&AddExpression>("AddExpression", {"fld"})
      .Method<&CFieldCategory::RenameExpression>("RenameExpression", {"fld", "sNewname"})
      .Method<&UpdateExpression>("UpdateExpression", {"fld"})
      .Method<&CFieldCategory::UpdateField>("UpdateField", {"fld"})
      .Method<&CFieldCategory::AddCommonField>("AddCommonField", {"fld"})
      .Method<&CFieldCategory::UpdateCommonField>("UpdateCommonField", {"fld"})
      .Method<&CFieldCategory::DeleteCommonFields>("DeleteCommonFields", {"fldsA"})
      .Method<&CFieldCategory::ReSetFields>("ReSetFields")
      .Method<&CFieldCategory::ReloadFields>("ReloadFields")
      .Method<&CFieldCategory::ReloadBusyHours>("ReloadBusyHours")
      .Method<&CFieldCategory::ReloadSummations>("ReloadSummations")
      .Method<&CFieldCategory::AddBusyHour>("AddBusyHour", {"bh"})
      .Method<&CFieldCategory::UpdateBusyHour>("UpdateBusyHour", {"bh"})
      .Method<&CFieldCategory::DeleteBusyHours>("DeleteBusyHours", {"bhsA"})
      .Method<&CFieldCategory::ChangeBusyHourOwner>("ChangeBusyHourOwner", {"bhsA", "ordNewUser"})
      .Method<&CFieldCategory::AddSummation>("AddSummation", {"bh"})
      .Method<&CFieldCategory::UpdateSummation>("UpdateSummation", {"bh"})
      .Method<&CFieldCategory::DeleteSummations>("DeleteSummations", {"bhsA"})
      .Method<&CFieldCategory::ChangeSummationOwner>("ChangeSummationOwner", {"bhsA", "ordNewUser"});

  b.Class<CFieldCategories>("CFieldCategories", kCreatable)
      .Get<&CFieldCategories::RootNode>("RootNode")
      .Method<&CFieldCategories::BranchRoot>("BranchRoot", {"sKey", P("sRootLabel", "")})
      .Method<static_cast<void (CFieldCategories::*)(CFieldCategoryPtr)>(&CFieldCategories::Add)>(
          "Add", {P::ByRef("fc")})
      .Method<&CFieldCategories::Count>("Count")
      .Method<&CFieldCategories::Exists>("Exists", {"v"})
      .Method<&CFieldCategories::Item>("Item", {"v"})
      .Default()
      .Get<&CFieldCategories::NewEnum>("NewEnum")
      .Enumerator()
      .Method<static_cast<void (CFieldCategories::*)()>(&CFieldCategories::CreateCategoryHierarchy)>(
          "CreateCategoryHierarchy");

  b.Class<CFieldType>("CFieldType", kCreatable)
      .Get<&CFieldType::TypeName>("TypeName")
      .Get<&CFieldType::FieldTypeId>("FieldTypeId")
      .Get<&CFieldType::Key>("Key")
      .Get<&CFieldType::Description>("Description")
      .Method<&InitializeFromRow<CFieldType>>("Initialize", {"rst"});
  b.Class<CFieldTypes>("CFieldTypes", kCreatable)
      .StandardCollection("tplft")
      .Method<&CFieldTypes::UpdateListValues>("UpdateListValues")
      .Get<&CFieldTypes::ValueList>("ValueList")
      .Get<&CFieldTypes::LabelList>("LabelList");

  b.Class<CFieldTechType>("CFieldTechType", kCreatable)
      .Get<&CFieldTechType::Name>("Name")
      .Get<&CFieldTechType::Key>("Key")
      .Get<&CFieldTechType::ShortName>("ShortName")
      .Get<&CFieldTechType::TechMask>("TechMask")
      .Get<&CFieldTechType::Description>("Description")
      .Method<&InitializeFromRow<CFieldTechType>>("Initialize", {"rst"});
  b.Class<CFieldTechTypes>("CFieldTechTypes", kCreatable)
      .StandardCollection("ftt")
      .Get<&CFieldTechTypes::ValueList>("ValueList")
      .Get<&CFieldTechTypes::LabelList>("LabelList")
      .Method<&CFieldTechTypes::UpdateListValues>("UpdateListValues")
      .Get<&CFieldTechTypes::FieldTechType>("FieldTechType", {"TechBits"});

  b.Class<CAggregator>("CAggregator", kCreatable)
      .Get<&CAggregator::Name>("Name")
      .Get<&CAggregator::Key>("Key")
      .Get<&CAggregator::ShortName>("ShortName")
      .Get<&CAggregator::TimeAggregator>("TimeAggregator")
      .Get<&CAggregator::ElementAggregator>("ElementAggregator")
      .Get<&OkForBusyHour>("OkForBusyHour")
      .Method<&InitializeFromRow<CAggregator>>("Initialize", {"rst"});
  b.Class<CAggregators>("CAggregators", kCreatable).StandardCollection("agr");

  b.Class<CExtraColumn>("CExtraColumn", kCreatable)
      .Get<&CExtraColumn::Name>("Name")
      .Get<&CExtraColumn::Key>("Key")
      .Get<&CExtraColumn::ColType>("ColType")
      .Get<&CExtraColumn::Id>("Id")
      .Get<&CExtraColumn::Editable>("Editable")
      .Method<&InitializeFromRow<CExtraColumn>>("Initialize", {"rst"});
  b.Class<CExtraColumns>("CExtraColumns", kCreatable).StandardCollection("extc");
}

}  // namespace ridirodev
