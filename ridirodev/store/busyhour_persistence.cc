#include "ridirodev/store/busyhour_persistence.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"
#include "ridirodev/store/transaction.h"

namespace ridirodev::sql {
namespace {

constexpr const char* kSource = "MSQL";
constexpr int32_t kTraceLevel = 10;
// Up to this many day slots a slot is an hour and the stored hours are the slots.
constexpr int32_t kHourSlots = 24;

std::string Decimal(int32_t n) { return std::to_string(n); }

[[noreturn]] void ObjectNotSet(const char* what) {
  throw AutomationError(ErrorNumber::kObjectNotSet, kSource, std::string("No ") + what);
}

void TraceIfEnabled(const std::string& text) {
  IAppMessages& messages = MRidirodev::Current().Messages();
  if (messages.TraceEnabled()) messages.Trace(text, kTraceLevel);
}

const char* BooleanText(bool f) { return f ? "True" : "False"; }

// Stored seconds may be null, or even the text NULL: both mean the run has no seconds, which
// the slot conversion takes as "use the hours".
int32_t StoredSeconds(IDBObject& db, const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return -1;
  if (value.IsString() && EqualsNoCase(TrimBlanks(value.StringRef()), "NULL")) return -1;
  return db.FieldNumber(value);
}

std::string InsertStatement(IDBObject& db, const CBusyHour& bh, int32_t id, int32_t ordUser, int32_t daySlots,
                            bool retention) {
  std::vector<Variant> values{id,
                              ordUser,
                              bh.Name(),
                              db.NowLiteral(),
                              db.IdLiteral(bh.TypeEntityId()),
                              db.IdLiteral(bh.FieldId()),
                              bh.Description(),
                              db.DateLiteral(bh.FirstNeeded()),
                              bh.Span(),
                              bh.LowRank(),
                              bh.HighRank(),
                              daySlots,
                              db.IdLiteral(bh.BhScenarioId())};
  std::string columns = std::string("INSERT INTO PM_BusyHour (") + "Id, UserId, Name, Changed," +
                        "Cluster_Entity_Id, Field_Id, Description,";
  if (retention) {
    values.insert(values.end(), {bh.DailyRetention(), bh.WeeklyRetention(), bh.MonthlyRetention()});
    columns += std::string("FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id, ") +
               "Daily_Retention, Weekly_Retention, Monthly_Retention ";
  } else {
    columns += "FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id ";
  }
  return columns + " ) Values ( " + db.ValueListText(values) + ")";
}

std::string UpdateStatement(IDBObject& db, const CBusyHour& bh, bool retention) {
  std::vector<Variant> assignments{"Name",        bh.Name(),
                                   "Field_Id",    db.IdLiteral(bh.FieldId()),
                                   "Description", bh.Description(),
                                   "Changed",     db.DateLiteral(bh.Changed()),
                                   "FirstNeeded", db.DateLiteral(bh.FirstNeeded()),
                                   "Span",        bh.Span()};
  // Changed hours or ranks make the stored results void: the server computes them again.
  if (bh.UpdateRequired()) {
    assignments.insert(assignments.end(), {"FirstAvail", db.DateLiteral(Date::Zero()), "LastAvail",
                                           db.DateLiteral(Date::Zero())});
  }
  assignments.insert(assignments.end(), {"MinRank", bh.LowRank(), "MaxRank", bh.HighRank(), "Scenario_Id",
                                         db.IdLiteral(bh.BhScenarioId())});
  // Values never read stay as stored: writing them would put nulls over the user's retention.
  if (retention && bh.RetentionKnown()) {
    assignments.insert(assignments.end(), {"Daily_Retention", bh.DailyRetention(), "Weekly_Retention",
                                           bh.WeeklyRetention(), "Monthly_Retention", bh.MonthlyRetention()});
  }
  return "UPDATE PM_BusyHour SET " + db.AssignmentListText(assignments) + " WHERE Id = " + Decimal(bh.Id());
}

// A PABH record is kept once made: it is written for a busy hour that asks for one and has none.
bool PABHRowNeeded(IDBObject& db, const CBusyHour& bh, int32_t ordBusyHour) {
  if (bh.BusyHourType().find("Summation") != std::string::npos || !bh.PABH_Defined()) return false;
  ClosingRecordset rs(
      db.OpenRecordset("SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= " + Decimal(ordBusyHour)));
  if (!rs || rs->Eof()) return false;
  const bool needed = db.FieldNumber(rs->Fields().Value("BH_COUNT")) == 0;
  rs.Close();
  return needed;
}

void SavePABHRow(IDBObject& db, const CBusyHour& bh, int32_t ordBusyHour) {
  if (PABHRowNeeded(db, bh, ordBusyHour)) {
    db.Execute(std::string("INSERT INTO PM_PABH (") + "Id " + " ) Values ( " + Decimal(ordBusyHour) + ")");
  }
}

// One PM_HourRange row per run of selected slots. Failures go to the caller, whose
// transaction then takes the definition back with its ranges.
void SaveHourRanges(IDBObject& db, int32_t ordBusyHour, const IHourSelectionPtr& selection) {
  if (!selection) ObjectNotSet("hour selection");
  for (int32_t start = 1;;) {
    const StoredHourRun run = NextStoredHourRun(db, *selection, start);
    if (run.hours.first < 1) break;
    // A run that does not move on would be written for ever.
    if (run.slots.first < start || run.slots.last < run.slots.first) {
      throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                            "The day slot run from " + Decimal(start) + " is " + Decimal(run.slots.first) +
                                " to " + Decimal(run.slots.last));
    }
    db.Execute(std::string("INSERT INTO PM_HourRange (") +
               "Id, BusyHourId, FirstHour, LastHour, FirstSeconds, LastSeconds" + ") VALUES (" +
               db.ValueListText({db.SequenceLiteral("SQ_HourRange"), ordBusyHour, run.hours.first,
                                 run.hours.last, run.seconds.first, run.seconds.last}) +
               ")");
    start = run.slots.last + 1;
  }
}

// Each row of sql as a new definition added to bhs, with its hours when asked.
void LoadBusyHours(const std::string& sql, CBusyHours& bhs, bool fLoadHours) {
  ClosingRecordset rs(MRidirodev::Current().Database().OpenRecordset(sql));
  if (!rs) return;
  for (; !rs->Eof(); rs->MoveNext()) {
    auto bh = std::make_shared<CBusyHour>();
    bh->InitializeFromRS(*rs);
    if (fLoadHours) LoadHours(*bh);
    bhs.Add(bh);
  }
  rs.Close();
}

std::string ScenarioBusyHoursStatement(const std::string& sIds) {
  if (sIds.empty()) return AllBusyHoursStatement();
  ValidIdList(sIds);  // error 5 before anything runs; a valid list goes in as given
  return AllBusyHoursStatement() + " AND b.scenario_id in ( " + sIds + " )";
}

}  // namespace

