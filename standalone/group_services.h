#pragma once

// The application-group services of the standalone host: the settings tree, property lists,
// named property sets and the document folders.

#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/host/dialogs.h"
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

// Fills itself on first use when given a loader: a folder's types may come from the dictionary,
// which is then opened only when someone looks.
class FolderDocumentTypes : public IFolderDocumentTypes {
 public:
  using Loader = std::function<std::vector<IFolderDocumentTypePtr>()>;
  FolderDocumentTypes() = default;
  explicit FolderDocumentTypes(Loader loader) : loader_(std::move(loader)) {}
  void Add(IFolderDocumentTypePtr type);
  int32_t Count() const override;
  IFolderDocumentTypePtr Item(int32_t position) const override;       // nullptr outside
  IFolderDocumentTypePtr Find(std::string_view name) const override;  // without regard to case

 private:
  const std::vector<IFolderDocumentTypePtr>& Types() const;

  mutable Loader loader_;
  mutable std::vector<IFolderDocumentTypePtr> types_;
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

// One document type per entity of the dictionary, with the given handler, named as the document
// type tree tags its nodes: by the entity's name, or by its label (its name when it has none)
// with the extended entity views.
std::vector<IFolderDocumentTypePtr> EntityDocumentTypes(engine::EngineDatabase& db, bool byLabel,
                                                        const std::string& handlerName);

class StandaloneGroupServices : public IAppGroupServices {
 public:
  // reportTypes: the document types of the report folder. front draws the forms; without one
  // a form is announced on out (standard error unless given), which must outlive this object.
  StandaloneGroupServices(std::shared_ptr<SettingsStore> store, const StandaloneConfig& config,
                          IFolderDocumentTypesPtr reportTypes = nullptr,
                          std::shared_ptr<IDialogFront> front = nullptr, std::ostream& out = std::cerr);

  SettingsStore& Store() const { return *store_; }

  IAppSettingsNodePtr Settings() override { return store_->Settings(); }
  // A new node outside the tree: it is saved only once added to a node of the tree.
  IAppSettingsNodePtr CreateSettingsNode(std::string_view name) override;
  IAppSettingsNodePtr CreatePropertyList(std::string_view name, std::string_view defaultValue) override;
  // None unless registered.
  IAppPropertySetPtr NamedPropertySet(std::string_view name) override;
  void SetNamedPropertySet(std::string_view name, IAppPropertySetPtr set);
  // The configured data-source folders, then the report folder "Traffic Reports" with the
  // document types it was given (none by default).
  std::vector<std::string> FolderNames() const override;
  IFolderPtr Folder(std::string_view name) const override;  // without regard to case
  // Through the dialog front. Without one there is no dialog: the form's caption is announced and
  // the form is left as it was, so it reports no choice.
  void ShowModal(IModalForm& form) override;

 private:
  std::shared_ptr<SettingsStore> store_;
  std::ostream& out_;
  std::shared_ptr<IDialogFront> front_;
  std::vector<IFolderPtr> folders_;
  std::vector<std::pair<std::string, IAppPropertySetPtr>> propertySets_;
};

}  // namespace ridirodev::standalone
