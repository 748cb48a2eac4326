#pragma once

// A node of the standalone host's settings tree: named values, value entries and child nodes.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/controls.h"

namespace ridirodev::standalone {

class SettingsNode : public IAppSettingsNode, public std::enable_shared_from_this<SettingsNode> {
 public:
  struct NamedValue {
    std::string name;
    Variant value;
  };

  static std::shared_ptr<SettingsNode> Create(std::string name);
  // A property list: a node whose absent values read as its default.
  static std::shared_ptr<SettingsNode> CreateList(std::string name, Variant listDefault);

  std::string Name() const override { return name_; }
  // Names are compared without regard to case. An absent value gives defaultValue; on a
  // property list an Empty defaultValue gives the list's default instead.
  Variant Value(std::string_view name, const Variant& defaultValue = Variant()) const override;
  // Error 13 for an object: the tree must be writable to the file.
  void SetValue(std::string_view name, const Variant& value) override;
  bool RemoveValue(std::string_view name);
  // The first child of that name, appended when there is none.
  IAppSettingsNodePtr Child(std::string_view name) override;
  // Appends child. Error 13 for a node of another implementation, error 5 for a node that
  // already has a parent or is this node or one of its ancestors (the tree stays a tree).
  void AddChild(IAppSettingsNodePtr child) override;
  std::vector<IAppSettingsNodePtr> Children() const override;
  void AddValueEntry(const Variant& value) override;

  bool IsPropertyList() const { return isList_; }
  const Variant& ListDefault() const { return listDefault_; }
  const std::vector<NamedValue>& NamedValues() const { return values_; }
  const std::vector<Variant>& ValueEntries() const { return entries_; }
  const std::vector<std::shared_ptr<SettingsNode>>& ChildNodes() const { return children_; }

 private:
  SettingsNode(std::string name, bool isList, Variant listDefault)
      : name_(std::move(name)), isList_(isList), listDefault_(std::move(listDefault)) {}
  std::string name_;
  bool isList_;
  Variant listDefault_;
  std::vector<NamedValue> values_;
  std::vector<Variant> entries_;
  std::vector<std::shared_ptr<SettingsNode>> children_;
  std::weak_ptr<SettingsNode> parent_;
};
using SettingsNodePtr = std::shared_ptr<SettingsNode>;

}  // namespace ridirodev::standalone
