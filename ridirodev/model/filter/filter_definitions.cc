#include "ridirodev/model/filter/filter_definitions.h"

#include <charconv>
#include <string_view>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"

namespace ridirodev {
namespace {

constexpr std::string_view kRootKey = "FilterDefinitionsRoot";

std::string ValueName(int32_t n) { return "FilterDef[" + std::to_string(n) + "]"; }

// The number of a value named FilterDef[n]; 0 for any other name.
int32_t ValueNumber(std::string_view name) {
  constexpr std::string_view kPrefix = "FilterDef[";
  if (name.size() <= kPrefix.size() + 1 || !EqualsNoCase(name.substr(0, kPrefix.size()), kPrefix) ||
      name.back() != ']') {
    return 0;
  }
  const std::string_view digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - 1);
  int32_t n = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  return error == std::errc() && end == digits.data() + digits.size() ? n : 0;
}

// Whether the saved text, the name, ":" and the filter, is read back as this definition: the
// load splits at the first ":" and stops at an empty part, losing every later definition.
bool ReadsBack(const CFilterDefinition& definition) {
  return !definition.Name().empty() && definition.Name().find(':') == std::string::npos &&
         !definition.Filter().empty();
}

}  // namespace

CFilterDefinitionPtr MakeFilterDefinition(const std::string& sName, const std::string& sFilter) {
  auto definition = std::make_shared<CFilterDefinition>();
  definition->SetName(sName);
  definition->SetFilter(sFilter);
  return definition;
}

CFilterDefinitionPtr AllTechnologiesDefinition(const std::string& sName) {
  std::string letters;
  const auto techs = MRidirodev::Current().ValidTechTypes();
  for (const CFieldTechTypePtr& tech : *techs) letters += tech->ShortName();
  return MakeFilterDefinition(sName, letters);
}

CFilterDefinitionPtr CFilterDefinition::Clone() const { return MakeFilterDefinition(name_, filter_); }

CFilterDefinitions::CFilterDefinitions() { Reset(); }

void CFilterDefinitions::Reset() {
  decltype(items_) fresh;
  const auto techs = MRidirodev::Current().ValidTechTypes();
  fresh.Add(AllTechnologiesDefinition("<All Tech Types>"));
  for (const CFieldTechTypePtr& tech : *techs) {
    fresh.Add(MakeFilterDefinition(tech->Name(), tech->ShortName()));
  }
  items_ = std::move(fresh);
  fixed_ = 1 + techs->Count();
}

void CFilterDefinitions::Add(const CFilterDefinitionPtr& FilterDef) {
  if (FilterDef && !ReadsBack(*FilterDef)) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "CFilterDefinitions",
                          "A filter definition needs a name without \":\" and a filter; '" + FilterDef->Name() +
                              ":" + FilterDef->Filter() + "' could not be read back once saved");
  }
  items_.Add(FilterDef);
}

CFilterDefinitionPtr CFilterDefinitions::LookupByFilter(const std::string& sFilter) const {
  for (const CFilterDefinitionPtr& definition : items_) {
    if (definition->Filter() == sFilter) return definition;
  }
  return nullptr;
}

int32_t CFilterDefinitions::Index(const CFilterDefinitionPtr& FilterDef) const {
  int32_t position = 0;
  for (const CFilterDefinitionPtr& definition : items_) {
    ++position;
    if (FilterDef && definition == FilterDef) return position;
  }
  return 0;
}

void CFilterDefinitions::LoadRegistryData(IRegistryKey& reg) {
  const IRegistryKeyPtr root = reg.OpenKey(kRootKey);
  if (!root) return;
  for (int32_t n = 1;; ++n) {
    const std::string text = root->ReadValue(ValueName(n));
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return;
    Add(MakeFilterDefinition(text.substr(0, colon), text.substr(colon + 1)));
  }
}

void CFilterDefinitions::SaveRegistryData(IRegistryKey& reg) {
  const IRegistryKeyPtr root = reg.CreateKey(kRootKey);
  int32_t written = 0;
  int32_t position = 0;
  for (const CFilterDefinitionPtr& definition : items_) {
    if (++position <= fixed_) continue;
    // One changed since it was added so that it cannot be read back would end the next load
    // there: it alone is left out.
    if (!ReadsBack(*definition)) {
      MRidirodev::Current().Support().Log(2, "Ridirodev", "CFilterDefinitions", "SaveRegistryData",
                                          {"Not saved, it could not be read back: " + definition->Name() + ":" +
                                           definition->Filter()});
      continue;
    }
    root->WriteValue(ValueName(++written), definition->Name() + ":" + definition->Filter());
  }
  for (const std::string& name : root->ValueNames()) {
    if (ValueNumber(name) > written) root->DeleteValue(name);
  }
}

}  // namespace ridirodev
