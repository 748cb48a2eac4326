#pragma once

// The application-group services of the standalone host: the settings tree, property lists,
// named property sets and the document folders.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/items.h"
#include "ridirodev/host/services.h"
#include "standalone/config.h"
#include "standalone/settings_store.h"

namespace ridirodev::standalone {

class FolderDocumentType : public IFolderDocumentType {
 public:
  FolderDocumentType(std::string name, std::string handlerName)
      : name_(std::move(name)), handlerName_(std::move(handlerName)) {}
  std::string Name() const override { return name_; }
  std::string HandlerName() const override { return handlerName_; }

 private:
  std::string name_;
  std::string handlerName_;
};

class FolderDocumentTypes : public IFolderDocumentTypes {
 public:
  void Add(IFolderDocumentTypePtr type) { types_.push_back(std::move(type)); }
  int32_t Count() const override { return static_cast<int32_t>(types_.size()); }
  IFolderDocumentTypePtr Item(int32_t position) const override;       // nullptr outside
  IFolderDocumentTypePtr Find(std::string_view name) const override;  // without regard to case

 private:
  std::vector<IFolderDocumentTypePtr> types_;
};

class Folder : public IFolder {
 public:
  Folder(std::string name, IFolderDocumentTypesPtr types)
      : name_(std::move(name)), types_(std::move(types)) {}
  std::string Name() const override { return name_; }
  IFolderDocumentTypesPtr DocumentTypes() const override { return types_; }

 private:
  std::string name_;
  IFolderDocumentTypesPtr types_;
};

class StandaloneGroupServices : public IAppGroupServices {
 public:
  // Forms are announced on out (standard error unless given); it must outlive this object.
  StandaloneGroupServices(std::shared_ptr<SettingsStore> store, const StandaloneConfig& config);
  StandaloneGroupServices(std::shared_ptr<SettingsStore> store, const StandaloneConfig& config,
                          std::ostream& out);

  SettingsStore& Store() const { return *store_; }

  IAppSettingsNodePtr Settings() override { return store_->Settings(); }
  // A new node outside the tree: it is saved only once added to a node of the tree.
  IAppSettingsNodePtr CreateSettingsNode(std::string_view name) override;
  IAppSettingsNodePtr CreatePropertyList(std::string_view name, std::string_view defaultValue) override;
  // None unless registered.
  IAppPropertySetPtr NamedPropertySet(std::string_view name) override;
  void SetNamedPropertySet(std::string_view name, IAppPropertySetPtr set);
  // The configured data-source folders, then the report folder "Traffic Reports" with the
  // document types "Report" (ReportHandler) and "Template" (TemplateHandler).
  std::vector<std::string> FolderNames() const override;
  IFolderPtr Folder(std::string_view name) const override;  // without regard to case
  // There is no dialog on the command line: the form's caption is announced and the form is
  // left as it was, so it reports no choice.
  void ShowModal(IModalForm& form) override;

 private:
  std::shared_ptr<SettingsStore> store_;
  std::ostream& out_;
  std::vector<IFolderPtr> folders_;
  std::vector<std::pair<std::string, IAppPropertySetPtr>> propertySets_;
};

}  // namespace ridirodev::standalone
