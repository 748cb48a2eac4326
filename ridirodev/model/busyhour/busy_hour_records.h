#pragma once

// Busy-hour definitions read from and written to the store, and the answers about the schema
// that the state remembers (MBusyHour).
//
// The insert and the update run in one transaction of the XML query service, the hour ranges
// included: on any failure the transaction is rolled back, the error goes to the host's error
// reporter once, and they answer false. The loads let errors reach the caller.

#include <cstdint>
#include <memory>
#include <string>

namespace ridirodev {

class CBusyHour;
class CBusyHours;
class MRidirodev;

// Stores bh under a new id, then reads it back (id, change date and availability from the row).
bool InsertBusyHourRecord(MRidirodev& state, CBusyHour& bh);
// Rewrites the definition and its hour ranges; UpdateRequired is cleared after the commit.
bool UpdateBusyHourRecord(MRidirodev& state, CBusyHour& bh);

// Reads the definition of id into bh (its hours too when fLoadHours); a missing row leaves bh as
// it was and is logged.
void LoadBusyHourById(MRidirodev& state, CBusyHour& bh, int32_t id, bool fLoadHours);
void LoadCategoryBusyHours(MRidirodev& state, CBusyHours& bhs, int32_t ordClusterEntity);
void LoadCategorySummations(MRidirodev& state, CBusyHours& bhs, int32_t ordClusterEntity);
void LoadAllBusyHours(MRidirodev& state, CBusyHours& bhs, bool fLoadHours);
void LoadAllSummations(MRidirodev& state, CBusyHours& bhs, bool fLoadHours);
// The busy hours (with a field) of the scenarios listed; sIds must be integers separated by
// commas, blanks allowed (error 5 otherwise, before any statement runs).
std::shared_ptr<CBusyHours> LoadScenarioBusyHours(MRidirodev& state, const std::string& sIds);
// Selects the slots of bh's stored hour ranges, and nothing else.
void LoadHours(MRidirodev& state, CBusyHour& bh);

// Asked once and remembered; a failure answers false and is asked again next time.
bool IsWeeklyMonthlyActive(MRidirodev& state);
// Asked once and remembered; a failure answers false and is asked again next time.
bool RetentionColumnsExist(MRidirodev& state);

}  // namespace ridirodev
