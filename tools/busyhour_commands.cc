#include "tools/busyhour_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <set>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_busy_hour.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "standalone/folders.h"
#include "tools/busyhour_lookup.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/input_checks.h"

namespace ridirodev::tool {
namespace {

// The field of a busy hour: one whose aggregator suits busy hours, as `fields --busy-hour` lists.
CFieldPtr FindField(CFieldCategory& category, const std::string& given) {
  const std::string name(TrimBlanks(given));
  const auto id = WholeNumber(name);
  const CFieldsPtr fields = category.Fields();  // a new collection: kept alive for the loop
  CFieldPtr byId;
  std::vector<CFieldPtr> byName;
  for (const CFieldPtr& fld : *fields) {
    if (id && fld->Id() == *id) {
      byId = fld;
    } else if (EqualsNoCase(fld->Name(), name)) {
      byName.push_back(fld);
    }
  }
  const auto describe = [](const CField& fld) {
    return std::string(fld.Name()) + " (id " + std::to_string(fld.Id()) + ")";
  };
  if (byId && !byName.empty()) {
    IdAndName(name, describe(*byId), {describe(*byName.front())}, "give the field by another id or name.");
  }
  const CFieldPtr fld = byId ? byId : byName.empty() ? nullptr : byName.front();
  if (!fld) Invalid("There is no field '" + name + "' at " + category.CategoryEntity() + ".");
  const CAggregatorPtr aggregator = GRidirodev::ValidAggregators()->Item(Variant(fld->Aggregator()));
  if (!aggregator || !aggregator->OkForBusyHour()) {
    Invalid(describe(*fld) + " cannot rank a busy hour: " +
            (aggregator ? "its aggregator " + aggregator->Key() + " (" + aggregator->Name() +
                              ") does not suit busy hours"
                        : std::string("it has no aggregator")) +
            " (see 'ridirodev fields Traffic " + category.CategoryEntity() + " --busy-hour').");
  }
  return fld;
}

// "18-22,7" as 1-based slots, each within the day's slots.
std::vector<int32_t> Slots(const std::string& text, int32_t slotCount) {
  std::vector<int32_t> slots;
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string part(TrimBlanks(text.substr(start, comma - start)));
    start = comma + 1;
    const size_t dash = part.find('-', 1);
    const auto first = WholeNumber(part.substr(0, dash));
    const auto last = dash == std::string::npos ? first : WholeNumber(part.substr(dash + 1));
    if (!first || !last || *first < 1 || *last > slotCount || *first > *last) {
      Invalid("--hours: '" + part + "' is not a slot or range of slots from 1 to " +
              std::to_string(slotCount) + ", e.g. 18-22,7.");
    }
    for (int32_t slot = *first; slot <= *last; ++slot) slots.push_back(slot);
  }
  return slots;
}

// The values given over those of bh; the field only for a busy hour.
void Apply(CBusyHour& bh, CFieldCategory& category, const BusyHourValues& values) {
  if (values.field) {
    if (IsSummation(bh)) Invalid("A summation has no field (--field).");
    bh.SetFieldId(FindField(category, *values.field)->Id());
  }
  // Results computed for other hours or ranks no longer hold: the server computes them again.
  const std::string hoursBefore = bh.Hours();
  const int32_t lowBefore = bh.LowRank(), highBefore = bh.HighRank();
  if (values.hours) {
    const int32_t count = bh.SelectedHours() ? bh.SelectedHours()->Count() : 0;
    const std::vector<int32_t> slots = Slots(*values.hours, count);
    for (int32_t slot = 1; slot <= count; ++slot) bh.SetSelected(slot, false);
    for (int32_t slot : slots) bh.SetSelected(slot, true);
  }
  if (values.span) {
    const std::string span = ToUpper(std::string(TrimBlanks(*values.span)));
    if (span != "D" && span != "W" && span != "M")
      Invalid("--span is D, W or M, not '" + *values.span + "'.");
    bh.SetSpan(span);
  }
  if (values.description) {
    CheckText("--description", *values.description, GBusyHour::BusyHourDescriptionLength());
    bh.SetDescription(*values.description);
  }
  if (values.lowRank) bh.SetLowRank(*values.lowRank);
  if (values.highRank) bh.SetHighRank(*values.highRank);
  if (bh.LowRank() < 1 || bh.HighRank() < bh.LowRank()) {
    Invalid("The ranks must run from 1 up: --low-rank " + std::to_string(bh.LowRank()) + ", --high-rank " +
            std::to_string(bh.HighRank()) + ".");
  }
  if (values.firstNeeded) {
    const auto date = Date::FromIso(TrimBlanks(*values.firstNeeded));
    if (!date) Invalid("--first-needed '" + *values.firstNeeded + "' is not a date YYYY-MM-DD.");
    bh.SetFirstNeeded(*date);
  }
  if (values.pabh) bh.SetPABH_Defined(*values.pabh);
  if (bh.SelectedCount() == 0) Invalid("A busy hour needs at least one slot (--hours).");
  if (bh.Hours() != hoursBefore || bh.LowRank() != lowBefore || bh.HighRank() != highBefore)
    bh.SetUpdateRequired(true);
}

// The category's collections hold what its operations act on: one per definition's entity and kind.
void ForEachGroup(const std::vector<CBusyHourPtr>& bhs,
                  const std::function<void(CFieldCategory&, bool, const CBusyHoursPtr&)>& act) {
  std::vector<std::pair<std::pair<int32_t, bool>, CBusyHoursPtr>> groups;
  for (const CBusyHourPtr& bh : bhs) {
    const std::pair<int32_t, bool> at{bh->TypeEntityId(), IsSummation(*bh)};
    auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == at; });
    if (group == groups.end()) group = groups.insert(groups.end(), {at, std::make_shared<CBusyHours>()});
    group->second->Add(bh);
  }
  for (const auto& [at, group] : groups) {
    act(*group->Item(Variant(1))->CategoryObject(), at.second, group);
  }
}

