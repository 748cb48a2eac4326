#pragma once

// Property definitions and sets of the standalone host, with the text table renderer.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ridirodev/core/object.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/items.h"

namespace ridirodev::standalone {

class PropertyDefinition : public IAppPropertyDefinition {
 public:
  PropertyDefinition(int32_t id, std::string name, float width, bool available)
      : id_(id), name_(std::move(name)), width_(width), available_(available) {}
  int32_t Id() const override { return id_; }
  std::string Name() const override { return name_; }
  float Width() const override { return width_; }
  bool Available() const override { return available_; }

 private:
  int32_t id_;
  std::string name_;
  float width_;
  bool available_;
};

// Handed to RenderTable: the text between two columns.
class TableRenderContext : public Object {
 public:
  std::string columnSeparator = "  ";
};

class PropertySet : public IAppPropertySet {
 public:
  void Add(IAppPropertyDefinitionPtr definition) override;
  int32_t Count() const override { return static_cast<int32_t>(definitions_.size()); }
  IAppPropertyDefinitionPtr Item(int32_t position) const override;
  IAppPropertyDefinitionPtr ItemById(int32_t id) const override;  // the first with that id

  // One column per available definition, in order, as wide as its widest text in characters;
  // with headings a line of names and a rule of "-" first; then one line per item. Trailing
  // blanks are dropped, line breaks inside values become blanks, Null and objects show as "".
  // The columns are separated by the context's separator when it is a TableRenderContext.
  std::string RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t a, int32_t b,
                          int32_t c, std::shared_ptr<Object> context) const override;

 private:
  std::vector<IAppPropertyDefinitionPtr> definitions_;
};

}  // namespace ridirodev::standalone
