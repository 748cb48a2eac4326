#include "ridirodev/model/qualifiers.h"

#include <gtest/gtest.h>

#include "ridirodev/frame/state.h"
#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;
using testing::ScriptedRecordset;
using testing::ScriptedRows;

// What the loaders do: one member per row, initialised from the row and added.
template <class Collection, class Member>
std::shared_ptr<Collection> Load(ScriptedRows rows) {
  auto collection = std::make_shared<Collection>();
  for (ScriptedRecordset rs(std::move(rows)); !rs.Eof(); rs.MoveNext()) {
    auto member = std::make_shared<Member>();
    member->Initialize(rs);
    collection->Add(member);
  }
  return collection;
}

// Technologies named after their short names.
CFieldTechTypesPtr Techs(const std::vector<std::pair<std::string, int32_t>>& techs) {
  ScriptedRows rows{{"Tech_Name", "Tech_Char", "Tech_Mask", "Tech_Desc"}, {}};
  for (const auto& [code, mask] : techs) rows.rows.push_back({code + " tech", code, mask, Variant::Null()});
  return Load<CFieldTechTypes, CFieldTechType>(std::move(rows));
}

class QualifiersTest : public ::testing::Test {
 protected:
  std::shared_ptr<testing::TestHost> host_ = std::make_shared<testing::TestHost>();
  MRidirodevScope scope_{host_};
};

TEST_F(QualifiersTest, TechnologyStrings) {
  auto techs = Techs({{"G", 1}, {"C", 2}, {"U", 4}});
  EXPECT_EQ(techs->Item("u TECH")->TechMask(), 4);
  EXPECT_EQ(techs->Item(1)->Description(), "");
  EXPECT_EQ(ErrorOf([&] { techs->Add(Techs({{"g", 8}})->Item(1)); }), ErrorNumber::kDuplicateKey);

  EXPECT_EQ(techs->FieldTechType(5), "GU");
  EXPECT_EQ(techs->FieldTechType(7), "GCU");
  EXPECT_EQ(techs->FieldTechType(5), "GU");  // again, from the cache
  for (int32_t outside : {0, 8, 9, 1 << 30}) EXPECT_EQ(techs->FieldTechType(outside), "") << outside;
  EXPECT_EQ(ErrorOf([&] { techs->FieldTechType(-1); }), ErrorNumber::kSubscriptOutOfRange);

  // Later changes to the collection do not show, even for values not asked before.
  techs->Add(Techs({{"L", 1}})->Item(1));
  techs->Remove("C tech");
  EXPECT_EQ(techs->FieldTechType(3), "GC");

  // A mask of two bits joins every entry that shares either; the table spans the
  // technology count's bits only, whatever the masks hold.
  auto dual = Techs({{"G", 1}, {"X", 6}});
  EXPECT_EQ(dual->FieldTechType(2), "X");
  EXPECT_EQ(dual->FieldTechType(3), "GX");
  EXPECT_EQ(dual->FieldTechType(4), "");
}

TEST_F(QualifiersTest, TechnologyLimit) {
  host_->Support().SetAppTitle("PM Client");
  std::vector<std::pair<std::string, int32_t>> list;
  for (int32_t i = 0; i < 21; ++i) list.emplace_back(std::string(1, static_cast<char>('A' + i)), 1 << i);
  auto most = Techs(list);
  EXPECT_EQ(most->FieldTechType((1 << 21) - 1), "ABCDEFGHIJKLMNOPQRSTU");
  EXPECT_TRUE(host_->Messages().MessageBoxes().empty());

  list.emplace_back("V", 0);
  auto tooMany = Techs(list);
  EXPECT_EQ(tooMany->FieldTechType(1), "");
  EXPECT_EQ(tooMany->FieldTechType(1), "");
  const auto& boxes = host_->Messages().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);  // shown on every call: the table is never built
  EXPECT_EQ(boxes[0].text,
            "Internal Error: Too many technologies.\r\nTechnology table has [22] Technologies but, \r\n"
            "System can only support [21] Technologies.\r\nPlease Contact Your System Administrator.");
  EXPECT_EQ(boxes[0].style, 16);
  EXPECT_EQ(boxes[0].caption, "PM Client");
}

