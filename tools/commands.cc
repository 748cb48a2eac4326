#include "tools/commands.h"

#include <ostream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/initializer.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/frame/template_categories.h"
#include "ridirodev/frame/enums.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/qualifiers.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::tool {
namespace {

constexpr const char* kSource = "ridirodev";

std::string CellText(const Variant& value) {
  if (value.IsNull()) return "NULL";
  if (value.IsDate()) return value.ToDate().GeneralDate();
  return value.ToString();
}

}  // namespace

void InitDatabase(const InitOptions& options, std::ostream& out) {
  namespace fs = std::filesystem;
  const fs::path& target = options.db;
  if (target.empty()) throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "No database file was given.");
  if (options.size < 0) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "The size must be 0 or more.");
  }
  std::error_code ec;
  if (fs::exists(target, ec) && !options.force) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "The database " + target.string() + " already exists (use --force to replace it).");
  }
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  fs::path building = target;
  building += ".new";
  fs::remove(building, ec);
  try {
    {
      standalone::SqliteDatabaseOptions dbOptions;
      dbOptions.create = true;
      standalone::SqliteDatabase db(building.string(), dbOptions);
      standalone::CreateDictionarySchema(db.Connection()->Handle());
      if (options.sample || options.size > 0) {
        standalone::LoadSampleDictionary(db.Connection()->Handle(), standalone::SampleOptions{options.size});
      }
    }
    fs::rename(building, target);
  } catch (...) {
    fs::remove(building, ec);
    throw;
  }
  out << "Created " << (options.sample || options.size > 0 ? "the sample dictionary" : "an empty dictionary")
      << " in " << target.string() << '\n';
}

std::string FormatTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths(headers.size());
  for (size_t c = 0; c < headers.size(); ++c) widths[c] = Utf8Length(headers[c]);
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], Utf8Length(row[c]));
  }
  std::string text;
  auto line = [&](const std::vector<std::string>& cells) {
    std::string out;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string& cell = c < cells.size() ? cells[c] : std::string();
      if (c) out += "  ";
      out += cell;
      if (c + 1 < widths.size()) out.append(widths[c] - Utf8Length(cell), ' ');
    }
    text += out + '\n';
  };
  line(headers);
  std::vector<std::string> rule;
  for (size_t w : widths) rule.emplace_back(w, '-');
  line(rule);
  for (const auto& row : rows) line(row);
  return text;
}

int32_t RunStatement(IDBObject& db, std::string_view statement, std::ostream& out) {
  IDBRecordsetPtr rs = db.OpenRecordset(statement, 60);
  if (!rs) {
    out << "(no rows)\n";
    return 0;
  }
  const IDBFields& fields = rs->Fields();
  const int32_t columns = fields.Count();
  if (columns == 0) {
    rs->Close();
    out << "Done.\n";
    return 0;
  }
  std::vector<std::string> headers;
  for (int32_t c = 0; c < columns; ++c) headers.push_back(fields.Name(c));
  std::vector<std::vector<std::string>> rows;
  while (!rs->Eof()) {
    std::vector<std::string> row;
    for (int32_t c = 0; c < columns; ++c) row.push_back(CellText(rs->Fields().Value(c)));
    rows.push_back(std::move(row));
    rs->MoveNext();
  }
  rs->Close();
  out << FormatTable(headers, rows) << '(' << rows.size() << (rows.size() == 1 ? " row)\n" : " rows)\n");
  return static_cast<int32_t>(rows.size());
}

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

void Section(std::ostream& out, std::string_view title) { out << "\n== " << title << '\n'; }

}  // namespace

void ShowInfo(std::ostream& out) {
  CRidirodevInitializer initializer;
  initializer.Initialize();
  MRidirodev& state = MRidirodev::Current();

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
  out << FormatTable({"Limit", "Width"},
                     {{"ExpressionNameLength", number(GRidirodev::ExpressionNameLength())},
                      {"ExpressionLength", number(GRidirodev::ExpressionLength())},
                      {"ExprColumnHeading1Length", number(GRidirodev::ExprColumnHeading1Length())},
                      {"ExprColumnHeading2Length", number(GRidirodev::ExprColumnHeading2Length())},
                      {"ExpressionDescriptionLength", number(GRidirodev::ExpressionDescriptionLength())},
                      {"CriteriaLength", number(GRidirodev::CriteriaLength())},
                      {"ExtraColumnLength(A)", number(GRidirodev::ExtraColumnLength("A"))},
                      {"ExtraColumnLength(other)", number(GRidirodev::ExtraColumnLength("D"))},
                      {"Busy hour name", number(state.BusyHourNameLength())},
                      {"Busy hour description", number(state.BusyHourDescriptionLength())}});

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

CAppGroupTemplatePtr RequireTemplate(const std::string& app) {
  CAppGroupTemplatePtr tpl = GRidirodev::AppGroupTemplate(app);
  if (!tpl) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "There is no application '" + app + "' (see 'ridirodev templates').");
  }
  return tpl;
}

