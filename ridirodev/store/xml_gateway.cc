#include "ridirodev/store/xml_gateway.h"

#include <array>

#include "ridirodev/host/database.h"
#include "ridirodev/host/host_services.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev::sql {
namespace {

std::string CdataContent(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0;;) {
    const size_t end = text.find("]]>", at);
    if (end == std::string_view::npos) {
      out += text.substr(at);
      return out;
    }
    // "]]" closes this section and ">" opens the next, so the parsed text keeps "]]>".
    out += text.substr(at, end + 2 - at);
    out += "]]><![CDATA[";
    at = end + 2;
  }
}

std::array<std::string, 7> Pieces(std::string_view filter) {
  return {
      "<QUERY Type='GATEWAY'><SET_VALUE Name='GATEWAY.SpecialMembers' Value='yes'/> "
      "<SET_VALUE Name='GATEWAY.AutoDatamembers' Value='yes'/> ",
      "<CLASS Name='TemplateField'> ",
      "<FILTER><![CDATA[",
      CdataContent(filter),
      "]]></FILTER> ",
      "</CLASS> ",
      "</QUERY> "};
}

}  // namespace

std::string TemplateFieldQuery(std::string_view filter) {
  std::string out;
  for (const std::string& piece : Pieces(filter)) out += piece;
  return out;
}

void BuildTemplateFieldQuery(IXMLQueryText& text, std::string_view filter) {
  text.SetCapacity(kTemplateFieldQueryCapacity);
  for (const std::string& piece : Pieces(filter)) text.Append(piece);
}

std::string FieldIdFilter(int32_t fieldId) { return "Field_Id = " + std::to_string(fieldId); }

std::string FieldIdsFilter(std::string_view idList) {
  return "inGroup(Field_Id, " + ValidIdList(idList) + ")";
}

std::string ProbeXmlGatewayQuery() { return TemplateFieldQuery(FieldIdFilter(-1)); }

bool ProbeXmlGateway(HostServices& services) {
  try {
    IXMLQueryTextPtr text = services.HostObject().CreateXmlQueryText();
    if (!text) return false;
    BuildTemplateFieldQuery(*text, FieldIdFilter(-1));
    IXMLQueryService& service = services.XmlQueryService();
    return service.ParseResult(service.RunQuery(text->Text()), true) != nullptr;
  } catch (...) {
    return false;
  }
}

}  // namespace ridirodev::sql
