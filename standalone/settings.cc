#include "standalone/settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
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
//
// A save brings the elements the store owns up to date in place, so that what it does not own
// (comments, elements elsewhere in the file) stays where it is. Elements are matched to the
// store's content by name, children of a node in order; what has no match is removed, what is
// new goes after the last element of its kind (values, then nodes and keys, then entries).

std::vector<pugi::xml_node> Elements(pugi::xml_node parent) {
  std::vector<pugi::xml_node> elements;
  for (pugi::xml_node child : parent.children()) {
    if (child.type() == pugi::node_element) elements.push_back(child);
  }
  return elements;
}

int Rank(pugi::xml_node element) {
  const std::string_view kind = element.name();
  return kind == "value" ? 0 : kind == "entry" ? 2 : 1;
}

pugi::xml_node AddElement(pugi::xml_node parent, const char* kind, int rank) {
  // From the end: in a new element everything is added in order, so the first look finds it.
  for (pugi::xml_node child = parent.last_child(); child; child = child.previous_sibling()) {
    if (child.type() == pugi::node_element && Rank(child) <= rank)
      return parent.insert_child_after(kind, child);
  }
  return parent.prepend_child(kind);
}

// The position of the first unmatched item named name, or items.size(); the one after the last
// match is tried first, as a file holds them in the store's order.
template <class Items, class NameOf>
size_t Match(const Items& items, const std::vector<bool>& matched, size_t& next, std::string_view name,
             NameOf nameOf) {
  size_t found = items.size();
  if (next < items.size() && !matched[next] && EqualsNoCase(nameOf(items[next]), name)) {
    found = next;
  } else {
    for (size_t i = 0; i < items.size(); ++i) {
      if (!matched[i] && EqualsNoCase(nameOf(items[i]), name)) {
        found = i;
        break;
      }
    }
  }
  if (found < items.size()) next = found + 1;
  return found;
}

void SetAttribute(pugi::xml_node element, const char* name, const char* value) {
  pugi::xml_attribute attribute = element.attribute(name);
  (attribute ? attribute : element.append_attribute(name)).set_value(value);
}

void SetTypedValue(pugi::xml_node element, const char* typeAttr, const char* dataAttr, const Variant& value) {
  pugi::xml_document scratch;
  pugi::xml_node fresh = scratch.append_child("v");
  WriteXmlValue(fresh, typeAttr, dataAttr, value);
  SetAttribute(element, typeAttr, fresh.attribute(typeAttr).value());
  if (pugi::xml_attribute data = fresh.attribute(dataAttr)) {
    SetAttribute(element, dataAttr, data.value());
  } else {
    element.remove_attribute(dataAttr);
  }
}

void SyncNode(pugi::xml_node element, const SettingsNode& node);

void SyncChild(pugi::xml_node element, const SettingsNode& child) {
  SetAttribute(element, "name", child.Name().c_str());
  if (child.IsPropertyList()) SetTypedValue(element, "default-type", "default", child.ListDefault());
  SyncNode(element, child);
}

void SyncNode(pugi::xml_node element, const SettingsNode& node) {
  const auto& values = node.NamedValues();
  const auto& children = node.ChildNodes();
  const auto& entries = node.ValueEntries();
  std::vector<bool> matched(values.size());
  size_t next = 0;
  size_t child = 0;
  size_t entry = 0;
  for (pugi::xml_node e : Elements(element)) {
    const std::string_view kind = e.name();
    const char* name = e.attribute("name").value();
    const size_t v = kind == "value" ? Match(values, matched, next, name,
                                             [](const auto& nv) -> const std::string& { return nv.name; })
                                     : values.size();
    if (v < values.size()) {
      matched[v] = true;
      SetAttribute(e, "name", values[v].name.c_str());
      SetTypedValue(e, "type", "data", values[v].value);
    } else if ((kind == "node" || kind == "list") && child < children.size() &&
               (kind == "list") == children[child]->IsPropertyList() &&
               EqualsNoCase(children[child]->Name(), name)) {
      SyncChild(e, *children[child++]);
    } else if (kind == "entry" && entry < entries.size()) {
      SetTypedValue(e, "type", "data", entries[entry++]);
    } else {
      element.remove_child(e);
    }
  }
  for (size_t v = 0; v < values.size(); ++v) {
    if (matched[v]) continue;
    pugi::xml_node e = AddElement(element, "value", 0);
    SetAttribute(e, "name", values[v].name.c_str());
    SetTypedValue(e, "type", "data", values[v].value);
  }
  for (; child < children.size(); ++child) {
    SyncChild(AddElement(element, children[child]->IsPropertyList() ? "list" : "node", 1), *children[child]);
  }
  for (; entry < entries.size(); ++entry)
    SetTypedValue(AddElement(element, "entry", 2), "type", "data", entries[entry]);
}

