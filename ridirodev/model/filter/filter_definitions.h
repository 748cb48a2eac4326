#pragma once

// Named technology filters: a display name and the technology letters it lets through. One
// process-wide collection starts with a fixed part built from the valid technologies and goes
// on with the user's own definitions, kept in the host's registry area.

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/event.h"
#include "ridirodev/core/object_collection.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

class CFilterDefinition : public Object {
 public:
  std::shared_ptr<CFilterDefinition> Clone() const;
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  const std::string& Filter() const noexcept { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  // The key it was added under.
  const std::string& Key() const noexcept { return name_; }

 private:
  std::string name_;
  std::string filter_;
};
using CFilterDefinitionPtr = std::shared_ptr<CFilterDefinition>;

// A definition of a name and a filter.
CFilterDefinitionPtr MakeFilterDefinition(const std::string& sName, const std::string& sFilter);
// The definition that names every valid technology type, by their letters.
CFilterDefinitionPtr AllTechnologiesDefinition(const std::string& sName);

class CFilterDefinitions : public Object, public IAppRegistryHandler {
 public:
  using const_iterator = ObjectCollection<CFilterDefinition, DuplicateKey::kSkip>::const_iterator;

  // Builds the fixed part.
  CFilterDefinitions();

  // Raises StateChange, so that every holder of the shared collection refreshes its lists.
  void Notify() { StateChange.Raise(); }
  // Starts again from the fixed part: "<All Tech Types>", then one definition per valid
  // technology, named after it.
  void Reset();
  // Appends FilterDef unless a definition of its name is already held.
  void Add(const CFilterDefinitionPtr& FilterDef);
  // The first definition whose filter equals sFilter exactly; nullptr when none does.
  CFilterDefinitionPtr LookupByFilter(const std::string& sFilter) const;
  // The position of that very object; 0 when it is not held.
  int32_t Index(const CFilterDefinitionPtr& FilterDef) const;
  int32_t Count() const noexcept { return items_.Count(); }
  // How many definitions at the start are the fixed ones: one per valid technology, counted
  // even when its definition was skipped as a duplicate name, plus the all-technologies one.
  int32_t Fixed() const noexcept { return fixed_; }
  bool Exists(const Variant& v) const { return items_.Exists(v); }
  CFilterDefinitionPtr Item(const Variant& v) const { return items_.Item(v); }
  std::shared_ptr<KeyedEnumerator<CFilterDefinitionPtr>> NewEnum() const { return items_.NewEnum(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

  Event<> StateChange;

  // The registry handler: the user's definitions live under "FilterDefinitionsRoot" as
  // FilterDef[1], FilterDef[2]... with the text Name:Filter.
  std::string Name() const override { return "CFilterDefinitions"; }
  int32_t Kind() const override { return 1; }
  // Appends the stored definitions after what is held, up to the first missing or malformed one.
  void LoadRegistryData(IRegistryKey& reg) override;
  // Writes every definition after the fixed part, and removes the values of an earlier, longer
  // list, which would otherwise come back at the next load.
  void SaveRegistryData(IRegistryKey& reg) override;

 private:
  ObjectCollection<CFilterDefinition, DuplicateKey::kSkip> items_;
  int32_t fixed_ = 0;
};
using CFilterDefinitionsPtr = std::shared_ptr<CFilterDefinitions>;

}  // namespace ridirodev
