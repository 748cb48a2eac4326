#include "standalone/calculation_translator.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "dialect/lexer.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/routine_statement.h"

namespace ridirodev::standalone {
namespace {

using dialect::kCalculationSyntax;
using dialect::Lexer;
using dialect::Token;
using dialect::TokenKind;

bool IsKeyword(std::string_view word) {
  static constexpr std::string_view kKeywords[] = {"AND",  "OR",   "NOT",  "NULL", "IS",   "IN", "BETWEEN",
                                                   "LIKE", "CASE", "WHEN", "THEN", "ELSE", "END"};
  return std::any_of(std::begin(kKeywords), std::end(kKeywords),
                     [&](std::string_view k) { return EqualsNoCase(k, word); });
}

// One piece of a calculation source as the translation reads it.
struct Piece {
  enum Kind { kText, kWord, kQualified, kFunction, kKeyword, kOpen, kClose, kUnclosedQuote };
  Kind kind;
  std::string_view text;
  std::string_view qualifier;  // kQualified: the entity name
  std::string_view name;       // kQualified: the field name
};

std::vector<Piece> Pieces(std::string_view source) {
  const std::vector<Token> tokens = Lexer::Tokens(source, kCalculationSyntax);
  std::vector<Piece> pieces;
  pieces.reserve(tokens.size());
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    switch (t.kind) {
      case TokenKind::kWord: {
        // Entity.Field, written without blanks.
        if (k + 2 < tokens.size() && tokens[k + 1].text == "." && tokens[k + 2].kind == TokenKind::kWord) {
          const std::string_view name = tokens[k + 2].text;
          const std::string_view whole(t.text.data(),
                                       static_cast<size_t>(name.data() + name.size() - t.text.data()));
          pieces.push_back({Piece::kQualified, whole, t.text, name});
          k += 2;
          break;
        }
        size_t next = k + 1;
        while (next < tokens.size() && tokens[next].kind == TokenKind::kSpace) ++next;
        if (IsKeyword(t.text)) {
          pieces.push_back({Piece::kKeyword, t.text, {}, {}});
        } else if (next < tokens.size() && tokens[next].kind == TokenKind::kOpen) {
          pieces.push_back({Piece::kFunction, t.text, {}, {}});
        } else {
          pieces.push_back({Piece::kWord, t.text, {}, {}});
        }
        break;
      }
      case TokenKind::kOpen:
        pieces.push_back({Piece::kOpen, t.text, {}, {}});
        break;
      case TokenKind::kClose:
        pieces.push_back({Piece::kClose, t.text, {}, {}});
        break;
      case TokenKind::kUnterminated:
        pieces.push_back({Piece::kUnclosedQuote, t.text, {}, {}});
        break;
      default:  // blanks, operators, numbers and quoted texts pass as they are
        pieces.push_back({Piece::kText, t.text, {}, {}});
        break;
    }
  }
  return pieces;
}

}  // namespace

bool IsCalculationKeyword(std::string_view word) { return IsKeyword(word); }

bool IsCalculationWord(std::string_view name) {
  if (name.empty()) return false;
  const Token first = Lexer(name, kCalculationSyntax).Next();
  return first.kind == TokenKind::kWord && first.text.size() == name.size() && !IsKeyword(name);
}

struct CalculationTranslator::Impl {
  struct Calc {
    bool found = false;
    int32_t id = 0;
    int32_t entityId = 0;
    int32_t dataSourceId = 0;
    std::string group;
    std::string name;
    std::string source;
    std::string status;
  };
  struct Analysis {
    std::string problem;  // the first one; empty when the source translates
    std::string translated;
    std::vector<int32_t> calculationsUsed;
  };

