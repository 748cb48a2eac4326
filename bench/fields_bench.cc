// Loading the fields of a large entity through the component, against a plain SQLite loop
// that steps the same translated statement and reads every column; key lookups in a large
// field collection, against a standard hash map; and the heap a load keeps per field. The
// ratios and the bytes per field are printed at the end of the run.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bench/bench_options.h"
#include "bench/postgres_bench.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"
#include "tools/udc_commands.h"

namespace {

using namespace ridirodev;
using bench::Timed;
const int32_t kBenchFields = bench::Sized(100000);
const int32_t kCommonLookupFields = bench::Sized(200000);

// A sample dictionary in memory whose entity BenchCell holds size generated fields.
std::shared_ptr<standalone::StandaloneHost> SampleWith(int32_t size) {
  standalone::StandaloneConfig config;
  config.db = ":memory:";
  config.settingsFile.clear();
  config.user = "admin";  // a user of the sample, who may write
  auto host = std::make_shared<standalone::StandaloneHost>(config);
  sqlite3* db = host->Sqlite()->Connection()->Handle();
  standalone::CreateDictionarySchema(db);
  standalone::SampleOptions options;
  options.size = size;
  standalone::LoadSampleDictionary(*host->Sqlite(), options);
  return host;
}

// One in-memory sample dictionary with the large entity, installed for the whole run.
struct Dictionary {
  std::shared_ptr<standalone::StandaloneHost> host;
  std::unique_ptr<MRidirodevScope> scope;

  Dictionary() {
    host = SampleWith(kBenchFields);
    scope = std::make_unique<MRidirodevScope>(host);
    GRidirodev::AppGroupTemplates();  // probe and templates once, outside the timings
  }
};

// Made and destroyed by main: the component's per-thread state must outlive it, which a
// function-local static would not guarantee at exit.
Dictionary* shared = nullptr;

Dictionary& Shared() { return *shared; }

// glibc merges the small blocks freed by a release only at the next large request. Releasing
// 100,000 fields leaves some 600,000 of them, and merging them is the release's cost: a
// request of that kind here, untimed, keeps it out of the next load's time. (No memory is
// handed back to the system, so the load does not pay page faults instead.)
void SettleFreedBlocks() { free(malloc(4096)); }

void BM_ComponentFields(benchmark::State& state) {
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  traffic->Fields(standalone::kSampleBenchEntity);  // categories, types and columns loaded once
  CFieldsPtr fields;
  for (auto _ : state) {
    // Only the load is timed: dropping the previous load's fields is ClearAll's cost.
    state.PauseTiming();
    traffic->ClearAll();
    fields.reset();
    SettleFreedBlocks();
    state.ResumeTiming();
    fields = traffic->Fields(standalone::kSampleBenchEntity);
    // Counted, as any reader does first: members appended in bulk are indexed at the first read.
    benchmark::DoNotOptimize(fields->Count());
  }
  state.counters["fields"] = fields->Count();
  // The plain loop's repetitions run in between: leave them the heap as they found it.
  fields.reset();
  traffic->ClearAll();
}
BENCHMARK(BM_ComponentFields)->Unit(benchmark::kMillisecond)->Apply(Timed<9, 1>);

// The same statement the component runs, translated once, stepped with every column read.
void BM_PlainSqliteLoop(benchmark::State& state) {
  Dictionary& dictionary = Shared();
  const std::string statement = dictionary.host->Sqlite()->Translate(
      DataSourceFieldsText(dictionary.scope->State(), std::to_string(standalone::kSampleBenchEntity),
                           standalone::kSampleTrafficDataSource, "Traffic", sql::kAllFields));
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
BENCHMARK(BM_PlainSqliteLoop)->Unit(benchmark::kMillisecond)->Apply(Timed<9, 1>);

// The keys of the large entity's fields in a shuffled order, as the host would ask for them.
std::vector<Variant> ShuffledKeys(const CFields& fields) {
  std::vector<Variant> keys;
  for (const CFieldPtr& field : fields) keys.emplace_back(field->Key());
  std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  return keys;
}

void BM_FieldsKeyLookup(benchmark::State& state) {
  CFieldsPtr fields = GRidirodev::AppGroupTemplate("Traffic")->Fields(standalone::kSampleBenchEntity);
  const std::vector<Variant> keys = ShuffledKeys(*fields);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fields->Item(keys[i]));
    if (++i == keys.size()) i = 0;
  }
  state.counters["collection"] = static_cast<double>(keys.size());
}
BENCHMARK(BM_FieldsKeyLookup)->Apply(Timed<9>);

