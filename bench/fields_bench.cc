// Loading the fields of a large entity through the component, against a plain SQLite loop
// that steps the same translated statement and reads every column; and key lookups in a
// large field collection. The ratio of the two loads is printed at the end of the run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/sql/dictionary_statements.h"
#include "ridirodev/sql/field_loaders.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace {

using namespace ridirodev;
constexpr int32_t kBenchFields = 100000;

// One in-memory sample dictionary with the large entity, installed for the whole run.
struct Dictionary {
  std::shared_ptr<standalone::StandaloneHost> host;
  std::unique_ptr<MRidirodevScope> scope;

  Dictionary() {
    standalone::StandaloneConfig config;
    config.db = ":memory:";
    config.settingsFile.clear();
    host = std::make_shared<standalone::StandaloneHost>(config);
    sqlite3* db = host->Sqlite()->Connection()->Handle();
    standalone::CreateDictionarySchema(db);
    standalone::LoadSampleDictionary(db, standalone::SampleOptions{kBenchFields});
    scope = std::make_unique<MRidirodevScope>(host);
    GRidirodev::AppGroupTemplates();  // probe and templates once, outside the timings
  }
};

// Made and destroyed by main: the component's per-thread state must outlive it, which a
// function-local static would not guarantee at exit.
Dictionary* shared = nullptr;

Dictionary& Shared() { return *shared; }

void BM_ComponentFields(benchmark::State& state) {
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  traffic->Fields(standalone::kSampleBenchEntity);  // categories, types and columns loaded once
  CFieldsPtr fields;
  for (auto _ : state) {
    // Only the load is timed: dropping the previous load's fields is ClearAll's cost.
    state.PauseTiming();
    traffic->ClearAll();
    fields.reset();
    state.ResumeTiming();
    fields = traffic->Fields(standalone::kSampleBenchEntity);
    benchmark::DoNotOptimize(fields);
  }
  state.counters["fields"] = fields->Count();
  // The plain loop's repetitions run in between: leave them the heap as they found it.
  fields.reset();
  traffic->ClearAll();
}
BENCHMARK(BM_ComponentFields)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(9);

// The same statement the component runs, translated once, stepped with every column read.
void BM_PlainSqliteLoop(benchmark::State& state) {
  Dictionary& dictionary = Shared();
  const std::string statement = dictionary.host->Sqlite()->Translate(
      sql::DataSourceFieldsText(std::to_string(standalone::kSampleBenchEntity), standalone::kSampleTrafficDataSource,
                                "Traffic", sql::kAllFields));
  sqlite3* db = dictionary.host->Sqlite()->Connection()->Handle();
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, statement.c_str(), -1, &stmt, nullptr);
    int64_t rows = 0;
    size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const int n = sqlite3_column_count(stmt);
      for (int i = 0; i < n; ++i) {
        if (sqlite3_column_type(stmt, i) == SQLITE_TEXT) {
          bytes += std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))).size();
        } else {
          benchmark::DoNotOptimize(sqlite3_column_int64(stmt, i));
        }
      }
      ++rows;
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(bytes);
    state.counters["fields"] = static_cast<double>(rows);
  }
}
BENCHMARK(BM_PlainSqliteLoop)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(9);

void BM_FieldsKeyLookup(benchmark::State& state) {
  auto fields = GRidirodev::AppGroupTemplate("Traffic")->Fields(standalone::kSampleBenchEntity);
  std::vector<std::string> keys;
  for (const CFieldPtr& field : *fields) keys.push_back(field->Key());
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fields->Item(Variant(keys[i])));
    if (++i == keys.size()) i = 0;
  }
  state.counters["collection"] = static_cast<double>(keys.size());
}
BENCHMARK(BM_FieldsKeyLookup);

// Keeps the time per iteration of every repetition, so that the ratio of the medians can be
// printed at the end. The repetitions of the two loads are interleaved at random (see main): on
// a shared machine the speed drifts, and a drift then shifts both medians alike.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();  // also carries the options after a '/'
      times_[name.substr(0, name.find('/'))].push_back(run.GetAdjustedRealTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double component = Median("BM_ComponentFields");
    const double plain = Median("BM_PlainSqliteLoop");
    if (component > 0 && plain > 0) {
      std::cout << "Fields(entity of " << kBenchFields << ") / plain SQLite loop, medians of "
                << times_["BM_PlainSqliteLoop"].size() << " interleaved repetitions: " << component << " ms / "
                << plain << " ms = " << component / plain << " (goal: at most 1.5)\n";
    }
  }

 private:
  double Median(const std::string& name) {
    std::vector<double>& v = times_[name];
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }
  std::map<std::string, std::vector<double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  // Interleaved repetitions unless the command line says otherwise (a later flag wins).
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  Dictionary dictionary;
  shared = &dictionary;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
