#pragma once

// Writes of calculations and common fields from their CField: the field's values go to the store
// as a plain definition, the template's extra columns as a list asked for only where they are
// written.

#include <cstdint>

#include "ridirodev/store/udc_persistence.h"

namespace ridirodev {
class CField;
class MRidirodev;

sql::UdcDefinition DefinitionOf(const CField& fld);
// The field's values under its template's editable and other extra columns; the template's
// columns are looked up (and may load) only when the result is called.
sql::ExtraColumnWrites ExtraWritesOf(const CField& fld);

// Creates the calculation and sets fld's Id; a rolled-back insert leaves Id 0, so that the field
// never names a row that is not there.
bool InsertUDC(MRidirodev& state, CField& fld);
// Rewrites the definition; name, category, data source and owner are not sent.
bool UpdateUDC(MRidirodev& state, CField& fld);
bool DeleteUDC(MRidirodev& state, int32_t ordField);

// The application setting "UDC Timeout", in seconds.
int32_t UDCTimeout(MRidirodev& state);
// Tells the user how the server took the calculation just saved, waiting as the setting says.
void CheckUDCAfterSave(MRidirodev& state, int32_t ordField);

// Creates the common-field row and sets fld's Id.
void AddCommonFieldRow(MRidirodev& state, CField& fld);
void UpdateCommonFieldRow(MRidirodev& state, const CField& fld);

// Style rows are written only where the schema has them.
void SaveFieldStyle(MRidirodev& state, const CField& fld);
void DeleteFieldStyle(MRidirodev& state, int32_t ordField);
// Replaces the values of the editable extra columns of fld's template.
void SaveExtraColumnValues(MRidirodev& state, const CField& fld);

}  // namespace ridirodev
