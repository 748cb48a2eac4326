#include "ridirodev/store/field_loaders.h"

#include <unordered_map>
#include <utility>

#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/host_services.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/xml_gateway.h"

namespace ridirodev::sql {
namespace {

// The fixed columns of a field row.
enum FieldColumn : size_t {
  kFieldId, kName, kEntityId, kFieldGroup, kTechMask, kDataType, kNullOk, kHeader1, kHeader2, kDescription,
  kAggregator, kOwner, kUdcSource, kChanged, kStatus, kComplex, kWeightField, kFontStyle, kFontColor, kColumnCount
};
constexpr const char* kColumnNames[kColumnCount] = {
    "Field_Id",       "Name",       "Entity_Id",        "Field_Group_Short", "Tech_Mask",      "DataType",
    "Is_Null_OK",     "Report_Header", "Report_Header2", "Field_Desc",       "Field_Aggregator", "Field_Owner",
    "UDC_Source",     "Changed",    "Status",           "Complex",           "weight_field_id", "FontStyleMask",
    "FontColor"};

// Reads field rows with the columns found by name once per row set, not on every row.
class FieldRowReader {
 public:
  FieldRowReader(IDBObject& db, const IDBRecordset& rs, size_t extraColumns, const FieldColumnOptions& options)
      : db_(db), fields_(rs.Fields()), options_(options) {
    std::unordered_map<std::string, int32_t, NoCaseHash, NoCaseEqual> positions;
    for (int32_t i = 0, n = fields_.Count(); i < n; ++i) positions.emplace(fields_.Name(i), i);  // first one wins
    auto column = [&](std::string name) {
      auto found = positions.find(name);
      return Column{found == positions.end() ? -1 : found->second, std::move(name)};
    };
    columns_.reserve(kColumnCount);
    for (const char* name : kColumnNames) columns_.push_back(column(name));
    extra_.reserve(extraColumns);
    for (size_t k = 1; k <= extraColumns; ++k) extra_.push_back(column("v" + std::to_string(k)));
  }

  void Read(FieldRow& row) const {
    row.extraValues.resize(extra_.size());
    for (size_t i = 0; i < extra_.size(); ++i) row.extraValues[i] = Text(extra_[i]);
    row.id = db_.FieldNumber(Value(columns_[kFieldId]));
    row.name = Text(columns_[kName]);
    row.entityId = db_.FieldNumber(Value(columns_[kEntityId]));
    row.fieldGroup = Text(columns_[kFieldGroup]);
    row.techMask = NumberOr(columns_[kTechMask]);
    row.dataType = Text(columns_[kDataType]);
    row.nullOk = db_.FieldFlag(Value(columns_[kNullOk]));
    row.heading1 = Text(columns_[kHeader1]);
    row.heading2 = Text(columns_[kHeader2]);
    row.description = Text(columns_[kDescription]);
    row.aggregator = Text(columns_[kAggregator]);
    row.owner = NumberOr(columns_[kOwner]);
    row.udcSource = Text(columns_[kUdcSource]);
    row.changed = db_.FieldDate(Value(columns_[kChanged]));
    row.status = Text(columns_[kStatus]);
    if (options_.doComplex) {
      row.complex = Text(columns_[kComplex]);
    } else {
      row.complex.clear();
    }
    row.weightField = options_.doWeighted ? NumberOr(columns_[kWeightField]) : 0;
    row.fontStyle = options_.styleFieldsAvailable ? NumberOr(columns_[kFontStyle]) : 0;
    row.fontColor = options_.styleFieldsAvailable ? NumberOr(columns_[kFontColor]) : 0;
  }

 private:
  // A column found by position, or by name when the row set has no such column, so that reading
  // it fails as a by-name read does.
  struct Column {
    int32_t position = -1;
    std::string name;
  };
  Variant Value(const Column& column) const {
    return column.position >= 0 ? fields_.Value(column.position) : fields_.Value(column.name);
  }
  std::string Text(const Column& column) const {
    return column.position >= 0 ? fields_.Text(column.position, db_) : db_.FieldText(fields_.Value(column.name));
  }
  int32_t NumberOr(const Column& column) const {
    return column.position >= 0 ? fields_.NumberOr(column.position, db_, 0)
                                : db_.FieldNumberOr(fields_.Value(column.name), 0);
  }

