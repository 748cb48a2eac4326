#pragma once

// Writes of user-defined calculations (expressions) and of what goes with a field: its extra
// column values, its list style and the common-field variant. The dictionary rows themselves
// are made by the server's routines; the other rows are written here.
//
// InsertUDC, UpdateUDC and DeleteUDC run in one transaction of the XML query service; on failure
// they roll it back, hand the error to the host's error reporter and answer false. The other
// writes let database errors reach the caller.

#include <cstdint>
#include <string>
#include <string_view>

#include "ridirodev/core/variant.h"

namespace ridirodev {
class CField;
}  // namespace ridirodev

namespace ridirodev::sql {

// GetUDCStatus's answer for statuses "U" and "N".
inline constexpr std::string_view kUDCNotTranslated =
    "User-Defined Calculation is not yet translated by server.";

// Creates the calculation and sets fld's Id; a rolled-back insert leaves Id 0, so that the field
// never names a row that is not there.
bool InsertUDC(CField& fld);
// Rewrites the definition; name, category, data source and owner are not sent.
bool UpdateUDC(CField& fld);
bool DeleteUDC(int32_t ordField);
void RenameUDC(int32_t ordField, std::string_view sName);
void ChangeUDCOwner(int32_t ordField, int32_t ordOwner);

// The server's translation message of a calculation; sStatus receives its status code. A field id
// 0 answers "" at once. A failure answers the error's text, sStatus keeping what it held.
std::string GetUDCStatus(const Variant& ordField, std::string& sStatus, int32_t iTimeOut);
// The application setting "UDC Timeout", in seconds.
int32_t UDCTimeout();
// Tells the user how the server took the calculation just saved.
void CheckUDCAfterSave(int32_t ordField);

// Creates the common-field row and sets fld's Id.
void AddCommonFieldRow(CField& fld);
void UpdateCommonFieldRow(const CField& fld);
void RemoveCommonField(int32_t ordField);

// Style rows are written only where the schema has them (StyleFieldsAvailable).
void SaveFieldStyle(const CField& fld);
void DeleteFieldStyle(int32_t ordField);

// Replaces the values of the editable extra columns of fld's template.
void SaveExtraColumnValues(const CField& fld);
void DeleteFieldData(int32_t ordField);

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
