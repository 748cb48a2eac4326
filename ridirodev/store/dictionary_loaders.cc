#include "ridirodev/store/dictionary_loaders.h"

#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev::sql {

void ForEachRow(IDBObject& db, const std::string& statement,
                const std::function<void(const IDBRecordset&)>& row) {
  ClosingRecordset rs(db.OpenRecordset(statement, 60));
  if (!rs) return;
  while (!rs->Eof()) {
    row(*rs);
    rs->MoveNext();
  }
  rs.Close();
}

int32_t LookupEntityId(IDBObject& db, std::string_view name) {
  ClosingRecordset rs(db.OpenRecordset(EntityIdByNameStatement(name), 60));
  if (!rs || rs->Bof()) return 0;
  const int32_t id = db.FieldNumber(rs->Fields().Value("Entity_Id"));
  rs.Close();
  return id;
}

void ReadEnumValues(
    IDBObject& db,
    const std::function<void(int32_t, std::vector<std::pair<std::string, std::string>>&&)>& field) {
  ClosingRecordset ids(db.OpenRecordset(EnumFieldIdsStatement(), 60));
  ClosingRecordset all(db.OpenRecordset(EnumValuesStatement(), 60));
  if (ids && all && !all->Bof()) {
    for (ids->MoveFirst(); !ids->Eof(); ids->MoveNext()) {
      const int32_t fieldId = db.FieldNumber(ids->Fields().Value("field_id"));
      all->SetFilter(EnumValuesFilter(fieldId));
      std::vector<std::pair<std::string, std::string>> values;
      for (all->MoveFirst(); !all->Eof(); all->MoveNext()) {
        values.emplace_back(db.FieldText(all->Fields().Value("Enum_Key")),
                            db.FieldText(all->Fields().Value("Enum_Desc")));
      }
      field(fieldId, std::move(values));
    }
  }
  ids.Close();
  all.Close();
}

void ForEachDataFileRow(IDBObject& db, bool extendedViews, int32_t entityId,
                        const std::function<void(const IDBRecordset&)>& row) {
  // Asked each time: the partition table gains the column when the schema is upgraded.
  const bool partitionDates = !extendedViews && db.ColumnExists("tq_min_partition", "max_partition_date");
  ForEachRow(db, DataFilesStatement(extendedViews, partitionDates, entityId), row);
}

}  // namespace ridirodev::sql
