#pragma once

#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"
#include "ridirodev/host/controls.h"

namespace ridirodev {

class CFieldCategory;

class MRidirodev;

// A template's categories, keyed by entity key, with a host tree mirroring the hierarchy.
class CFieldCategories : public ObjectCollection<CFieldCategory> {
 public:
  CFieldCategories();
  explicit CFieldCategories(MRidirodev& state);
  ~CFieldCategories() override;

  ITreeNodePtr RootNode() const { return root_; }
  std::shared_ptr<CFieldCategory> RootCategory() const { return rootCategory_; }
  // The tree node of the nearest ancestor-or-self labelled sRootLabel ("SYSTEM" when empty);
  // error 5 for an absent key or when no ancestor carries the label.
  ITreeNodePtr BranchRoot(const std::string& sKey, const std::string& sRootLabel = "");
  // Adds under the category's Key (457 when present) and places a root category in the tree.
  void Add(std::shared_ptr<CFieldCategory> fc);
  void Add(MRidirodev& state, std::shared_ptr<CFieldCategory> fc);
  // Links every non-root category under its parent's node, parents first whatever order the
  // categories were added in. A category whose parent is absent, not in the tree, or on a
  // parent chain that loops is logged and left out (a looping chain loses its parent links);
  // the others are placed. Categories already in the tree are not linked twice.
  void CreateCategoryHierarchy();
  void CreateCategoryHierarchy(MRidirodev& state);

 private:
  // Categories leave only with the whole collection.
  using ObjectCollection::Clear;
  using ObjectCollection::Remove;

  ITreeNodePtr root_;
  std::shared_ptr<CFieldCategory> rootCategory_;
};
using CFieldCategoriesPtr = std::shared_ptr<CFieldCategories>;

}  // namespace ridirodev
