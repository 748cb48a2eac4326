#include "testing/sample.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "standalone/sample.h"
#include "standalone/schema.h"

namespace ridirodev::testing {

std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config) {
  config.db = ":memory:";
  auto host = std::make_shared<standalone::StandaloneHost>(config);
  standalone::CreateDictionarySchema(host->Sqlite()->Connection()->Handle());
  standalone::LoadSampleDictionary(host->Sqlite()->Connection()->Handle(), {});
  return host;
}

std::shared_ptr<standalone::StandaloneHost> SampleHost(const std::function<void(standalone::StandaloneConfig&)>& set) {
  standalone::StandaloneConfig config;
  set(config);
  return SampleHost(config);
}

std::shared_ptr<standalone::SqliteDatabase> SampleDatabase(const std::string& path, bool withSample,
                                                           standalone::SqliteDatabaseOptions options) {
  options.create = true;
  auto db = std::make_shared<standalone::SqliteDatabase>(path, options);
  standalone::CreateDictionarySchema(db->Connection()->Handle());
  if (withSample) standalone::LoadSampleDictionary(db->Connection()->Handle(), {});
  return db;
}

std::vector<std::string> Rows(sqlite3* db, const std::string& sql, const std::string& null) {
  std::vector<std::string> rows;
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db) << ": " << sql;
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      row += (i ? "|" : "") + (text ? std::string(text) : null);
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  return rows;
}

}  // namespace ridirodev::testing
