#include "tools/dictionary_commands.h"

#include <sqlite3.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <sstream>
#include <string_view>
#include <unordered_set>

#include "postgres/postgres_database.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/template_categories.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/filter_commands.h"
#include "tools/input_checks.h"

namespace ridirodev::tool {

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

void Section(std::ostream& out, std::string_view title) { out << "\n== " << title << '\n'; }

// The version of the engine under db: the server's for PostgreSQL, the library's for SQLite.
std::string EngineVersion(const engine::EngineDatabase& db) {
  if (const auto* server = dynamic_cast<const postgres::PostgresDatabase*>(&db)) {
    const int32_t v = server->Connection()->ServerVersion();
    // From version 10 on the number is major * 10000 + minor; before, major.minor * 100 + patch.
    return v >= 100000 ? std::to_string(v / 10000) + "." + std::to_string(v % 10000)
                       : std::to_string(v / 10000) + "." + std::to_string(v / 100 % 100) + "." +
                             std::to_string(v % 100);
  }
  return sqlite3_libversion();
}

}  // namespace

void ShowInfo(std::ostream& shown, engine::EngineDatabase* db) {
  // Gathered first and printed whole: a failure part-way (an unreadable settings file) must
  // not leave half a report that looks complete.
  std::ostringstream out;
  CRidirodevInitializer initializer;
  initializer.Initialize();
  MRidirodev& state = MRidirodev::Current();

  if (db) {
    Section(out, "Dictionary database");
    // Location never holds a password.
    out << FormatTable({"Engine", "Version", "Database"},
                       {{std::string(db->EngineName()), EngineVersion(*db), db->Location()}});
  }

  Section(out, "Capabilities");
  const GlobalFlags& flags = state.flags;
  out << FormatTable({"Flag", "Value"}, {{"DoComplex", YesNo(flags.doComplex)},
                                         {"DoWeighted", YesNo(flags.doWeighted)},
                                         {"StyleFieldsAvailable", YesNo(flags.styleFieldsAvailable)},
                                         {"XmlGatewayAvailable", YesNo(flags.xmlGatewayAvailable)},
                                         {"ContextEntityLabelAvailable", YesNo(flags.contextEntityLabelAvailable)},
                                         {"ExtendedEntityViews", YesNo(state.Support().ExtendedEntityViews())},
                                         {"FlexibleAggregationEnabled", YesNo(GRidirodev::FlexibleAggregationEnabled())},
                                         {"UsesExternalDataSources", YesNo(GRidirodev::UsesExternalDataSources())}});

  Section(out, "Input limits (characters)");
  const auto number = [](int32_t n) { return std::to_string(n); };
  // 0 is what a limit the dictionary's columns could not give reads as.
  const auto limit = [](int32_t n) { return n > 0 ? std::to_string(n) : std::string("not measured"); };
  out << FormatTable({"Limit", "Width"},
                     {{"ExpressionNameLength", limit(GRidirodev::ExpressionNameLength())},
                      {"ExpressionLength", limit(GRidirodev::ExpressionLength())},
                      {"ExprColumnHeading1Length", limit(GRidirodev::ExprColumnHeading1Length())},
                      {"ExprColumnHeading2Length", limit(GRidirodev::ExprColumnHeading2Length())},
                      {"ExpressionDescriptionLength", limit(GRidirodev::ExpressionDescriptionLength())},
                      {"Complex text", limit(ComplexTextWidth())},
                      {"CriteriaLength", limit(GRidirodev::CriteriaLength())},
                      {"ExtraColumnLength(A)", limit(GRidirodev::ExtraColumnLength("A"))},
                      {"ExtraColumnLength(other)", limit(GRidirodev::ExtraColumnLength("D"))},
                      {"Busy hour name", limit(state.BusyHourNameLength())},
                      {"Busy hour description", limit(state.BusyHourDescriptionLength())}});

  Section(out, "Application group templates");
  std::vector<std::vector<std::string>> rows;
  for (const CAppGroupTemplatePtr& tpl : *GRidirodev::AppGroupTemplates()) {
    std::string types;
    for (const CFieldTypePtr& type : *tpl->FieldTypes()) types += (types.empty() ? "" : " ") + type->TypeName();
    std::string columns;
    for (const CExtraColumnPtr& column : *tpl->ExtraColumns()) {
      columns += (columns.empty() ? "" : ", ") + column->Name() + " (" + column->ColType() + " " + column->Id() +
                 (column->Editable() ? ", editable)" : ")");
    }
    rows.push_back({tpl->AppName(), number(tpl->DataSourceId()), number(tpl->DataContextId()),
                    number(tpl->TemplateCategories()->Count()), types, columns});
  }
  out << FormatTable(
      {"AppName", "DataSourceId", "DataContextId", "Report categories", "Field types", "Extra columns"},
      rows);

  Section(out, "Technologies");
  rows.clear();
  const auto techTypes = GRidirodev::ValidTechTypes();
  for (const CFieldTechTypePtr& tech : *techTypes) {
    rows.push_back({tech->Name(), tech->ShortName(), number(tech->TechMask()), tech->Description()});
  }
  out << FormatTable({"Name", "ShortName", "TechMask", "Description"}, rows);
  out << "ValueList: " << techTypes->ValueList() << "\nLabelList: " << techTypes->LabelList() << '\n';

  Section(out, "Aggregators");
  rows.clear();
  for (const CAggregatorPtr& aggregator : *GRidirodev::ValidAggregators()) {
    rows.push_back({aggregator->Key(), aggregator->Name(), aggregator->TimeAggregator(),
                    aggregator->ElementAggregator(), YesNo(aggregator->OkForBusyHour())});
  }
  out << FormatTable({"Key", "Name", "TimeAggregator", "ElementAggregator", "OkForBusyHour"}, rows);

  Section(out, "Function categories");
  rows.clear();
  for (const CFunctionCategoryPtr& category : *GRidirodev::FunctionCategories()) {
    rows.push_back({number(category->Id()), category->Name(),
                    number(GRidirodev::Functions(category->Id())->Count())});
  }
  out << FormatTable({"Id", "Name", "Functions"}, rows);
  shown << out.str();
}

