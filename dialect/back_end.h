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
    .engineName = "SQLite",
    .errorSource = "SqliteDatabase",
    .sysdate = {.now = "datetime('now','localtime')",
                .nowMinusDate = "(julianday('now','localtime')",
                .dateBefore = "julianday(",
                .dateAfter = "))",
                .dateMinusNowBefore = "(julianday(",
                .dateMinusNowAfter = ")",
                .nowAfterDate = "julianday('now','localtime'))",
                .nowMoved = "datetime(julianday('now','localtime')",
                .daysBefore = "(",
                .daysAfter = "))"},
    .packagesAreSchemas = false,
    .qualifyOrderByNames = true,
    .crossJoinRequired = false,
    .lowerUnquotedLikeNames = false,
};

// Dates are TIMESTAMP(0) there; a difference of timestamps is an interval, read in days.
inline constexpr BackEnd kPostgresBackEnd{
    .engineName = "PostgreSQL",
    .errorSource = "PostgresDatabase",
    .sysdate = {.now = "LOCALTIMESTAMP(0)",
                .nowMinusDate = "(EXTRACT(EPOCH FROM (LOCALTIMESTAMP(0)",
                .dateBefore = "CAST(",
                .dateAfter = " AS TIMESTAMP))) / 86400)",
                .dateMinusNowBefore = "(EXTRACT(EPOCH FROM (CAST(",
                .dateMinusNowAfter = " AS TIMESTAMP)",
                .nowAfterDate = "LOCALTIMESTAMP(0))) / 86400)",
                .nowMoved = "(LOCALTIMESTAMP(0)",
                .daysBefore = "(",
                .daysAfter = ") * INTERVAL '1 day')"},
    .packagesAreSchemas = true,
    .qualifyOrderByNames = false,
    .crossJoinRequired = true,
    .lowerUnquotedLikeNames = true,
};

inline const BackEnd& BackEndOf(Engine engine) {
  return engine == Engine::kPostgres ? kPostgresBackEnd : kSqliteBackEnd;
}

}  // namespace ridirodev::dialect
