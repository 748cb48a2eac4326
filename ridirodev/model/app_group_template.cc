#include "ridirodev/model/app_group_template.h"

#include "ridirodev/core/text.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/dictionary_loads.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/template_categories.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"
#include "ridirodev/store/field_loaders.h"
#include "ridirodev/store/xml_gateway.h"

namespace ridirodev {

namespace {

std::string EntityKeyText(int32_t ordEntity) { return std::to_string(ordEntity); }

// The cached collection, or a new empty one.
std::shared_ptr<CFields> CachedOrEmpty(const KeyedCollection<std::shared_ptr<CFields>>& cache, int32_t ordEntity) {
  std::shared_ptr<CFields> fields = cache.ItemByKey(EntityKeyText(ordEntity));
  return fields ? fields : std::make_shared<CFields>();
}

// Starts the entity's collection afresh.
void StartAfresh(KeyedCollection<std::shared_ptr<CFields>>& cache, int32_t ordEntity) {
  const std::string key = EntityKeyText(ordEntity);
  cache.RemoveKey(key);
  cache.Add(std::make_shared<CFields>(), key);
}

}  // namespace

CAppGroupTemplate::CAppGroupTemplate() = default;
CAppGroupTemplate::~CAppGroupTemplate() = default;

std::shared_ptr<CFieldCategories> CAppGroupTemplate::FieldCategories() {
  if (!fieldCategories_) {
    MRidirodev& state = MRidirodev::Current();
    auto categories = std::make_shared<CFieldCategories>(state);
    // Kept before loading: fields made during the load look their categories up here.
    fieldCategories_ = categories;
    try {
      LoadFieldCategories(state, appName_, dataContextId_, *categories);
    } catch (...) {
      fieldCategories_.reset();
      throw;
    }
  }
  return fieldCategories_;
}

std::shared_ptr<CTemplateCategories> CAppGroupTemplate::TemplateCategories() {
  if (!templateCategories_) {
    auto categories = std::make_shared<CTemplateCategories>();
    LoadTemplateCategories(MRidirodev::Current(), appName_, dataContextId_, *categories);
    templateCategories_ = std::move(categories);
  }
  return templateCategories_;
}

std::shared_ptr<CFieldTypes> CAppGroupTemplate::FieldTypes() {
  if (!fieldTypes_) {
    auto types = std::make_shared<CFieldTypes>();
    LoadFieldTypes(MRidirodev::Current(), dataSourceId_, *types);
    fieldTypes_ = std::move(types);
  }
  return fieldTypes_;
}

std::shared_ptr<CExtraColumns> CAppGroupTemplate::ExtraColumns() {
  if (!extraColumns_) {
    auto columns = std::make_shared<CExtraColumns>();
    LoadExtraColumns(MRidirodev::Current(), dataSourceId_, *columns);
    extraColumns_ = std::move(columns);
  }
  return extraColumns_;
}

void CAppGroupTemplate::Initialize(IDBObject& db, const IDBRecordset& rs) {
  const IDBFields& f = rs.Fields();
  Initialize(db.FieldText(f.Value("DataSource_Name")), db.FieldNumber(f.Value("DataSource_ID")),
             db.FieldNumber(f.Value("DataSource_App_CTX")));
}

void CAppGroupTemplate::Initialize(std::string appName, int32_t dataSourceId, int32_t dataContextId) {
  appName_ = std::move(appName);
  dataSourceId_ = dataSourceId;
  dataContextId_ = dataContextId;
}

std::shared_ptr<KeyedCollection<std::string>> CAppGroupTemplate::FieldKeys(int32_t ordEntity) {
  if (!fieldKeys_) {
    auto all = std::make_shared<KeyedCollection<std::shared_ptr<KeyedCollection<std::string>>>>();
    MRidirodev& state = MRidirodev::Current();
    if (UDRKeyDataAvailable(state)) {
      IDBObject& db = state.Database();
      sql::ClosingRecordset rs(sql::OpenUDRKeys(db));
      if (rs) {
        int32_t entity = 0;
        bool first = true;
        std::shared_ptr<KeyedCollection<std::string>> keys;
        std::string categoryName;
        auto store = [&] {
          if (keys && keys->Count() > 0) all->Add(keys, EntityKeyText(entity));
        };
        while (!rs->Eof()) {
          const int32_t rowEntity = db.FieldNumber(rs->Fields().Value("entity_id"));
          if (first || rowEntity != entity) {
            store();
            first = false;
            entity = rowEntity;
            keys = std::make_shared<KeyedCollection<std::string>>(DuplicateKey::kSkip);
            CFieldCategoryPtr category = FieldCategories()->Item(Variant(EntityKey(entity)));
            categoryName = category ? category->CategoryName() : std::string();
          }
          const std::string key = FieldKey(db.FieldText(rs->Fields().Value("name")), categoryName);
          keys->Add(key, key);
          rs->MoveNext();
        }
        store();
        rs.Close();
      }
    }
    fieldKeys_ = std::move(all);
  }
  std::shared_ptr<KeyedCollection<std::string>> keys = fieldKeys_->ItemByKey(EntityKeyText(ordEntity));
  return keys ? keys : std::make_shared<KeyedCollection<std::string>>();
}

std::shared_ptr<CFields> CAppGroupTemplate::KeyFields(int32_t ordEntity) {
  auto result = std::make_shared<CFields>();
  const std::shared_ptr<KeyedCollection<std::string>> keys = FieldKeys(ordEntity);
  if (keys->empty()) return result;  // most entities have no key list: their fields need not load
  const std::shared_ptr<CFields> fields = StaticFields(ordEntity);
  for (const std::string& key : *keys) {
    if (const CFieldPtr* field = fields->Items().FindKey(key)) result->Add(*field);
  }
  return result;
}

std::shared_ptr<CFields> CAppGroupTemplate::Expressions(int32_t ordEntity) {
  LoadEntityFields(MRidirodev::Current(), ordEntity, true);
  return CachedOrEmpty(expressions_, ordEntity);
}

std::shared_ptr<CFields> CAppGroupTemplate::StaticFields(int32_t ordEntity) {
  LoadEntityFields(MRidirodev::Current(), ordEntity, true);
  return CachedOrEmpty(staticFields_, ordEntity);
}

std::shared_ptr<CFields> CAppGroupTemplate::Fields(int32_t ordEntity) {
  if (ordEntity <= 0) throw AutomationError(10, "CAppGroupTemplate", "Fields for non existent entity");
  LoadEntityFields(MRidirodev::Current(), ordEntity, true);
  auto result = std::make_shared<CFields>();
  AppendCached(ordEntity, *result);
  return result;
}

std::shared_ptr<CFields> CAppGroupTemplate::AllFields(bool fReload) {
  if (fReload) ClearAll();
  MRidirodev& state = MRidirodev::Current();
  const bool alwaysReload = state.Database().AlwaysReload();
  std::string ids;
  const auto categories = FieldCategories();
  for (const CFieldCategoryPtr& category : *categories) {
    const std::string key = EntityKeyText(category->Id());
    if (alwaysReload || !staticFields_.ContainsKey(key) || !expressions_.ContainsKey(key)) {
      StartAfresh(staticFields_, category->Id());
      StartAfresh(expressions_, category->Id());
      if (!ids.empty()) ids += ',';
      ids += key;
    }
  }
  if (!ids.empty()) FetchAndDistribute(state, ids, Ids::kGroup, Kind::kBoth, true, true);
  auto result = std::make_shared<CFields>();
  for (const CFieldCategoryPtr& category : *categories) AppendCached(category->Id(), *result);
  return result;
}

void CAppGroupTemplate::AppendCached(int32_t ordEntity, CFields& result) const {
  const std::string key = EntityKeyText(ordEntity);
  const auto* statics = staticFields_.FindKey(key);
  const auto* expressions = expressions_.FindKey(key);
  // A new collection gets room for both kinds at once, so that the second does not move the
  // first; one filled from many entities grows as it goes.
  if (result.Items().empty()) {
    result.Reserve((statics ? (*statics)->Items().UpperCount() : 0) +
                   (expressions ? (*expressions)->Items().UpperCount() : 0));
  }
  if (statics) result.AddAll(**statics);
  if (expressions) result.AddAll(**expressions);
}

void CAppGroupTemplate::UpdateField(const CFieldPtr& fld) {
  if (!fld) return;
  auto& cache = fld->IsExpression() ? expressions_ : staticFields_;
  // An entity whose fields were never loaded keeps no collection: its next load reads the
  // field from the database, and an entry made here would hide the entity's other fields.
  std::shared_ptr<CFields> fields = cache.ItemByKey(EntityKeyText(fld->EntityId()));
  if (!fields) return;
  if (fields->Exists(Variant(fld->Key()))) fields->Remove(Variant(fld->Key()));
  fields->Add(fld);
}

void CAppGroupTemplate::ReloadFields(int32_t ordEntity) {
  staticFields_.RemoveKey(EntityKeyText(ordEntity));
  expressions_.RemoveKey(EntityKeyText(ordEntity));
  LoadEntityFields(MRidirodev::Current(), ordEntity, false);
}

void CAppGroupTemplate::ReloadExpressions(int32_t ordEntity) {
  expressions_.RemoveKey(EntityKeyText(ordEntity));
  LoadEntityFields(MRidirodev::Current(), ordEntity, false);
}

void CAppGroupTemplate::ClearAll() {
  staticFields_.Clear();
  expressions_.Clear();
}

void CAppGroupTemplate::LoadEntityFields(MRidirodev& state, int32_t ordEntity, bool gatewayAllowed) {
  const std::string key = EntityKeyText(ordEntity);
  const bool hasStatic = staticFields_.ContainsKey(key);
  const bool hasExpressions = expressions_.ContainsKey(key);
  const bool alwaysReload = state.Database().AlwaysReload();
  if (alwaysReload || (!hasStatic && !hasExpressions)) {
    StartAfresh(staticFields_, ordEntity);
    StartAfresh(expressions_, ordEntity);
    FetchAndDistribute(state, key, Ids::kOne, Kind::kBoth, gatewayAllowed, true);
  } else if (!hasStatic) {
    LoadKind(state, ordEntity, Kind::kStatic, gatewayAllowed);
  } else if (!hasExpressions) {
    LoadKind(state, ordEntity, Kind::kExpressions, gatewayAllowed);
  }
}

void CAppGroupTemplate::LoadKind(MRidirodev& state, int32_t ordEntity, Kind kind, bool gatewayAllowed) {
  StartAfresh(kind == Kind::kStatic ? staticFields_ : expressions_, ordEntity);
  // Expressions loaded alone are this template's own: only static fields get the Client ones.
  FetchAndDistribute(state, EntityKeyText(ordEntity), Ids::kOne, kind, gatewayAllowed, kind == Kind::kStatic);
}

void CAppGroupTemplate::FetchAndDistribute(MRidirodev& state, const std::string& entityIds, Ids ids, Kind kind,
                                           bool gatewayAllowed, bool supplement) {
  const int32_t selection = kind == Kind::kBoth     ? sql::kAllFields
                            : kind == Kind::kStatic ? sql::kStaticFieldsOnly
                                                    : sql::kExpressionsOnly;
  // Rows come grouped by entity: the collections of the last entity are kept at hand.
  int32_t lastEntity = 0;
  std::shared_ptr<CFields> lastStatics;
  std::shared_ptr<CFields> lastExpressions;
  auto collectionOf = [](KeyedCollection<std::shared_ptr<CFields>>& cache, int32_t entity) {
    const std::string key = EntityKeyText(entity);
    std::shared_ptr<CFields> fields = cache.ItemByKey(key);
    if (!fields) {
      fields = std::make_shared<CFields>();
      cache.Add(fields, key);
    }
    return fields;
  };
  auto distribute = [&](const CFieldPtr& field) {
    if (field->EntityId() != lastEntity) {
      lastEntity = field->EntityId();
      lastStatics.reset();
      lastExpressions.reset();
    }
    // Made on first use only: a kind that got no rows for an entity outside the request
    // stays missing, so that it is loaded when asked for.
    std::shared_ptr<CFields>& fields = field->IsExpression() ? lastExpressions : lastStatics;
    if (!fields) fields = collectionOf(field->IsExpression() ? expressions_ : staticFields_, lastEntity);
    fields->Add(field);
  };
  auto fetch = [&](int32_t dataSourceId, const std::string& appName) {
    if (!state.flags.xmlGatewayAvailable || !gatewayAllowed) {
      ReadFields(state, OpenDataSourceFields(state, entityIds, dataSourceId, appName, selection), appName,
                 distribute);
      return;
    }
    std::string filter = "DatasourceId = " + std::to_string(dataSourceId) +
                         (ids == Ids::kGroup ? " && inGroup(Entity_Id, " + entityIds + ")" : " && Entity_Id = " + entityIds);
    if (kind == Kind::kStatic) filter += "  && Field_Group_Short != 'UDC'";
    if (kind == Kind::kExpressions) filter += "  && Field_Group_Short = 'UDC'";
    const std::shared_ptr<CFields> fields = LoadXmlFields(state, appName, filter);
    for (const CFieldPtr& field : *fields) distribute(field);
  };
  fetch(dataSourceId_, appName_);
  if (supplement && ToUpper(TrimBlanks(appName_)) == "TRAFFIC") {
    if (CAppGroupTemplatePtr client = state.AppGroupTemplate("Client")) {
      fetch(client->DataSourceId(), "Client");
    }
  }
}

}  // namespace ridirodev