TEST_F(QualifiersTest, ValueAndLabelListsLineUpTheDashes) {
  auto techs = Load<CFieldTechTypes, CFieldTechType>({{"TECH_NAME", "tech_char", "Tech_Mask", "Tech_Desc"},
                                                      {{"GSM", "G", 1, ""}, {"Universal", "UMTS", 2, ""}}});
  techs->UpdateListValues();
  EXPECT_EQ(techs->ValueList(), "G,UMTS");
  EXPECT_EQ(techs->LabelList(), "G    - GSM,UMTS - Universal");

  // Field types pad by characters, not bytes.
  auto types = Load<CFieldTypes, CFieldType>({{"Field_Group_Short", "Field_Group_Id", "Field_Group_Name"},
                                              {{"\xC3\x89", 3, "Entit\xC3\xA9"}, {"UDC", 9, "Calc"}}});
  types->UpdateListValues();
  EXPECT_EQ(types->Item("udc")->FieldTypeId(), 9);
  EXPECT_EQ(types->LabelList(), "\xC3\x89   - Entit\xC3\xA9,UDC - Calc");

  CFieldTypes empty;
  empty.UpdateListValues();
  EXPECT_EQ(empty.ValueList() + empty.LabelList(), "");
}

TEST_F(QualifiersTest, AggregatorRows) {
  auto bare = Load<CAggregators, CAggregator>(
      {{"AGGR_Name", "AGGR_ID", "AGGR_BH_OK"}, {{"Sum", 3, "Y"}, {"Average", "AVG", "N"}}});
  auto sum = bare->Item("3");
  ASSERT_NE(sum, nullptr);
  EXPECT_EQ(sum->ShortName(), "3");
  EXPECT_EQ(sum->TimeAggregator() + "/" + sum->ElementAggregator(), "Sum/Sum");
  EXPECT_TRUE(sum->OkForBusyHour());
  EXPECT_FALSE(bare->Item("avg")->OkForBusyHour());

  auto peak =
      Load<CAggregators, CAggregator>({{"AGGR_Name", "AGGR_ID", "label_time", "label_element", "AGGR_BH_OK"},
                                       {{"Peak", "PK", "Maximum", Variant::Null(), "Y"}}})
          ->Item(1);
  EXPECT_EQ(peak->TimeAggregator() + "/" + peak->ElementAggregator(), "Maximum/Peak");

  // A required column missing fails and leaves the object as it was.
  EXPECT_EQ(ErrorOf([&] {
              peak->Initialize(ScriptedRecordset({{"AGGR_Name", "AGGR_ID"}, {{"Sum", "S"}}}));
            }),
            ErrorNumber::kItemNotFound);
  EXPECT_EQ(peak->Key(), "PK");
}

TEST_F(QualifiersTest, ExtraColumnEditableIsOptional) {
  const auto describe = [](const CExtraColumnPtr& c) {
    return c->ColType() + "|" + c->Id() + "|" + (c->Editable() ? "editable" : "read-only");
  };
  EXPECT_EQ(
      describe(Load<CExtraColumns, CExtraColumn>({{"Col_Title", "E_Type", "e_id"}, {{"Vendor", "A", 7}}})
                   ->Item("VENDOR")),
      "A|7|read-only");
  auto columns =
      Load<CExtraColumns, CExtraColumn>({{"Col_Title", "E_Type", "e_id", "Editable"},
                                         {{"Owner", "D", Variant::Null(), "Y"}, {"Region", "D", 2, "N"}}});
  EXPECT_EQ(describe(columns->Item("Owner")), "D|0|editable");
  EXPECT_EQ(describe(columns->Item("Region")), "D|2|read-only");
}

}  // namespace
}  // namespace ridirodev
