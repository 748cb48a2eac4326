#pragma once

// The host of the unit tests: one shared instance of each global object, made in the
// constructor and handed out by every call of its factory, so that a test keeps handles to
// script and inspect them; the per-use objects are new on each call.
//
//   auto host = std::make_shared<testing::TestHost>();
//   host->Database().AddRows("SELECT ...", {{"ID", "NAME"}, {{1, "Traffic"}}});
//   MRidirodevScope scope(host);
//   ... run the component ...
//   EXPECT_THAT(host->Database().Journal().Lines(), ElementsAre("open SELECT ..."));

#include <array>
#include <cstddef>
#include <memory>

#include "ridirodev/host/host.h"
#include "testing/controls.h"
#include "testing/documents.h"
#include "testing/graphics.h"
#include "testing/query_service.h"
#include "testing/scripted_database.h"
#include "testing/services.h"
#include "testing/support.h"

namespace ridirodev::testing {

enum class HostFactory {
  kDatabase,
  kSupport,
  kGroupServices,
  kFeatures,
  kXmlQueryService,
  kFolderServices,
  kMessages,
  kFontServices,
  kImageServices,
  kProcedureCall,
  kXmlQueryText,
  kErrorReporter,
  kTreeNode,
  kTreeIterator,
};
inline constexpr size_t kHostFactoryCount = 14;

class TestHost : public Host {
 public:
  TestHost();

  ScriptedDatabase& Database() noexcept { return *database_; }
  DbJournal& Journal() noexcept { return database_->Journal(); }
  TestSupport& Support() noexcept { return *support_; }
  TestGroupServices& GroupServices() noexcept { return *groupServices_; }
  TestFeatures& Features() noexcept { return *features_; }
  TestXmlQueryService& XmlQueryService() noexcept { return *xmlQueryService_; }
  TestFolderServices& FolderServices() noexcept { return *folderServices_; }
  TestMessages& Messages() noexcept { return *messages_; }
  TestFontServices& FontServices() noexcept { return *fontServices_; }
  TestImageServices& ImageServices() noexcept { return *imageServices_; }
  // Reports passed through the error reporters, in order.
  const ErrorReportLog& ErrorReports() const noexcept { return *errorReports_; }

  // Makes the factory answer nullptr (or answer again, with false).
  void ReturnNothingFrom(HostFactory factory, bool nothing = true) noexcept {
    nothing_[Index(factory)] = nothing;
  }
  // How many times the factory was asked.
  int Requests(HostFactory factory) const noexcept { return requests_[Index(factory)]; }

  IDBObjectPtr CreateDatabase() override;
  IAppSupportPtr CreateSupport() override;
  IAppGroupServicesPtr CreateGroupServices() override;
  IAppFeaturesPtr CreateFeatures() override;
  IXMLQueryServicePtr CreateXmlQueryService() override;
  IFolderServicesPtr CreateFolderServices() override;
  IAppMessagesPtr CreateMessages() override;
  IFontServicesPtr CreateFontServices() override;
  IImageServicesPtr CreateImageServices() override;

  IDBProcedureCallPtr CreateProcedureCall() override;
  IXMLQueryTextPtr CreateXmlQueryText() override;
  IAppErrorReporterPtr CreateErrorReporter(const AutomationError& current) override;
  ITreeNodePtr CreateTreeNode() override;
  ITreeIteratorPtr CreateTreeIterator() override;

 private:
  static size_t Index(HostFactory factory) noexcept { return static_cast<size_t>(factory); }
  // Counts the request; true when the factory is to answer.
  bool Answers(HostFactory factory) noexcept;

  std::shared_ptr<ScriptedDatabase> database_;
  std::shared_ptr<TestSupport> support_;
  std::shared_ptr<TestGroupServices> groupServices_;
  std::shared_ptr<TestFeatures> features_;
  std::shared_ptr<TestXmlQueryService> xmlQueryService_;
  std::shared_ptr<TestFolderServices> folderServices_;
  std::shared_ptr<TestMessages> messages_;
  std::shared_ptr<TestFontServices> fontServices_;
  std::shared_ptr<TestImageServices> imageServices_;
  std::shared_ptr<ErrorReportLog> errorReports_;
  std::array<bool, kHostFactoryCount> nothing_{};
  std::array<int, kHostFactoryCount> requests_{};
};
using TestHostPtr = std::shared_ptr<TestHost>;

}  // namespace ridirodev::testing
