#include "ridirodev/model/qualifiers.h"

#include <gtest/gtest.h>

#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;
using testing::ScriptedRecordset;

// One member initialised from the first row, as the loaders make them.
template <class Member>
std::shared_ptr<Member> Make(testing::ScriptedRows rows) {
  auto member = std::make_shared<Member>();
  member->Initialize(ScriptedRecordset(std::move(rows)));
  return member;
}

// A technology named after its short name.
CFieldTechTypePtr Tech(const std::string& code, int32_t mask) {
  return Make<CFieldTechType>({{"Tech_Name", "Tech_Char", "Tech_Mask", "Tech_Desc"},
                               {{code + " tech", code, mask, Variant::Null()}}});
}

CFieldTechTypesPtr Techs(const std::vector<std::pair<std::string, int32_t>>& techs) {
  auto collection = std::make_shared<CFieldTechTypes>();
  for (const auto& [code, mask] : techs) collection->Add(Tech(code, mask));
  return collection;
}

using QualifiersTest = testing::HostTest;

TEST_F(QualifiersTest, TechnologyStrings) {
  auto techs = Techs({{"G", 1}, {"C", 2}, {"U", 4}});
  auto umts = techs->Item("u TECH");
  ASSERT_NE(umts, nullptr);
  EXPECT_EQ(std::to_string(umts->TechMask()) + umts->Description(), "4");
  EXPECT_EQ(ErrorOf([&] { techs->Add(Tech("g", 8)); }), ErrorNumber::kDuplicateKey);

  EXPECT_EQ(techs->FieldTechType(5) + techs->FieldTechType(7) + techs->FieldTechType(5), "GUGCUGU");
  for (int32_t outside : {0, 8, 9, 1 << 30}) EXPECT_EQ(techs->FieldTechType(outside), "") << outside;
  EXPECT_EQ(ErrorOf([&] { techs->FieldTechType(-1); }), ErrorNumber::kSubscriptOutOfRange);

  // Later changes to the collection do not show, even for values not asked before.
  techs->Add(Tech("L", 1));
  techs->Remove("C tech");
  EXPECT_EQ(techs->FieldTechType(3), "GC");

  // A mask of two bits joins every entry that shares either; the table spans the
  // technology count's bits only, whatever the masks hold.
  auto dual = Techs({{"G", 1}, {"X", 6}});
  EXPECT_EQ(dual->FieldTechType(2) + "|" + dual->FieldTechType(3) + "|" + dual->FieldTechType(4), "X|GX|");
}

TEST_F(QualifiersTest, TechnologyLimit) {
  host_->Support().SetAppTitle("PM Client");
  std::vector<std::pair<std::string, int32_t>> list;
  for (int32_t i = 0; i < 21; ++i) list.emplace_back(std::string(1, static_cast<char>('A' + i)), 1 << i);
  EXPECT_EQ(Techs(list)->FieldTechType((1 << 21) - 1), "ABCDEFGHIJKLMNOPQRSTU");
  EXPECT_TRUE(host_->Messages().MessageBoxes().empty());

  list.emplace_back("V", 0);
  auto tooMany = Techs(list);
  EXPECT_EQ(tooMany->FieldTechType(1) + tooMany->FieldTechType(1), "");
  const auto& boxes = host_->Messages().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);  // shown on every call: the table is never built
  EXPECT_EQ(boxes[0].text,
            "Internal Error: Too many technologies.\r\nTechnology table has [22] Technologies but, \r\n"
            "System can only support [21] Technologies.\r\nPlease Contact Your System Administrator.");
  EXPECT_EQ(std::to_string(boxes[0].style) + "|" + boxes[0].caption, "16|PM Client");
}

TEST_F(QualifiersTest, ValueAndLabelListsLineUpTheDashes) {
  CFieldTechTypes techs;
  for (const auto& [name, code] : {std::pair{"GSM", "G"}, std::pair{"Universal", "UMTS"}})
    techs.Add(
        Make<CFieldTechType>({{"TECH_NAME", "tech_char", "Tech_Mask", "Tech_Desc"}, {{name, code, 1, ""}}}));
  techs.UpdateListValues();
  EXPECT_EQ(techs.ValueList(), "G,UMTS");
  EXPECT_EQ(techs.LabelList(), "G    - GSM,UMTS - Universal");

  // Field types pad by characters, not bytes.
  CFieldTypes types;
  const std::vector<Variant> rows[] = {{"\xC3\x89", 3, "Entit\xC3\xA9"}, {"UDC", 9, "Calc"}};
  for (const auto& row : rows)
    types.Add(Make<CFieldType>({{"Field_Group_Short", "Field_Group_Id", "Field_Group_Name"}, {row}}));
  types.UpdateListValues();
  ASSERT_NE(types.Item("udc"), nullptr);
  EXPECT_EQ(types.Item("udc")->FieldTypeId(), 9);
  EXPECT_EQ(types.LabelList(), "\xC3\x89   - Entit\xC3\xA9,UDC - Calc");

  CFieldTypes empty;
  empty.UpdateListValues();
  EXPECT_EQ(empty.ValueList() + empty.LabelList(), "");
}

TEST_F(QualifiersTest, AggregatorRows) {
  const auto labels = [](const CAggregatorPtr& a) {
    return a->ShortName() + " " + a->TimeAggregator() + "/" + a->ElementAggregator() +
           (a->OkForBusyHour() ? " bh" : "");
  };
  const std::vector<std::string> bare = {"AGGR_Name", "AGGR_ID", "AGGR_BH_OK"};
  EXPECT_EQ(labels(Make<CAggregator>({bare, {{"Sum", 3, "Y"}}})), "3 Sum/Sum bh");
  EXPECT_EQ(labels(Make<CAggregator>({bare, {{"Average", "AVG", "N"}}})), "AVG Average/Average");
  auto peak = Make<CAggregator>({{"AGGR_Name", "AGGR_ID", "label_time", "label_element", "AGGR_BH_OK"},
                                 {{"Peak", "PK", "Maximum", Variant::Null(), "Y"}}});
  EXPECT_EQ(labels(peak), "PK Maximum/Peak bh");

  // A required column missing fails and leaves the object as it was.
  ScriptedRecordset partial({{"AGGR_Name", "AGGR_ID"}, {{"Sum", "S"}}});
  EXPECT_EQ(ErrorOf([&] { peak->Initialize(partial); }), ErrorNumber::kItemNotFound);
  EXPECT_EQ(peak->Key(), "PK");
}

TEST_F(QualifiersTest, ExtraColumnEditableIsOptional) {
  const auto describe = [](const CExtraColumnPtr& c) {
    return c->ColType() + "|" + c->Id() + "|" + (c->Editable() ? "editable" : "read-only");
  };
  const std::vector<std::string> columns = {"Col_Title", "E_Type", "e_id", "Editable"};
  CExtraColumns keyed;  // by title
  keyed.Add(Make<CExtraColumn>({{"Col_Title", "E_Type", "e_id"}, {{"Vendor", "A", 7}}}));
  ASSERT_NE(keyed.Item("VENDOR"), nullptr);
  EXPECT_EQ(describe(keyed.Item("VENDOR")), "A|7|read-only");
  EXPECT_EQ(describe(Make<CExtraColumn>({columns, {{"Owner", "D", Variant::Null(), "Y"}}})), "D|0|editable");
  EXPECT_EQ(describe(Make<CExtraColumn>({columns, {{"Region", "D", 2, "N"}}})), "D|2|read-only");
}

}  // namespace
}  // namespace ridirodev
