#include "ridirodev/model/filter/filter_definitions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

// A registry key in memory: values and subkeys by name.
struct MemoryKey final : IRegistryKey {
  IRegistryKeyPtr OpenKey(std::string_view name) const override {
    return keys.contains(name) ? keys.find(name)->second : nullptr;
  }
  IRegistryKeyPtr CreateKey(std::string_view name) override {
    return keys.try_emplace(std::string(name), std::make_shared<MemoryKey>()).first->second;
  }
  bool HasValue(std::string_view name) const override { return values.contains(name); }
  std::string ReadValue(std::string_view name, std::string_view defaultValue = "") const override {
    return HasValue(name) ? values.find(name)->second : std::string(defaultValue);
  }
  void WriteValue(std::string_view name, std::string_view value) override {
    values[std::string(name)] = value;
  }
  void DeleteValue(std::string_view name) override { values.erase(std::string(name)); }
  std::vector<std::string> ValueNames() const override {
    std::vector<std::string> names;
    for (const auto& entry : values) names.push_back(entry.first);
    return names;
  }
  bool DeleteKey(std::string_view name) override { return keys.erase(std::string(name)) > 0; }
  std::map<std::string, std::string, std::less<>> values;
  std::map<std::string, std::shared_ptr<MemoryKey>, std::less<>> keys;
};

std::shared_ptr<testing::TestHost> HostWithTechnologies(std::vector<std::vector<Variant>> rows) {
  auto host = std::make_shared<testing::TestHost>();
  host->Database().AddRows(sql::TechnologyTypesStatement(),
                           {{"Tech_Name", "Tech_Char", "Tech_Mask", "Tech_Desc"}, std::move(rows)});
  return host;
}

// "Name/Filter" of each definition from position first on, joined by "|".
std::string Entries(const CFilterDefinitions& definitions, int32_t first = 1) {
  std::string entries;
  for (int32_t i = first; i <= definitions.Count(); ++i) {
    const CFilterDefinitionPtr definition = definitions.Item(Variant(i));
    entries += (i > first ? "|" : "") + definition->Name() + "/" + definition->Filter();
  }
  return entries;
}

class FilterDefinitionsTest : public ::testing::Test {
 protected:
  std::shared_ptr<testing::TestHost> host_ =
      HostWithTechnologies({{"GSM", "G", 1, ""}, {"UMTS", "U", 4, ""}});
  MRidirodevScope scope_{host_};
  CFilterDefinitionsPtr definitions_ = GRidirodev::FilterDefinitions();
};

TEST_F(FilterDefinitionsTest, FixedPartThenUserDefinitionsWithoutDuplicateNames) {
  std::string notified;
  auto connection =
      definitions_->StateChange.Connect([&] { notified += std::to_string(definitions_->Count()); });
  EXPECT_EQ(GRidirodev::FilterDefinitions(), definitions_);
  EXPECT_EQ(Entries(*definitions_), "<All Tech Types>/GU|GSM/G|UMTS/U");
  EXPECT_EQ(definitions_->Fixed(), 3);
  definitions_->Notify();

  definitions_->Add(GRidirodev::CreateFilterDefinition("gsm", "X"));
  definitions_->Add(GRidirodev::CreateFilterDefinition("Mine", "G"));
  definitions_->Notify();
  EXPECT_EQ(notified, "34");
  EXPECT_EQ(Entries(*definitions_, 4), "Mine/G");
  EXPECT_EQ(definitions_->LookupByFilter("G")->Name(), "GSM");
  EXPECT_EQ(definitions_->LookupByFilter("g"), nullptr);

  const CFilterDefinitionPtr mine = definitions_->Item(Variant("MINE"));
  EXPECT_EQ(definitions_->Index(mine), 4);
  EXPECT_EQ(definitions_->Index(mine->Clone()), 0);
  EXPECT_EQ(definitions_->Index(nullptr), 0);

  // A technology whose name is taken already is not added, but still counts as fixed.
  MRidirodevScope other(HostWithTechnologies({{"<all tech types>", "X", 1, ""}, {"GSM", "G", 2, ""}}));
  CFilterDefinitions clash;
  EXPECT_EQ(Entries(clash), "<All Tech Types>/XG|GSM/G");
  EXPECT_EQ(clash.Fixed(), 3);
}

