#include "standalone/query_service.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <pugixml.hpp>
#include <sstream>
#include <unordered_set>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/date.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kService = "SqliteXmlQueryService";

[[noreturn]] void Fail(std::string message) {
  throw AutomationError(ErrorNumber::kInvalidArgument, kService, std::move(message));
}

// Reads a filter token by token; blanks between tokens are free, as the component puts one or
// two there.
class FilterReader {
 public:
  explicit FilterReader(std::string_view text) : text_(text) {}

  bool Take(std::string_view token) {
    SkipBlanks();
    if (!text_.substr(at_).starts_with(token)) return false;
    at_ += token.size();
    return true;
  }
  void Expect(std::string_view token) {
    if (!Take(token)) Expected("'" + std::string(token) + "'");
  }
  std::string Integer() {
    SkipBlanks();
    int32_t value = 0;
    const char* begin = text_.data() + at_;
    const auto [end, error] = std::from_chars(begin, text_.data() + text_.size(), value);
    if (error != std::errc()) Expected("an integer");
    at_ += static_cast<size_t>(end - begin);
    return std::to_string(value);
  }
  std::string IntegerList() {
    std::string list = Integer();
    while (Take(",")) list += "," + Integer();
    return list;
  }
  void ExpectEnd() {
    SkipBlanks();
    if (at_ != text_.size()) Expected("the end of the filter");
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
  }
  [[noreturn]] void Expected(const std::string& what) const {
    Fail("Unsupported TemplateField filter \"" + std::string(text_) + "\": expected " + what +
         " at character " + std::to_string(at_ + 1) +
         ". The gateway answers Field_Id = n, inGroup(Field_Id, n,...), DatasourceId = n && Entity_Id = n "
         "and DatasourceId = n && inGroup(Entity_Id, n,...), optionally followed by "
         "&& Field_Group_Short = 'UDC' or != 'UDC'.");
  }

  std::string_view text_;
  size_t at_ = 0;
};

// The FILTER of a TemplateField query document.
std::string FilterOf(std::string_view queryText) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(queryText.data(), queryText.size());
  if (!parsed) Fail("The gateway query is not an XML document: " + std::string(parsed.description()) + ".");
  const pugi::xml_node query = doc.child("QUERY");
  const pugi::xml_node cls = query.child("CLASS");
  const std::string_view className = cls.attribute("Name").value();
  if (className != "TemplateField") {
    Fail("The XML gateway answers TemplateField queries only, not " +
         (className.empty() ? std::string("this query") : "class " + std::string(className)) + ".");
  }
  const pugi::xml_node filter = cls.child("FILTER");
  if (!filter) Fail("The TemplateField query has no FILTER.");
  // A filter holding "]]>" comes as several sections.
  std::string text;
  for (const pugi::xml_node part : filter.children()) {
    if (part.type() == pugi::node_cdata || part.type() == pugi::node_pcdata) text += part.value();
  }
  return text;
}

// Extra column titles may hold blanks, which an XML name cannot: such characters, and the "_x"
// that starts an escape, are written as _xHHHH_. Writer and reader both go through here.
std::string XmlName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80 ||
                       (c == '_' && !(i + 1 < name.size() && name[i + 1] == 'x'));
    const bool inner = (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (start || (inner && i > 0)) {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "_x%04X_", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out.empty() ? "_" : out;
}

// A node of a parsed response; every node of one response shares the document.
class ResultNode final : public IXMLNode {
 public:
  ResultNode(std::shared_ptr<const pugi::xml_document> doc, pugi::xml_node node)
      : doc_(std::move(doc)), node_(node) {}

  std::string Name() const override { return node_.name(); }
  std::string Text() const override { return node_.text().get(); }
  bool HasAttribute(std::string_view name) const override {
    return static_cast<bool>(node_.attribute(XmlName(name).c_str()));
  }
  std::string Attribute(std::string_view name) const override {
    const pugi::xml_attribute attribute = node_.attribute(XmlName(name).c_str());
    if (!attribute) {
      Fail("The " + Name() + " element has no attribute " + std::string(name) + ".");
    }
    return attribute.value();
  }
  std::vector<IXMLNodePtr> SelectNodes(std::string_view selection) const override {
    std::vector<IXMLNodePtr> out;
    for (const pugi::xml_node child : node_.children()) {
      if (child.type() == pugi::node_element && (selection.empty() || selection == child.name())) {
        out.push_back(std::make_shared<ResultNode>(doc_, child));
      }
    }
    return out;
  }

 private:
  std::shared_ptr<const pugi::xml_document> doc_;
  pugi::xml_node node_;
};

// The columns of a response row, by attribute name, in the order the field reader asks for them.
struct FixedColumn {
  const char* attribute;
  const char* select;
};
constexpr FixedColumn kFixedColumns[] = {
    {"Field_Id", "d.Field_Id"},
    {"Name", "d.Name"},
    {"Entity_Id", "d.Entity_Id"},
    {"DatasourceId", "d.DataSource_ID"},
    {"Field_Aggregator", "d.Field_Aggregator"},
    {"Field_Owner", "d.Field_Owner"},
    {"Field_Group_Short", "d.Field_Group_Short"},
    {"Tech_Mask", "d.Tech_Mask"},
    {"DataType", "d.DataType"},
    {"Is_Null_OK", "d.Is_Null_OK"},
    {"Report_Header", "d.Report_Header"},
    {"Report_Header2", "d.Report_Header2"},
    {"Field_Desc", "d.Field_Desc"},
    {"Status", "d.Status"},
    {"Changed", "d.Changed"},
    {"UDC_Source", "d.UDC_Source"},
    {"Complex", "d.Complex"},
    {"FontStyleMask", "c.FontStyleMask"},
    {"FontColor", "c.FontColor"},
};
constexpr size_t kDataSourceColumn = 3;
constexpr size_t kUdcSourceColumn = 15;

// An extra column of some data source. Its values live where the SQL field load joins them:
// kind 'A' in tqd_Dict_Name at namespace Id, any other in tqd_Field_Data at data set Id.
struct ExtraColumn {
  int32_t dataSource = 0;
  std::string title;
  size_t join = 0;  // position among the distinct joins
};

struct ExtraJoin {
  bool dictionaryName = false;
  int32_t id = 0;
};

std::string ValueText(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return {};
  if (value.IsDate()) return value.ToDate().ToIso();
  return value.ToString();
}

}  // namespace

