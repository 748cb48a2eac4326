// The editing operations of a category: the one path through which calculations and common
// fields change.

#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/udc_writes.h"

namespace ridirodev {
namespace {

// Yes and No, a question, No as the default button.
constexpr int32_t kConfirmDeleteStyle = MessageBoxStyle::kYesNo + MessageBoxStyle::kQuestion + 256;

const CField& Require(const std::shared_ptr<CField>& fld) {
  if (!fld) {
    throw AutomationError(ErrorNumber::kObjectNotSet, "CFieldCategory",
                          "Object variable or With block variable not set");
  }
  return *fld;
}

}  // namespace

bool CFieldCategory::AddExpression(const std::shared_ptr<CField>& fld) {
  Require(fld);
  MRidirodev& state = MRidirodev::Current();
  if (!InsertUDC(state, *fld)) return false;
  RequireTemplate().ReloadExpressions(id_);
  NotifyFieldChange(state, id_, fld, eAdded);
  return true;
}

void CFieldCategory::RenameExpression(const std::shared_ptr<CField>& fld, const std::string& sNewname) {
  const int32_t id = Require(fld).Id();
  MRidirodev& state = MRidirodev::Current();
  sql::RenameUDC(state.Database(), id, sNewname);
  RequireTemplate().ReloadExpressions(id_);
  NotifyFieldChange(state, id_, fld, eUpdate);
}

bool CFieldCategory::UpdateExpression(const std::shared_ptr<CField>& fld) {
  Require(fld);
  MRidirodev& state = MRidirodev::Current();
  if (!UpdateUDC(state, *fld)) return false;
  RequireTemplate().ReloadExpressions(id_);
  NotifyFieldChange(state, id_, fld, eUpdate);
  return true;
}

void CFieldCategory::UpdateField(const std::shared_ptr<CField>& fld) {
  Require(fld);
  RequireTemplate().UpdateField(fld);
  NotifyFieldChange(id_, fld, eUpdate);
}

void CFieldCategory::AddCommonField(const std::shared_ptr<CField>& fld) {
  Require(fld);
  MRidirodev& state = MRidirodev::Current();
  AddCommonFieldRow(state, *fld);
  NotifyFieldChange(state, id_, fld, eAdded);
}

void CFieldCategory::UpdateCommonField(const std::shared_ptr<CField>& fld) {
  const CField& field = Require(fld);
  MRidirodev& state = MRidirodev::Current();
  UpdateCommonFieldRow(state, field);
  NotifyFieldChange(state, id_, fld, eUpdate);
}

void CFieldCategory::DeleteCommonFields(const std::shared_ptr<CFields>& fldsA) {
  if (!fldsA) return;
  MRidirodev& state = MRidirodev::Current();
  IAppMessages& messages = state.Messages();
  auto deleted = std::make_shared<CFields>();
  for (const CFieldPtr& fld : *fldsA) {
    if (!fld) continue;
    try {
      const std::string title = "Delete Field: " + std::string(fld->Name());
      if (messages.MessageBox("Are you sure you want to delete this field?", kConfirmDeleteStyle, title) !=
          MessageBoxResult::kYes) {
        continue;
      }
      sql::RemoveCommonField(state.Database(), fld->Id());
      deleted->Add(fld);
    } catch (...) {
      // One field that cannot go must not keep the others.
      messages.MessageBox("Unable to delete Generic Field.\r\n" + CurrentErrorText(state.Services()),
                          MessageBoxStyle::kCritical, "Ridirodev");
    }
  }
  if (deleted->Count() == 0) return;
  CommonFields();
  NotifyFieldChange(state, id_, deleted, eDeleted);
}

void CFieldCategory::ReSetFields() {
  RequireTemplate().ReloadFields(id_);
  NotifyFieldChange(id_, nullptr, eRefreshed);
}

void CFieldCategory::ReloadFields() {
  RequireTemplate().ReloadExpressions(id_);
  NotifyFieldChange(id_, nullptr, eRefreshed);
}

}  // namespace ridirodev
