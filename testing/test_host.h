#pragma once

// The host of the unit tests: one shared instance of each global object, made in the
// constructor and handed out by every call of its factory, so that a test keeps handles to
// script and inspect them; the per-use objects are new on each call. testing/fixtures.h
// installs one.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ridirodev/host/host.h"
#include "standalone/controls.h"
#include "standalone/graphics.h"
#include "testing/query_service.h"
#include "testing/scripted_database.h"
#include "testing/services.h"
#include "testing/support.h"

namespace ridirodev::testing {

enum class HostFactory {
  kDatabase, kSupport, kGroupServices, kFeatures, kXmlQueryService, kFolderServices, kMessages, kFontServices,
  kImageServices, kProcedureCall, kXmlQueryText, kErrorReporter, kTreeNode, kTreeIterator,
};

class TestHost : public Host {
 public:
  ScriptedDatabase& Database() noexcept { return *database_; }
  DbJournal& Journal() noexcept { return database_->Journal(); }
  TestSupport& Support() noexcept { return *support_; }
  TestFeatures& Features() noexcept { return *features_; }
  TestGroupServices& GroupServices() noexcept { return *groupServices_; }
  TestXmlQueryService& XmlQueryService() noexcept { return *xmlQueryService_; }
  TestFolderServices& FolderServices() noexcept { return *folderServices_; }
  TestMessages& Messages() noexcept { return *messages_; }
  // The descriptions of the errors passed to the host's error reporters, in order.
  const std::vector<std::string>& ErrorReports() const noexcept { return *errorReports_; }

  // Makes the factory answer nullptr (or answer again, with false).
  void ReturnNothingFrom(HostFactory factory, bool nothing = true) noexcept { nothing_[Index(factory)] = nothing; }
  // How many times the factory was asked.
  int Requests(HostFactory factory) const noexcept { return requests_[Index(factory)]; }

  IDBObjectPtr CreateDatabase() override { return Give(HostFactory::kDatabase, database_); }
  IAppSupportPtr CreateSupport() override { return Give(HostFactory::kSupport, support_); }
  IAppGroupServicesPtr CreateGroupServices() override { return Give(HostFactory::kGroupServices, groupServices_); }
  IAppFeaturesPtr CreateFeatures() override { return Give(HostFactory::kFeatures, features_); }
  IXMLQueryServicePtr CreateXmlQueryService() override {
    return Give(HostFactory::kXmlQueryService, xmlQueryService_);
  }
  IFolderServicesPtr CreateFolderServices() override { return Give(HostFactory::kFolderServices, folderServices_); }
  IAppMessagesPtr CreateMessages() override { return Give(HostFactory::kMessages, messages_); }
  IFontServicesPtr CreateFontServices() override { return Give(HostFactory::kFontServices, fontServices_); }
  IImageServicesPtr CreateImageServices() override { return Give(HostFactory::kImageServices, imageServices_); }

  IDBProcedureCallPtr CreateProcedureCall() override {
    return Give(HostFactory::kProcedureCall, std::make_shared<ScriptedProcedureCall>(
                                                 database_->SharedJournal(), database_->SharedRoutines()));
  }
  IXMLQueryTextPtr CreateXmlQueryText() override {
    return Give(HostFactory::kXmlQueryText, std::make_shared<TestXmlQueryText>());
  }
  IAppErrorReporterPtr CreateErrorReporter(const AutomationError& current) override {
    return Give(HostFactory::kErrorReporter, std::make_shared<TestErrorReporter>(current, errorReports_));
  }
  ITreeNodePtr CreateTreeNode() override { return Give(HostFactory::kTreeNode, standalone::TreeNode::Create()); }
  ITreeIteratorPtr CreateTreeIterator() override {
    return Give(HostFactory::kTreeIterator, std::make_shared<standalone::TreeIterator>());
  }

 private:
  static constexpr size_t Index(HostFactory factory) noexcept { return static_cast<size_t>(factory); }
  // Counts the request; answers the object unless the factory is to answer nullptr.
  template <class T>
  std::shared_ptr<T> Give(HostFactory factory, std::shared_ptr<T> object) noexcept {
    ++requests_[Index(factory)];
    return nothing_[Index(factory)] ? nullptr : std::move(object);
  }

  std::shared_ptr<ScriptedDatabase> database_ = std::make_shared<ScriptedDatabase>();
  std::shared_ptr<TestSupport> support_ = std::make_shared<TestSupport>();
  std::shared_ptr<TestGroupServices> groupServices_ = std::make_shared<TestGroupServices>();
  std::shared_ptr<TestFeatures> features_ = std::make_shared<TestFeatures>();
  std::shared_ptr<TestXmlQueryService> xmlQueryService_ =
      std::make_shared<TestXmlQueryService>(database_->SharedJournal());
  std::shared_ptr<TestFolderServices> folderServices_ = std::make_shared<TestFolderServices>();
  std::shared_ptr<TestMessages> messages_ = std::make_shared<TestMessages>();
  std::shared_ptr<standalone::FontServices> fontServices_ = std::make_shared<standalone::FontServices>();
  std::shared_ptr<standalone::ImageServices> imageServices_ = std::make_shared<standalone::ImageServices>();
  static constexpr size_t kFactories = static_cast<size_t>(HostFactory::kTreeIterator) + 1;
  std::shared_ptr<std::vector<std::string>> errorReports_ = std::make_shared<std::vector<std::string>>();
  std::array<bool, kFactories> nothing_{};
  std::array<int, kFactories> requests_{};
};
using TestHostPtr = std::shared_ptr<TestHost>;

}  // namespace ridirodev::testing