std::string TemplateFieldCondition(std::string_view filter) {
  FilterReader in(filter);
  std::string condition;
  if (in.Take("DatasourceId")) {
    in.Expect("=");
    condition = "d.DataSource_ID = " + in.Integer();
    in.Expect("&&");
    if (in.Take("inGroup")) {
      in.Expect("(");
      in.Expect("Entity_Id");
      in.Expect(",");
      condition += " AND d.Entity_Id IN (" + in.IntegerList() + ")";
      in.Expect(")");
    } else {
      in.Expect("Entity_Id");
      in.Expect("=");
      condition += " AND d.Entity_Id = " + in.Integer();
    }
  } else if (in.Take("inGroup")) {
    in.Expect("(");
    in.Expect("Field_Id");
    in.Expect(",");
    condition = "d.Field_Id IN (" + in.IntegerList() + ")";
    in.Expect(")");
  } else {
    in.Expect("Field_Id");
    in.Expect("=");
    condition = "d.Field_Id = " + in.Integer();
  }
  if (in.Take("&&")) {
    in.Expect("Field_Group_Short");
    const bool notEqual = in.Take("!=");
    if (!notEqual) in.Expect("=");
    in.Expect("'UDC'");
    condition += notEqual ? " AND d.Field_Group_Short <> 'UDC'" : " AND d.Field_Group_Short = 'UDC'";
  }
  in.ExpectEnd();
  return condition;
}

void SqliteProcedureCall::AddParameter(std::string_view valueText, std::string_view type, std::string_view /*name*/,
                                       int32_t /*flags*/) {
  if (valueText.empty()) {
    args_.emplace_back();  // a null, or an output the routine writes
  } else if (EqualsNoCase(type, "integer")) {
    double d = 0;
    if (!Variant::ParseNumber(valueText, d)) {
      throw AutomationError(ErrorNumber::kTypeMismatch, "SqliteProcedureCall",
                            "Parameter " + std::to_string(args_.size() + 1) + " of " + name_ +
                                " is not an integer: " + std::string(valueText));
    }
    args_.emplace_back(Variant::RoundToInt32(d));
  } else {
    args_.emplace_back(std::string(valueText));
  }
}

Variant SqliteProcedureCall::Run() {
  return db_->RunRoutine(name_, args_, &outputs_);
}

Variant SqliteProcedureCall::ParameterValue(int32_t position) const {
  if (position < 0 || static_cast<size_t>(position) >= args_.size()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "SqliteProcedureCall",
                          "Parameter " + std::to_string(position) + " does not exist for " + name_);
  }
  const auto pos = static_cast<size_t>(position);
  if (pos < outputs_.size() && !outputs_[pos].IsEmpty()) return outputs_[pos];
  return args_[pos];
}

