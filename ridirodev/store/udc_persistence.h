#pragma once

// Writes of user-defined calculations (expressions) and of what goes with a field: its extra
// column values, its list style and the common-field variant. The dictionary rows themselves
// are made by the server's routines; the other rows are written here.
//
// InsertUDC, UpdateUDC and DeleteUDC run in one transaction of the XML query service; on failure
// they roll it back, hand the error to the host's error reporter and answer false. The other
// writes let database errors reach the caller.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/variant.h"

namespace ridirodev {
class HostServices;
class IDBObject;
}  // namespace ridirodev

namespace ridirodev::sql {

// GetUDCStatus's answer for statuses "U" and "N".
inline constexpr std::string_view kUDCNotTranslated =
    "User-Defined Calculation is not yet translated by server.";

// What the writes of a calculation or common field send; calcSource is the text as the user wrote it.
struct UdcDefinition {
  int32_t id = 0, entityId = 0, dataSourceId = 0, userId = 0, techBits = 0, weightFieldId = 0;
  int32_t fontMask = 0, fontColor = 0;
  std::string name, category, dataType, calcSource, heading1, heading2, description, aggregator, complex;
};
// One extra column of the template with the field's value under it.
struct ExtraColumnWrite {
  std::string colType, columnId, value;
  bool editable = false;
};
// Asked only where the values are written, after the server's routine ran: the template's extra
// columns may first load then, and their statement belongs after the routine's.
using ExtraColumnWrites = std::function<std::vector<ExtraColumnWrite>()>;
// The schema's and the user's settings the calculation writes depend on.
struct UdcWriteFlags {
  bool extendedViews = false, doComplex = false, styleFieldsAvailable = false;
};

// Creates the calculation; onCommitted gets its id once the row is committed (a rolled-back insert
// never names it) and runs the checks that follow the save.
bool InsertUDC(HostServices& services, const UdcDefinition& def, const UdcWriteFlags& flags,
               const ExtraColumnWrites& extra, const std::function<void(int32_t)>& onCommitted);
// Rewrites the definition; name, category, data source and owner are not sent.
bool UpdateUDC(HostServices& services, const UdcDefinition& def, const UdcWriteFlags& flags,
               const ExtraColumnWrites& extra, const std::function<void()>& onCommitted);
bool DeleteUDC(HostServices& services, int32_t ordField, bool styleFieldsAvailable);
void RenameUDC(IDBObject& db, int32_t ordField, std::string_view sName);
void ChangeUDCOwner(IDBObject& db, int32_t ordField, int32_t ordOwner);

// The server's translation message of a calculation; sStatus receives its status code. A field id
// 0 answers "" at once. A failure answers the error's text, sStatus keeping what it held.
std::string GetUDCStatus(HostServices& services, const Variant& ordField, std::string& sStatus, int32_t iTimeOut);
// Tells the user how the server took the calculation just saved.
void CheckUDCAfterSave(HostServices& services, int32_t ordField, int32_t iTimeOut);

// Creates the common-field row and answers its id.
int32_t AddCommonFieldRow(HostServices& services, const UdcDefinition& def);
void UpdateCommonFieldRow(IDBObject& db, const UdcDefinition& def);
void RemoveCommonField(IDBObject& db, int32_t ordField);

// Style rows are written only where the schema has them.
void SaveFieldStyle(HostServices& services, int32_t ordField, int32_t fontMask, int32_t fontColor,
                    bool styleFieldsAvailable);
void DeleteFieldStyle(HostServices& services, int32_t ordField, bool styleFieldsAvailable);

// Replaces the values of the editable extra columns of the field.
void SaveExtraColumnValues(HostServices& services, int32_t ordEntity, int32_t ordField,
                           const std::vector<ExtraColumnWrite>& columns);
void DeleteFieldData(IDBObject& db, int32_t ordField);

// Statement texts, built whole so that tests compare them.
std::string RenameUDCStatement(int32_t ordField, std::string_view sName);
std::string InsertFieldStyleStatement(int32_t ordField, int32_t iFontMask, int32_t iFontColor);
std::string DeleteFieldStyleStatement(int32_t ordField);
std::string DeleteFieldDataStatement(int32_t ordField);
// colType "A" columns live in the dictionary-name table under their namespace, the others in
// the field data table under their data set.
std::string DeleteExtraColumnValueStatement(std::string_view colType, int32_t ordField,
                                            std::string_view columnId);
std::string InsertExtraColumnValueStatement(std::string_view colType, int32_t ordEntity, int32_t ordField,
                                            std::string_view columnId, std::string_view value);

}  // namespace ridirodev::sql