void ShowTemplates(std::ostream& out) {
  std::vector<std::vector<std::string>> rows;
  for (const CAppGroupTemplatePtr& tpl : *GRidirodev::AppGroupTemplates()) {
    std::string types;
    for (const CFieldTypePtr& type : *tpl->FieldTypes()) types += (types.empty() ? "" : " ") + type->TypeName();
    rows.push_back({tpl->AppName(), std::to_string(tpl->DataSourceId()), std::to_string(tpl->DataContextId()),
                    std::to_string(tpl->FieldCategories()->Count()), types});
  }
  out << FormatTable({"AppName", "DataSourceId", "DataContextId", "Entities", "Field types"}, rows);
}

namespace {

void PrintNode(const ITreeNodePtr& node, const CFieldCategories& categories, int depth, std::ostream& out,
               std::unordered_set<std::string>& shown) {
  int childDepth = depth;
  if (ITreeNodeItemPtr item = node->Item()) {
    if (CFieldCategoryPtr category = categories.Item(Variant(item->Key()))) {
      out << std::string(static_cast<size_t>(depth) * 2, ' ') << category->HierarchyLabel() << "  ["
          << category->Id() << (category->CanRpt() ? "]" : ", not reportable]") << '\n';
      shown.insert(category->Key());
      childDepth = depth + 1;
    }
  }
  for (const ITreeNodePtr& child : node->Children()) PrintNode(child, categories, childDepth, out, shown);
}

// Why a category is not in the tree, found by walking up its parents as the dictionary gives them.
std::string WhyLeftOut(const CFieldCategories& categories, const CFieldCategoryPtr& category) {
  if (category->ParentId() == 0 || category->IsRoot()) {
    return "another top-level entity holds the top of the tree";
  }
  std::vector<CFieldCategoryPtr> chain{category};
  std::string path = category->CategoryEntity();
  for (;;) {
    const CFieldCategoryPtr& last = chain.back();
    const CFieldCategoryPtr parent = categories.Item(Variant(last->ParentKey()));
    if (!parent) {
      return (last == category ? "its parent" : "the parent of its ancestor " + last->CategoryEntity()) +
             " (entity " + std::to_string(last->ParentId()) + ") is not in the hierarchy";
    }
    path += " > " + parent->CategoryEntity();
    if (std::find(chain.begin(), chain.end(), parent) != chain.end()) {
      return (parent == category ? "its parents loop back to it: " : "it hangs below a loop: ") + path;
    }
    if (parent->ParentId() == 0 || parent->IsRoot()) {
      return "its top-level ancestor is not in the tree: " + path;
    }
    chain.push_back(parent);
  }
}

}  // namespace