void PrintNode(const ITreeNodePtr& node, const CFieldCategories& categories, int depth, std::ostream& out) {
  int childDepth = depth;
  if (ITreeNodeItemPtr item = node->Item()) {
    if (CFieldCategoryPtr category = categories.Item(Variant(item->Key()))) {
      out << std::string(static_cast<size_t>(depth) * 2, ' ') << category->HierarchyLabel() << "  ["
          << category->Id() << (category->CanRpt() ? "]" : ", not reportable]") << '\n';
      childDepth = depth + 1;
    }
  }
  for (const ITreeNodePtr& child : node->Children()) PrintNode(child, categories, childDepth, out);
}

CFieldCategoryPtr FindCategory(const CAppGroupTemplatePtr& tpl, const std::string& entity) {
  const auto categories = tpl->FieldCategories();
  double id = 0;
  if (Variant::ParseNumber(entity, id)) return categories->Item(Variant(GRidirodev::EntityKey(static_cast<int32_t>(id))));
  for (const CFieldCategoryPtr& category : *categories) {
    if (EqualsNoCase(category->CategoryEntity(), entity) || EqualsNoCase(category->Label(), entity) ||
        EqualsNoCase(category->CategoryName(), entity)) {
      return category;
    }
  }
  return nullptr;
}

}  // namespace

void ShowCategories(const std::string& app, std::ostream& out) {
  const auto categories = RequireTemplate(app)->FieldCategories();
  PrintNode(categories->RootNode(), *categories, 0, out);
}

const std::vector<std::string>& FieldColumnNames() {
  static const std::vector<std::string> names{"name",   "entity", "tech",     "type",     "heading1", "heading2",
                                              "description", "owner", "time", "element", "status", "datatype",
                                              "source", "modified", "complex"};
  return names;
}

int32_t ShowFields(const FieldQuery& query, std::ostream& out) {
  const CAppGroupTemplatePtr tpl = RequireTemplate(query.app);
  const CFieldCategoryPtr category = FindCategory(tpl, query.entity);
  if (!category) {
    throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                          "There is no entity '" + query.entity + "' in " + query.app +
                              " (see 'ridirodev categories " + query.app + "').");
  }
  MRidirodev& state = MRidirodev::Current();
  IAppPropertySetPtr columns = state.Support().CreatePropertySet();
  const std::vector<std::string> wanted =
      query.columns.empty() ? std::vector<std::string>{"name", "type", "tech", "time", "description"} : query.columns;
  const std::vector<std::string>& names = FieldColumnNames();
  const auto extraColumns = tpl->ExtraColumns();
  for (const std::string& rawName : wanted) {
    const std::string name(TrimBlanks(rawName));
    int32_t code = 0;
    std::string heading = name;
    for (size_t i = 0; i < names.size(); ++i) {
      if (EqualsNoCase(names[i], name)) code = static_cast<int32_t>((i + 1) * 256);
    }
    for (int32_t k = 1; code == 0 && k <= extraColumns->Count(); ++k) {
      if (EqualsNoCase(extraColumns->Item(Variant(k))->Name(), name)) {
        code = fldExtra + k;
        heading = extraColumns->Item(Variant(k))->Name();
      }
    }
    if (code == 0) {
      throw AutomationError(ErrorNumber::kInvalidArgument, kSource, "Unknown column '" + name + "'.");
    }
    columns->Add(state.Support().CreatePropertyDefinition(code, heading, 10, 0, true, 0));
  }
  auto shown = std::make_shared<CFields>();
  const std::shared_ptr<CFields> fields = category->Fields();  // a new collection: keep it alive
  for (const CFieldPtr& field : *fields) {
    if (field->IsFilterOK(query.tech, query.type, query.owner, query.search, query.busyHour, query.rcvForm,
                          query.rcvField)) {
      shown->Add(field);
    }
  }
  out << shown->Table(columns, true);
  out << '(' << shown->Count() << (shown->Count() == 1 ? " field of " : " fields of ") << category->HierarchyLabel()
      << ")\n";
  return shown->Count();
}

}  // namespace ridirodev::tool
