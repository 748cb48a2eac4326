#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/object.h"
#include "ridirodev/host/dialogs.h"
#include "ridirodev/host/documents.h"

namespace ridirodev {

class MRidirodev;
class IDBRecordset;

// The document type tree: the entity hierarchy of the Traffic application, one node of which
// the user confirms. A node's tag is its entity's name (its label with the extended views), under
// which its document type is looked up in the collection the form was given.
class FSelectDocumentTypeTree : public Object, public IDocumentTypeTreeForm {
 public:
  // state must outlive the form.
  explicit FSelectDocumentTypeTree(MRidirodev& state) : state_(state) {}

  void Initialize(IFolderDocumentTypePtr dbfdt, IFolderDocumentTypesPtr dbfdts, std::string_view sTitle,
                  std::string_view sLabel);
  bool VersionsOnly() const noexcept { return versionsOnly_; }
  void SetVersionsOnly(bool versionsOnly) noexcept { versionsOnly_ = versionsOnly; }
  bool Ok() const noexcept { return ok_; }
  const IFolderDocumentTypePtr& DocumentType() const noexcept { return documentType_; }
  int32_t SystemId() const noexcept { return systemId_; }
  // "Report", "Template" or "", from the handler of the document type the form was given.
  const std::string& DocumentKind() const noexcept { return documentKind_; }

  std::string Caption() const override { return title_.empty() ? "Select Document Type" : title_; }
  void ShowWith(IDialogFront& front) override { front.Show(*this); }
  std::string LabelText() const override { return label_; }
  std::string ControlText(DocumentTypeTreeControl control) const override;
  std::vector<std::string> ImageKeys() const override;
  void Load() override;
  bool Activate() override { return !IsEmpty(); }
  const std::vector<DocumentTypeNode>& Nodes() const override { return nodes_; }
  std::string SelectedKey() const override { return selected_; }
  void Select(std::string_view key) override;
  bool PressOk() override;
  void PressCancel() override {}
  void PressHelp() override;
  double Width() const override { return width_; }
  double Height() const override { return height_; }
  void Unload(double width, double height) override;

 private:
  struct Build;
  void BuildTree();
  // No node of the hierarchy: the basic tree's root alone counts as empty.
  bool IsEmpty() const noexcept { return entityNodes_ == 0; }

  MRidirodev& state_;
  IFolderDocumentTypePtr documentType_;
  IFolderDocumentTypesPtr documentTypes_;
  std::string title_;
  std::string label_;
  std::string documentKind_;
  bool versionsOnly_ = false;
  bool ok_ = false;
  int32_t systemId_ = 0;
  double width_ = 0;
  double height_ = 0;
  std::vector<DocumentTypeNode> nodes_;
  size_t entityNodes_ = 0;
  std::string selected_;
};
using FSelectDocumentTypeTreePtr = std::shared_ptr<FSelectDocumentTypeTree>;

// Shows the tree on dbfdts through the host's modal display. On a confirmed choice dbfdt becomes
// the chosen document type and the result is true; otherwise dbfdt stays as it was.
bool SelectFolderDocumentTypeTree(MRidirodev& state, IFolderDocumentTypePtr& dbfdt,
                                  const IFolderDocumentTypesPtr& dbfdts, std::string_view sTitle,
                                  std::string_view sLabel, bool fVersionOnly);
// The system id chosen among the document types of the report folder "Traffic Reports", in the
// versions-only tree; 0 when nothing was chosen.
int32_t SelectSystemId(MRidirodev& state);

}  // namespace ridirodev
