#include "ridirodev/model/field.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;

struct Args {
  int32_t id = 17;
  std::string name = "drops";
  int32_t entity = 3;
  std::string app = "Traffic";
  std::string type = "RAW";
  int32_t tech = 5;
  std::string dataType = "I";
  std::string aggregator = "1";
  int32_t owner = 7;
  Date changed = Date::FromParts(2026, 12, 6, 14, 5, 9);
  ExtraColumnValuesPtr extra = nullptr;
  std::string heading2 = "DRP_FORM";
};

CFieldPtr Make(const Args& a) {
  auto field = std::make_shared<CField>();
  field->Initialize(a.id, a.name, a.entity, a.app, a.type, a.tech, a.dataType, true, "Drops", a.heading2,
                    "Dropped calls", a.aggregator, a.owner, "a / b", a.changed, "Active", a.extra, "cx", 4, 2,
                    255);
  return field;
}

ExtraColumnValuesPtr Extra(std::string form, std::string vendor) {
  return std::make_shared<ExtraColumnValues>(
      ExtraColumnValues{{"RCVFormName", Variant(std::move(form))}, {"Vendor", Variant(std::move(vendor))}});
}

// Every readable member as one text, to compare fields whole.
std::string Describe(const CField& f) {
  std::string text = f.Key() + "|" + std::to_string(f.Id()) + "|" + f.AppName() + "|" +
                     std::to_string(f.DataSourceId()) + "|" + std::to_string(f.EntityId()) + "|" +
                     f.FieldTypeId() + "|" + std::to_string(f.FieldTechBits()) + "|" +
                     (f.NullOk() ? "null" : "not null") + "|" + f.Aggregator() + "|" +
                     std::to_string(f.UserId()) + "|" + std::to_string(f.Weight_Field_Id()) + "|" +
                     std::to_string(f.FontMask()) + "|" + std::to_string(f.FontColor());
  for (int32_t code = fldName; code <= fldComplex; code += 256) text += "|" + f.Value(code).ToString();
  return text;
}

class FieldTest : public testing::SampleDictionaryTest {
 protected:
  FieldTest() { host_->FolderServices().AddUser(7, "alice"); }
  void ScriptEnumValues() {
    db().AddRows("SELECT DISTINCT field_id FROM TQD_ENUM_VALUES", {{"field_id"}, {{17}}});
    db().AddRows("SELECT * FROM TQD_ENUM_VALUES",
                 {{"FIELD_ID", "Enum_Key", "Enum_Desc"}, {{17, "0", "Idle"}, {17, "1", "Busy"}}});
  }
};

TEST_F(FieldTest, InitializeResolvesReferencesAndMissingOnesStayEmpty) {
  auto f = Make({.type = "UDC"});
  EXPECT_EQ(
      Describe(*f),
      "drops:Cell|17|Traffic|2|3|12|5|null|1|7|4|2|255|drops|Cell|GU|UDC|Drops|DRP_FORM|Dropped calls|alice|"
      "Total|Sum|Active|I|a / b|12/6/2026 2:05:09 PM|cx");
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  ASSERT_NE(traffic, nullptr);
  EXPECT_EQ(f->FieldCategory(), traffic->FieldCategories()->Item("Cat:3"));
  EXPECT_TRUE(f->IsExpression() && !f->IsExternal() && Make({.type = "EXT"})->IsExternal());
  EXPECT_EQ(Make({.aggregator = "2"})->TimeAggregator(), "Average");  // no label of its own

  auto lost = Make({.entity = 42, .type = "NOPE", .tech = 0, .aggregator = "9", .owner = 99});
  EXPECT_EQ(
      Describe(*lost),
      "drops:|17|Traffic|2|0||0|null||0|4|2|255|drops||||Drops|DRP_FORM|Dropped calls||||Active|I|a / b|"
      "12/6/2026 2:05:09 PM|cx");
  EXPECT_EQ(Make({.app = "Nowhere"})->Key(), "drops:");
  // A technology mask outside the table fails the read of its text, not the making of the field.
  auto odd = Make({.tech = -1});
  EXPECT_EQ(ErrorOf([&] { odd->FieldTechType(); }), ErrorNumber::kSubscriptOutOfRange);

  f->SetId(20);
  EXPECT_EQ(f->Id(), 17);
  f->ClearId();
  f->SetId(20);
  f->SetId(21);
  EXPECT_EQ(f->Id(), 20);
}

