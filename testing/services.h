#pragma once

// The host's application-group services, feature switches, message display, users and
// folder services.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/host/services.h"
#include "testing/controls.h"
#include "testing/documents.h"

namespace ridirodev::testing {

struct TraceEntry {
  std::string text;
  int32_t level = 0;
};
struct MessageBoxEntry {
  std::string text;
  int32_t style = 0;
  std::string caption;
};
struct ReportEntry {
  std::string text;
  bool flag = false;
};

// Records what the component shows. Traces are recorded whether or not tracing is enabled
// (enabled by default): asking first is the caller's business. A message box takes the next
// scripted answer; without one, the default answer when set, else the first button of its
// style (Ok, Abort, Yes or Retry), as a user pressing Enter would.
class TestMessages final : public IAppMessages {
 public:
  void SetTraceEnabled(bool enabled) noexcept { traceEnabled_ = enabled; }
  void AnswerNext(int32_t button) { answers_.push_back(button); }
  void SetDefaultAnswer(int32_t button) noexcept { defaultAnswer_ = button; }

  const std::vector<TraceEntry>& Traces() const noexcept { return traces_; }
  const std::vector<MessageBoxEntry>& MessageBoxes() const noexcept { return boxes_; }
  const std::vector<ReportEntry>& Reports() const noexcept { return reports_; }
  // The texts of the traces at a level, in order.
  std::vector<std::string> TraceTexts(int32_t level) const;

  void Trace(std::string_view text, int32_t level) override { traces_.push_back({std::string(text), level}); }
  bool TraceEnabled() const override { return traceEnabled_; }
  int32_t MessageBox(std::string_view text, int32_t style, std::string_view caption) override;
  void Report(std::string_view text, bool flag) override { reports_.push_back({std::string(text), flag}); }

 private:
  bool traceEnabled_ = true;
  std::deque<int32_t> answers_;
  int32_t defaultAnswer_ = 0;  // 0: the first button of the style
  std::vector<TraceEntry> traces_;
  std::vector<MessageBoxEntry> boxes_;
  std::vector<ReportEntry> reports_;
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
  TestUser(int32_t id, std::string name) : id_(id), name_(std::move(name)) {}
  int32_t Id() const override { return id_; }
  std::string Name() const override { return name_; }

 private:
  int32_t id_;
  std::string name_;
};

// Users by id and by name (without regard to case); user 1 "TestUser" is there and current
// from the start. StopRequested answers the scripted answers in turn, then false.
class TestFolderServices final : public IFolderServices {
 public:
  static constexpr int32_t kDefaultUserId = 1;

  TestFolderServices();

  IAppUserPtr AddUser(int32_t id, std::string name);
  // nullptr makes CurrentUser answer Nothing.
  void SetCurrentUser(IAppUserPtr user) { current_ = std::move(user); }
  TestDocumentHandlerPtr AddDocumentHandler(std::string name);
  void SetExpressTemplateReport(int32_t templateId, int32_t reportId) {
    expressReports_[templateId] = reportId;
  }
  void AddStopAnswers(const std::vector<bool>& answers) {
    stops_.insert(stops_.end(), answers.begin(), answers.end());
  }
  int32_t StopChecks() const noexcept { return stopChecks_; }
  int32_t UserByIdCalls() const noexcept { return userByIdCalls_; }

  IAppUserPtr UserByName(std::string_view name) override;
  IAppUserPtr UserById(int32_t id) override;
  IAppUserPtr CurrentUser() override { return current_; }
  IDocumentHandlerPtr DocumentHandler(std::string_view name) override;
  int32_t ExpressTemplateReportId(const IFolderDocument& expressTemplate) override;
  bool StopRequested() override;

 private:
  std::vector<IAppUserPtr> users_;
  IAppUserPtr current_;
  std::vector<TestDocumentHandlerPtr> handlers_;
  std::map<int32_t, int32_t> expressReports_;
  std::deque<bool> stops_;
  int32_t stopChecks_ = 0;
  int32_t userByIdCalls_ = 0;
};
using TestFolderServicesPtr = std::shared_ptr<TestFolderServices>;

// Settings under one root node; property lists are settings nodes named after the list that
// keep their default as the value "Default". ShowModal records the form's caption, then runs
// the modal handler when one is set (where a test plays the user).
class TestGroupServices final : public IAppGroupServices {
 public:
  using ModalHandler = std::function<void(IModalForm&)>;

  TestSettingsNode& SettingsRoot() noexcept { return *settings_; }
  void AddNamedPropertySet(std::string name, IAppPropertySetPtr set) {
    namedSets_[std::move(name)] = std::move(set);
  }
  // Adds the folder, or answers the one of that name.
  TestFolderPtr AddFolder(std::string name);
  void SetModalHandler(ModalHandler handler) { modalHandler_ = std::move(handler); }
  const std::vector<std::string>& ModalCaptions() const noexcept { return modalCaptions_; }

  IAppSettingsNodePtr Settings() override { return settings_; }
  IAppSettingsNodePtr CreateSettingsNode(std::string_view name) override {
    return std::make_shared<TestSettingsNode>(std::string(name));
  }
  IAppSettingsNodePtr CreatePropertyList(std::string_view name, std::string_view defaultValue) override;
  IAppPropertySetPtr NamedPropertySet(std::string_view name) override;
  std::vector<std::string> FolderNames() const override;
  IFolderPtr Folder(std::string_view name) const override;
  void ShowModal(IModalForm& form) override;

 private:
  TestSettingsNodePtr settings_ = std::make_shared<TestSettingsNode>("Settings");
  std::unordered_map<std::string, IAppPropertySetPtr, NoCaseHash, NoCaseEqual> namedSets_;
  std::vector<TestFolderPtr> folders_;
  ModalHandler modalHandler_;
  std::vector<std::string> modalCaptions_;
};
using TestGroupServicesPtr = std::shared_ptr<TestGroupServices>;

}  // namespace ridirodev::testing
