#pragma once

// Busy-hour definitions in PM_BusyHour, their day slots in PM_HourRange (one row per run of
// selected slots) and their PABH records in PM_PABH. Plain rows and records in and out: the
// model turns them into definitions and back, and remembers the answers about the schema.
//
// The insert and the update rows run inside the caller's transaction, the hour ranges included,
// so that any failure takes back the whole write. The other writes and the reads let errors
// reach the caller.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ridirodev/core/date.h"
#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/database.h"

namespace ridirodev {
class HostServices;
class IHourSelection;
}  // namespace ridirodev

namespace ridirodev::sql {

// One PM_BusyHour row. The columns from "Id" to "MaxRank" are required; the later ones are
// read each on its own, and are nullopt when absent or unreadable (older schemas lack some).
struct BusyHourRow {
  int32_t id = 0;
  std::string name, description, span;
  Date changed, firstNeeded, firstAvail, lastAvail;
  int32_t scenarioId = 0, lowRank = 0, highRank = 0;
  std::optional<bool> pabhDefined;  // a PABH record joined to the row
  std::optional<Variant> dailyRetention, weeklyRetention, monthlyRetention;
  std::optional<int32_t> userId, fieldId, clusterEntityId;
};

// The row of rs; a missing required column throws before anything is returned.
BusyHourRow ReadBusyHourRow(IDBObject& db, const IDBRecordset& rs);
// Calls onRow for each row of statement while its row set is open, so that what onRow reads
// runs in the walk. A missing row set reads nothing.
void ReadBusyHourRows(IDBObject& db, const std::string& statement,
                      const std::function<void(const BusyHourRow&)>& onRow);
enum class ByIdRead { kNoRowSet, kNoRow, kRead };
// The row of id, handed to onRow while its row set is open.
ByIdRead ReadBusyHourById(IDBObject& db, int32_t id, const std::function<void(const BusyHourRow&)>& onRow);
// The stored hour ranges of a definition as runs of day slots (at up to 24 slots a day the
// hours themselves): onOpen once the row set is there, then onRun for each range in id order.
// False, and nothing called, when no row set comes back.
bool ReadStoredHourRuns(IDBObject& db, int32_t ordBusyHour, int32_t daySlots,
                        const std::function<void()>& onOpen, const std::function<void(SlotRun)>& onRun);

// What a write stores of a definition.
struct BusyHourRecord {
  int32_t id = 0;
  std::string name, description, span;
  std::string busyHourType;  // a summation has no PABH record
  int32_t typeEntityId = 0, fieldId = 0, scenarioId = 0, lowRank = 0, highRank = 0;
  Date changed, firstNeeded;
  bool updateRequired = false, pabhDefined = false, retentionKnown = false;
  Variant dailyRetention, weeklyRetention, monthlyRetention;
  IHourSelectionPtr selectedHours;
};

// Inside the caller's begun transaction: stores the record under a new id with its PABH record
// and hour ranges, and answers the id.
int32_t InsertBusyHourRows(IDBObject& db, const BusyHourRecord& record, int32_t ordUser, int32_t daySlots,
                           bool retention);
// Inside the caller's begun transaction: rewrites the definition, and its hour ranges when
// hoursChanged.
void UpdateBusyHourRows(IDBObject& db, const BusyHourRecord& record, bool retention, bool hoursChanged);
// Removes the definition with its hour ranges and PABH record, in a transaction of its own.
void DeleteBusyHour(HostServices& services, int32_t ordBusyHour);
void UpdateBusyHourOwnerRecord(IDBObject& db, int32_t ordBusyHour, int32_t ordUser);

// A run of selected day slots as it is stored: the host's hours and seconds of the day, and the
// slots they stand for (the hours themselves up to 24 slots a day).
struct StoredHourRun {
  SlotRun hours;
  SlotRun seconds;
  SlotRun slots;
};
// The first run at or after slot start; hours.first is below 1 when none is left.
StoredHourRun NextStoredHourRun(IDBObject& db, const IHourSelection& selection, int32_t start);

// The spans of the entity's summations, joined with nothing between them.
std::string FindUsedSpans(IDBObject& db, int32_t ordClusterEntity);
// False when a busy hour of the entity has exactly that name, or when the look-up fails (traced).
bool IsBusyHourNameFree(HostServices& services, const std::string& sName, int32_t ordClusterEntity);
// Whether daily, weekly and monthly busy hours are active (traced); nullopt when asking failed.
std::optional<bool> QueryWeeklyMonthlyActive(HostServices& services);
// Whether PM_BusyHour has the retention columns; nullopt when asking failed (traced).
std::optional<bool> QueryRetentionColumns(HostServices& services);
// One entry per frequency in id order, keyed by tag; each entry holds "frequency_id",
// "Description" and "Tag".
std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> LoadFrequencies(IDBObject& db);

// Statement texts, built whole so that tests compare them.
std::string BusyHourByIdStatement(int32_t id);
std::string CategoryBusyHoursStatement(int32_t ordClusterEntity, bool retention);
std::string CategorySummationsStatement(int32_t ordClusterEntity);
std::string AllBusyHoursStatement();
std::string AllSummationsStatement();
// The busy hours (with a field) of the scenarios listed; sIds must be integers separated by
// commas, blanks allowed (error 5 otherwise, before any statement runs). All of them for "".
std::string ScenarioBusyHoursStatement(const std::string& sIds);
std::string HourRangesStatement(int32_t ordBusyHour);
std::string UsedSpansStatement(int32_t ordClusterEntity);
std::string BusyHourNameStatement(std::string_view sName, int32_t ordClusterEntity);
// The reports that use the busy hour.
std::string BusyHourReportsStatement(int32_t ordBusyHour);

}  // namespace ridirodev::sql