namespace {

// The name among names equal to given without regard to case, else the unknown-name error.
std::string OneOf(const std::string& what, const std::string& given, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (EqualsNoCase(name, given)) return name;
  }
  Unknown(what, given, names);
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
  if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

// The letters the field filter takes, from technology names or short names.
std::string TechLetters(const std::string& text) {
  std::string letters;
  for (const CFieldTechTypePtr& tech : Technologies(text)) letters += tech->ShortName();
  return letters;
}

}  // namespace

void ShowCategories(const std::string& app, std::ostream& out, std::ostream& err) {
  const auto categories = RequireTemplate(app)->FieldCategories();
  std::unordered_set<std::string> shown;
  PrintNode(categories->RootNode(), *categories, 0, out, shown);
  std::string left;
  for (const CFieldCategoryPtr& category : *categories) {
    if (shown.contains(category->Key())) continue;
    left += "  " + category->HierarchyLabel() + "  [" + std::to_string(category->Id()) +
            "]: " + WhyLeftOut(*categories, category) + '\n';
  }
  if (!left.empty()) {
    err << "ridirodev: " << categories->Count() - static_cast<int32_t>(shown.size()) << " of "
        << categories->Count() << " entities of " << app << " are not in the tree:\n"
        << left;
  }
}

const std::vector<std::string>& FieldColumnNames() {
  static const std::vector<std::string> names{"name",   "entity", "tech",     "type",     "heading1", "heading2",
                                              "description", "owner", "time", "element", "status", "datatype",
                                              "source", "modified", "complex"};
  return names;
}

int32_t ShowFields(const FieldQuery& query, std::ostream& out) {
  const CAppGroupTemplatePtr tpl = RequireTemplate(query.app);
  const CFieldCategoryPtr category = RequireCategory(query.app, query.entity);
  MRidirodev& state = MRidirodev::Current();
  // Columns are the application's field properties, by name or by the tool's short names.
  const IAppPropertySetPtr properties = GRidirodev::FieldProperties(tpl->AppName());
  IAppPropertySetPtr columns = state.Support().CreatePropertySet();
  const std::vector<std::string> wanted =
      query.columns.empty() ? std::vector<std::string>{"name", "type", "tech", "time", "description"} : query.columns;
  const std::vector<std::string>& aliases = FieldColumnNames();
  for (const std::string& rawName : wanted) {
    const std::string name(TrimBlanks(rawName));
    IAppPropertyDefinitionPtr column;
    for (int32_t i = 1; !column && i <= properties->Count(); ++i) {
      if (EqualsNoCase(properties->Item(i)->Name(), name)) column = properties->Item(i);
    }
    for (size_t i = 0; !column && i < aliases.size(); ++i) {
      if (EqualsNoCase(aliases[i], name)) column = properties->ItemById(static_cast<int32_t>((i + 1) * 256));
    }
    // Without flexible aggregation the application shows no element column, but every
    // aggregator still names its element aggregation.
    if (!column && EqualsNoCase(name, "element")) {
      column = state.Support().CreatePropertyDefinition(fldElementAggregator, "Element Aggregator", 1200, 0, true, 0);
    }
    if (!column) {
      std::vector<std::string> known;
      for (int32_t i = 1; i <= properties->Count(); ++i) known.push_back(properties->Item(i)->Name());
      Unknown("column", name, known);
    }
    columns->Add(column);
  }
  const std::shared_ptr<CFields> fields = category->Fields();  // a new collection: keep it alive
  // The filter compares letters and exact names: a name in another case would match nothing.
  const std::string tech = TechLetters(query.tech);
  std::string type = query.type;
  if (!type.empty()) {
    std::vector<std::string> types;
    for (const CFieldTypePtr& fieldType : *tpl->FieldTypes()) AddOnce(types, fieldType->TypeName());
    for (const CFieldPtr& field : *fields) AddOnce(types, field->FieldType());
    type = OneOf("field type", type, types);
  }
  std::string owner = query.owner;
  if (IAppUserPtr user = owner.empty() ? nullptr : state.FolderServices().UserByName(owner)) {
    owner = user->Name();
  } else if (!owner.empty()) {
    std::vector<std::string> owners;
    for (const CFieldPtr& field : *fields) AddOnce(owners, field->Owner());
    std::sort(owners.begin(), owners.end());
    Unknown("owner", owner, owners, "owners of these fields");
  }
  const FieldPropertyFilters narrow(query.changedWithin, query.techFilter);
  auto shown = std::make_shared<CFields>();
  for (const CFieldPtr& field : *fields) {
    if (field->IsFilterOK(tech, type, owner, query.search, query.busyHour, query.rcvForm, query.rcvField) &&
        narrow.Accepts(*field)) {
      shown->Add(field);
    }
  }
  out << shown->Table(columns, true);
  out << '(' << shown->Count() << (shown->Count() == 1 ? " field of " : " fields of ") << category->HierarchyLabel()
      << ")\n";
  return shown->Count();
}

