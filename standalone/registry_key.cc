#include "standalone/registry_key.h"

#include <utility>

#include "ridirodev/core/text.h"
#include "standalone/named.h"

namespace ridirodev::standalone {

std::shared_ptr<RegistryKey> RegistryKey::FindKey(std::string_view name) const {
  return FindByName(keys_, name);
}

IRegistryKeyPtr RegistryKey::OpenKey(std::string_view name) const { return FindKey(name); }

IRegistryKeyPtr RegistryKey::CreateKey(std::string_view name) {
  if (auto found = FindKey(name)) return found;
  auto key = std::make_shared<RegistryKey>(std::string(name));
  keys_.push_back(key);
  return key;
}

bool RegistryKey::HasValue(std::string_view name) const {
  for (const auto& v : values_) {
    if (EqualsNoCase(v.first, name)) return true;
  }
  return false;
}

std::string RegistryKey::ReadValue(std::string_view name, std::string_view defaultValue) const {
  for (const auto& v : values_) {
    if (EqualsNoCase(v.first, name)) return v.second;
  }
  return std::string(defaultValue);
}

void RegistryKey::WriteValue(std::string_view name, std::string_view value) {
  for (auto& v : values_) {
    if (EqualsNoCase(v.first, name)) {
      v.second = value;
      return;
    }
  }
  values_.emplace_back(std::string(name), std::string(value));
}

void RegistryKey::DeleteValue(std::string_view name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (EqualsNoCase(it->first, name)) {
      values_.erase(it);
      return;
    }
  }
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  for (const auto& v : values_) names.push_back(v.first);
  return names;
}

bool RegistryKey::DeleteKey(std::string_view name) {
  for (auto it = keys_.begin(); it != keys_.end(); ++it) {
    if (EqualsNoCase((*it)->Name(), name)) {
      keys_.erase(it);
      return true;
    }
  }
  return false;
}

void RegistryKey::AttachKey(RegistryKeyPtr key) {
  for (auto& k : keys_) {
    if (EqualsNoCase(k->Name(), key->Name())) {
      k = std::move(key);
      return;
    }
  }
  keys_.push_back(std::move(key));
}

RegistryKeyPtr RegistryKey::Clone() const {
  auto copy = std::make_shared<RegistryKey>(name_);
  copy->values_ = values_;
  for (const auto& key : keys_) copy->keys_.push_back(key->Clone());
  return copy;
}

std::vector<std::string> RegistryKey::KeyNames() const {
  std::vector<std::string> names;
  for (const auto& k : keys_) names.push_back(k->Name());
  return names;
}

}  // namespace ridirodev::standalone