TEST_F(FieldTest, KeysFollowTheCategoryNameAndCommonFieldsUseTheBareName) {
  host_->Support().SetExtendedEntityViews(true);
  EXPECT_EQ(Make({})->Key(), "drops:Cell Site");
  auto common = std::make_shared<CField>();
  common->InitializeAsCommon(5, "att", 3, 1, "I", "Att", "H2", "Attempts", "2", 7, Date(), "RAW", "New");
  EXPECT_EQ(common->Key() + "|" + common->AppName() + "|" + common->Category(), "att|Traffic|Cell");
  // A clone goes through the ordinary initialiser and gets the ordinary key.
  EXPECT_EQ(common->Clone()->Key(), "att:Cell Site");
}

TEST_F(FieldTest, CloneCopiesMembersAndSharesExtraValuesAndEnumValues) {
  ScriptEnumValues();
  auto extra = Extra("CallForm", "7");
  auto f = Make({.dataType = "E", .extra = extra});
  auto copy = f->Clone();
  ASSERT_NE(copy, f);
  EXPECT_EQ(Describe(*copy), Describe(*f));
  EXPECT_EQ(copy->ExtraColumnDictionary(), extra);
  ASSERT_NE(f->EnumValues(), nullptr);
  EXPECT_EQ(copy->EnumValues(), f->EnumValues());
  EXPECT_EQ(copy->FieldCategory(), f->FieldCategory());
}

TEST_F(FieldTest, EnumValuesLoadOnceAndAFailureIsShownAndRetried) {
  ScriptEnumValues();
  EXPECT_EQ(Make({.dataType = "I"})->EnumValues(), nullptr);
  auto f = Make({.dataType = "E"});
  db().FailOnText("TQD_ENUM_VALUES", AutomationError(3146, "DB", "ODBC call failed"));
  EXPECT_EQ(f->EnumValues(), nullptr);
  const auto& boxes = host_->Messages().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text + "|" + std::to_string(boxes[0].style) + "|" + boxes[0].caption,
            "Error loading the enumeration values.\r\nODBC call failed|16|Ridirodev Test");

  auto values = f->EnumValues();
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(values->Count(), 2);
  host_->Journal().Clear();
  EXPECT_EQ(f->EnumValues(), values);
  EXPECT_TRUE(host_->Journal().Calls().empty());

  // A field that has no values: the look-up fails, and the failure is shown.
  EXPECT_EQ(Make({.id = 18, .dataType = "E"})->EnumValues(), nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text + "|" + std::to_string(boxes[1].style),
            "Error loading the enumeration values.\r\nInvalid procedure call or argument|16");
}

using FieldTechnologyTest = testing::HostTest;

TEST_F(FieldTechnologyTest, TooManyTechnologiesAreReportedOnlyWhenTheTextIsRead) {
  std::vector<testing::DictRow> technologies;
  for (char code = 'A'; code < 'A' + 22; ++code) {
    const std::string text(1, code);
    technologies.push_back({"Tech " + text, text, int32_t{1} << (code - 'A'), text});
  }
  // Answers before the sample's list does.
  db().AddRows(sql::TechnologyTypesStatement(),
               {{"Tech_Name", "Tech_Char", "Tech_Mask", "Tech_Desc"}, std::move(technologies)});
  testing::ScriptSampleDictionary(db());
  const auto& boxes = host_->Messages().MessageBoxes();
  auto field = Make({});
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(field->FieldTechType(), "");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Internal Error: Too many technologies.", 0), 0u);
}

