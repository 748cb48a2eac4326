#pragma once

// Settings tree and registry area of the standalone host, kept together in one per-user XML
// file.
//
// The file:
//
//   <?xml version="1.0"?>
//   <ridirodev-settings version="1">
//     <settings name="Settings">
//       <value name="UDC Timeout" type="integer" data="30" />
//       <node name="SelectDocumentTypeTreeRoot">
//         <value name="Width" type="double" data="5500" />
//       </node>
//       <list name="Express Selected Properties" default-type="string" default="" />
//       <entry type="empty" />
//     </settings>
//     <registry>
//       <key name="CFilterDefinitions">
//         <key name="FilterDefinitionsRoot">
//           <value name="FilterDef[1]" data="GSM and LTE:GL" />
//         </key>
//       </key>
//     </registry>
//   </ridirodev-settings>
//
// Value types: empty, null, missing, boolean (true/false), integer, double (shortest text that
// reads back exactly), string, date (ISO 8601, whole seconds). Data lives in attributes so
// that line breaks and blanks survive. Registry values are text.
//
// Saving writes a temporary file beside the real one and renames it over it: a crash leaves
// either the old or the new file, and at worst a stray "<file>.tmp.XXXXXX" that is never read.
// Changes are kept in memory until the host calls Save or SaveIfChanged (once, when a command
// ends): writing on every SetValue would rewrite the file for each value of a multi-value
// change and could persist half of it.
//
// The store owns the first <settings> element and the first <registry> element: a save brings
// those up to date in place and keeps everything else of the file as it was read, comments and
// a second <settings> section included. It writes through a symbolic link to the file the link
// names, keeps that file's mode and refuses one the user made read-only.
//
// Several processes may change the file. One that reads it to change it takes
// "<file>.lock" first (LockForChange) and keeps it until its save is in place, so no change of
// another is lost; a store that did not lock saves only when the file still holds what it read.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/host/items.h"
#include "standalone/registry_key.h"
#include "standalone/settings_node.h"
#include "standalone/writer_wait.h"

namespace ridirodev::standalone {

// Error numbers of the file: 75 for reading or writing it, 5 for content that is not a
// settings file of this version.
inline constexpr int32_t kFileAccessError = 75;

class SettingsStore {
 public:
  // In memory only: Save does nothing.
  SettingsStore();
  // Reads file when it exists; a missing file starts empty. A file that cannot be read fails
  // with error 75, one that is not a settings file (corrupt, truncated, another version) with
  // error 5; both name the file. wait says how a change waits for another process's change.
  explicit SettingsStore(std::filesystem::path file, WriterWait wait = {});
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  const std::filesystem::path& File() const { return file_; }
  SettingsNodePtr Settings() const { return settings_; }
  RegistryKeyPtr Registry() const { return registry_; }

  // Before a change: waits until no other process changes the file (error 75 once the wait
  // runs out), then reads it again, so the change starts from its current content. Held until
  // the next Save is in place, or the store goes.
  void LockForChange();
  bool Locked() const { return lockFd_ >= 0; }

  // Writes the store (temporary file, then rename); error 75 naming the file on failure, and
  // the old file is left as it was. Without the lock it takes it for the write and refuses
  // (error 75) a file that another process changed since this store read it.
  void Save();
  // Saves only when the content differs from what was last read or written; true when saved.
  bool SaveIfChanged();

  // The registry service: each handler has its own key, named after the handler. Loading
  // hands over that key (an empty one when it was never saved); saving hands over a copy, so
  // that a handler failing halfway leaves the old data, and what the handler does not touch
  // stays. Removing values of an earlier, longer save is the handler's business.
  void LoadHandler(IAppRegistryHandler& handler);
  void SaveHandler(IAppRegistryHandler& handler);

  // The content alone, in the form a new file gets.
  std::string ToXml() const;
  // Replaces the content by the XML text; source names it in errors.
  void LoadXml(std::string_view xml, std::string_view source);

 private:
  struct Document;
  void Read();
  std::string Render(const Document* base, Document* rendered) const;
  void Unlock();

  std::filesystem::path file_;
  WriterWait wait_;
  SettingsNodePtr settings_;
  RegistryKeyPtr registry_;
  std::string lastWritten_;             // content last read or written, for SaveIfChanged
  std::unique_ptr<Document> document_;  // the file as last read or written
  int lockFd_ = -1;
};

}  // namespace ridirodev::standalone