// The definitions the component announces with one action while this lives: the host's way of
// learning what was stored, since a failed write is reported rather than raised.
class Announced {
 public:
  explicit Announced(EAction action)
      : connection_(GRidirodev::FieldUpdates()->BusyHourChange.Connect(
            [this, action](bool, int32_t, const CBusyHoursPtr& bhs, EAction raised) {
              if (raised != action || !bhs) return;
              for (const CBusyHourPtr& bh : *bhs) ids_.insert(bh->Id());
            })) {}
  bool Contains(const CBusyHour& bh) const { return ids_.count(bh.Id()) > 0; }

 private:
  std::set<int32_t> ids_;
  Event<bool, int32_t, CBusyHoursPtr, EAction>::Connection connection_;
};

}  // namespace

std::string HourBar(const CBusyHour& bh, int32_t markHours) {
  const int32_t count = bh.SelectedHours() ? bh.SelectedHours()->Count() : 0;
  std::string bar;
  for (int32_t slot = 1; slot <= count; ++slot) bar += bh.Selected(slot) ? '#' : '.';
  std::string marks;
  for (int32_t hour = 0; count > 0 && hour < 24; hour += markHours) {
    const size_t column = static_cast<size_t>(hour) * static_cast<size_t>(count) / 24;
    // A mark that would run into the one before is left out.
    if (column < marks.size() || (column > 0 && column == marks.size())) continue;
    marks.append(column - marks.size(), ' ');
    marks += std::to_string(hour);
  }
  return bar + "\n" + marks + "\n";
}

