#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"

namespace ridirodev {

// A combo box handed in by the host.
class IComboBox {
 public:
  virtual ~IComboBox() = default;
  virtual void Clear() = 0;
  virtual void AddItem(std::string_view text) = 0;
  virtual int32_t ListCount() const = 0;
  virtual std::string List(int32_t index) const = 0;  // 0-based
  virtual int32_t ListIndex() const = 0;              // -1 when nothing is selected
  virtual void SetListIndex(int32_t index) = 0;
};

// The selection of day slots of a busy hour (1-based slots by default).
class IHourSelection : public Object {
 public:
  virtual void Initialize(int32_t firstIndex) = 0;
  virtual void Resize(int32_t count) = 0;
  virtual int32_t FirstIndex() const = 0;
  virtual int32_t Count() const = 0;
  virtual bool Selected(int32_t index) const = 0;  // false outside the range
  virtual void SetSelected(int32_t index, bool selected) = 0;
  virtual int32_t SelectedCount() const = 0;
};
using IHourSelectionPtr = std::shared_ptr<IHourSelection>;

// What the component's objects put into a host tree node.
class ITreeNodeItem;

// A node of the host's tree structure.
class ITreeNode : public Object {
 public:
  virtual std::shared_ptr<ITreeNodeItem> Item() const = 0;
  virtual void SetItem(std::shared_ptr<ITreeNodeItem> item) = 0;
  // Adds a new child node carrying item and returns it.
  virtual std::shared_ptr<ITreeNode> AddChild(std::shared_ptr<ITreeNodeItem> item) = 0;
  virtual std::vector<std::shared_ptr<ITreeNode>> Children() const = 0;
  virtual std::shared_ptr<ITreeNode> Parent() const = 0;
  // This node or a descendant whose item has that key (without regard to case), or nullptr.
  virtual std::shared_ptr<ITreeNode> FindNode(std::string_view key) const = 0;
};
using ITreeNodePtr = std::shared_ptr<ITreeNode>;

// Walks a tree depth first, parents before children.
class ITreeIterator : public Object {
 public:
  virtual void SetRoot(ITreeNodePtr root) = 0;
  virtual void Restart() = 0;
  virtual ITreeNodePtr NextNode() = 0;  // nullptr at the end
};
using ITreeIteratorPtr = std::shared_ptr<ITreeIterator>;

// A key of the host's registry area.
class IRegistryKey : public Object {
 public:
  virtual std::shared_ptr<IRegistryKey> OpenKey(std::string_view name) const = 0;  // nullptr when absent
  virtual std::shared_ptr<IRegistryKey> CreateKey(std::string_view name) = 0;      // opens when present
  virtual bool HasValue(std::string_view name) const = 0;
  virtual std::string ReadValue(std::string_view name, std::string_view defaultValue = "") const = 0;
  virtual void WriteValue(std::string_view name, std::string_view value) = 0;
  virtual void DeleteValue(std::string_view name) = 0;
  virtual std::vector<std::string> ValueNames() const = 0;
  // Removes a subkey with everything below it; false when there is none.
  virtual bool DeleteKey(std::string_view name) = 0;
};
using IRegistryKeyPtr = std::shared_ptr<IRegistryKey>;

// A node of the host's settings tree: named values and named child nodes.
class IAppSettingsNode : public Object {
 public:
  virtual std::string Name() const = 0;
  virtual Variant Value(std::string_view name, const Variant& defaultValue = Variant()) const = 0;
  virtual void SetValue(std::string_view name, const Variant& value) = 0;
  virtual std::shared_ptr<IAppSettingsNode> Child(std::string_view name) = 0;  // created when absent
  virtual void AddChild(std::shared_ptr<IAppSettingsNode> child) = 0;
  virtual std::vector<std::shared_ptr<IAppSettingsNode>> Children() const = 0;
  // An unnamed value entry (the host's list terminator).
  virtual void AddValueEntry(const Variant& value) = 0;
};
using IAppSettingsNodePtr = std::shared_ptr<IAppSettingsNode>;

// A column of a host property set.
class IAppPropertyDefinition : public Object {
 public:
  virtual int32_t Id() const = 0;
  virtual std::string Name() const = 0;
  virtual float Width() const = 0;
  virtual bool Available() const = 0;
};
using IAppPropertyDefinitionPtr = std::shared_ptr<IAppPropertyDefinition>;

class ILVItemCollection;

// An ordered set of property definitions, with the host's table renderer.
class IAppPropertySet : public Object {
 public:
  virtual void Add(IAppPropertyDefinitionPtr definition) = 0;
  virtual int32_t Count() const = 0;
  virtual IAppPropertyDefinitionPtr Item(int32_t position) const = 0;  // 1-based; nullptr when absent
  virtual IAppPropertyDefinitionPtr ItemById(int32_t id) const = 0;
  // Renders items as a text table over this set's columns.
  virtual std::string RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t a, int32_t b,
                                  int32_t c, std::shared_ptr<Object> context) const = 0;
};
using IAppPropertySetPtr = std::shared_ptr<IAppPropertySet>;

// The host's ordered string list that keeps each value once.
class IAppStringList : public Object {
 public:
  virtual void Add(std::string_view value, bool unique = true, bool ignoreCase = true) = 0;
  virtual int32_t Count() const = 0;
  virtual std::string Item(int32_t position) const = 0;  // 1-based
};
using IAppStringListPtr = std::shared_ptr<IAppStringList>;

}  // namespace ridirodev