void SyncKey(pugi::xml_node element, const RegistryKey& key) {
  const auto& values = key.Values();
  const auto& keys = key.Keys();
  std::vector<bool> valueMatched(values.size());
  std::vector<bool> keyMatched(keys.size());
  size_t nextValue = 0;
  size_t nextKey = 0;
  for (pugi::xml_node e : Elements(element)) {
    const std::string_view kind = e.name();
    const char* name = e.attribute("name").value();
    const size_t v = kind == "value" ? Match(values, valueMatched, nextValue, name,
                                             [](const auto& nv) -> const std::string& { return nv.first; })
                                     : values.size();
    const size_t k = kind == "key" ? Match(keys, keyMatched, nextKey, name,
                                           [](const auto& key) -> const std::string& { return key->Name(); })
                                   : keys.size();
    if (v < values.size()) {
      valueMatched[v] = true;
      SetAttribute(e, "name", values[v].first.c_str());
      SetAttribute(e, "data", values[v].second.c_str());
    } else if (k < keys.size()) {
      keyMatched[k] = true;
      SetAttribute(e, "name", keys[k]->Name().c_str());
      SyncKey(e, *keys[k]);
    } else {
      element.remove_child(e);
    }
  }
  for (size_t v = 0; v < values.size(); ++v) {
    if (valueMatched[v]) continue;
    pugi::xml_node e = AddElement(element, "value", 0);
    SetAttribute(e, "name", values[v].first.c_str());
    SetAttribute(e, "data", values[v].second.c_str());
  }
  for (size_t k = 0; k < keys.size(); ++k) {
    if (keyMatched[k]) continue;
    pugi::xml_node e = AddElement(element, "key", 1);
    SetAttribute(e, "name", keys[k]->Name().c_str());
    SyncKey(e, *keys[k]);
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

// The file a path names, symbolic links followed: a save replaces that file, not the link.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) {
      std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
      return ec ? path : real;
    }
    std::filesystem::path to = std::filesystem::read_symlink(path, ec);
    if (ec) FileError(path, "follow the link", ec.value());
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  FileError(path, "follow the links to", ELOOP);
}

// The content of a regular file; nothing when there is none.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) FileError(file, "read", errno);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) FileError(file, "read", errno);
  return text.str();
}

// Writes text to file so that file holds either its old or its new content at any moment. The
// file keeps its mode and owner; a new one is private to the user.
void ReplaceFile(const std::filesystem::path& file, std::string_view text) {
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) FileError(file, "create the folder of", ec.value());

  struct stat old {};
  const bool replacing = ::stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // Writing anyway would undo the user's protection: the rename needs only the folder.
  if (replacing && ((old.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0)) {
    throw AutomationError(kFileAccessError, "SettingsStore",
                          "The settings file " + file.string() +
                              " is read-only; nothing was saved. Make it writable to change settings.");
  }
  std::string temp = file.string() + ".tmp.XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) FileError(file, "create a temporary file beside", errno);
  try {
    if (replacing) {
      if (::fchmod(fd, old.st_mode & 07777) != 0) FileError(file, "keep the mode of", errno);
      // Only root may give a file away; for anyone else the owner is already right.
      if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM)
        FileError(file, "keep the owner of", errno);
    }
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

// Takes "<file>.lock" (kept, never removed: removing it would let two processes lock two
// different files), waiting as wait says while another process holds it.
int Lock(const std::filesystem::path& file, const WriterWait& wait) {
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  const std::string lockFile = file.string() + ".lock";
  const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) FileError(file, "lock", errno);
  std::optional<WriterWaiting> waiting;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EINTR) continue;
    if (err == EWOULDBLOCK && !waiting) waiting.emplace(wait, file.string());
    if (err != EWOULDBLOCK || !waiting->Pause()) {
      ::close(fd);
      if (err != EWOULDBLOCK) FileError(file, "lock", err);
      throw AutomationError(
          kFileAccessError, "SettingsStore",
          "Cannot change the settings file: " + WaitedTooLongText(wait, file.string()) + ".");
    }
  }
  return fd;
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
  for (auto& k : keys_) {
    if (EqualsNoCase(k->Name(), key->Name())) {
      k = std::move(key);
      return;
    }
  }
  keys_.push_back(std::move(key));
}

