#include "tools/datafile_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "ridirodev/core/date.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/field_category.h"
#include "tools/command_support.h"
#include "tools/commands.h"

namespace ridirodev::tool {
namespace {

std::optional<double> Serial(const std::string& text) {
  const std::optional<Date> date = Date::Parse(text);
  return date ? std::optional<double>(date->Serial()) : std::nullopt;
}

}  // namespace

std::string AvailabilityBars(const std::vector<CDataFilePtr>& files, int32_t width) {
  width = std::max(width, 2);
  std::optional<double> start, end;
  size_t nameWidth = 0;
  for (const CDataFilePtr& file : files) {
    nameWidth = std::max(nameWidth, file->FileType().size());
    const auto first = Serial(file->FirstAvailable());
    const auto last = Serial(file->LastAvailable());
    if (!first || !last) continue;
    start = std::min(start.value_or(*first), *first);
    end = std::max(end.value_or(*last), *last);
  }
  // Cell k covers [start + k * step, start + (k + 1) * step); a span lights every cell it touches.
  const double step = start ? std::max(*end - *start, 1.0 / 1440) / width : 1;
  auto cell = [&](double serial) {
    return std::clamp(static_cast<int32_t>(std::floor((serial - *start) / step)), 0, width - 1);
  };
  std::string out;
  for (const CDataFilePtr& file : files) {
    std::string bar(static_cast<size_t>(width), ' ');
    const auto first = Serial(file->FirstAvailable());
    const auto last = Serial(file->LastAvailable());
    if (first && last && *first <= *last) {
      std::fill(bar.begin() + cell(*first), bar.begin() + cell(*last) + 1, '#');
    }
    out += file->FileType() + std::string(nameWidth - file->FileType().size(), ' ') + " |" + bar + "|" +
           (first && last ? "" : " no data") + "\n";
  }
  if (start) {
    const auto day = [](double serial) { return Date(serial).ToIso().substr(0, 10); };
    const std::string from = day(*start), to = day(*end);
    out +=
        std::string(nameWidth + 2, ' ') + from +
        std::string(
            static_cast<size_t>(std::max<int32_t>(1, width - static_cast<int32_t>(from.size() + to.size()))),
            ' ') +
        to + "\n";
  }
  return out;
}

int32_t ShowDataFiles(const std::string& entity, std::ostream& out) {
  StartComponent();
  int32_t entityId = 0;
  const std::string name(TrimBlanks(entity));
  if (!name.empty()) {
    // An id, an entity's own name, or what names a Traffic entity elsewhere in the tool.
    entityId = WholeNumber(name).value_or(GRidirodev::EntityIDFromName(name));
    if (entityId <= 0) entityId = RequireCategory("Traffic", name)->Id();
  }
  const auto all = GRidirodev::DataFiles(entityId);
  // Without the extended entity views the collection holds every entity's files.
  std::vector<CDataFilePtr> shown;
  std::vector<std::vector<std::string>> rows;
  for (const CDataFilePtr& file : *all) {
    if (entityId != 0 && file->EntityId() != entityId) continue;
    shown.push_back(file);
    rows.push_back({std::to_string(file->FileTypeId()), file->FileType(), file->Frequency(), file->Vendor(),
                    file->EntityName(), file->FirstAvailable(), file->LastAvailable()});
  }
  out << FormatTable(
      {"Id", "File type", "Frequency", "Vendor", "Entity", "First available", "Last available"}, rows);
  if (shown.empty()) {
    out << "(no data files)\n";
  } else {
    out << '(' << shown.size() << (shown.size() == 1 ? " data file)\n\n" : " data files)\n\n")
        << AvailabilityBars(shown);
  }
  return static_cast<int32_t>(shown.size());
}

void SetUpDataFileCommands(CLI::App& app, Commands& commands) {
  auto entity = std::make_shared<std::string>();
  commands
      .Add(app, "datafiles", "List the collected data files and draw the span of data that arrived for each",
           Printing([entity](std::ostream& out) { ShowDataFiles(*entity, out); }))
      ->add_option("entity", *entity, "Only the files of this entity (id or name)");
}

}  // namespace ridirodev::tool