int32_t ListBusyHours(const BusyHourQuery& query, std::ostream& out) {
  StartComponent();
  auto all = std::make_shared<CBusyHours>();
  if (query.entity.empty()) {
    if (query.summations) {
      GBusyHour::LoadAllSummations(*all, true);
    } else {
      GBusyHour::LoadAllBusyHours(*all, true);
    }
  } else {
    const CFieldCategoryPtr category = TrafficCategory(query.entity);
    all = query.summations ? category->Summations() : category->BusyHours();
  }
  if (!query.owner.empty()) UserId(query.owner);  // an unknown owner is a mistake, not an empty list
  // So are an unknown type and span. The filter compares types exactly: a known one is taken in its own case.
  std::string type(TrimBlanks(query.type));
  if (!type.empty()) {
    std::vector<std::string> types;
    const auto add = [&](const std::string& name) {
      if (std::find(types.begin(), types.end(), name) == types.end()) types.push_back(name);
    };
    if (query.summations) {
      for (const CBusyHourTypePtr& t : *GBusyHour::SummationTypes()) add(t->Name());
    } else if (const CFieldCategoriesPtr categories = GRidirodev::TrafficCategories()) {
      for (const CFieldCategoryPtr& category : *categories) add(GBusyHour::BusyHourType(category->CategoryName()));
    }
    for (const CBusyHourPtr& bh : *all) add(bh->BusyHourType());
    const auto known = std::find_if(types.begin(), types.end(), [&](auto& t) { return EqualsNoCase(t, type); });
    if (known == types.end()) Unknown(query.summations ? "summation type" : "busy-hour type", type, types);
    type = *known;
  }
  const std::string span = ToUpper(query.span);
  if (span.find_first_not_of("DWM") != std::string::npos)
    Unknown("span", query.span, {"D (daily)", "W (weekly)", "M (monthly)"}, "known letters");
  auto shown = std::make_shared<CBusyHours>();
  for (const CBusyHourPtr& bh : *all) {
    if (bh->IsFilterOK(type, query.owner, span)) shown->Add(bh);
  }
  out << shown->Table(GBusyHour::BusyHourProperties(!query.summations, GBusyHour::IsDWMBusyHoursSupported()));
  return shown->Count();
}

void ShowBusyHour(const std::string& entity, const std::string& busyHour, std::ostream& out, NamedBy by) {
  StartComponent();
  bool fieldGone = false;
  const CBusyHourPtr bh = FindBusyHour(entity, busyHour, by, &fieldGone);
  const auto date = [](Date d) { return d.IsZero() ? std::string("-") : d.ToIso(); };
  const std::vector<std::pair<std::string, std::string>> lines = {
      {"Id", std::to_string(bh->Id())},
      {"Name", bh->Name()},
      {"Entity", EntityOf(*bh)},
      {"Type",
       fieldGone ? GBusyHour::BusyHourType(bh->CategoryObject()->CategoryName()) : bh->BusyHourType()},
      {"Field", fieldGone ? "(deleted from the dictionary)" : IsSummation(*bh) ? "-" : bh->Field()},
      {"Span", bh->Span() + (bh->SpanEx().empty() ? "" : " (" + bh->SpanEx() + ")")},
      {"Description", bh->Description()},
      {"Ranks", std::to_string(bh->LowRank()) + " to " + std::to_string(bh->HighRank())},
      {"First needed", date(bh->FirstNeeded())},
      {"Stored", date(bh->FirstAvail()) + " to " + date(bh->LastAvail())},
      {"PABH", bh->PABH_Defined() ? "yes" : "no"},
      {"Owner", bh->OwnerName()},
      {"Changed", date(bh->Changed())},
      {"Hours", bh->Hours()},
  };
  for (const auto& [label, value] : lines) {
    out << label << ':' << std::string(14 - label.size(), ' ') << value << '\n';
  }
  out << '\n' << HourBar(*bh);
}

