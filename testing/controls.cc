#include "testing/controls.h"

#include <algorithm>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::testing {

// ---- TestHourSelection ----

bool TestHourSelection::Selected(int32_t index) const {
  const int32_t at = index - first_;
  return at >= 0 && at < Count() && slots_[static_cast<size_t>(at)];
}

void TestHourSelection::SetSelected(int32_t index, bool selected) {
  const int32_t at = index - first_;
  if (at < 0 || at >= Count()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "TestHourSelection", "Subscript out of range");
  }
  slots_[static_cast<size_t>(at)] = selected;
}

int32_t TestHourSelection::SelectedCount() const {
  return static_cast<int32_t>(std::count(slots_.begin(), slots_.end(), true));
}

// ---- TestTreeNode and TestTreeIterator ----

ITreeNodePtr TestTreeNode::AddChild(ITreeNodeItemPtr item) {
  auto child = std::make_shared<TestTreeNode>(std::move(item));
  child->parent_ = weak_from_this();
  children_.push_back(child);
  return child;
}

ITreeNodePtr TestTreeNode::FindNode(std::string_view key) const {
  if (item_ && EqualsNoCase(item_->Key(), key)) {
    // Only a shared node can hand itself out; a stack node finds its descendants only.
    if (auto self = weak_from_this().lock()) return std::const_pointer_cast<TestTreeNode>(self);
  }
  for (const auto& child : children_) {
    if (auto found = child->FindNode(key)) return found;
  }
  return nullptr;
}

ITreeNodePtr TestTreeIterator::NextNode() {
  if (pending_.empty()) return nullptr;
  ITreeNodePtr node = std::move(pending_.back());
  pending_.pop_back();
  auto children = node->Children();
  pending_.insert(pending_.end(), children.rbegin(), children.rend());
  return node;
}

// ---- TestSettingsNode ----

Variant TestSettingsNode::Value(std::string_view name, const Variant& defaultValue) const {
  for (const auto& [n, v] : values_) {
    if (EqualsNoCase(n, name)) return v;
  }
  return defaultValue;
}

void TestSettingsNode::SetValue(std::string_view name, const Variant& value) {
  for (auto& [n, v] : values_) {
    if (EqualsNoCase(n, name)) return void(v = value);
  }
  values_.emplace_back(std::string(name), value);
}

IAppSettingsNodePtr TestSettingsNode::Child(std::string_view name) {
  for (const auto& child : children_) {
    if (child && EqualsNoCase(child->Name(), name)) return child;
  }
  return children_.emplace_back(std::make_shared<TestSettingsNode>(std::string(name)));
}

}  // namespace ridirodev::testing