std::string SqliteXmlQueryService::RunQuery(std::string_view queryText) {
  if (!options_.enabled) {
    Fail("The XML gateway is off: set xml_gateway = on in the configuration to answer gateway queries.");
  }
  const std::string condition = TemplateFieldCondition(FilterOf(queryText));

  // Every data source's extra columns: the reader asks for those of the template it loads for,
  // which need not be the field's own data source.
  std::vector<ExtraColumn> extras;
  std::vector<ExtraJoin> joins;
  {
    IDBRecordsetPtr rs = statements_->OpenRecordset(
        "SELECT DataSource_ID, e_id, Col_Title, E_Type FROM TQD_DataSource_Extra_Cols ORDER BY "
        "DataSource_ID, e_id");
    for (; !rs->Eof(); rs->MoveNext()) {
      const IDBFields& f = rs->Fields();
      const ExtraJoin join{statements_->FieldText(f.Value(3)) == "A", statements_->FieldNumber(f.Value(1))};
      size_t k = 0;
      while (k < joins.size() && (joins[k].dictionaryName != join.dictionaryName || joins[k].id != join.id))
        ++k;
      if (k == joins.size()) joins.push_back(join);
      extras.push_back({statements_->FieldNumber(f.Value(0)), statements_->FieldText(f.Value(2)), k});
    }
    rs->Close();
  }

  std::string select = "SELECT ";
  for (size_t i = 0; i < std::size(kFixedColumns); ++i) {
    if (i) select += ", ";
    select += i == kUdcSourceColumn && options_.extendedEntityViews
                  ? "ea_dd.ea_replace_entity_names(d.UDC_Source) UDC_Source"
                  : kFixedColumns[i].select;
  }
  std::string from = " FROM tqd_Datasource_Field d, tqd_field_style c";
  std::string where = " WHERE " + condition + " AND d.Field_Id = c.Field_Id (+)";
  for (size_t k = 0; k < joins.size(); ++k) {
    const std::string alias = "a" + std::to_string(k + 1);
    const std::string id = std::to_string(joins[k].id);
    if (joins[k].dictionaryName) {
      select += ", " + alias + ".Name";
      from += ", tqd_Dict_Name " + alias;
      where += " AND d.Field_Id = " + alias + ".Field_Id (+) AND " + alias + ".Namespace_Id (+) = " + id;
    } else {
      select += ", " + alias + ".DataValue";
      from += ", tqd_Field_Data " + alias;
      where += " AND d.Field_Id = " + alias + ".Field_Id (+) AND " + alias + ".DataSet_ID (+) = " + id;
    }
  }
  // Grouped by entity, as the component distributes fields entity by entity.
  IDBRecordsetPtr rs = statements_->OpenRecordset(select + from + where + " ORDER BY d.Entity_Id, d.Field_Id");

  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("RESULT");
  root.append_attribute("Class").set_value("TemplateField");
  std::vector<std::string> titles;  // distinct, first definition first
  for (const ExtraColumn& extra : extras) {
    if (std::find(titles.begin(), titles.end(), extra.title) == titles.end()) titles.push_back(extra.title);
  }
  std::unordered_set<std::string> fixedNames;
  for (const FixedColumn& column : kFixedColumns) fixedNames.insert(column.attribute);
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& f = rs->Fields();
    pugi::xml_node row = root.append_child("TemplateField");
    for (size_t i = 0; i < std::size(kFixedColumns); ++i) {
      row.append_attribute(kFixedColumns[i].attribute)
          .set_value(ValueText(f.Value(static_cast<int32_t>(i))).c_str());
    }
    const int32_t dataSource = statements_->FieldNumber(f.Value(static_cast<int32_t>(kDataSourceColumn)));
    for (const std::string& title : titles) {
      // A title several data sources use means the field's own data source's column.
      const ExtraColumn* chosen = nullptr;
      for (const ExtraColumn& extra : extras) {
        if (extra.title != title) continue;
        if (!chosen || extra.dataSource == dataSource) chosen = &extra;
        if (extra.dataSource == dataSource) break;
      }
      const std::string name = XmlName(title);
      if (fixedNames.contains(name)) continue;  // a column of the field itself wins
      const auto position = static_cast<int32_t>(std::size(kFixedColumns) + chosen->join);
      row.append_attribute(name.c_str()).set_value(ValueText(f.Value(position)).c_str());
    }
  }
  rs->Close();
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

IXMLNodePtr SqliteXmlQueryService::ParseResult(std::string_view response, bool flag) {
  if (TrimBlanks(response).empty()) return nullptr;
  auto doc = std::make_shared<pugi::xml_document>();
  const pugi::xml_parse_result parsed = doc->load_buffer(response.data(), response.size());
  if (!parsed || !doc->document_element()) {
    if (!flag) return nullptr;
    Fail("The gateway response is not an XML document: " + std::string(parsed.description()) + ".");
  }
  const pugi::xml_node root = doc->document_element();
  return std::make_shared<ResultNode>(std::move(doc), root);
}

}  // namespace ridirodev::standalone
