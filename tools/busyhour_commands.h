#pragma once

// The busy-hour commands of the ridirodev tool: a thin layer over GBusyHour and the Traffic
// category operations, callable without a command line so that they can be tested, and their
// set-up on the tool's command line.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/input_checks.h"

namespace CLI {
class App;
}

namespace ridirodev {
class CBusyHour;
}

namespace ridirodev::tool {

class Commands;

// What `busyhours list` shows: the busy hours (or summations) of one Traffic entity, or of all
// of them when entity is empty, that pass the filters (exact type name and owner; the span
// must be among the span letters given).
struct BusyHourQuery {
  std::string entity{};
  bool summations = false;
  std::string type{};
  std::string owner{};
  std::string span{};
};

// The values of a definition. On add, what is not given takes the default (span D, ranks 1 to
// 1, no first-needed date, the current user as owner); on update, it keeps the current value.
struct BusyHourValues {
  std::optional<std::string> field{};  // the counter field, by id or name at the entity
  std::optional<std::string> hours{};  // 1-based day slots and ranges, "18-22,7"
  std::optional<std::string> span{};   // D, W or M
  std::optional<std::string> description{};
  std::optional<int32_t> lowRank{};
  std::optional<int32_t> highRank{};
  std::optional<std::string> firstNeeded{};  // YYYY-MM-DD
  std::optional<bool> pabh{};
};

// Every command starts the component on the installed host first. A definition is named by id,
// or by name; a name used at several entities needs the entity; a number that is the id of one
// and the name of another needs by.
int32_t ListBusyHours(const BusyHourQuery& query, std::ostream& out);
void ShowBusyHour(const std::string& entity, const std::string& busyHour, std::ostream& out,
                  NamedBy by = NamedBy::kIdOrName);
void AddBusyHour(const std::string& entity, const std::string& name, bool summation,
                 const BusyHourValues& values, std::ostream& out);
void UpdateBusyHour(const std::string& entity, const std::string& busyHour, const BusyHourValues& values,
                    std::ostream& out, NamedBy by = NamedBy::kIdOrName);
// Asks before deleting what reports use, then lists each definition as deleted or kept and fails
// unless all went. By id, a busy hour whose field was deleted is found, shown and deleted too.
void DeleteBusyHours(const std::string& entity, const std::vector<std::string>& busyHours, std::ostream& out,
                     NamedBy by = NamedBy::kIdOrName);
void ChangeBusyHourOwner(const std::string& entity, const std::vector<std::string>& busyHours,
                         const std::string& user, std::ostream& out, NamedBy by = NamedBy::kIdOrName);
// The busy-hour type names of the entity and those above it, one a line.
void ShowBusyHourTypes(const std::string& entity, std::ostream& out);

// The selected day slots as a bar, one character a slot ('#' selected), over a line of hour
// marks every markHours hours, each under the first slot of its hour.
std::string HourBar(const CBusyHour& bh, int32_t markHours = 6);

// Sets up busyhours on the tool's command line.
void SetUpBusyHourCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