  IDBObject& db_;
  const IDBFields& fields_;  // the row set's columns, the same object for every row
  FieldColumnOptions options_;
  std::vector<Column> columns_;  // the fixed columns, in kColumnNames' order
  std::vector<Column> extra_;    // "v1".."vn"
};

}  // namespace

std::shared_ptr<IDBRecordset> OpenFieldRows(IDBObject& db, const std::string& statement) {
  return db.OpenRecordset(statement, 60);
}

void ReadFieldRows(IDBObject& db, IDBRecordset& rs, size_t extraColumns, const FieldColumnOptions& options,
                   const std::function<void(FieldRow&)>& sink) {
  const FieldRowReader reader(db, rs, extraColumns, options);
  FieldRow row;
  for (; !rs.Eof(); rs.MoveNext()) {
    reader.Read(row);
    sink(row);
  }
}

void ReadEntityFieldRows(IDBObject& db, int32_t entityId, const FieldColumnOptions& options,
                         const std::function<void(FieldRow&)>& sink) {
  ClosingRecordset rs(db.OpenRecordset(EntityFieldsStatement(entityId, options), 60));
  if (!rs) return;
  FieldRow row;
  row.entityId = entityId;
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& f = rs->Fields();
    row.id = db.FieldNumber(f.Value("Field_Id"));
    row.name = db.FieldText(f.Value("Name"));
    row.techMask = db.FieldNumberOr(f.Value("Tech_Mask"), 0);
    row.dataType = db.FieldText(f.Value("DataType"));
    row.heading1 = db.FieldText(f.Value("Report_Header"));
    row.heading2 = db.FieldText(f.Value("Report_Header2"));
    row.description = db.FieldText(f.Value("Field_Desc"));
    row.aggregator = db.FieldText(f.Value("Field_Aggregator"));
    row.owner = db.FieldNumberOr(f.Value("Field_Owner"), 0);
    row.changed = db.FieldDate(f.Value("Changed"));
    row.fieldGroup = db.FieldText(f.Value("Field_Group_Short"));
    row.status = db.FieldText(f.Value("Status"));
    row.complex = options.doComplex ? db.FieldText(f.Value("Complex")) : std::string();
    row.weightField = options.doWeighted ? db.FieldNumberOr(f.Value("weight_field_id"), 0) : 0;
    row.fontStyle = options.styleFieldsAvailable ? db.FieldNumberOr(f.Value("FontStyleMask"), 0) : 0;
    row.fontColor = options.styleFieldsAvailable ? db.FieldNumberOr(f.Value("FontColor"), 0) : 0;
    sink(row);
  }
  rs.Close();
}

void ReadFieldCategoryRows(IDBObject& db, bool extendedViews, int32_t contextId,
                           const std::function<void(const IDBRecordset&)>& sink) {
  const std::string statement = FieldCategoriesStatement(extendedViews, contextId);
  ClosingRecordset rs(db.OpenRecordset(statement, 60));
  if (!rs) return;
  for (; !rs->Eof(); rs->MoveNext()) sink(*rs);
  rs.Close();
}

std::shared_ptr<IXMLNode> RunTemplateFieldQuery(HostServices& services, std::string_view filter) {
  IXMLQueryTextPtr text = services.HostObject().CreateXmlQueryText();
  BuildTemplateFieldQuery(*text, filter);
  IXMLQueryService& service = services.XmlQueryService();
  return service.ParseResult(service.RunQuery(text->Text()), true);
}

bool QueryUDRKeyData(IDBObject& db) {
  if (!db.TableExists("tqd_udr_keys")) return false;
  ClosingRecordset rs(db.OpenRecordset(UDRKeyCountStatement(), 60));
  bool available = false;
  if (rs && !rs->Eof()) available = db.FieldNumberOr(rs->Fields().Value("RowCount"), 0) >= 1;
  rs.Close();
  return available;
}

std::shared_ptr<IDBRecordset> OpenUDRKeys(IDBObject& db) { return db.OpenRecordset(UDRKeysStatement(), 60); }

}  // namespace ridirodev::sql
