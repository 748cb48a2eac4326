#include "ridirodev/model/dictionary_loads.h"

#include <cstdio>

#include "ridirodev/core/text.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/template_categories.h"
#include "ridirodev/store/dictionary_loaders.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev {
namespace {

// Rows to members that initialise themselves from the row.
template <class Member, class Collection>
void LoadMembers(IDBObject& db, const std::string& statement, Collection& collection) {
  sql::ForEachRow(db, statement, [&](const IDBRecordset& rs) {
    auto member = std::make_shared<Member>();
    member->Initialize(db, rs);
    collection.Add(member);
  });
}

// An available time as "yyyy-mm-dd hh:mm:ss"; "" for a value that is no date.
std::string AvailableText(const Variant& value) {
  std::optional<Date> date;
  if (value.Type() == VarType::Date) {
    date = value.ToDate();
  } else if (value.Type() == VarType::String) {
    date = Date::Parse(value.StringRef());
  }
  if (!date) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date->Year(), date->Month(), date->Day(),
                date->Hour(), date->Minute(), date->Second());
  return text;
}

}  // namespace

void LoadAppGroupTemplates(MRidirodev& state, CAppGroupTemplates& templates) {
  IDBObject& db = state.Database();
  std::vector<std::string> literals;
  for (const std::string& name : sql::DataSourceNames(state.Features())) {
    literals.push_back(db.TextLiteral(name)->Text());
  }
  LoadMembers<CAppGroupTemplate>(db, sql::AppGroupTemplatesStatement(literals), templates);
}

void LoadTechnologyTypes(MRidirodev& state, CFieldTechTypes& types) {
  LoadMembers<CFieldTechType>(state.Database(), sql::TechnologyTypesStatement(), types);
  types.UpdateListValues();
}

void LoadFieldTypes(MRidirodev& state, int32_t dataSourceId, CFieldTypes& types) {
  // The setting before the database object, in the order they were always asked.
  const std::string statement = sql::FieldTypesStatement(state.Support().ExtendedEntityViews(), dataSourceId);
  LoadMembers<CFieldType>(state.Database(), statement, types);
  types.UpdateListValues();
}

void LoadAggregators(MRidirodev& state, CAggregators& aggregators) {
  LoadMembers<CAggregator>(state.Database(), sql::AggregatorsStatement(), aggregators);
}

void LoadExtraColumns(MRidirodev& state, int32_t dataSourceId, CExtraColumns& columns) {
  LoadMembers<CExtraColumn>(state.Database(), sql::ExtraColumnsStatement(dataSourceId), columns);
}

void LoadTemplateCategories(MRidirodev& state, std::string_view appName, int32_t contextId,
                            CTemplateCategories& categories) {
  if (!sql::TemplateCategoriesFromEntities(appName)) {
    auto category = std::make_shared<CTemplateCategory>();
    category->Initialize(0, std::string(appName), std::string(appName), std::string(appName), "", true, "");
    categories.Add(category);
    return;
  }
  const bool extended = state.Support().ExtendedEntityViews();
  IDBObject& db = state.Database();
  sql::ForEachRow(db, sql::TemplateCategoriesStatement(extended, contextId), [&](const IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    const std::string entityName = db.FieldText(f.Value("Entity_Name"));
    auto category = std::make_shared<CTemplateCategory>();
    category->Initialize(db.FieldNumber(f.Value("Entity_Id")), entityName,
                         std::string(appName) + " " + entityName, std::string(appName),
                         db.FieldText(f.Value("Entity_Desc")),
                         ToUpper(db.FieldText(f.Value("can_rpt"))) == "Y",
                         extended ? db.FieldText(f.Value("Entity_Label")) : std::string());
    categories.Add(category);
  });
}

void LoadFunctionCategories(MRidirodev& state, CFunctionCategories& categories) {
  IDBObject& db = state.Database();
  sql::ForEachRow(db, sql::FunctionCategoriesStatement(), [&](const IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    auto category = std::make_shared<CFunctionCategory>();
    const std::string name = db.FieldText(f.Value("Function_Type_Name"));
    category->Initialize(db.FieldNumber(f.Value("Function_Type_Id")), name, name);
    categories.Add(category);
  });
}

void LoadFunctions(MRidirodev& state, CFunctions& functions) {
  IDBObject& db = state.Database();
  sql::ForEachRow(db, sql::FunctionsStatement(), [&](const IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    auto function = std::make_shared<CFunction>();
    function->Initialize(db.FieldText(f.Value("Function_Name")), db.FieldText(f.Value("Function_Signature")),
                         db.FieldNumber(f.Value("Function_Type_Id")), db.FieldText(f.Value("Function_Desc")));
    functions.Add(function);
  });
}

void LoadEnumValues(MRidirodev& state, KeyedCollection<std::shared_ptr<CEnumValues>>& values) {
  sql::ReadEnumValues(state.Database(),
                      [&](int32_t fieldId, std::vector<std::pair<std::string, std::string>>&& pairs) {
                        auto fieldValues = std::make_shared<CEnumValues>();
                        for (auto& [key, description] : pairs) {
                          auto value = std::make_shared<CEnumValue>();
                          value->Initialize(std::move(key), std::move(description));
                          fieldValues->Add(value);
                        }
                        values.Add(fieldValues, std::to_string(fieldId) + "~");
                      });
}

void LoadDataFiles(MRidirodev& state, CDataFiles& files, int32_t entityId) {
  const bool extended = state.Support().ExtendedEntityViews();
  IDBObject& db = state.Database();
  sql::ForEachDataFileRow(db, extended, entityId, [&](const IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    const CDataFilePtr file =
        files.Add(db.FieldNumber(f.Value("Field_Id")), db.FieldNumber(f.Value("file_type_id")),
                  db.FieldText(f.Value("file_type")), db.FieldText(f.Value("Frequency")),
                  db.FieldNumber(f.Value("FREQUENCY_ID")), db.FieldText(f.Value("Vendor")),
                  db.FieldText(f.Value("file_description")));
    file->SetOffsetMinutes(db.FieldNumber(f.Value("offset_minutes")));
    file->SetEntityId(db.FieldNumber(f.Value("Entity_Id")));
    file->SetEntityName(db.FieldText(f.Value("Entity_Name")));
    if (!extended) {
      file->SetFirstAvailable(AvailableText(f.Value("First")));
      file->SetLastAvailable(AvailableText(f.Value("Last")));
    }
  });
  files.SetEntityId(entityId);
}

}  // namespace ridirodev
