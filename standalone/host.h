#pragma once

// The standalone host: every host object over one SQLite dictionary database, a per-user
// settings file and the configuration.

#include <memory>
#include <string>
#include <utility>

#include "engine/engine_database.h"
#include "ridirodev/host/dialogs.h"
#include "ridirodev/host/host.h"
#include "standalone/config.h"
#include "standalone/writer_wait.h"

namespace ridirodev::standalone {

class SqliteDatabase;
class FailureInjection;
class StatementTrace;
class SettingsStore;
class StandaloneSupport;
class StandaloneFolderServices;

// What a graphical front supplies: dialogs that are drawn, and fonts and pictures of its own
// toolkit. Each part left empty keeps the command line's: forms that report no choice, fonts kept
// as descriptions and pictures that only have a size.
struct Toolkit {
  std::shared_ptr<IDialogFront> dialogs;
  IFontServicesPtr fonts;
  IImageServicesPtr images;
};

class StandaloneHost final : public Host {
 public:
  // Nothing is opened until first asked for: a command that needs no database works without one.
  // wait: how a change of the database or the settings file waits for another writer.
  explicit StandaloneHost(StandaloneConfig config, WriterWait wait = {});
  ~StandaloneHost() override;

  const StandaloneConfig& Config() const noexcept { return config_; }
  // The dictionary database of config.db, opened on first use (error when it is missing or
  // unusable): a PostgreSQL server when config.db is a server address, else the SQLite file.
  const std::shared_ptr<engine::EngineDatabase>& Dictionary();
  // The SQLite file of config.db (error when config.db names a server).
  const std::shared_ptr<SqliteDatabase>& Sqlite();
  // The database when something has opened it, else nullptr (error reports must not open it).
  const std::shared_ptr<SqliteDatabase>& OpenedSqlite() const noexcept { return database_; }
  // The dictionary database when something has opened it (either engine), else nullptr.
  engine::EngineDatabase* OpenedDictionary() const noexcept;
  // The database object the component gets: the dictionary database, in the statement trace when
  // RIDIRODEV_SQL_TRACE (or TraceStatements) names one, and in failure injection when asked for.
  const IDBObjectPtr& DatabaseObject();

  // For tests: the statement trace goes to file, and failures can be injected. Both apply to the
  // database object, procedure calls and query service, and must be asked for before the
  // component first asks for one of them (std::logic_error otherwise).
  void TraceStatements(const std::string& file);
  FailureInjection& Failures();
  // Before the component first asks for the group, font or image services (std::logic_error
  // otherwise: they would keep the command line's).
  void UseToolkit(Toolkit toolkit);
  const std::shared_ptr<SettingsStore>& Settings();
  const std::shared_ptr<StandaloneSupport>& SupportServices();
  // Writes the settings file when something changed; the tool calls it when a command ends.
  bool SaveSettingsIfChanged();

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
  StandaloneConfig config_;
  WriterWait wait_;
  // Wraps an object about to be handed out in the trace and failure injection.
  template <class Traced, class Failing, class T>
  std::shared_ptr<T> Wrap(std::shared_ptr<T> object);
  void MustNotHaveHandedOut(const char* what) const;

  std::shared_ptr<SqliteDatabase> database_;
  std::shared_ptr<engine::EngineDatabase> dictionary_;
  IDBObjectPtr databaseObject_;
  bool traceRead_ = false;
  bool handedOut_ = false;
  std::shared_ptr<const StatementTrace> trace_;
  std::shared_ptr<FailureInjection> failures_;
  std::shared_ptr<SettingsStore> settings_;
  std::shared_ptr<StandaloneSupport> support_;
  Toolkit toolkit_;
  bool toolkitServicesHandedOut_ = false;
};

}  // namespace ridirodev::standalone
