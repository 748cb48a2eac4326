#pragma once

// Folder services of the standalone host: users, the reports and templates of the dictionary
// database (PM_User, PM_Document), the documents the tool collects, and the error reporter.

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/services.h"

namespace ridirodev::standalone {

class StandaloneSupport;

class StandaloneFolderServices final : public IFolderServices {
 public:
  // currentUser names a PM_User row; an unknown name still gives a user (id 0) so that a
  // fresh database can be browsed.
  StandaloneFolderServices(std::shared_ptr<engine::EngineDatabase> db, std::string currentUser);

  IAppUserPtr UserByName(std::string_view name) override;
  IAppUserPtr UserById(int32_t id) override;
  IAppUserPtr CurrentUser() override;
  // "ReportHandler" and "TemplateHandler", without regard to case.
  IDocumentHandlerPtr DocumentHandler(std::string_view name) override;
  int32_t ExpressTemplateReportId(const IFolderDocument& expressTemplate) override;
  bool StopRequested() override { return stop_.load(); }

  // Asks a long walk to stop (an interrupt handler may call this).
  void RequestStop() noexcept { stop_.store(true); }

 private:
  std::shared_ptr<engine::EngineDatabase> db_;
  std::string currentUser_;
  std::atomic<bool> stop_{false};
};

// The documents the tool collects, in the order first added: one per kind and id, so that a
// report reached through several fields, or through its express template, is listed once.
class StandaloneFolderDocuments final : public IFolderDocuments {
 public:
  // A null document, or one of a kind and id already held, is not added.
  void Add(IFolderDocumentPtr document) override;
  int32_t Count() const override { return static_cast<int32_t>(documents_.size()); }
  IFolderDocumentPtr Item(int32_t position) const override;  // nullptr outside 1..Count

 private:
  std::vector<IFolderDocumentPtr> documents_;
  std::set<std::pair<std::string, int32_t>> held_;
};

// Passes the error that was current when it was made to the diagnostic log.
class StandaloneErrorReporter final : public IAppErrorReporter {
 public:
  StandaloneErrorReporter(std::shared_ptr<StandaloneSupport> support, const AutomationError& current)
      : support_(std::move(support)), error_(current) {}

  void Report(std::string_view text) override;
  std::string ErrorText() const override { return error_.Description(); }

 private:
  std::shared_ptr<StandaloneSupport> support_;
  AutomationError error_;
};

}  // namespace ridirodev::standalone
