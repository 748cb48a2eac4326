#pragma once

// Texts of the statements that read the RCV/EMS forms and their fields.

#include <string>

namespace ridirodev::sql {

// The table that maps each RCV form to the entity its fields are highlighted under.
inline constexpr const char* kRcvFormEntityTable = "pel_rcvform_entity";

// Every field with field data in the "RCVFormName" data set, with its form, its name in the
// form (the second column heading) and its dictionary entity; ordered by form, then field.
std::string RcvFieldsStatement();

// The same rows, for the forms of the mapping table only, each with the mapped entity as
// "HighlightUDR". The two threshold fields of form ceqface3g are labelled with the entity
// CellEqFace3GCDMACarrier instead.
std::string RcvFieldsMappedStatement();

}  // namespace ridirodev::sql