  explicit Impl(engine::EngineDatabase& database)
      : db(database),
        loadCalc(db,
                 "SELECT n.Entity_Id, f.DataSource_ID, f.Field_Group_Short, u.UDC_SOURCE, n.Name, f.Status "
                 "FROM tqd_Dict_Field f "
                 "JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND n.NameSpace_Id = 0 "
                 "LEFT JOIN TQD_UDC_DEF u ON u.Field_Id = f.Field_Id WHERE f.Field_Id = ?1",
                 kSource),
        findField(db,
                  "SELECT n.Field_Id, f.Field_Group_Short, f.DataSource_ID FROM tqd_Dict_Name n "
                  "JOIN tqd_Dict_Field f ON f.Field_Id = n.Field_Id "
                  "WHERE n.Entity_Id = ?1 AND n.NameSpace_Id = 0 AND n.Name = ?2 COLLATE NOCASE "
                  "AND f.DataSource_ID IN (?3, ?4)",
                  kSource),
        findEntity(
            db, "SELECT Entity_Id FROM TQN_ENTITY WHERE Entity_Name = ?1 COLLATE NOCASE ORDER BY Entity_Id",
            kSource),
        findFunction(db, "SELECT 1 FROM TQE_Function WHERE Function_Name = ?1", kSource),
        findDataSource(db, "SELECT DataSource_Id FROM TQD_Data_Source WHERE DataSource_Name = ?1", kSource),
        deleteUses(db, "DELETE FROM tqd_dict_field_depend WHERE parent_field_id = ?1", kSource),
        insertUse(db,
                  "INSERT INTO tqd_dict_field_depend (parent_field_id, child_field_id) VALUES (?1, ?2) "
                  "ON CONFLICT DO NOTHING",
                  kSource),
        findUses(db, "SELECT child_field_id FROM tqd_dict_field_depend WHERE parent_field_id = ?1", kSource),
        storeStatus(db, "UPDATE tqd_Dict_Field SET Status = ?2 WHERE Field_Id = ?1", kSource),
        storeCalcSource(db, "UPDATE TQD_UDC_DEF SET CALC_SOURCE = ?2 WHERE Field_Id = ?1", kSource),
        findReferrers(
            db,
            "SELECT u.Field_Id FROM TQD_UDC_DEF u WHERE UPPER(u.UDC_SOURCE) LIKE '%' || UPPER(?1) || '%' "
            "AND u.Field_Id <> ?2",
            kSource) {}

  static constexpr std::string_view kSource = "tq_Dictionary";

  Calc Load(int32_t fieldId) {
    if (const Pending* pending = FindPending(fieldId)) return pending->calc;
    Calc c;
    c.id = fieldId;
    loadCalc.Reset().Bind(1, int64_t{fieldId});
    if (loadCalc.Step()) {
      c.found = true;
      c.entityId = RoutineInt32(loadCalc.Int(0), kSource);
      c.dataSourceId = RoutineInt32(loadCalc.Int(1), kSource);
      c.group = loadCalc.Text(2);
      c.source = loadCalc.Text(3);
      c.name = loadCalc.Text(4);
      c.status = loadCalc.Text(5);
    }
    loadCalc.Reset();
    return c;
  }

  int64_t DataSourceId(std::string_view name) {
    findDataSource.Reset().Bind(1, name);
    const int64_t id = findDataSource.Step() ? findDataSource.Int(0) : 0;
    findDataSource.Reset();
    return id;
  }

  // The data source whose fields a calculation may use besides its own.
  int64_t CompanionDataSource(int32_t dataSourceId) {
    if (!companionsKnown) {
      trafficId = DataSourceId("Traffic");
      clientId = DataSourceId("Client");
      companionsKnown = true;
    }
    return dataSourceId == trafficId && clientId != 0 ? clientId : dataSourceId;
  }

  // Field id and whether it is a calculation; nullopt when no such field is in scope.
  std::optional<std::pair<int32_t, bool>> FindField(int64_t entityId, std::string_view name,
                                                    const Calc& calc) {
    if (const auto known = pendingNames.find(static_cast<int32_t>(entityId)); known != pendingNames.end()) {
      return FindKnownField(known->second, name, calc);
    }
    findField.Reset()
        .Bind(1, entityId)
        .Bind(2, name)
        .Bind(3, int64_t{calc.dataSourceId})
        .Bind(4, CompanionDataSource(calc.dataSourceId));
    // A field of the calculation's own data source wins over a companion's of the same name.
    std::optional<std::pair<int32_t, bool>> found;
    bool own = false;
    while (!own && findField.Step()) {
      own = findField.Int(2) == calc.dataSourceId;
      if (own || !found)
        found = std::make_pair(RoutineInt32(findField.Int(0), kSource), findField.Text(1) == "UDC");
    }
    findField.Reset();
    return found;
  }

