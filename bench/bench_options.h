#pragma once

// How big the benchmark's data are and how often each case runs. With RIDIRODEV_BENCH_SMOKE set
// (the test run sets it), every case runs once over a small dictionary: the suite is checked
// to build and run, and its times mean nothing.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

namespace ridirodev::bench {

inline bool Smoke() {
  static const bool smoke = std::getenv("RIDIRODEV_BENCH_SMOKE") != nullptr;
  return smoke;
}

// full, or a few hundred in a smoke run.
inline int32_t Sized(int32_t full) { return Smoke() ? full / 500 : full; }

// The repetitions and least time of a timed run; one iteration in a smoke run.
template <int kRepetitions, int kMinSeconds = 0>
void Timed(benchmark::internal::Benchmark* b) {
  if (Smoke()) {
    b->Iterations(1);
    return;
  }
  b->Repetitions(kRepetitions);
  if (kMinSeconds > 0) b->MinTime(kMinSeconds);
}

}  // namespace ridirodev::bench
