#include "standalone/controls.h"

#include <algorithm>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {

void HourSelection::Initialize(int32_t firstIndex) {
  first_ = firstIndex;
  std::fill(slots_.begin(), slots_.end(), false);
}

void HourSelection::Resize(int32_t count) {
  if (count < 0) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "HourSelection",
                          "The number of slots cannot be negative: " + std::to_string(count));
  }
  slots_.resize(static_cast<size_t>(count), false);
}

bool HourSelection::Selected(int32_t index) const {
  const int64_t i = static_cast<int64_t>(index) - first_;
  return i >= 0 && i < static_cast<int64_t>(slots_.size()) && slots_[static_cast<size_t>(i)];
}

void HourSelection::SetSelected(int32_t index, bool selected) {
  const int64_t i = static_cast<int64_t>(index) - first_;
  if (i < 0 || i >= static_cast<int64_t>(slots_.size())) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "HourSelection",
                          "Slot " + std::to_string(index) + " is outside the slots " +
                              std::to_string(first_) + " to " +
                              std::to_string(static_cast<int64_t>(first_) + Count() - 1));
  }
  slots_[static_cast<size_t>(i)] = selected;
}

int32_t HourSelection::SelectedCount() const {
  return static_cast<int32_t>(std::count(slots_.begin(), slots_.end(), true));
}

std::shared_ptr<TreeNode> TreeNode::Create(ITreeNodeItemPtr item) {
  std::shared_ptr<TreeNode> node(new TreeNode());
  node->item_ = std::move(item);
  return node;
}

TreeNode::~TreeNode() {
  std::vector<ITreeNodePtr> pending = std::move(children_);
  while (!pending.empty()) {
    ITreeNodePtr node = std::move(pending.back());
    pending.pop_back();
    // Only a node released here would destroy its children in turn: take them over first.
    if (node.use_count() == 1) {
      if (auto* tree = dynamic_cast<TreeNode*>(node.get())) {
        for (auto& child : tree->children_) pending.push_back(std::move(child));
        tree->children_.clear();
      }
    }
  }
}

ITreeNodePtr TreeNode::AddChild(ITreeNodeItemPtr item) {
  auto child = Create(std::move(item));
  child->parent_ = shared_from_this();
  children_.push_back(child);
  return child;
}

ITreeNodePtr TreeNode::FindNode(std::string_view key) const {
  // Iterative, so that a deep hierarchy cannot exhaust the stack.
  std::vector<ITreeNodePtr> pending;
  if (item_ && EqualsNoCase(item_->Key(), key)) {
    return std::const_pointer_cast<TreeNode>(shared_from_this());
  }
  pending.assign(children_.rbegin(), children_.rend());
  while (!pending.empty()) {
    ITreeNodePtr node = std::move(pending.back());
    pending.pop_back();
    if (auto item = node->Item(); item && EqualsNoCase(item->Key(), key)) return node;
    auto children = node->Children();
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return nullptr;
}

void TreeIterator::SetRoot(ITreeNodePtr root) {
  root_ = std::move(root);
  Restart();
}

void TreeIterator::Restart() {
  pending_.clear();
  if (root_) pending_.push_back(root_);
}

ITreeNodePtr TreeIterator::NextNode() {
  if (pending_.empty()) return nullptr;
  ITreeNodePtr node = std::move(pending_.back());
  pending_.pop_back();
  auto children = node->Children();
  pending_.insert(pending_.end(), children.rbegin(), children.rend());
  return node;
}

void ComboBox::Clear() {
  items_.clear();
  index_ = -1;
}

std::string ComboBox::List(int32_t index) const {
  if (index < 0 || index >= ListCount()) return {};
  return items_[static_cast<size_t>(index)];
}

void ComboBox::SetListIndex(int32_t index) {
  if (index < -1 || index >= ListCount()) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "ComboBox",
                          "Invalid property value: list index " + std::to_string(index) + " of " +
                              std::to_string(ListCount()) + " entries");
  }
  index_ = index;
}

void StringList::Add(std::string_view value, bool unique, bool ignoreCase) {
  if (unique) {
    const bool present = std::any_of(items_.begin(), items_.end(), [&](const std::string& item) {
      return ignoreCase ? EqualsNoCase(item, value) : item == value;
    });
    if (present) return;
  }
  items_.emplace_back(value);
}

std::string StringList::Item(int32_t position) const {
  if (position < 1 || position > Count()) return {};
  return items_[static_cast<size_t>(position) - 1];
}

}  // namespace ridirodev::standalone
