#include "ridirodev/store/udc_persistence.h"

#include <optional>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/error_reports.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
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

std::string TextOf(const Variant& v) {
  return v.IsEmpty() || v.IsNull() || v.IsMissing() ? "" : v.ToString();
}

// A procedure call filled in parameter order.
class ProcedureCall {
 public:
  explicit ProcedureCall(std::string_view routine)
      : call_(MRidirodev::Current().HostObject().CreateProcedureCall()) {
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
std::string CalculationSource(const CField& fld) {
  MRidirodev& state = MRidirodev::Current();
  if (!state.Support().ExtendedEntityViews()) return fld.CalcSource();
  IDBObject& db = state.Database();
  const Variant version =
      db.QueryValue("SELECT version_id From tqn_entity WHERE entity_id = " + Decimal(fld.EntityId()));
  return db.FieldText(db.CallFunction("ea_dd.ea_replace_entity_labels",
                                      db.FieldText(version) + ",'" + DoubleQuotes(fld.CalcSource()) + "'"));
}

std::string InsertTrace(const CField& fld) {
  const std::string values[] = {
      std::string(fld.Name()),      fld.Category(),       Decimal(fld.DataSourceId()),
      Decimal(fld.UserId()),        fld.DataType(),       fld.CalcSource(),
      fld.ColumnHeading1(),         fld.ColumnHeading2(), fld.Description(),
      Decimal(fld.FieldTechBits()), fld.Aggregator()};
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
StatusReading FailedReading() { return {CurrentErrorText(MRidirodev::Current().Services()), CurrentError()}; }

StatusReading ReadUDCStatus(const Variant& ordField, std::string& sStatus, int32_t iTimeOut) {
  int32_t id = 0;
  try {
    id = ordField.ToInt32();
  } catch (...) {
    return FailedReading();
  }
  if (id == 0) return {};
  MRidirodev& state = MRidirodev::Current();
  try {
    WaitPointerScope wait(state.Support());
    try {
      IAppMessages& messages = state.Messages();
      if (messages.TraceEnabled()) {
        messages.Trace(std::string("Checking expression.") + kLineBreak + "Query: " + "BEGIN " +
                           "tq_Dictionary.UDC_Stat( " + Decimal(id) + ", , iTimeOut )" + " ; END;",
                       kTraceLevel);
      }
      ProcedureCall call("tq_Dictionary.UDC_Stat");
      call.Number(id).Text("").Text("").Number(iTimeOut);
      call->Run();
      IDBObject& db = state.Database();
      sStatus = db.FieldText(call->ParameterValue(1));
      const std::string message = db.FieldText(call->ParameterValue(2));
      return {sStatus == "U" || sStatus == "N" ? std::string(kUDCNotTranslated) : message, std::nullopt};
    } catch (...) {
      return FailedReading();
    }
  } catch (...) {  // the wait pointer itself
    return FailedReading();
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

// The style and extra column writes for the row of ordField: an insert writes them before the
// field takes its new id, which it does only once the row is committed.
void WriteFieldStyle(const CField& fld, int32_t ordField) {
  MRidirodev& state = MRidirodev::Current();
  if (!state.flags.styleFieldsAvailable) return;
  DeleteFieldStyle(ordField);
  if (fld.FontMask() != 0 || fld.FontColor() != 0) {
    state.Database().Execute(InsertFieldStyleStatement(ordField, fld.FontMask(), fld.FontColor()));
  }
}

void WriteExtraColumnValues(const CField& fld, int32_t ordField) {
  CAppGroupTemplatePtr tpl = fld.Template();
  CExtraColumnsPtr columns = tpl ? tpl->ExtraColumns() : nullptr;
  if (!columns) return;
  IDBObject& db = MRidirodev::Current().Database();
  for (const CExtraColumnPtr& column : *columns) {
    if (!column->Editable()) continue;
    db.Execute(DeleteExtraColumnValueStatement(column->ColType(), ordField, column->Id()));
    const std::string value = TextOf(fld.ExtraFieldValue(column->Name()));
    if (TrimBlanks(value).empty()) continue;
    db.Execute(
        InsertExtraColumnValueStatement(column->ColType(), fld.EntityId(), ordField, column->Id(), value));
  }
}

bool InsertUDC(CField& fld) {
  MRidirodev& state = MRidirodev::Current();
  return SaveReported(state.Services(), "InsertUDC", [&](Transaction& transaction) {
    ProcedureCall call("tq_Dictionary.New_UDC_F");
    call.Text(fld.Name()).Text(fld.Category()).Number(fld.DataSourceId()).Number(fld.UserId());
    call.Text(fld.DataType())
        .Text(CalculationSource(fld))
        .Text(fld.ColumnHeading1())
        .Text(fld.ColumnHeading2());
    call.Text(fld.Description()).Number(fld.FieldTechBits()).Text(fld.Aggregator());
    if (state.flags.doComplex) call.Text(fld.Complex());
    if (fld.Weight_Field_Id() > 0) call.Number(fld.Weight_Field_Id());
    IAppMessages& messages = state.Messages();
    if (messages.TraceEnabled()) messages.Trace(InsertTrace(fld), kTraceLevel);

    transaction.Begin();
    const int32_t id = call->Run().ToInt32();
    // Without an id there is no row to hang the style and values on.
    if (id <= 0)
      throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "The server gave the calculation no id");
    messages.Trace("Function returned: " + Decimal(id), kTraceLevel);
    WriteFieldStyle(fld, id);
    WriteExtraColumnValues(fld, id);
    transaction.Commit();
    fld.SetId(id);  // only a committed row may be named by the field
    CheckUDCAfterSave(id);
  });
}

bool UpdateUDC(CField& fld) {
  MRidirodev& state = MRidirodev::Current();
  return SaveReported(state.Services(), "UpdateUDC", [&](Transaction& transaction) {
    const std::string source = CalculationSource(fld);
    transaction.Begin();
    std::vector<Variant> values{
        fld.Id(),          fld.DataType(),      source,          fld.ColumnHeading1(), fld.ColumnHeading2(),
        fld.Description(), fld.FieldTechBits(), fld.Aggregator()};
    if (state.flags.doComplex) {
      values.emplace_back(fld.Complex());
      values.push_back(fld.Weight_Field_Id() >= 1 ? Variant(fld.Weight_Field_Id()) : Variant(""));
    }
    state.Database().ExecuteProcedure("tq_Dictionary.Update_UDC", values);
    SaveExtraColumnValues(fld);
    SaveFieldStyle(fld);
    transaction.Commit();
    CheckUDCAfterSave(fld.Id());
  });
}

bool DeleteUDC(int32_t ordField) {
  MRidirodev& state = MRidirodev::Current();
  return SaveReported(state.Services(), "DeleteUDC", [&](Transaction& transaction) {
    transaction.Begin();
    DeleteFieldData(ordField);
    DeleteFieldStyle(ordField);
    state.Database().ExecuteProcedure("tq_Dictionary.Delete_UDC", {ordField});
    transaction.Commit();
  });
}

void RenameUDC(int32_t ordField, std::string_view sName) {
  MRidirodev::Current().Database().Execute(RenameUDCStatement(ordField, sName));
}

void ChangeUDCOwner(int32_t ordField, int32_t ordOwner) {
  MRidirodev::Current().Database().ExecuteProcedure("tq_Dictionary.Update_Field_Owner", {ordField, ordOwner});
}

int32_t UDCTimeout() {
  IAppSettingsNodePtr settings = MRidirodev::Current().GroupServices().Settings();
  return settings ? settings->Value("UDC Timeout").ToInt32() : 0;
}

std::string GetUDCStatus(const Variant& ordField, std::string& sStatus, int32_t iTimeOut) {
  return ReadUDCStatus(ordField, sStatus, iTimeOut).message;
}

void CheckUDCAfterSave(int32_t ordField) {
  if (ordField == 0) return;  // nothing was saved to check
  MRidirodev& state = MRidirodev::Current();
  std::string status;
  const StatusReading reading = ReadUDCStatus(ordField, status, UDCTimeout());
  // A status that could not be read is a failure of the check, not a clean translation: the
  // save that asked reports it.
  if (reading.failure) throw *reading.failure;
  IAppMessages& messages = state.Messages();
  const std::string caption = state.Support().AppTitle();
  if (status.empty()) {
    messages.MessageBox(reading.message, MessageBoxStyle::kInformation, caption);
  } else if (status == "S" || status == "I") {
    messages.MessageBox(reading.message + kLineBreak + "Check the User-Defined Calculation and save again.",
                        MessageBoxStyle::kCritical, caption);
  }
}

void AddCommonFieldRow(CField& fld) {
  ProcedureCall call("ea_client.add_common_field");
  call.NoNumber().Number(fld.EntityId()).Text(fld.Name()).Text(fld.Description()).Text(fld.ColumnHeading1());
  call.Text(fld.ColumnHeading2()).Text("").Text(fld.Aggregator()).Text(fld.DataType()).NoNumber();
  call.Number(fld.UserId()).NoNumber().Number(fld.FieldTechBits());
  call->Run();
  // The new id comes back at position 1 (counted from 0), where the routine answers it.
  fld.SetId(call->ParameterValue(1).ToInt32());
}

void UpdateCommonFieldRow(const CField& fld) {
  MRidirodev::Current().Database().ExecuteProcedure(
      "ea_client.update_common_field",
      {fld.Id(), fld.Description(), fld.ColumnHeading1(), fld.ColumnHeading2(), fld.Aggregator(), "",
       fld.UserId(), "", fld.FieldTechBits(), fld.DataType()});
}

void RemoveCommonField(int32_t ordField) {
  MRidirodev::Current().Database().ExecuteProcedure("ea_client.remove_common_field", {ordField});
}

void SaveFieldStyle(const CField& fld) { WriteFieldStyle(fld, fld.Id()); }

void DeleteFieldStyle(int32_t ordField) {
  MRidirodev& state = MRidirodev::Current();
  if (state.flags.styleFieldsAvailable) state.Database().Execute(DeleteFieldStyleStatement(ordField));
}

void SaveExtraColumnValues(const CField& fld) { WriteExtraColumnValues(fld, fld.Id()); }

void DeleteFieldData(int32_t ordField) {
  MRidirodev::Current().Database().Execute(DeleteFieldDataStatement(ordField));
}

}  // namespace ridirodev::sql
