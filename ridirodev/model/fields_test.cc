#include "ridirodev/model/fields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridirodev/model/enums.h"
#include "ridirodev/model/field.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using testing::ErrorOf;

CFieldPtr Field(int32_t id, const std::string& name, int32_t entity = 3) {
  auto field = std::make_shared<CField>();
  field->Initialize(id, name, entity, "Traffic", "RAW", 1, "I", false, "", "", "", "", 0, "", Date());
  return field;
}

CFieldPtr Common(int32_t id, const std::string& name) {
  auto field = std::make_shared<CField>();
  field->InitializeAsCommon(id, name, 3, 1, "I", "", "", "", "", 0, Date(), "RAW");
  return field;
}

// What a lookup found, "<none>" for nothing: a missing field fails the check, not the binary.
std::string NameOf(const CFieldPtr& field) { return field ? std::string(field->Name()) : "<none>"; }
int32_t IdOf(const CFieldPtr& field) { return field ? field->Id() : -1; }
int32_t CountOf(const CFieldsPtr& fields) { return fields ? fields->Count() : -1; }

std::vector<std::string> Keys(const CFields& fields) {
  std::vector<std::string> keys;
  for (const CFieldPtr& field : fields) keys.push_back(field->Key());
  return keys;
}

class FieldsTest : public testing::SampleDictionaryTest {
 protected:
  FieldsTest() {
    fields_->Add(Field(17, "drops"));
    fields_->Add(Field(18, "calls", 2));
    fields_->Add(Field(19, "blocks"));
  }
  const std::vector<testing::ReportEntry>& Reports() { return host_->Messages().Reports(); }

  CFieldsPtr fields_ = std::make_shared<CFields>();
};

TEST_F(FieldsTest, AddSkipsNullAndDuplicatesAndItemTakesOtherTextAsAName) {
  const CFieldPtr first = fields_->Item("drops:Cell");
  fields_->Add(nullptr);
  fields_->Add(first);
  fields_->Add(Field(99, "DROPS"));  // the same key without regard to case
  EXPECT_EQ(fields_->Count(), 3);
  EXPECT_EQ(fields_->Item("drops:cell"), first);

  EXPECT_EQ(NameOf(fields_->Item(Variant(2))), "calls");
  EXPECT_FALSE(fields_->Item("17") || fields_->Item(Variant(17)));  // a key lookup, not a position or a name
  EXPECT_TRUE(Reports().empty());
  EXPECT_EQ(fields_->Item("blocks"), fields_->Item(Variant(3)));
  EXPECT_EQ(fields_->Item("nothing"), nullptr);
  ASSERT_EQ(Reports().size(), 2u);
  EXPECT_EQ(Reports()[0].text + (Reports()[0].flag ? " (flagged)" : ""),
            "Internal error for accessing field collection. (flagged)");
}

TEST_F(FieldsTest, ExistsAgreesWithItemAndAddAsksIt) {
  fields_->Add(Common(5, "att"));
  const Variant asked[] = {Variant(1),         Variant(4),     Variant(5),          Variant("DROPS:cell"),
                           Variant("drops"),   Variant("att"), Variant("att:Cell"), Variant("17"),
                           Variant("nothing"), Variant()};
  for (const Variant& v : asked) {
    EXPECT_EQ(fields_->Exists(v), fields_->Item(v) != nullptr) << (v.IsEmpty() ? "Empty" : v.ToString());
  }
  // A bare key is a name to Exists, so a common field named like a field already held is a
  // duplicate; an ordinary key is judged by key alone.
  fields_->Add(Common(6, "calls"));
  fields_->Add(Field(7, "att"));
  EXPECT_THAT(Keys(*fields_), ElementsAre("drops:Cell", "calls:Switch", "blocks:Cell", "att", "att:Cell"));
}

TEST_F(FieldsTest, AddAllKeepsOrderAndDropsKeysHeldOrRepeated) {
  CFields pending;  // added to and not read since: its members await indexing
  for (const CFieldPtr& field : {Field(1, "x"), Field(2, "calls", 2), Field(3, "X"), Field(4, "y")})
    pending.Add(field);
  CFields target;
  target.Add(Field(9, "first"));
  target.AddAll(pending);
  target.AddAll(target);
  EXPECT_THAT(Keys(target), ElementsAre("first:Cell", "x:Cell", "calls:Switch", "y:Cell"));
  EXPECT_EQ(IdOf(target.Item("X:CELL")), 1);
  // A source holding a bare-name key brings the look-up by name back.
  pending.Add(Common(5, "first"));
  target.AddAll(pending);
  EXPECT_EQ(target.Count(), 4);
}

