#include "ridirodev/model/rcv/rcv_filter.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/rcv_statements.h"

namespace ridirodev {
namespace {

constexpr const char* kReplacingForm = "ceqface3g";
constexpr const char* kReplacingEntity = "CellEqFace3GCDMACarrier";

}  // namespace

void CRcvForm::Add(const CRcvFieldPtr& RcvField) {
  if (!RcvField) return;
  if (fields_->Exists(Variant(RcvField->Name()))) {
    if (name_ != kReplacingForm || RcvField->Entity_Name() != kReplacingEntity) return;
    fields_->Remove(Variant(RcvField->Name()));
  }
  fields_->Add(RcvField);
}

bool CRcvFilter::PopulateRcvFormCB(IComboBox& obj) const {
  obj.Clear();
  obj.AddItem("<RCV/EMS Form>");
  for (const CRcvFormPtr& form : forms_) obj.AddItem(form->Name());
  if (obj.ListCount() > 0) obj.SetListIndex(0);
  return false;
}

bool CRcvFilter::PopulateRcvFieldCB(const std::string& sKey, IComboBox& obj) const {
  obj.Clear();
  obj.AddItem("<RCV/EMS Field>");
  if (const CRcvFormPtr form = Item(Variant(sKey)); form && form->Count() > 1) {
    for (const CRcvFieldPtr& field : *form) obj.AddItem(field->Name());
  }
  if (obj.ListCount() > 0) obj.SetListIndex(0);
  return false;
}

std::string CRcvFilter::GetEntityFromRcvFormName(const std::string& sKey) const {
  const CRcvFormPtr form = Item(Variant(sKey));
  const CRcvFieldPtr first = form ? form->Item(Variant(1)) : nullptr;
  return first ? first->Entity_Name() : std::string();
}

CRcvFieldPtr CRcvFilter::GetRcvFieldValue(const std::string& sForm, const std::string& sField) const {
  const CRcvFormPtr form = Item(Variant(sForm));
  return form ? form->Item(Variant(sField)) : nullptr;
}

void CRcvFilter::Load(IDBObject& db) {
  const bool mapped = db.TableExists(sql::kRcvFormEntityTable);
  sql::ClosingRecordset rs(
      db.OpenRecordset(mapped ? sql::RcvFieldsMappedStatement() : sql::RcvFieldsStatement(), 60));
  if (!rs) return;
  CRcvFormPtr form;
  while (!rs->Eof()) {
    const IDBFields& row = rs->Fields();
    std::string formName = db.FieldText(row.Value("RCVFormName"));
    if (!form || form->Name() != formName) {
      if (form) Add(form);
      form = std::make_shared<CRcvForm>();
      form->SetName(std::move(formName));
    }
    auto field = std::make_shared<CRcvField>();
    field->SetEntity_Id(db.FieldNumber(row.Value("Entity_Id")));
    field->SetEntity_Name(db.FieldText(row.Value(mapped ? "HighlightUDR" : "Entity_Name")));
    field->SetField_Id(db.FieldNumber(row.Value("Field_Id")));
    field->SetName(db.FieldText(row.Value("RCVFieldName")));
    field->SetFormName(form->Name());
    form->Add(field);
    rs->MoveNext();
  }
  if (form) Add(form);
  rs.Close();
}

CRcvFilterPtr MRidirodev::RcvFilter() {
  if (!rcvFilter) {
    rcvFilter = std::make_shared<CRcvFilter>();
    try {
      rcvFilter->Load(Database());
    } catch (const AutomationError& e) {
      Support().Log(2, "Ridirodev", "CRcvFilter", "Load", {"unable to load the RCV forms", e.Description()});
    }
  }
  return rcvFilter;
}

CRcvFilterPtr SharedRcvFilter() { return MRidirodev::Current().RcvFilter(); }

}  // namespace ridirodev
