#pragma once

// The stored reports and templates that use fields, asked before calculations are deleted.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ridirodev {
class HostServices;
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
// No list (nullptr) is such a failure.
void LoadFieldReferencingDocuments(HostServices& services, const std::vector<int32_t>* fieldIds,
                                   IFolderDocuments& documents);

// Calls onId with the id of every stored busy hour defined on one of the fields, while the
// field's row set is open. A stop asked by the folder services ends the walk; errors reach the
// caller.
void ForEachFieldBusyHourId(HostServices& services, const std::vector<int32_t>& fieldIds,
                            const std::function<void(int32_t)>& onId);

// Statement texts; fieldId is the SQL text of the field id's number literal.
std::string FieldReportsStatement(std::string_view fieldId);
std::string FieldTemplatesStatement(std::string_view fieldId);
std::string FieldBusyHoursStatement(std::string_view fieldId);

}  // namespace ridirodev::sql
