#include "standalone/routines.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/routine_statement.h"
#include "standalone/schema.h"

namespace ridirodev::standalone {
namespace {

// Reads the arguments of one call. As on the server an empty text is a null.
class Args {
 public:
  Args(const RoutineCall& call, std::string_view source) : call_(call), source_(source) {}

  size_t Count() const { return call_.args.size(); }
  void ExpectCount(size_t low, size_t high) const {
    if (Count() < low || Count() > high) {
      const std::string range =
          low == high ? std::to_string(low) : std::to_string(low) + " to " + std::to_string(high);
      FailRoutine(source_, "Wrong number of arguments: " + std::to_string(Count()) + " given, " + range +
                               " expected.");
    }
  }

  bool IsNull(size_t i) const {
    if (i >= Count()) return true;
    const Variant& v = call_.args[i];
    return v.IsEmpty() || v.IsNull() || v.IsMissing() || (v.IsString() && v.StringRef().empty());
  }
  bool IsNumber(size_t i) const { return !IsNull(i) && call_.args[i].IsNumber(); }

  std::optional<int32_t> OptInt(size_t i) const {
    if (IsNull(i)) return std::nullopt;
    try {
      return call_.args[i].ToInt32();
    } catch (const AutomationError&) {
      FailRoutine(source_,
                  "Argument " + std::to_string(i + 1) + " is not a number: " + call_.args[i].ToString());
    }
  }
  int32_t Int(size_t i, std::string_view what) const {
    auto v = OptInt(i);
    if (!v) FailRoutine(source_, "The " + std::string(what) + " is missing.");
    return *v;
  }
  // Ids of 0 stand for none, as the component writes them.
  std::optional<int32_t> OptId(size_t i) const {
    auto v = OptInt(i);
    return v && *v != 0 ? v : std::nullopt;
  }

  std::optional<std::string> OptText(size_t i) const {
    if (IsNull(i)) return std::nullopt;
    return call_.args[i].ToString();
  }
  std::string Text(size_t i, std::string_view what) const {
    auto v = OptText(i);
    if (!v) FailRoutine(source_, "The " + std::string(what) + " is missing.");
    return *v;
  }