  std::optional<int64_t> FindEntity(std::string_view name) {
    findEntity.Reset().Bind(1, name);
    std::optional<int64_t> id;
    if (findEntity.Step()) id = findEntity.Int(0);
    findEntity.Reset();
    return id;
  }

  bool IsFunction(std::string_view name) {
    // A bulk load asks for the same few functions many times over.
    if (!pending.empty()) {
      if (const auto known = functions.find(std::string(name)); known != functions.end())
        return known->second;
    }
    findFunction.Reset().Bind(1, name);
    const bool found = findFunction.Step();
    findFunction.Reset();
    if (!pending.empty()) functions.emplace(name, found);
    return found;
  }

  // Walks the whole source even after a problem, so that every resolvable reference still
  // counts as a dependency.
  Analysis Analyze(const Calc& calc) {
    Analysis a;
    auto problem = [&](std::string text) {
      if (a.problem.empty()) a.problem = std::move(text);
    };
    auto reference = [&](const std::pair<int32_t, bool>& field) {
      if (field.first == calc.id) problem("The calculation uses itself.");
      if (field.second && field.first != calc.id &&
          std::find(a.calculationsUsed.begin(), a.calculationsUsed.end(), field.first) ==
              a.calculationsUsed.end()) {
        a.calculationsUsed.push_back(field.first);
      }
      a.translated += "F" + std::to_string(field.first);
    };
    if (TrimBlanks(calc.source).empty()) problem("The calculation has no source.");
    int depth = 0;
    for (const Piece& t : Pieces(calc.source)) {
      switch (t.kind) {
        case Piece::kWord:
          if (auto field = FindField(calc.entityId, t.text, calc)) {
            reference(*field);
          } else {
            problem("Unknown name '" + std::string(t.text) + "' in the calculation.");
            a.translated += t.text;
          }
          break;
        case Piece::kQualified: {
          const auto entity = FindEntity(t.qualifier);
          const auto field = entity ? FindField(*entity, t.name, calc) : std::nullopt;
          if (!entity) {
            problem("Unknown entity '" + std::string(t.qualifier) + "' in the calculation.");
          } else if (!field) {
            problem("Unknown name '" + std::string(t.text) + "' in the calculation.");
          }
          if (field) {
            reference(*field);
          } else {
            a.translated += t.text;
          }
          break;
        }
        case Piece::kFunction:
          if (!IsFunction(t.text))
            problem("Unknown function '" + std::string(t.text) + "' in the calculation.");
          a.translated += ToUpper(t.text);
          break;
        case Piece::kKeyword:
          a.translated += ToUpper(t.text);
          break;
        case Piece::kOpen:
          ++depth;
          a.translated += t.text;
          break;
        case Piece::kClose:
          if (--depth < 0) problem("Unbalanced parentheses in the calculation.");
          a.translated += t.text;
          break;
        case Piece::kUnclosedQuote:
          problem("Unclosed quote in the calculation.");
          a.translated += t.text;
          break;
        case Piece::kText:
          a.translated += t.text;
          break;
      }
    }
    if (depth > 0) problem("Unbalanced parentheses in the calculation.");
    return a;
  }

  std::vector<int64_t> StoredUses(int64_t parent) {
    if (const Pending* p = FindPending(static_cast<int32_t>(parent))) return {p->uses.begin(), p->uses.end()};
    std::vector<int64_t> children;
    findUses.Reset().Bind(1, parent);
    while (findUses.Step()) children.push_back(findUses.Int(0));
    findUses.Reset();
    return children;
  }