std::string BusyHourByIdStatement(int32_t id) {
  return std::string("SELECT * FROM PM_BusyHour ") + "WHERE Id = " + Decimal(id);
}

std::string CategoryBusyHoursStatement(int32_t ordClusterEntity, bool retention) {
  std::string text = std::string("SELECT b.Id, p.Id PABH_ID, p.FirstAvail PABH_FirstAvail, ") +
                     "p.LastAvail PABH_LastAvail, b.UserId, b.Name, b.Changed, " +
                     "b.Cluster_Entity_Id, b.Field_Id, d.Name Field_Name, " +
                     "b.Description, b.FirstNeeded, b.Span , b.MinRank, b.MaxRank, " +
                     "b.FirstAvail, b.LastAvail, b.scenario_id ";
  if (retention) text += ",b.Daily_Retention, b.Weekly_Retention, b.Monthly_Retention ";
  return text + "FROM PM_BusyHour b, tqd_dict_name d ,PM_PABH p " + "WHERE b.Field_Id  IS NOT NULL AND " +
         "b.Cluster_Entity_Id =" + Decimal(ordClusterEntity) + " AND " + "d.Field_Id = b.Field_Id AND " +
         "(p.ID (+) = b.ID)";
}

std::string CategorySummationsStatement(int32_t ordClusterEntity) {
  return std::string("SELECT * FROM PM_BusyHour b WHERE ") + "Field_Id IS NULL " + " AND " +
         "Cluster_Entity_Id =" + Decimal(ordClusterEntity);
}

