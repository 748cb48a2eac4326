#pragma once

// What a calculation or common field is made of: the parts the field an operation is given is
// built from, with the values a command line gives over them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ridirodev/core/date.h"
#include "tools/field_lookup.h"

namespace ridirodev {
class CField;
class CFieldCategory;
class ExtraColumnValues;
}  // namespace ridirodev

namespace ridirodev::tool {

// The values of a calculation or common field. On add, what is not given takes the default
// (data type F for a calculation, I for a common field; aggregator AVG for a calculation; the
// current user as owner); on update, what is not given keeps the field's current value.
struct FieldValues {
  std::optional<std::string> source;  // the calculation's text
  std::optional<std::string> heading1;
  std::optional<std::string> heading2;
  std::optional<std::string> description;
  std::optional<std::string> dataType;
  std::optional<std::string> aggregator;  // key or name, e.g. AVG
  std::optional<std::string> tech;        // a bit mask, or technology names or short names, comma-separated
  std::optional<std::string> owner;       // user name
  std::optional<std::string> complex;     // only where the dictionary keeps complex texts
  std::optional<std::string> weight;      // weighting field, by id or name in the same entity
};

// What a field is made of, for building the field an operation is given.
struct FieldParts {
  int32_t id = 0;
  std::string name;
  int32_t entity = 0;
  std::string app;
  std::string fieldType;
  int32_t tech = 0;
  std::string dataType;
  bool nullOk = true;
  std::string heading1, heading2, description, aggregator;
  int32_t owner = 0;
  std::string source;
  Date changed;
  std::string status;
  std::shared_ptr<ExtraColumnValues> extra;
  std::string complex;
  int32_t weight = 0;
  int32_t fontStyle = 0;
  int32_t fontColor = 0;

  static FieldParts Of(const CField& fld);
  std::shared_ptr<CField> Make() const;
  // The values given on the command line over these, each checked first; the weighting field
  // is looked for in weightScope.
  void Apply(const FieldValues& values, const FieldScope& weightScope);
};

// The parts of a new field named name at category, owned by the current user; a name that is
// not fit for a calculation or that the entity already has is an error.
FieldParts NewField(const std::string& app, const std::shared_ptr<CFieldCategory>& category,
                    const std::string& name, const std::string& fieldType, const std::string& dataType,
                    const std::string& aggregator);

}  // namespace ridirodev::tool
