#include "ridirodev/store/busyhour_persistence.h"

#include <functional>
#include <optional>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/host_services.h"
#include "ridirodev/host/services.h"
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

void TraceIfEnabled(HostServices& services, const std::string& text) {
  IAppMessages& messages = services.Messages();
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

std::string InsertStatement(IDBObject& db, const BusyHourRecord& bh, int32_t id, int32_t ordUser,
                            int32_t daySlots, bool retention) {
  std::vector<Variant> values{id,
                              ordUser,
                              bh.name,
                              db.NowLiteral(),
                              db.IdLiteral(bh.typeEntityId),
                              db.IdLiteral(bh.fieldId),
                              bh.description,
                              db.DateLiteral(bh.firstNeeded),
                              bh.span,
                              bh.lowRank,
                              bh.highRank,
                              daySlots,
                              db.IdLiteral(bh.scenarioId)};
  std::string columns = std::string("INSERT INTO PM_BusyHour (") + "Id, UserId, Name, Changed," +
                        "Cluster_Entity_Id, Field_Id, Description,";
  if (retention) {
    values.insert(values.end(), {bh.dailyRetention, bh.weeklyRetention, bh.monthlyRetention});
    columns += std::string("FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id, ") +
               "Daily_Retention, Weekly_Retention, Monthly_Retention ";
  } else {
    columns += "FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id ";
  }
  return columns + " ) Values ( " + db.ValueListText(values) + ")";
}

std::string UpdateStatement(IDBObject& db, const BusyHourRecord& bh, bool retention) {
  std::vector<Variant> assignments{"Name",        bh.name,
                                   "Field_Id",    db.IdLiteral(bh.fieldId),
                                   "Description", bh.description,
                                   "Changed",     db.DateLiteral(bh.changed),
                                   "FirstNeeded", db.DateLiteral(bh.firstNeeded),
                                   "Span",        bh.span};
  // Changed hours or ranks make the stored results void: the server computes them again.
  if (bh.updateRequired) {
    assignments.insert(assignments.end(), {"FirstAvail", db.DateLiteral(Date::Zero()), "LastAvail",
                                           db.DateLiteral(Date::Zero())});
  }
  assignments.insert(assignments.end(), {"MinRank", bh.lowRank, "MaxRank", bh.highRank, "Scenario_Id",
                                         db.IdLiteral(bh.scenarioId)});
  // Values never read stay as stored: writing them would put nulls over the user's retention.
  if (retention && bh.retentionKnown) {
    assignments.insert(assignments.end(), {"Daily_Retention", bh.dailyRetention, "Weekly_Retention",
                                           bh.weeklyRetention, "Monthly_Retention", bh.monthlyRetention});
  }
  return "UPDATE PM_BusyHour SET " + db.AssignmentListText(assignments) + " WHERE Id = " + Decimal(bh.id);
}

// A PABH record is kept once made: it is written for a busy hour that asks for one and has none.
bool PABHRowNeeded(IDBObject& db, const BusyHourRecord& bh, int32_t ordBusyHour) {
  if (bh.busyHourType.find("Summation") != std::string::npos || !bh.pabhDefined) return false;
  ClosingRecordset rs(
      db.OpenRecordset("SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= " + Decimal(ordBusyHour)));
  if (!rs || rs->Eof()) return false;
  const bool needed = db.FieldNumber(rs->Fields().Value("BH_COUNT")) == 0;
  rs.Close();
  return needed;
}

void SavePABHRow(IDBObject& db, const BusyHourRecord& bh, int32_t ordBusyHour) {
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

// Columns older schemas lack: each is read on its own so that one missing column does not
// keep the others from being read.
template <class T, class Read>
void ReadOptional(std::optional<T>& value, Read read) {
  try {
    value = read();
  } catch (const AutomationError&) {
  }
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

std::string ScenarioBusyHoursStatement(const std::string& sIds) {
  if (sIds.empty()) return AllBusyHoursStatement();
  ValidIdList(sIds);  // error 5 before anything runs; a valid list goes in as given
  return AllBusyHoursStatement() + " AND b.scenario_id in ( " + sIds + " )";
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

BusyHourRow ReadBusyHourRow(IDBObject& db, const IDBRecordset& rs) {
  const IDBFields& f = rs.Fields();
  BusyHourRow row;
  row.id = db.FieldNumber(f.Value("Id"));
  row.name = db.FieldText(f.Value("Name"));
  row.description = db.FieldText(f.Value("Description"));
  row.span = db.FieldText(f.Value("Span"));
  row.changed = db.FieldDate(f.Value("Changed"));
  row.firstNeeded = db.FieldDate(f.Value("FirstNeeded"));
  row.firstAvail = db.FieldDate(f.Value("FirstAvail"));
  row.lastAvail = db.FieldDate(f.Value("LastAvail"));
  row.scenarioId = db.FieldNumber(f.Value("Scenario_Id"));
  row.lowRank = db.FieldNumberOr(f.Value("MinRank"), 0);
  row.highRank = db.FieldNumberOr(f.Value("MaxRank"), 0);
  ReadOptional(row.pabhDefined, [&] { return !f.Value("PABH_ID").IsNull(); });
  ReadOptional(row.dailyRetention, [&] { return f.Value("DAILY_RETENTION"); });
  ReadOptional(row.weeklyRetention, [&] { return f.Value("WEEKLY_RETENTION"); });
  ReadOptional(row.monthlyRetention, [&] { return f.Value("MONTHLY_RETENTION"); });
  ReadOptional(row.userId, [&] { return db.FieldNumber(f.Value("UserId")); });
  ReadOptional(row.fieldId, [&] { return db.FieldNumber(f.Value("Field_Id")); });
  ReadOptional(row.clusterEntityId, [&] { return db.FieldNumber(f.Value("Cluster_Entity_Id")); });
  return row;
}

void ReadBusyHourRows(IDBObject& db, const std::string& statement,
                      const std::function<void(const BusyHourRow&)>& onRow) {
  ClosingRecordset rs(db.OpenRecordset(statement));
  if (!rs) return;
  for (; !rs->Eof(); rs->MoveNext()) onRow(ReadBusyHourRow(db, *rs));
  rs.Close();
}

ByIdRead ReadBusyHourById(IDBObject& db, int32_t id, const std::function<void(const BusyHourRow&)>& onRow) {
  ClosingRecordset rs(db.OpenRecordset(BusyHourByIdStatement(id)));
  if (!rs) return ByIdRead::kNoRowSet;
  if (rs->Eof()) {
    rs.Close();
    return ByIdRead::kNoRow;
  }
  onRow(ReadBusyHourRow(db, *rs));
  rs.Close();
  return ByIdRead::kRead;
}

bool ReadStoredHourRuns(IDBObject& db, int32_t ordBusyHour, int32_t daySlots,
                        const std::function<void()>& onOpen, const std::function<void(SlotRun)>& onRun) {
  ClosingRecordset rs(db.OpenRecordset(HourRangesStatement(ordBusyHour)));
  if (!rs) return false;
  onOpen();
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& row = rs->Fields();
    const int32_t firstHour = db.FieldNumber(row.Value("FirstHour"));
    const int32_t lastHour = db.FieldNumber(row.Value("LastHour"));
    const int32_t firstSeconds = StoredSeconds(db, row.Value("FirstSeconds"));
    const int32_t lastSeconds = StoredSeconds(db, row.Value("LastSeconds"));
    SlotRun run{firstHour, lastHour};
    if (daySlots > kHourSlots) run = db.SlotRunFromHours(firstHour, lastHour, firstSeconds, lastSeconds);
    onRun(run);
  }
  rs.Close();
  return true;
}

int32_t InsertBusyHourRows(IDBObject& db, const BusyHourRecord& record, int32_t ordUser, int32_t daySlots,
                           bool retention) {
  const int32_t id = db.NextSequenceNumber("SQ_BusyHour");
  db.Execute(InsertStatement(db, record, id, ordUser, daySlots, retention));
  SavePABHRow(db, record, id);
  SaveHourRanges(db, id, record.selectedHours);
  return id;
}

void UpdateBusyHourRows(IDBObject& db, const BusyHourRecord& record, bool retention, bool hoursChanged) {
  db.Execute(UpdateStatement(db, record, retention));
  SavePABHRow(db, record, record.id);
  // Ranges stand for clock times: while the slots are those read, the stored ranges stay, so
  // that a definition read at a coarser day-slot setting is not rounded to it.
  if (hoursChanged) {
    db.Execute("DELETE FROM PM_HourRange WHERE BusyHourId = " + Decimal(record.id));
    SaveHourRanges(db, record.id, record.selectedHours);
  }
}

void DeleteBusyHour(HostServices& services, int32_t ordBusyHour) {
  IDBObject& db = services.Database();
  Transaction transaction(services.XmlQueryService());
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

void UpdateBusyHourOwnerRecord(IDBObject& db, int32_t ordBusyHour, int32_t ordUser) {
  db.Execute("UPDATE PM_BusyHour SET " + db.AssignmentListText({"UserId", ordUser}) +
             " WHERE Id = " + Decimal(ordBusyHour));
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

std::string FindUsedSpans(IDBObject& db, int32_t ordClusterEntity) {
  ClosingRecordset rs(db.OpenRecordset(UsedSpansStatement(ordClusterEntity)));
  std::string spans;
  if (!rs) return spans;
  for (; !rs->Eof(); rs->MoveNext()) spans += db.FieldText(rs->Fields().Value("Span"));
  rs.Close();
  return spans;
}

bool IsBusyHourNameFree(HostServices& services, const std::string& sName, int32_t ordClusterEntity) {
  try {
    ClosingRecordset rs(services.Database().OpenRecordset(BusyHourNameStatement(sName, ordClusterEntity)));
    if (!rs) return false;
    const bool free = rs->RecordCount() < 1;
    rs.Close();
    return free;
  } catch (...) {
    TraceIfEnabled(services, "IsBusyHourNameValid error: " + CurrentError().Description());
    return false;
  }
}

std::optional<bool> QueryWeeklyMonthlyActive(HostServices& services) {
  try {
    IDBObject& db = services.Database();
    ClosingRecordset rs(
        db.OpenRecordset("SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'"));
    bool active = false;
    if (rs) {
      active = rs->RecordCount() > 0 && db.FieldNumber(rs->Fields().Value("Value")) != 0;
      rs.Close();
    }
    services.Messages().Trace(std::string("IsDWMBusyHoursSupported ") + BooleanText(active), kTraceLevel);
    return active;
  } catch (...) {
    TraceIfEnabled(services, "IsDWMBusyHoursSupported error: " + CurrentErrorText(services));
    return std::nullopt;
  }
}

std::optional<bool> QueryRetentionColumns(HostServices& services) {
  try {
    return services.Database().ColumnExists("PM_BUSYHOUR", "DAILY_RETENTION");
  } catch (...) {
    TraceIfEnabled(services, "IsXBusyHoursSupported error: " + CurrentErrorText(services));
    return std::nullopt;
  }
}

std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> LoadFrequencies(IDBObject& db) {
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