  // Whether target is reached from the calculations in pending, following what each uses. A
  // recursive query would do the same but costs a temporary table per call, which the sample
  // pays thousands of times. The stored rows serve for a calculation that translated; one
  // that did not may have had a use left out (one that would close a loop), so its source is
  // read again, unless storedOnly.
  bool Reaches(std::vector<int64_t> pending, int64_t target, bool storedOnly) {
    std::unordered_set<int64_t> seen(pending.begin(), pending.end());
    while (!pending.empty()) {
      const int64_t at = pending.back();
      pending.pop_back();
      if (at == target) return true;
      std::vector<int64_t> next;
      const Calc calc = storedOnly ? Calc{} : Load(static_cast<int32_t>(at));
      if (!storedOnly && calc.found && calc.status != "T") {
        for (int32_t used : Analyze(calc).calculationsUsed) next.push_back(used);
      } else {
        next = StoredUses(at);
      }
      for (int64_t child : next) {
        if (seen.insert(child).second) pending.push_back(child);
      }
    }
    return false;
  }

  // A use whose calculation already reaches the user through stored rows would close a loop:
  // stored, it would leave both undeletable, so it is left out and the translation reports it.
  bool ClosesLoop(int32_t parentId, int32_t childId) { return Reaches({childId}, parentId, true); }

  void StoreUses(int32_t parentId, const std::vector<int32_t>& children) {
    Pending* p = FindPending(parentId);
    if (p) {
      p->uses.clear();
    } else {
      deleteUses.Reset().Bind(1, int64_t{parentId}).Run();
    }
    for (int32_t child : children) {
      if (ClosesLoop(parentId, child)) continue;
      if (p) {
        p->uses.push_back(child);
      } else {
        insertUse.Reset().Bind(1, int64_t{parentId}).Bind(2, int64_t{child}).Run();
      }
    }
  }

  void Store(int32_t fieldId, const std::string& status, std::optional<std::string> calcSource) {
    if (Pending* p = FindPending(fieldId)) {
      p->status = p->calc.status = status;
      p->calcSource = std::move(calcSource);
      return;
    }
    storeStatus.Reset().Bind(1, int64_t{fieldId}).Bind(2, std::string_view(status)).Run();
    auto& store = storeCalcSource.Reset().Bind(1, int64_t{fieldId});
    if (calcSource) {
      store.Bind(2, std::string_view(*calcSource));
    } else {
      store.BindNull(2);
    }
    store.Run();
  }

  // ---- Fields of a bulk load, known before they are stored ----

  struct Known {
    int32_t id;
    bool calculation;
    int32_t dataSourceId;
  };
  // By name in upper case, as NOCASE compares.
  using KnownNames = std::unordered_map<std::string, std::vector<Known>>;

  struct Pending : Decided {
    Calc calc;
  };

  Pending* FindPending(int32_t id) {
    if (pending.empty()) return nullptr;
    const auto found = pending.find(id);
    return found == pending.end() ? nullptr : &found->second;
  }

  // The stored names of the entity, once; the pending ones join them.
  KnownNames& NamesOf(int32_t entityId) {
    auto [names, added] = pendingNames.try_emplace(entityId);
    if (added) {
      RoutineStatement stored(
          db,
          "SELECT n.Field_Id, f.Field_Group_Short, f.DataSource_ID, n.Name FROM tqd_Dict_Name n "
          "JOIN tqd_Dict_Field f ON f.Field_Id = n.Field_Id "
          "WHERE n.Entity_Id = ?1 AND n.NameSpace_Id = 0",
          kSource);
      stored.Bind(1, int64_t{entityId});
      while (stored.Step()) {
        names->second[ToUpper(stored.Text(3))].push_back({RoutineInt32(stored.Int(0), kSource),
                                                          stored.Text(1) == "UDC",
                                                          RoutineInt32(stored.Int(2), kSource)});
      }
    }
    return names->second;
  }

  // As FindField's statement decides, over the known names.
  std::optional<std::pair<int32_t, bool>> FindKnownField(const KnownNames& names, std::string_view name,
                                                         const Calc& calc) {
    const auto found = names.find(ToUpper(name));
    if (found == names.end()) return std::nullopt;
    const int64_t companion = CompanionDataSource(calc.dataSourceId);
    std::optional<std::pair<int32_t, bool>> companionField;
    for (const Known& k : found->second) {
      if (k.dataSourceId == calc.dataSourceId) return std::make_pair(k.id, k.calculation);
      if (k.dataSourceId == companion && !companionField)
        companionField = std::make_pair(k.id, k.calculation);
    }
    return companionField;
  }

