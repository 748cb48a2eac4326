#pragma once

// The host's application-group services, feature switches, message display, users and
// folder services.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/host/dialogs.h"
#include "ridirodev/host/services.h"
#include "standalone/settings_node.h"

namespace ridirodev::testing {

struct MessageBoxEntry {
  std::string text;
  int32_t style = 0;
  std::string caption;
};
struct TraceEntry {
  std::string text;
  int32_t level = 0;
};
struct ReportEntry {
  std::string text;
  bool flag = false;
};

// Records the traces, message boxes and reports shown; tracing is on unless switched off. A message box
// answers the first button of its style (Ok, Abort, Yes or Retry), as a user pressing Enter would.
class TestMessages final : public IAppMessages {
 public:
  const std::vector<MessageBoxEntry>& MessageBoxes() const noexcept { return boxes_; }
  const std::vector<ReportEntry>& Reports() const noexcept { return reports_; }

  const std::vector<TraceEntry>& Traces() const noexcept { return traces_; }
  void SetTraceEnabled(bool on) noexcept { traceEnabled_ = on; }

  void Trace(std::string_view text, int32_t level) override { traces_.push_back({std::string(text), level}); }
  bool TraceEnabled() const override { return traceEnabled_; }
  int32_t MessageBox(std::string_view text, int32_t style, std::string_view caption) override;
  void Report(std::string_view text, bool flag) override { reports_.push_back({std::string(text), flag}); }

 private:
  std::vector<MessageBoxEntry> boxes_;
  std::vector<ReportEntry> reports_;
  std::vector<TraceEntry> traces_;
  bool traceEnabled_ = true;
};
using TestMessagesPtr = std::shared_ptr<TestMessages>;

// Switches by name without regard to case; off unless set.
class TestFeatures final : public IAppFeatures {
 public:
  void Set(std::string feature, bool enabled) { switches_[std::move(feature)] = enabled; }
  bool IsEnabled(std::string_view feature) const override {
    auto found = switches_.find(feature);
    return found != switches_.end() && found->second;
  }

 private:
  std::unordered_map<std::string, bool, NoCaseHash, NoCaseEqual> switches_;
};
using TestFeaturesPtr = std::shared_ptr<TestFeatures>;

class TestUser final : public IAppUser {
 public:
  TestUser(int32_t id, std::string name) : id(id), name(std::move(name)) {}
  int32_t Id() const override { return id; }
  std::string Name() const override { return name; }

  const int32_t id;
  const std::string name;
};

// A report or template; an express template's report is reportId (0 for none).
class TestDocument final : public IFolderDocument {
 public:
  TestDocument(int32_t id, std::string kind, bool express, int32_t reportId)
      : id(id), kind(std::move(kind)), express(express), reportId(reportId) {}
  int32_t Id() const override { return id; }
  std::string Name() const override { return kind + " " + std::to_string(id); }
  std::string Kind() const override { return kind; }
  bool IsExpressTemplate() const override { return express; }

  const int32_t id;
  const std::string kind;
  const bool express;
  const int32_t reportId;
};

// Keeps every document added, duplicates included; names lists them ("Report 4") in order.
class TestFolderDocuments final : public IFolderDocuments {
 public:
  void Add(IFolderDocumentPtr document) override {
    names.push_back(document->Name());
    documents_.push_back(std::move(document));
  }
  int32_t Count() const override { return static_cast<int32_t>(documents_.size()); }
  IFolderDocumentPtr Item(int32_t position) const override { return documents_.at(position - 1); }

  std::vector<std::string> names;

 private:
  std::vector<IFolderDocumentPtr> documents_;
};

// Users by id and by name (without regard to case); user 1 "TestUser" is there and current
// from the start. "ReportHandler" and "TemplateHandler" give the documents added of their kind;
// a stop is requested while stopRequested is set.
class TestFolderServices final : public IFolderServices {
 public:
  IAppUserPtr AddUser(int32_t id, std::string name) {
    return users_.emplace_back(std::make_shared<TestUser>(id, std::move(name)));
  }
  int32_t UserByIdCalls() const noexcept { return userByIdCalls_; }
  // kind is "Report" or "Template".
  void AddDocument(int32_t id, std::string kind, bool express = false, int32_t reportId = 0) {
    documents_->push_back(std::make_shared<TestDocument>(id, std::move(kind), express, reportId));
  }

  IAppUserPtr UserByName(std::string_view name) override;
  IAppUserPtr UserById(int32_t id) override;
  IAppUserPtr CurrentUser() override { return current_; }
  IDocumentHandlerPtr DocumentHandler(std::string_view name) override;
  int32_t ExpressTemplateReportId(const IFolderDocument& expressTemplate) override {
    return dynamic_cast<const TestDocument&>(expressTemplate).reportId;
  }
  bool StopRequested() override { return stopRequested; }

  bool stopRequested = false;

 private:
  std::vector<IAppUserPtr> users_;
  std::shared_ptr<std::vector<IFolderDocumentPtr>> documents_ =
      std::make_shared<std::vector<IFolderDocumentPtr>>();
  IAppUserPtr current_ = AddUser(1, "TestUser");
  int32_t userByIdCalls_ = 0;
};
using TestFolderServicesPtr = std::shared_ptr<TestFolderServices>;

// Plays the user of the component's dialogs: it loads a form as a drawn front does, then runs
// the script for its kind (none: the user closes the window, which is Cancel).
class ScriptedDialogFront final : public IDialogFront {
 public:
  void Show(IFieldStyleForm& form) override {
    ++shown;
    form.Load();
    if (onFieldStyle) onFieldStyle(form);
  }
  void Show(IDocumentTypeTreeForm& form) override {
    ++shown;
    form.Load();
    if (form.Activate() && onTree) onTree(form);
    form.Unload(form.Width(), form.Height());
  }

  std::function<void(IFieldStyleForm&)> onFieldStyle;
  std::function<void(IDocumentTypeTreeForm&)> onTree;
  int shown = 0;
};

// Settings under one root node; property lists are settings nodes named after the list that
// keep their default as the value "Default". No named property sets; the folders are named in
// folderNames (none at first), and those in folders can be asked for by name; a modal form goes
// to front, or with none is closed at once.
class TestGroupServices final : public IAppGroupServices {
 public:
  IAppSettingsNodePtr Settings() override { return settings_; }
  IAppSettingsNodePtr CreateSettingsNode(std::string_view name) override {
    return standalone::SettingsNode::Create(std::string(name));
  }
  IAppSettingsNodePtr CreatePropertyList(std::string_view name, std::string_view defaultValue) override {
    auto node = CreateSettingsNode(name);
    node->SetValue("Default", Variant(defaultValue));
    return node;
  }
  IAppPropertySetPtr NamedPropertySet(std::string_view) override { return nullptr; }
  std::vector<std::string> FolderNames() const override { return folderNames; }
  IFolderPtr Folder(std::string_view name) const override {
    for (const auto& folder : folders) {
      if (EqualsNoCase(folder->Name(), name)) return folder;
    }
    return nullptr;
  }
  void ShowModal(IModalForm& form) override {
    if (front) form.ShowWith(*front);
  }

  std::vector<std::string> folderNames;
  std::vector<IFolderPtr> folders;
  std::shared_ptr<IDialogFront> front;

 private:
  standalone::SettingsNodePtr settings_ = standalone::SettingsNode::Create("Settings");
};
using TestGroupServicesPtr = std::shared_ptr<TestGroupServices>;

}  // namespace ridirodev::testing
