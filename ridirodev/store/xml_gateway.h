#pragma once

// Texts of the gateway queries through which field definitions are read from the host's XML
// query service instead of SQL.

#include <cstdint>
#include <string>
#include <string_view>

namespace ridirodev {
class IXMLQueryText;
}  // namespace ridirodev

namespace ridirodev {
class HostServices;
}  // namespace ridirodev

namespace ridirodev::sql {

// The capacity the query text builder is given before the pieces are appended.
inline constexpr int32_t kTemplateFieldQueryCapacity = 10000;

// The template-field query document for a filter expression. The filter reaches the service
// unchanged: it sits in a CDATA section, and a "]]>" inside it is split across two sections
// so that it cannot end the section early.
std::string TemplateFieldQuery(std::string_view filter);
// The same document assembled in the host's text builder, piece by piece.
void BuildTemplateFieldQuery(IXMLQueryText& text, std::string_view filter);

// Filters of the field loads: one field, or a list that ValidIdList accepts.
std::string FieldIdFilter(int32_t fieldId);
std::string FieldIdsFilter(std::string_view idList);

// The query that tells whether the gateway answers: it asks for a field that cannot exist.
std::string ProbeXmlGatewayQuery();

// Runs that query through the host's XML query service: true when a result document comes
// back. Any failure means no gateway and is not reported.
bool ProbeXmlGateway(HostServices& services);

}  // namespace ridirodev::sql