  void AddPending(const PendingField& field) {
    NamesOf(field.entityId)[ToUpper(field.name)].push_back({field.id, field.calculation, field.dataSourceId});
    if (!field.calculation) return;
    Pending& p = pending[field.id];
    p.calc = {.found = true, .id = field.id, .entityId = field.entityId, .dataSourceId = field.dataSourceId,
              .group = "UDC", .name = std::string(field.name), .source = std::string(field.calculationSource),
              .status = "U"};
    p.status = "U";
  }

  engine::EngineDatabase& db;
  RoutineStatement loadCalc, findField, findEntity, findFunction, findDataSource, deleteUses, insertUse,
      findUses, storeStatus, storeCalcSource, findReferrers;
  bool companionsKnown = false;
  int64_t trafficId = 0;
  int64_t clientId = 0;
  std::map<int32_t, KnownNames> pendingNames;    // by entity
  std::unordered_map<int32_t, Pending> pending;  // the calculations among them
  std::unordered_map<std::string, bool> functions;
};

CalculationTranslator::CalculationTranslator(engine::EngineDatabase& db)
    : impl_(std::make_unique<Impl>(db)) {}
CalculationTranslator::~CalculationTranslator() = default;

CalculationTranslator::Result CalculationTranslator::Translate(int32_t fieldId) {
  const Impl::Calc calc = impl_->Load(fieldId);
  if (!calc.found) return {"I", "Field " + std::to_string(fieldId) + " does not exist."};
  if (calc.group != "UDC")
    return {"I", "Field " + std::to_string(fieldId) + " is not a user-defined calculation."};
  Impl::Analysis a = impl_->Analyze(calc);
  if (a.problem.empty() &&
      impl_->Reaches({a.calculationsUsed.begin(), a.calculationsUsed.end()}, fieldId, false)) {
    a.problem = "The calculation uses itself through other calculations.";
  }
  Result result{a.problem.empty() ? "T" : "S", a.problem};
  impl_->Store(fieldId, result.status,
               a.problem.empty() ? std::optional<std::string>(std::move(a.translated)) : std::nullopt);
  return result;
}

void CalculationTranslator::RebuildDependencies(int32_t fieldId) {
  const Impl::Calc calc = impl_->Load(fieldId);
  if (!calc.found || calc.group != "UDC") {
    impl_->StoreUses(fieldId, {});
    return;
  }
  impl_->StoreUses(fieldId, impl_->Analyze(calc).calculationsUsed);
}

void CalculationTranslator::LinkReferrers(int32_t fieldId) {
  const Impl::Calc calc = impl_->Load(fieldId);
  if (!calc.found || calc.group != "UDC" || calc.name.empty()) return;
  std::vector<int32_t> candidates;
  auto& referrers =
      impl_->findReferrers.Reset().Bind(1, std::string_view(calc.name)).Bind(2, int64_t{fieldId});
  while (referrers.Step()) candidates.push_back(RoutineInt32(referrers.Int(0), Impl::kSource));
  referrers.Reset();
  for (int32_t candidate : candidates) {
    const Impl::Calc other = impl_->Load(candidate);
    if (!other.found || other.group != "UDC") continue;
    const auto used = impl_->Analyze(other).calculationsUsed;
    if (std::find(used.begin(), used.end(), fieldId) != used.end() &&
        !impl_->ClosesLoop(candidate, fieldId)) {
      impl_->insertUse.Reset().Bind(1, int64_t{candidate}).Bind(2, int64_t{fieldId}).Run();
    }
  }
}

void CalculationTranslator::AddPending(const PendingField& field) { impl_->AddPending(field); }

const CalculationTranslator::Decided& CalculationTranslator::PendingOutcome(int32_t fieldId) const {
  const Impl::Pending* p = impl_->FindPending(fieldId);
  if (!p) {
    throw AutomationError(engine::kDatabaseError, std::string(Impl::kSource),
                          "Field " + std::to_string(fieldId) + " is no pending calculation.");
  }
  return *p;
}

}  // namespace ridirodev::standalone
