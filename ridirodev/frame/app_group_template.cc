#include "ridirodev/frame/app_group_template.h"

#include "ridirodev/frame/state.h"
#include "ridirodev/frame/template_categories.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/sql/dictionary_loaders.h"

namespace ridirodev {

CAppGroupTemplate::CAppGroupTemplate() = default;
CAppGroupTemplate::~CAppGroupTemplate() = default;

std::shared_ptr<CTemplateCategories> CAppGroupTemplate::TemplateCategories() {
  if (!templateCategories_) {
    auto categories = std::make_shared<CTemplateCategories>();
    sql::LoadTemplateCategories(appName_, dataContextId_, *categories);
    templateCategories_ = std::move(categories);
  }
  return templateCategories_;
}

std::shared_ptr<CFieldTypes> CAppGroupTemplate::FieldTypes() {
  if (!fieldTypes_) {
    auto types = std::make_shared<CFieldTypes>();
    sql::LoadFieldTypes(dataSourceId_, *types);
    fieldTypes_ = std::move(types);
  }
  return fieldTypes_;
}

std::shared_ptr<CExtraColumns> CAppGroupTemplate::ExtraColumns() {
  if (!extraColumns_) {
    auto columns = std::make_shared<CExtraColumns>();
    sql::LoadExtraColumns(dataSourceId_, *columns);
    extraColumns_ = std::move(columns);
  }
  return extraColumns_;
}

void CAppGroupTemplate::Initialize(const IDBRecordset& rs) {
  IDBObject& db = MRidirodev::Current().Database();
  const IDBFields& f = rs.Fields();
  Initialize(db.FieldText(f.Value("DataSource_Name")), db.FieldNumber(f.Value("DataSource_ID")),
             db.FieldNumber(f.Value("DataSource_App_CTX")));
}

void CAppGroupTemplate::Initialize(std::string appName, int32_t dataSourceId, int32_t dataContextId) {
  appName_ = std::move(appName);
  dataSourceId_ = dataSourceId;
  dataContextId_ = dataContextId;
}

}  // namespace ridirodev
