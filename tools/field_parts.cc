#include "tools/field_parts.h"

#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "tools/command_support.h"
#include "tools/input_checks.h"

namespace ridirodev::tool {
namespace {

int32_t TechBits(const std::string& text) {
  if (const auto mask = WholeNumber(text)) {
    if (*mask < 0) Invalid("--tech " + text + " is not a bit mask.");
    int32_t known = 0;
    std::vector<std::string> bits;
    for (const CFieldTechTypePtr& tech : *GRidirodev::ValidTechTypes()) {
      known |= tech->TechMask();
      bits.push_back(tech->Name() + " " + std::to_string(tech->TechMask()));
    }
    if ((*mask & ~known) != 0) {
      Invalid("--tech " + text + " has bits of no technology (" + std::to_string(*mask & ~known) +
              "); known: " + Joined(bits) + ".");
    }
    return *mask;
  }
  int32_t bits = 0;
  for (const CFieldTechTypePtr& tech : Technologies(text)) bits |= tech->TechMask();
  return bits;
}

std::string AggregatorKey(const std::string& text) {
  std::vector<std::string> known;
  const auto aggregators = GRidirodev::ValidAggregators();
  for (const CAggregatorPtr& aggregator : *aggregators) {
    if (EqualsNoCase(aggregator->Key(), text) || EqualsNoCase(aggregator->Name(), text))
      return aggregator->Key();
    known.push_back(aggregator->Key());
  }
  Invalid("Unknown aggregator '" + text + "'; known: " + Joined(known) + ".");
}

}  // namespace

FieldParts FieldParts::Of(const CField& fld) {
  return {fld.Id(),
          std::string(fld.Name()),
          fld.EntityId(),
          fld.AppName(),
          fld.FieldType(),
          fld.FieldTechBits(),
          fld.DataType(),
          fld.NullOk(),
          fld.ColumnHeading1(),
          fld.ColumnHeading2(),
          fld.Description(),
          fld.Aggregator(),
          fld.UserId(),
          fld.CalcSource(),
          fld.Changed(),
          fld.Status(),
          fld.ExtraColumnDictionary(),
          fld.Complex(),
          fld.Weight_Field_Id(),
          fld.FontMask(),
          fld.FontColor()};
}

CFieldPtr FieldParts::Make() const {
  auto fld = std::make_shared<CField>();
  fld->Initialize(id, name, entity, app, fieldType, tech, dataType, nullOk, heading1, heading2, description,
                  aggregator, owner, source, changed, status, extra, complex, weight, fontStyle, fontColor);
  return fld;
}

void FieldParts::Apply(const FieldValues& values, const FieldScope& weightScope) {
  const auto text = [](std::string& to, const std::optional<std::string>& given, const std::string& what,
                       int32_t width) {
    if (!given) return;
    CheckText(what, *given, width);
    to = *given;
  };
  text(source, values.source, "--source", GRidirodev::ExpressionLength());
  text(heading1, values.heading1, "--heading1", GRidirodev::ExprColumnHeading1Length());
  text(heading2, values.heading2, "--heading2", GRidirodev::ExprColumnHeading2Length());
  text(description, values.description, "--description", GRidirodev::ExpressionDescriptionLength());
  if (values.dataType) dataType = DataTypeCode(*values.dataType);
  if (values.aggregator) aggregator = AggregatorKey(*values.aggregator);
  if (values.tech) tech = TechBits(*values.tech);
  if (values.owner) owner = UserId(*values.owner);
  if (values.complex) {
    if (!GRidirodev::DoComplex()) Invalid("This dictionary keeps no complex texts (--complex).");
    text(complex, values.complex, "--complex", ComplexTextWidth());
  }
  if (values.weight) {
    if (!GRidirodev::DoWeighted()) Invalid("This dictionary keeps no weighting fields (--weight).");
    weight =
        FindField(weightScope, *values.weight, FieldKind::kAny, "give the weighting field by another id or name.")
            ->Id();
  }
}

FieldParts NewField(const std::string& app, const CFieldCategoryPtr& category, const std::string& name,
                    const std::string& fieldType, const std::string& dataType,
                    const std::string& aggregator) {
  const std::string trimmed(TrimBlanks(name));
  if (trimmed.empty()) Invalid("The new field needs a name.");
  CheckCalculationName("The name", trimmed, GRidirodev::ExpressionNameLength());
  const CFieldsPtr fields = category->Fields();
  for (const CFieldPtr& fld : *fields) {
    if (EqualsNoCase(fld->Name(), trimmed)) {
      Invalid("There is already a field named " + Describe(*fld) + ".");
    }
  }
  FieldParts parts;
  parts.name = trimmed;
  parts.entity = category->Id();
  parts.app = app;
  parts.fieldType = fieldType;
  parts.dataType = dataType;
  parts.aggregator = aggregator;
  parts.owner = RequireCurrentUser();
  parts.changed = Date::Now();
  return parts;
}

}  // namespace ridirodev::tool
