#include "ridirodev/sql/field_loaders.h"

#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/sql/dictionary_statements.h"
#include "ridirodev/sql/xml_gateway.h"

namespace ridirodev::sql {
namespace {

FieldColumnOptions OptionalColumns(const GlobalFlags& flags) {
  FieldColumnOptions options;
  options.doComplex = flags.doComplex;
  options.doWeighted = flags.doWeighted;
  options.styleFieldsAvailable = flags.styleFieldsAvailable;
  return options;
}

std::shared_ptr<CExtraColumns> ExtraColumnsOf(const std::string& appName) {
  CAppGroupTemplatePtr tpl = GRidirodev::AppGroupTemplate(appName);
  return tpl ? tpl->ExtraColumns() : nullptr;
}

std::vector<ExtraColumnJoin> Joins(const std::string& appName) {
  std::vector<ExtraColumnJoin> joins;
  if (auto columns = ExtraColumnsOf(appName)) {
    for (const CExtraColumnPtr& column : *columns) {
      joins.push_back({column->ColType(), Variant(column->Id()).ToInt32()});
    }
  }
  return joins;
}

void AddRows(const std::shared_ptr<IDBRecordset>& rs, const std::string& appName, CFields& fields) {
  if (!rs) return;
  while (!rs->Eof()) {
    fields.Add(FieldFromRow(*rs, appName));
    rs->MoveNext();
  }
  rs->Close();
}

}  // namespace

std::shared_ptr<IDBRecordset> OpenDataSourceFields(std::string_view entityIds, int32_t dataSourceId,
                                                   const std::string& appName, int32_t fieldSelection) {
  MRidirodev& state = MRidirodev::Current();
  const std::string statement =
      DataSourceFieldsStatement(entityIds, dataSourceId, fieldSelection, state.Support().ExtendedEntityViews(),
                                OptionalColumns(state.flags), Joins(appName));
  return state.Database().OpenRecordset(statement, 60);
}

std::shared_ptr<CField> FieldFromRow(const IDBRecordset& rs, const std::string& appName) {
  MRidirodev& state = MRidirodev::Current();
  IDBObject& db = state.Database();
  const IDBFields& f = rs.Fields();
  ExtraColumnValuesPtr extra;
  if (auto columns = ExtraColumnsOf(appName)) {
    extra = std::make_shared<ExtraColumnValues>();
    int32_t k = 0;
    for (const CExtraColumnPtr& column : *columns) {
      ++k;
      (*extra)[column->Key()] = Variant(db.FieldText(f.Value("v" + std::to_string(k))));
    }
  }
  const GlobalFlags& flags = state.flags;
  auto field = std::make_shared<CField>();
  field->Initialize(db.FieldNumber(f.Value("Field_Id")), db.FieldText(f.Value("Name")),
                    db.FieldNumber(f.Value("Entity_Id")), appName, db.FieldText(f.Value("Field_Group_Short")),
                    db.FieldNumberOr(f.Value("Tech_Mask"), 0), db.FieldText(f.Value("DataType")),
                    db.FieldFlag(f.Value("Is_Null_OK")), db.FieldText(f.Value("Report_Header")),
                    db.FieldText(f.Value("Report_Header2")), db.FieldText(f.Value("Field_Desc")),
                    db.FieldText(f.Value("Field_Aggregator")), db.FieldNumberOr(f.Value("Field_Owner"), 0),
                    db.FieldText(f.Value("UDC_Source")), db.FieldDate(f.Value("Changed")),
                    db.FieldText(f.Value("Status")), extra,
                    flags.doComplex ? db.FieldText(f.Value("Complex")) : std::string(),
                    flags.doWeighted ? db.FieldNumberOr(f.Value("weight_field_id"), 0) : 0,
                    flags.styleFieldsAvailable ? db.FieldNumberOr(f.Value("FontStyleMask"), 0) : 0,
                    flags.styleFieldsAvailable ? db.FieldNumberOr(f.Value("FontColor"), 0) : 0);
  return field;
}

std::shared_ptr<CFields> LoadFieldsByIds(const std::string& appName, std::string_view ids, bool useXml) {
  const std::string list = ValidIdList(ids);
  MRidirodev& state = MRidirodev::Current();
  if (useXml && state.flags.xmlGatewayAvailable) return LoadXmlFields(appName, FieldIdsFilter(list));
  auto fields = std::make_shared<CFields>();
  AddRows(state.Database().OpenRecordset(FieldsByIdStatement(list, OptionalColumns(state.flags), Joins(appName)), 60),
          appName, *fields);
  return fields;
}

std::shared_ptr<CField> LoadFieldById(const std::string& appName, int32_t id, bool useXml) {
  if (id == 0) return nullptr;
  MRidirodev& state = MRidirodev::Current();
  std::shared_ptr<CFields> fields = useXml && state.flags.xmlGatewayAvailable
                                        ? LoadXmlFields(appName, FieldIdFilter(id))
                                        : LoadFieldsByIds(appName, std::to_string(id), false);
  return fields->Count() > 0 ? fields->ObjectCollection::Item(Variant(1)) : nullptr;
}

std::shared_ptr<CFields> LoadXmlFields(const std::string& appName, std::string_view filter) {
  MRidirodev& state = MRidirodev::Current();
  IXMLQueryTextPtr text = state.HostObject().CreateXmlQueryText();
  BuildTemplateFieldQuery(*text, filter);
  IXMLQueryService& service = state.XmlQueryService();
  IXMLNodePtr result = service.ParseResult(service.RunQuery(text->Text()), true);
  auto fields = std::make_shared<CFields>();
  if (!result) return fields;
  for (const IXMLNodePtr& node : result->SelectNodes("")) {
    auto field = std::make_shared<CField>();
    field->InitializeFromXML(appName, *node);
    fields->Add(field);
  }
  return fields;
}

bool UDRKeyDataAvailable() {
  MRidirodev& state = MRidirodev::Current();
  if (state.udrKeyDataAvailable) return *state.udrKeyDataAvailable;
  state.udrKeyDataAvailable = false;  // remembered before asking: a failure answers false later too
  IDBObject& db = state.Database();
  if (!db.TableExists("tqd_udr_keys")) return false;
  IDBRecordsetPtr rs = db.OpenRecordset("select count (*) RowCount from tqd_udr_keys", 60);
  bool available = false;
  if (rs && !rs->Eof()) available = db.FieldNumberOr(rs->Fields().Value("RowCount"), 0) >= 1;
  if (rs) rs->Close();
  state.udrKeyDataAvailable = available;
  return available;
}

std::shared_ptr<IDBRecordset> OpenUDRKeys() {
  return MRidirodev::Current().Database().OpenRecordset(
      "Select a.entity_id, a.field_seq, d.name FROM tqd_udr_keys a, tqd_dict_name d Where a.Field_id = d.Field_id "
      "ORDER BY entity_id, field_seq",
      60);
}

}  // namespace ridirodev::sql
