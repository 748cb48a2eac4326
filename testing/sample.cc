#include "testing/sample.h"

#include <fstream>

#include "postgres/postgres_database.h"
#include "standalone/routines.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "testing/pg_server.h"

namespace ridirodev::testing {

std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config) {
  config.db = ":memory:";
  if (config.user.empty()) config.user = "admin";  // the sample's administrator, whoever runs the tests
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

std::vector<std::string> Rows(engine::EngineDatabase& db, const std::string& sql, const std::string& null) {
  std::vector<std::string> rows;
  try {
    const auto stmt = db.Prepare(sql);
    while (stmt->Step()) {
      std::string row;
      for (int i = 0; i < stmt->ColumnCount(); ++i)
        row += (i ? "|" : "") + (stmt->IsNull(i) ? null : stmt->Text(i));
      rows.push_back(std::move(row));
    }
  } catch (const AutomationError& e) {
    ADD_FAILURE() << e.Description() << ": " << sql;
  }
  return rows;
}

std::string FirstRow(engine::EngineDatabase& db, const std::string& sql, const std::string& null) {
  const auto rows = Rows(db, sql, null);
  return rows.empty() ? "<no row>" : rows.front();
}

void Exec(engine::EngineDatabase& db, const std::string& sql) {
  try {
    db.RunScript(sql);
  } catch (const AutomationError& e) {
    ADD_FAILURE() << e.Description();
  }
}

int32_t SampleFieldId(engine::EngineDatabase& db, int32_t entity, const std::string& name) {
  const std::string id = FirstRow(db, "SELECT Field_Id FROM tqd_Datasource_Field WHERE DataSource_ID = 2 AND "
                                      "Entity_Id = " + std::to_string(entity) + " AND Name = '" + name + "'");
  EXPECT_NE(id, "<no row>") << "no field " << name << " at " << entity;
  return id == "<no row>" ? 0 : std::stoi(id);
}

std::shared_ptr<engine::EngineDatabase> SampleOn(TestEngine engine, bool withSample) {
  if (engine == TestEngine::kSqlite) return SampleDatabase(":memory:", withSample);
  // The database object goes first, then its database on the server.
  struct OnServer {
    ScratchDatabase scratch;
    std::shared_ptr<postgres::PostgresDatabase> db =
        std::make_shared<postgres::PostgresDatabase>(scratch.Address());
  };
  auto server = std::make_shared<OnServer>();
  standalone::InstallRoutines(*server->db);
  standalone::CreateDictionarySchema(*server->db);
  if (withSample) standalone::LoadSampleDictionary(*server->db, {});
  return {server, server->db.get()};
}

bool HasTestServer() { return TestServer() != nullptr; }

std::string EngineName(const ::testing::TestParamInfo<TestEngine>& info) {
  return info.param == TestEngine::kSqlite ? "Sqlite" : "Postgres";
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
