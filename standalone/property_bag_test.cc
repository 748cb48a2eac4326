#include "standalone/property_bag.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/date.h"
#include "testing/errors.h"

namespace ridirodev::standalone {
namespace {

TEST(XmlPropertyBagTest, ValuesReadBackTypedByNameInAnyCase) {
  const std::pair<const char*, Variant> values[] = {
      {"Flag", Variant(false)},
      {"Null", Variant::Null()},
      {"Missing", Variant::Missing()},
      {"Mask", Variant(INT32_MIN)},
      {"Ratio", Variant(0.1)},
      {"Number text", Variant("42")},
      {"Text", Variant(" two\nlines\t<&\"'> Übergaben ")},
      {"Changed", Variant(Date::FromParts(2026, 12, 6, 14, 5, 9))},
  };
  XmlPropertyBag bag;
  bag.WriteProperty("flag", Variant(1), Variant(1));  // written although default; replaced in place
  for (const auto& [name, value] : values) bag.WriteProperty(name, value);
  EXPECT_EQ(testing::ErrorOf([&] { bag.WriteProperty("Obj", Variant(std::make_shared<Object>())); }),
            ErrorNumber::kTypeMismatch);
  const XmlPropertyBag read = XmlPropertyBag::Parse(bag.ToXml(), "test");
  ASSERT_EQ(read.Properties().size(), std::size(values));
  EXPECT_EQ(read.Properties()[0].name, "flag");
  for (const auto& [name, value] : values)
    EXPECT_TRUE(read.ReadProperty(name, Variant("absent")) == value) << name;
  EXPECT_EQ(read.ReadProperty("RATIO"), Variant(0.1));
  EXPECT_EQ(read.ReadProperty("Other", Variant(7)), Variant(7));
}

TEST(XmlPropertyBagTest, OtherDocumentsFailNamingSourceAndFault) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "No document element"},
      {"<settings version=\"1\"/>", "root element is not <properties>"},
      {"<properties version=\"2\"/>", "version '2' is not 1"},
      {"<properties version=\"1\">text</properties>", "item 1 is not a <property>"},
      {"<properties version=\"1\"><property type=\"empty\"/></properties>", "item 1 has no name"},
      {"<properties version=\"1\"><property name=\"a\" type=\"integer\" data=\"1x\"/></properties>",
       "'1x' of type integer: not a 32-bit integer"},
      {"<properties version=\"1\"><property name=\"a\" type=\"null\"/><property name=\"A\" type=\"null\"/>"
       "</properties>",
       "item 2 (\"A\") is given twice"},
  };
  for (const auto& [xml, fault] : cases) {
    try {
      XmlPropertyBag::Parse(xml, "filter.xml");
      ADD_FAILURE() << xml;
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.Number(), ErrorNumber::kInvalidArgument);
      EXPECT_EQ(e.Source(), "XmlPropertyBag");
      EXPECT_THAT(e.Description(),
                  ::testing::AllOf(::testing::HasSubstr("filter.xml"), ::testing::HasSubstr(fault)));
    }
  }
}

}  // namespace
}  // namespace ridirodev::standalone
