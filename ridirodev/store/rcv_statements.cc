#include "ridirodev/store/rcv_statements.h"

namespace ridirodev::sql {
namespace {

constexpr const char* kRcvDataSet =
    "WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' "
    ") ";

}  // namespace

std::string RcvFieldsStatement() {
  return std::string(
             "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, dn.Name "
             "fieldName, "
             "dn.Entity_Id , e.Entity_Name "
             "FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e ") +
         kRcvDataSet +
         "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 "
         "AND dn.Entity_ID = e.Entity_ID "
         "ORDER BY RCVFormName, RCVFieldName";
}

// The blanks inside the pieces (doubled ones, missing ones) are part of the text the server has
// always received: keep them.
std::string RcvFieldsMappedStatement() {
  std::string sql =
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id,dn.Name fieldName, "
      "dn.Entity_Id, e.Entity_Name, "
      "f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, pel_rcvform_entity "
      "f ";
  sql += kRcvDataSet;
  sql +=
      "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = e.Entity_ID AND fd.Datavalue "
      "= "
      "f.rcvformname "
      "and  ( (dn.report_header2  != 'deter_thresh' and fd.datavalue = 'ceqface3g')  and  (dn.report_header2 "
      " != "
      "'enable_thresh' and fd.datavalue = 'ceqface3g') ) ";
  sql +=
      "Union "
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, "
      "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, "
      "'CellEqFace3GCDMACarrier' HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, "
      "pel_rcvform_entity f ";
  sql += kRcvDataSet;
  sql +=
      "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID =e.Entity_ID AND fd.Datavalue "
      "= "
      "f.rcvformname "
      "and (dn.report_header2   in ('deter_thresh','enable_thresh') and fd.dataValue='ceqface3g') ";
  sql +=
      "Union "
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, "
      "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, "
      "f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity  e, pel_rcvform_entity "
      "f ";
  sql += kRcvDataSet;
  sql +=
      "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = "
      "e.Entity_ID AND fd.Datavalue = f.rcvformname   and fd.datavalue != 'ceqface3g' "
      "ORDER BY RCVFormName, RCVFieldName";
  return sql;
}

}  // namespace ridirodev::sql
