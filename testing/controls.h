#pragma once

// Doubles of the controls and containers the host hands in: hour selection, combo box, tree
// node and iterator, registry key, settings node and property bag.

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
  void Initialize(int32_t firstIndex) override;
  void Resize(int32_t count) override;
  int32_t FirstIndex() const override { return first_; }
  int32_t Count() const override { return static_cast<int32_t>(slots_.size()); }
  bool Selected(int32_t index) const override;
  void SetSelected(int32_t index, bool selected) override;
  int32_t SelectedCount() const override;

 private:
  int32_t first_ = 1;
  std::vector<bool> slots_;
};

// A combo box in memory: the items in order and the selected index (-1 for none). An index
// outside the items fails with 381.
class TestComboBox final : public IComboBox {
 public:
  void Clear() override {
    items_.clear();
    index_ = -1;
  }
  void AddItem(std::string_view text) override { items_.emplace_back(text); }
  int32_t ListCount() const override { return static_cast<int32_t>(items_.size()); }
  std::string List(int32_t index) const override;
  int32_t ListIndex() const override { return index_; }
  void SetListIndex(int32_t index) override;

  const std::vector<std::string>& Items() const noexcept { return items_; }

 private:
  std::vector<std::string> items_;
  int32_t index_ = -1;
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
  void Restart() override;
  ITreeNodePtr NextNode() override;

 private:
  ITreeNodePtr root_;
  std::vector<ITreeNodePtr> pending_;  // next node at the back
};

// A registry key in memory. Key names may be paths separated by "\"; names of keys and values
// are compared without regard to case; values and subkeys keep the order of creation.
class TestRegistryKey final : public IRegistryKey {
 public:
  explicit TestRegistryKey(std::string name = "") : name_(std::move(name)) {}

  IRegistryKeyPtr OpenKey(std::string_view name) const override;
  IRegistryKeyPtr CreateKey(std::string_view name) override;
  bool HasValue(std::string_view name) const override;
  std::string ReadValue(std::string_view name, std::string_view defaultValue = "") const override;
  void WriteValue(std::string_view name, std::string_view value) override;
  void DeleteValue(std::string_view name) override;
  std::vector<std::string> ValueNames() const override;

  const std::string& Name() const noexcept { return name_; }
  std::vector<std::string> KeyNames() const;

 private:
  std::shared_ptr<TestRegistryKey> Subkey(std::string_view name) const;

  std::string name_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::shared_ptr<TestRegistryKey>> keys_;
};
using TestRegistryKeyPtr = std::shared_ptr<TestRegistryKey>;

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

  const std::vector<Variant>& ValueEntries() const noexcept { return entries_; }
  bool HasValue(std::string_view name) const;

 private:
  std::string name_;
  std::vector<std::pair<std::string, Variant>> values_;
  std::vector<IAppSettingsNodePtr> children_;
  std::vector<Variant> entries_;
};
using TestSettingsNodePtr = std::shared_ptr<TestSettingsNode>;

// A property bag in memory. As the host's bag, a value equal to its default is not kept, and
// reading an absent property gives the default.
class TestPropertyBag final : public IPropertyBag {
 public:
  Variant ReadProperty(std::string_view name, const Variant& defaultValue = Variant()) const override;
  void WriteProperty(std::string_view name, const Variant& value,
                     const Variant& defaultValue = Variant()) override;

  bool Has(std::string_view name) const;
  const std::vector<std::pair<std::string, Variant>>& Properties() const noexcept { return properties_; }

 private:
  std::vector<std::pair<std::string, Variant>> properties_;
};

}  // namespace ridirodev::testing
