#pragma once

// The dictionary database of the standalone host: the tables and views that the component's
// statements read and write, laid out so that writes round-trip. A field is one row of
// tqd_Dict_Field (typing, aggregation, owner, status) plus its namespace-0 row of tqd_Dict_Name
// (entity, name, headings, description); a calculation adds a TQD_UDC_DEF row. The view
// tqd_Datasource_Field joins the three, so a rename in tqd_Dict_Name shows on the next load.
// Text columns are declared VARCHAR2(n) because the database object measures input limits
// from the declared type; dates are DATE columns holding 'YYYY-MM-DD HH:MM:SS' text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_database.h"

struct sqlite3;

namespace ridirodev::standalone {

// Kept in ridirodev_meta under 'schema_version'; raised whenever a table or view changes.
inline constexpr int32_t kDictionarySchemaVersion = 2;

// Names of the sequences kept in ridirodev_sequence (SQLite has no sequences).
inline constexpr std::string_view kBusyHourSequence = "SQ_BusyHour";
inline constexpr std::string_view kHourRangeSequence = "SQ_HourRange";
inline constexpr std::string_view kFieldSequence = "SQ_Field";

// The whole schema as one SQL script.
std::string_view DictionarySchemaSql();

// Creates the schema in an empty database, atomically (inside a savepoint, so it may run
// inside the caller's transaction). Throws AutomationError with SQLite's message on failure,
// for example when a table already exists.
void CreateDictionarySchema(sqlite3* db);
// The same on whichever engine db runs (the SQLite script or its PostgreSQL twin).
void CreateDictionarySchema(engine::EngineDatabase& db);

// Gives a database made before busy-hour names were unique per entity the constraint. When
// names already repeat, nothing changes and the repeats are returned, "'Name' at entity N (k
// times)"; a file that cannot be written now gets it on a later open.
std::vector<std::string> EnsureBusyHourNameIndex(sqlite3* db);

}  // namespace ridirodev::standalone
