#include "standalone/settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <pugixml.hpp>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/xml_values.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kRootElement = "ridirodev-settings";
constexpr const char* kVersion = "1";
// Deeper nesting than any real settings tree: refusing it keeps a damaged file from
// exhausting the stack of the recursive reader.
constexpr int kMaxDepth = 200;

[[noreturn]] void Corrupt(std::string_view source, const std::string& why) {
  throw AutomationError(ErrorNumber::kInvalidArgument, "SettingsStore",
                        "The settings file " + std::string(source) + " is not valid: " + why +
                            ". Repair or remove it; the host keeps its settings there.");
}

[[noreturn]] void FileError(const std::filesystem::path& file, std::string_view action, int err) {
  throw AutomationError(
      kFileAccessError, "SettingsStore",
      "Cannot " + std::string(action) + " the settings file " + file.string() + ": " + std::strerror(err));
}

// ---- XML writing ------------------------------------------------------------------------

void WriteNode(pugi::xml_node element, const SettingsNode& node) {
  for (const auto& [name, value] : node.NamedValues()) {
    pugi::xml_node v = element.append_child("value");
    v.append_attribute("name") = name.c_str();
    WriteXmlValue(v, "type", "data", value);
  }
  for (const auto& child : node.ChildNodes()) {
    pugi::xml_node c = element.append_child(child->IsPropertyList() ? "list" : "node");
    c.append_attribute("name") = child->Name().c_str();
    if (child->IsPropertyList()) WriteXmlValue(c, "default-type", "default", child->ListDefault());
    WriteNode(c, *child);
  }
  for (const auto& entry : node.ValueEntries()) {
    WriteXmlValue(element.append_child("entry"), "type", "data", entry);
  }
}

void WriteKey(pugi::xml_node element, const RegistryKey& key) {
  for (const auto& [name, value] : key.Values()) {
    pugi::xml_node v = element.append_child("value");
    v.append_attribute("name") = name.c_str();
    v.append_attribute("data") = value.c_str();
  }
  for (const auto& sub : key.Keys()) {
    pugi::xml_node k = element.append_child("key");
    k.append_attribute("name") = sub->Name().c_str();
    WriteKey(k, *sub);
  }
}

// ---- XML reading ------------------------------------------------------------------------

// Where an element sits, for messages: settings/node "A"/value "B".
std::string Where(pugi::xml_node element) {
  std::string path;
  for (pugi::xml_node n = element;
       n && n.type() == pugi::node_element && std::strcmp(n.name(), kRootElement) != 0; n = n.parent()) {
    std::string step = n.name();
    if (auto name = n.attribute("name")) step += " \"" + std::string(name.value()) + "\"";
    path = path.empty() ? step : step + "/" + path;
  }
  return path;
}

pugi::xml_attribute Required(pugi::xml_node element, const char* attr, std::string_view source) {
  pugi::xml_attribute a = element.attribute(attr);
  if (!a) Corrupt(source, Where(element) + " has no " + attr + " attribute");
  return a;
}

Variant ReadTypedValue(pugi::xml_node element, const char* typeAttr, const char* dataAttr,
                       std::string_view source) {
  Variant v;
  const std::string why =
      ParseXmlValue(Required(element, typeAttr, source).value(), element.attribute(dataAttr).value(), v);
  if (!why.empty()) {
    Corrupt(source, Where(element) + " holds '" + element.attribute(dataAttr).value() + "' of type " +
                        element.attribute(typeAttr).value() + ": " + why);
  }
  return v;
}

void ReadNode(pugi::xml_node element, SettingsNode& node, std::string_view source, int depth = 0) {
  if (depth > kMaxDepth)
    Corrupt(source, "settings nested deeper than " + std::to_string(kMaxDepth) + " levels");
  for (pugi::xml_node child : element.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view kind = child.name();
    if (kind == "value") {
      node.SetValue(Required(child, "name", source).value(), ReadTypedValue(child, "type", "data", source));
    } else if (kind == "node" || kind == "list") {
      const std::string name = Required(child, "name", source).value();
      SettingsNodePtr sub =
          kind == "list"
              ? SettingsNode::CreateList(name, ReadTypedValue(child, "default-type", "default", source))
              : SettingsNode::Create(name);
      ReadNode(child, *sub, source, depth + 1);
      node.AddChild(sub);
    } else if (kind == "entry") {
      node.AddValueEntry(ReadTypedValue(child, "type", "data", source));
    } else {
      Corrupt(source, "unexpected element " + Where(child));
    }
  }
}

void ReadKey(pugi::xml_node element, RegistryKey& key, std::string_view source, int depth = 0) {
  if (depth > kMaxDepth)
    Corrupt(source, "registry keys nested deeper than " + std::to_string(kMaxDepth) + " levels");
  for (pugi::xml_node child : element.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view kind = child.name();
    const std::string name = Required(child, "name", source).value();
    if (kind == "value") {
      key.WriteValue(name, child.attribute("data").value());
    } else if (kind == "key") {
      auto sub = std::static_pointer_cast<RegistryKey>(key.CreateKey(name));
      ReadKey(child, *sub, source, depth + 1);
    } else {
      Corrupt(source, "unexpected element " + Where(child));
    }
  }
}

