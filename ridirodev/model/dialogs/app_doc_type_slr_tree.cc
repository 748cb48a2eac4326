#include "ridirodev/model/dialogs/app_doc_type_slr_tree.h"

#include "ridirodev/model/dialogs/f_select_document_type_tree.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

bool CAppDocTypeSlrTree::SelectFolderDocumentType(IFolderDocumentTypePtr& dbfdt,
                                                  IFolderDocumentTypesPtr dbfdts, std::string_view sTitle,
                                                  std::string_view sLabel) {
  return SelectFolderDocumentTypeTree(MRidirodev::Current(), dbfdt, dbfdts, sTitle, sLabel, false);
}

}  // namespace ridirodev
