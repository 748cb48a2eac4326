#pragma once

// The dictionary database on a shared PostgreSQL server. It is the schema of schema.h told
// again for that server: the two scripts describe one schema and change together (a new
// schema version does not compile until this script has followed it).
//
// What differs is what the server does natively: real sequences instead of the
// ridirodev_sequence table, a case-insensitive ICU collation named nocase so that host
// statements saying COLLATE NOCASE run as written, PL/pgSQL triggers, and the package
// functions as functions in schemas named after their packages (ea_dd.ea_replace_entity_names
// and ea_replace_entity_labels, availabledatareporting.tocalcfieldname), which do exactly what
// the SQLite host's functions do.

#include <string>
#include <string_view>

namespace ridirodev::standalone {

// The whole schema as one script, to run in one transaction on an empty database (the
// objects go to the current schema). It holds no BEGIN or COMMIT of its own, needs a UTF8
// database and an ICU-enabled server, and fails at once on any other.
std::string_view PostgresSchemaSql();

// Drops what PostgresSchemaSql creates and nothing else, for a dictionary made anew in place.
std::string PostgresDropSql();

}  // namespace ridirodev::standalone
