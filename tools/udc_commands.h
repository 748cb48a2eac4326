#pragma once

// The calculation (udc) and common-field (common) commands of the ridirodev tool: each a thin
// layer over the category operations and GRidirodev, callable without a command line so that
// they can be tested, and their set-up on the tool's command line.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/field_lookup.h"
#include "tools/field_parts.h"

namespace CLI {
class App;
}

namespace ridirodev::tool {

class Commands;

struct FieldStyle {
  std::optional<int32_t> fontStyle;
  std::optional<int32_t> color;
  bool clear = false;
};

// Every command starts the component on the installed host first. A save of a calculation shows
// the server's translation status through the host's message box (the standalone host writes it
// to standard error); the commands do not repeat it.
void AddCalculation(const std::string& app, const std::string& entity, const std::string& name,
                    const FieldValues& values, std::ostream& out);
void UpdateCalculation(const FieldScope& scope, const std::string& field, const FieldValues& values,
                       std::ostream& out);
// Also names the calculations whose sources still use the old name, with the status after the rename.
void RenameCalculation(const FieldScope& scope, const std::string& field, const std::string& newName,
                       std::ostream& out);
// Calculations and external fields change owner; the other fields named are listed as skipped.
void ChangeCalculationOwner(const FieldScope& scope, const std::vector<std::string>& fields,
                            const std::string& user, std::ostream& out);
void ShowCalculationStatus(const FieldScope& scope, const std::string& field, std::ostream& out);
void StyleCalculation(const FieldScope& scope, const std::string& field, const FieldStyle& style,
                      std::ostream& out);
// The calculation's style chosen in the style dialog, from its current style: saved on OK,
// unchanged on Cancel; either way it prints which.
void StyleCalculationInDialog(const FieldScope& scope, const std::string& field, std::ostream& out);
// The calculations that use the fields, the order in which the fields could be deleted, and the
// reports and templates that use them.
void ShowCalculationReferences(const FieldScope& scope, const std::vector<std::string>& fields,
                               std::ostream& out);
// Deletes what can go and lists each field as deleted or kept, with the reason.
void DeleteCalculations(const FieldScope& scope, const std::vector<std::string>& fields, std::ostream& out);

// Common fields belong to the Traffic application.
void AddCommonField(const std::string& app, const std::string& entity, const std::string& name,
                    const FieldValues& values, std::ostream& out);
void UpdateCommonField(const FieldScope& scope, const std::string& field, const FieldValues& values,
                       std::ostream& out);
// The host asks about each field (see --yes).
void DeleteCommonFields(const FieldScope& scope, const std::vector<std::string>& fields, std::ostream& out);

// Sets up udc and common on the tool's command line.
void SetUpUdcCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
