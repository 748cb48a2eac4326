#include "ridirodev/model/field_category.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::FieldRows;
using testing::TextContains;

using Row = std::vector<Variant>;

std::string Key(int32_t id) { return "Cat:" + std::to_string(id); }

// The key of a category's parent, "-" for none, "<no category>" when the category is missing.
std::string ParentKey(const CFieldCategoriesPtr& categories, int32_t id) {
  CFieldCategoryPtr category = categories->Item(Key(id));
  if (!category) return "<no category>";
  return category->Parent() ? category->Parent()->Key() : "-";
}

std::string ItemKey(const ITreeNodePtr& node) {
  return node && node->Item() ? node->Item()->Key() : "<none>";
}

// A hierarchy row; a parent of 0 comes as Null, as the top entity's does.
Row Entity(int32_t id, int32_t parent, const std::string& label = "", const std::string& context = "") {
  const Variant up = parent == 0 ? Variant::Null() : Variant(parent);
  return {id, up, "E" + std::to_string(id), label, context, "entity " + std::to_string(id), "y", "N", "Y"};
}

testing::ScriptedRows Hierarchy(std::vector<Row> rows) {
  return {{"Entity_Id", "Parent_Entity_Id", "Entity_Name", "Entity_Label", "Context_Entity_Label",
           "Entity_Desc", "Can_Sum", "Can_Rpt", "AllowReparenting"},
          std::move(rows)};
}

// The tree as text: each node's key ("-" for none) with its children in parentheses.
std::string Tree(const ITreeNodePtr& node) {
  std::string text = node->Item() ? node->Item()->Key() : "-";
  const auto children = node->Children();
  if (children.empty()) return text;
  text += '(';
  for (size_t i = 0; i < children.size(); ++i) text += (i ? "," : "") + Tree(children[i]);
  return text + ')';
}

std::vector<std::string> Names(const CFields& fields) {
  std::vector<std::string> names;
  for (const auto& field : fields) names.emplace_back(field->Name());
  return names;
}

// The number of entries for categories that could not be placed, each of the fixed text.
size_t UnplacedEntries(const testing::TestSupport& support) {
  for (const auto& entry : support.Logs()) {
    EXPECT_EQ(std::to_string(entry.severity) + "|" + entry.component + "|" + entry.operation,
              "2|Ridirodev|CreateCategoryHierarchy");
    EXPECT_THAT(entry.messages, ElementsAre("unable to lookup parent node"));
  }
  return support.Logs().size();
}

class FieldCategoryTest : public testing::HostTest {
 protected:
  CFieldCategoriesPtr Load(std::vector<Row> rows) {
    // By exact text: a statement scripted again answers the next rows.
    db().AddRows(sql::FieldCategoriesStatement(host_->Support().ExtendedEntityViews(), 5),
                 Hierarchy(std::move(rows)));
    auto categories = std::make_shared<CFieldCategories>();
    LoadFieldCategories(state(), "Traffic", 5, *categories);
    return categories;
  }
  CFieldCategoryPtr Make(int32_t id, int32_t parent, const std::string& label = "") {
    auto category = std::make_shared<CFieldCategory>();
    category->Initialize(id, "E" + std::to_string(id), "Traffic", parent, "", false, false, false, nullptr,
                         label, "");
    return category;
  }
};

TEST_F(FieldCategoryTest, RowMappingAndNames) {
  auto categories = Load({Entity(3, 0, "System"), Entity(7, 3, "Cell", "Site")});
  EXPECT_TRUE(db().Recordsets().back()->Closed());
  auto cell = categories->Item("cat:7"), system = categories->Item("Cat:3");
  ASSERT_TRUE(cell && system);
  EXPECT_EQ(cell->Parent(), system);
  EXPECT_EQ(cell->Key() + " " + cell->ParentKey() + " " + system->ParentKey() + " " + cell->Description(),
            "Cat:7 Cat:3 Cat:0 entity 7");
  // Lower-case "y" counts; the reparenting flag is "Y"/"N" text.
  EXPECT_TRUE(cell->CanSum() && !cell->CanRpt() && cell->AllowReparenting());
  // The name follows the views at call time.
  EXPECT_EQ(cell->CategoryName() + "|" + cell->HierarchyLabel(), "E7|E7 (Site)");
  host_->Support().SetExtendedEntityViews(true);
  EXPECT_EQ(cell->HierarchyLabel() + "|" + system->HierarchyLabel(), "Cell (Site)|System");

  // Older schemas lack the optional columns.
  db().AddRows(sql::FieldCategoriesStatement(true, 5),
               {{"Entity_Id", "Parent_Entity_Id", "Entity_Name", "Entity_Desc", "Can_Sum", "Can_Rpt"},
                {{4, Variant::Null(), "Old", Variant::Null(), "N", "Y"}}});
  auto plain = std::make_shared<CFieldCategories>();
  LoadFieldCategories(state(), "Traffic", 5, *plain);
  auto old = plain->Item("Cat:4");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->Label() + old->ContextEntityLabel(), "");
  EXPECT_TRUE(!old->AllowReparenting() && old->CanRpt());
  EXPECT_EQ(ErrorOf([&] { plain->Add(Make(4, 0)); }), ErrorNumber::kDuplicateKey);
}

