#pragma once

// A key of the standalone host's registry area: text values and subkeys.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/controls.h"

namespace ridirodev::standalone {

class RegistryKey : public IRegistryKey {
 public:
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  // Key and value names are compared without regard to case.
  IRegistryKeyPtr OpenKey(std::string_view name) const override;
  IRegistryKeyPtr CreateKey(std::string_view name) override;
  bool HasValue(std::string_view name) const override;
  std::string ReadValue(std::string_view name, std::string_view defaultValue = "") const override;
  void WriteValue(std::string_view name, std::string_view value) override;
  void DeleteValue(std::string_view name) override;
  std::vector<std::string> ValueNames() const override;

  bool DeleteKey(std::string_view name) override;
  // A copy of the key with everything below it.
  std::shared_ptr<RegistryKey> Clone() const;
  // Adds key as a subkey, in place of any subkey of the same name.
  void AttachKey(std::shared_ptr<RegistryKey> key);
  std::vector<std::string> KeyNames() const;
  const std::vector<std::pair<std::string, std::string>>& Values() const { return values_; }
  const std::vector<std::shared_ptr<RegistryKey>>& Keys() const { return keys_; }

 private:
  std::shared_ptr<RegistryKey> FindKey(std::string_view name) const;
  std::string name_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::shared_ptr<RegistryKey>> keys_;
};
using RegistryKeyPtr = std::shared_ptr<RegistryKey>;

}  // namespace ridirodev::standalone
