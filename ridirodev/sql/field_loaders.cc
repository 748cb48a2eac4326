#include "ridirodev/sql/field_loaders.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/sql/closing_recordset.h"
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

}  // namespace

std::string DataSourceFieldsText(std::string_view entityIds, int32_t dataSourceId, const std::string& appName,
                                 int32_t fieldSelection) {
  MRidirodev& state = MRidirodev::Current();
  return DataSourceFieldsStatement(entityIds, dataSourceId, fieldSelection, state.Support().ExtendedEntityViews(),
                                   OptionalColumns(state.flags), Joins(appName));
}

std::shared_ptr<IDBRecordset> OpenDataSourceFields(std::string_view entityIds, int32_t dataSourceId,
                                                   const std::string& appName, int32_t fieldSelection) {
  return MRidirodev::Current().Database().OpenRecordset(
      DataSourceFieldsText(entityIds, dataSourceId, appName, fieldSelection), 60);
}

namespace {

// The fixed columns a field is made from, in the order of Initialize's parameters.
enum FieldColumn : size_t {
  kFieldId, kName, kEntityId, kFieldGroup, kTechMask, kDataType, kNullOk, kHeader1, kHeader2, kDescription,
  kAggregator, kOwner, kUdcSource, kChanged, kStatus, kComplex, kWeightField, kFontStyle, kFontColor, kColumnCount
};
constexpr const char* kColumnNames[kColumnCount] = {
    "Field_Id",       "Name",       "Entity_Id",        "Field_Group_Short", "Tech_Mask",      "DataType",
    "Is_Null_OK",     "Report_Header", "Report_Header2", "Field_Desc",       "Field_Aggregator", "Field_Owner",
    "UDC_Source",     "Changed",    "Status",           "Complex",           "weight_field_id", "FontStyleMask",
    "FontColor"};

}  // namespace

// Makes fields from the rows of a data-source or by-id statement. The columns are found by
// name once per row set, not on every row.
class FieldRowReader {
 public:
  FieldRowReader(const IDBRecordset& rs, std::string appName);
  ~FieldRowReader();
  FieldRowReader(const FieldRowReader&) = delete;
  FieldRowReader& operator=(const FieldRowReader&) = delete;

  // A field from the row set's current row.
  std::shared_ptr<CField> Read() const;

 private:
  struct Column;
  Variant Value(const Column& column) const;

  // Owners are asked of the host once per reader.
  struct OwnerBatch {
    OwnerBatch();
    ~OwnerBatch();
    OwnerBatch(const OwnerBatch&) = delete;
    OwnerBatch& operator=(const OwnerBatch&) = delete;
  };

  OwnerBatch owners_;
  const IDBRecordset& rs_;
  std::string appName_;
  std::vector<Column> columns_;                            // the fixed columns, in Read's order
  std::vector<std::pair<std::string, Column>> extra_;      // extra column key and its "v" column
  bool hasExtra_ = false;
};

// A column found by position, or by name when the row set has no such column, so that reading
// it fails as a by-name read does.
struct FieldRowReader::Column {
  int32_t position = -1;
  std::string name;
};

FieldRowReader::FieldRowReader(const IDBRecordset& rs, std::string appName) : rs_(rs), appName_(std::move(appName)) {
  const IDBFields& fields = rs_.Fields();
  std::unordered_map<std::string, int32_t, NoCaseHash, NoCaseEqual> positions;
  for (int32_t i = 0, n = fields.Count(); i < n; ++i) positions.emplace(fields.Name(i), i);  // first one wins
  auto column = [&](std::string name) {
    auto found = positions.find(name);
    return Column{found == positions.end() ? -1 : found->second, std::move(name)};
  };
  columns_.reserve(kColumnCount);
  for (const char* name : kColumnNames) columns_.push_back(column(name));
  if (auto columns = ExtraColumnsOf(appName_)) {
    hasExtra_ = true;
    int32_t k = 0;
    for (const CExtraColumnPtr& extra : *columns) extra_.emplace_back(extra->Key(), column("v" + std::to_string(++k)));
  }
}

FieldRowReader::~FieldRowReader() = default;

FieldRowReader::OwnerBatch::OwnerBatch() { MRidirodev::Current().BeginOwnerBatch(); }
FieldRowReader::OwnerBatch::~OwnerBatch() { MRidirodev::Current().EndOwnerBatch(); }

Variant FieldRowReader::Value(const Column& column) const {
  const IDBFields& fields = rs_.Fields();
  return column.position >= 0 ? fields.Value(column.position) : fields.Value(column.name);
}

std::shared_ptr<CField> FieldRowReader::Read() const {
  MRidirodev& state = MRidirodev::Current();
  IDBObject& db = state.Database();
  ExtraColumnValuesPtr extra;
  if (hasExtra_) {
    extra = std::make_shared<ExtraColumnValues>();
    for (const auto& [key, column] : extra_) (*extra)[key] = Variant(db.FieldText(Value(column)));
  }
  auto text = [&](FieldColumn c) { return db.FieldText(Value(columns_[c])); };
  auto number = [&](FieldColumn c) { return db.FieldNumberOr(Value(columns_[c]), 0); };
  const GlobalFlags& flags = state.flags;
  auto field = std::make_shared<CField>();
  field->Initialize(db.FieldNumber(Value(columns_[kFieldId])), text(kName), db.FieldNumber(Value(columns_[kEntityId])),
                    appName_, text(kFieldGroup), number(kTechMask), text(kDataType),
                    db.FieldFlag(Value(columns_[kNullOk])), text(kHeader1), text(kHeader2), text(kDescription),
                    text(kAggregator), number(kOwner), text(kUdcSource), db.FieldDate(Value(columns_[kChanged])),
                    text(kStatus), extra, flags.doComplex ? text(kComplex) : std::string(),
                    flags.doWeighted ? number(kWeightField) : 0, flags.styleFieldsAvailable ? number(kFontStyle) : 0,
                    flags.styleFieldsAvailable ? number(kFontColor) : 0);
  return field;
}

void ReadFieldRows(IDBRecordsetPtr opened, const std::string& appName,
                   const std::function<void(std::shared_ptr<CField>)>& sink) {
  ClosingRecordset rs(std::move(opened));
  if (!rs) return;
  const FieldRowReader reader(*rs, appName);
  for (; !rs->Eof(); rs->MoveNext()) sink(reader.Read());
  rs.Close();
}

std::shared_ptr<CField> FieldFromRow(const IDBRecordset& rs, const std::string& appName) {
  return FieldRowReader(rs, appName).Read();
}

std::shared_ptr<CFields> LoadFieldsByIds(const std::string& appName, std::string_view ids, bool useXml) {
  const std::string list = ValidIdList(ids);
  MRidirodev& state = MRidirodev::Current();
  if (useXml && state.flags.xmlGatewayAvailable) return LoadXmlFields(appName, FieldIdsFilter(list));
  auto fields = std::make_shared<CFields>();
  ReadFieldRows(
      state.Database().OpenRecordset(FieldsByIdStatement(list, OptionalColumns(state.flags), Joins(appName)), 60),
      appName, [&fields](CFieldPtr field) { fields->Add(std::move(field)); });
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
  ClosingRecordset rs(db.OpenRecordset("select count (*) RowCount from tqd_udr_keys", 60));
  bool available = false;
  if (rs && !rs->Eof()) available = db.FieldNumberOr(rs->Fields().Value("RowCount"), 0) >= 1;
  rs.Close();
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
