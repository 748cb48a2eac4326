#include "standalone/host.h"

#include <stdexcept>
#include <utility>

#include "postgres/postgres_database.h"
#include "ridirodev/core/automation_error.h"
#include "standalone/controls.h"
#include "standalone/failing_database.h"
#include "standalone/folders.h"
#include "standalone/graphics.h"
#include "standalone/messages.h"
#include "standalone/query_service.h"
#include "standalone/routines.h"
#include "standalone/schema.h"
#include "standalone/settings.h"
#include "standalone/sqlite_database.h"
#include "standalone/support.h"
#include "standalone/traced_database.h"

namespace ridirodev::standalone {

StandaloneHost::StandaloneHost(StandaloneConfig config, WriterWait wait)
    : config_(std::move(config)), wait_(std::move(wait)) {}

StandaloneHost::~StandaloneHost() = default;

const std::shared_ptr<engine::EngineDatabase>& StandaloneHost::Dictionary() {
  if (dictionary_) return dictionary_;
  if (postgres::IsServerAddress(config_.db)) {
    auto server = std::make_shared<postgres::PostgresDatabase>(
        config_.db, postgres::PostgresDatabaseOptions{.alwaysReload = config_.alwaysReload,
                                                      .daySlots = config_.daySlots,
                                                      .schemaVersion = kDictionarySchemaVersion});
    InstallRoutines(*server);
    dictionary_ = std::move(server);
  } else {
    dictionary_ = Sqlite();
  }
  return dictionary_;
}

engine::EngineDatabase* StandaloneHost::OpenedDictionary() const noexcept {
  return dictionary_ ? dictionary_.get() : database_.get();
}

const std::shared_ptr<SqliteDatabase>& StandaloneHost::Sqlite() {
  if (!database_) {
    if (postgres::IsServerAddress(config_.db)) {
      throw AutomationError(
          ErrorNumber::kInvalidArgument, "StandaloneHost",
          "The dictionary is on a server, not in a file: " + postgres::DisplayAddress(config_.db));
    }
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

void StandaloneHost::MustNotHaveHandedOut(const char* what) const {
  if (handedOut_) {
    throw std::logic_error(std::string(what) + " must be set up before the database objects are handed out");
  }
}

void StandaloneHost::TraceStatements(const std::string& file) {
  MustNotHaveHandedOut("The statement trace");
  trace_ = std::make_shared<const StatementTrace>(file);
  traceRead_ = true;
}

FailureInjection& StandaloneHost::Failures() {
  if (!failures_) {
    MustNotHaveHandedOut("Failure injection");
    failures_ = std::make_shared<FailureInjection>();
  }
  return *failures_;
}

template <class Traced, class Failing, class T>
std::shared_ptr<T> StandaloneHost::Wrap(std::shared_ptr<T> object) {
  if (!traceRead_) {
    trace_ = StatementTrace::FromEnvironment();
    traceRead_ = true;
  }
  handedOut_ = true;
  // An injected failure stops a call before the trace sees it: the statement never ran.
  if (trace_) object = std::make_shared<Traced>(std::move(object), trace_);
  if (failures_) object = std::make_shared<Failing>(std::move(object), failures_);
  return object;
}

const IDBObjectPtr& StandaloneHost::DatabaseObject() {
  if (!databaseObject_) databaseObject_ = Wrap<TracedDatabase, FailingDatabase>(IDBObjectPtr(Dictionary()));
  return databaseObject_;
}

IDBObjectPtr StandaloneHost::CreateDatabase() { return DatabaseObject(); }
IAppSupportPtr StandaloneHost::CreateSupport() { return SupportServices(); }
void StandaloneHost::UseToolkit(Toolkit toolkit) {
  if (toolkitServicesHandedOut_) {
    throw std::logic_error(
        "The toolkit must be set up before the group, font and image services are handed out");
  }
  toolkit_ = std::move(toolkit);
}

IAppGroupServicesPtr StandaloneHost::CreateGroupServices() {
  toolkitServicesHandedOut_ = true;
  // The report folder offers a document type per entity, read when someone first looks.
  auto reportTypes = std::make_shared<FolderDocumentTypes>(
      [this] { return EntityDocumentTypes(*Dictionary(), config_.extendedEntityViews, "ReportHandler"); });
  return std::make_shared<StandaloneGroupServices>(Settings(), config_, std::move(reportTypes),
                                                   toolkit_.dialogs);
}
IAppFeaturesPtr StandaloneHost::CreateFeatures() { return std::make_shared<StandaloneFeatures>(config_.features); }
IXMLQueryServicePtr StandaloneHost::CreateXmlQueryService() {
  return Wrap<TracedQueryService, FailingQueryService>(
      IXMLQueryServicePtr(std::make_shared<SqliteXmlQueryService>(
          Dictionary(),
          XmlGatewayOptions{.enabled = config_.xmlGateway,
                            .extendedEntityViews = config_.extendedEntityViews},
          DatabaseObject())));
}
IFolderServicesPtr StandaloneHost::CreateFolderServices() {
  return std::make_shared<StandaloneFolderServices>(Dictionary(), config_.UserName());
}
IAppMessagesPtr StandaloneHost::CreateMessages() { return std::make_shared<StandaloneMessages>(SupportServices()); }
IFontServicesPtr StandaloneHost::CreateFontServices() {
  toolkitServicesHandedOut_ = true;
  return toolkit_.fonts ? toolkit_.fonts : std::make_shared<FontServices>();
}
IImageServicesPtr StandaloneHost::CreateImageServices() {
  toolkitServicesHandedOut_ = true;
  return toolkit_.images ? toolkit_.images : std::make_shared<ImageServices>();
}

IDBProcedureCallPtr StandaloneHost::CreateProcedureCall() {
  return Wrap<TracedProcedureCall, FailingProcedureCall>(
      IDBProcedureCallPtr(std::make_shared<SqliteProcedureCall>(Dictionary())));
}
IXMLQueryTextPtr StandaloneHost::CreateXmlQueryText() { return std::make_shared<QueryText>(); }
IAppErrorReporterPtr StandaloneHost::CreateErrorReporter(const AutomationError& current) {
  return std::make_shared<StandaloneErrorReporter>(SupportServices(), current);
}
ITreeNodePtr StandaloneHost::CreateTreeNode() { return TreeNode::Create(); }
ITreeIteratorPtr StandaloneHost::CreateTreeIterator() { return std::make_shared<TreeIterator>(); }

}  // namespace ridirodev::standalone
