#pragma once

// `ridirodev datafiles`: the collected data files and the spans of data that arrived.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ridirodev {
class CDataFile;
}

namespace ridirodev::tool {

class Commands;

// Each file's span of available data as a bar of width characters on one time axis, from the
// earliest first to the latest last time of the files, so that late starts and gaps at the end
// stand out; a file without data gets an empty bar. Under the bars, the axis's ends.
std::string AvailabilityBars(const std::vector<std::shared_ptr<CDataFile>>& files, int32_t width = 48);

// The data files of the entity (an id or a name; "" for all) with their frequency, vendor and
// availability, then their bars; returns how many were listed.
int32_t ShowDataFiles(const std::string& entity, std::ostream& out);

// Sets up datafiles on the tool's command line.
void SetUpDataFileCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
