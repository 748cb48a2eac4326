#include "ridirodev/store/referencing_documents.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/host_services.h"
#include "ridirodev/host/services.h"
#include "ridirodev/store/closing_recordset.h"

namespace ridirodev::sql {
namespace {

constexpr const char* kSource = "MRidirodev";

[[noreturn]] void ObjectNotSet() {
  throw AutomationError(ErrorNumber::kObjectNotSet, kSource,
                        "Object variable or With block variable not set");
}

// A document handler of the folder services, asked for once and only when a row needs it.
class Handler {
 public:
  explicit Handler(const char* name) : name_(name) {}
  // The document of id; nullptr when the host has none.
  IFolderDocumentPtr Document(IFolderServices& folders, int32_t id) {
    if (!handler_) handler_ = folders.DocumentHandler(name_);
    if (!handler_) ObjectNotSet();
    return handler_->Document(id);
  }

 private:
  const char* name_;
  IDocumentHandlerPtr handler_;
};

class ReferenceSearch {
 public:
  ReferenceSearch(HostServices& services, IFolderDocuments& documents)
      : db_(services.Database()), folders_(services.FolderServices()), documents_(documents) {}

  void Reports(const std::vector<int32_t>& fields) {
    Walk(fields, FieldReportsStatement, [this](const IDBFields& row) {
      Add(reports_.Document(folders_, db_.FieldNumber(row.Value("Id"))));
    });
  }

  void Templates(const std::vector<int32_t>& fields) {
    Walk(fields, FieldTemplatesStatement, [this](const IDBFields& row) {
      IFolderDocumentPtr document = templates_.Document(folders_, db_.FieldNumber(row.Value("TemplateId")));
      if (!document || !document->IsExpressTemplate()) {
        Add(std::move(document));
        return;
      }
      // The user works with an express template through its report.
      const int32_t report = folders_.ExpressTemplateReportId(*document);
      if (report > 0) {
        Add(reports_.Document(folders_, report));
      } else {
        expressWithoutReport_ = true;
      }
    });
  }

  bool ExpressWithoutReport() const noexcept { return expressWithoutReport_; }

 private:
  template <class Statement, class OnRow>
  void Walk(const std::vector<int32_t>& fields, Statement statement, OnRow onRow) {
    for (const int32_t id : fields) {
      ClosingRecordset rs(db_.OpenRecordset(statement(db_.NumberLiteral(Variant(id), 0)->Text())));
      if (folders_.StopRequested()) return;
      if (!rs) continue;
      for (; !rs->Eof(); rs->MoveNext()) onRow(rs->Fields());
      rs.Close();
    }
  }

  void Add(IFolderDocumentPtr document) {
    if (document) documents_.Add(std::move(document));
  }

  IDBObject& db_;
  IFolderServices& folders_;
  IFolderDocuments& documents_;
  Handler reports_{"ReportHandler"};
  Handler templates_{"TemplateHandler"};
  bool expressWithoutReport_ = false;
};

}  // namespace

std::string FieldReportsStatement(std::string_view fieldId) {
  return std::string("SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec ") +
         "WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND " + "Field_Id =" + std::string(fieldId);
}

std::string FieldTemplatesStatement(std::string_view fieldId) {
  return std::string("SELECT UNIQUE TemplateId FROM PM_TemplateField WHERE ") +
         "Field_Id=" + std::string(fieldId);
}

std::string FieldBusyHoursStatement(std::string_view fieldId) {
  return std::string("SELECT Id FROM PM_BusyHour WHERE ") + "Field_Id=" + std::string(fieldId);
}

void ForEachFieldBusyHourId(HostServices& services, const std::vector<int32_t>& fieldIds,
                            const std::function<void(int32_t)>& onId) {
  IDBObject& db = services.Database();
  for (const int32_t id : fieldIds) {
    ClosingRecordset rs(db.OpenRecordset(FieldBusyHoursStatement(db.NumberLiteral(Variant(id), 0)->Text())));
    if (services.FolderServices().StopRequested()) return;
    if (!rs) continue;
    for (; !rs->Eof(); rs->MoveNext()) onId(db.FieldNumber(rs->Fields().Value("Id")));
    rs.Close();
  }
}

void LoadFieldReferencingDocuments(HostServices& services, const std::vector<int32_t>* fieldIds,
                                   IFolderDocuments& documents) {
  try {
    if (!fieldIds) ObjectNotSet();
    ReferenceSearch search(services, documents);
    search.Reports(*fieldIds);
    search.Templates(*fieldIds);
    if (search.ExpressWithoutReport()) {
      services.Messages().MessageBox(kExpressTemplateWithoutReport, MessageBoxStyle::kCritical,
                                     services.Support().AppTitle());
    }
  } catch (...) {
    services.Messages().MessageBox(std::string(kReferencesFailed) + CurrentErrorText(services),
                                   MessageBoxStyle::kCritical, services.Support().AppTitle());
  }
}

}  // namespace ridirodev::sql
