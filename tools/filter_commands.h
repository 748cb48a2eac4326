#pragma once

// The filter commands of the ridirodev tool (criteria, filterdefs) and the property filters of
// `fields`, callable without a command line so that they can be tested, and their set-up on the
// tool's command line.

#include <iosfwd>
#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace ridirodev {
class CField;
class CFilterDate;
class CFilterEnum;
}  // namespace ridirodev

namespace ridirodev::standalone {
class SettingsStore;
}

namespace ridirodev::tool {

class Commands;

// `ridirodev criteria`: checks a row criterion against a data type (I, F, S, E or D, case
// ignored) and prints "valid" or the reason it is not; true when valid.
bool CheckCriteria(const std::string& dataType, const std::string& expression, std::ostream& out);

// The saved filter definitions follow the fixed ones in the component's collection, as a host
// restores them at start; the component must be started. Before a change (forChange) the
// settings are locked and read afresh, so that another process's change is neither missed nor
// undone by the save.
void LoadFilterDefinitions(standalone::SettingsStore& settings, bool forChange = false);
// Every definition with its filter and whether it is fixed or the user's.
void ListFilterDefinitions(std::ostream& out);
// A user definition: a new name without ":" and a filter of known technology short names.
// Saved into settings and its file before the result is printed.
void AddFilterDefinition(standalone::SettingsStore& settings, const std::string& name,
                         const std::string& filter, std::ostream& out);
// Removes a user definition by name (case ignored); a fixed one cannot be removed. Saved as an
// addition is.
void RemoveFilterDefinition(standalone::SettingsStore& settings, const std::string& name, std::ostream& out);

// What --changed-within and --tech-filter of `fields` keep. Built before the fields are walked
// so that bad input fails before anything is printed.
class FieldPropertyFilters {
 public:
  // changedWithin: a count and a unit, m (minutes), h (hours), d (days) or M (months), "" for
  // none. techFilter: the name of a filter definition (case ignored), "" for none; the saved
  // definitions must be loaded.
  FieldPropertyFilters(const std::string& changedWithin, const std::string& techFilter);
  ~FieldPropertyFilters();
  FieldPropertyFilters(const FieldPropertyFilters&) = delete;
  FieldPropertyFilters& operator=(const FieldPropertyFilters&) = delete;

  bool Accepts(const CField& field) const;

 private:
  std::shared_ptr<CFilterDate> changed_;
  std::shared_ptr<CFilterEnum> tech_;
};

// Sets up criteria and filterdefs on the tool's command line.
void SetUpFilterCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
