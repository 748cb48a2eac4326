#pragma once

// The server-side routines of the dictionary, written in C++ over the standalone schema.
// They run inside the caller's current transaction: they never begin or commit one, and
// each wraps its own writes in a savepoint so that a failing routine leaves nothing behind.
//
// - Saving a calculation sets its Status to 'U' (not yet translated) and rebuilds its rows in
//   tqd_dict_field_depend: one row for every other calculation its source refers to.
//   Creating one also links the calculations that already referred to its name.
// - "tq_Dictionary.UDC_Stat" translates (CalculationTranslator::Translate): status 'T' with an
//   empty message, or 'S' and a message naming the first problem ("Unknown name 'Drops' in
//   the calculation."), or 'I' and a message for a field id that is no calculation. The
//   status is stored in the field row.
// Errors raise AutomationError with number kDatabaseError and the routine's name as source.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/core/variant.h"
// The callers of the routines find the calculation words, the translator and the
// dictionary's SQL functions here too.
#include "standalone/calculation_translator.h"
#include "standalone/dictionary_functions.h"

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
Variant RunRoutine(engine::EngineDatabase& db, RoutineCall& call);

// Makes db run these routines for its procedure calls.
void InstallRoutines(engine::EngineDatabase& db);

}  // namespace ridirodev::standalone
