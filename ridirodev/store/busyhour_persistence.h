#pragma once

// Busy-hour definitions in PM_BusyHour, their day slots in PM_HourRange (one row per run of
// selected slots) and their PABH records in PM_PABH.
//
// The insert and the update run in one transaction of the XML query service, the hour ranges
// included: on any failure the transaction is rolled back, the error goes to the host's error
// reporter once, and they answer false. The other writes and the loads let errors reach the
// caller.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/host/database.h"

namespace ridirodev {
class CBusyHour;
class CBusyHours;
class IHourSelection;
}  // namespace ridirodev

namespace ridirodev::sql {

// Stores bh under a new id, then reads it back (id, change date and availability from the row).
bool InsertBusyHourRecord(CBusyHour& bh);
// Rewrites the definition and its hour ranges; UpdateRequired is cleared after the commit.
bool UpdateBusyHourRecord(CBusyHour& bh);
// Removes the definition with its hour ranges and PABH record, in one transaction.
void DeleteBusyHour(int32_t ordBusyHour);
void UpdateBusyHourOwnerRecord(int32_t ordBusyHour, int32_t ordUser);

// Reads the definition of id into bh (its hours too when fLoadHours); a missing row leaves bh as
// it was and is logged.
void LoadBusyHourById(CBusyHour& bh, int32_t id, bool fLoadHours);
void LoadCategoryBusyHours(CBusyHours& bhs, int32_t ordClusterEntity);
void LoadCategorySummations(CBusyHours& bhs, int32_t ordClusterEntity);
void LoadAllBusyHours(CBusyHours& bhs, bool fLoadHours);
void LoadAllSummations(CBusyHours& bhs, bool fLoadHours);
// The busy hours (with a field) of the scenarios listed; sIds must be integers separated by
// commas, blanks allowed (error 5 otherwise, before any statement runs).
std::shared_ptr<CBusyHours> LoadScenarioBusyHours(const std::string& sIds);
// Selects the slots of bh's stored hour ranges, and nothing else.
void LoadHours(CBusyHour& bh);

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
std::string FindUsedSpans(int32_t ordClusterEntity);
// False when a busy hour of the entity has exactly that name, or when the look-up fails.
bool IsBusyHourNameFree(const std::string& sName, int32_t ordClusterEntity);
// Asked once and remembered; a failure answers what is held and is asked again next time.
bool IsWeeklyMonthlyActive();
// Asked once and remembered; a failure answers false and is asked again next time.
bool RetentionColumnsExist();
// One entry per frequency in id order, keyed by tag; each entry holds "frequency_id",
// "Description" and "Tag".
std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> LoadFrequencies();

// Statement texts, built whole so that tests compare them.
std::string BusyHourByIdStatement(int32_t id);
std::string CategoryBusyHoursStatement(int32_t ordClusterEntity, bool retention);
std::string CategorySummationsStatement(int32_t ordClusterEntity);
std::string AllBusyHoursStatement();
std::string AllSummationsStatement();
std::string HourRangesStatement(int32_t ordBusyHour);
std::string UsedSpansStatement(int32_t ordClusterEntity);
std::string BusyHourNameStatement(std::string_view sName, int32_t ordClusterEntity);
// The reports that use the busy hour.
std::string BusyHourReportsStatement(int32_t ordBusyHour);

}  // namespace ridirodev::sql