// ---- files ------------------------------------------------------------------------------

void WriteAll(int fd, std::string_view data, const std::filesystem::path& file) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      FileError(file, "write", errno);
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
}

// Writes text to file so that file holds either its old or its new content at any moment.
void ReplaceFile(const std::filesystem::path& file, std::string_view text) {
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) FileError(file, "create the folder of", ec.value());

  std::string temp = file.string() + ".tmp.XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) FileError(file, "create a temporary file beside", errno);
  try {
    WriteAll(fd, text, file);
    // The data must be on disk before the rename makes it the file.
    if (::fsync(fd) != 0) FileError(file, "flush", errno);
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    FileError(file, "close", err);
  }
  if (::rename(temp.c_str(), file.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    FileError(file, "replace", err);
  }
  // Make the rename itself durable; failing here leaves a complete file, so it is not reported.
  if (const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY); dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

template <class T>
std::shared_ptr<T> FindByName(const std::vector<std::shared_ptr<T>>& items, std::string_view name) {
  for (const auto& item : items) {
    if (EqualsNoCase(item->Name(), name)) return item;
  }
  return nullptr;
}

}  // namespace

// ---- SettingsNode -----------------------------------------------------------------------

SettingsNodePtr SettingsNode::Create(std::string name) {
  return SettingsNodePtr(new SettingsNode(std::move(name), false, Variant()));
}

SettingsNodePtr SettingsNode::CreateList(std::string name, Variant listDefault) {
  return SettingsNodePtr(new SettingsNode(std::move(name), true, std::move(listDefault)));
}

Variant SettingsNode::Value(std::string_view name, const Variant& defaultValue) const {
  for (const auto& v : values_) {
    if (EqualsNoCase(v.name, name)) return v.value;
  }
  return isList_ && defaultValue.IsEmpty() ? listDefault_ : defaultValue;
}

void SettingsNode::SetValue(std::string_view name, const Variant& value) {
  if (value.IsObject()) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "SettingsNode",
                          "Type mismatch: setting '" + std::string(name) + "' cannot hold an object");
  }
  for (auto& v : values_) {
    if (EqualsNoCase(v.name, name)) {
      v.value = value;
      return;
    }
  }
  values_.push_back(NamedValue{std::string(name), value});
}

bool SettingsNode::RemoveValue(std::string_view name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (EqualsNoCase(it->name, name)) {
      values_.erase(it);
      return true;
    }
  }
  return false;
}

IAppSettingsNodePtr SettingsNode::Child(std::string_view name) {
  if (auto found = FindByName(children_, name)) return found;
  auto child = Create(std::string(name));
  child->parent_ = weak_from_this();
  children_.push_back(child);
  return child;
}

void SettingsNode::AddChild(IAppSettingsNodePtr child) {
  auto node = std::dynamic_pointer_cast<SettingsNode>(child);
  if (!node) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "SettingsNode",
                          "Type mismatch: only nodes made by the settings services can be added");
  }
  if (!node->parent_.expired()) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "SettingsNode",
                          "The node '" + node->name_ + "' already belongs to another node");
  }
  for (const SettingsNode* n = this; n; n = n->parent_.lock().get()) {
    if (n == node.get()) {
      throw AutomationError(ErrorNumber::kInvalidArgument, "SettingsNode",
                            "The node '" + node->name_ + "' cannot be added below itself");
    }
  }
  node->parent_ = weak_from_this();
  children_.push_back(std::move(node));
}

std::vector<IAppSettingsNodePtr> SettingsNode::Children() const {
  return std::vector<IAppSettingsNodePtr>(children_.begin(), children_.end());
}

void SettingsNode::AddValueEntry(const Variant& value) {
  if (value.IsObject()) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "SettingsNode",
                          "Type mismatch: a value entry cannot hold an object");
  }
  entries_.push_back(value);
}

// ---- RegistryKey ------------------------------------------------------------------------

std::shared_ptr<RegistryKey> RegistryKey::FindKey(std::string_view name) const {
  return FindByName(keys_, name);
}

IRegistryKeyPtr RegistryKey::OpenKey(std::string_view name) const { return FindKey(name); }

IRegistryKeyPtr RegistryKey::CreateKey(std::string_view name) {
  if (auto found = FindKey(name)) return found;
  auto key = std::make_shared<RegistryKey>(std::string(name));
  keys_.push_back(key);
  return key;
}

bool RegistryKey::HasValue(std::string_view name) const {
  for (const auto& v : values_) {
    if (EqualsNoCase(v.first, name)) return true;
  }
  return false;
}

std::string RegistryKey::ReadValue(std::string_view name, std::string_view defaultValue) const {
  for (const auto& v : values_) {
    if (EqualsNoCase(v.first, name)) return v.second;
  }
  return std::string(defaultValue);
}

