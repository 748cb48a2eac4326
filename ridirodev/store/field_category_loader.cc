#include "ridirodev/store/field_category_loader.h"

#include <memory>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev::sql {
namespace {


}  // namespace

void LoadFieldCategories(const std::string& appName, int32_t contextId, CFieldCategories& categories) {
  MRidirodev& state = MRidirodev::Current();
  const std::string statement = FieldCategoriesStatement(state.Support().ExtendedEntityViews(), contextId);
  ClosingRecordset rs(state.Database().OpenRecordset(statement, 60));
  if (!rs) return;
  for (; !rs->Eof(); rs->MoveNext()) {
    auto category = std::make_shared<CFieldCategory>();
    category->InitializeFromRS(appName, *rs);
    categories.Add(category);
  }
  rs.Close();
  categories.CreateCategoryHierarchy();
}

void LoadEntityFields(int32_t entityId, CFields& fields) {
  MRidirodev& state = MRidirodev::Current();
  const GlobalFlags& flags = state.flags;
  FieldColumnOptions options;
  options.doComplex = flags.doComplex;
  options.doWeighted = flags.doWeighted;
  options.styleFieldsAvailable = flags.styleFieldsAvailable;
  IDBObject& db = state.Database();
  ClosingRecordset rs(db.OpenRecordset(EntityFieldsStatement(entityId, options), 60));
  if (!rs) return;
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& f = rs->Fields();
    auto field = std::make_shared<CField>();
    field->InitializeAsCommon(
        db.FieldNumber(f.Value("Field_Id")), db.FieldText(f.Value("Name")), entityId,
        db.FieldNumberOr(f.Value("Tech_Mask"), 0), db.FieldText(f.Value("DataType")),
        db.FieldText(f.Value("Report_Header")), db.FieldText(f.Value("Report_Header2")),
        db.FieldText(f.Value("Field_Desc")), db.FieldText(f.Value("Field_Aggregator")),
        db.FieldNumberOr(f.Value("Field_Owner"), 0), db.FieldDate(f.Value("Changed")),
        db.FieldText(f.Value("Field_Group_Short")), db.FieldText(f.Value("Status")),
        flags.doComplex ? db.FieldText(f.Value("Complex")) : std::string(),
        flags.doWeighted ? db.FieldNumberOr(f.Value("weight_field_id"), 0) : 0,
        flags.styleFieldsAvailable ? db.FieldNumberOr(f.Value("FontStyleMask"), 0) : 0,
        flags.styleFieldsAvailable ? db.FieldNumberOr(f.Value("FontColor"), 0) : 0);
    fields.Add(field);
  }
  rs.Close();
}

}  // namespace ridirodev::sql
