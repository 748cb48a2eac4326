// Functions, operators, enumerated values, data files, calculation references and busy hours.
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/udc_refs.h"

namespace ridirodev {

using binding::P;
constexpr auto kCreatable = Instancing::kCreatable;

void DeclareQualifierClasses(Catalogue::Builder& b) {
  b.Class<CFunction>("CFunction", kCreatable)
      .Method<&CFunction::Initialize>("Initialize", {"sNameA", "sSignatureA", "iCategoryIdA", "sDescriptionA"})
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
      .Method<&CDataFile::Initialize>(
          "Initialize", {"FieldId", "FileTypeId", "FileType", "Frequency", "FrequencyId", "Vendor", "Description"})
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
}

}  // namespace ridirodev
