#include "standalone/host.h"

#include "standalone/controls.h"
#include "standalone/folders.h"
#include "standalone/graphics.h"
#include "standalone/messages.h"
#include "standalone/query_service.h"
#include "standalone/settings.h"
#include "standalone/sqlite_database.h"
#include "standalone/support.h"

namespace ridirodev::standalone {

StandaloneHost::StandaloneHost(StandaloneConfig config, WriterWait wait)
    : config_(std::move(config)), wait_(std::move(wait)) {}

StandaloneHost::~StandaloneHost() = default;

const std::shared_ptr<SqliteDatabase>& StandaloneHost::Sqlite() {
  if (!database_) {
    SqliteDatabaseOptions options;
    options.alwaysReload = config_.alwaysReload;
    options.daySlots = config_.daySlots;
    options.wait = wait_;
    database_ = std::make_shared<SqliteDatabase>(config_.db, options);
  }
  return database_;
}

const std::shared_ptr<SettingsStore>& StandaloneHost::Settings() {
  if (!settings_) {
    settings_ = config_.settingsFile.empty() ? std::make_shared<SettingsStore>()
                                             : std::make_shared<SettingsStore>(config_.settingsFile, wait_);
  }
  return settings_;
}

const std::shared_ptr<StandaloneSupport>& StandaloneHost::SupportServices() {
  if (!support_) support_ = std::make_shared<StandaloneSupport>(config_);
  return support_;
}

bool StandaloneHost::SaveSettingsIfChanged() { return settings_ && settings_->SaveIfChanged(); }

IDBObjectPtr StandaloneHost::CreateDatabase() { return Sqlite(); }
IAppSupportPtr StandaloneHost::CreateSupport() { return SupportServices(); }
IAppGroupServicesPtr StandaloneHost::CreateGroupServices() {
  return std::make_shared<StandaloneGroupServices>(Settings(), config_);
}
IAppFeaturesPtr StandaloneHost::CreateFeatures() { return std::make_shared<StandaloneFeatures>(config_.features); }
IXMLQueryServicePtr StandaloneHost::CreateXmlQueryService() {
  return std::make_shared<SqliteXmlQueryService>(
      Sqlite(),
      XmlGatewayOptions{.enabled = config_.xmlGateway, .extendedEntityViews = config_.extendedEntityViews});
}
IFolderServicesPtr StandaloneHost::CreateFolderServices() {
  return std::make_shared<StandaloneFolderServices>(Sqlite()->Connection(), config_.user);
}
IAppMessagesPtr StandaloneHost::CreateMessages() { return std::make_shared<StandaloneMessages>(SupportServices()); }
IFontServicesPtr StandaloneHost::CreateFontServices() { return std::make_shared<FontServices>(); }
IImageServicesPtr StandaloneHost::CreateImageServices() { return std::make_shared<ImageServices>(); }

IDBProcedureCallPtr StandaloneHost::CreateProcedureCall() { return std::make_shared<SqliteProcedureCall>(Sqlite()); }
IXMLQueryTextPtr StandaloneHost::CreateXmlQueryText() { return std::make_shared<QueryText>(); }
IAppErrorReporterPtr StandaloneHost::CreateErrorReporter(const AutomationError& current) {
  return std::make_shared<StandaloneErrorReporter>(SupportServices(), current);
}
ITreeNodePtr StandaloneHost::CreateTreeNode() { return TreeNode::Create(); }
ITreeIteratorPtr StandaloneHost::CreateTreeIterator() { return std::make_shared<TreeIterator>(); }

}  // namespace ridirodev::standalone
