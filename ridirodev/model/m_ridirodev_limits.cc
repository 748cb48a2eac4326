// The capability probe and the column-width limits of the global state.
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/xml_gateway.h"

namespace ridirodev {
namespace {

int32_t Measure(IDBObject& db, int32_t& slot, std::string_view table, std::string_view column) {
  if (slot == 0) slot = db.ColumnWidth(table, column);
  return slot;
}

}  // namespace

void MRidirodev::RunCapabilityProbe() {
  try {
    const bool extended = Support().ExtendedEntityViews();
    IDBObject& db = Database();
    const bool weightColumn = db.ColumnExists("tqd_datasource_field", "weight_field_id");
    flags.doWeighted = extended && weightColumn;
    flags.styleFieldsAvailable = db.TableExists("TQD_FIELD_STYLE");
    const bool definitionComplex = db.ColumnExists("TQD_UDC_DEF", "Complex");
    const bool fieldComplex = db.ColumnExists("tqd_Datasource_Field", "Complex");
    flags.doComplex = definitionComplex && fieldComplex;
    flags.xmlGatewayAvailable = sql::ProbeXmlGateway(Services());
    flags.contextEntityLabelAvailable = db.ColumnExists("tqn_entity_context", "Context_Entity_Label");
  } catch (const AutomationError&) {
    // A database that cannot answer simply lacks the capability; the flags not reached keep
    // their values.
  }
}

int32_t MRidirodev::ExpressionNameLength() {
  return Measure(Database(), limits.expressionNameLength, "tqd_Datasource_Field", "Name");
}

int32_t MRidirodev::ExpressionLength() {
  if (limits.expressionLength == 0) {
    IDBObject& db = Database();
    const int32_t source = db.ColumnWidth("TQD_UDC_DEF", "UDC_SOURCE");
    const int32_t calc = db.ColumnWidth("TQD_UDC_DEF", "CALC_SOURCE");
    limits.expressionLength = std::min(source, calc);
  }
  return limits.expressionLength;
}

int32_t MRidirodev::ExprColumnHeading1Length() {
  return Measure(Database(), limits.exprColumnHeading1Length, "tqd_Datasource_Field", "Report_Header");
}

int32_t MRidirodev::ExprColumnHeading2Length() {
  return Measure(Database(), limits.exprColumnHeading2Length, "tqd_Datasource_Field", "Report_Header2");
}

int32_t MRidirodev::ExpressionDescriptionLength() {
  return Measure(Database(), limits.expressionDescriptionLength, "tqd_Datasource_Field", "Field_Desc");
}

int32_t MRidirodev::CriteriaLength() { return Measure(Database(), limits.criteriaLength, "PM_Filter", "Criteria"); }

int32_t MRidirodev::BusyHourNameLength() {
  return Measure(Database(), limits.busyHourNameLength, "PM_BusyHour", "Name");
}

int32_t MRidirodev::BusyHourDescriptionLength() {
  return Measure(Database(), limits.busyHourDescriptionLength, "PM_BusyHour", "Description");
}

int32_t MRidirodev::ExtraColumnLength(std::string_view colType) {
  if (!limits.extraColumnLengthsMeasured) {
    IDBObject& db = Database();
    limits.extraColumnNameLength = db.ColumnWidth("tqd_Dict_name", "Name");
    limits.extraColumnDataLength = db.ColumnWidth("tqd_Field_Data", "DataValue");
    limits.extraColumnLengthsMeasured = true;
  }
  return colType == "A" ? limits.extraColumnNameLength : limits.extraColumnDataLength;
}

}  // namespace ridirodev