void AddBusyHour(const std::string& entity, const std::string& name, bool summation,
                 const BusyHourValues& values, std::ostream& out) {
  StartComponent();
  RequireCurrentUser();
  const CFieldCategoryPtr category = TrafficCategory(entity);
  const std::string trimmed(TrimBlanks(name));
  if (trimmed.empty()) Invalid("The new busy hour needs a name.");
  CheckText("The name", trimmed, GBusyHour::BusyHourNameLength());
  // The stored check is exact; a name differing only in case would make look-ups by name ambiguous.
  const CBusyHoursPtr existing = Definitions(std::to_string(category->Id()));
  const bool caseTwin = std::any_of(existing->begin(), existing->end(), [&](const CBusyHourPtr& bh) {
    return EqualsNoCase(bh->Name(), trimmed);
  });
  const auto taken = [&] {
    Invalid("There is already a busy hour or summation named '" + trimmed + "' at " +
            category->CategoryEntity() + ".");
  };
  if (caseTwin || !GBusyHour::IsBusyHourNameValid(trimmed, category->Id())) taken();
  if (summation && values.field) Invalid("A summation has no field (--field).");
  if (!summation && !values.field) Invalid("A busy hour needs its field (--field); a summation has none.");
  const CFieldPtr fld = summation ? nullptr : FindField(*category, *values.field);
  auto bh = std::make_shared<CBusyHour>();
  // Results are wanted from today unless the user says otherwise.
  const Date now = Date::Now();
  const Date today = Date::FromParts(now.Year(), now.Month(), now.Day());
  bh->InitializeNew(category->Id(), MRidirodev::Current().FolderServices().CurrentUser(), trimmed, "", fld,
                    "D", today, 1, 1, false, 0, Variant::Null(), Variant::Null(), Variant::Null());
  BusyHourValues rest = values;
  rest.field.reset();
  Apply(*bh, *category, rest);
  if (summation) {
    category->AddSummation(bh);
  } else {
    category->AddBusyHour(bh);
  }
  if (bh->Id() <= 0) {
    // Another user may have added the name since the check: the database keeps names unique.
    if (!GBusyHour::IsBusyHourNameValid(trimmed, category->Id())) taken();
    Invalid("The " + Describe(*bh) + " was not saved (the reason is reported above).");
  }
  out << "Added " << Describe(*bh) << ", hours " << bh->Hours() << ".\n";
}

void UpdateBusyHour(const std::string& entity, const std::string& busyHour, const BusyHourValues& values,
                    std::ostream& out, NamedBy by) {
  StartComponent();
  RequireCurrentUser();
  const CBusyHourPtr current = FindBusyHour(entity, busyHour, by);
  const CFieldCategoryPtr category = current->CategoryObject();
  const CBusyHourPtr bh = current->Clone();
  Apply(*bh, *category, values);
  bh->SetChanged(Date::Now());
  const Announced updated(eUpdate);
  if (IsSummation(*bh)) {
    category->UpdateSummation(bh);
  } else {
    category->UpdateBusyHour(bh);
  }
  if (!updated.Contains(*bh)) Invalid("The " + Describe(*bh) + " was not updated (the reason is reported above).");
  out << "Updated " << Describe(*bh) << ", hours " << bh->Hours() << ".\n";
}

void DeleteBusyHours(const std::string& entity, const std::vector<std::string>& busyHours, std::ostream& out,
                     NamedBy by) {
  StartComponent();
  RequireCurrentUser();
  if (busyHours.empty()) Invalid("No busy hour was named.");
  std::vector<CBusyHourPtr> named, bhs, withoutField;
  auto all = std::make_shared<CBusyHours>();
  for (const std::string& name : busyHours) {
    bool fieldGone = false;
    named.push_back(FindBusyHour(entity, name, by, &fieldGone));
    (fieldGone ? withoutField : bhs).push_back(named.back());
    all->Add(named.back());
  }
  standalone::StandaloneFolderDocuments reports;
  GBusyHour::LoadReferencingReports(all, reports);
  const bool confirmed = ConfirmDespiteDocuments(reports, "busy hours", out);
  // What went is what the category announces as deleted.
  std::set<int32_t> deleted;
  auto listening = GRidirodev::FieldUpdates()->BusyHourChange.Connect(
      [&](bool, int32_t, const CBusyHoursPtr& gone, EAction action) {
        if (action != eDeleted || !gone) return;
        for (const CBusyHourPtr& bh : *gone) deleted.insert(bh->Id());
      });
  std::string failure;
  const auto attempt = [&](const std::function<void()>& remove) {
    try {
      remove();
    } catch (const AutomationError& e) {
      if (failure.empty()) failure = e.Description();
    }
  };
  if (confirmed) {
    ForEachGroup(bhs, [&](CFieldCategory& category, bool summation, const CBusyHoursPtr& group) {
      attempt([&] { summation ? category.DeleteSummations(group) : category.DeleteBusyHours(group); });
    });
    for (const CBusyHourPtr& bh : withoutField) {
      auto single = std::make_shared<CBusyHours>();
      single->Add(bh);
      attempt([&] { bh->CategoryObject()->DeleteBusyHours(single); });
    }
  }
  std::vector<std::vector<std::string>> rows;
  for (const CBusyHourPtr& bh : named) {
    std::string result = "deleted";
    if (!confirmed) {
      result = "kept: not confirmed (reports use the busy hours)";
    } else if (!deleted.contains(bh->Id())) {
      result = "kept: " + (failure.empty() ? std::string("the delete failed (see above)") : failure);
    }
    rows.push_back({bh->Name(), EntityOf(*bh), std::to_string(bh->Id()), result});
  }
  ReportDeletes({"Busy hour", "Entity", "Id", "Result"}, rows, "busy hours", out);
}

