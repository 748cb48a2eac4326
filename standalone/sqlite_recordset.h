#pragma once

#include <memory>
#include <string>

#include "ridirodev/host/database.h"
#include "standalone/sqlite_database.h"

struct sqlite3_stmt;

namespace ridirodev::standalone {

// A row set over a prepared statement, which it finalizes. It streams rows straight from
// SQLite; RecordCount and Filter need every row, so they read the rest into memory first.
// Filter takes "COLUMN = value" and "COLUMN <> value" terms joined by AND.
IDBRecordsetPtr OpenSqliteRecordset(std::shared_ptr<SqliteConnection> conn, sqlite3_stmt* stmt, std::string sql);

}  // namespace ridirodev::standalone