// The same lookups in a standard hash map with the same case folding.
void BM_UnorderedMapLookup(benchmark::State& state) {
  CFieldsPtr fields = GRidirodev::AppGroupTemplate("Traffic")->Fields(standalone::kSampleBenchEntity);
  std::unordered_map<std::string, CFieldPtr, NoCaseHash, NoCaseEqual> map;
  for (const CFieldPtr& field : *fields) map.emplace(field->Key(), field);
  const std::vector<Variant> keys = ShuffledKeys(*fields);
  size_t i = 0;
  for (auto _ : state) {
    const std::string& key = keys[i].StringRef();
    auto found = map.find(key);
    benchmark::DoNotOptimize(found == map.end() ? nullptr : found->second);
    if (++i == keys.size()) i = 0;
  }
}
BENCHMARK(BM_UnorderedMapLookup)->Apply(Timed<9>);

// Heap bytes the allocator has handed out and not taken back.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// What a text costs beyond the object that holds it: its heap block, when it has one.
size_t TextHeap(const std::string& text) {
  return text.capacity() > std::string().capacity() ? malloc_usable_size(const_cast<char*>(text.data())) + 8
                                                    : 0;
}

// The heap one load of the large entity keeps per field, less the heap of the row's own texts
// (headings, description, status, source, complex text, extra column values). The name is kept
// as the start of the key, and the key counts as the field's own.
void BM_FieldMemory(benchmark::State& state) {
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  traffic->Fields(standalone::kSampleBenchEntity);  // categories, types, columns and caches warmed
  double perField = 0;
  double textsPerField = 0;
  for (auto _ : state) {
    traffic->ClearAll();
    const size_t before = HeapInUse();
    CFieldsPtr fields = traffic->Fields(standalone::kSampleBenchEntity);
    const size_t after = HeapInUse();
    size_t texts = 0;
    for (const CFieldPtr& f : *fields) {
      for (const std::string* text : {&f->ColumnHeading1(), &f->ColumnHeading2(), &f->Description(),
                                      &f->Status(), &f->CalcSource(), &f->Complex()}) {
        texts += TextHeap(*text);
      }
      if (const ExtraColumnValuesPtr& extra = f->ExtraColumnDictionary()) {
        for (size_t i = 0; i < extra->Size(); ++i) {
          if (extra->Value(i).IsString()) texts += TextHeap(extra->Value(i).StringRef());
        }
      }
    }
    const double count = fields->Count();
    perField = (static_cast<double>(after - before) - static_cast<double>(texts)) / count;
    textsPerField = static_cast<double>(texts) / count;
    fields.reset();
    traffic->ClearAll();
  }
  state.counters["bytes_per_field"] = perField;
  state.counters["text_bytes_per_field"] = textsPerField;
}
BENCHMARK(BM_FieldMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// `common update NAME` without --entity: the name is looked for among the common fields of
// every Traffic entity, BenchCell with its 200,000 fields among them. Each look-up reads every
// entity's fields once, so its time should grow in line with their number.
void BM_CommonFieldUpdateByName(benchmark::State& state) {
  const std::shared_ptr<standalone::StandaloneHost> host = SampleWith(kCommonLookupFields);
  MRidirodevScope scope(host);
  std::ostringstream out;
  tool::AddCommonField("Traffic", std::string(standalone::kSampleBenchEntityName), "Bench_Site_Note", {},
                       out);
  for (auto _ : state) {
    out.str("");
    tool::UpdateCommonField({}, "Bench_Site_Note", {}, out);
  }
  state.counters["fields"] = kCommonLookupFields;
}
// Fixed iterations: one call, so the dictionary is built once.
BENCHMARK(BM_CommonFieldUpdateByName)->Unit(benchmark::kMillisecond)->Iterations(bench::Smoke() ? 1 : 3);

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
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      if (auto found = run.counters.find("bytes_per_field"); found != run.counters.end()) {
        bytesPerField_ = found->second.value;
        textBytesPerField_ = run.counters.at("text_bytes_per_field").value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // The ratios, once every group has run.
  void PrintSummary() {
    const double component = Median("BM_ComponentFields");
    const double plain = Median("BM_PlainSqliteLoop");
    if (component > 0 && plain > 0) {
      std::cout << "Fields(entity of " << kBenchFields << ") / plain SQLite loop, medians of "
                << times_["BM_PlainSqliteLoop"].size() << " interleaved repetitions: " << component
                << " ms / " << plain << " ms = " << component / plain << " (goal: at most 1.5)\n";
    }
    const double server = Median("BM_ComponentFieldsPostgres");
    const double libpq = Median("BM_PlainLibpqLoop");
    if (server > 0 && libpq > 0) {
      std::cout << "Fields(entity of " << kBenchFields << ") on PostgreSQL / plain libpq loop, medians of "
                << times_["BM_PlainLibpqLoop"].size() << " interleaved repetitions: " << server << " ms / "
                << libpq << " ms = " << server / libpq << " (goal: at most 1.5, aim 1.25)\n";
    }
    const double lookup = Median("BM_FieldsKeyLookup");
    const double map = Median("BM_UnorderedMapLookup");
    if (lookup > 0 && map > 0) {
      std::cout << "CFields key lookup / std::unordered_map lookup, same keys and case folding: " << lookup
                << " ns / " << map << " ns = " << lookup / map << " (goal: at most 1.5)\n";
    }
    if (const double update = Median("BM_CommonFieldUpdateByName"); update > 0) {
      std::cout << "common update by name, " << kCommonLookupFields
                << " fields in the largest entity: " << update << " ms\n";
    }
    if (bytesPerField_ > 0) {
      std::cout << "Heap kept per loaded field, beyond the row's own texts: " << bytesPerField_
                << " bytes (goal: at most 600; the texts take " << textBytesPerField_ << " more)\n";
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
  double bytesPerField_ = 0;
  double textBytesPerField_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  // Interleaved repetitions unless the command line says otherwise (a later flag wins).
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  const bool filtered = std::any_of(argv + 1, argv + argc, [](const char* arg) {
    return std::string_view(arg).starts_with("--benchmark_filter");
  });
  Dictionary dictionary;
  shared = &dictionary;
  // The server's dictionary only when its cases run: making one takes a while.
  const bool onServer = !filtered || std::any_of(argv + 1, argv + argc, [](const char* arg) {
    const std::string_view a(arg);
    return a.starts_with("--benchmark_filter") &&
           (a.find("Postgres") != std::string_view::npos || a.find("Libpq") != std::string_view::npos);
  });
  std::unique_ptr<bench::PostgresBench> postgres;
  if (onServer) {
    postgres = std::make_unique<bench::PostgresBench>(kBenchFields);
    if (const std::string why = postgres->Unavailable(); !why.empty()) {
      std::cout << "The PostgreSQL cases are skipped: " << why << "\n";
    }
  }
  RatioReporter reporter;
  if (filtered) {
    benchmark::RunSpecifiedBenchmarks(&reporter);
  } else {
    // The loads first, on the heap as the dictionary left it: the lookups' hash map and the
    // memory probe leave the heap in pieces, which slows both loops and blurs their ratio.
    for (const char* group : {"BM_ComponentFields/|BM_PlainSqliteLoop", "BM_ComponentFieldsPostgres|BM_PlainLibpqLoop",
                              "KeyLookup|MapLookup",
                              "BM_FieldMemory", "Wildcard", "CommonField"}) {
      benchmark::RunSpecifiedBenchmarks(&reporter, group);
    }
  }
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
