#include "standalone/group_services.h"

#include <iostream>

#include "ridirodev/core/text.h"
#include "standalone/named.h"

namespace ridirodev::standalone {

IFolderDocumentTypePtr FolderDocumentTypes::Item(int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return types_[static_cast<size_t>(position) - 1];
}

IFolderDocumentTypePtr FolderDocumentTypes::Find(std::string_view name) const {
  return FindByName(types_, name);
}

StandaloneGroupServices::StandaloneGroupServices(std::shared_ptr<SettingsStore> store,
                                                 const StandaloneConfig& config)
    : StandaloneGroupServices(std::move(store), config, std::cerr) {}

StandaloneGroupServices::StandaloneGroupServices(std::shared_ptr<SettingsStore> store,
                                                 const StandaloneConfig& config, std::ostream& out)
    : store_(std::move(store)), out_(out) {
  for (const auto& name : config.folders) {
    folders_.push_back(std::make_shared<standalone::Folder>(name, std::make_shared<FolderDocumentTypes>()));
  }
  auto reportTypes = std::make_shared<FolderDocumentTypes>();
  reportTypes->Add(std::make_shared<FolderDocumentType>("Report", "ReportHandler"));
  reportTypes->Add(std::make_shared<FolderDocumentType>("Template", "TemplateHandler"));
  folders_.push_back(std::make_shared<standalone::Folder>("Traffic Reports", reportTypes));
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
  out_ << "[" << form.Caption() << "] has no dialog on the command line; nothing was chosen.\n";
  out_.flush();
}

}  // namespace ridirodev::standalone