std::string AllBusyHoursStatement() {
  return std::string("Select b.* ") + "FROM PM_BusyHour b, tqd_dict_name d " +
         "WHERE (b.Field_Id  IS NOT NULL AND d.Field_Id = b.Field_Id) ";
}

std::string AllSummationsStatement() {
  return std::string("SELECT * FROM PM_BusyHour WHERE ") + "Field_Id IS NULL";
}

std::string HourRangesStatement(int32_t ordBusyHour) {
  return std::string("SELECT * FROM PM_HourRange ") + "WHERE BusyHourId = " + Decimal(ordBusyHour) +
         " ORDER BY Id";
}

std::string UsedSpansStatement(int32_t ordClusterEntity) {
  return "Select span From PM_BusyHour where Field_Id IS NULL and Cluster_Entity_Id = " +
         Decimal(ordClusterEntity);
}

std::string BusyHourNameStatement(std::string_view sName, int32_t ordClusterEntity) {
  return std::string("SELECT id FROM pm_busyhour") +
         "    WHERE cluster_entity_id = " + Decimal(ordClusterEntity) + "    AND name = '" +
         DoubleQuotes(sName) + "'";
}

std::string BusyHourReportsStatement(int32_t ordBusyHour) {
  return std::string("SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec ") +
         "WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND " + "BusyHourId =" + Decimal(ordBusyHour);
}

bool InsertBusyHourRecord(CBusyHour& bh) {
  MRidirodev& state = MRidirodev::Current();
  return SaveReported(state.Services(), "InsertBusyHourRecord", [&](Transaction& transaction) {
    IDBObject& db = state.Database();
    const bool retention = RetentionColumnsExist();
    const IAppUserPtr user = state.FolderServices().CurrentUser();
    if (!user) ObjectNotSet("current user");
    transaction.Begin();
    const int32_t id = db.NextSequenceNumber("SQ_BusyHour");
    db.Execute(InsertStatement(db, bh, id, user->Id(), state.Support().DaySlotCount(), retention));
    SavePABHRow(db, bh, id);
    SaveHourRanges(db, id, bh.SelectedHours());
    transaction.Commit();
    // The row is stored whatever the read-back does: the definition names it from now on.
    bh.SetId(id);
    LoadBusyHourById(bh, id, false);
  });
}

bool UpdateBusyHourRecord(CBusyHour& bh) {
  MRidirodev& state = MRidirodev::Current();
  return SaveReported(state.Services(), "UpdateBusyHourRecord", [&](Transaction& transaction) {
    IDBObject& db = state.Database();
    const bool retention = RetentionColumnsExist();
    transaction.Begin();
    db.Execute(UpdateStatement(db, bh, retention));
    SavePABHRow(db, bh, bh.Id());
    // Ranges stand for clock times: while the slots are those read, the stored ranges stay, so
    // that a definition read at a coarser day-slot setting is not rounded to it.
    if (bh.StoredHoursChanged()) {
      db.Execute("DELETE FROM PM_HourRange WHERE BusyHourId = " + Decimal(bh.Id()));
      SaveHourRanges(db, bh.Id(), bh.SelectedHours());
    }
    transaction.Commit();
    bh.SetUpdateRequired(false);
    bh.NoteStoredHours();
  });
}