TEST_F(FieldTest, KeyFieldsOnlyInUdrAndExtraValuesByExactName) {
  db().AddTable("tqd_udr_keys");
  db().AddRows(testing::TextContains("count (*)"), {{"RowCount"}, {{1}}});
  db().AddRows(testing::TextContains("tqd_udr_keys a"),
               {{"entity_id", "field_seq", "name"}, {{7, 1, "imsi"}}});
  auto imsi = Make({.name = "imsi", .entity = 7, .app = "UDR"});
  db().FailOnText("tqd_udr_keys a", AutomationError(3146, "DB", "gone"));
  EXPECT_FALSE(imsi->IsKeyField());  // a failing load answers False
  EXPECT_TRUE(imsi->IsKeyField());
  EXPECT_FALSE(Make({.name = "duration", .entity = 7, .app = "UDR"})->IsKeyField());
  EXPECT_FALSE(Make({.name = "imsi", .entity = 42, .app = "UDR"})->IsKeyField());
  EXPECT_FALSE(Make({.name = "imsi", .entity = 7})->IsKeyField());

  auto f = Make({.extra = Extra("CallForm", "7")});
  EXPECT_EQ(f->ExtraFieldValue("Vendor"), Variant("7"));
  EXPECT_TRUE(f->ExtraFieldValue("vendor").IsEmpty());
  EXPECT_TRUE(Make({})->ExtraFieldValue("Vendor").IsEmpty());
}

TEST_F(FieldTest, FilterPassesOnlyWhenEveryTestPasses) {
  // drops: technologies G and U, RAW, owner alice, aggregator Max (not for busy hours).
  auto f = Make({.aggregator = "3", .extra = Extra("CallForm", "7")});
  EXPECT_TRUE(f->IsFilterOK("", "", "", "", false, "", ""));
  EXPECT_TRUE(f->IsFilterOK("LG", "", "", "   ", false));  // any technology of the list; blank pattern
  EXPECT_TRUE(f->IsFilterOK("G", "RAW", "alice", "DR?P*", false, "CallForm", "DRP_FORM"));
  // Each test failing alone fails the filter.
  EXPECT_FALSE(f->IsFilterOK("LC", "", "", "", false));
  EXPECT_FALSE(f->IsFilterOK("", "UDC", "", "", false));
  EXPECT_FALSE(f->IsFilterOK("", "", "bob", "", false));
  EXPECT_FALSE(f->IsFilterOK("", "", "", "", true));
  EXPECT_FALSE(f->IsFilterOK("", "", "", "rop", false));
  EXPECT_FALSE(f->IsFilterOK("", "", "", "", false, "callform"));
  EXPECT_FALSE(f->IsFilterOK("", "", "", "", false, "", "DRP"));
  EXPECT_TRUE(Make({.aggregator = "1"})->IsFilterOK("", "", "", "", true));
  EXPECT_FALSE(Make({.aggregator = ""})->IsFilterOK("", "", "", "", true));
  EXPECT_FALSE(Make({.app = "Client", .extra = Extra("CallForm", "7")})
                   ->IsFilterOK("", "", "", "", false, "CallForm"));
  // External fields of UDR never pass.
  EXPECT_FALSE(Make({.entity = 7, .app = "UDR", .type = "EXT"})->IsFilterOK("", "", "", "", false));
  EXPECT_TRUE(Make({.type = "EXT"})->IsFilterOK("", "EXT", "", "", false));
}

