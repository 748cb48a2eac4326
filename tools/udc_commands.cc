#include "tools/udc_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <set>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/udc_refs.h"
#include "standalone/folders.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/dialog_commands.h"

namespace ridirodev::tool {
namespace {


// The server's translation status of a calculation. A save shows it in a message box itself
// when the text did not translate or the status could not be read (afterSave skips those);
// a clean translation it leaves unsaid.
void PrintStatus(const CField& fld, std::ostream& out, bool afterSave) {
  std::string status;
  const std::string message = GRidirodev::GetExpressionError(Variant(fld.Id()), status);
  if (afterSave && (status.empty() || status == "S" || status == "I")) return;
  if (message.empty()) {
    out << "Translated by the server (status " << status << ").\n";
  } else {
    out << "Translation status " << (status.empty() ? "-" : status) << ": " << message << '\n';
  }
}

[[noreturn]] void NotSaved(const std::string& what) {
  Invalid(what +
          " was not saved: the dictionary refused it (the reason is reported above, or in the log "
          "file when one is set).");
}

// The calculations that use each field (by its key in capitals), from the dependencies CUDCRefs loaded.
std::map<std::string, std::vector<CFieldPtr>, std::less<>> UsersByChild(const CUDCRefs& refs) {
  std::map<std::string, std::vector<CFieldPtr>, std::less<>> users;
  for (const CUDCRefPtr& ref : refs) {
    if (ref->Parent() && ref->Child()) users[ToUpper(ref->Child()->Key())].push_back(ref->Parent());
  }
  return users;
}

std::string NamesAt(const std::vector<CFieldPtr>& flds) {
  std::vector<std::string> names;
  for (const CFieldPtr& fld : flds) names.push_back(std::string(fld->Name()) + " (" + EntityOf(*fld) + ")");
  return Joined(names);
}

// The busy hours that use each field, by the field's id. A busy hour keeps its field: deleting
// the field would leave the definition where no list shows it.
std::map<int32_t, std::vector<CBusyHourPtr>> BusyHoursUsing(const CFields& flds) {
  std::map<int32_t, std::vector<CBusyHourPtr>> users;
  for (const CFieldPtr& fld : flds) {
    auto single = std::make_shared<CFields>();
    single->Add(fld);
    CBusyHoursPtr bhs;
    GRidirodev::LoadFieldReferencingBusyHours(single, bhs);
    for (const CBusyHourPtr& bh : *bhs) users[fld->Id()].push_back(bh);
  }
  return users;
}

std::string BusyHourNames(const std::vector<CBusyHourPtr>& bhs) {
  std::vector<std::string> names;
  for (const CBusyHourPtr& bh : bhs) names.push_back(bh->Name() + " (id " + std::to_string(bh->Id()) + ")");
  return (bhs.size() > 1 ? "busy hours " : "busy hour ") + Joined(names);
}

}  // namespace

void AddCalculation(const std::string& app, const std::string& entity, const std::string& name,
                    const FieldValues& values, std::ostream& out) {
  StartComponent();
  const CFieldCategoryPtr category = RequireCategory(app, entity);
  if (!values.source || TrimBlanks(*values.source).empty())
    Invalid("A calculation needs its text (--source).");
  FieldParts parts = NewField(app, category, name, "UDC", "F", "AVG");
  parts.Apply(values, {app, std::to_string(category->Id())});
  const CFieldPtr fld = parts.Make();
  if (!category->AddExpression(fld)) NotSaved("The calculation " + parts.name);
  out << "Added calculation " << Describe(*fld) << ".\n";
  PrintStatus(*fld, out, true);
}

void UpdateCalculation(const FieldScope& scope, const std::string& field, const FieldValues& values,
                       std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  if (values.source && TrimBlanks(*values.source).empty()) {
    Invalid("A calculation needs its text (--source).");
  }
  const CFieldPtr current = FindField(scope, field, FieldKind::kCalculation);
  FieldParts parts = FieldParts::Of(*current);
  parts.Apply(values, {scope.app, std::to_string(current->EntityId())});
  const CFieldPtr fld = parts.Make();
  const CFieldCategoryPtr category = CategoryOf(*current);
  if (!category->UpdateExpression(fld)) NotSaved("The calculation " + Describe(*current));
  // The save leaves the owner alone: a new one goes through the owner change.
  if (values.owner && parts.owner != current->UserId()) {
    auto single = std::make_shared<CFields>();
    single->Add(fld);
    GRidirodev::ChangeExpressionOwner(single, *values.owner);
  }
  out << "Updated calculation " << Describe(*fld) << ".\n";
  PrintStatus(*fld, out, true);
}

void RenameCalculation(const FieldScope& scope, const std::string& field, const std::string& newName,
                       std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  const CFieldPtr fld = FindField(scope, field, FieldKind::kCalculation);
  const std::string name(TrimBlanks(newName));
  if (name.empty()) Invalid("The new name is missing.");
  CheckCalculationName("The new name", name, GRidirodev::ExpressionNameLength());
  const CFieldCategoryPtr category = CategoryOf(*fld);
  const CFieldsPtr fields = category->Fields();
  for (const CFieldPtr& other : *fields) {
    if (other->Id() != fld->Id() && EqualsNoCase(other->Name(), name)) {
      Invalid("There is already a field named " + Describe(*other) + ".");
    }
  }
  const std::string oldName(fld->Name());
  // Who uses the calculation is asked before the rename: their texts keep the old name.
  CUDCRefs refs;
  auto single = std::make_shared<CFields>();
  single->Add(fld);
  refs.SetudcToDelete(single);
  refs.LoadReferencingExpressions();
  const CFieldsPtr users = refs.ReferencingExpressions();
  category->RenameExpression(fld, name);
  out << "Renamed calculation " << oldName << " at " << category->CategoryEntity() << " (id " << fld->Id()
      << ") to " << name << ".\n";
  if (users->Count() > 0) {
    std::vector<CFieldPtr> list(users->begin(), users->end());
    out << "Still written with " << oldName << ": " << NamesAt(list) << ".\n";
  }
  PrintStatus(*fld, out, false);
}

void ChangeCalculationOwner(const FieldScope& scope, const std::vector<std::string>& fields,
                            const std::string& user, std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  UserId(user);  // an unknown user is refused before anything else is looked at
  const CFieldsPtr flds = FindFields(scope, fields, FieldKind::kAny);
  GRidirodev::ChangeExpressionOwner(flds, user);
  std::vector<std::vector<std::string>> rows;
  for (const CFieldPtr& fld : *flds) {
    const bool changes = fld->IsExpression() || fld->IsExternal();
    rows.push_back({std::string(fld->Name()), EntityOf(*fld), std::to_string(fld->Id()),
                    changes ? "now owned by " + user : "skipped: not a calculation or external field"});
  }
  out << FormatTable({"Field", "Entity", "Id", "Result"}, rows);
}

void ShowCalculationStatus(const FieldScope& scope, const std::string& field, std::ostream& out) {
  StartComponent();
  const CFieldPtr fld = FindField(scope, field, FieldKind::kCalculation);
  std::string status;
  const std::string message = GRidirodev::GetExpressionError(Variant(fld->Id()), status);
  out << "Field:   " << Describe(*fld) << "\nStatus:  " << (status.empty() ? "-" : status)
      << "\nMessage: " << (message.empty() ? "(none)" : message) << '\n';
}

void StyleCalculation(const FieldScope& scope, const std::string& field, const FieldStyle& style,
                      std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  if (!style.clear && !style.fontStyle && !style.color) Invalid("Give --font-style, --color or --clear.");
  if (style.clear && (style.fontStyle || style.color)) Invalid("--clear takes no --font-style or --color.");
  if (!GRidirodev::StyleFieldsAvailable()) Invalid("This dictionary keeps no display styles.");
  if (style.fontStyle && (*style.fontStyle < 0 || *style.fontStyle > 7)) {
    Invalid("--font-style is from 0 to 7 (1 bold, 2 underline, 4 strikeout), not " +
            std::to_string(*style.fontStyle) + ".");
  }
  if (style.color && (*style.color < 0 || *style.color > 0xFFFFFF)) {
    Invalid("--color is from 0 to 16777215 (0xFFFFFF), not " + std::to_string(*style.color) + ".");
  }
  const CFieldPtr fld = FindField(scope, field, FieldKind::kCalculation);
  if (style.clear) {
    GRidirodev::DeleteStyleInformation(fld->Id());
  } else {
    FieldParts parts = FieldParts::Of(*fld);
    if (style.fontStyle) parts.fontStyle = *style.fontStyle;
    if (style.color) parts.fontColor = *style.color;
    GRidirodev::UpdateStyleInformation(parts.Make());
  }
  // The write goes around the caches: the field is read again so that they show it.
  GRidirodev::UpdateExpressionField(scope.app, Variant(fld->Id()));
  const CFieldPtr now = GRidirodev::GetFieldFromId(scope.app, Variant(fld->Id()));
  out << "Style of " << Describe(*fld) << ": "
      << (style.clear ? std::string("cleared")
                      : "font style " + std::to_string(now->FontMask()) + ", color " +
                            std::to_string(now->FontColor()))
      << ".\n";
}

void StyleCalculationInDialog(const FieldScope& scope, const std::string& field, std::ostream& out) {
  StartComponent();
  if (!GRidirodev::StyleFieldsAvailable()) Invalid("This dictionary keeps no display styles.");
  const CFieldPtr fld = FindField(scope, field, FieldKind::kCalculation);
  int32_t fontStyle = fld->FontMask();
  int32_t color = fld->FontColor();
  if (!GRidirodev::OpenFieldStyleDialog(fontStyle, color)) {
    out << "Style of " << Describe(*fld) << " left as it was: font style " << fontStyle << ", color " << color
        << " (Cancel).\n";
    return;
  }
  // Looking needs no user of the dictionary; saving does.
  RequireCurrentUser();
  FieldParts parts = FieldParts::Of(*fld);
  parts.fontStyle = fontStyle;
  parts.fontColor = color;
  GRidirodev::UpdateStyleInformation(parts.Make());
  GRidirodev::UpdateExpressionField(scope.app, Variant(fld->Id()));
  const CFieldPtr now = GRidirodev::GetFieldFromId(scope.app, Variant(fld->Id()));
  out << "Style of " << Describe(*fld) << ": font style " << now->FontMask() << ", color " << now->FontColor()
      << " (OK).\n";
}

void ShowCalculationReferences(const FieldScope& scope, const std::vector<std::string>& fields,
                               std::ostream& out) {
  StartComponent();
  const CFieldsPtr flds = FindFields(scope, fields, FieldKind::kAny);
  CUDCRefs refs;
  refs.SetudcToDelete(flds);
  refs.LoadReferencingExpressions();
  const CFieldsPtr users = refs.ReferencingExpressions();
  std::map<std::string, std::vector<std::string>, std::less<>> uses;  // user key -> what it uses of the set
  for (const CUDCRefPtr& ref : refs) {
    if (ref->Parent() && ref->Child()) uses[ToUpper(ref->Parent()->Key())].emplace_back(ref->Child()->Name());
  }
  std::vector<std::vector<std::string>> rows;
  for (const CFieldPtr& user : *users) {
    rows.push_back({std::string(user->Name()), EntityOf(*user), std::to_string(user->Id()),
                    Joined(uses[ToUpper(user->Key())])});
  }
  out << "Calculations that use them:\n";
  if (rows.empty()) {
    out << "  none\n";
  } else {
    out << FormatTable({"Calculation", "Entity", "Id", "Uses"}, rows);
  }

  CUDCRefs order;
  order.SetudcToDelete(flds);
  const CFieldsPtr deletable = order.DeleteableExpressions();
  rows.clear();
  int32_t step = 0;
  std::vector<std::string> others;
  for (const CFieldPtr& fld : *deletable) {
    // The order takes any field; only calculations are deleted.
    if (!fld->IsExpression()) continue;
    rows.push_back(
        {std::to_string(++step), std::string(fld->Name()), EntityOf(*fld), std::to_string(fld->Id())});
  }
  out << "\nOrder in which they can be deleted:\n";
  if (rows.empty()) {
    out << "  none\n";
  } else {
    out << FormatTable({"Step", "Field", "Entity", "Id"}, rows);
  }
  std::vector<std::string> kept;
  for (const CFieldPtr& fld : *flds) {
    const std::string named = std::string(fld->Name()) + " (" + EntityOf(*fld) + ")";
    if (!fld->IsExpression()) {
      others.push_back(named);
    } else if (!deletable->Exists(Variant(fld->Key()))) {
      kept.push_back(named);
    }
  }
  if (!kept.empty()) out << "Cannot be deleted while used: " << Joined(kept) << ".\n";
  if (!others.empty()) out << "Not calculations, never deleted here: " << Joined(others) << ".\n";

  rows.clear();
  for (const auto& [id, bhs] : BusyHoursUsing(*flds)) {
    for (const CBusyHourPtr& bh : bhs) {
      const CFieldCategoryPtr category = bh->CategoryObject();
      rows.push_back({bh->Name(), category ? category->CategoryEntity() : "-", std::to_string(bh->Id()),
                      std::string(flds->LookupById(Variant(id))->Name())});
    }
  }
  out << "\nBusy hours that use them:\n"
      << (rows.empty() ? "  none\n" : FormatTable({"Busy hour", "Entity", "Id", "Field"}, rows));

  standalone::StandaloneFolderDocuments documents;
  GRidirodev::LoadFieldReferencingDocuments(flds, documents);
  out << '\n';
  PrintDocuments("Reports and templates that use them", documents, out);
}

void DeleteCalculations(const FieldScope& scope, const std::vector<std::string>& fields, std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  const CFieldsPtr flds = FindFields(scope, fields, FieldKind::kAny);
  std::map<std::string, std::string, std::less<>> kept;  // key in capitals -> why it stays
  const auto busyHours = BusyHoursUsing(*flds);
  auto candidates = std::make_shared<CFields>();
  for (const CFieldPtr& fld : *flds) {
    const auto used = busyHours.find(fld->Id());
    if (!fld->IsExpression()) {
      kept[ToUpper(fld->Key())] = "kept: not a calculation";
    } else if (used != busyHours.end()) {
      kept[ToUpper(fld->Key())] = "kept: used by " + BusyHourNames(used->second);
    } else {
      candidates->Add(fld);
    }
  }
  // The reasons are gathered first: once users are deleted, their dependencies are gone.
  CUDCRefs refs;
  refs.SetudcToDelete(candidates);
  refs.LoadReferencingExpressions();
  const auto users = UsersByChild(refs);
  // Only about what would go are documents asked for: the others stay anyway.
  CUDCRefs order;
  order.SetudcToDelete(candidates);
  const CFieldsPtr going = order.DeleteableExpressions();
  standalone::StandaloneFolderDocuments documents;
  if (going->Count() > 0) GRidirodev::LoadFieldReferencingDocuments(going, documents);
  const bool confirmed = ConfirmDespiteDocuments(documents, "calculations", out);
  CFieldsPtr exceptions;
  if (confirmed) GRidirodev::DeleteExpressions(candidates, exceptions);
  std::vector<std::vector<std::string>> rows;
  for (const CFieldPtr& fld : *flds) {
    std::string result = "deleted";
    const auto used = users.find(ToUpper(fld->Key()));
    if (const auto why = kept.find(ToUpper(fld->Key())); why != kept.end()) {
      result = why->second;
    } else if (!confirmed || (exceptions && exceptions->Exists(Variant(fld->Key())))) {
      if (used != users.end()) {
        result = "kept: used by " + NamesAt(used->second);
      } else if (!confirmed) {
        result = "kept: not confirmed (reports or templates use the calculations)";
      } else {
        result = "kept: the delete failed (see the error above)";
      }
    }
    rows.push_back({std::string(fld->Name()), EntityOf(*fld), std::to_string(fld->Id()), result});
  }
  ReportDeletes({"Field", "Entity", "Id", "Result"}, rows, "fields", out);
}

void AddCommonField(const std::string& app, const std::string& entity, const std::string& name,
                    const FieldValues& values, std::ostream& out) {
  StartComponent();
  if (!EqualsNoCase(app, "Traffic")) Invalid("Common fields belong to Traffic, not to " + app + ".");
  if (values.source || values.complex || values.weight) {
    Invalid("A common field has no --source, --complex or --weight.");
  }
  const CFieldCategoryPtr category = RequireCategory("Traffic", entity);
  FieldParts parts = NewField("Traffic", category, name, "Common", "I", "");
  parts.Apply(values, {});
  const CFieldPtr fld = parts.Make();
  category->AddCommonField(fld);
  out << "Added common field " << Describe(*fld) << ".\n";
}

void UpdateCommonField(const FieldScope& scope, const std::string& field, const FieldValues& values,
                       std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  if (values.source || values.complex || values.weight) {
    Invalid("A common field has no --source, --complex or --weight.");
  }
  const CFieldPtr current = FindField(scope, field, FieldKind::kCommon);
  FieldParts parts = FieldParts::Of(*current);
  parts.Apply(values, {});
  const CFieldPtr fld = parts.Make();
  CategoryOf(*current)->UpdateCommonField(fld);
  out << "Updated common field " << Describe(*fld) << ".\n";
}

void DeleteCommonFields(const FieldScope& scope, const std::vector<std::string>& fields, std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  const CFieldsPtr flds = FindFields(scope, fields, FieldKind::kCommon);
  const auto busyHours = BusyHoursUsing(*flds);
  auto candidates = std::make_shared<CFields>();
  for (const CFieldPtr& fld : *flds) {
    if (!busyHours.contains(fld->Id())) candidates->Add(fld);
  }
  standalone::StandaloneFolderDocuments documents;
  if (candidates->Count() > 0) GRidirodev::LoadFieldReferencingDocuments(candidates, documents);
  const bool confirmed = ConfirmDespiteDocuments(documents, "common fields", out);
  std::map<int32_t, CFieldsPtr> byEntity;
  for (const CFieldPtr& fld : *candidates) {
    CFieldsPtr& group = byEntity[fld->EntityId()];
    if (!group) group = std::make_shared<CFields>();
    group->Add(fld);
  }
  std::map<int32_t, CFieldsPtr> left;  // by entity, what stayed
  for (const auto& [entity, group] : byEntity) {
    if (!confirmed) break;
    const CFieldCategoryPtr category = CategoryOf(*group->Item(Variant(1)));
    category->DeleteCommonFields(group);
    left[entity] = category->CommonFields();
  }
  std::vector<std::vector<std::string>> rows;
  for (const CFieldPtr& fld : *flds) {
    std::string result = "deleted";
    if (const auto used = busyHours.find(fld->Id()); used != busyHours.end()) {
      result = "kept: used by " + BusyHourNames(used->second);
    } else if (!confirmed) {
      result = "kept: not confirmed (reports or templates use the common fields)";
    } else if (left[fld->EntityId()]->LookupById(Variant(fld->Id()))) {
      result = "kept: not confirmed, or the delete failed (see above)";
    }
    rows.push_back({std::string(fld->Name()), EntityOf(*fld), std::to_string(fld->Id()), result});
  }
  ReportDeletes({"Field", "Entity", "Id", "Result"}, rows, "fields", out);
}

// ---- Command line ------------------------------------------------------------------------

namespace {

struct Parsed {
  std::string app = "Traffic";
  std::string entity;
  std::string name;
  std::string newName;
  std::string user;
  std::vector<std::string> fields;
  NamedBy by = NamedBy::kIdOrName;
  FieldValues values;
  FieldStyle style;
  DialogOptions dialog;
};

void AddValueOptions(CLI::App& command, FieldValues& values, bool calculation, bool update) {
  const std::string keep = update ? " (unchanged when not given)" : "";
  if (calculation) {
    command.add_option("--source", values.source,
                       "The calculation's text, e.g. \"100 * Dropped_Calls / Call_Attempts\"" + keep);
  }
  command.add_option("--heading1", values.heading1, "First line of the column heading" + keep);
  command.add_option("--heading2", values.heading2, "Second line of the column heading" + keep);
  command.add_option("--description", values.description, "Description" + keep);
  command
      .add_option("--type", values.dataType,
                  "Data type: F (number), I (integer), S (text)" +
                      (update ? keep : std::string(calculation ? "; default F" : "; default I")))
      ->type_name("T");
  command.add_option("--aggregator", values.aggregator,
                     "Aggregator key or name as 'ridirodev info' lists them" +
                         (update ? keep : std::string(calculation ? "; default AVG" : "; default none")));
  command.add_option(
      "--tech", values.tech,
      "Technologies: a bit mask, or names or short names, comma-separated (--tech G,lte)" + keep);
  command
      .add_option("--owner", values.owner,
                  "Owner's user name" + (update ? keep : "; default the current user"))
      ->type_name("USER");
  if (calculation) {
    command.add_option("--complex", values.complex, "Complex text, where the dictionary keeps them" + keep);
    command.add_option("--weight", values.weight, "Weighting field of the same entity, by id or name" + keep)
        ->type_name("FIELD");
  }
}

}  // namespace

void SetUpUdcCommands(CLI::App& app, Commands& commands) {
  const auto parsed = std::make_shared<Parsed>();
  Parsed& p = *parsed;
  // Each run keeps alive the values its options are parsed into (p).
  auto leaf = [&](CLI::App* family, const std::string& name, const std::string& help,
                  std::function<void(std::ostream&)> run) {
    return commands.Add(*family, name, help,
                        Printing([parsed, run = std::move(run)](std::ostream& out) { run(out); }));
  };
  auto scoped = [&](CLI::App* command) {
    command->add_option("--app", p.app, "Application of the field (default Traffic)");
    command->add_option(
        "--entity", p.entity,
        "Entity of the field (id, name, label or context label), for names several entities use");
    AddNamedByFlags(*command, p.by, "fields");
  };
  auto fieldsArg = [&](CLI::App* command, const std::string& help) {
    command->add_option("field", p.fields, help)->required()->type_name("FIELD");
  };
  auto oneField = [&](CLI::App* command) {
    command->add_option("field", p.name, "The field, by id or name")->required()->type_name("FIELD");
  };
  auto newFieldArgs = [&](CLI::App* command, const std::string& what) {
    command->add_option("app", p.app, "Application, e.g. Traffic")->required();
    command->add_option("entity", p.entity, "Entity: id, name, label or context label")->required();
    command->add_option("name", p.name, "Name of the new " + what)->required();
  };

  CLI::App* udc =
      app.add_subcommand("udc", "Add, change, inspect and delete calculations (user-defined fields)");
  udc->require_subcommand(1);
  CLI::App* c = leaf(udc, "add", "Add a calculation to an entity",
                     [&p](std::ostream& out) { AddCalculation(p.app, p.entity, p.name, p.values, out); });
  newFieldArgs(c, "calculation");
  AddValueOptions(*c, p.values, true, false);

  c = leaf(udc, "update", "Change a calculation; options not given keep their values",
           [&p](std::ostream& out) {
             UpdateCalculation({p.app, p.entity, p.by}, p.name, p.values, out);
           });
  oneField(c);
  scoped(c);
  AddValueOptions(*c, p.values, true, true);

  c = leaf(udc, "rename", "Rename a calculation", [&p](std::ostream& out) {
    RenameCalculation({p.app, p.entity, p.by}, p.name, p.newName, out);
  });
  oneField(c);
  c->add_option("newname", p.newName, "The new name")->required();
  scoped(c);

  c = leaf(udc, "owner", "Give calculations and external fields to another user", [&p](std::ostream& out) {
    ChangeCalculationOwner({p.app, p.entity, p.by}, p.fields, p.user, out);
  });
  fieldsArg(c, "The fields, by id or name");
  c->add_option("--to", p.user, "The new owner's user name")->required()->type_name("USER");
  scoped(c);

  c = leaf(udc, "status", "Show the server's translation status of a calculation", [&p](std::ostream& out) {
    ShowCalculationStatus({p.app, p.entity, p.by}, p.name, out);
  });
  oneField(c);
  scoped(c);

  c = commands.Add(
      *udc, "style",
      "Set or clear the display style of a calculation; without --font-style, --color and --clear, choose it "
      "in the style dialog",
      [parsed](const CommandContext& context) {
        const Parsed& p = *parsed;
        if (p.style.clear || p.style.fontStyle || p.style.color) {
          if (!p.dialog.screenshot.empty()) {
            Invalid(
                "--screenshot draws the style dialog, which opens without --font-style, --color and "
                "--clear.");
          }
          StyleCalculation({p.app, p.entity, p.by}, p.name, p.style, context.out);
        } else {
          UseDialogs(*context.host, p.dialog);
          StyleCalculationInDialog({p.app, p.entity, p.by}, p.name, context.out);
        }
        return 0;
      });
  AddScreenshotOption(*c, p.dialog);
  oneField(c);
  c->add_option("--font-style", p.style.fontStyle, "Font style bits, added up: 1 bold, 2 underline, 4 strikeout")
      ->type_name("N");
  c->add_option("--color", p.style.color, "Font color as a number (e.g. 255 for red)")->type_name("N");
  c->add_flag("--clear", p.style.clear, "Remove the style");
  scoped(c);

  c = leaf(udc, "refs", "Show what uses fields: calculations, the order they could be deleted in, documents",
           [&p](std::ostream& out) {
             ShowCalculationReferences({p.app, p.entity, p.by}, p.fields, out);
           });
  fieldsArg(c, "The fields, by id or name");
  scoped(c);

  c = leaf(udc, "delete",
           "Delete calculations; those still used by calculations or busy hours are kept, and the host asks "
           "before deleting what reports or templates use",
           [&p](std::ostream& out) {
             DeleteCalculations({p.app, p.entity, p.by}, p.fields, out);
           });
  fieldsArg(c, "The calculations, by id or name");
  commands.AddYesFlag(*c);
  scoped(c);

  CLI::App* common = app.add_subcommand("common", "Add, change and delete common fields of Traffic entities");
  common->require_subcommand(1);
  c = leaf(common, "add", "Add a common field to an entity",
           [&p](std::ostream& out) { AddCommonField(p.app, p.entity, p.name, p.values, out); });
  newFieldArgs(c, "common field");
  AddValueOptions(*c, p.values, false, false);

  c = leaf(common, "update", "Change a common field; options not given keep their values",
           [&p](std::ostream& out) {
             UpdateCommonField({p.app, p.entity, p.by}, p.name, p.values, out);
           });
  oneField(c);
  scoped(c);
  AddValueOptions(*c, p.values, false, true);

  c = leaf(common, "delete",
           "Delete common fields; those busy hours use are kept, and the host asks about each one",
           [&p](std::ostream& out) {
             DeleteCommonFields({p.app, p.entity, p.by}, p.fields, out);
           });
  fieldsArg(c, "The common fields, by id or name");
  commands.AddYesFlag(*c);
  scoped(c);
}

}  // namespace ridirodev::tool