void RegistryKey::WriteValue(std::string_view name, std::string_view value) {
  for (auto& v : values_) {
    if (EqualsNoCase(v.first, name)) {
      v.second = value;
      return;
    }
  }
  values_.emplace_back(std::string(name), std::string(value));
}

void RegistryKey::DeleteValue(std::string_view name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (EqualsNoCase(it->first, name)) {
      values_.erase(it);
      return;
    }
  }
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  for (const auto& v : values_) names.push_back(v.first);
  return names;
}

bool RegistryKey::DeleteKey(std::string_view name) {
  for (auto it = keys_.begin(); it != keys_.end(); ++it) {
    if (EqualsNoCase((*it)->Name(), name)) {
      keys_.erase(it);
      return true;
    }
  }
  return false;
}

void RegistryKey::AttachKey(RegistryKeyPtr key) {
  DeleteKey(key->Name());
  keys_.push_back(std::move(key));
}

std::vector<std::string> RegistryKey::KeyNames() const {
  std::vector<std::string> names;
  for (const auto& k : keys_) names.push_back(k->Name());
  return names;
}

// ---- SettingsStore ----------------------------------------------------------------------

namespace {

// The seconds the client waits for the server to translate a calculation, until the user sets
// another time.
constexpr int32_t kDefaultUdcTimeoutSeconds = 30;

// Values every store answers; a default alone is no change to save.
void ApplyDefaults(SettingsNode& settings) {
  const auto& values = settings.NamedValues();
  if (std::none_of(values.begin(), values.end(),
                   [](const auto& v) { return EqualsNoCase(v.name, "UDC Timeout"); })) {
    settings.SetValue("UDC Timeout", Variant(kDefaultUdcTimeoutSeconds));
  }
}

}  // namespace

SettingsStore::SettingsStore()
    : settings_(SettingsNode::Create("Settings")), registry_(std::make_shared<RegistryKey>("")) {
  ApplyDefaults(*settings_);
  lastWritten_ = ToXml();
}

SettingsStore::SettingsStore(std::filesystem::path file) : SettingsStore() {
  file_ = std::move(file);
  std::error_code ec;
  if (!std::filesystem::exists(file_, ec)) {
    if (ec) FileError(file_, "look for", ec.value());
    return;
  }
  if (std::filesystem::is_directory(file_, ec)) FileError(file_, "read", EISDIR);
  std::ifstream in(file_, std::ios::binary);
  if (!in) FileError(file_, "read", errno);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) FileError(file_, "read", errno);
  LoadXml(text.str(), file_.string());
  ApplyDefaults(*settings_);
  // Compared in the form this store writes, so that a hand-formatted file is not rewritten
  // until something changes.
  lastWritten_ = ToXml();
}

void SettingsStore::LoadXml(std::string_view xml, std::string_view source) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    Corrupt(source, std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));
  }
  const pugi::xml_node root = doc.child(kRootElement);
  if (!root) Corrupt(source, std::string("the root element is not <") + kRootElement + ">");
  const std::string version = root.attribute("version").value();
  if (version != kVersion) Corrupt(source, "version '" + version + "' is not " + kVersion);

  // Read into fresh objects so that a fault halfway leaves the store as it was.
  auto settings = SettingsNode::Create(root.child("settings").attribute("name").as_string("Settings"));
  auto registry = std::make_shared<RegistryKey>("");
  ReadNode(root.child("settings"), *settings, source);
  ReadKey(root.child("registry"), *registry, source);
  settings_ = std::move(settings);
  registry_ = std::move(registry);
}

std::string SettingsStore::ToXml() const {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child(kRootElement);
  root.append_attribute("version") = kVersion;
  pugi::xml_node settings = root.append_child("settings");
  settings.append_attribute("name") = settings_->Name().c_str();
  WriteNode(settings, *settings_);
  WriteKey(root.append_child("registry"), *registry_);
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

void SettingsStore::Save() {
  std::string xml = ToXml();
  if (!file_.empty()) ReplaceFile(file_, xml);
  lastWritten_ = std::move(xml);
}

bool SettingsStore::SaveIfChanged() {
  if (ToXml() == lastWritten_) return false;
  Save();
  return true;
}

void SettingsStore::LoadHandler(IAppRegistryHandler& handler) {
  IRegistryKeyPtr key = registry_->OpenKey(handler.Name());
  if (!key) key = std::make_shared<RegistryKey>(handler.Name());
  handler.LoadRegistryData(*key);
}

void SettingsStore::SaveHandler(IAppRegistryHandler& handler) {
  // Saved into a detached key first: a handler that fails halfway leaves the old data.
  auto fresh = std::make_shared<RegistryKey>(handler.Name());
  handler.SaveRegistryData(*fresh);
  registry_->AttachKey(std::move(fresh));
}

// ---- folders and group services ---------------------------------------------------------

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
