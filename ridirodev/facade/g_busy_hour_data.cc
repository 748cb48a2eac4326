// The members of GBusyHour that read stored definitions, documents and system values.

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/g_busy_hour.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/busy_hour_records.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "ridirodev/store/closing_recordset.h"

namespace ridirodev {
namespace {

constexpr const char* kClassName = "GBusyHour";

[[noreturn]] void ObjectNotSet() {
  throw AutomationError(ErrorNumber::kObjectNotSet, kClassName,
                        "Object variable or With block variable not set");
}

}  // namespace

void GBusyHour::LoadReferencingReports(const std::shared_ptr<CBusyHours>& bhsTarget,
                                       IFolderDocuments& dbfds) {
  if (!bhsTarget) ObjectNotSet();
  MRidirodev& state = MRidirodev::Current();
  IDBObject& db = state.Database();
  IFolderServices& folders = state.FolderServices();
  IDocumentHandlerPtr reports;  // asked for only when a row needs it
  for (const CBusyHourPtr& bh : *bhsTarget) {
    sql::ClosingRecordset rs(db.OpenRecordset(sql::BusyHourReportsStatement(bh->Id())));
    if (rs) {
      for (; !rs->Eof(); rs->MoveNext()) {
        if (!reports && !(reports = folders.DocumentHandler("ReportHandler"))) ObjectNotSet();
        if (IFolderDocumentPtr document = reports->Document(db.FieldNumber(rs->Fields().Value("Id")))) {
          dbfds.Add(std::move(document));
        }
      }
      rs.Close();
    }
    if (folders.StopRequested()) return;
  }
}

std::shared_ptr<CBusyHours> GBusyHour::ScenarioDependentBusyHours(const std::string& sIds) {
  return ridirodev::LoadScenarioBusyHours(MRidirodev::Current(), sIds);
}

void GBusyHour::LoadAllSummations(CBusyHours& bhs, bool bLoadHours) {
  ridirodev::LoadAllSummations(MRidirodev::Current(), bhs, bLoadHours);
}

void GBusyHour::LoadAllBusyHours(CBusyHours& bhs, bool bLoadHours) {
  ridirodev::LoadAllBusyHours(MRidirodev::Current(), bhs, bLoadHours);
}

std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> GBusyHour::FrequencyStrings() {
  MRidirodev& state = MRidirodev::Current();
  auto& frequencies = state.BusyHour().frequencies;
  if (!frequencies) frequencies = sql::LoadFrequencies(state.Database());
  return frequencies;
}

std::string GBusyHour::FrequencyById(int32_t nId) {
  if (nId <= 0) return "";
  const auto frequencies = FrequencyStrings();
  if (nId > frequencies->Count()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, kClassName, "Subscript out of range");
  }
  const Variant description = frequencies->Item(nId)->Item(Variant("Description"));
  return description.IsString() ? description.StringRef() : "";
}

bool GBusyHour::IsBusyHourNameValid(const std::string& strProposedName, int32_t ordClusterEntityID) {
  return sql::IsBusyHourNameFree(MRidirodev::Current().Services(), strProposedName, ordClusterEntityID);
}

bool GBusyHour::IsDWMBusyHoursSupported() { return IsWeeklyMonthlyActive(MRidirodev::Current()); }

bool GBusyHour::IsXBusyHoursSupported() { return RetentionColumnsExist(MRidirodev::Current()); }

std::string GBusyHour::FindUsedSpans(int32_t ordEntity) {
  return sql::FindUsedSpans(MRidirodev::Current().Database(), ordEntity);
}

}  // namespace ridirodev