 private:
  const RoutineCall& call_;
  std::string_view source_;
};

// Storage sizes by data type letter, as the loaders of the collected data declare them.
std::pair<int32_t, int32_t> LengthAndPrecision(std::string_view dataType) {
  if (dataType == "I") return {10, 0};
  if (dataType == "F") return {12, 2};
  if (dataType == "D") return {19, 0};
  if (dataType == "E") return {4, 0};
  return {30, 0};
}

struct FieldRow {
  int32_t entityId = 0;
  int32_t dataSourceId = 0;
  std::string group;
};

std::optional<FieldRow> LoadField(engine::EngineDatabase& db, int32_t fieldId, std::string_view source) {
  RoutineStatement stmt(db,
                        "SELECT n.Entity_Id, f.DataSource_ID, f.Field_Group_Short FROM tqd_Dict_Field f "
                        "LEFT JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND n.NameSpace_Id = 0 "
                        "WHERE f.Field_Id = ?1",
                        source);
  stmt.Bind(1, int64_t{fieldId});
  if (!stmt.Step()) return std::nullopt;
  return FieldRow{RoutineInt32(stmt.Int(0), source), RoutineInt32(stmt.Int(1), source), stmt.Text(2)};
}

FieldRow RequireField(engine::EngineDatabase& db, int32_t fieldId, std::string_view source) {
  auto row = LoadField(db, fieldId, source);
  if (!row) FailRoutine(source, "Field " + std::to_string(fieldId) + " does not exist.");
  return *row;
}

FieldRow RequireCalculation(engine::EngineDatabase& db, int32_t fieldId, std::string_view source) {
  FieldRow row = RequireField(db, fieldId, source);
  if (row.group != "UDC")
    FailRoutine(source, "Field " + std::to_string(fieldId) + " is not a user-defined calculation.");
  return row;
}

void RequireFreeName(engine::EngineDatabase& db, std::string_view name, int32_t entityId,
                     int32_t dataSourceId, std::string_view source) {
  RoutineStatement stmt(db,
                        "SELECT 1 FROM tqd_Dict_Name n JOIN tqd_Dict_Field f ON f.Field_Id = n.Field_Id "
                        "WHERE n.Entity_Id = ?1 AND n.NameSpace_Id = 0 AND n.Name = ?2 COLLATE NOCASE "
                        "AND f.DataSource_ID = ?3",
                        source);
  stmt.Bind(1, int64_t{entityId}).Bind(2, name).Bind(3, int64_t{dataSourceId});
  if (stmt.Step()) {
    FailRoutine(source, "A field named " + std::string(name) + " already exists for entity " +
                            std::to_string(entityId) + ".");
  }
}

void RequireDataSource(engine::EngineDatabase& db, int32_t dataSourceId, std::string_view source) {
  RoutineStatement stmt(db, "SELECT 1 FROM TQD_Data_Source WHERE DataSource_Id = ?1", source);
  if (!stmt.Bind(1, int64_t{dataSourceId}).Step()) {
    FailRoutine(source, "Data source " + std::to_string(dataSourceId) + " does not exist.");
  }
}

void RequireEntity(engine::EngineDatabase& db, int32_t entityId, std::string_view source) {
  RoutineStatement stmt(db, "SELECT 1 FROM TQN_ENTITY WHERE Entity_Id = ?1", source);
  if (!stmt.Bind(1, int64_t{entityId}).Step())
    FailRoutine(source, "Entity " + std::to_string(entityId) + " does not exist.");
}

// The entity of a calculation's category: by name, preferring one placed in the hierarchy
// of the data source's context when names repeat across contexts.
int32_t EntityIdByName(engine::EngineDatabase& db, std::string_view entityName, int32_t dataSourceId,
                       std::string_view source) {
  RoutineStatement stmt(db,
                        "SELECT e.Entity_Id FROM TQN_ENTITY e WHERE e.Entity_Name = ?1 COLLATE NOCASE "
                        "ORDER BY EXISTS (SELECT 1 FROM tqn_entity_context c JOIN TQD_Data_Source s "
                        "ON s.DataSource_APP_CTX = c.Context_Id WHERE s.DataSource_Id = ?2 AND c.Entity_Id = "
                        "e.Entity_Id) DESC, "
                        "e.Entity_Id LIMIT 1",
                        source);
  stmt.Bind(1, entityName).Bind(2, int64_t{dataSourceId});
  if (!stmt.Step()) FailRoutine(source, "Unknown entity '" + std::string(entityName) + "'.");
  return RoutineInt32(stmt.Int(0), source);
}

// A fresh field id; skips ids already taken, in case the sequence lags behind the table.
int32_t NewFieldId(engine::EngineDatabase& db, std::string_view source) {
  RoutineStatement taken(db, "SELECT 1 FROM tqd_Dict_Field WHERE Field_Id = ?1", source);
  for (;;) {
    const int32_t id = db.NextSequenceNumber(kFieldSequence);
    if (!taken.Reset().Bind(1, int64_t{id}).Step()) return id;
  }
}

struct NewField {
  int32_t id = 0;
  int32_t dataSourceId = 0;
  int32_t entityId = 0;
  std::string name;
  std::string dataType;
  std::string fieldType;
  std::string group;
  std::optional<int32_t> owner;
  std::optional<std::string> aggregator, heading1, heading2, description, status;
  int32_t techMask = 0;
};

void InsertField(engine::EngineDatabase& db, const NewField& f, std::string_view source) {
  const auto [length, precision] = LengthAndPrecision(f.dataType);
  RoutineStatement field(
      db,
      "INSERT INTO tqd_Dict_Field (Field_Id, DataSource_ID, DataType, Field_Type, Field_Owner, "
      "Field_Aggregator, Field_Emits_Aggregator, Length, Precision, Is_Null_OK, Field_Group_Short, "
      "Tech_Mask, Changed, Status) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?6, ?7, ?8, 'Y', ?9, ?10, ?12, ?11)",
      source);
  field.Bind(1, int64_t{f.id})
      .Bind(2, int64_t{f.dataSourceId})
      .Bind(3, std::string_view(f.dataType))
      .Bind(4, std::string_view(f.fieldType))
      .Bind(5, f.owner)
      .Bind(6, f.aggregator)
      .Bind(7, int64_t{length})
      .Bind(8, int64_t{precision})
      .Bind(9, std::string_view(f.group))
      .Bind(10, int64_t{f.techMask})
      .Bind(11, f.status)
      .Bind(12, std::string_view(RoutineNow()))
      .Run();
  RoutineStatement name(
      db,
      "INSERT INTO tqd_Dict_Name (Field_Id, NameSpace_Id, Entity_Id, Name, Report_Header, Report_Header2, "
      "Field_Desc) VALUES (?1, 0, ?2, ?3, ?4, ?5, ?6)",
      source);
  name.Bind(1, int64_t{f.id})
      .Bind(2, int64_t{f.entityId})
      .Bind(3, std::string_view(f.name))
      .Bind(4, f.heading1)
      .Bind(5, f.heading2)
      .Bind(6, f.description)
      .Run();
}

void DeleteFieldRows(engine::EngineDatabase& db, int32_t fieldId, std::string_view source) {
  static constexpr const char* kDeletes[] = {
      "DELETE FROM tqd_Dict_Field WHERE Field_Id = ?1",
      "DELETE FROM tqd_Dict_Name WHERE Field_Id = ?1",
      "DELETE FROM TQD_UDC_DEF WHERE Field_Id = ?1",
      "DELETE FROM tqd_field_style WHERE Field_Id = ?1",
      "DELETE FROM tqd_Field_Data WHERE Field_Id = ?1",
      "DELETE FROM TQD_ENUM_VALUES WHERE Field_Id = ?1",
      "DELETE FROM tqd_udr_keys WHERE Field_id = ?1",
      "DELETE FROM tqd_dict_field_depend WHERE parent_field_id = ?1 OR child_field_id = ?1",
  };
  for (const char* sql : kDeletes) RoutineStatement(db, sql, source).Bind(1, int64_t{fieldId}).Run();
}

Variant NewUdc(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(11, 13);
  NewField f;
  f.name = std::string(TrimBlanks(args.Text(0, "calculation name")));
  if (f.name.empty()) FailRoutine(source, "The calculation name is missing.");
  f.dataSourceId = args.Int(2, "data source id");
  RequireDataSource(db, f.dataSourceId, source);
  f.entityId = EntityIdByName(db, args.Text(1, "entity name"), f.dataSourceId, source);
  RequireFreeName(db, f.name, f.entityId, f.dataSourceId, source);
  f.owner = args.OptId(3);
  f.dataType = args.OptText(4).value_or("F");
  const std::optional<std::string> calcSource = args.OptText(5);
  f.heading1 = args.OptText(6);
  f.heading2 = args.OptText(7);
  f.description = args.OptText(8);
  f.techMask = args.OptInt(9).value_or(0);
  f.aggregator = args.OptText(10);
  std::optional<std::string> complex;
  std::optional<int32_t> weight;
  if (args.Count() == 13) {
    complex = args.OptText(11);
    weight = args.OptId(12);
  } else if (args.Count() == 12) {
    // The component sends the complex text only when it stores complex calculations, and
    // the weight only when there is one: a number here is the weight.
    if (args.IsNumber(11)) {
      weight = args.OptId(11);
    } else {
      complex = args.OptText(11);
    }
  }
  f.fieldType = "CALC";
  f.group = "UDC";
  f.status = "U";

  RoutineSavepoint savepoint(db, source);
  f.id = NewFieldId(db, source);
  InsertField(db, f, source);
  RoutineStatement def(
      db,
      "INSERT INTO TQD_UDC_DEF (Field_Id, UDC_SOURCE, CALC_SOURCE, Complex, weight_field_id) "
      "VALUES (?1, ?2, NULL, ?3, ?4)",
      source);
  def.Bind(1, int64_t{f.id}).Bind(2, calcSource).Bind(3, complex).Bind(4, weight).Run();
  CalculationTranslator translator(db);
  translator.RebuildDependencies(f.id);
  translator.LinkReferrers(f.id);
  savepoint.Release(source);
  return Variant(f.id);
}

Variant UpdateUdc(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(8, 10);
  const int32_t id = args.Int(0, "field id");
  RoutineSavepoint savepoint(db, source);
  RequireCalculation(db, id, source);
  RoutineStatement field(db,
                         "UPDATE tqd_Dict_Field SET DataType = COALESCE(?2, DataType), Tech_Mask = ?3, "
                         "Field_Aggregator = ?4, Field_Emits_Aggregator = ?4, Changed = ?5, Status = 'U' "
                         "WHERE Field_Id = ?1",
                         source);
  field.Bind(1, int64_t{id}).Bind(2, args.OptText(1)).Bind(3, int64_t{args.OptInt(6).value_or(0)});
  field.Bind(4, args.OptText(7)).Bind(5, std::string_view(RoutineNow())).Run();
  RoutineStatement name(db,
                        "UPDATE tqd_Dict_Name SET Report_Header = ?2, Report_Header2 = ?3, Field_Desc = ?4 "
                        "WHERE Field_Id = ?1 AND NameSpace_Id = 0",
                        source);
  name.Bind(1, int64_t{id}).Bind(2, args.OptText(3)).Bind(3, args.OptText(4)).Bind(4, args.OptText(5)).Run();
  // The complex text and the weight are rewritten only by callers that send them. The kept
  // values are named with their table: PostgreSQL takes a bare name as excluded's or the row's.
  RoutineStatement def(
      db,
      "INSERT INTO TQD_UDC_DEF (Field_Id, UDC_SOURCE) VALUES (?1, ?2) "
      "ON CONFLICT (Field_Id) DO UPDATE SET UDC_SOURCE = excluded.UDC_SOURCE, CALC_SOURCE = NULL, "
      "Complex = CASE WHEN ?3 THEN ?4 ELSE TQD_UDC_DEF.Complex END, "
      "weight_field_id = CASE WHEN ?5 THEN ?6 ELSE TQD_UDC_DEF.weight_field_id END",
      source);
  def.Bind(1, int64_t{id}).Bind(2, args.OptText(2));
  def.Bind(3, int64_t{args.Count() >= 9}).Bind(4, args.OptText(8));
  def.Bind(5, int64_t{args.Count() >= 10}).Bind(6, args.OptId(9)).Run();
  CalculationTranslator(db).RebuildDependencies(id);
  savepoint.Release(source);
  return Variant();
}

Variant DeleteUdc(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(1, 1);
  const int32_t id = args.Int(0, "field id");
  RoutineSavepoint savepoint(db, source);
  RequireCalculation(db, id, source);
  DeleteFieldRows(db, id, source);
  savepoint.Release(source);
  return Variant();
}

Variant UpdateFieldOwner(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(2, 2);
  const int32_t id = args.Int(0, "field id");
  RequireField(db, id, source);
  RoutineStatement(db, "UPDATE tqd_Dict_Field SET Field_Owner = ?2 WHERE Field_Id = ?1", source)
      .Bind(1, int64_t{id})
      .Bind(2, args.OptId(1))
      .Run();
  return Variant();
}

Variant UdcStat(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(1, 4);
  call.outputs.assign(std::max<size_t>(call.args.size(), 3), Variant());
  const int32_t id = args.OptInt(0).value_or(0);
  RoutineSavepoint savepoint(db, source);
  const CalculationTranslator::Result result = CalculationTranslator(db).Translate(id);
  savepoint.Release(source);
  call.outputs[1] = Variant(result.status);
  call.outputs[2] = Variant(result.message);
  return Variant();
}

Variant AddCommonField(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(9, 13);
  call.outputs.assign(std::max<size_t>(call.args.size(), 2), Variant());
  NewField f;
  f.entityId = args.Int(1, "entity id");
  f.name = std::string(TrimBlanks(args.Text(2, "field name")));
  if (f.name.empty()) FailRoutine(source, "The field name is missing.");
  f.description = args.OptText(3);
  f.heading1 = args.OptText(4);
  f.heading2 = args.OptText(5);
  f.group = args.OptText(6).value_or("Common");
  f.aggregator = args.OptText(7);
  f.dataType = args.OptText(8).value_or("I");
  f.owner = args.OptId(10);
  f.techMask = args.OptInt(12).value_or(0);
  f.fieldType = "CMN";

  RoutineSavepoint savepoint(db, source);
  RequireEntity(db, f.entityId, source);
  if (auto dataSource = args.OptId(9)) {
    f.dataSourceId = *dataSource;
  } else {
    RoutineStatement traffic(
        db, "SELECT DataSource_Id FROM TQD_Data_Source WHERE DataSource_Name = 'Traffic'", source);
    if (!traffic.Step()) FailRoutine(source, "There is no data source named Traffic.");
    f.dataSourceId = RoutineInt32(traffic.Int(0), source);
  }
  RequireDataSource(db, f.dataSourceId, source);
  RequireFreeName(db, f.name, f.entityId, f.dataSourceId, source);
  f.id = NewFieldId(db, source);
  InsertField(db, f, source);
  savepoint.Release(source);
  call.outputs[1] = Variant(f.id);
  return Variant();
}

Variant UpdateCommonField(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(10, 10);
  const int32_t id = args.Int(0, "field id");
  RoutineSavepoint savepoint(db, source);
  RequireField(db, id, source);
  RoutineStatement field(
      db,
      "UPDATE tqd_Dict_Field SET Field_Aggregator = ?2, Field_Emits_Aggregator = ?2, Field_Owner = ?3, "
      "Tech_Mask = ?4, DataType = COALESCE(?5, DataType), Changed = ?6 WHERE Field_Id = ?1",
      source);
  field.Bind(1, int64_t{id}).Bind(2, args.OptText(4)).Bind(3, args.OptId(6));
  field.Bind(4, int64_t{args.OptInt(8).value_or(0)}).Bind(5, args.OptText(9));
  field.Bind(6, std::string_view(RoutineNow())).Run();
  RoutineStatement name(db,
                        "UPDATE tqd_Dict_Name SET Field_Desc = ?2, Report_Header = ?3, Report_Header2 = ?4 "
                        "WHERE Field_Id = ?1 AND NameSpace_Id = 0",
                        source);
  name.Bind(1, int64_t{id}).Bind(2, args.OptText(1)).Bind(3, args.OptText(2)).Bind(4, args.OptText(3)).Run();
  savepoint.Release(source);
  return Variant();
}

Variant RemoveCommonField(engine::EngineDatabase& db, RoutineCall& call, std::string_view source) {
  const Args args(call, source);
  args.ExpectCount(1, 1);
  const int32_t id = args.Int(0, "field id");
  RoutineSavepoint savepoint(db, source);
  RequireField(db, id, source);
  DeleteFieldRows(db, id, source);
  savepoint.Release(source);
  return Variant();
}

using RoutineFunction = Variant (*)(engine::EngineDatabase&, RoutineCall&, std::string_view);

struct RoutineEntry {
  std::string_view name;
  RoutineFunction run;
};

// Sized by its entries: a routine is added by adding its line.
constexpr RoutineEntry kRoutines[] = {
    {"tq_Dictionary.New_UDC_F", NewUdc},
    {"tq_Dictionary.Update_UDC", UpdateUdc},
    {"tq_Dictionary.Delete_UDC", DeleteUdc},
    {"tq_Dictionary.Update_Field_Owner", UpdateFieldOwner},
    {"tq_Dictionary.UDC_Stat", UdcStat},
    {"ea_client.add_common_field", AddCommonField},
    {"ea_client.update_common_field", UpdateCommonField},
    {"ea_client.remove_common_field", RemoveCommonField},
};

const RoutineEntry* FindRoutine(std::string_view name) {
  const std::string_view trimmed = TrimBlanks(name);
  for (const auto& entry : kRoutines) {
    if (EqualsNoCase(entry.name, trimmed)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool HasRoutine(std::string_view name) { return FindRoutine(name) != nullptr; }

Variant RunRoutine(engine::EngineDatabase& db, RoutineCall& call) {
  const RoutineEntry* entry = FindRoutine(call.name);
  if (!entry) FailRoutine(db.Source(), "Unknown stored routine: " + call.name);
  call.outputs.assign(call.args.size(), Variant());
  return entry->run(db, call, entry->name);
}

void InstallRoutines(engine::EngineDatabase& db) {
  db.SetRoutines([](engine::EngineDatabase& on, std::string_view name, const std::vector<Variant>& args,
                    std::vector<Variant>* outputs) {
    RoutineCall call{std::string(name), args, {}};
    Variant result = RunRoutine(on, call);
    if (outputs) *outputs = std::move(call.outputs);
    return result;
  });
}

}  // namespace ridirodev::standalone
