#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

// A report category of an application: an entity type, or the application itself.
class CTemplateCategory : public Object {
 public:
  int32_t EntityId() const noexcept { return entityId_; }
  const std::string& TypeName() const noexcept { return typeName_; }
  const std::string& Key() const noexcept { return typeName_; }
  const std::string& EntityName() const noexcept { return entityName_; }
  const std::string& AppName() const noexcept { return appName_; }
  const std::string& Description() const noexcept { return description_; }
  bool CanRpt() const noexcept { return canRpt_; }
  const std::string& EntityLabel() const noexcept { return entityLabel_; }
  // The entity label under the extended entity views (asked at each call), else the entity name.
  std::string Name() const;

  void Initialize(int32_t entityId, std::string typeName, std::string entityName, std::string appName,
                  std::string description, bool canRpt, std::string entityLabel);

 private:
  int32_t entityId_ = 0;
  std::string typeName_;
  std::string entityName_;
  std::string appName_;
  std::string description_;
  bool canRpt_ = false;
  std::string entityLabel_;
};
using CTemplateCategoryPtr = std::shared_ptr<CTemplateCategory>;

class CTemplateCategories : public ObjectCollection<CTemplateCategory> {};
using CTemplateCategoriesPtr = std::shared_ptr<CTemplateCategories>;

}  // namespace ridirodev