void SetUpDictionaryCommands(CLI::App& app, Commands& commands) {
  commands.Add(app, "info", "Start the component and show the dictionary database and what it loaded from it",
               [](const CommandContext& context) {
                 ShowInfo(context.out, context.host ? context.host->Dictionary().get() : nullptr);
                 return 0;
               });
  commands.Add(app, "templates", "List the application group templates", Printing(ShowTemplates));

  auto categoriesApp = std::make_shared<std::string>("Traffic");
  commands
      .Add(app, "categories", "Show the entity hierarchy of an application",
           [categoriesApp](const CommandContext& context) {
             ShowCategories(*categoriesApp, context.out, context.err);
             return 0;
           })
      ->add_option("app", *categoriesApp, "Application (default Traffic)");

  struct Fields {
    FieldQuery query;
    std::string columns;
  };
  auto p = std::make_shared<Fields>();
  FieldQuery& query = p->query;
  CLI::App* fields = commands.Add(app, "fields", "List the fields of one entity of an application",
                                  [p](const CommandContext& context) {
                                    FieldQuery query = p->query;
                                    const std::string& columns = p->columns;
                                    for (size_t start = 0; !columns.empty() && start <= columns.size();) {
                                      const size_t comma = std::min(columns.find(',', start), columns.size());
                                      query.columns.push_back(columns.substr(start, comma - start));
                                      start = comma + 1;
                                    }
                                    if (!query.techFilter.empty())
                                      LoadFilterDefinitions(*context.host->Settings());
                                    ShowFields(query, context.out);
                                    return 0;
                                  });
  fields->add_option("app", query.app, "Application, e.g. Traffic")->required();
  fields->add_option("entity", query.entity, "Entity: id, name, label or context label")->required();
  fields->add_option("--tech", query.tech,
                     "Technology names or short names, comma-separated (see 'ridirodev info'); a field with "
                     "any of them passes");
  fields->add_option("--type", query.type, "Field type, e.g. UDC");
  fields->add_option("--owner", query.owner, "Owner's user name");
  fields->add_option("--search", query.search, "Wildcard pattern on the field name");
  fields->add_flag("--busy-hour", query.busyHour, "Only fields whose aggregator suits busy hours");
  fields->add_option("--rcv-form", query.rcvForm, "RCV form name");
  fields->add_option("--rcv-field", query.rcvField, "RCV field name");
  std::string columnHelp =
      "Comma-separated columns: the application's field properties (Name, Tech Type, Heading_1, an extra "
      "column's title...), or the short names";
  for (const std::string& name : FieldColumnNames()) columnHelp += " " + name;
  fields->add_option("--columns", p->columns, columnHelp);
  fields
      ->add_option("--changed-within", query.changedWithin,
                   "Only fields changed within this period back from now: a count and m (minutes), h "
                   "(hours), d (days) or M (months), such as 3d")
      ->type_name("N{m,h,d,M}");
  fields->add_option(
      "--tech-filter", query.techFilter,
      "Only fields of a technology of this filter definition (see 'ridirodev filterdefs list')");
}

}  // namespace ridirodev::tool
