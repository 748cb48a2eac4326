#pragma once

// What differs between the engines the translation writes for. The front end (lexer, statement
// tokens, the outer-join and word analysis) is shared; a back end is the texts it writes and
// the rewrites its engine needs.

#include <string_view>

#include "dialect/dialect.h"

namespace ridirodev::dialect {

// sysdate in date arithmetic: the edits around sysdate, the other operand's first token
// (before) and its last (after).
struct SysdateTexts {
  std::string_view now;  // sysdate alone
  // sysdate - <date>: days between them
  std::string_view nowMinusDate, dateBefore, dateAfter;
  // <date> - sysdate: days between them
  std::string_view dateMinusNowBefore, dateMinusNowAfter, nowAfterDate;
  // sysdate +/- <days>: a date
  std::string_view nowMoved, daysBefore, daysAfter;
};

struct BackEnd {
  std::string_view engineName;   // in error texts
  std::string_view errorSource;  // the database object that reports them
  SysdateTexts sysdate;
  bool packagesAreSchemas;      // package.function( stays; else QualifiedFunctionName
  bool qualifyOrderByNames;     // ORDER BY x means the selected a.x only if qualified
  bool crossJoinRequired;       // required tables before a LEFT JOIN need CROSS JOIN
  bool lowerUnquotedLikeNames;  // "NAME" is stored as name
};

inline constexpr BackEnd kSqliteBackEnd{
    "SQLite",
    "SqliteDatabase",
    {"datetime('now','localtime')", "(julianday('now','localtime')", "julianday(", "))", "(julianday(", ")",
     "julianday('now','localtime'))", "datetime(julianday('now','localtime')", "(", "))"},
    false,
    true,
    false,
    false,
};

// Dates are TIMESTAMP(0) there; a difference of timestamps is an interval, read in days.
inline constexpr BackEnd kPostgresBackEnd{
    "PostgreSQL",
    "PostgresDatabase",
    {"LOCALTIMESTAMP(0)", "(EXTRACT(EPOCH FROM (LOCALTIMESTAMP(0)", "CAST(", " AS TIMESTAMP))) / 86400)",
     "(EXTRACT(EPOCH FROM (CAST(", " AS TIMESTAMP)", "LOCALTIMESTAMP(0))) / 86400)", "(LOCALTIMESTAMP(0)",
     "(", ") * INTERVAL '1 day')"},
    true,
    false,
    true,
    true,
};

inline const BackEnd& BackEndOf(Engine engine) {
  return engine == Engine::kPostgres ? kPostgresBackEnd : kSqliteBackEnd;
}

}  // namespace ridirodev::dialect