void DeleteBusyHour(int32_t ordBusyHour) {
  MRidirodev& state = MRidirodev::Current();
  IDBObject& db = state.Database();
  Transaction transaction(state.XmlQueryService());
  try {
    transaction.Begin();
    // Ranges and the PABH record belong to the definition alone; left behind they would be
    // taken by whatever later gets the id.
    db.Execute("DELETE FROM PM_HourRange WHERE BusyHourId = " + Decimal(ordBusyHour));
    db.Execute("DELETE FROM PM_PABH WHERE ID = " + Decimal(ordBusyHour));
    db.Execute("DELETE FROM PM_BusyHour WHERE Id = " + Decimal(ordBusyHour));
    transaction.Commit();
  } catch (...) {
    transaction.RollbackIfOpen();
    throw;
  }
}

void UpdateBusyHourOwnerRecord(int32_t ordBusyHour, int32_t ordUser) {
  IDBObject& db = MRidirodev::Current().Database();
  db.Execute("UPDATE PM_BusyHour SET " + db.AssignmentListText({"UserId", ordUser}) +
             " WHERE Id = " + Decimal(ordBusyHour));
}

void LoadBusyHourById(CBusyHour& bh, int32_t id, bool fLoadHours) {
  MRidirodev& state = MRidirodev::Current();
  ClosingRecordset rs(state.Database().OpenRecordset(BusyHourByIdStatement(id)));
  if (!rs) return;
  if (rs->Eof()) {
    rs.Close();
    state.Support().Log(2, "Ridirodev", kSource, "LoadBusyHourById", {"unable to load busy hour"});
    return;
  }
  bh.InitializeFromRS(*rs);
  if (fLoadHours) LoadHours(bh);
  rs.Close();
}

void LoadCategoryBusyHours(CBusyHours& bhs, int32_t ordClusterEntity) {
  LoadBusyHours(CategoryBusyHoursStatement(ordClusterEntity, RetentionColumnsExist()), bhs, true);
}

void LoadCategorySummations(CBusyHours& bhs, int32_t ordClusterEntity) {
  LoadBusyHours(CategorySummationsStatement(ordClusterEntity), bhs, true);
}

void LoadAllBusyHours(CBusyHours& bhs, bool fLoadHours) {
  LoadBusyHours(AllBusyHoursStatement(), bhs, fLoadHours);
}

void LoadAllSummations(CBusyHours& bhs, bool fLoadHours) {
  LoadBusyHours(AllSummationsStatement(), bhs, fLoadHours);
}

std::shared_ptr<CBusyHours> LoadScenarioBusyHours(const std::string& sIds) {
  const std::string sql = ScenarioBusyHoursStatement(sIds);
  auto bhs = std::make_shared<CBusyHours>();
  LoadBusyHours(sql, *bhs, false);
  return bhs;
}

void LoadHours(CBusyHour& bh) {
  MRidirodev& state = MRidirodev::Current();
  IDBObject& db = state.Database();
  ClosingRecordset rs(db.OpenRecordset(HourRangesStatement(bh.Id())));
  if (!rs) return;
  const int32_t daySlots = state.Support().DaySlotCount();
  const IHourSelectionPtr& selection = bh.SelectedHours();
  const int32_t firstSlot = selection ? selection->FirstIndex() : 1;
  const int32_t lastSlot = selection ? firstSlot + selection->Count() - 1 : 0;
  for (int32_t slot = firstSlot; slot <= lastSlot; ++slot) selection->SetSelected(slot, false);
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& row = rs->Fields();
    const int32_t firstHour = db.FieldNumber(row.Value("FirstHour"));
    const int32_t lastHour = db.FieldNumber(row.Value("LastHour"));
    const int32_t firstSeconds = StoredSeconds(db, row.Value("FirstSeconds"));
    const int32_t lastSeconds = StoredSeconds(db, row.Value("LastSeconds"));
    SlotRun run{firstHour, lastHour};
    if (daySlots > kHourSlots) run = db.SlotRunFromHours(firstHour, lastHour, firstSeconds, lastSeconds);
    // A stored run beyond the day's slots selects what of it the day has.
    if (selection) {
      run.first = std::max(run.first, firstSlot);
      run.last = std::min(run.last, lastSlot);
    }
    for (int32_t slot = run.first; slot <= run.last; ++slot) bh.SetSelected(slot, true);
  }
  rs.Close();
  bh.NoteStoredHours();
}

