#pragma once

// The small host objects of the standalone host: hour selection, tree node and iterator,
// a plain-list combo box and the string list.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/controls.h"
#include "ridirodev/host/items.h"

namespace ridirodev::standalone {

// Day slots numbered from a first index (1 unless initialised otherwise).
class HourSelection : public IHourSelection {
 public:
  // Sets the number of the first slot and clears the selection; the count stays.
  void Initialize(int32_t firstIndex) override;
  // Slots kept by the new size keep their state; new ones start unselected.
  void Resize(int32_t count) override;
  int32_t FirstIndex() const override { return first_; }
  int32_t Count() const override { return static_cast<int32_t>(slots_.size()); }
  bool Selected(int32_t index) const override;
  // Error 9 outside the slots: a stored run that does not fit the day is a data fault.
  void SetSelected(int32_t index, bool selected) override;
  int32_t SelectedCount() const override;

 private:
  int32_t first_ = 1;
  std::vector<bool> slots_;
};

class TreeNode : public ITreeNode, public std::enable_shared_from_this<TreeNode> {
 public:
  static std::shared_ptr<TreeNode> Create(ITreeNodeItemPtr item = nullptr);
  // Releases the subtree without recursion, so that a deep hierarchy cannot exhaust the stack.
  ~TreeNode() override;

  ITreeNodeItemPtr Item() const override { return item_; }
  void SetItem(ITreeNodeItemPtr item) override { item_ = std::move(item); }
  ITreeNodePtr AddChild(ITreeNodeItemPtr item) override;
  std::vector<ITreeNodePtr> Children() const override { return children_; }
  ITreeNodePtr Parent() const override { return parent_.lock(); }
  ITreeNodePtr FindNode(std::string_view key) const override;

 private:
  TreeNode() = default;
  ITreeNodeItemPtr item_;
  std::weak_ptr<ITreeNode> parent_;  // the parent owns its children
  std::vector<ITreeNodePtr> children_;
};

// Depth first, each parent before its children, children in order. A node's children are
// read when the node is reached, so nodes added below it later are still visited.
class TreeIterator : public ITreeIterator {
 public:
  void SetRoot(ITreeNodePtr root) override;
  void Restart() override;
  ITreeNodePtr NextNode() override;

 private:
  ITreeNodePtr root_;
  std::vector<ITreeNodePtr> pending_;  // top is the next node
};

// A combo box as a plain list: the command line has no control to show.
class ComboBox : public IComboBox {
 public:
  void Clear() override;
  void AddItem(std::string_view text) override { items_.emplace_back(text); }
  int32_t ListCount() const override { return static_cast<int32_t>(items_.size()); }
  std::string List(int32_t index) const override;  // "" outside the list
  int32_t ListIndex() const override { return index_; }
  // -1 selects nothing; any other index outside the list fails with error 5.
  void SetListIndex(int32_t index) override;
  // The selected entry, "" when none.
  std::string Text() const { return List(index_); }

 private:
  std::vector<std::string> items_;
  int32_t index_ = -1;
};

class StringList : public IAppStringList {
 public:
  // With unique, a value already present (ignoring case when asked) is not added again.
  void Add(std::string_view value, bool unique = true, bool ignoreCase = true) override;
  int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
  std::string Item(int32_t position) const override;  // "" outside the list

 private:
  std::vector<std::string> items_;
};

}  // namespace ridirodev::standalone
