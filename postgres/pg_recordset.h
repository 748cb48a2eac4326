#pragma once
#include <memory>

#include "postgres/pg_connection.h"
#include "ridirodev/host/database.h"

namespace ridirodev::postgres {

// A row set over a whole server result, which it keeps: values are made from the result's text
// only when read. Integers that fit are 32-bit integers, other numbers doubles, timestamps dates.
// Filter takes "COLUMN = value" and "COLUMN <> value" terms joined by AND.
IDBRecordsetPtr OpenPgRecordset(PgResult result);

}  // namespace ridirodev::postgres
