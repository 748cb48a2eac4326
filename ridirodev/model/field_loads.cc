#include "ridirodev/model/field_loads.h"

#include <utility>
#include <vector>

#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"
#include "ridirodev/store/field_loaders.h"
#include "ridirodev/store/xml_gateway.h"

namespace ridirodev {
namespace {

sql::FieldColumnOptions OptionalColumns(const GlobalFlags& flags) {
  sql::FieldColumnOptions options;
  options.doComplex = flags.doComplex;
  options.doWeighted = flags.doWeighted;
  options.styleFieldsAvailable = flags.styleFieldsAvailable;
  return options;
}

std::shared_ptr<CExtraColumns> ExtraColumnsOf(MRidirodev& state, const std::string& appName) {
  CAppGroupTemplatePtr tpl = state.AppGroupTemplate(appName);
  return tpl ? tpl->ExtraColumns() : nullptr;
}

// The template's extra columns and the optional columns the flags allow, in that order: the
// first look-up of a template loads the templates and so runs the capability probe, which sets
// the flags. Reading the flags first would select columns the row reader then does not ask for,
// or ask for columns the statement lacks.
struct StatementColumns {
  std::vector<sql::ExtraColumnJoin> joins;
  sql::FieldColumnOptions options;
};

StatementColumns ColumnsFor(MRidirodev& state, const std::string& appName) {
  StatementColumns columns;
  if (auto extra = ExtraColumnsOf(state, appName)) {
    for (const CExtraColumnPtr& column : *extra) {
      columns.joins.push_back({column->ColType(), Variant(column->Id()).ToInt32()});
    }
  }
  columns.options = OptionalColumns(state.flags);
  return columns;
}

// Owners are asked of the host once per row set.
class OwnerBatch {
 public:
  explicit OwnerBatch(MRidirodev& state) : state_(state) { state_.BeginOwnerBatch(); }
  ~OwnerBatch() { state_.EndOwnerBatch(); }
  OwnerBatch(const OwnerBatch&) = delete;
  OwnerBatch& operator=(const OwnerBatch&) = delete;

 private:
  MRidirodev& state_;
};

}  // namespace

std::string DataSourceFieldsText(MRidirodev& state, std::string_view entityIds, int32_t dataSourceId,
                                 const std::string& appName, int32_t fieldSelection) {
  const StatementColumns columns = ColumnsFor(state, appName);
  return sql::DataSourceFieldsStatement(entityIds, dataSourceId, fieldSelection,
                                        state.Support().ExtendedEntityViews(), columns.options, columns.joins);
}

std::shared_ptr<IDBRecordset> OpenDataSourceFields(MRidirodev& state, std::string_view entityIds,
                                                   int32_t dataSourceId, const std::string& appName,
                                                   int32_t fieldSelection) {
  IDBObject& db = state.Database();
  return sql::OpenFieldRows(db, DataSourceFieldsText(state, entityIds, dataSourceId, appName, fieldSelection));
}

std::shared_ptr<CField> FieldFromRow(MRidirodev& state, sql::FieldRow& row, const std::string& appName,
                                     const std::shared_ptr<const ExtraColumnValues::Titles>& extraTitles) {
  ExtraColumnValuesPtr extra;
  if (extraTitles) {
    extra = std::make_shared<ExtraColumnValues>(extraTitles);
    for (size_t i = 0; i < row.extraValues.size(); ++i) extra->At(i) = Variant(std::move(row.extraValues[i]));
  }
  auto field = std::make_shared<CField>();
  field->InitializeFromRow(state, row, appName, std::move(extra));
  return field;
}

void ReadFields(MRidirodev& state, IDBRecordsetPtr opened, const std::string& appName,
                const std::function<void(std::shared_ptr<CField>)>& sink) {
  sql::ClosingRecordset rs(std::move(opened));
  if (!rs) return;
  const OwnerBatch owners(state);
  // The template's extra column titles, shared by every field read.
  std::shared_ptr<const ExtraColumnValues::Titles> titles;
  if (auto columns = ExtraColumnsOf(state, appName)) {
    auto keys = std::make_shared<ExtraColumnValues::Titles>();
    for (const CExtraColumnPtr& extra : *columns) keys->push_back(extra->Key());
    titles = std::move(keys);
  }
  sql::ReadFieldRows(state.Database(), *rs, titles ? titles->size() : 0, OptionalColumns(state.flags),
                     [&](sql::FieldRow& row) { sink(FieldFromRow(state, row, appName, titles)); });
  rs.Close();
}

std::shared_ptr<CFields> LoadFieldsByIds(MRidirodev& state, const std::string& appName, std::string_view ids,
                                         bool useXml) {
  const std::string list = sql::ValidIdList(ids);
  // Templates first (the probe), then the flags, then the text.
  const StatementColumns columns = ColumnsFor(state, appName);
  if (useXml && state.flags.xmlGatewayAvailable) return LoadXmlFields(state, appName, sql::FieldIdsFilter(list));
  auto fields = std::make_shared<CFields>();
  IDBObject& db = state.Database();
  ReadFields(state, sql::OpenFieldRows(db, sql::FieldsByIdStatement(list, columns.options, columns.joins)),
             appName, [&fields](CFieldPtr field) { fields->Add(std::move(field)); });
  return fields;
}

std::shared_ptr<CField> LoadFieldById(MRidirodev& state, const std::string& appName, int32_t id, bool useXml) {
  if (id == 0) return nullptr;
  // The gateway flag is known only once the templates are loaded.
  state.AppGroupTemplates();
  std::shared_ptr<CFields> fields = useXml && state.flags.xmlGatewayAvailable
                                        ? LoadXmlFields(state, appName, sql::FieldIdFilter(id))
                                        : LoadFieldsByIds(state, appName, std::to_string(id), false);
  return fields->Count() > 0 ? fields->ObjectCollection::Item(Variant(1)) : nullptr;
}

std::shared_ptr<CFields> LoadXmlFields(MRidirodev& state, const std::string& appName, std::string_view filter) {
  IXMLNodePtr result = sql::RunTemplateFieldQuery(state.Services(), filter);
  auto fields = std::make_shared<CFields>();
  if (!result) return fields;
  for (const IXMLNodePtr& node : result->SelectNodes("")) {
    auto field = std::make_shared<CField>();
    field->InitializeFromXML(state, appName, *node);
    fields->Add(field);
  }
  return fields;
}

void LoadFieldCategories(MRidirodev& state, const std::string& appName, int32_t contextId,
                         CFieldCategories& categories) {
  const bool extendedViews = state.Support().ExtendedEntityViews();
  sql::ReadFieldCategoryRows(state.Database(), extendedViews, contextId, [&](const IDBRecordset& rs) {
    auto category = std::make_shared<CFieldCategory>();
    category->InitializeFromRS(state, appName, rs);
    categories.Add(state, category);
  });
  categories.CreateCategoryHierarchy(state);
}

void LoadEntityFields(MRidirodev& state, int32_t entityId, CFields& fields) {
  sql::ReadEntityFieldRows(state.Database(), entityId, OptionalColumns(state.flags), [&](sql::FieldRow& row) {
    auto field = std::make_shared<CField>();
    field->InitializeAsCommon(state, row);
    fields.Add(field);
  });
}

bool UDRKeyDataAvailable(MRidirodev& state) {
  if (state.udrKeyDataAvailable) return *state.udrKeyDataAvailable;
  state.udrKeyDataAvailable = false;  // remembered before asking: a failure answers false later too
  const bool available = sql::QueryUDRKeyData(state.Database());
  state.udrKeyDataAvailable = available;
  return available;
}

}  // namespace ridirodev
