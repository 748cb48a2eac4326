#include "testing/services.h"

namespace ridirodev::testing {

// ---- TestMessages ----

std::vector<std::string> TestMessages::TraceTexts(int32_t level) const {
  std::vector<std::string> out;
  for (const auto& trace : traces_) {
    if (trace.level == level) out.push_back(trace.text);
  }
  return out;
}

int32_t TestMessages::MessageBox(std::string_view text, int32_t style, std::string_view caption) {
  boxes_.push_back({std::string(text), style, std::string(caption)});
  if (!answers_.empty()) {
    const int32_t answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if (defaultAnswer_ != 0) return defaultAnswer_;
  switch (style & 0x0F) {
    case 2:  // Abort, Retry, Ignore
      return 3;
    case 3:  // Yes, No, Cancel
    case MessageBoxStyle::kYesNo:
      return MessageBoxResult::kYes;
    case 5:  // Retry, Cancel
      return 4;
    default:  // Ok, or Ok and Cancel
      return MessageBoxResult::kOk;
  }
}

// ---- TestFolderServices ----

TestFolderServices::TestFolderServices() { current_ = AddUser(kDefaultUserId, "TestUser"); }

IAppUserPtr TestFolderServices::AddUser(int32_t id, std::string name) {
  auto user = std::make_shared<TestUser>(id, std::move(name));
  users_.push_back(user);
  return user;
}

TestDocumentHandlerPtr TestFolderServices::AddDocumentHandler(std::string name) {
  auto handler = std::make_shared<TestDocumentHandler>(std::move(name));
  handlers_.push_back(handler);
  return handler;
}

IAppUserPtr TestFolderServices::UserByName(std::string_view name) {
  for (const auto& user : users_) {
    if (EqualsNoCase(user->Name(), name)) return user;
  }
  return nullptr;
}

IAppUserPtr TestFolderServices::UserById(int32_t id) {
  ++userByIdCalls_;
  for (const auto& user : users_) {
    if (user->Id() == id) return user;
  }
  return nullptr;
}

IDocumentHandlerPtr TestFolderServices::DocumentHandler(std::string_view name) {
  for (const auto& handler : handlers_) {
    if (EqualsNoCase(handler->Name(), name)) return handler;
  }
  return nullptr;
}

int32_t TestFolderServices::ExpressTemplateReportId(const IFolderDocument& expressTemplate) {
  auto found = expressReports_.find(expressTemplate.Id());
  return found == expressReports_.end() ? 0 : found->second;
}

bool TestFolderServices::StopRequested() {
  ++stopChecks_;
  if (stops_.empty()) return false;
  const bool stop = stops_.front();
  stops_.pop_front();
  return stop;
}

// ---- TestGroupServices ----

TestFolderPtr TestGroupServices::AddFolder(std::string name) {
  for (const auto& folder : folders_) {
    if (EqualsNoCase(folder->Name(), name)) return folder;
  }
  auto folder = std::make_shared<TestFolder>(std::move(name));
  folders_.push_back(folder);
  return folder;
}

IAppSettingsNodePtr TestGroupServices::CreatePropertyList(std::string_view name,
                                                          std::string_view defaultValue) {
  auto node = std::make_shared<TestSettingsNode>(std::string(name));
  node->SetValue("Default", Variant(defaultValue));
  return node;
}

IAppPropertySetPtr TestGroupServices::NamedPropertySet(std::string_view name) {
  auto found = namedSets_.find(name);
  return found == namedSets_.end() ? nullptr : found->second;
}

std::vector<std::string> TestGroupServices::FolderNames() const {
  std::vector<std::string> out;
  for (const auto& folder : folders_) out.push_back(folder->Name());
  return out;
}

IFolderPtr TestGroupServices::Folder(std::string_view name) const {
  for (const auto& folder : folders_) {
    if (EqualsNoCase(folder->Name(), name)) return folder;
  }
  return nullptr;
}

void TestGroupServices::ShowModal(IModalForm& form) {
  modalCaptions_.push_back(form.Caption());
  if (modalHandler_) modalHandler_(form);
}

}  // namespace ridirodev::testing
