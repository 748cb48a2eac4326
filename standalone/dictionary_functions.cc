#include "standalone/dictionary_functions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "dialect/lexer.h"
#include "standalone/routine_statement.h"

namespace ridirodev::standalone {
namespace {

using dialect::kCalculationSyntax;
using dialect::Lexer;

constexpr std::string_view kDatabaseSource = "SqliteDatabase";
struct EntityNaming {
  std::string name;
  std::string label;
  std::optional<int64_t> versionId;
};

// Replaces every qualifier (a text directly followed by ".") that equals, without regard to
// case, one of the "from" texts by its "to" text. Longer texts are tried first, so a label
// with blanks wins over a shorter one that begins it. Quoted text is left alone.
std::string ReplaceQualifiers(std::string_view src, std::vector<std::pair<std::string, std::string>> fromTo) {
  if (src.find('.') == std::string_view::npos || fromTo.empty()) return std::string(src);
  std::stable_sort(fromTo.begin(), fromTo.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  // Qualifiers are matched as text, since a label may hold blanks; the lexer says what a
  // word and a quoted text are.
  const Lexer words(src, kCalculationSyntax);
  std::string out;
  out.reserve(src.size());
  size_t i = 0;
  while (i < src.size()) {
    const char c = src[i];
    if (c == '\'') {
      const std::string_view quoted = Lexer(src.substr(i), kCalculationSyntax).Next().text;
      out.append(quoted);
      i += quoted.size();
      continue;
    }
    const bool atWordStart =
        (words.IsWordStart(c) || Lexer::IsDigit(c)) && (i == 0 || !words.IsWordChar(src[i - 1]));
    if (atWordStart) {
      bool replaced = false;
      for (const auto& [from, to] : fromTo) {
        const size_t end = i + from.size();
        if (end < src.size() && src[end] == '.' && EqualsNoCase(src.substr(i, from.size()), from)) {
          out += to;
          i = end;
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
      size_t end = i;
      while (end < src.size() && words.IsWordChar(src[end])) ++end;
      out.append(src.substr(i, end - i));
      i = end;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

// The entities with labels, read again whenever the database changed since the last call.
class EntityNamingCache {
 public:
  const std::vector<EntityNaming>& Get(sqlite3* db) {
    const int64_t changes = sqlite3_total_changes64(db);
    unsigned version = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    if (loaded_ && changes == changes_ && version == version_) return entities_;
    entities_.clear();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT Entity_Name, Entity_Label, Version_Id FROM TQN_ENTITY "
                           "WHERE Entity_Label IS NOT NULL AND Entity_Label <> '' ORDER BY Entity_Id",
                           -1, &stmt, nullptr) != SQLITE_OK) {
      sqlite3_finalize(stmt);
      FailRoutine(kDatabaseSource, sqlite3_errmsg(db));
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      const auto text = [&](int column) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return t ? std::string(t) : std::string();
      };
      EntityNaming e{text(0), text(1), std::nullopt};
      if (sqlite3_column_type(stmt, 2) != SQLITE_NULL) e.versionId = sqlite3_column_int64(stmt, 2);
      entities_.push_back(std::move(e));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) FailRoutine(kDatabaseSource, sqlite3_errmsg(db));
    loaded_ = true;
    changes_ = changes;
    version_ = version;
    return entities_;
  }

 private:
  bool loaded_ = false;
  int64_t changes_ = 0;
  unsigned version_ = 0;
  std::vector<EntityNaming> entities_;
};

std::vector<std::pair<std::string, std::string>> NamesToLabels(const std::vector<EntityNaming>& entities) {
  std::vector<std::pair<std::string, std::string>> fromTo;
  std::unordered_set<std::string, NoCaseHash, NoCaseEqual> seen;
  for (const auto& e : entities) {
    if (seen.insert(e.name).second) fromTo.emplace_back(e.name, e.label);
  }
  return fromTo;
}

std::vector<std::pair<std::string, std::string>> LabelsToNames(const std::vector<EntityNaming>& entities,
                                                               std::optional<int64_t> versionId) {
  std::vector<std::pair<std::string, std::string>> fromTo;
  std::unordered_set<std::string, NoCaseHash, NoCaseEqual> seen;
  for (const auto& e : entities) {
    if (versionId && e.versionId != versionId) continue;
    if (seen.insert(e.label).second) fromTo.emplace_back(e.label, e.name);
  }
  return fromTo;
}

std::string_view ArgText(sqlite3_value* v) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void ResultText(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void ReplaceEntityNamesFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  try {
    auto* cache = static_cast<EntityNamingCache*>(sqlite3_user_data(ctx));
    const std::string_view src = ArgText(argv[0]);
    if (src.find('.') == std::string_view::npos) return ResultText(ctx, std::string(src));
    ResultText(ctx, ReplaceQualifiers(src, NamesToLabels(cache->Get(sqlite3_context_db_handle(ctx)))));
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void ReplaceEntityLabelsFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  try {
    auto* cache = static_cast<EntityNamingCache*>(sqlite3_user_data(ctx));
    std::optional<int64_t> version;
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL) version = sqlite3_value_int64(argv[0]);
    const std::string_view src = ArgText(argv[1]);
    if (src.find('.') == std::string_view::npos) return ResultText(ctx, std::string(src));
    ResultText(ctx,
               ReplaceQualifiers(src, LabelsToNames(cache->Get(sqlite3_context_db_handle(ctx)), version)));
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void CalcFieldNameFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  ResultText(ctx, AvailabilityFieldName(ArgText(argv[0])));
}

void DeleteCache(void* p) { delete static_cast<EntityNamingCache*>(p); }

}  // namespace

void RegisterDictionaryFunctions(sqlite3* db) {
  auto fail = [&](std::string_view name) {
    FailRoutine(kDatabaseSource, "Cannot register " + std::string(name) + ": " + sqlite3_errmsg(db));
  };
  // Each function owns its cache; SQLite frees it when the function goes away.
  if (sqlite3_create_function_v2(db, "ea_dd__ea_replace_entity_names", 1, SQLITE_UTF8, new EntityNamingCache,
                                 ReplaceEntityNamesFunction, nullptr, nullptr, DeleteCache) != SQLITE_OK) {
    fail("ea_dd__ea_replace_entity_names");
  }
  if (sqlite3_create_function_v2(db, "ea_dd__ea_replace_entity_labels", 2, SQLITE_UTF8, new EntityNamingCache,
                                 ReplaceEntityLabelsFunction, nullptr, nullptr, DeleteCache) != SQLITE_OK) {
    fail("ea_dd__ea_replace_entity_labels");
  }
  if (sqlite3_create_function_v2(db, "availabledatareporting__tocalcfieldname", 1,
                                 SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, CalcFieldNameFunction, nullptr,
                                 nullptr, nullptr) != SQLITE_OK) {
    fail("availabledatareporting__tocalcfieldname");
  }
}

std::string AvailabilityFieldName(std::string_view fileType) {
  std::string name = "Avail_";
  const Lexer words(fileType, kCalculationSyntax);
  for (char c : fileType) name += words.IsWordChar(c) && c != '$' && c != '#' ? c : '_';
  return name;
}

}  // namespace ridirodev::standalone
