// Functions, operators, enumerated values, data files, calculation references and busy hours.
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/udc_refs.h"
#include "ridirodev/store/busyhour_persistence.h"

namespace ridirodev {
namespace {

using binding::P;
constexpr auto kCreatable = Instancing::kCreatable;

// A definition from the current row of a PM_BusyHour row set, through the row reader the
// loads use.
void InitializeFromRS(CBusyHour& self, const std::shared_ptr<IDBRecordset>& rst) {
  if (!rst) {
    throw AutomationError(ErrorNumber::kObjectNotSet, "CBusyHour",
                          "Object variable or With block variable not set");
  }
  MRidirodev& state = MRidirodev::Current();
  self.InitializeFromRow(state, sql::ReadBusyHourRow(state.Database(), *rst));
}

}  // namespace

void DeclareQualifierClasses(Catalogue::Builder& b) {
  b.Class<CFunction>("CFunction", kCreatable)
      .Method<&CFunction::Initialize>("Initialize",
                                      {"sNameA", "sSignatureA", "iCategoryIdA", "sDescriptionA"})
      .Get<&CFunction::Name>("Name")
      .Get<&CFunction::Signature>("Signature")
      .Get<&CFunction::CategoryId>("CategoryId")
      .Get<&CFunction::Description>("Description");
  b.Class<CFunctions>("CFunctions", kCreatable).StandardCollection("fn");
  b.Class<CFunctionCategory>("CFunctionCategory", kCreatable)
      .Method<&CFunctionCategory::Initialize>("Initialize", {"ordA", "sNameA", "sDescriptionA"})
      .Get<&CFunctionCategory::Name>("Name")
      .Get<&CFunctionCategory::Description>("Description")
      .Get<&CFunctionCategory::Id>("Id");
  b.Class<CFunctionCategories>("CFunctionCategories", kCreatable).StandardCollection("category");
  b.Class<COperator>("COperator", kCreatable)
      .Method<&COperator::Initialize>("Initialize", {"sNameA", "sSignatureA"})
      .Get<&COperator::Name>("Name")
      .Get<&COperator::Signature>("Signature");
  b.Class<COperators>("COperators", kCreatable).StandardCollection("op");
  b.Class<CEnumValue>("CEnumValue", kCreatable)
      .Method<&CEnumValue::Initialize>("Initialize", {"sKeyA", "sDescriptionA"})
      .Get<&CEnumValue::Description>("Description")
      .Get<&CEnumValue::Key>("Key");
  b.Class<CEnumValues>("CEnumValues", kCreatable).StandardCollection("ev");
  b.Class<CDataFile>("CDataFile", kCreatable)
      .Method<&CDataFile::Initialize>("Initialize", {"FieldId", "FileTypeId", "FileType", "Frequency",
                                                     "FrequencyId", "Vendor", "Description"})
      .Get<&CDataFile::FieldId>("FieldId")
      .Get<&CDataFile::FileTypeId>("FileTypeId")
      .Get<&CDataFile::FileType>("FileType")
      .Get<&CDataFile::Frequency>("Frequency")
      .Get<&CDataFile::FrequencyId>("FrequencyId")
      .Get<&CDataFile::Vendor>("Vendor")
      .Get<&CDataFile::Description>("Description")
      .Get<&CDataFile::Key>("Key")
      .Let<&CDataFile::SetKey>("Key")
      .Get<&CDataFile::FirstAvailable>("FirstAvailable")
      .Let<&CDataFile::SetFirstAvailable>("FirstAvailable")
      .Get<&CDataFile::LastAvailable>("LastAvailable")
      .Let<&CDataFile::SetLastAvailable>("LastAvailable")
      .Get<&CDataFile::OffsetMinutes>("OffsetMinutes")
      .Let<&CDataFile::SetOffsetMinutes>("OffsetMinutes")
      .Get<&CDataFile::EntityId>("EntityId")
      .Let<&CDataFile::SetEntityId>("EntityId")
      .Get<&CDataFile::EntityName>("EntityName")
      .Let<&CDataFile::SetEntityName>("EntityName");
  b.Class<CDataFiles>("CDataFiles", kCreatable)
      .Method<&CDataFiles::Add>(
          "Add", {"FieldId", "FileTypeId", "FileType", "Frequency", "FrequencyId", "Vendor", "Description"})
      .Get<&CDataFiles::Item>("Item", {P::ByRef("vntIndexKey")})
      .Default()
      .Get<&CDataFiles::Count>("Count")
      .Method<&CDataFiles::Remove>("Remove", {P::ByRef("vntIndexKey")})
      .Get<&CDataFiles::NewEnum>("NewEnum")
      .Enumerator()
      .Method<&CDataFiles::Clear>("Clear")
      .Method<&CDataFiles::Exists>("Exists", {"vIndex"})
      .Method<&CDataFiles::FieldIdToFile>("FieldIdToFile", {"lField"})
      .Method<&CDataFiles::FileToFieldID>("FileToFieldID", {"varFile"})
      .Get<&CDataFiles::EntityId>("EntityId")
      .Let<&CDataFiles::SetEntityId>("EntityId");
  b.Class<CUDCRef>("CUDCRef", kCreatable)
      .Get<&CUDCRef::Parent>("Parent")
      .Set<&CUDCRef::SetParent>("Parent")
      .Get<&CUDCRef::Child>("Child")
      .Set<&CUDCRef::SetChild>("Child");
  b.Class<CUDCRefs>("CUDCRefs", kCreatable)
      .Get<&CUDCRefs::udcToDelete>("udcToDelete")
      .Set<&CUDCRefs::SetudcToDelete>("udcToDelete")
      .Method<&CUDCRefs::LoadReferencingExpressions>("LoadReferencingExpressions")
      .Get<&CUDCRefs::ReferencingExpressions>("ReferencingExpressions")
      .Get<&CUDCRefs::DeleteableExpressions>("DeleteableExpressions")
      .StandardCollection("udcRef");
  b.Type<IDBRecordset>("IDBRecordset");
  b.Type<IAppPropertySet>("IAppPropertySet");
  b.Class<CBusyHour>("CBusyHour", kCreatable, {"ILVItemObject"})
      .Get<&CBusyHour::Id>("Id")
      .Get<&CBusyHour::BhScenarioId>("BhScenarioId")
      .Let<&CBusyHour::SetBhScenarioId>("BhScenarioId")
      .Get<&CBusyHour::TypeEntityId>("TypeEntityId")
      .Method<&CBusyHour::InitializeNew>(
          "InitializeNew",
          {"ordTypeEntity", P::ByRef("dbuA"), "sNameA", "sDescriptionA", "fldA", "sSpanA", "dateFirstNeededA",
           "iLowRankA", "iHighRankA", "fPABH_DefinedA", "ordBhScenarioIdA", "vDailyRetentionA",
           "vWeeklyRetentionA", "vMonthlyRetentionA"})
      .Method<&InitializeFromRS>("InitializeFromRS", {P::ByRef("rst")})
      .Method<&CBusyHour::Clone>("Clone")
      .Get<&CBusyHour::Category>("Category")
      .Get<&CBusyHour::Field>("Field")
      .Get<&CBusyHour::FieldId>("FieldId")
      .Let<&CBusyHour::SetFieldId>("FieldId")
      .Get<&CBusyHour::Changed>("Changed")
      .Let<&CBusyHour::SetChanged>("Changed")
      .Get<&CBusyHour::FirstNeeded>("FirstNeeded")
      .Let<&CBusyHour::SetFirstNeeded>("FirstNeeded")
      .Get<&CBusyHour::FirstAvail>("FirstAvail")
      .Get<&CBusyHour::UpdateRequired>("UpdateRequired")
      .Let<&CBusyHour::SetUpdateRequired>("UpdateRequired")
      .Get<&CBusyHour::PABH_Defined>("PABH_Defined")
      .Let<&CBusyHour::SetPABH_Defined>("PABH_Defined")
      .Get<&CBusyHour::LastAvail>("LastAvail")
      .Get<&CBusyHour::Description>("Description")
      .Let<&CBusyHour::SetDescription>("Description")
      .Get<&CBusyHour::Name>("Name")
      .Let<&CBusyHour::SetName>("Name")
      .Get<&CBusyHour::BusyHourType>("BusyHourType")
      .Get<&CBusyHour::Key>("Key")
      .Get<&CBusyHour::UserId>("UserId")
      .Let<&CBusyHour::SetUserId>("UserId")
      .Get<&CBusyHour::LowRank>("LowRank")
      .Let<&CBusyHour::SetLowRank>("LowRank")
      .Get<&CBusyHour::HighRank>("HighRank")
      .Let<&CBusyHour::SetHighRank>("HighRank")
      .Get<&CBusyHour::SpanEx>("SpanEx")
      .Get<&CBusyHour::Hours>("Hours")
      .Get<&CBusyHour::Span>("Span")
      .Let<&CBusyHour::SetSpan>("Span")
      .Get<&CBusyHour::SelectedCount>("SelectedCount")
      .Get<&CBusyHour::Selected>("Selected", {"Index"})
      .Let<&CBusyHour::SetSelected>("Selected", {"Index"})
      .Get<&CBusyHour::SelectedHours>("SelectedHours")
      .Set<&CBusyHour::SetSelectedHours>("SelectedHours")
      .Get<&CBusyHour::OwnerName>("OwnerName")
      .Method<&CBusyHour::IsFilterOK>("IsFilterOK",
                                      {P("sTypeFilter", ""), P("sOwnerFilter", ""), P("sSpanFilter", "")})
      .Method<&CBusyHour::LoadBusyHourById>("LoadBusyHourById", {"ord"})
      .Get<&CBusyHour::DailyRetention>("DailyRetention")
      .Let<&CBusyHour::SetDailyRetention>("DailyRetention")
      .Get<&CBusyHour::WeeklyRetention>("WeeklyRetention")
      .Let<&CBusyHour::SetWeeklyRetention>("WeeklyRetention")
      .Get<&CBusyHour::MonthlyRetention>("MonthlyRetention")
      .Let<&CBusyHour::SetMonthlyRetention>("MonthlyRetention");
  b.Class<CBusyHours>("CBusyHours", kCreatable, {"ILVItemCollection"}, "__CBusyHours")
      .Method<&CBusyHours::Clone>("Clone", {P("fCopyFields", true)})
      .Method<&CBusyHours::Add>("Add", {P::ByRef("bh")})
      .Method<&CBusyHours::Update>("Update", {P::ByRef("bh")})
      .Method<&CBusyHours::Delete>("Delete", {"v"})
      .Method<&CBusyHours::Clear>("Clear")
      .Method<&CBusyHours::Count>("Count")
      .Method<&CBusyHours::Exists>("Exists", {"v"})
      .Method<&CBusyHours::Item>("Item", {"v"})
      .Default()
      .Method<&CBusyHours::NewEnum>("NewEnum")
      .Enumerator()
      .Method<&CBusyHours::Table>("Table", {P("lvps", ObjectPtr()), P("fShowColumnHeadings", true)})
      .Event<&CBusyHours::StateChange>(b.Events("__CBusyHours"), "StateChange", {"bhsChange", "&bh"});
  b.Class<CBusyHourType>("CBusyHourType", kCreatable)
      .Get<&CBusyHourType::Name>("Name")
      .Get<&CBusyHourType::TypeEntityId>("TypeEntityId")
      .Get<&CBusyHourType::Key>("Key")
      .Get<&CBusyHourType::Category>("Category");
  b.Class<CBusyHourTypes>("CBusyHourTypes", kCreatable).StandardCollection("bht");
}

}  // namespace ridirodev