RegistryKeyPtr RegistryKey::Clone() const {
  auto copy = std::make_shared<RegistryKey>(name_);
  copy->values_ = values_;
  for (const auto& key : keys_) copy->keys_.push_back(key->Clone());
  return copy;
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

struct SettingsStore::Document {
  pugi::xml_document xml;
  std::optional<std::string> text;  // the file's bytes; nothing when there was no file
};

SettingsStore::SettingsStore()
    : settings_(SettingsNode::Create("Settings")), registry_(std::make_shared<RegistryKey>("")) {
  ApplyDefaults(*settings_);
  lastWritten_ = ToXml();
}

SettingsStore::SettingsStore(std::filesystem::path file, WriterWait wait) : SettingsStore() {
  file_ = std::move(file);
  wait_ = std::move(wait);
  Read();
}

SettingsStore::~SettingsStore() { Unlock(); }

void SettingsStore::Read() {
  std::error_code ec;
  const bool present = std::filesystem::exists(file_, ec);
  if (ec) FileError(file_, "look for", ec.value());
  if (present && std::filesystem::is_directory(file_, ec)) FileError(file_, "read", EISDIR);
  std::optional<std::string> text = present ? ReadRegularFile(file_) : std::nullopt;
  if (present && !text) FileError(file_, "read", EINVAL);
  if (text) {
    LoadXml(*text, file_.string());
  } else {
    settings_ = SettingsNode::Create("Settings");
    registry_ = std::make_shared<RegistryKey>("");
    document_ = std::make_unique<Document>();
  }
  document_->text = std::move(text);
  ApplyDefaults(*settings_);
  // Compared in the form this store writes, so that a hand-formatted file is not rewritten
  // until something changes.
  lastWritten_ = ToXml();
}

void SettingsStore::LoadXml(std::string_view xml, std::string_view source) {
  auto document = std::make_unique<Document>();
  // Comments and declarations are kept: they are the user's, and a save writes them back.
  const pugi::xml_parse_result parsed =
      document->xml.load_buffer(xml.data(), xml.size(), pugi::parse_full, pugi::encoding_utf8);
  if (!parsed) {
    Corrupt(source, std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));
  }
  const pugi::xml_node root = document->xml.child(kRootElement);
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
  document_ = std::move(document);
}

std::string SettingsStore::Render(const Document* base, Document* rendered) const {
  pugi::xml_document scratch;
  pugi::xml_document& doc = rendered ? rendered->xml : scratch;
  if (base) {
    doc.reset(base->xml);
  } else {
    doc.reset();
  }
  pugi::xml_node root = doc.child(kRootElement);
  if (!root) {
    root = doc.append_child(kRootElement);
    root.append_attribute("version") = kVersion;
  }
  pugi::xml_node settings = root.child("settings");
  pugi::xml_node registry = root.child("registry");
  if (!settings)
    settings = registry ? root.insert_child_before("settings", registry) : root.append_child("settings");
  SetAttribute(settings, "name", settings_->Name().c_str());
  SyncNode(settings, *settings_);
  if (!registry) registry = root.insert_child_after("registry", settings);
  SyncKey(registry, *registry_);
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

std::string SettingsStore::ToXml() const { return Render(nullptr, nullptr); }

void SettingsStore::LockForChange() {
  if (file_.empty() || Locked()) return;
  lockFd_ = Lock(FollowLinks(file_), wait_);
  try {
    Read();
  } catch (...) {
    Unlock();
    throw;
  }
}

void SettingsStore::Unlock() {
  if (lockFd_ < 0) return;
  ::close(lockFd_);  // releases the lock
  lockFd_ = -1;
}

void SettingsStore::Save() {
  if (file_.empty()) {
    lastWritten_ = ToXml();
    return;
  }
  const std::filesystem::path target = FollowLinks(file_);
  const bool lockedSinceRead = Locked();
  if (!lockedSinceRead) lockFd_ = Lock(target, wait_);
  struct Release {
    SettingsStore& store;
    ~Release() { store.Unlock(); }
  } release{*this};
  if (!lockedSinceRead) {
    // Writing now would undo another process's change, which this store has not seen.
    const std::optional<std::string> now = ReadRegularFile(target);
    if (now && now != document_->text) {
      throw AutomationError(kFileAccessError, "SettingsStore",
                            "The settings file " + file_.string() +
                                " was changed by another process since it was read; nothing was saved. "
                                "Make the change again.");
    }
  }
  auto written = std::make_unique<Document>();
  std::string text = Render(document_.get(), written.get());
  ReplaceFile(target, text);
  written->text = std::move(text);
  document_ = std::move(written);
  lastWritten_ = ToXml();
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
  // Saved into a detached copy first: a handler that fails halfway leaves the old data.
  const auto existing = std::static_pointer_cast<RegistryKey>(registry_->OpenKey(handler.Name()));
  auto copy = existing ? existing->Clone() : std::make_shared<RegistryKey>(handler.Name());
  handler.SaveRegistryData(*copy);
  registry_->AttachKey(std::move(copy));
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
