#include "ridirodev/model/field_categories.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/host.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {
namespace {

constexpr const char* kClassName = "CFieldCategories";

[[noreturn]] void ThrowNotSet() {
  throw AutomationError(ErrorNumber::kObjectNotSet, kClassName, "Object variable or With block variable not set");
}

[[noreturn]] void ThrowInvalidArgument() {
  throw AutomationError(ErrorNumber::kInvalidArgument, kClassName, "Invalid procedure call or argument");
}

// Clears the parent of every category on a parent chain that loops back on itself, so that
// no walk up the hierarchy can run without end. Categories that merely hang below such a
// loop keep their parent: their chain ends where the loop was cut.
void CutParentLoops(const std::vector<CFieldCategoryPtr>& categories) {
  enum class Mark { kOnPath, kDone };
  std::unordered_map<const CFieldCategory*, Mark> marks;
  for (const CFieldCategoryPtr& start : categories) {
    std::vector<CFieldCategoryPtr> path;
    CFieldCategoryPtr current = start;
    while (current && !marks.contains(current.get())) {
      marks.emplace(current.get(), Mark::kOnPath);
      path.push_back(current);
      current = current->Parent();
    }
    if (current && marks[current.get()] == Mark::kOnPath) {
      bool inLoop = false;
      for (const CFieldCategoryPtr& member : path) {
        inLoop = inLoop || member == current;
        if (inLoop) member->SetParent(nullptr);
      }
    }
    for (const CFieldCategoryPtr& member : path) marks[member.get()] = Mark::kDone;
  }
}

}  // namespace

CFieldCategories::CFieldCategories() : CFieldCategories(MRidirodev::Current()) {}

CFieldCategories::CFieldCategories(MRidirodev& state) : root_(state.HostObject().CreateTreeNode()) {
  if (!root_) ThrowNotSet();
}

CFieldCategories::~CFieldCategories() {
  // Categories first, then the root category and the tree that still refers to it.
  items_.Clear();
  rootCategory_.reset();
  root_.reset();
}

void CFieldCategories::Add(std::shared_ptr<CFieldCategory> fc) {
  if (!fc) ThrowNotSet();
  Add(MRidirodev::Current(), std::move(fc));
}

void CFieldCategories::Add(MRidirodev& state, std::shared_ptr<CFieldCategory> fc) {
  if (!fc) ThrowNotSet();
  items_.Add(fc, fc->Key());
  if (!fc->IsRoot(state)) return;
  if (state.Support().ExtendedEntityViews()) {
    root_->AddChild(fc->TreeItem());
  } else {
    root_->SetItem(fc->TreeItem());
    rootCategory_ = std::move(fc);
  }
}

void CFieldCategories::CreateCategoryHierarchy() { CreateCategoryHierarchy(MRidirodev::Current()); }

void CFieldCategories::CreateCategoryHierarchy(MRidirodev& state) {
  // The nodes already in the tree: the roots that Add placed, and anything an earlier call
  // linked (which is not linked twice).
  std::unordered_map<const CFieldCategory*, ITreeNodePtr> nodes;
  ITreeIteratorPtr iterator = state.HostObject().CreateTreeIterator();
  if (!iterator) ThrowNotSet();
  iterator->SetRoot(root_);
  for (ITreeNodePtr node = iterator->NextNode(); node; node = iterator->NextNode()) {
    if (CFieldCategoryPtr category = CFieldCategory::FromTreeItem(node->Item().get())) {
      nodes.emplace(category.get(), node);
    }
  }

  // Rows may arrive children first, so parents are linked only now that all are present.
  std::vector<CFieldCategoryPtr> waiting;
  for (const CFieldCategoryPtr& category : items_) {
    if (category->ParentId() == 0 || category->IsRoot(state)) continue;
    category->SetParent(items_.ItemByKey(category->ParentKey()));
    if (!nodes.contains(category.get())) waiting.push_back(category);
  }
  CutParentLoops(items_.Values());

  // Parents before children: each placed node takes its children in collection order.
  std::unordered_map<const CFieldCategory*, std::vector<CFieldCategoryPtr>> children;
  for (const CFieldCategoryPtr& category : waiting) {
    if (CFieldCategoryPtr parent = category->Parent()) children[parent.get()].push_back(category);
  }
  std::vector<const CFieldCategory*> placed;
  placed.reserve(nodes.size() + waiting.size());
  for (const auto& [category, node] : nodes) placed.push_back(category);
  while (!placed.empty()) {
    const CFieldCategory* parent = placed.back();
    placed.pop_back();
    auto found = children.find(parent);
    if (found == children.end()) continue;
    const ITreeNodePtr parentNode = nodes.at(parent);
    for (const CFieldCategoryPtr& child : found->second) {
      nodes.emplace(child.get(), parentNode->AddChild(child->TreeItem()));
      placed.push_back(child.get());
    }
  }

  // What no placed node leads to: a parent that is absent, unplaced or on a loop.
  IAppSupport& support = state.Support();
  for (const CFieldCategoryPtr& category : waiting) {
    if (!nodes.contains(category.get())) {
      support.Log(2, "Ridirodev", kClassName, "CreateCategoryHierarchy", {"unable to lookup parent node"});
    }
  }
}

ITreeNodePtr CFieldCategories::BranchRoot(const std::string& sKey, const std::string& sRootLabel) {
  const std::string rootLabel = sRootLabel.empty() ? std::string("SYSTEM") : ToUpper(sRootLabel);
  CFieldCategoryPtr category = items_.ItemByKey(sKey);
  // A chain without the label ends at a key that is absent ("Cat:0" above the top) or, on a
  // looping chain, comes back to a category already passed.
  std::unordered_set<const CFieldCategory*> seen;
  while (category && ToUpper(category->Label()) != rootLabel) {
    if (!seen.insert(category.get()).second) ThrowInvalidArgument();
    category = items_.ItemByKey(category->ParentKey());
  }
  if (!category) ThrowInvalidArgument();
  return root_->FindNode(category->Key());
}

}  // namespace ridirodev