TEST_F(FieldsTest, CloneCopiesEachFieldAndRekeysCommonFields) {
  EXPECT_EQ(CountOf(fields_->Clone(false)), 0);
  CFieldsPtr copy = fields_->Clone();
  EXPECT_EQ(Keys(*copy), Keys(*fields_));
  for (int32_t i = 1; i <= 3; ++i) EXPECT_NE(copy->Item(Variant(i)), fields_->Item(Variant(i)));

  // Common fields are keyed by bare name: Item finds them by name; their clones get ordinary keys.
  CFields common;
  common.Add(Common(5, "att"));
  common.Add(Common(6, "blk"));
  EXPECT_EQ(IdOf(common.Item("blk")), 6);
  EXPECT_THAT(Keys(*common.Clone()), ElementsAre("att:Cell", "blk:Cell"));
}

TEST_F(FieldsTest, LookupsScanInOrderAndNeedNumericIds) {
  fields_->Add(Field(20, "drops", 1));  // a second field of that name, another entity
  EXPECT_EQ(IdOf(fields_->LookupByName("drops")), 17);
  EXPECT_EQ(fields_->LookupByName("Drops"), nullptr);

  EXPECT_EQ(NameOf(fields_->LookupById("18")), "calls");
  EXPECT_EQ(fields_->LookupById("21"), nullptr);
  CFieldsPtr cell = fields_->LookupFieldsByEntityId("3");
  ASSERT_NE(cell, nullptr);
  EXPECT_THAT(Keys(*cell), ElementsAre("drops:Cell", "blocks:Cell"));
  EXPECT_EQ(cell->Item(Variant(1)), fields_->Item(Variant(1)));
  EXPECT_EQ(CountOf(fields_->LookupFieldsByEntityId("42")), 0);
  EXPECT_EQ(ErrorOf([&] { fields_->LookupFieldsByEntityId("x"); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { CFields().LookupById("x"); }), ErrorNumber::kTypeMismatch);  // even with no field
}

TEST_F(FieldsTest, TableRendersThroughTheGivenOrDefaultPropertySet) {
  auto columns = std::make_shared<testing::TestPropertySet>();
  columns->Add(std::make_shared<testing::TestPropertyDefinition>(fldName, "Name", 1200.0f));
  columns->Add(std::make_shared<testing::TestPropertyDefinition>(fldEntity, "Entity", 1200.0f));
  EXPECT_EQ(fields_->Table(columns), "Name\tEntity\ndrops\tCell\ncalls\tSwitch\nblocks\tCell\n");
  state().defaultFieldProperties = columns;
  EXPECT_EQ(fields_->Table(), fields_->Table(columns));
  // Without a cached set the default field properties are made: no aggregator, no extra column.
  state().defaultFieldProperties = nullptr;
  const std::string table = fields_->Table();
  EXPECT_EQ(table.substr(0, table.find('\n')),
            "Name\tEntity\tTech Type\tField Type\tHeading_1\tHeading_2\tDescription\tData Type\tStatus\t"
            "UDC_Source\tModified\tOwner\tComplex");
}

TEST_F(FieldsTest, ListItemsServeTheHostListView) {
  ILVItemCollectionPtr items = fields_->ListItems();
  EXPECT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Item(Variant(2)), fields_->Item(Variant(2)));
  EXPECT_EQ(items->Item("absent:Cell"), nullptr);
  items->Delete("calls:Switch");
  EXPECT_EQ(fields_->Count(), 2);
  EXPECT_EQ(ErrorOf([&] { items->Delete("calls:Switch"); }), ErrorNumber::kInvalidArgument);

  ILVItemCollectionPtr created = items->Create();  // empty, and apart from the fields
  EXPECT_EQ(created->Add(fields_->Item(Variant(1))), fields_->Item(Variant(1)));
  EXPECT_EQ(created->Add(nullptr), nullptr);
  EXPECT_EQ(created->Count() * 10 + fields_->Count(), 12);

  struct NotAField final : ILVItemObject {
    std::string Key() const override { return "x"; }
    Variant Value(int32_t) const override { return Variant(); }
    std::string ValueList(int32_t, const std::string&) const override { return ""; }
    int32_t Compare(int32_t, const ILVItemObject&) const override { return 0; }
  };
  EXPECT_EQ(ErrorOf([&] { created->Add(std::make_shared<NotAField>()); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(created->Count(), 1);
}

}  // namespace
}  // namespace ridirodev
