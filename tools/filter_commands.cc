#include "tools/filter_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/filter/filter.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/filter/property_filters.h"
#include "ridirodev/model/qualifiers.h"
#include "standalone/host.h"
#include "standalone/settings.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/input_checks.h"

namespace ridirodev::tool {
namespace {

std::vector<std::string> DefinitionNames(bool userOnly) {
  const CFilterDefinitionsPtr definitions = GRidirodev::FilterDefinitions();
  std::vector<std::string> names;
  int32_t position = 0;
  for (const CFilterDefinitionPtr& definition : *definitions) {
    if (!userOnly || ++position > definitions->Fixed()) names.push_back(definition->Name());
  }
  return names;
}

CFilterDefinitionPtr RequireDefinition(const std::string& name, bool userOnly) {
  const CFilterDefinitionsPtr definitions = GRidirodev::FilterDefinitions();
  CFilterDefinitionPtr found = definitions->Item(Variant(name));
  if (!found) {
    Unknown("filter definition", name, DefinitionNames(userOnly),
            userOnly ? "saved definitions" : "definitions");
  }
  return found;
}

// The filter text in the short names' own case; every letter must be a technology's short name.
std::string TechnologyLetters(const std::string& filter) {
  const auto techs = GRidirodev::ValidTechTypes();
  std::string letters;
  for (const char letter : filter) {
    const auto tech = std::find_if(techs->begin(), techs->end(), [&](const CFieldTechTypePtr& t) {
      return EqualsNoCase(t->ShortName(), std::string_view(&letter, 1));
    });
    if (tech == techs->end()) {
      std::vector<std::string> known;
      for (const CFieldTechTypePtr& t : *techs) known.push_back(t->ShortName() + " (" + t->Name() + ")");
      Unknown("technology short name", std::string(1, letter), known);
    }
    letters += (*tech)->ShortName();
  }
  return letters;
}

// Written to the file at once: only a saved change may be reported as done.
void SaveDefinitions(standalone::SettingsStore& settings) {
  const CFilterDefinitionsPtr definitions = GRidirodev::FilterDefinitions();
  settings.SaveHandler(*definitions);
  settings.Save();
  definitions->Notify();
}

}  // namespace

bool CheckCriteria(const std::string& dataType, const std::string& expression, std::ostream& out) {
  CFilter criterion;
  criterion.Initialize(1, expression, DataTypeCode(dataType));
  std::string why;
  const bool valid = criterion.IsValid(why);
  if (!valid && why.empty()) {  // the criterion names no reason for a missing value
    why = criterion.Expression().empty()
              ? "The criterion is empty: give an operator and a value, such as > 100 or in (1, 2)."
              : "The criterion '" + criterion.Expression() + "' has no value after its operator.";
  }
  out << (valid ? std::string("valid") : why) << '\n';
  return valid;
}

void LoadFilterDefinitions(standalone::SettingsStore& settings, bool forChange) {
  StartComponent();
  if (forChange) settings.LockForChange();
  settings.LoadHandler(*GRidirodev::FilterDefinitions());
}

void ListFilterDefinitions(std::ostream& out) {
  const CFilterDefinitionsPtr definitions = GRidirodev::FilterDefinitions();
  std::vector<std::vector<std::string>> rows;
  for (const CFilterDefinitionPtr& definition : *definitions) {
    const bool fixed = static_cast<int32_t>(rows.size()) < definitions->Fixed();
    rows.push_back({definition->Name(), definition->Filter(), fixed ? "fixed" : "saved"});
  }
  out << FormatTable({"Name", "Filter", "Kind"}, rows);
}

void AddFilterDefinition(standalone::SettingsStore& settings, const std::string& name,
                         const std::string& filter, std::ostream& out) {
  const std::string trimmed(TrimBlanks(name));
  // The saved text is Name:Filter, read back up to the first colon.
  if (trimmed.empty() || trimmed.find(':') != std::string::npos) {
    Invalid("A filter definition needs a name without ':', not '" + name + "'.");
  }
  const CFilterDefinitionsPtr definitions = GRidirodev::FilterDefinitions();
  if (definitions->Exists(Variant(trimmed))) {
    Invalid("There is already a filter definition named '" + definitions->Item(Variant(trimmed))->Name() +
            "'.");
  }
  const std::string letters = TechnologyLetters(std::string(TrimBlanks(filter)));
  if (letters.empty()) Invalid("A filter definition needs at least one technology short name.");
  definitions->Add(GRidirodev::CreateFilterDefinition(trimmed, letters));
  SaveDefinitions(settings);
  out << "Added filter definition " << trimmed << " (" << letters << ").\n";
}

void RemoveFilterDefinition(standalone::SettingsStore& settings, const std::string& name, std::ostream& out) {
  const CFilterDefinitionsPtr definitions = GRidirodev::FilterDefinitions();
  const CFilterDefinitionPtr removed = RequireDefinition(std::string(TrimBlanks(name)), false);
  if (definitions->Index(removed) <= definitions->Fixed()) {
    Invalid("'" + removed->Name() + "' is built from the technologies at every start; it cannot be removed.");
  }
  // The collection has no removal: rebuild it without the one.
  std::vector<CFilterDefinitionPtr> kept;
  int32_t position = 0;
  for (const CFilterDefinitionPtr& definition : *definitions) {
    if (++position > definitions->Fixed() && definition != removed) kept.push_back(definition);
  }
  definitions->Reset();
  for (const CFilterDefinitionPtr& definition : kept) definitions->Add(definition);
  SaveDefinitions(settings);
  out << "Removed filter definition " << removed->Name() << ".\n";
}

FieldPropertyFilters::FieldPropertyFilters(const std::string& changedWithin, const std::string& techFilter) {
  if (!changedWithin.empty()) {
    const std::string text(TrimBlanks(changedWithin));
    static constexpr std::pair<char, ERelativeType> kUnits[] = {{'m', ERelativeType::rMinutes},
                                                                {'h', ERelativeType::rHours},
                                                                {'d', ERelativeType::rDays},
                                                                {'M', ERelativeType::rMonths}};
    const auto unit = std::find_if(std::begin(kUnits), std::end(kUnits),
                                   [&](const auto& u) { return !text.empty() && u.first == text.back(); });
    const std::optional<int32_t> count =
        text.empty() ? std::nullopt : WholeNumber(text.substr(0, text.size() - 1));
    if (unit == std::end(kUnits) || !count || *count < 1) {
      Invalid(
          "--changed-within takes a positive count and a unit, m (minutes), h (hours), d (days) or M "
          "(months), such as 3d; not '" +
          changedWithin + "'.");
    }
    changed_ = std::make_shared<CFilterDate>();
    changed_->SetRelative(true);
    changed_->SetRelativeType(unit->second);
    changed_->SetRelativeUnits(*count);
  }
  if (!techFilter.empty()) {
    tech_ = std::make_shared<CFilterEnum>();
    tech_->SetValue(RequireDefinition(std::string(TrimBlanks(techFilter)), false)->Filter());
  }
}

FieldPropertyFilters::~FieldPropertyFilters() = default;

bool FieldPropertyFilters::Accepts(const CField& field) const {
  if (changed_ && !changed_->IsAccepted(field.Changed().ToIso())) return false;
  return !tech_ || tech_->IsAccepted(field.FieldTechType(), true);
}

void SetUpFilterCommands(CLI::App& app, Commands& commands) {
  struct Parsed {
    std::string dataType;
    std::string expression;
    std::string name;
    std::string filter;
  };
  auto p = std::make_shared<Parsed>();
  CLI::App* criteria = commands.Add(
      app, "criteria",
      "Check a template field's criterion; prints 'valid' (exit 0) or what is wrong (exit 1)",
      [p](const CommandContext& context) {
        return CheckCriteria(p->dataType, p->expression, context.out) ? 0 : 1;
      },
      RunsOn::kComponent, "");
  criteria
      ->add_option("type", p->dataType,
                   "Data type: I (integer), F (number), S (text), E (enumerated), D (date)")
      ->required();
  criteria
      ->add_option("expression", p->expression,
                   "The criterion, such as \"> 100\", \"in (1, 5...9)\" or \"not in ('A','B')\"; put -- "
                   "before one that starts with -")
      ->required();

  CLI::App* family = app.add_subcommand(
      "filterdefs", "List, add and remove the named technology filters (saved in the settings file)");
  family->require_subcommand(1);
  // The definitions are loaded first; before a change, locked and read afresh.
  auto leaf = [&](const std::string& name, const std::string& help,
                  std::function<void(standalone::SettingsStore&, std::ostream&)> run, bool changes = true) {
    return commands.Add(*family, name, help, [run = std::move(run), changes](const CommandContext& context) {
      standalone::SettingsStore& settings = *context.host->Settings();
      LoadFilterDefinitions(settings, changes);
      run(settings, context.out);
      return 0;
    });
  };
  leaf(
      "list", "The fixed definitions, one per technology and one for all, then the saved ones",
      [](standalone::SettingsStore&, std::ostream& out) { ListFilterDefinitions(out); }, false);
  CLI::App* add =
      leaf("add", "Save a definition", [p](standalone::SettingsStore& settings, std::ostream& out) {
        AddFilterDefinition(settings, p->name, p->filter, out);
      });
  add->add_option("name", p->name, "Its name (no ':')")->required();
  add->add_option("filter", p->filter, "Technology short names one after the other, such as GU")->required();
  CLI::App* remove = leaf("remove", "Remove a saved definition",
                          [p](standalone::SettingsStore& settings, std::ostream& out) {
                            RemoveFilterDefinition(settings, p->name, out);
                          });
  remove->add_option("name", p->name, "Its name")->required();
}

}  // namespace ridirodev::tool
