#pragma once

// The row walks of the dictionary loads: each runs one statement through the database object
// and hands every row, in the order the database returns them, to the caller while the row set
// is open. Database errors propagate; the row set is closed either way.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ridirodev {
class IDBObject;
class IDBRecordset;
}  // namespace ridirodev

namespace ridirodev::sql {

// Calls row(rs) at each row before moving on; a statement that returns nothing calls nothing.
void ForEachRow(IDBObject& db, const std::string& statement,
                const std::function<void(const IDBRecordset&)>& row);
// The entity's id, 0 when there is none.
int32_t LookupEntityId(IDBObject& db, std::string_view name);
// The enumerated values, field by field: field(id, values) with the (key, description) pairs in
// the database's order, also for a field without any. Nothing when either statement returns
// nothing or there are no values at all.
void ReadEnumValues(
    IDBObject& db,
    const std::function<void(int32_t, std::vector<std::pair<std::string, std::string>>&&)>& field);
// The data-file rows of the entity (under the extended views; else every data file, with its
// first and last available times, taken from the partition table when it has them).
void ForEachDataFileRow(IDBObject& db, bool extendedViews, int32_t entityId,
                        const std::function<void(const IDBRecordset&)>& row);

}  // namespace ridirodev::sql
