#include "testing/sample.h"

#include <sqlite3.h>

#include <fstream>

#include "standalone/sample.h"
#include "standalone/schema.h"

namespace ridirodev::testing {

std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config) {
  config.db = ":memory:";
  auto host = std::make_shared<standalone::StandaloneHost>(config);
  standalone::CreateDictionarySchema(host->Sqlite()->Connection()->Handle());
  standalone::LoadSampleDictionary(*host->Sqlite(), {});
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
  if (withSample) standalone::LoadSampleDictionary(*db, {});
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

std::string FirstRow(sqlite3* db, const std::string& sql, const std::string& null) {
  const auto rows = Rows(db, sql, null);
  return rows.empty() ? "<no row>" : rows.front();
}

void Exec(sqlite3* db, const std::string& sql) {
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db) << ": " << sql;
}

int32_t SampleFieldId(sqlite3* db, int32_t entity, const std::string& name) {
  const std::string id = FirstRow(db, "SELECT Field_Id FROM tqd_Datasource_Field WHERE DataSource_ID = 2 AND "
                                      "Entity_Id = " + std::to_string(entity) + " AND Name = '" + name + "'");
  EXPECT_NE(id, "<no row>") << "no field " << name << " at " << entity;
  return id == "<no row>" ? 0 : std::stoi(id);
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

size_t Occurrences(std::string_view text, std::string_view part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace ridirodev::testing
