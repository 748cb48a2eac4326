#pragma once

// A sample dictionary that reads like an operator's: the data sources Client, Traffic and
// the optional groups, a System > Switch > Cell > Sector > Carrier hierarchy, counters per
// technology, calculations that use one another, busy hours, summations, data files,
// reports and templates. Tests and the command-line tool start from it.

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/engine_database.h"

namespace ridirodev::standalone {

// Entities of the sample that callers look up.
inline constexpr int32_t kSampleSystemEntity = 10;     // NetworkSystem, label System
inline constexpr int32_t kSampleSwitchEntity = 11;     // MobileSwitch, label Switch
inline constexpr int32_t kSampleCellEntity = 12;       // CellSite, label Cell
inline constexpr int32_t kSampleSectorEntity = 13;     // CellSector, label Sector
inline constexpr int32_t kSampleCarrierEntity = 14;    // SectorCarrier, label Carrier
inline constexpr int32_t kSamplePagingAreaEntity = 16; // cannot be reported on
inline constexpr int32_t kSampleBenchEntity = 17;      // BenchCell, only with SampleOptions::size
inline constexpr std::string_view kSampleBenchEntityName = "BenchCell";

inline constexpr int32_t kSampleClientDataSource = 1;
inline constexpr int32_t kSampleTrafficDataSource = 2;

struct SampleOptions {
  // When above 0, the Cell-level entity BenchCell of the Traffic hierarchy is added with this
  // many Traffic fields: counters and calculations in the shapes of the sample, numbered.
  int32_t size = 0;
  // Told about each tenth of the generated fields' calculations translated and of the fields
  // stored: the step, how many are done and of how many.
  std::function<void(std::string_view step, int64_t done, int64_t total)> progress;
};

// Fills a database that holds the empty dictionary schema (CreateDictionarySchema), in one
// transaction of its own. Throws AutomationError with SQLite's message on failure, after
// rolling back.
void LoadSampleDictionary(engine::EngineDatabase& db, const SampleOptions& options);

}  // namespace ridirodev::standalone
