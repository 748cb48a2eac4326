#include "standalone/controls.h"

#include <gtest/gtest.h>

#include "ridirodev/core/automation_error.h"
#include "standalone/graphics.h"

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
  EXPECT_TRUE(h.Selected(24));
  EXPECT_FALSE(h.Selected(0) || h.Selected(25));
  EXPECT_THROW(h.SetSelected(25, true), AutomationError);
  EXPECT_THROW(h.SetSelected(0, true), AutomationError);

  h.Resize(48);  // kept slots keep their state, new ones start clear
  EXPECT_TRUE(h.Selected(24));
  EXPECT_FALSE(h.Selected(25));
  h.Resize(10);
  h.Resize(24);
  EXPECT_EQ(h.SelectedCount(), 2) << "a slot dropped by shrinking comes back clear";

  h.Initialize(0);  // a new first index clears the selection and shifts the numbers
  EXPECT_EQ(h.SelectedCount(), 0);
  EXPECT_EQ(h.Count(), 24);
  h.SetSelected(0, true);
  EXPECT_TRUE(h.Selected(0));
  EXPECT_THROW(h.SetSelected(24, true), AutomationError);
}

TEST(TreeTest, IteratorVisitsParentsBeforeChildrenInOrder) {
  auto root = TreeNode::Create(Item("Entities"));
  auto sw = root->AddChild(Item("Cat:2"));
  auto cell = sw->AddChild(Item("Cat:3"));
  cell->AddChild(Item("Cat:4"));
  cell->AddChild(Item("Cat:5"));
  sw->AddChild(Item("Cat:6"));
  root->AddChild(Item("Cat:7"));

  TreeIterator it;
  EXPECT_EQ(it.NextNode(), nullptr) << "no root, no nodes";
  it.SetRoot(root);
  EXPECT_EQ(it.NextNode(), root);
  EXPECT_EQ(it.NextNode(), sw);
  // A child added below a node not yet reached is still visited.
  cell->AddChild(Item("Cat:8"));
  EXPECT_EQ(Walk(it), (std::vector<std::string>{"Cat:3", "Cat:4", "Cat:5", "Cat:8", "Cat:6", "Cat:7"}));
  it.Restart();
  EXPECT_EQ(Walk(it).size(), 8u);

  it.SetRoot(cell);  // a subtree walks on its own
  EXPECT_EQ(Walk(it), (std::vector<std::string>{"Cat:3", "Cat:4", "Cat:5", "Cat:8"}));
}

TEST(TreeTest, FindNodeSearchesTheSubtreeWithoutRegardToCase) {
  auto root = TreeNode::Create();  // a root without an item is searched through
  auto module = root->AddChild(Item("Mod:1"));
  auto version = module->AddChild(Item("Ver:10"));
  auto system = version->AddChild(Item("Cat:100"));
  root->AddChild(Item("Mod:2"));

  EXPECT_EQ(root->FindNode("cat:100"), system);
  EXPECT_EQ(root->FindNode("MOD:2")->Item()->Key(), "Mod:2");
  EXPECT_EQ(module->FindNode("Mod:1"), module) << "the node itself counts";
  EXPECT_EQ(module->FindNode("Mod:2"), nullptr) << "only the subtree is searched";
  EXPECT_EQ(root->FindNode("Cat:1000"), nullptr);
  EXPECT_EQ(system->Parent(), version);
  EXPECT_EQ(root->Parent(), nullptr);

  // A deep chain neither recurses nor leaks (children own, parents are weak).
  ITreeNodePtr deep = root;
  for (int i = 0; i < 20000; ++i) deep = deep->AddChild(Item("D:" + std::to_string(i)));
  EXPECT_EQ(root->FindNode("d:19999"), deep);
}

TEST(ComboBoxTest, SelectionFollowsTheList) {
  ComboBox combo;
  EXPECT_EQ(combo.Text(), "");
  combo.AddItem("All");
  combo.AddItem("Peg");
  combo.SetListIndex(1);
  EXPECT_EQ(combo.Text(), "Peg");
  EXPECT_THROW(combo.SetListIndex(2), AutomationError);
  EXPECT_THROW(combo.SetListIndex(-2), AutomationError);
  EXPECT_EQ(combo.ListIndex(), 1) << "a refused index leaves the selection";
  combo.Clear();
  EXPECT_EQ(combo.ListCount(), 0);
  EXPECT_EQ(combo.ListIndex(), -1) << "clearing drops the selection";
}

TEST(StringListTest, KeepsEachValueOnceAsAsked) {
  StringList list;
  list.Add("Sum");
  list.Add("SUM");  // same, ignoring case
  list.Add("Avg", true, false);
  list.Add("AVG", true, false);  // different with regard to case
  list.Add("Avg", false);        // not unique: added again
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Item(3), "AVG");
  EXPECT_EQ(list.Item(0) + list.Item(5), "");
}

TEST(GraphicsTest, FontsByHandleAndPicturesBySize) {
  FontServices fonts;
  LogFont bold;
  bold.weight = 700;
  const FontRef a = fonts.CreateFontIndirect(bold);
  const FontRef b = fonts.CreateFontIndirect(LogFont{});
  EXPECT_NE(a, b);
  ASSERT_TRUE(fonts.ReadFont(a));
  EXPECT_EQ(fonts.ReadFont(a)->weight, 700);
  fonts.DeleteFont(a);
  fonts.DeleteFont(a);  // stale handle: no effect
  EXPECT_FALSE(fonts.ReadFont(a));
  EXPECT_EQ(fonts.LiveFonts(), 1u);
  EXPECT_NE(fonts.CreateFontIndirect(bold), a) << "handles are not reused";

  ImageServices images;
  EXPECT_EQ(images.LoadBitmap(101)->Height(), 16);
  EXPECT_EQ(images.LoadIcon(102)->Width(), 32);
  try {
    images.LoadIcon(103);
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 326);
  }
  ImageList list;
  list.Add("FieldIcon", images.LoadIcon(101));
  list.Add("FieldKey", images.LoadBitmap(101));
  list.Add("fieldicon", images.LoadIcon(102));  // same key replaces
  EXPECT_EQ(list.Keys(), (std::vector<std::string>{"FieldIcon", "FieldKey"}));
  EXPECT_EQ(list.Find("FIELDICON")->Width(), 32);
  EXPECT_EQ(list.Find("Other"), nullptr);
}

}  // namespace
}  // namespace ridirodev::standalone