TEST_F(FieldCategoryTest, IsRoot) {
  // Extended views, label, parent id, root.
  const std::tuple<bool, std::string, int32_t, bool> cases[] = {{true, " system ", 3, true},
                                                                {true, "Switch", 0, false},
                                                                {false, " system ", 3, false},
                                                                {false, "", 0, true}};
  for (const auto& [extended, label, parent, root] : cases) {
    host_->Support().SetExtendedEntityViews(extended);
    EXPECT_EQ(Make(1, parent, label)->IsRoot(), root) << extended << label << parent;
  }
}

TEST_F(FieldCategoryTest, RootPlacement) {
  host_->Support().SetExtendedEntityViews(true);
  auto extended = Load({Entity(1, 0, "SYSTEM"), Entity(2, 1, "Cell"), Entity(3, 0, "system")});
  EXPECT_EQ(Tree(extended->RootNode()), "-(Cat:1(Cat:2),Cat:3)");
  EXPECT_EQ(extended->RootCategory(), nullptr);

  // Without the extended views a later root replaces the earlier one; what hangs below the
  // replaced root cannot be placed.
  host_->Support().SetExtendedEntityViews(false);
  auto plain = Load({Entity(1, 0), Entity(2, 1), Entity(3, 0), Entity(4, 3)});
  EXPECT_EQ(Tree(plain->RootNode()), "Cat:3(Cat:4)");
  EXPECT_EQ(plain->RootCategory(), plain->Item("Cat:3"));
  EXPECT_EQ(UnplacedEntries(host_->Support()), 1u);
}

TEST_F(FieldCategoryTest, RowOrderDoesNotMatter) {
  // System 1 > Switch 2 > Cells 3 and 5; Sector 4 under cell 3. Siblings keep arrival order.
  const std::vector<std::vector<int32_t>> orders = {{1, 2, 3, 4, 5}, {4, 3, 5, 2, 1}, {3, 4, 1, 5, 2}};
  const std::map<int32_t, int32_t> parents = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 2}};
  for (bool extended : {false, true}) {
    host_->Support().SetExtendedEntityViews(extended);
    for (const auto& order : orders) {
      std::vector<Row> rows;
      for (int32_t id : order) rows.push_back(Entity(id, parents.at(id), id == 1 ? "SYSTEM" : "L"));
      auto categories = Load(rows);
      EXPECT_EQ(Tree(categories->RootNode()),
                extended ? "-(Cat:1(Cat:2(Cat:3(Cat:4),Cat:5)))" : "Cat:1(Cat:2(Cat:3(Cat:4),Cat:5))");
      for (const auto& [id, parent] : parents)
        EXPECT_EQ(ParentKey(categories, id), parent ? Key(parent) : "-");
    }
  }
  EXPECT_TRUE(host_->Support().Logs().empty());
}

TEST_F(FieldCategoryTest, UnplaceableParentsAreLoggedAndLeftOut) {
  // 6 has no parent in the collection; 7 and 8 are each other's parent, 9 hangs below them,
  // 10 is its own parent. The load goes on and places the rest.
  auto categories = Load({Entity(9, 7), Entity(1, 0, "SYSTEM"), Entity(6, 99), Entity(7, 8), Entity(2, 1),
                          Entity(8, 7), Entity(10, 10)});
  EXPECT_EQ(categories->Count(), 7);  // no error 91
  EXPECT_EQ(Tree(categories->RootNode()), "Cat:1(Cat:2)");
  EXPECT_EQ(UnplacedEntries(host_->Support()), 5u);
  for (int32_t looped : {6, 7, 8, 10}) EXPECT_EQ(ParentKey(categories, looped), "-") << looped;
  EXPECT_EQ(ParentKey(categories, 9), "Cat:7");
  for (int32_t id : {6, 7, 9, 10})
    EXPECT_EQ(ErrorOf([&] { categories->BranchRoot(Key(id)); }), ErrorNumber::kInvalidArgument) << id;
}

