#include "testing/test_host.h"

namespace ridirodev::testing {

static_assert(static_cast<size_t>(HostFactory::kTreeIterator) + 1 == kHostFactoryCount);

TestHost::TestHost()
    : database_(std::make_shared<ScriptedDatabase>()),
      support_(std::make_shared<TestSupport>()),
      groupServices_(std::make_shared<TestGroupServices>()),
      features_(std::make_shared<TestFeatures>()),
      xmlQueryService_(std::make_shared<TestXmlQueryService>(database_->SharedJournal())),
      folderServices_(std::make_shared<TestFolderServices>()),
      messages_(std::make_shared<TestMessages>()),
      fontServices_(std::make_shared<TestFontServices>()),
      imageServices_(std::make_shared<TestImageServices>()),
      errorReports_(std::make_shared<ErrorReportLog>()) {}

bool TestHost::Answers(HostFactory factory) noexcept {
  ++requests_[Index(factory)];
  return !nothing_[Index(factory)];
}

IDBObjectPtr TestHost::CreateDatabase() { return Answers(HostFactory::kDatabase) ? database_ : nullptr; }

IAppSupportPtr TestHost::CreateSupport() { return Answers(HostFactory::kSupport) ? support_ : nullptr; }

IAppGroupServicesPtr TestHost::CreateGroupServices() {
  return Answers(HostFactory::kGroupServices) ? groupServices_ : nullptr;
}

IAppFeaturesPtr TestHost::CreateFeatures() { return Answers(HostFactory::kFeatures) ? features_ : nullptr; }

IXMLQueryServicePtr TestHost::CreateXmlQueryService() {
  return Answers(HostFactory::kXmlQueryService) ? xmlQueryService_ : nullptr;
}

IFolderServicesPtr TestHost::CreateFolderServices() {
  return Answers(HostFactory::kFolderServices) ? folderServices_ : nullptr;
}

IAppMessagesPtr TestHost::CreateMessages() { return Answers(HostFactory::kMessages) ? messages_ : nullptr; }

IFontServicesPtr TestHost::CreateFontServices() {
  return Answers(HostFactory::kFontServices) ? fontServices_ : nullptr;
}

IImageServicesPtr TestHost::CreateImageServices() {
  return Answers(HostFactory::kImageServices) ? imageServices_ : nullptr;
}

IDBProcedureCallPtr TestHost::CreateProcedureCall() {
  if (!Answers(HostFactory::kProcedureCall)) return nullptr;
  return std::make_shared<ScriptedProcedureCall>(database_);
}

IXMLQueryTextPtr TestHost::CreateXmlQueryText() {
  if (!Answers(HostFactory::kXmlQueryText)) return nullptr;
  return std::make_shared<TestXmlQueryText>();
}

IAppErrorReporterPtr TestHost::CreateErrorReporter(const AutomationError& current) {
  if (!Answers(HostFactory::kErrorReporter)) return nullptr;
  return std::make_shared<TestErrorReporter>(current, errorReports_);
}

ITreeNodePtr TestHost::CreateTreeNode() {
  if (!Answers(HostFactory::kTreeNode)) return nullptr;
  return std::make_shared<TestTreeNode>();
}

ITreeIteratorPtr TestHost::CreateTreeIterator() {
  if (!Answers(HostFactory::kTreeIterator)) return nullptr;
  return std::make_shared<TestTreeIterator>();
}

}  // namespace ridirodev::testing
