#include "ridirodev/store/dictionary_loaders.h"

#include <cstdio>

#include "ridirodev/core/text.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/template_categories.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev::sql {
namespace {

IDBObject& Db() { return MRidirodev::Current().Database(); }

// Opens the statement and calls row(rs) for each row; a statement that returns nothing loads
// nothing.
template <class F>
void ForEachRow(const std::string& statement, F&& row) {
  ClosingRecordset rs(Db().OpenRecordset(statement, 60));
  if (!rs) return;
  while (!rs->Eof()) {
    row(*rs);
    rs->MoveNext();
  }
  rs.Close();
}

// Rows to members that initialise themselves from the row.
template <class Member, class Collection>
void LoadMembers(const std::string& statement, Collection& collection) {
  ForEachRow(statement, [&](IDBRecordset& rs) {
    auto member = std::make_shared<Member>();
    member->Initialize(rs);
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

int32_t LookupEntityId(std::string_view name) {
  ClosingRecordset rs(Db().OpenRecordset(EntityIdByNameStatement(name), 60));
  if (!rs || rs->Bof()) return 0;
  const int32_t id = Db().FieldNumber(rs->Fields().Value("Entity_Id"));
  rs.Close();
  return id;
}

void LoadAppGroupTemplates(CAppGroupTemplates& templates) {
  IDBObject& db = Db();
  std::vector<std::string> literals;
  for (const std::string& name : DataSourceNames(MRidirodev::Current().Features())) {
    literals.push_back(db.TextLiteral(name)->Text());
  }
  LoadMembers<CAppGroupTemplate>(AppGroupTemplatesStatement(literals), templates);
}

void LoadTechnologyTypes(CFieldTechTypes& types) {
  LoadMembers<CFieldTechType>(TechnologyTypesStatement(), types);
  types.UpdateListValues();
}

void LoadFieldTypes(int32_t dataSourceId, CFieldTypes& types) {
  LoadMembers<CFieldType>(FieldTypesStatement(MRidirodev::Current().Support().ExtendedEntityViews(), dataSourceId),
                          types);
  types.UpdateListValues();
}

void LoadAggregators(CAggregators& aggregators) { LoadMembers<CAggregator>(AggregatorsStatement(), aggregators); }

void LoadExtraColumns(int32_t dataSourceId, CExtraColumns& columns) {
  LoadMembers<CExtraColumn>(ExtraColumnsStatement(dataSourceId), columns);
}

void LoadTemplateCategories(std::string_view appName, int32_t contextId, CTemplateCategories& categories) {
  if (!TemplateCategoriesFromEntities(appName)) {
    auto category = std::make_shared<CTemplateCategory>();
    category->Initialize(0, std::string(appName), std::string(appName), std::string(appName), "", true, "");
    categories.Add(category);
    return;
  }
  const bool extended = MRidirodev::Current().Support().ExtendedEntityViews();
  IDBObject& db = Db();
  ForEachRow(TemplateCategoriesStatement(extended, contextId), [&](IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    const std::string entityName = db.FieldText(f.Value("Entity_Name"));
    auto category = std::make_shared<CTemplateCategory>();
    category->Initialize(db.FieldNumber(f.Value("Entity_Id")), entityName, std::string(appName) + " " + entityName,
                         std::string(appName), db.FieldText(f.Value("Entity_Desc")),
                         ToUpper(db.FieldText(f.Value("can_rpt"))) == "Y",
                         extended ? db.FieldText(f.Value("Entity_Label")) : std::string());
    categories.Add(category);
  });
}

void LoadFunctionCategories(CFunctionCategories& categories) {
  IDBObject& db = Db();
  ForEachRow(FunctionCategoriesStatement(), [&](IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    auto category = std::make_shared<CFunctionCategory>();
    const std::string name = db.FieldText(f.Value("Function_Type_Name"));
    category->Initialize(db.FieldNumber(f.Value("Function_Type_Id")), name, name);
    categories.Add(category);
  });
}

void LoadFunctions(CFunctions& functions) {
  IDBObject& db = Db();
  ForEachRow(FunctionsStatement(), [&](IDBRecordset& rs) {
    const IDBFields& f = rs.Fields();
    auto function = std::make_shared<CFunction>();
    function->Initialize(db.FieldText(f.Value("Function_Name")), db.FieldText(f.Value("Function_Signature")),
                         db.FieldNumber(f.Value("Function_Type_Id")), db.FieldText(f.Value("Function_Desc")));
    functions.Add(function);
  });
}

void LoadEnumValues(KeyedCollection<std::shared_ptr<CEnumValues>>& values) {
  IDBObject& db = Db();
  ClosingRecordset ids(db.OpenRecordset(EnumFieldIdsStatement(), 60));
  ClosingRecordset all(db.OpenRecordset(EnumValuesStatement(), 60));
  if (ids && all && !all->Bof()) {
    for (ids->MoveFirst(); !ids->Eof(); ids->MoveNext()) {
      const int32_t fieldId = db.FieldNumber(ids->Fields().Value("field_id"));
      all->SetFilter(EnumValuesFilter(fieldId));
      auto fieldValues = std::make_shared<CEnumValues>();
      for (all->MoveFirst(); !all->Eof(); all->MoveNext()) {
        auto value = std::make_shared<CEnumValue>();
        value->Initialize(db.FieldText(all->Fields().Value("Enum_Key")), db.FieldText(all->Fields().Value("Enum_Desc")));
        fieldValues->Add(value);
      }
      values.Add(fieldValues, std::to_string(fieldId) + "~");
    }
  }
  ids.Close();
  all.Close();
}

void LoadDataFiles(CDataFiles& files, int32_t entityId) {
  const bool extended = MRidirodev::Current().Support().ExtendedEntityViews();
  IDBObject& db = Db();
  // Asked each time: the partition table gains the column when the schema is upgraded.
  const bool partitionDates = !extended && db.ColumnExists("tq_min_partition", "max_partition_date");
  ForEachRow(DataFilesStatement(extended, partitionDates, entityId), [&](IDBRecordset& rs) {
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

}  // namespace ridirodev::sql
