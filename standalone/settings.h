#pragma once

// Settings tree and registry area of the standalone host, kept together in one per-user XML
// file, and the application-group services built on them.
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
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/items.h"
#include "ridirodev/host/services.h"
#include "standalone/config.h"
#include "standalone/writer_wait.h"

namespace ridirodev::standalone {

// Error numbers of the file: 75 for reading or writing it, 5 for content that is not a
// settings file of this version.
inline constexpr int32_t kFileAccessError = 75;

class SettingsNode : public IAppSettingsNode, public std::enable_shared_from_this<SettingsNode> {
 public:
  struct NamedValue {
    std::string name;
    Variant value;
  };

  static std::shared_ptr<SettingsNode> Create(std::string name);
  // A property list: a node whose absent values read as its default.
  static std::shared_ptr<SettingsNode> CreateList(std::string name, Variant listDefault);

  std::string Name() const override { return name_; }
  // Names are compared without regard to case. An absent value gives defaultValue; on a
  // property list an Empty defaultValue gives the list's default instead.
  Variant Value(std::string_view name, const Variant& defaultValue = Variant()) const override;
  // Error 13 for an object: the tree must be writable to the file.
  void SetValue(std::string_view name, const Variant& value) override;
  bool RemoveValue(std::string_view name);
  // The first child of that name, appended when there is none.
  IAppSettingsNodePtr Child(std::string_view name) override;
  // Appends child. Error 13 for a node of another implementation, error 5 for a node that
  // already has a parent or is this node or one of its ancestors (the tree stays a tree).
  void AddChild(IAppSettingsNodePtr child) override;
  std::vector<IAppSettingsNodePtr> Children() const override;
  void AddValueEntry(const Variant& value) override;

  bool IsPropertyList() const { return isList_; }
  const Variant& ListDefault() const { return listDefault_; }
  const std::vector<NamedValue>& NamedValues() const { return values_; }
  const std::vector<Variant>& ValueEntries() const { return entries_; }
  const std::vector<std::shared_ptr<SettingsNode>>& ChildNodes() const { return children_; }

 private:
  SettingsNode(std::string name, bool isList, Variant listDefault)
      : name_(std::move(name)), isList_(isList), listDefault_(std::move(listDefault)) {}
  std::string name_;
  bool isList_;
  Variant listDefault_;
  std::vector<NamedValue> values_;
  std::vector<Variant> entries_;
  std::vector<std::shared_ptr<SettingsNode>> children_;
  std::weak_ptr<SettingsNode> parent_;
};
using SettingsNodePtr = std::shared_ptr<SettingsNode>;

class RegistryKey : public IRegistryKey {
 public:
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  // Key and value names are compared without regard to case.
  IRegistryKeyPtr OpenKey(std::string_view name) const override;
  IRegistryKeyPtr CreateKey(std::string_view name) override;
  bool HasValue(std::string_view name) const override;
  std::string ReadValue(std::string_view name, std::string_view defaultValue = "") const override;
  void WriteValue(std::string_view name, std::string_view value) override;
  void DeleteValue(std::string_view name) override;
  std::vector<std::string> ValueNames() const override;

  // Removes a subkey with everything below it; false when there is none.
  bool DeleteKey(std::string_view name);
  // A copy of the key with everything below it.
  std::shared_ptr<RegistryKey> Clone() const;
  // Adds key as a subkey, in place of any subkey of the same name.
  void AttachKey(std::shared_ptr<RegistryKey> key);
  std::vector<std::string> KeyNames() const;
  const std::vector<std::pair<std::string, std::string>>& Values() const { return values_; }
  const std::vector<std::shared_ptr<RegistryKey>>& Keys() const { return keys_; }

 private:
  std::shared_ptr<RegistryKey> FindKey(std::string_view name) const;
  std::string name_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::shared_ptr<RegistryKey>> keys_;
};
using RegistryKeyPtr = std::shared_ptr<RegistryKey>;

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
