#include "standalone/controls.h"

#include <gtest/gtest.h>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::standalone {
namespace {

class KeyItem : public ITreeNodeItem {
 public:
  explicit KeyItem(std::string key) : key_(std::move(key)) {}
  ITreeNodeItemPtr Clone() const override { return std::make_shared<KeyItem>(key_); }
  void Copy(const ITreeNode&) override {}
  void Clear() override {}
  int32_t Compare(const ITreeNodeItem& other) const override { return key_.compare(other.Key()); }
  std::string Key() const override { return key_; }

 private:
  std::string key_;
};

ITreeNodeItemPtr Item(std::string key) { return std::make_shared<KeyItem>(std::move(key)); }

std::vector<std::string> Walk(ITreeIterator& it) {
  std::vector<std::string> keys;
  while (auto node = it.NextNode()) keys.push_back(node->Item() ? node->Item()->Key() : "-");
  return keys;
}

TEST(HourSelectionTest, SlotsCountFromTheFirstIndexAndSurviveResize) {
  HourSelection h;
  h.Resize(24);
  for (int32_t slot : {1, 24, 7, 7}) h.SetSelected(slot, true);  // selecting twice counts once
  EXPECT_EQ(h.SelectedCount(), 3);
  EXPECT_THROW(h.SetSelected(25, true), AutomationError);

  h.Resize(48);  // kept slots keep their state, new ones start clear
  EXPECT_TRUE(h.Selected(24));
  EXPECT_FALSE(h.Selected(25));
  h.Resize(10);
  h.Resize(24);
  EXPECT_EQ(h.SelectedCount(), 2) << "a slot dropped by shrinking comes back clear";

  h.Initialize(0);  // a new first index clears the selection and shifts the numbers
  EXPECT_EQ(h.SelectedCount(), 0);
  EXPECT_THROW(h.SetSelected(24, true), AutomationError);
}

TEST(TreeTest, IteratorVisitsParentsFirstAndFindNodeSearchesTheSubtree) {
  auto root = TreeNode::Create();  // a root without an item is searched through
  auto sw = root->AddChild(Item("Cat:2"));
  auto cell = sw->AddChild(Item("Cat:3"));
  cell->AddChild(Item("Cat:4"));
  sw->AddChild(Item("Cat:6"));
  TreeIterator it;
  EXPECT_EQ(it.NextNode(), nullptr) << "no root, no nodes";
  it.SetRoot(sw);
  EXPECT_EQ(it.NextNode(), sw);
  // A child added below a node not yet reached is still visited.
  cell->AddChild(Item("Cat:5"));
  EXPECT_EQ(Walk(it), (std::vector<std::string>{"Cat:3", "Cat:4", "Cat:5", "Cat:6"}));

  EXPECT_EQ(root->FindNode("cat:3"), cell);
  EXPECT_EQ(cell->FindNode("Cat:3"), cell) << "the node itself counts";
  EXPECT_EQ(cell->FindNode("Cat:6"), nullptr) << "only the subtree is searched";
  EXPECT_EQ(cell->Parent(), sw);
  // A deep chain neither recurses nor leaks (children own, parents are weak).
  ITreeNodePtr deep = root;
  for (int i = 0; i < 20000; ++i) deep = deep->AddChild(Item("D:" + std::to_string(i)));
  EXPECT_EQ(root->FindNode("d:19999"), deep);
}

}  // namespace
}  // namespace ridirodev::standalone
