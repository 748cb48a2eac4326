#include "ridirodev/store/field_loaders.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"
#include "ridirodev/store/xml_gateway.h"

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
  CAppGroupTemplatePtr tpl = MRidirodev::Current().AppGroupTemplate(appName);
  return tpl ? tpl->ExtraColumns() : nullptr;
}

// The template's extra columns and the optional columns the flags allow, in that order: the
// first look-up of a template loads the templates and so runs the capability probe, which sets
// the flags. Reading the flags first would select columns the row reader then does not ask for,
// or ask for columns the statement lacks.
struct StatementColumns {
  std::vector<ExtraColumnJoin> joins;
  FieldColumnOptions options;
};

StatementColumns ColumnsFor(const std::string& appName) {
  StatementColumns columns;
  if (auto extra = ExtraColumnsOf(appName)) {
    for (const CExtraColumnPtr& column : *extra) {
      columns.joins.push_back({column->ColType(), Variant(column->Id()).ToInt32()});
    }
  }
  columns.options = OptionalColumns(MRidirodev::Current().flags);
  return columns;
}

}  // namespace

std::string DataSourceFieldsText(std::string_view entityIds, int32_t dataSourceId, const std::string& appName,
                                 int32_t fieldSelection) {
  const StatementColumns columns = ColumnsFor(appName);
  return DataSourceFieldsStatement(entityIds, dataSourceId, fieldSelection,
                                   MRidirodev::Current().Support().ExtendedEntityViews(), columns.options,
                                   columns.joins);
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
  std::string Text(const Column& column, IDBObject& db) const;
  int32_t NumberOr(const Column& column, IDBObject& db) const;

  // Owners are asked of the host once per reader.
  struct OwnerBatch {
    OwnerBatch();
    ~OwnerBatch();
    OwnerBatch(const OwnerBatch&) = delete;
    OwnerBatch& operator=(const OwnerBatch&) = delete;
  };

  OwnerBatch owners_;
  const IDBFields& fields_;  // the row set's columns, the same object for every row
  std::string appName_;
  std::vector<Column> columns_;  // the fixed columns, in Read's order
  // The template's extra columns: their keys, shared by every field read, and their "v" columns.
  std::shared_ptr<const ExtraColumnValues::Titles> extraKeys_;
  std::vector<Column> extra_;
};

// A column found by position, or by name when the row set has no such column, so that reading
// it fails as a by-name read does.
struct FieldRowReader::Column {
  int32_t position = -1;
  std::string name;
};

FieldRowReader::FieldRowReader(const IDBRecordset& rs, std::string appName)
    : fields_(rs.Fields()), appName_(std::move(appName)) {
  const IDBFields& fields = fields_;
  std::unordered_map<std::string, int32_t, NoCaseHash, NoCaseEqual> positions;
  for (int32_t i = 0, n = fields.Count(); i < n; ++i) positions.emplace(fields.Name(i), i);  // first one wins
  auto column = [&](std::string name) {
    auto found = positions.find(name);
    return Column{found == positions.end() ? -1 : found->second, std::move(name)};
  };
  columns_.reserve(kColumnCount);
  for (const char* name : kColumnNames) columns_.push_back(column(name));
  if (auto columns = ExtraColumnsOf(appName_)) {
    auto keys = std::make_shared<ExtraColumnValues::Titles>();
    int32_t k = 0;
    for (const CExtraColumnPtr& extra : *columns) {
      keys->push_back(extra->Key());
      extra_.push_back(column("v" + std::to_string(++k)));
    }
    extraKeys_ = std::move(keys);
  }
}

FieldRowReader::~FieldRowReader() = default;

FieldRowReader::OwnerBatch::OwnerBatch() { MRidirodev::Current().BeginOwnerBatch(); }
FieldRowReader::OwnerBatch::~OwnerBatch() { MRidirodev::Current().EndOwnerBatch(); }

Variant FieldRowReader::Value(const Column& column) const {
  return column.position >= 0 ? fields_.Value(column.position) : fields_.Value(column.name);
}

std::string FieldRowReader::Text(const Column& column, IDBObject& db) const {
  return column.position >= 0 ? fields_.Text(column.position, db) : db.FieldText(fields_.Value(column.name));
}

int32_t FieldRowReader::NumberOr(const Column& column, IDBObject& db) const {
  return column.position >= 0 ? fields_.NumberOr(column.position, db, 0)
                              : db.FieldNumberOr(fields_.Value(column.name), 0);
}

std::shared_ptr<CField> FieldRowReader::Read() const {
  MRidirodev& state = MRidirodev::Current();
  IDBObject& db = state.Database();
  ExtraColumnValuesPtr extra;
  if (extraKeys_) {
    extra = std::make_shared<ExtraColumnValues>(extraKeys_);
    for (size_t i = 0; i < extra_.size(); ++i) extra->At(i) = Variant(Text(extra_[i], db));
  }
  auto text = [&](FieldColumn c) { return Text(columns_[c], db); };
  auto number = [&](FieldColumn c) { return NumberOr(columns_[c], db); };
  const GlobalFlags& flags = state.flags;
  auto field = std::make_shared<CField>();
  field->Initialize(
      db.FieldNumber(Value(columns_[kFieldId])), text(kName), db.FieldNumber(Value(columns_[kEntityId])),
      appName_, text(kFieldGroup), number(kTechMask), text(kDataType), db.FieldFlag(Value(columns_[kNullOk])),
      text(kHeader1), text(kHeader2), text(kDescription), text(kAggregator), number(kOwner), text(kUdcSource),
      db.FieldDate(Value(columns_[kChanged])), text(kStatus), std::move(extra),
      flags.doComplex ? text(kComplex) : std::string(), flags.doWeighted ? number(kWeightField) : 0,
      flags.styleFieldsAvailable ? number(kFontStyle) : 0,
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
  // Templates first (the probe), then the flags, then the text.
  const StatementColumns columns = ColumnsFor(appName);
  MRidirodev& state = MRidirodev::Current();
  if (useXml && state.flags.xmlGatewayAvailable) return LoadXmlFields(appName, FieldIdsFilter(list));
  auto fields = std::make_shared<CFields>();
  ReadFieldRows(state.Database().OpenRecordset(FieldsByIdStatement(list, columns.options, columns.joins), 60),
                appName, [&fields](CFieldPtr field) { fields->Add(std::move(field)); });
  return fields;
}

std::shared_ptr<CField> LoadFieldById(const std::string& appName, int32_t id, bool useXml) {
  if (id == 0) return nullptr;
  // The gateway flag is known only once the templates are loaded.
  MRidirodev::Current().AppGroupTemplates();
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
  ClosingRecordset rs(db.OpenRecordset(UDRKeyCountStatement(), 60));
  bool available = false;
  if (rs && !rs->Eof()) available = db.FieldNumberOr(rs->Fields().Value("RowCount"), 0) >= 1;
  rs.Close();
  state.udrKeyDataAvailable = available;
  return available;
}

std::shared_ptr<IDBRecordset> OpenUDRKeys() {
  return MRidirodev::Current().Database().OpenRecordset(UDRKeysStatement(), 60);
}

}  // namespace ridirodev::sql
