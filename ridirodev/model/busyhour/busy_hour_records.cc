#include "ridirodev/model/busyhour/busy_hour_records.h"

#include <algorithm>
#include <optional>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "ridirodev/store/transaction.h"

namespace ridirodev {
namespace {

constexpr const char* kSource = "MSQL";

// What the store writes of bh. Every getter used here only reads members: building the record
// runs no statement.
sql::BusyHourRecord RecordOf(const CBusyHour& bh) {
  sql::BusyHourRecord record;
  record.id = bh.Id();
  record.name = bh.Name();
  record.description = bh.Description();
  record.span = bh.Span();
  record.busyHourType = bh.BusyHourType();
  record.typeEntityId = bh.TypeEntityId();
  record.fieldId = bh.FieldId();
  record.scenarioId = bh.BhScenarioId();
  record.lowRank = bh.LowRank();
  record.highRank = bh.HighRank();
  record.changed = bh.Changed();
  record.firstNeeded = bh.FirstNeeded();
  record.updateRequired = bh.UpdateRequired();
  record.pabhDefined = bh.PABH_Defined();
  record.retentionKnown = bh.RetentionKnown();
  record.dailyRetention = bh.DailyRetention();
  record.weeklyRetention = bh.WeeklyRetention();
  record.monthlyRetention = bh.MonthlyRetention();
  record.selectedHours = bh.SelectedHours();
  return record;
}

// Each row of statement as a new definition added to bhs, with its hours when asked; the hours
// are read while the row set is still open.
void LoadBusyHours(MRidirodev& state, const std::string& statement, CBusyHours& bhs, bool fLoadHours) {
  sql::ReadBusyHourRows(state.Database(), statement, [&](const sql::BusyHourRow& row) {
    auto bh = std::make_shared<CBusyHour>(state);
    bh->InitializeFromRow(state, row);
    if (fLoadHours) LoadHours(state, *bh);
    bhs.Add(bh);
  });
}

}  // namespace

bool InsertBusyHourRecord(MRidirodev& state, CBusyHour& bh) {
  return sql::SaveReported(state.Services(), "InsertBusyHourRecord", [&](sql::Transaction& transaction) {
    IDBObject& db = state.Database();
    const bool retention = RetentionColumnsExist(state);
    const IAppUserPtr user = state.FolderServices().CurrentUser();
    if (!user) throw AutomationError(ErrorNumber::kObjectNotSet, kSource, "No current user");
    transaction.Begin();
    const int32_t id =
        sql::InsertBusyHourRows(db, RecordOf(bh), user->Id(), state.Support().DaySlotCount(), retention);
    transaction.Commit();
    // The row is stored whatever the read-back does: the definition names it from now on.
    bh.SetId(id);
    LoadBusyHourById(state, bh, id, false);
  });
}

bool UpdateBusyHourRecord(MRidirodev& state, CBusyHour& bh) {
  return sql::SaveReported(state.Services(), "UpdateBusyHourRecord", [&](sql::Transaction& transaction) {
    IDBObject& db = state.Database();
    const bool retention = RetentionColumnsExist(state);
    transaction.Begin();
    sql::UpdateBusyHourRows(db, RecordOf(bh), retention, bh.StoredHoursChanged());
    transaction.Commit();
    bh.SetUpdateRequired(false);
    bh.NoteStoredHours();
  });
}

void LoadBusyHourById(MRidirodev& state, CBusyHour& bh, int32_t id, bool fLoadHours) {
  const sql::ByIdRead read = sql::ReadBusyHourById(state.Database(), id, [&](const sql::BusyHourRow& row) {
    bh.InitializeFromRow(state, row);
    if (fLoadHours) LoadHours(state, bh);
  });
  if (read == sql::ByIdRead::kNoRow) {
    state.Support().Log(2, "Ridirodev", kSource, "LoadBusyHourById", {"unable to load busy hour"});
  }
}

void LoadCategoryBusyHours(MRidirodev& state, CBusyHours& bhs, int32_t ordClusterEntity) {
  LoadBusyHours(state, sql::CategoryBusyHoursStatement(ordClusterEntity, RetentionColumnsExist(state)), bhs,
                true);
}

void LoadCategorySummations(MRidirodev& state, CBusyHours& bhs, int32_t ordClusterEntity) {
  LoadBusyHours(state, sql::CategorySummationsStatement(ordClusterEntity), bhs, true);
}

void LoadAllBusyHours(MRidirodev& state, CBusyHours& bhs, bool fLoadHours) {
  LoadBusyHours(state, sql::AllBusyHoursStatement(), bhs, fLoadHours);
}

void LoadAllSummations(MRidirodev& state, CBusyHours& bhs, bool fLoadHours) {
  LoadBusyHours(state, sql::AllSummationsStatement(), bhs, fLoadHours);
}

std::shared_ptr<CBusyHours> LoadScenarioBusyHours(MRidirodev& state, const std::string& sIds) {
  const std::string statement = sql::ScenarioBusyHoursStatement(sIds);
  auto bhs = std::make_shared<CBusyHours>();
  LoadBusyHours(state, statement, *bhs, false);
  return bhs;
}

void LoadHours(MRidirodev& state, CBusyHour& bh) {
  IDBObject& db = state.Database();
  const int32_t daySlots = state.Support().DaySlotCount();
  const IHourSelectionPtr& selection = bh.SelectedHours();
  const int32_t firstSlot = selection ? selection->FirstIndex() : 1;
  const int32_t lastSlot = selection ? firstSlot + selection->Count() - 1 : 0;
  const bool read = sql::ReadStoredHourRuns(
      db, bh.Id(), daySlots,
      [&] {
        for (int32_t slot = firstSlot; slot <= lastSlot; ++slot) selection->SetSelected(slot, false);
      },
      [&](SlotRun run) {
        // A stored run beyond the day's slots selects what of it the day has.
        if (selection) {
          run.first = std::max(run.first, firstSlot);
          run.last = std::min(run.last, lastSlot);
        }
        for (int32_t slot = run.first; slot <= run.last; ++slot) bh.SetSelected(slot, true);
      });
  if (read) bh.NoteStoredHours();
}

bool IsWeeklyMonthlyActive(MRidirodev& state) {
  std::optional<bool>& remembered = state.BusyHour().weeklyMonthly;
  if (remembered) return *remembered;
  const std::optional<bool> active = sql::QueryWeeklyMonthlyActive(state.Services());
  if (!active) return false;
  remembered = active;
  return *active;
}

bool RetentionColumnsExist(MRidirodev& state) {
  std::optional<bool>& remembered = state.BusyHour().retentionColumns;
  if (remembered) return *remembered;
  const std::optional<bool> exist = sql::QueryRetentionColumns(state.Services());
  if (!exist) return false;
  remembered = exist;
  return *exist;
}

}  // namespace ridirodev