TEST_F(FieldCategoryTest, BranchRoot) {
  host_->Support().SetExtendedEntityViews(true);
  auto categories = Load({Entity(1, 0, "System"), Entity(2, 1, "Switch"), Entity(3, 2, "Cell")});
  EXPECT_EQ(categories->BranchRoot("Cat:3"), categories->RootNode()->Children().at(0));
  EXPECT_EQ(ItemKey(categories->BranchRoot("cat:3", "sWitch")), "Cat:2");
  EXPECT_EQ(ItemKey(categories->BranchRoot("Cat:3", "CELL")), "Cat:3");
  EXPECT_EQ(ErrorOf([&] { categories->BranchRoot("Cat:2", "Cell"); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { categories->BranchRoot("Cat:42"); }), ErrorNumber::kInvalidArgument);
}

TEST_F(FieldCategoryTest, KeyFieldsInheritOutermostFirst) {
  testing::ScriptTemplates(db(), {{1, "Traffic", 5}});
  db().AddRows(TextContains("FROM TQN_Entity_Hier"), Hierarchy({Entity(3, 2), Entity(1, 0), Entity(2, 1)}));
  db().AddTable("tqd_udr_keys");
  db().AddRows(TextContains("count (*)"), {{"RowCount"}, {{3}}});
  db().AddRows(TextContains("tqd_udr_keys a"), {{"entity_id", "field_seq", "name"},
                                                {{1, 1, "sys_id"}, {2, 1, "switch_id"}, {3, 1, "cell_id"}}});
  // Each entity has its key field and one counter.
  const char* keyNames[] = {"", "sys_id", "switch_id", "cell_id"};
  for (int32_t e = 1; e <= 3; ++e)
    db().AddRows(
        TextContains("d.Entity_Id in (" + std::to_string(e) + ")"),
        FieldRows({{{"Field_Id", e * 10}, {"Entity_Id", e}, {"Name", keyNames[e]}, {"DataType", "I"}},
                   {{"Field_Id", e * 10 + 1}, {"Entity_Id", e}, {"Name", "count"}, {"DataType", "I"}}}));
  CFieldCategoryPtr cell = GRidirodev::LookupCategoryByName("Traffic", "E3");
  ASSERT_TRUE(cell);
  auto keys = cell->KeyFields();
  EXPECT_THAT(Names(*keys), ElementsAre("sys_id", "switch_id", "cell_id"));
  EXPECT_EQ(cell->KeyFields(), keys);  // built once

  // A parent chain that loops, set by hand, still ends.
  auto a = Make(1, 2), b = Make(2, 1);
  a->SetParent(b);
  b->SetParent(a);
  EXPECT_THAT(Names(*a->KeyFields()), ElementsAre("switch_id", "sys_id"));
  // A parent that was never linked is the missing-object error, not a loss of inherited keys.
  EXPECT_EQ(ErrorOf([&] { Make(4, 99)->KeyFields(); }), ErrorNumber::kObjectNotSet);
}

TEST_F(FieldCategoryTest, CommonFieldsLoadAnewEachCall) {
  db().AddRows(TextContains("WHERE d.Entity_ID = 7"), FieldRows({{{"Field_Id", 70}, {"Name", "attempts"}}}));
  auto category = Make(7, 3);
  EXPECT_NE(category->CommonFields(), category->CommonFields());
  EXPECT_THAT(Names(*category->CommonFields()), ElementsAre("attempts"));
  EXPECT_TRUE(db().Recordsets().back()->Closed());
  // A clone takes a copy of the common fields and no parent.
  category->SetParent(Make(3, 0));
  auto clone = category->Clone();
  EXPECT_EQ(clone->Key() + (clone->Parent() ? " with a parent" : ""), "Cat:7");
}

TEST_F(FieldCategoryTest, TreeItemAdapter) {
  auto category = Make(2, 1);
  ITreeNodeItemPtr item = category->TreeItem();
  EXPECT_EQ(CFieldCategory::FromTreeItem(item.get()), category);
  EXPECT_LT(item->Compare(*Make(3, 1)->TreeItem()), 0);
  EXPECT_EQ(item->Compare(*Make(2, 0)->TreeItem()), 0);
  ITreeNodeItemPtr copy = item->Clone();
  EXPECT_TRUE(copy->Key() == "Cat:2" && CFieldCategory::FromTreeItem(copy.get()) != category);
  item->Clear();  // not supported: logged, nothing else
  ASSERT_EQ(host_->Support().Logs().size(), 1u);
  EXPECT_THAT(host_->Support().Logs()[0].messages, ElementsAre("unsupported method called"));
}

}  // namespace
}  // namespace ridirodev
