#include "standalone/settings_node.h"

#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/named.h"

namespace ridirodev::standalone {

SettingsNodePtr SettingsNode::Create(std::string name) {
  return SettingsNodePtr(new SettingsNode(std::move(name), false, Variant()));
}

SettingsNodePtr SettingsNode::CreateList(std::string name, Variant listDefault) {
  return SettingsNodePtr(new SettingsNode(std::move(name), true, std::move(listDefault)));
}

Variant SettingsNode::Value(std::string_view name, const Variant& defaultValue) const {
  for (const auto& v : values_) {
    if (EqualsNoCase(v.name, name)) return v.value;
  }
  return isList_ && defaultValue.IsEmpty() ? listDefault_ : defaultValue;
}

void SettingsNode::SetValue(std::string_view name, const Variant& value) {
  if (value.IsObject()) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "SettingsNode",
                          "Type mismatch: setting '" + std::string(name) + "' cannot hold an object");
  }
  for (auto& v : values_) {
    if (EqualsNoCase(v.name, name)) {
      v.value = value;
      return;
    }
  }
  values_.push_back(NamedValue{std::string(name), value});
}

bool SettingsNode::RemoveValue(std::string_view name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (EqualsNoCase(it->name, name)) {
      values_.erase(it);
      return true;
    }
  }
  return false;
}

IAppSettingsNodePtr SettingsNode::Child(std::string_view name) {
  if (auto found = FindByName(children_, name)) return found;
  auto child = Create(std::string(name));
  child->parent_ = weak_from_this();
  children_.push_back(child);
  return child;
}

void SettingsNode::AddChild(IAppSettingsNodePtr child) {
  auto node = std::dynamic_pointer_cast<SettingsNode>(child);
  if (!node) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "SettingsNode",
                          "Type mismatch: only nodes made by the settings services can be added");
  }
  if (!node->parent_.expired()) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "SettingsNode",
                          "The node '" + node->name_ + "' already belongs to another node");
  }
  for (const SettingsNode* n = this; n; n = n->parent_.lock().get()) {
    if (n == node.get()) {
      throw AutomationError(ErrorNumber::kInvalidArgument, "SettingsNode",
                            "The node '" + node->name_ + "' cannot be added below itself");
    }
  }
  node->parent_ = weak_from_this();
  children_.push_back(std::move(node));
}

std::vector<IAppSettingsNodePtr> SettingsNode::Children() const {
  return std::vector<IAppSettingsNodePtr>(children_.begin(), children_.end());
}

void SettingsNode::AddValueEntry(const Variant& value) {
  if (value.IsObject()) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "SettingsNode",
                          "Type mismatch: a value entry cannot hold an object");
  }
  entries_.push_back(value);
}

}  // namespace ridirodev::standalone
