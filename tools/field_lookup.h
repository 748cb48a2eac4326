#pragma once

// How the udc and common commands find the fields a command line names, and name them in
// their messages.

#include <memory>
#include <string>
#include <vector>

#include "tools/input_checks.h"

namespace ridirodev {
class CField;
class CFieldCategory;
class CFields;
}  // namespace ridirodev

namespace ridirodev::tool {

// Where a field named on the command line is looked for. A field is named by id or by name;
// a name that several entities use needs the entity (id, name, label or context label). A
// number that is the id of one field and the name of another is an error unless by says which.
struct FieldScope {
  std::string app = "Traffic";
  std::string entity;  // "" for every entity of the application
  NamedBy by = NamedBy::kIdOrName;
};

// The kind of field a command acts on; a field of another kind found by a name is an error.
enum class FieldKind { kAny, kCalculation, kCommon };

// The items separated by separator.
std::string Joined(const std::vector<std::string>& items, const std::string& separator = ", ");
// The entity of the field, by name where the hierarchy has it.
std::string EntityOf(const CField& fld);
// "Drop_Rate at CellSite (id 41)": how a field is named in messages.
std::string Describe(const CField& fld);
// The category an edit goes through; a field whose entity is outside the hierarchy has none.
std::shared_ptr<CFieldCategory> CategoryOf(const CField& fld);

// A field named by id or name, through the component's look-ups; an unknown or ambiguous name
// is an error that lists what there is, ending with sayWhich where an id is also a name. A
// number may be a name too (stored by older clients).
std::shared_ptr<CField> FindField(const FieldScope& scope, const std::string& given, FieldKind kind,
                                  const std::string& sayWhich = "say which with --id or --name.");
// The fields named, each as FindField finds it; none named is an error.
std::shared_ptr<CFields> FindFields(const FieldScope& scope, const std::vector<std::string>& names,
                                    FieldKind kind);

}  // namespace ridirodev::tool
