#pragma once

// Translation and dependency upkeep of calculations, shared by the stored routines and the
// sample generator.
//
// A calculation's source is an expression over field names, function calls (TQE_Function),
// numbers, quoted texts and the words AND OR NOT NULL IS IN BETWEEN LIKE CASE WHEN THEN ELSE
// END. A bare name refers to a field of the calculation's entity; a name qualified by an
// entity name (CellSite.Minutes_Of_Use) to a field of that entity. Either way the field must
// belong to the calculation's data source or, for a calculation of the data source Traffic,
// to Client, whose fields are shown with Traffic's. Names compare without regard to case.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_database.h"

namespace ridirodev::standalone {

// Whether a calculation's source can name a field called name as a bare word: a letter or
// "_", then letters, digits, "_", "$" or "#", and none of the words of the language above.
bool IsCalculationWord(std::string_view name);
// Whether word is one of the words of the language (AND, OR, ... END), in any case.
bool IsCalculationKeyword(std::string_view word);

// Holds its prepared statements, so one object serves many calculations.
class CalculationTranslator {
 public:
  struct Result {
    std::string status;   // 'T', 'S' or 'I'
    std::string message;  // empty for 'T'
  };

  explicit CalculationTranslator(engine::EngineDatabase& db);
  ~CalculationTranslator();
  CalculationTranslator(const CalculationTranslator&) = delete;
  CalculationTranslator& operator=(const CalculationTranslator&) = delete;

  // Checks the calculation and stores its Status and CALC_SOURCE: 'T' with an empty message
  // when every reference resolves, the parentheses balance and no calculation uses itself
  // (directly or through others), CALC_SOURCE then holding the source with each field
  // reference written as F followed by the field id; otherwise 'S' and a message naming the
  // first problem. 'I' for a field id that is no calculation.
  Result Translate(int32_t fieldId);
  // Replaces the rows in which the calculation is the parent.
  void RebuildDependencies(int32_t fieldId);
  // Adds the rows of other calculations whose sources refer to this one.
  void LinkReferrers(int32_t fieldId);

  // For bulk loads: a field about to be stored with many others. Until then the translator
  // takes it as stored, and keeps what Translate and RebuildDependencies decide for a pending
  // calculation instead of writing it, for the load to store with its rows. An entity's stored
  // names are read once, when its first pending field comes, and every pending field of the
  // entity must come before a calculation is translated. Names compare without regard to case
  // of the letters A to Z.
  struct PendingField {
    int32_t id = 0;
    int32_t entityId = 0;
    int32_t dataSourceId = 0;
    std::string_view name;
    bool calculation = false;
    std::string_view calculationSource;  // of a calculation
  };
  void AddPending(const PendingField& field);
  struct Decided {
    std::string status;                     // Status
    std::optional<std::string> calcSource;  // CALC_SOURCE
    std::vector<int32_t> uses;              // the children of its tqd_dict_field_depend rows
  };
  // Throws AutomationError for an id that is no pending calculation.
  const Decided& PendingOutcome(int32_t fieldId) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ridirodev::standalone
