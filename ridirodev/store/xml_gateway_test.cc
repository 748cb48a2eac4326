#include "ridirodev/store/xml_gateway.h"

#include <gtest/gtest.h>

#include <string>

#include "ridirodev/core/automation_error.h"
#include "testing/errors.h"
#include "testing/query_service.h"

namespace ridirodev::sql {
namespace {

using testing::ErrorOf;

std::string Expected(const std::string& filterText) {
  return std::string(
             "<QUERY Type='GATEWAY'><SET_VALUE Name='GATEWAY.SpecialMembers' Value='yes'/> "
             "<SET_VALUE Name='GATEWAY.AutoDatamembers' Value='yes'/> ") +
         "<CLASS Name='TemplateField'> " + "<FILTER><![CDATA[" + filterText + "]]></FILTER> " + "</CLASS> " +
         "</QUERY> ";
}

TEST(XmlGatewayTest, QueryDocumentsAndFilters) {
  EXPECT_EQ(TemplateFieldQuery("Criteria < 5 && Name = 'a&b'"), Expected("Criteria < 5 && Name = 'a&b'"));
  EXPECT_EQ(TemplateFieldQuery(""), Expected(""));
  EXPECT_EQ(ProbeXmlGatewayQuery(), Expected("Field_Id = -1"));
  EXPECT_EQ(FieldIdFilter(17), "Field_Id = 17");
  EXPECT_EQ(FieldIdsFilter(" 1, 2,3 "), "inGroup(Field_Id, 1,2,3)");
  EXPECT_EQ(ErrorOf([] { FieldIdsFilter("1,2) || (1"); }), ErrorNumber::kInvalidArgument);

  testing::TestXmlQueryText text;
  BuildTemplateFieldQuery(text, "Field_Id = 3");
  EXPECT_EQ(text.Text(), Expected("Field_Id = 3"));
  EXPECT_EQ(text.Capacity(), 10000);
}

TEST(XmlGatewayTest, SectionEndInsideFilterCannotCloseTheSection) {
  EXPECT_EQ(TemplateFieldQuery("Name = ']]>'"), Expected("Name = ']]]]><![CDATA[>'"));
  EXPECT_EQ(TemplateFieldQuery("]]>]]>"), Expected("]]]]><![CDATA[>]]]]><![CDATA[>"));
  EXPECT_EQ(TemplateFieldQuery("]] >"), Expected("]] >"));
}

}  // namespace
}  // namespace ridirodev::sql
