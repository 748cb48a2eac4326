#include "ridirodev/model/template_categories.h"

#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

std::string CTemplateCategory::Name() const {
  return MRidirodev::Current().Support().ExtendedEntityViews() ? entityLabel_ : entityName_;
}

void CTemplateCategory::Initialize(int32_t entityId, std::string typeName, std::string entityName,
                                   std::string appName, std::string description, bool canRpt,
                                   std::string entityLabel) {
  entityId_ = entityId;
  typeName_ = std::move(typeName);
  entityName_ = std::move(entityName);
  appName_ = std::move(appName);
  description_ = std::move(description);
  canRpt_ = canRpt;
  entityLabel_ = std::move(entityLabel);
}

}  // namespace ridirodev
