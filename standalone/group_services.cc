#include "standalone/group_services.h"

#include "ridirodev/core/text.h"
#include "standalone/named.h"

namespace ridirodev::standalone {

const std::vector<IFolderDocumentTypePtr>& FolderDocumentTypes::Types() const {
  if (loader_) {
    // Taken out first: a loader that fails is asked again next time.
    Loader loader = std::move(loader_);
    loader_ = nullptr;
    try {
      std::vector<IFolderDocumentTypePtr> loaded = loader();
      types_.insert(types_.begin(), loaded.begin(), loaded.end());
    } catch (...) {
      loader_ = std::move(loader);
      throw;
    }
  }
  return types_;
}

void FolderDocumentTypes::Add(IFolderDocumentTypePtr type) {
  Types();
  types_.push_back(std::move(type));
}

int32_t FolderDocumentTypes::Count() const { return static_cast<int32_t>(Types().size()); }

IFolderDocumentTypePtr FolderDocumentTypes::Item(int32_t position) const {
  const auto& types = Types();
  if (position < 1 || static_cast<size_t>(position) > types.size()) return nullptr;
  return types[static_cast<size_t>(position) - 1];
}

IFolderDocumentTypePtr FolderDocumentTypes::Find(std::string_view name) const {
  return FindByName(Types(), name);
}

std::vector<IFolderDocumentTypePtr> EntityDocumentTypes(engine::EngineDatabase& db, bool byLabel,
                                                        const std::string& handlerName) {
  const auto stmt = db.Prepare("SELECT Entity_Name, Entity_Label FROM TQN_ENTITY ORDER BY Entity_Id");
  std::vector<IFolderDocumentTypePtr> types;
  while (stmt->Step()) {
    const bool labelled = byLabel && !stmt->IsNull(1) && !stmt->Text(1).empty();
    types.push_back(std::make_shared<FolderDocumentType>(stmt->Text(labelled ? 1 : 0), handlerName));
  }
  return types;
}

StandaloneGroupServices::StandaloneGroupServices(std::shared_ptr<SettingsStore> store,
                                                 const StandaloneConfig& config,
                                                 IFolderDocumentTypesPtr reportTypes,
                                                 std::shared_ptr<IDialogFront> front, std::ostream& out)
    : store_(std::move(store)), out_(out), front_(std::move(front)) {
  for (const auto& name : config.folders) {
    folders_.push_back(std::make_shared<standalone::Folder>(name, std::make_shared<FolderDocumentTypes>()));
  }
  if (!reportTypes) reportTypes = std::make_shared<FolderDocumentTypes>();
  folders_.push_back(std::make_shared<standalone::Folder>("Traffic Reports", std::move(reportTypes)));
}

IAppSettingsNodePtr StandaloneGroupServices::CreateSettingsNode(std::string_view name) {
  return SettingsNode::Create(std::string(name));
}

IAppSettingsNodePtr StandaloneGroupServices::CreatePropertyList(std::string_view name,
                                                                std::string_view defaultValue) {
  return SettingsNode::CreateList(std::string(name), Variant(std::string(defaultValue)));
}

IAppPropertySetPtr StandaloneGroupServices::NamedPropertySet(std::string_view name) {
  for (const auto& [n, set] : propertySets_) {
    if (EqualsNoCase(n, name)) return set;
  }
  return nullptr;
}

void StandaloneGroupServices::SetNamedPropertySet(std::string_view name, IAppPropertySetPtr set) {
  for (auto& [n, s] : propertySets_) {
    if (EqualsNoCase(n, name)) {
      s = std::move(set);
      return;
    }
  }
  propertySets_.emplace_back(std::string(name), std::move(set));
}

std::vector<std::string> StandaloneGroupServices::FolderNames() const {
  std::vector<std::string> names;
  for (const auto& f : folders_) names.push_back(f->Name());
  return names;
}

IFolderPtr StandaloneGroupServices::Folder(std::string_view name) const { return FindByName(folders_, name); }

void StandaloneGroupServices::ShowModal(IModalForm& form) {
  if (front_) {
    form.ShowWith(*front_);
    return;
  }
  out_ << "[" << form.Caption() << "] has no dialog on the command line; nothing was chosen.\n";
  out_.flush();
}

}  // namespace ridirodev::standalone
