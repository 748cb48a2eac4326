#include "testing/controls.h"

#include <algorithm>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::testing {
namespace {

template <class Pairs>
auto FindNamed(Pairs& pairs, std::string_view name) {
  return std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return EqualsNoCase(p.first, name); });
}

// Splits "a\b\c" into its first name and the rest.
std::pair<std::string_view, std::string_view> SplitPath(std::string_view path) {
  const size_t slash = path.find('\\');
  if (slash == std::string_view::npos) return {path, {}};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

// ---- TestHourSelection ----

void TestHourSelection::Initialize(int32_t firstIndex) {
  first_ = firstIndex;
  std::fill(slots_.begin(), slots_.end(), false);
}

void TestHourSelection::Resize(int32_t count) {
  slots_.resize(static_cast<size_t>(std::max(count, 0)), false);
}

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

// ---- TestComboBox ----

namespace {
constexpr int32_t kInvalidArrayIndex = 381;
}

std::string TestComboBox::List(int32_t index) const {
  if (index < 0 || index >= ListCount()) {
    throw AutomationError(kInvalidArrayIndex, "TestComboBox", "Invalid property array index");
  }
  return items_[static_cast<size_t>(index)];
}

void TestComboBox::SetListIndex(int32_t index) {
  if (index < -1 || index >= ListCount()) {
    throw AutomationError(kInvalidArrayIndex, "TestComboBox", "Invalid property array index");
  }
  index_ = index;
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

void TestTreeIterator::Restart() {
  pending_.clear();
  if (root_) pending_.push_back(root_);
}

ITreeNodePtr TestTreeIterator::NextNode() {
  if (pending_.empty()) return nullptr;
  ITreeNodePtr node = std::move(pending_.back());
  pending_.pop_back();
  auto children = node->Children();
  pending_.insert(pending_.end(), children.rbegin(), children.rend());
  return node;
}

// ---- TestRegistryKey ----

std::shared_ptr<TestRegistryKey> TestRegistryKey::Subkey(std::string_view name) const {
  for (const auto& key : keys_) {
    if (EqualsNoCase(key->name_, name)) return key;
  }
  return nullptr;
}

IRegistryKeyPtr TestRegistryKey::OpenKey(std::string_view name) const {
  auto [head, rest] = SplitPath(name);
  auto key = Subkey(head);
  if (!key || rest.empty()) return key;
  return key->OpenKey(rest);
}

IRegistryKeyPtr TestRegistryKey::CreateKey(std::string_view name) {
  auto [head, rest] = SplitPath(name);
  auto key = Subkey(head);
  if (!key) {
    key = std::make_shared<TestRegistryKey>(std::string(head));
    keys_.push_back(key);
  }
  if (rest.empty()) return key;
  return key->CreateKey(rest);
}

bool TestRegistryKey::HasValue(std::string_view name) const {
  return FindNamed(values_, name) != values_.end();
}

std::string TestRegistryKey::ReadValue(std::string_view name, std::string_view defaultValue) const {
  auto found = FindNamed(values_, name);
  return found == values_.end() ? std::string(defaultValue) : found->second;
}

void TestRegistryKey::WriteValue(std::string_view name, std::string_view value) {
  auto found = FindNamed(values_, name);
  if (found == values_.end()) {
    values_.emplace_back(std::string(name), std::string(value));
  } else {
    found->second = std::string(value);
  }
}

void TestRegistryKey::DeleteValue(std::string_view name) {
  auto found = FindNamed(values_, name);
  if (found != values_.end()) values_.erase(found);
}

std::vector<std::string> TestRegistryKey::ValueNames() const {
  std::vector<std::string> out;
  for (const auto& [n, v] : values_) out.push_back(n);
  return out;
}

std::vector<std::string> TestRegistryKey::KeyNames() const {
  std::vector<std::string> out;
  for (const auto& key : keys_) out.push_back(key->name_);
  return out;
}

// ---- TestSettingsNode ----

Variant TestSettingsNode::Value(std::string_view name, const Variant& defaultValue) const {
  auto found = FindNamed(values_, name);
  return found == values_.end() ? defaultValue : found->second;
}

void TestSettingsNode::SetValue(std::string_view name, const Variant& value) {
  auto found = FindNamed(values_, name);
  if (found == values_.end()) {
    values_.emplace_back(std::string(name), value);
  } else {
    found->second = value;
  }
}

bool TestSettingsNode::HasValue(std::string_view name) const {
  return FindNamed(values_, name) != values_.end();
}

IAppSettingsNodePtr TestSettingsNode::Child(std::string_view name) {
  for (const auto& child : children_) {
    if (child && EqualsNoCase(child->Name(), name)) return child;
  }
  auto child = std::make_shared<TestSettingsNode>(std::string(name));
  children_.push_back(child);
  return child;
}

// ---- TestPropertyBag ----

Variant TestPropertyBag::ReadProperty(std::string_view name, const Variant& defaultValue) const {
  auto found = FindNamed(properties_, name);
  return found == properties_.end() ? defaultValue : found->second;
}

void TestPropertyBag::WriteProperty(std::string_view name, const Variant& value,
                                    const Variant& defaultValue) {
  auto found = FindNamed(properties_, name);
  if (found != properties_.end()) properties_.erase(found);
  if (!(value == defaultValue)) properties_.emplace_back(std::string(name), value);
}

bool TestPropertyBag::Has(std::string_view name) const {
  return FindNamed(properties_, name) != properties_.end();
}

}  // namespace ridirodev::testing