void ChangeBusyHourOwner(const std::string& entity, const std::vector<std::string>& busyHours,
                         const std::string& user, std::ostream& out, NamedBy by) {
  StartComponent();
  RequireCurrentUser();
  const int32_t owner = UserId(user);
  const std::vector<CBusyHourPtr> bhs = FindAll(entity, busyHours, by);
  const Announced given(eOwnerChanged);
  std::string failure;
  ForEachGroup(bhs, [&](CFieldCategory& category, bool summation, const CBusyHoursPtr& group) {
    // One entity's failure keeps neither the others' changes nor the table from the user.
    try {
      if (summation) {
        category.ChangeSummationOwner(group, owner);
      } else {
        category.ChangeBusyHourOwner(group, owner);
      }
    } catch (const AutomationError& e) {
      if (failure.empty()) {
        failure = ErrorReport(e, nullptr);
        failure = failure.substr(0, failure.find('\n'));
      }
    }
  });
  std::vector<std::vector<std::string>> rows;
  size_t notGiven = 0;
  for (const CBusyHourPtr& bh : bhs) {
    const bool done = given.Contains(*bh);
    notGiven += done ? 0 : 1;
    rows.push_back({bh->Name(), EntityOf(*bh), std::to_string(bh->Id()),
                    done ? "now owned by " + user : "not changed: " + failure});
  }
  out << FormatTable({"Busy hour", "Entity", "Id", "Result"}, rows);
  if (notGiven > 0) {
    Invalid(std::to_string(notGiven) + " of " + std::to_string(bhs.size()) + " were not given to " + user + ".");
  }
}

void ShowBusyHourTypes(const std::string& entity, std::ostream& out) {
  StartComponent();
  const CFieldCategoryPtr category = TrafficCategory(entity);
  const auto types = GBusyHour::BusyHourTypes(Variant(category->Id()));
  for (const CBusyHourTypePtr& type : *types) out << type->Name() << '\n';
}

// ---- Command line ------------------------------------------------------------------------

namespace {

struct Parsed {
  BusyHourQuery query;
  std::string entity;
  std::string name;
  std::string user;
  std::vector<std::string> busyHours;
  bool summation = false;
  bool pabh = false;
  NamedBy by = NamedBy::kIdOrName;
  BusyHourValues values;

  BusyHourValues Values() const {
    BusyHourValues given = values;
    // A PABH record, once made, stays: the dictionary has no way to remove one.
    if (pabh) given.pabh = true;
    return given;
  }
};

}  // namespace

