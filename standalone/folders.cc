#include "standalone/folders.h"

#include <optional>
#include <vector>

#include "ridirodev/core/text.h"
#include "standalone/support.h"

namespace ridirodev::standalone {
namespace {

class User final : public IAppUser {
 public:
  User(int32_t id, std::string name) : id_(id), name_(std::move(name)) {}
  int32_t Id() const override { return id_; }
  std::string Name() const override { return name_; }

 private:
  int32_t id_;
  std::string name_;
};

class Document final : public IFolderDocument {
 public:
  Document(int32_t id, std::string name, std::string kind, bool express)
      : id_(id), name_(std::move(name)), kind_(std::move(kind)), express_(express) {}
  int32_t Id() const override { return id_; }
  std::string Name() const override { return name_; }
  std::string Kind() const override { return kind_; }
  bool IsExpressTemplate() const override { return express_; }

 private:
  int32_t id_;
  std::string name_;
  std::string kind_;
  bool express_;
};

// One row of a host-side lookup. These statements are the host's own, so they bypass the
// database object and its statement trace.
struct Row {
  int32_t id = 0;
  std::string text;
  std::string flag;
};

std::optional<Row> QueryRow(engine::EngineDatabase& db, const char* sql,
                            const std::vector<std::string>& texts, std::optional<int32_t> id) {
  try {
    // Prepared once: lookups such as the owner of every loaded field run once per row.
    const std::unique_ptr<engine::HostStatement> stmt = db.Prepare(sql, true);
    int index = 1;
    for (const std::string& t : texts) stmt->BindText(index++, t);
    if (id) stmt->BindInt(index, *id);
    if (!stmt->Step()) return std::nullopt;
    return Row{static_cast<int32_t>(stmt->Int(0)), stmt->Text(1),
               stmt->ColumnCount() > 2 ? stmt->Text(2) : ""};
  } catch (const AutomationError& e) {
    throw AutomationError(e.Number(), e.Source(),
                          "The folder lookup failed: " + e.Description() + "\nStatement: " + sql);
  }
}

class DocumentHandlerOfKind final : public IDocumentHandler {
 public:
  DocumentHandlerOfKind(std::shared_ptr<engine::EngineDatabase> db, std::string name, std::string kind)
      : db_(std::move(db)), name_(std::move(name)), kind_(std::move(kind)) {}
  std::string Name() const override { return name_; }
  IFolderDocumentPtr Document(int32_t id) override {
    auto row =
        QueryRow(*db_, "SELECT Id, Name, Express FROM PM_Document WHERE Kind = ?1 AND Id = ?2", {kind_}, id);
    if (!row) return nullptr;
    return std::make_shared<standalone::Document>(row->id, row->text, kind_, row->flag == "Y");
  }

 private:
  std::shared_ptr<engine::EngineDatabase> db_;
  std::string name_;
  std::string kind_;
};

}  // namespace

StandaloneFolderServices::StandaloneFolderServices(std::shared_ptr<engine::EngineDatabase> db,
                                                   std::string currentUser)
    : db_(std::move(db)), currentUser_(std::move(currentUser)) {}

IAppUserPtr StandaloneFolderServices::UserByName(std::string_view name) {
  auto row = QueryRow(*db_, "SELECT Id, Name FROM PM_User WHERE Name = ?1 COLLATE NOCASE",
                      {std::string(name)}, std::nullopt);
  return row ? std::make_shared<User>(row->id, row->text) : nullptr;
}

IAppUserPtr StandaloneFolderServices::UserById(int32_t id) {
  auto row = QueryRow(*db_, "SELECT Id, Name FROM PM_User WHERE Id = ?1", {}, id);
  return row ? std::make_shared<User>(row->id, row->text) : nullptr;
}

IAppUserPtr StandaloneFolderServices::CurrentUser() {
  if (IAppUserPtr user = UserByName(currentUser_)) return user;
  return std::make_shared<User>(0, currentUser_);
}

IDocumentHandlerPtr StandaloneFolderServices::DocumentHandler(std::string_view name) {
  if (EqualsNoCase(name, "ReportHandler"))
    return std::make_shared<DocumentHandlerOfKind>(db_, "ReportHandler", "Report");
  if (EqualsNoCase(name, "TemplateHandler")) {
    return std::make_shared<DocumentHandlerOfKind>(db_, "TemplateHandler", "Template");
  }
  return nullptr;
}

int32_t StandaloneFolderServices::ExpressTemplateReportId(const IFolderDocument& expressTemplate) {
  if (!expressTemplate.IsExpressTemplate()) return 0;
  auto row = QueryRow(
      *db_, "SELECT COALESCE(Report_Id, 0), Name FROM PM_Document WHERE Kind = 'Template' AND Id = ?1", {},
      expressTemplate.Id());
  return row ? row->id : 0;
}

void StandaloneFolderDocuments::Add(IFolderDocumentPtr document) {
  if (!document || !held_.emplace(document->Kind(), document->Id()).second) return;
  documents_.push_back(std::move(document));
}

IFolderDocumentPtr StandaloneFolderDocuments::Item(int32_t position) const {
  return position >= 1 && position <= Count() ? documents_[static_cast<size_t>(position - 1)] : nullptr;
}

void StandaloneErrorReporter::Report(std::string_view text) {
  std::vector<std::string> messages{"Error " + std::to_string(error_.Number()) + " (" + error_.Source() +
                                    "): " + error_.Description()};
  if (!text.empty()) messages.emplace_back(text);
  support_->Log(1, "Ridirodev", "ErrorReporter", "Report", messages);
}

}  // namespace ridirodev::standalone
