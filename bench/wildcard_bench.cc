// A field search matches one pattern against every name of a large entity. Long patterns of
// unclosed "[" or of plain letters, and one of many stars, against the same names matched with
// a short ordinary pattern and with std::string::find. The pattern is read once per search; a
// name then costs at most a comparison with the kept pattern, never a new reading of it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "standalone/support.h"

namespace {

using ridirodev::standalone::StandaloneConfig;
using ridirodev::standalone::StandaloneSupport;

const int kNames = ridirodev::bench::Sized(100000);

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    v.reserve(kNames);
    for (int i = 0; i < kNames; ++i) v.push_back("Call Attempts " + std::to_string(i));
    return v;
  }();
  return names;
}

// Each name through the host's matcher, as the search asks it: the whole name must match.
void MatchAll(benchmark::State& state, const std::string& pattern) {
  const StandaloneSupport support{StandaloneConfig{}};
  for (auto _ : state) {
    int matched = 0;
    for (const std::string& name : Names()) matched += support.MatchPattern(name, pattern, true, 0) ? 1 : 0;
    benchmark::DoNotOptimize(matched);
  }
  state.counters["pattern_chars"] = static_cast<double>(pattern.size());
}

void BM_WildcardShortPattern(benchmark::State& state) { MatchAll(state, "*attempts 1#3*"); }
BENCHMARK(BM_WildcardShortPattern)->Unit(benchmark::kMillisecond)->Apply(ridirodev::bench::Timed<5>);

void BM_WildcardFindBaseline(benchmark::State& state) {
  for (auto _ : state) {
    int matched = 0;
    for (const std::string& name : Names()) matched += name.find("Attempts 1") != std::string::npos ? 1 : 0;
    benchmark::DoNotOptimize(matched);
  }
}
BENCHMARK(BM_WildcardFindBaseline)->Unit(benchmark::kMillisecond)->Apply(ridirodev::bench::Timed<5>);

void BM_WildcardUnclosedBrackets(benchmark::State& state) {
  MatchAll(state, std::string(static_cast<size_t>(kNames), '['));
}
BENCHMARK(BM_WildcardUnclosedBrackets)->Unit(benchmark::kMillisecond)->Apply(ridirodev::bench::Timed<5>);

void BM_WildcardBracketsThenLetter(benchmark::State& state) {
  MatchAll(state, std::string(static_cast<size_t>(kNames) / 100, '[') + "X");
}
BENCHMARK(BM_WildcardBracketsThenLetter)->Unit(benchmark::kMillisecond)->Apply(ridirodev::bench::Timed<5>);

void BM_WildcardLongLiteral(benchmark::State& state) {
  MatchAll(state, std::string(static_cast<size_t>(kNames), 'A'));
}
BENCHMARK(BM_WildcardLongLiteral)->Unit(benchmark::kMillisecond)->Apply(ridirodev::bench::Timed<5>);

// Stars between the letters of a name, and an end that no name has: every star is tried.
void BM_WildcardManyStars(benchmark::State& state) { MatchAll(state, "*C*a*l*l*A*t*t*e*m*p*t*s*#*Z"); }
BENCHMARK(BM_WildcardManyStars)->Unit(benchmark::kMillisecond)->Apply(ridirodev::bench::Timed<5>);

}  // namespace
