#pragma once

#include <memory>
#include <string_view>

#include "ridirodev/core/object.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

// Offers the document type tree to the host's folders: the tree on every entity, not versions
// only.
class CAppDocTypeSlrTree : public Object, public IAppDocTypeSelector {
 public:
  bool SelectFolderDocumentType(IFolderDocumentTypePtr& dbfdt, IFolderDocumentTypesPtr dbfdts,
                                std::string_view sTitle, std::string_view sLabel) override;
};
using CAppDocTypeSlrTreePtr = std::shared_ptr<CAppDocTypeSlrTree>;

}  // namespace ridirodev
