#pragma once

// The stored reports and templates that use fields, asked before calculations are deleted.

#include <memory>
#include <string>
#include <string_view>

namespace ridirodev {
class CBusyHours;
class CFields;
class IFolderDocuments;
}  // namespace ridirodev

namespace ridirodev::sql {

// The warning shown once when a field is used by an express template that has no report: such
// a template cannot be handed to the user, so the field cannot be freed until a restart.
inline constexpr std::string_view kExpressTemplateWithoutReport =
    "Some User defined calculations are being used in an express template for which no report exists."
    "You will be able to delete all the selected UDCs after ZeviRadode is restarted.";
// Starts the error box; the host's text of the error follows it directly.
inline constexpr std::string_view kReferencesFailed = "Error finding UDC references.";

// Adds to documents the reports that use each field, then the templates; an express template
// stands for its report. A stop asked by the folder services ends a walk over the fields. Any
// failure ends the search with an error box and is not raised; documents already added stay.
void LoadFieldReferencingDocuments(const std::shared_ptr<CFields>& fields, IFolderDocuments& documents);

// Adds to busyHours every stored busy hour defined on one of the fields, with its hours. A stop
// asked by the folder services ends the walk; errors reach the caller.
void LoadFieldReferencingBusyHours(const CFields& fields, CBusyHours& busyHours);

// Statement texts; fieldId is the SQL text of the field id's number literal.
std::string FieldReportsStatement(std::string_view fieldId);
std::string FieldTemplatesStatement(std::string_view fieldId);
std::string FieldBusyHoursStatement(std::string_view fieldId);

}  // namespace ridirodev::sql