TEST_F(FieldTest, ListColumnsShowAndOrderEachProperty) {
  auto f = Make({.extra = Extra("CallForm", "10")});
  EXPECT_EQ(f->Value(fldName + 5).ToString(), "drops");  // the index bits do not change the property
  EXPECT_EQ(f->Value(fldModified).ToString(), "12/6/2026 2:05:09 PM");
  EXPECT_EQ(Make({.changed = Date()})->Value(fldModified).ToString(), "");
  EXPECT_EQ(f->Value(fldExtra + 1).ToString() + "|" + f->Value(fldExtra + 2).ToString(), "CallForm|10");
  for (int32_t empty : {int32_t{fldExtra}, fldExtra + 3, fldExtra + 256, 0, 100, -1})
    EXPECT_EQ(f->Value(empty).ToString(), "") << empty;
  EXPECT_EQ(f->ValueList(fldName, "drops"), "");

  auto g =
      Make({.name = "Calls", .owner = 0, .changed = Date::FromParts(2020, 1, 1), .extra = Extra("x", "9")});
  // Names without regard to case (d after C), extra values as text ("10" before "9").
  const std::pair<int32_t, int32_t> compared[] = {{fldName, 1},       {fldOwner, 1},     {fldModified, 1},
                                                  {fldExtra + 2, -1}, {fldExtra + 3, 0}, {4864, 0}};
  for (const auto& [code, expected] : compared) EXPECT_EQ(f->Compare(code, *g), expected) << code;
}

TEST_F(FieldTest, InitializeFromXmlReadsAttributes) {
  testing::TestXmlNode node("Row");
  for (std::string_view list =
           "Field_Id=17;Name=drops;Entity_Id=3;Field_Aggregator=1;Field_Owner=7;Field_Group_Short=UDC;"
           "Tech_Mask=5;DataType=I;Is_Null_OK=Y;Report_Header=Drops;Report_Header2=DRP_FORM;"
           "Field_Desc=Dropped calls;Status=Active;Changed=2026-12-06T14:05:09;UDC_Source=a / b;Complex=cx;"
           "FontStyleMask=2;FontColor=255;RCVFormName=CallForm;Vendor=10";
       !list.empty();) {
    const std::string_view item = list.substr(0, list.find(';'));
    const size_t equals = item.find('=');
    node.SetAttribute(std::string(item.substr(0, equals)), std::string(item.substr(equals + 1)));
    list.remove_prefix(std::min(list.size(), item.size() + 1));
  }
  auto f = std::make_shared<CField>();
  f->InitializeFromXML("Traffic", node);
  // No style storage in this dictionary: the style attributes are not read.
  EXPECT_EQ(
      Describe(*f),
      "drops:Cell|17|Traffic|2|3|12|5|null|1|7|0|0|0|drops|Cell|GU|UDC|Drops|DRP_FORM|Dropped calls|alice|"
      "Total|Sum|Active|I|a / b|12/6/2026 2:05:09 PM|cx");
  ASSERT_NE(f->ExtraColumnDictionary(), nullptr);
  EXPECT_EQ(*f->ExtraColumnDictionary(), *Extra("CallForm", "10"));

  state().flags.styleFieldsAvailable = true;
  node.SetAttribute("Field_Owner", "").SetAttribute("Is_Null_OK", "False");
  f->InitializeFromXML("Client", node);  // Client has no extra columns
  // Style read now; an empty owner number reads as 0.
  EXPECT_EQ(std::to_string(f->FontMask()) + "|" + std::to_string(f->FontColor()) + "|" + f->Owner() + "|" +
                (f->NullOk() ? "null" : "not null"),
            "2|255||not null");
  EXPECT_EQ(f->ExtraColumnDictionary(), nullptr);

  // A failure ends the call; what was read before it stays.
  testing::TestXmlNode partial("Row");
  partial.SetAttribute("Field_Id", "30").SetAttribute("Name", "half").SetAttribute("Entity_Id", "3");
  EXPECT_EQ(ErrorOf([&] { f->InitializeFromXML("Traffic", partial); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(f->Key(), "half:Cell");
  partial.SetAttribute("Field_Id", "thirty");
  EXPECT_EQ(ErrorOf([&] { f->InitializeFromXML("Traffic", partial); }), ErrorNumber::kTypeMismatch);
}

}  // namespace
}  // namespace ridirodev
