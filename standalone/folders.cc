#include "standalone/folders.h"

#include <sqlite3.h>

#include <optional>
#include <vector>

#include "ridirodev/core/text.h"
#include "standalone/sqlite_database.h"
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

std::optional<Row> QueryRow(const SqliteConnection& conn, const char* sql,
                            const std::vector<std::string>& texts, std::optional<int32_t> id) {
  // Prepared once: lookups such as the owner of every loaded field run once per row.
  sqlite3_stmt* stmt = conn.Cached(sql);
  int index = 1;
  for (const std::string& t : texts)
    sqlite3_bind_text(stmt, index++, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  if (id) sqlite3_bind_int(stmt, index, *id);
  std::optional<Row> row;
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) {
    row.emplace();
    row->id = sqlite3_column_int(stmt, 0);
    if (const auto* t = sqlite3_column_text(stmt, 1)) row->text = reinterpret_cast<const char*>(t);
    if (sqlite3_column_count(stmt) > 2) {
      if (const auto* f = sqlite3_column_text(stmt, 2)) row->flag = reinterpret_cast<const char*>(f);
    }
  }
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) conn.Fail("The folder lookup failed", sql);
  return row;
}

class DocumentHandlerOfKind final : public IDocumentHandler {
 public:
  DocumentHandlerOfKind(std::shared_ptr<SqliteConnection> conn, std::string name, std::string kind)
      : conn_(std::move(conn)), name_(std::move(name)), kind_(std::move(kind)) {}
  std::string Name() const override { return name_; }
  IFolderDocumentPtr Document(int32_t id) override {
    auto row = QueryRow(*conn_, "SELECT Id, Name, Express FROM PM_Document WHERE Kind = ?1 AND Id = ?2",
                        {kind_}, id);
    if (!row) return nullptr;
    return std::make_shared<standalone::Document>(row->id, row->text, kind_, row->flag == "Y");
  }

 private:
  std::shared_ptr<SqliteConnection> conn_;
  std::string name_;
  std::string kind_;
};

}  // namespace

StandaloneFolderServices::StandaloneFolderServices(std::shared_ptr<SqliteConnection> conn,
                                                   std::string currentUser)
    : conn_(std::move(conn)), currentUser_(std::move(currentUser)) {}

IAppUserPtr StandaloneFolderServices::UserByName(std::string_view name) {
  auto row = QueryRow(*conn_, "SELECT Id, Name FROM PM_User WHERE Name = ?1 COLLATE NOCASE",
                      {std::string(name)}, std::nullopt);
  return row ? std::make_shared<User>(row->id, row->text) : nullptr;
}

IAppUserPtr StandaloneFolderServices::UserById(int32_t id) {
  auto row = QueryRow(*conn_, "SELECT Id, Name FROM PM_User WHERE Id = ?1", {}, id);
  return row ? std::make_shared<User>(row->id, row->text) : nullptr;
}

IAppUserPtr StandaloneFolderServices::CurrentUser() {
  if (IAppUserPtr user = UserByName(currentUser_)) return user;
  return std::make_shared<User>(0, currentUser_);
}

IDocumentHandlerPtr StandaloneFolderServices::DocumentHandler(std::string_view name) {
  if (EqualsNoCase(name, "ReportHandler"))
    return std::make_shared<DocumentHandlerOfKind>(conn_, "ReportHandler", "Report");
  if (EqualsNoCase(name, "TemplateHandler")) {
    return std::make_shared<DocumentHandlerOfKind>(conn_, "TemplateHandler", "Template");
  }
  return nullptr;
}

int32_t StandaloneFolderServices::ExpressTemplateReportId(const IFolderDocument& expressTemplate) {
  if (!expressTemplate.IsExpressTemplate()) return 0;
  auto row = QueryRow(
      *conn_, "SELECT IFNULL(Report_Id, 0), Name FROM PM_Document WHERE Kind = 'Template' AND Id = ?1", {},
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
