#pragma once

// Doubles of the controls and containers the host hands in: hour selection, tree node and
// iterator, settings node.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/items.h"

namespace ridirodev::testing {

// Slots FirstIndex() to FirstIndex() + Count() - 1. Initialize clears the selection; Resize
// keeps the slots that stay in range. Selecting a slot outside the range fails with 9.
class TestHourSelection final : public IHourSelection {
 public:
  void Initialize(int32_t firstIndex) override {
    first_ = firstIndex;
    slots_.assign(slots_.size(), false);
  }
  void Resize(int32_t count) override { slots_.resize(static_cast<size_t>(std::max(count, 0)), false); }
  int32_t FirstIndex() const override { return first_; }
  int32_t Count() const override { return static_cast<int32_t>(slots_.size()); }
  bool Selected(int32_t index) const override;
  void SetSelected(int32_t index, bool selected) override;
  int32_t SelectedCount() const override;

 private:
  int32_t first_ = 1;
  std::vector<bool> slots_;
};

// Make nodes with std::make_shared: a child knows its parent only through a shared node.
class TestTreeNode final : public ITreeNode, public std::enable_shared_from_this<TestTreeNode> {
 public:
  TestTreeNode() = default;
  explicit TestTreeNode(ITreeNodeItemPtr item) : item_(std::move(item)) {}

  ITreeNodeItemPtr Item() const override { return item_; }
  void SetItem(ITreeNodeItemPtr item) override { item_ = std::move(item); }
  ITreeNodePtr AddChild(ITreeNodeItemPtr item) override;
  std::vector<ITreeNodePtr> Children() const override { return children_; }
  ITreeNodePtr Parent() const override { return parent_.lock(); }
  ITreeNodePtr FindNode(std::string_view key) const override;

 private:
  ITreeNodeItemPtr item_;
  std::vector<ITreeNodePtr> children_;
  std::weak_ptr<ITreeNode> parent_;
};

// Depth first, parents before children, children in order. A node's children are read when
// the node is handed out.
class TestTreeIterator final : public ITreeIterator {
 public:
  void SetRoot(ITreeNodePtr root) override {
    root_ = std::move(root);
    Restart();
  }
  void Restart() override { pending_.assign(root_ ? 1 : 0, root_); }
  ITreeNodePtr NextNode() override;

 private:
  ITreeNodePtr root_;
  std::vector<ITreeNodePtr> pending_;  // next node at the back
};

// Named values and child nodes; names compared without regard to case.
class TestSettingsNode final : public IAppSettingsNode {
 public:
  explicit TestSettingsNode(std::string name = "") : name_(std::move(name)) {}

  std::string Name() const override { return name_; }
  Variant Value(std::string_view name, const Variant& defaultValue = Variant()) const override;
  void SetValue(std::string_view name, const Variant& value) override;
  IAppSettingsNodePtr Child(std::string_view name) override;
  void AddChild(IAppSettingsNodePtr child) override { children_.push_back(std::move(child)); }
  std::vector<IAppSettingsNodePtr> Children() const override { return children_; }
  void AddValueEntry(const Variant& value) override { entries_.push_back(value); }

 private:
  std::string name_;
  std::vector<std::pair<std::string, Variant>> values_;
  std::vector<IAppSettingsNodePtr> children_;
  std::vector<Variant> entries_;
};
using TestSettingsNodePtr = std::shared_ptr<TestSettingsNode>;

}  // namespace ridirodev::testing
