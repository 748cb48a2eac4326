#include "tools/commands.h"

#include <ostream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
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

}  // namespace ridirodev::tool
