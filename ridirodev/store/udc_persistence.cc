#include "ridirodev/store/udc_persistence.h"

#include <optional>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/host_services.h"
#include "ridirodev/host/services.h"
#include "ridirodev/store/dictionary_statements.h"
#include "ridirodev/store/transaction.h"

namespace ridirodev::sql {
namespace {

constexpr const char* kSource = "MRidirodev";
constexpr int32_t kTraceLevel = 10;
constexpr const char* kLineBreak = "\r\n";

std::string Decimal(int32_t n) { return std::to_string(n); }

std::string_view TrimBlanks(std::string_view s) noexcept {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A procedure call filled in parameter order.
class ProcedureCall {
 public:
  ProcedureCall(HostServices& services, std::string_view routine)
      : call_(services.HostObject().CreateProcedureCall()) {
    if (!call_) throw AutomationError(ErrorNumber::kObjectNotSet, kSource, "No procedure call object");
    call_->SetName(routine);
  }
  ProcedureCall& Text(std::string_view value) {
    call_->AddParameter(value, "string", "", 0);
    return *this;
  }
  ProcedureCall& Number(int32_t value) {
    call_->AddParameter(Decimal(value), "integer", "", 0);
    return *this;
  }
  // An empty value stands for a null or an output.
  ProcedureCall& NoNumber() {
    call_->AddParameter("", "integer", "", 0);
    return *this;
  }
  IDBProcedureCall* operator->() const { return call_.get(); }

 private:
  IDBProcedureCallPtr call_;
};

// The source as the server stores it: under the extended views the entity labels of the text
// are replaced by the server for the entity's version.
std::string CalculationSource(HostServices& services, const UdcDefinition& def, bool extendedViews) {
  if (!extendedViews) return def.calcSource;
  IDBObject& db = services.Database();
  const Variant version =
      db.QueryValue("SELECT version_id From tqn_entity WHERE entity_id = " + Decimal(def.entityId));
  return db.FieldText(db.CallFunction("ea_dd.ea_replace_entity_labels",
                                      db.FieldText(version) + ",'" + DoubleQuotes(def.calcSource) + "'"));
}

std::string InsertTrace(const UdcDefinition& def) {
  const std::string values[] = {def.name,     def.category,          Decimal(def.dataSourceId), Decimal(def.userId),
                                def.dataType, def.calcSource,        def.heading1,              def.heading2,
                                def.description, Decimal(def.techBits), def.aggregator};
  std::string text =
      std::string("Saving expression.") + kLineBreak + "Query: " + "BEGIN " + "tq_Dictionary.New_UDC_F( ";
  for (size_t i = 0; i < std::size(values); ++i) text += values[i] + (i + 1 < std::size(values) ? "," : ")");
  return text + " ; END;";
}

// Restores the wait pointer as it was, whatever happens in between.
class WaitPointerScope {
 public:
  explicit WaitPointerScope(IAppSupport& support) : support_(support), was_(support.WaitPointer()) {
    support_.SetWaitPointer(true);
  }
  ~WaitPointerScope() {
    try {
      support_.SetWaitPointer(was_);
    } catch (...) {
    }
  }
  WaitPointerScope(const WaitPointerScope&) = delete;
  WaitPointerScope& operator=(const WaitPointerScope&) = delete;

 private:
  IAppSupport& support_;
  bool was_;
};

struct StatusReading {
  std::string message;
  std::optional<AutomationError> failure;
};

// The reading of a status that could not be read; call only inside a catch block.
StatusReading FailedReading(HostServices& services) { return {CurrentErrorText(services), CurrentError()}; }

StatusReading ReadUDCStatus(HostServices& services, const Variant& ordField, std::string& sStatus,
                            int32_t iTimeOut) {
  int32_t id = 0;
  try {
    id = ordField.ToInt32();
  } catch (...) {
    return FailedReading(services);
  }
  if (id == 0) return {};
  try {
    WaitPointerScope wait(services.Support());
    try {
      IAppMessages& messages = services.Messages();
      if (messages.TraceEnabled()) {
        messages.Trace(std::string("Checking expression.") + kLineBreak + "Query: " + "BEGIN " +
                           "tq_Dictionary.UDC_Stat( " + Decimal(id) + ", , iTimeOut )" + " ; END;",
                       kTraceLevel);
      }
      ProcedureCall call(services, "tq_Dictionary.UDC_Stat");
      call.Number(id).Text("").Text("").Number(iTimeOut);
      call->Run();
      IDBObject& db = services.Database();
      sStatus = db.FieldText(call->ParameterValue(1));
      const std::string message = db.FieldText(call->ParameterValue(2));
      return {sStatus == "U" || sStatus == "N" ? std::string(kUDCNotTranslated) : message, std::nullopt};
    } catch (...) {
      return FailedReading(services);
    }
  } catch (...) {  // the wait pointer itself
    return FailedReading(services);
  }
}

}  // namespace

std::string RenameUDCStatement(int32_t ordField, std::string_view sName) {
  return "Update Tqd_Dict_name  Set Name = '" + DoubleQuotes(sName) +
         "' Where Field_ID = " + Decimal(ordField) + " AND Namespace_Id = 0";
}

std::string InsertFieldStyleStatement(int32_t ordField, int32_t iFontMask, int32_t iFontColor) {
  return std::string("Insert Into tqd_field_style ") + "(Field_id,FontStyleMask,FontColor ) " + "VALUES (" +
         Decimal(ordField) + "," + Decimal(iFontMask) + "," + Decimal(iFontColor) + ")";
}

std::string DeleteFieldStyleStatement(int32_t ordField) {
  return std::string("Delete from tqd_field_style ") + " Where Field_ID = " + Decimal(ordField);
}

std::string DeleteFieldDataStatement(int32_t ordField) {
  return "Delete from tqd_Field_Data where Field_Id = " + Decimal(ordField);
}

std::string DeleteExtraColumnValueStatement(std::string_view colType, int32_t ordField,
                                            std::string_view columnId) {
  if (colType == "A") {
    return std::string("Delete from tqd_Dict_name ") + " Where Field_ID = " + Decimal(ordField) +
           " AND Namespace_Id = " + std::string(columnId);
  }
  return std::string("Delete from tqd_Field_Data ") + " Where Field_ID = " + Decimal(ordField) +
         " AND DataSet_ID = " + std::string(columnId);
}

std::string InsertExtraColumnValueStatement(std::string_view colType, int32_t ordEntity, int32_t ordField,
                                            std::string_view columnId, std::string_view value) {
  const std::string into = colType == "A"
                               ? "Insert Into tqd_Dict_name (Entity_Id, Field_Id, Namespace_id, Name) "
                               : "Insert Into tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue) ";
  return into + "Values ( " + Decimal(ordEntity) + "," + Decimal(ordField) + "," + std::string(columnId) +
         ",'" + DoubleQuotes(value) + "')";
}

void RenameUDC(IDBObject& db, int32_t ordField, std::string_view sName) {
  db.Execute(RenameUDCStatement(ordField, sName));
}

void ChangeUDCOwner(IDBObject& db, int32_t ordField, int32_t ordOwner) {
  db.ExecuteProcedure("tq_Dictionary.Update_Field_Owner", {ordField, ordOwner});
}

std::string GetUDCStatus(HostServices& services, const Variant& ordField, std::string& sStatus,
                         int32_t iTimeOut) {
  return ReadUDCStatus(services, ordField, sStatus, iTimeOut).message;
}

void CheckUDCAfterSave(HostServices& services, int32_t ordField, int32_t iTimeOut) {
  if (ordField == 0) return;  // nothing was saved to check
  std::string status;
  const StatusReading reading = ReadUDCStatus(services, ordField, status, iTimeOut);
  // A status that could not be read is a failure of the check, not a clean translation: the
  // save that asked reports it.
  if (reading.failure) throw *reading.failure;
  IAppMessages& messages = services.Messages();
  const std::string caption = services.Support().AppTitle();
  if (status.empty()) {
    messages.MessageBox(reading.message, MessageBoxStyle::kInformation, caption);
  } else if (status == "S" || status == "I") {
    messages.MessageBox(reading.message + kLineBreak + "Check the User-Defined Calculation and save again.",
                        MessageBoxStyle::kCritical, caption);
  }
}

int32_t AddCommonFieldRow(HostServices& services, const UdcDefinition& def) {
  ProcedureCall call(services, "ea_client.add_common_field");
  call.NoNumber().Number(def.entityId).Text(def.name).Text(def.description).Text(def.heading1);
  call.Text(def.heading2).Text("").Text(def.aggregator).Text(def.dataType).NoNumber();
  call.Number(def.userId).NoNumber().Number(def.techBits);
  call->Run();
  // The new id comes back at position 1 (counted from 0), where the routine answers it.
  return call->ParameterValue(1).ToInt32();
}

void UpdateCommonFieldRow(IDBObject& db, const UdcDefinition& def) {
  db.ExecuteProcedure("ea_client.update_common_field",
                      {def.id, def.description, def.heading1, def.heading2, def.aggregator, "", def.userId, "",
                       def.techBits, def.dataType});
}

void RemoveCommonField(IDBObject& db, int32_t ordField) {
  db.ExecuteProcedure("ea_client.remove_common_field", {ordField});
}

void SaveFieldStyle(HostServices& services, int32_t ordField, int32_t fontMask, int32_t fontColor,
                    bool styleFieldsAvailable) {
  if (!styleFieldsAvailable) return;
  DeleteFieldStyle(services, ordField, styleFieldsAvailable);
  if (fontMask != 0 || fontColor != 0) {
    services.Database().Execute(InsertFieldStyleStatement(ordField, fontMask, fontColor));
  }
}

void DeleteFieldStyle(HostServices& services, int32_t ordField, bool styleFieldsAvailable) {
  if (styleFieldsAvailable) services.Database().Execute(DeleteFieldStyleStatement(ordField));
}

void SaveExtraColumnValues(HostServices& services, int32_t ordEntity, int32_t ordField,
                           const std::vector<ExtraColumnWrite>& columns) {
  if (columns.empty()) return;
  IDBObject& db = services.Database();
  for (const ExtraColumnWrite& column : columns) {
    if (!column.editable) continue;
    db.Execute(DeleteExtraColumnValueStatement(column.colType, ordField, column.columnId));
    if (TrimBlanks(column.value).empty()) continue;
    db.Execute(
        InsertExtraColumnValueStatement(column.colType, ordEntity, ordField, column.columnId, column.value));
  }
}

void DeleteFieldData(IDBObject& db, int32_t ordField) { db.Execute(DeleteFieldDataStatement(ordField)); }

bool InsertUDC(HostServices& services, const UdcDefinition& def, const UdcWriteFlags& flags,
               const ExtraColumnWrites& extra, const std::function<void(int32_t)>& onCommitted) {
  return SaveReported(services, "InsertUDC", [&](Transaction& transaction) {
    ProcedureCall call(services, "tq_Dictionary.New_UDC_F");
    call.Text(def.name).Text(def.category).Number(def.dataSourceId).Number(def.userId);
    call.Text(def.dataType)
        .Text(CalculationSource(services, def, flags.extendedViews))
        .Text(def.heading1)
        .Text(def.heading2);
    call.Text(def.description).Number(def.techBits).Text(def.aggregator);
    if (flags.doComplex) call.Text(def.complex);
    if (def.weightFieldId > 0) call.Number(def.weightFieldId);
    IAppMessages& messages = services.Messages();
    if (messages.TraceEnabled()) messages.Trace(InsertTrace(def), kTraceLevel);

    transaction.Begin();
    const int32_t id = call->Run().ToInt32();
    // Without an id there is no row to hang the style and values on.
    if (id <= 0)
      throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "The server gave the calculation no id");
    messages.Trace("Function returned: " + Decimal(id), kTraceLevel);
    // The style and values are written before the field takes its new id, which it does only
    // once the row is committed.
    SaveFieldStyle(services, id, def.fontMask, def.fontColor, flags.styleFieldsAvailable);
    SaveExtraColumnValues(services, def.entityId, id, extra());
    transaction.Commit();
    onCommitted(id);
  });
}

bool UpdateUDC(HostServices& services, const UdcDefinition& def, const UdcWriteFlags& flags,
               const ExtraColumnWrites& extra, const std::function<void()>& onCommitted) {
  return SaveReported(services, "UpdateUDC", [&](Transaction& transaction) {
    const std::string source = CalculationSource(services, def, flags.extendedViews);
    transaction.Begin();
    std::vector<Variant> values{def.id,          def.dataType, source,         def.heading1,
                                def.heading2,    def.description, def.techBits, def.aggregator};
    if (flags.doComplex) {
      values.emplace_back(def.complex);
      values.push_back(def.weightFieldId >= 1 ? Variant(def.weightFieldId) : Variant(""));
    }
    services.Database().ExecuteProcedure("tq_Dictionary.Update_UDC", values);
    SaveExtraColumnValues(services, def.entityId, def.id, extra());
    SaveFieldStyle(services, def.id, def.fontMask, def.fontColor, flags.styleFieldsAvailable);
    transaction.Commit();
    onCommitted();
  });
}

bool DeleteUDC(HostServices& services, int32_t ordField, bool styleFieldsAvailable) {
  return SaveReported(services, "DeleteUDC", [&](Transaction& transaction) {
    transaction.Begin();
    DeleteFieldData(services.Database(), ordField);
    DeleteFieldStyle(services, ordField, styleFieldsAvailable);
    services.Database().ExecuteProcedure("tq_Dictionary.Delete_UDC", {ordField});
    transaction.Commit();
  });
}

}  // namespace ridirodev::sql
