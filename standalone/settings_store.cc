#include "standalone/settings_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <pugixml.hpp>
#include <sstream>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/settings_file.h"
#include "standalone/settings_xml.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kVersion = "1";

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
  if (ec) SettingsFileError(file_, "look for", ec.value());
  if (present && std::filesystem::is_directory(file_, ec)) SettingsFileError(file_, "read", EISDIR);
  std::optional<std::string> text = present ? ReadRegularFile(file_) : std::nullopt;
  if (present && !text) SettingsFileError(file_, "read", EINVAL);
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
    CorruptSettings(source, std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));
  }
  const pugi::xml_node root = document->xml.child(kSettingsRootElement);
  if (!root) CorruptSettings(source, std::string("the root element is not <") + kSettingsRootElement + ">");
  const std::string version = root.attribute("version").value();
  if (version != kVersion) CorruptSettings(source, "version '" + version + "' is not " + kVersion);

  // Read into fresh objects so that a fault halfway leaves the store as it was.
  auto settings = SettingsNode::Create(root.child("settings").attribute("name").as_string("Settings"));
  auto registry = std::make_shared<RegistryKey>("");
  ReadSettingsNode(root.child("settings"), *settings, source);
  ReadRegistryKey(root.child("registry"), *registry, source);
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
  pugi::xml_node root = doc.child(kSettingsRootElement);
  if (!root) {
    root = doc.append_child(kSettingsRootElement);
    root.append_attribute("version") = kVersion;
  }
  pugi::xml_node settings = root.child("settings");
  pugi::xml_node registry = root.child("registry");
  if (!settings)
    settings = registry ? root.insert_child_before("settings", registry) : root.append_child("settings");
  SetXmlAttribute(settings, "name", settings_->Name().c_str());
  SyncSettingsNode(settings, *settings_);
  if (!registry) registry = root.insert_child_after("registry", settings);
  SyncRegistryKey(registry, *registry_);
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

std::string SettingsStore::ToXml() const { return Render(nullptr, nullptr); }

void SettingsStore::LockForChange() {
  if (file_.empty() || Locked()) return;
  lockFd_ = LockSettingsFile(FollowLinks(file_), wait_);
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
  if (!lockedSinceRead) lockFd_ = LockSettingsFile(target, wait_);
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

}  // namespace ridirodev::standalone
