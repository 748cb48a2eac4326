#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

struct Notice {
  int32_t entity;
  std::string names;  // "-" for no collection
  EAction action;
  size_t callsBefore;  // database calls made before the notice
  bool operator==(const Notice&) const = default;
  friend void PrintTo(const Notice& n, std::ostream* os) {
    *os << n.entity << " " << n.names << " " << n.action << " " << n.callsBefore;
  }
};

// Traffic's Cell (entity 3) with one raw counter and one calculation in the database.
class FieldCategoryEditsTest : public testing::SampleDictionaryTest {
 protected:
  FieldCategoryEditsTest() {
    db().AddRows(
        testing::TextContains("d.Entity_Id in (3)"),
        testing::FieldRows(
            {{{"Field_Id", 31}, {"Entity_Id", 3}, {"Name", "calls"}},
             {{"Field_Id", 32}, {"Entity_Id", 3}, {"Name", "drop_rate"}, {"Field_Group_Short", "UDC"}}}));
    db().ScriptRoutine("tq_Dictionary.New_UDC_F", {Variant(41), {}});
    db().ScriptRoutine("ea_client.add_common_field", {Variant(), {{1, Variant(88)}}});
    category_ = GRidirodev::LookupCategoryByName("Traffic", "Cell");
    category_->Fields();  // both caches filled
    connection_ = GRidirodev::FieldUpdates()->FieldsChange.Connect(
        [this](int32_t entity, const std::shared_ptr<CFields>& flds, EAction action) {
          std::string names = flds ? "" : "-";
          for (const CFieldPtr& f : flds ? *flds : CFields()) names += std::string(f->Name()) + ";";
          notices_.push_back({entity, names, action, host_->Journal().Calls().size()});
        });
  }
  CFieldPtr Field(int32_t id, const std::string& name, const std::string& type) {
    auto fld = std::make_shared<CField>();
    fld->Initialize(id, name, 3, "Traffic", type, 1, "F", true, "", "", "", "1", 1, "a/b", Date());
    return fld;
  }

  CFieldCategoryPtr category_;
  std::vector<Notice> notices_;
  decltype(CFieldUpdates::FieldsChange)::Connection connection_;
};

TEST_F(FieldCategoryEditsTest, WriteThenRefreshThenAnnounceAndNothingAfterAFailedWrite) {
  struct Case {
    const char* name;
    std::function<void(CFieldCategory&)> run;
    const char* write;  // a fragment of the database step; "" when there is none
    EAction action;
    const char* names;
    bool staticReloaded, expressionsReloaded;
  };
  const Case cases[] = {
      {"add", [&](CFieldCategory& c) { c.AddExpression(Field(0, "new_udc", "UDC")); }, "New_UDC_F", eAdded,
       "new_udc;", false, true},
      {"rename", [&](CFieldCategory& c) { c.RenameExpression(Field(32, "drop_rate", "UDC"), "dr"); },
       "Update Tqd_Dict_name", eUpdate, "drop_rate;", false, true},
      {"update", [&](CFieldCategory& c) { c.UpdateExpression(Field(32, "drop_rate", "UDC")); }, "Update_UDC",
       eUpdate, "drop_rate;", false, true},
      {"update field", [&](CFieldCategory& c) { c.UpdateField(Field(32, "drop_rate", "UDC")); }, "", eUpdate,
       "drop_rate;", false, false},
      {"add common", [&](CFieldCategory& c) { c.AddCommonField(Field(0, "note", "EXT")); },
       "add_common_field", eAdded, "note;", false, false},
      {"update common", [&](CFieldCategory& c) { c.UpdateCommonField(Field(5, "note", "EXT")); },
       "update_common_field", eUpdate, "note;", false, false},
      {"reset", [](CFieldCategory& c) { c.ReSetFields(); }, "", eRefreshed, "-", true, true},
      {"reload", [](CFieldCategory& c) { c.ReloadFields(); }, "", eRefreshed, "-", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool fail : {true, false}) {
      if (fail && !*c.write) continue;
      const auto statics = category_->StaticFields(), expressions = category_->Expressions();
      notices_.clear();
      host_->Journal().Clear();
      if (fail) host_->Journal().FailOnText(c.write, AutomationError(3146, "db", "broken"));
      try {
        c.run(*category_);
      } catch (const AutomationError& e) {
        EXPECT_TRUE(fail) << e.Description();
      }
      const auto lines = host_->Journal().Lines();
      if (fail) {
        EXPECT_TRUE(notices_.empty());
        EXPECT_EQ(category_->StaticFields(), statics);
        EXPECT_EQ(category_->Expressions(), expressions);
        for (const std::string& line : lines) EXPECT_NE(line.rfind("open", 0), 0u) << line;
        continue;
      }
      EXPECT_THAT(notices_, ElementsAre(Notice{3, c.names, c.action, lines.size()}));  // announced last
      EXPECT_EQ(category_->StaticFields() != statics, c.staticReloaded);
      EXPECT_EQ(category_->Expressions() != expressions, c.expressionsReloaded);
      if (*c.write) {  // the write comes before any read of the refresh
        const auto write =
            std::find_if(lines.begin(), lines.end(), [&](auto& l) { return l.find(c.write) != l.npos; });
        EXPECT_NE(write, lines.end());
        for (auto l = lines.begin(); l != write; ++l) EXPECT_NE(l->rfind("open", 0), 0u) << *l;
      }
    }
  }
}

TEST_F(FieldCategoryEditsTest, DeleteCommonFieldsAsksEachAndGoesOnAfterAFailure) {
  auto flds = std::make_shared<CFields>();
  for (const auto& [id, name] : {std::pair{5, "note"}, {6, "memo"}, {7, "tag"}})
    flds->Add(Field(id, name, "EXT"));
  host_->Journal().Clear();
  host_->Journal().FailOnCall(2, AutomationError(3146, "db", "in use"));
  category_->DeleteCommonFields(flds);
  const auto& boxes = host_->Messages().MessageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].text + "|" + boxes[0].caption + "|" + std::to_string(boxes[0].style),
            "Are you sure you want to delete this field?|Delete Field: note|292");
  EXPECT_EQ(boxes[2].text + "|" + boxes[2].caption + "|" + std::to_string(boxes[2].style),
            "Unable to delete Generic Field.\r\nin use|Ridirodev|16");
  EXPECT_EQ(boxes[3].caption, "Delete Field: tag");
  // The common fields are read again once, after the deletes and before the notice.
  const auto lines = host_->Journal().Lines();
  EXPECT_THAT(lines, ElementsAre("procedure ea_client.remove_common_field(5)",
                                 "procedure ea_client.remove_common_field(6)",
                                 "procedure ea_client.remove_common_field(7)", StartsWith("open ")));
  EXPECT_THAT(notices_, ElementsAre(Notice{3, "note;tag;", eDeleted, 4}));
}

}  // namespace
}  // namespace ridirodev
