#include "ridirodev/store/xml_gateway.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "testing/errors.h"
#include "testing/query_service.h"

namespace ridirodev::sql {
namespace {

using testing::ErrorOf;

std::string Expected(const std::string& filterText) {
  return "<QUERY Type='GATEWAY'><SET_VALUE Name='GATEWAY.SpecialMembers' Value='yes'/> "
         "<SET_VALUE Name='GATEWAY.AutoDatamembers' Value='yes'/> <CLASS Name='TemplateField'> <FILTER><![CDATA[" +
         filterText + "]]></FILTER> </CLASS> </QUERY> ";
}

TEST(XmlGatewayTest, QueryDocumentsAndFilters) {
  // The filter goes in as it is, but a section end inside it cannot close the section.
  const std::pair<const char*, const char*> filters[] = {
      {"Criteria < 5 && Name = 'a&b'", "Criteria < 5 && Name = 'a&b'"}, {"", ""}, {"]] >", "]] >"},
      {"Name = ']]>'", "Name = ']]]]><![CDATA[>'"}, {"]]>]]>", "]]]]><![CDATA[>]]]]><![CDATA[>"}};
  for (const auto& [filter, expected] : filters) EXPECT_EQ(TemplateFieldQuery(filter), Expected(expected)) << filter;
  EXPECT_EQ(ProbeXmlGatewayQuery(), Expected("Field_Id = -1"));
  EXPECT_EQ(FieldIdFilter(17), "Field_Id = 17");
  EXPECT_EQ(FieldIdsFilter(" 1, 2,3 "), "inGroup(Field_Id, 1,2,3)");
  EXPECT_EQ(ErrorOf([] { FieldIdsFilter("1,2) || (1"); }), ErrorNumber::kInvalidArgument);

  testing::TestXmlQueryText text;
  BuildTemplateFieldQuery(text, "Field_Id = 3");
  EXPECT_EQ(text.Text(), Expected("Field_Id = 3"));
  EXPECT_EQ(text.Capacity(), 10000);
}

}  // namespace
}  // namespace ridirodev::sql