TEST_F(FilterDefinitionsTest, RegistryKeepsTheUserDefinitionsNumberedWithoutGaps) {
  MemoryKey registry;
  for (const char* name : {"A", "B", "C"}) definitions_->Add(GRidirodev::CreateFilterDefinition(name, "G"));
  definitions_->SaveRegistryData(registry);
  definitions_->Reset();
  definitions_->Add(GRidirodev::CreateFilterDefinition("D", "G:U"));  // the filter part may hold a colon
  definitions_->Add(GRidirodev::CreateFilterDefinition("E", "L"));
  registry.keys["FilterDefinitionsRoot"]->values["Other"] = "kept";
  definitions_->SaveRegistryData(registry);  // FilterDef[3] of the longer list must go
  std::string saved;
  for (const auto& [name, text] : registry.keys["FilterDefinitionsRoot"]->values)
    saved += name + "=" + text + "|";
  EXPECT_EQ(saved, "FilterDef[1]=D:G:U|FilterDef[2]=E:L|Other=kept|");
  definitions_->Reset();
  definitions_->LoadRegistryData(registry);  // split at the first colon
  EXPECT_EQ(Entries(*definitions_, 4), "D/G:U|E/L");

  // Loading appends to what is held, skips names held already, and stops at the first gap or
  // malformed value.
  const std::vector<std::pair<std::map<int, std::string>, std::string>> cases = {
      {{{1, "A:G"}, {2, "GSM:X"}, {3, "held:C"}, {4, "C:U"}, {6, "D:G"}}, "Held/L|A/G|C/U"},
      {{{1, "A:G"}, {2, "no colon"}, {3, "C:U"}}, "Held/L|A/G"},
      {{{1, ":G"}, {2, "C:U"}}, "Held/L"},
      {{{1, "A:"}, {2, "C:U"}}, "Held/L"},
  };
  for (const auto& [values, loaded] : cases) {
    definitions_->Reset();
    definitions_->Add(GRidirodev::CreateFilterDefinition("Held", "L"));
    MemoryKey source;
    const IRegistryKeyPtr root = source.CreateKey("FilterDefinitionsRoot");
    for (const auto& [n, text] : values) root->WriteValue("FilterDef[" + std::to_string(n) + "]", text);
    definitions_->LoadRegistryData(source);
    EXPECT_EQ(Entries(*definitions_, 4), loaded) << values.begin()->second;
  }
  definitions_->LoadRegistryData(*std::make_shared<MemoryKey>());  // no root key: nothing to load
  EXPECT_EQ(definitions_->Count(), 4);
}

// A definition whose saved text the load would stop at is refused, and one renamed so after it
// was added is left out of the save alone: the definitions after it survive a restart.
TEST_F(FilterDefinitionsTest, OnlyDefinitionsThatReadBackAreTakenOrSaved) {
  for (const auto& [name, filter] :
       std::vector<std::pair<std::string, std::string>>{{"Voice:Data", "G"}, {"", "G"}, {"Voice", ""}}) {
    EXPECT_EQ(testing::ErrorOf([&] { definitions_->Add(GRidirodev::CreateFilterDefinition(name, filter)); }),
              5)
        << name << ":" << filter;
  }
  EXPECT_EQ(definitions_->Count(), 3);
  const CFilterDefinitionPtr renamed = GRidirodev::CreateFilterDefinition("A", "G");
  definitions_->Add(renamed);
  definitions_->Add(GRidirodev::CreateFilterDefinition("B", "L"));
  renamed->SetName("A:1");
  MemoryKey registry;
  definitions_->SaveRegistryData(registry);
  definitions_->Reset();
  definitions_->LoadRegistryData(registry);
  EXPECT_EQ(Entries(*definitions_, 4), "B/L");
}

}  // namespace
}  // namespace ridirodev