void SetUpBusyHourCommands(CLI::App& app, Commands& commands) {
  const auto parsed = std::make_shared<Parsed>();
  Parsed& p = *parsed;
  CLI::App* family =
      app.add_subcommand("busyhours", "List, add, change and delete busy hours and summations");
  family->require_subcommand(1);
  // Each run keeps alive the values its options are parsed into (p).
  auto leaf = [&](const std::string& name, const std::string& help,
                  std::function<void(std::ostream&)> run) {
    return commands.Add(*family, name, help,
                        Printing([parsed, run = std::move(run)](std::ostream& out) { run(out); }));
  };
  auto entityOption = [&](CLI::App* command) {
    command->add_option("--entity", p.entity,
                        "Traffic entity of the busy hours named (for names several use)");
    AddNamedByFlags(*command, p.by, "busy hours");
  };
  auto valueOptions = [&](CLI::App* command, bool update) {
    const std::string keep = update ? " (unchanged when not given)" : "";
    command->add_option("--field", p.values.field, "Counter field of a busy hour, by id or name" + keep)
        ->type_name("FIELD");
    command->add_option("--hours", p.values.hours, "Day slots, 1-based, and ranges: 18-22,7" + keep)
        ->type_name("SLOTS")
        ->required(!update);
    command->add_option("--span", p.values.span, "D, W or M" + (update ? keep : "; default D"));
    command->add_option("--description", p.values.description, "Description" + keep);
    command->add_option("--low-rank", p.values.lowRank, "Lowest rank" + (update ? keep : "; default 1"))
        ->type_name("N");
    command->add_option("--high-rank", p.values.highRank, "Highest rank" + (update ? keep : "; default 1"))
        ->type_name("N");
    command
        ->add_option("--first-needed", p.values.firstNeeded,
                     "First date results are needed for" + (update ? keep : "; default today"))
        ->type_name("YYYY-MM-DD");
    command->add_flag("--pabh", p.pabh, "Define the PABH (kept once defined)");
  };

  CLI::App* c = leaf("list", "List the busy hours (or summations) of an entity, or of every Traffic entity",
                     [&p](std::ostream& out) { ListBusyHours(p.query, out); });
  c->add_option("entity", p.query.entity, "Traffic entity: id, name, label or context label");
  c->add_flag("--summations", p.query.summations, "Summations instead of busy hours");
  c->add_option("--type", p.query.type, "Type name, e.g. \"Cell Busy Hour\"");
  c->add_option("--owner", p.query.owner, "Owner's user name")->type_name("USER");
  c->add_option("--span", p.query.span, "Span letters, e.g. DW");

  c = leaf("show", "Show a busy hour or summation with its day slots as a bar",
           [&p](std::ostream& out) { ShowBusyHour(p.entity, p.name, out, p.by); });
  c->add_option("busyhour", p.name, "By id or name")->required()->type_name("BH");
  entityOption(c);

  c = leaf("add", "Add a busy hour (or summation) to a Traffic entity",
           [&p](std::ostream& out) { AddBusyHour(p.entity, p.name, p.summation, p.Values(), out); });
  c->add_option("entity", p.entity, "Traffic entity: id, name, label or context label")->required();
  c->add_option("name", p.name, "Name of the new busy hour")->required();
  c->add_flag("--summation", p.summation, "A summation: no field");
  valueOptions(c, false);

  c = leaf("update", "Change a busy hour or summation; options not given keep their values",
           [&p](std::ostream& out) { UpdateBusyHour(p.entity, p.name, p.Values(), out, p.by); });
  c->add_option("busyhour", p.name, "By id or name")->required()->type_name("BH");
  entityOption(c);
  valueOptions(c, true);

  c = leaf("delete",
           "Delete busy hours and summations; the host asks before deleting what reports use. By id, "
           "a busy hour whose field was deleted is found too",
           [&p](std::ostream& out) { DeleteBusyHours(p.entity, p.busyHours, out, p.by); });
  c->add_option("busyhour", p.busyHours, "By id or name")->required()->type_name("BH");
  commands.AddYesFlag(*c);
  entityOption(c);

  c = leaf("owner", "Give busy hours and summations to another user",
           [&p](std::ostream& out) { ChangeBusyHourOwner(p.entity, p.busyHours, p.user, out, p.by); });
  c->add_option("busyhour", p.busyHours, "By id or name")->required()->type_name("BH");
  c->add_option("--to", p.user, "The new owner's user name")->required()->type_name("USER");
  entityOption(c);

  c = leaf("types", "List the busy-hour types of an entity and those above it",
           [&p](std::ostream& out) { ShowBusyHourTypes(p.entity, out); });
  c->add_option("entity", p.entity, "Traffic entity: id, name, label or context label")->required();
}

}  // namespace ridirodev::tool
