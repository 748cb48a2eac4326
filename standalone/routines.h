#pragma once

// The server-side routines of the dictionary, written in C++ over the standalone schema.
// They run inside the caller's current transaction: they never begin or commit one, and
// each wraps its own writes in a savepoint so that a failing routine leaves nothing behind.
//
// Calculations. A calculation's source is an expression over field names, function calls
// (TQE_Function), numbers, quoted texts and the words AND OR NOT NULL IS IN BETWEEN LIKE
// CASE WHEN THEN ELSE END. A bare name refers to a field of the calculation's entity; a name
// qualified by an entity name (CellSite.Minutes_Of_Use) to a field of that entity. Either
// way the field must belong to the calculation's data source or, for a calculation of the
// data source Traffic, to Client, whose fields are shown with Traffic's. Names compare
// without regard to case.
// - Saving a calculation sets its Status to 'U' (not yet translated) and rebuilds its rows in
//   tqd_dict_field_depend: one row for every other calculation its source refers to.
//   Creating one also links the calculations that already referred to its name.
// - "tq_Dictionary.UDC_Stat" translates: status 'T' with an empty message when every
//   reference resolves, the parentheses balance and no calculation uses itself (directly or
//   through others); CALC_SOURCE then holds the source with each field reference written as
//   F followed by the field id. Otherwise status 'S' and a message naming the first problem
//   ("Unknown name 'Drops' in the calculation."). A field id that is no calculation gives
//   status 'I' and a message. The status is stored in the field row.
// Errors raise AutomationError with number kDatabaseError and the routine's name as source.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/variant.h"

struct sqlite3;

namespace ridirodev::standalone {

struct RoutineCall {
  std::string name;              // as sent, e.g. "tq_Dictionary.New_UDC_F" (any case)
  std::vector<Variant> args;     // in parameter order; Empty stands for a null or an output
  std::vector<Variant> outputs;  // sized like args by the routine; output positions written
};

// Routines, with their parameters in order:
// - tq_Dictionary.New_UDC_F(name, entity name, data source id, owner id, data type, source,
//   heading 1, heading 2, description, technology bits, aggregator [, complex] [, weight field
//   id]) returns the new field id. With twelve arguments the last is the weight field when it
//   is a number, the complex text otherwise.
// - tq_Dictionary.Update_UDC(id, data type, source, heading 1, heading 2, description,
//   technology bits, aggregator [, complex, weight field id or empty]).
// - tq_Dictionary.Delete_UDC(id): the field, its names, definition, style, field data,
//   enumerated values and dependency rows in both directions.
// - tq_Dictionary.Update_Field_Owner(id, owner id).
// - tq_Dictionary.UDC_Stat(id, status out, message out, time-out): outputs 1 and 2.
// - ea_client.add_common_field(id out, entity id, name, description, heading 1, heading 2,
//   field type, aggregator, data type, data source id, owner id, unused, technology bits):
//   the new id is written to outputs 0 and 1. An empty field type is 'Common'; an empty data
//   source is Traffic.
// - ea_client.update_common_field(id, description, heading 1, heading 2, aggregator, unused,
//   owner id, unused, technology bits, data type).
// - ea_client.remove_common_field(id): removes the field like Delete_UDC, whatever its type.
bool HasRoutine(std::string_view name);
// Function value, Empty for procedures. Unknown routine: AutomationError.
Variant RunRoutine(sqlite3* db, RoutineCall& call);

// Scalar SQL functions under the names the dialect translator gives package calls:
// - ea_dd__ea_replace_entity_names(src): each entity name used as a qualifier (a name
//   directly followed by ".") becomes the entity's label, where it has one;
// - ea_dd__ea_replace_entity_labels(version_id, src): the reverse, over the entities of
//   that module version (all entities when the version is null);
// - availabledatareporting__tocalcfieldname(file_type): AvailabilityFieldName.
// Text between single quotes is left alone; null gives null.
void RegisterDictionaryFunctions(sqlite3* db);

// "Avail_" followed by the file type, each character other than a letter, digit or
// underscore replaced by an underscore: "CDMA PEG-HOURLY" gives "Avail_CDMA_PEG_HOURLY".
std::string AvailabilityFieldName(std::string_view fileType);

// Whether a calculation's source can name a field called name as a bare word: a letter or
// "_", then letters, digits, "_", "$" or "#", and none of the words of the language above.
bool IsCalculationWord(std::string_view name);
// Whether word is one of the words of the language (AND, OR, ... END), in any case.
bool IsCalculationKeyword(std::string_view word);

// Advances a sequence of ridirodev_sequence (name in any case) and returns the new value.
int32_t NextSequenceValue(sqlite3* db, std::string_view sequence);

// Translation and dependency upkeep of calculations, shared by the routines and the sample
// generator. Holds its prepared statements, so one object serves many calculations.
class CalculationTranslator {
 public:
  struct Result {
    std::string status;   // 'T', 'S' or 'I'
    std::string message;  // empty for 'T'
  };

  explicit CalculationTranslator(sqlite3* db);
  ~CalculationTranslator();
  CalculationTranslator(const CalculationTranslator&) = delete;
  CalculationTranslator& operator=(const CalculationTranslator&) = delete;

  // Checks the calculation and stores its Status and CALC_SOURCE.
  Result Translate(int32_t fieldId);
  // Replaces the rows in which the calculation is the parent.
  void RebuildDependencies(int32_t fieldId);
  // Adds the rows of other calculations whose sources refer to this one.
  void LinkReferrers(int32_t fieldId);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ridirodev::standalone
