// Loading the fields of a large entity from a PostgreSQL server through the component, against a
// plain libpq loop that runs the same translated statement and reads every column. The server is
// the one RIDIRODEV_TEST_PG names, or else a throwaway cluster started by scripts/pg-cluster;
// where none can be had, both cases are skipped with the reason.
#include "bench/postgres_bench.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/bench_options.h"
#include "postgres/postgres_database.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "standalone/host.h"
#include "standalone/routines.h"
#include "standalone/sample.h"
#include "standalone/schema.h"

namespace ridirodev::bench {
namespace {

// What a command printed on its standard output, and whether it succeeded.
std::pair<bool, std::string> Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {false, ""};
  std::array<char, 256> buffer{};
  while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
  const int status = pclose(pipe);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return {status == 0, out};
}

const std::string kCluster = std::string(RIDIRODEV_SOURCE_DIR) + "/scripts/pg-cluster";

struct Server {
  std::string address;  // of the benchmark's own database; empty when there is no server
  std::string why;      // why not
  std::string cluster;  // a cluster of our own, removed at the end
  std::shared_ptr<standalone::StandaloneHost> host;

  Server(int32_t fields) {
    std::string server;
    if (const char* given = std::getenv("RIDIRODEV_TEST_PG"); given && *given) {
      server = given;
    } else {
      const auto [started, folder] = Output(kCluster + " start 2>&1");
      if (!started) {
        why = "no PostgreSQL server could be started: " + folder;
        return;
      }
      cluster = folder;
      server = "host=" + folder + " user=postgres dbname=ridirodev_test";
    }
    try {
      postgres::PostgresDatabase admin(server);
      admin.RunScript("DROP DATABASE IF EXISTS ridirodev_bench WITH (FORCE)");
      admin.RunScript("CREATE DATABASE ridirodev_bench TEMPLATE template0");
      address = server + " dbname=ridirodev_bench";
      postgres::PostgresDatabase db(address);
      standalone::InstallRoutines(db);
      standalone::CreateDictionarySchema(db);
      standalone::SampleOptions options;
      options.size = fields;
      standalone::LoadSampleDictionary(db, options);
      standalone::StandaloneConfig config;
      config.db = address;
      config.settingsFile.clear();
      config.user = "admin";
      host = std::make_shared<standalone::StandaloneHost>(config);
    } catch (const AutomationError& e) {
      address.clear();
      why = "the benchmark's database could not be made: " + e.Description();
    }
  }
  ~Server() {
    host.reset();
    if (!cluster.empty()) Output(kCluster + " stop " + cluster);
  }
};

Server* server = nullptr;

bool Ready(benchmark::State& state) {
  if (server && !server->address.empty()) return true;
  state.SkipWithError(server ? server->why.c_str() : "no server was set up");
  return false;
}

void BM_ComponentFieldsPostgres(benchmark::State& state) {
  if (!Ready(state)) return;
  MRidirodevScope scope(server->host);
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  traffic->Fields(standalone::kSampleBenchEntity);  // categories, types and columns loaded once
  CFieldsPtr fields;
  for (auto _ : state) {
    state.PauseTiming();
    traffic->ClearAll();
    fields.reset();
    state.ResumeTiming();
    fields = traffic->Fields(standalone::kSampleBenchEntity);
    benchmark::DoNotOptimize(fields->Count());
  }
  state.counters["fields"] = fields->Count();
}
BENCHMARK(BM_ComponentFieldsPostgres)->Unit(benchmark::kMillisecond)->Apply(Timed<9, 1>);

// The same statement the component runs, translated once, every column of every row read.
void BM_PlainLibpqLoop(benchmark::State& state) {
  if (!Ready(state)) return;
  std::string statement;
  {
    MRidirodevScope scope(server->host);
    statement = DataSourceFieldsText(scope.State(), std::to_string(standalone::kSampleBenchEntity),
                                     standalone::kSampleTrafficDataSource, "Traffic", sql::kAllFields);
  }
  auto db = std::dynamic_pointer_cast<postgres::PostgresDatabase>(server->host->Dictionary());
  statement = db->Translate(statement);
  PGconn* conn = db->Connection()->Handle();
  for (auto _ : state) {
    PGresult* result = PQexec(conn, statement.c_str());
    const int rows = PQntuples(result), columns = PQnfields(result);
    size_t bytes = 0;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) bytes += std::string(PQgetvalue(result, r, c)).size();
    }
    PQclear(result);
    benchmark::DoNotOptimize(bytes);
    state.counters["fields"] = rows;
  }
}
BENCHMARK(BM_PlainLibpqLoop)->Unit(benchmark::kMillisecond)->Apply(Timed<9, 1>);

}  // namespace

PostgresBench::PostgresBench(int32_t fields) { server = new Server(fields); }
PostgresBench::~PostgresBench() {
  delete server;
  server = nullptr;
}
std::string PostgresBench::Unavailable() const { return server->address.empty() ? server->why : ""; }

}  // namespace ridirodev::bench
