#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class IDBRecordset;
class CFieldTypes;
class CExtraColumns;
class CTemplateCategories;

// The cache of one application group (a data source with its hierarchy, field types, extra
// columns and fields). Each kind of dictionary data loads on first use and stays loaded.
class CAppGroupTemplate : public Object {
 public:
  CAppGroupTemplate();
  ~CAppGroupTemplate() override;

  const std::string& Key() const noexcept { return appName_; }
  const std::string& AppName() const noexcept { return appName_; }
  int32_t DataSourceId() const noexcept { return dataSourceId_; }
  int32_t DataContextId() const noexcept { return dataContextId_; }

  std::shared_ptr<CTemplateCategories> TemplateCategories();
  std::shared_ptr<CFieldTypes> FieldTypes();
  std::shared_ptr<CExtraColumns> ExtraColumns();

  // From one row of the templates statement: DataSource_Name (null as ""), DataSource_ID and
  // DataSource_App_CTX (null as 0).
  void Initialize(const IDBRecordset& rs);
  void Initialize(std::string appName, int32_t dataSourceId, int32_t dataContextId);

 private:
  std::string appName_;
  int32_t dataSourceId_ = 0;
  int32_t dataContextId_ = 0;
  std::shared_ptr<CTemplateCategories> templateCategories_;
  std::shared_ptr<CFieldTypes> fieldTypes_;
  std::shared_ptr<CExtraColumns> extraColumns_;
};
using CAppGroupTemplatePtr = std::shared_ptr<CAppGroupTemplate>;

// Every application group; a second template under a known name is ignored.
class CAppGroupTemplates : public ObjectCollection<CAppGroupTemplate, DuplicateKey::kSkip> {};
using CAppGroupTemplatesPtr = std::shared_ptr<CAppGroupTemplates>;

}  // namespace ridirodev