StoredHourRun NextStoredHourRun(IDBObject& db, const IHourSelection& selection, int32_t start) {
  StoredHourRun run{db.NextHourRun(start, selection, true), {}, {}};
  if (run.hours.first < 1) return run;
  run.seconds = db.NextSecondRun(start, selection, true);
  run.slots = selection.Count() > kHourSlots
                  ? db.SlotRunFromHours(run.hours.first, run.hours.last, run.seconds.first, run.seconds.last)
                  : run.hours;
  return run;
}

std::string FindUsedSpans(int32_t ordClusterEntity) {
  IDBObject& db = MRidirodev::Current().Database();
  ClosingRecordset rs(db.OpenRecordset(UsedSpansStatement(ordClusterEntity)));
  std::string spans;
  if (!rs) return spans;
  for (; !rs->Eof(); rs->MoveNext()) spans += db.FieldText(rs->Fields().Value("Span"));
  rs.Close();
  return spans;
}

bool IsBusyHourNameFree(const std::string& sName, int32_t ordClusterEntity) {
  try {
    ClosingRecordset rs(
        MRidirodev::Current().Database().OpenRecordset(BusyHourNameStatement(sName, ordClusterEntity)));
    if (!rs) return false;
    const bool free = rs->RecordCount() < 1;
    rs.Close();
    return free;
  } catch (...) {
    TraceIfEnabled("IsBusyHourNameValid error: " + CurrentError().Description());
    return false;
  }
}

bool IsWeeklyMonthlyActive() {
  MRidirodev& state = MRidirodev::Current();
  std::optional<bool>& remembered = state.BusyHour().weeklyMonthly;
  if (remembered) return *remembered;
  try {
    IDBObject& db = state.Database();
    ClosingRecordset rs(
        db.OpenRecordset("SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'"));
    bool active = false;
    if (rs) {
      active = rs->RecordCount() > 0 && db.FieldNumber(rs->Fields().Value("Value")) != 0;
      rs.Close();
    }
    state.Messages().Trace(std::string("IsDWMBusyHoursSupported ") + BooleanText(active), kTraceLevel);
    remembered = active;
    return active;
  } catch (...) {
    TraceIfEnabled("IsDWMBusyHoursSupported error: " + CurrentErrorText(state.Services()));
    return false;
  }
}

bool RetentionColumnsExist() {
  MRidirodev& state = MRidirodev::Current();
  std::optional<bool>& remembered = state.BusyHour().retentionColumns;
  if (remembered) return *remembered;
  try {
    remembered = state.Database().ColumnExists("PM_BUSYHOUR", "DAILY_RETENTION");
    return *remembered;
  } catch (...) {
    TraceIfEnabled("IsXBusyHoursSupported error: " + CurrentErrorText(state.Services()));
    return false;
  }
}

std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> LoadFrequencies() {
  IDBObject& db = MRidirodev::Current().Database();
  auto frequencies = std::make_shared<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>>();
  ClosingRecordset rs(
      db.OpenRecordset("SELECT frequency_id, description, tag FROM tq_frequency ORDER BY frequency_id"));
  if (!rs) return frequencies;
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& row = rs->Fields();
    auto entry = std::make_shared<KeyedCollection<Variant>>();
    const std::string tag = db.FieldText(row.Value("Tag"));
    entry->Add(Variant(db.FieldNumber(row.Value("FREQUENCY_ID"))), "frequency_id");
    entry->Add(Variant(db.FieldText(row.Value("Description"))), "Description");
    entry->Add(Variant(tag), "Tag");
    frequencies->Add(std::move(entry), tag);
  }
  rs.Close();
  return frequencies;
}

}  // namespace ridirodev::sql
