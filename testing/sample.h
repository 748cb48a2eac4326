#pragma once

// The sample dictionary for the tests of the standalone host and the tool: a host over it in
// memory, a bare database object over it, and a reader of query results. Its own target, so
// that the component's tests never link the standalone host.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "standalone/host.h"
#include "standalone/sqlite_database.h"

struct sqlite3;

namespace ridirodev::testing {

// A host over the sample in a database of its own in memory (config.db is replaced). The
// database is opened, but nothing is handed out yet: failure injection and the trace may still
// be asked for.
std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config = {});
// The same, with the configuration changed by set first: SampleHost([](auto& c) { c.trace = true; }).
std::shared_ptr<standalone::StandaloneHost> SampleHost(const std::function<void(standalone::StandaloneConfig&)>& set);

// A dictionary database at path, created with the schema and, unless withSample is false, the
// sample.
std::shared_ptr<standalone::SqliteDatabase> SampleDatabase(const std::string& path = ":memory:",
                                                           bool withSample = true,
                                                           standalone::SqliteDatabaseOptions options = {});

// The rows of sql's result as texts, columns joined by '|', nulls as null; a statement that does
// not prepare fails the test.
std::vector<std::string> Rows(sqlite3* db, const std::string& sql, const std::string& null = "NULL");

}  // namespace ridirodev::testing
