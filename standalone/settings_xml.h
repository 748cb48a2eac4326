#pragma once

// The elements of the settings file: read into the settings tree and registry area, and
// brought up to date in place from them.

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "standalone/registry_key.h"
#include "standalone/settings_node.h"

namespace ridirodev::standalone {

inline constexpr const char* kSettingsRootElement = "ridirodev-settings";

// Error 5: "The settings file <source> is not valid: <why>. Repair or remove it; ..."
[[noreturn]] void CorruptSettings(std::string_view source, const std::string& why);

// Add what the elements below element hold; a fault is CorruptSettings.
void ReadSettingsNode(pugi::xml_node element, SettingsNode& node, std::string_view source, int depth = 0);
void ReadRegistryKey(pugi::xml_node element, RegistryKey& key, std::string_view source, int depth = 0);

// A save brings the elements the store owns up to date in place, so that what it does not own
// (comments, elements elsewhere in the file) stays where it is. Elements are matched to the
// store's content by name, children of a node in order; what has no match is removed, what is
// new goes after the last element of its kind (values, then nodes and keys, then entries).
void SetXmlAttribute(pugi::xml_node element, const char* name, const char* value);
void SyncSettingsNode(pugi::xml_node element, const SettingsNode& node);
void SyncRegistryKey(pugi::xml_node element, const RegistryKey& key);

}  // namespace ridirodev::standalone
