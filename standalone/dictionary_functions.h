#pragma once

// The dictionary's scalar SQL functions, registered with SQLite under the names the dialect
// translator gives package calls.

#include <string>
#include <string_view>

struct sqlite3;

namespace ridirodev::standalone {

// - ea_dd__ea_replace_entity_names(src): each entity name used as a qualifier (a name
//   directly followed by ".") becomes the entity's label, where it has one;
// - ea_dd__ea_replace_entity_labels(version_id, src): the reverse, over the entities of
//   that module version (all entities when the version is null);
// - availabledatareporting__tocalcfieldname(file_type): AvailabilityFieldName.
// Text between single quotes is left alone; null gives null.
void RegisterDictionaryFunctions(sqlite3* db);

// "Avail_" followed by the file type, each character other than a letter, digit or
// underscore replaced by an underscore: "CDMA PEG-HOURLY" gives "Avail_CDMA_PEG_HOURLY".
std::string AvailabilityFieldName(std::string_view fileType);

}  // namespace ridirodev::standalone
