#include "ridirodev/model/udc_writes.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ridirodev/host/error_reports.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"

namespace ridirodev {
namespace {

std::string TextOf(const Variant& v) {
  return v.IsEmpty() || v.IsNull() || v.IsMissing() ? "" : v.ToString();
}

std::vector<sql::ExtraColumnWrite> ExtraWrites(const CField& fld) {
  std::vector<sql::ExtraColumnWrite> writes;
  CAppGroupTemplatePtr tpl = fld.Template();
  CExtraColumnsPtr columns = tpl ? tpl->ExtraColumns() : nullptr;
  if (!columns) return writes;
  for (const CExtraColumnPtr& column : *columns) {
    writes.push_back({column->ColType(), column->Id(),
                      column->Editable() ? TextOf(fld.ExtraFieldValue(column->Name())) : std::string(),
                      column->Editable()});
  }
  return writes;
}

// Read at the call, as the user may switch the views between saves.
sql::UdcWriteFlags WriteFlags(MRidirodev& state) {
  sql::UdcWriteFlags flags;
  flags.extendedViews = state.Support().ExtendedEntityViews();
  flags.doComplex = state.flags.doComplex;
  flags.styleFieldsAvailable = state.flags.styleFieldsAvailable;
  return flags;
}

// The flags of a save, or nothing when a setting cannot be read: that fails the save the way a
// failing statement does, reported once.
std::optional<sql::UdcWriteFlags> ReadWriteFlags(MRidirodev& state) {
  try {
    return WriteFlags(state);
  } catch (...) {
    ReportCurrentError(state.Services());
    return std::nullopt;
  }
}

}  // namespace

sql::UdcDefinition DefinitionOf(const CField& fld) {
  sql::UdcDefinition def;
  def.id = fld.Id();
  def.entityId = fld.EntityId();
  def.dataSourceId = fld.DataSourceId();
  def.userId = fld.UserId();
  def.techBits = fld.FieldTechBits();
  def.weightFieldId = fld.Weight_Field_Id();
  def.fontMask = fld.FontMask();
  def.fontColor = fld.FontColor();
  def.name = std::string(fld.Name());
  def.category = fld.Category();
  def.dataType = fld.DataType();
  def.calcSource = fld.CalcSource();
  def.heading1 = fld.ColumnHeading1();
  def.heading2 = fld.ColumnHeading2();
  def.description = fld.Description();
  def.aggregator = fld.Aggregator();
  def.complex = fld.Complex();
  return def;
}

sql::ExtraColumnWrites ExtraWritesOf(const CField& fld) {
  return [&fld] { return ExtraWrites(fld); };
}

bool InsertUDC(MRidirodev& state, CField& fld) {
  const std::optional<sql::UdcWriteFlags> flags = ReadWriteFlags(state);
  if (!flags) return false;
  return sql::InsertUDC(state.Services(), DefinitionOf(fld), *flags, ExtraWritesOf(fld),
                        [&](int32_t id) {
                          fld.SetId(id);  // only a committed row may be named by the field
                          CheckUDCAfterSave(state, id);
                        });
}

bool UpdateUDC(MRidirodev& state, CField& fld) {
  const std::optional<sql::UdcWriteFlags> flags = ReadWriteFlags(state);
  if (!flags) return false;
  return sql::UpdateUDC(state.Services(), DefinitionOf(fld), *flags, ExtraWritesOf(fld),
                        [&] { CheckUDCAfterSave(state, fld.Id()); });
}

bool DeleteUDC(MRidirodev& state, int32_t ordField) {
  return sql::DeleteUDC(state.Services(), ordField, state.flags.styleFieldsAvailable);
}

int32_t UDCTimeout(MRidirodev& state) {
  IAppSettingsNodePtr settings = state.GroupServices().Settings();
  return settings ? settings->Value("UDC Timeout").ToInt32() : 0;
}

void CheckUDCAfterSave(MRidirodev& state, int32_t ordField) {
  if (ordField == 0) return;  // nothing was saved to check, nor a setting to read
  sql::CheckUDCAfterSave(state.Services(), ordField, UDCTimeout(state));
}

void AddCommonFieldRow(MRidirodev& state, CField& fld) {
  fld.SetId(sql::AddCommonFieldRow(state.Services(), DefinitionOf(fld)));
}

void UpdateCommonFieldRow(MRidirodev& state, const CField& fld) {
  sql::UpdateCommonFieldRow(state.Database(), DefinitionOf(fld));
}

void SaveFieldStyle(MRidirodev& state, const CField& fld) {
  sql::SaveFieldStyle(state.Services(), fld.Id(), fld.FontMask(), fld.FontColor(), state.flags.styleFieldsAvailable);
}

void DeleteFieldStyle(MRidirodev& state, int32_t ordField) {
  sql::DeleteFieldStyle(state.Services(), ordField, state.flags.styleFieldsAvailable);
}

void SaveExtraColumnValues(MRidirodev& state, const CField& fld) {
  sql::SaveExtraColumnValues(state.Services(), fld.EntityId(), fld.Id(), ExtraWrites(fld));
}

}  // namespace ridirodev
