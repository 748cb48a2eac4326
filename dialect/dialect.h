#pragma once

// Translation of the component's Oracle-dialect statements for the engine that runs them,
// done by the host's database object just before a statement runs.

#include <string>
#include <string_view>

namespace ridirodev::dialect {

enum class Engine { kSqlite, kPostgres };

// The name under which a package function is registered with SQLite: package and function in
// lower case joined by two underscores, so ea_dd.ea_replace_entity_names is reached as
// ea_dd__ea_replace_entity_names.
std::string QualifiedFunctionName(std::string_view package, std::string_view function);

// The same mapping for a dotted name such as "ea_dd.ea_replace_entity_labels": lower case, and
// each dot becomes two underscores.
std::string QualifiedFunctionName(std::string_view dottedName);

// Translates one Oracle-dialect statement for engine:
// - a query block whose WHERE clause holds legacy outer-join conditions (a column marked (+))
//   becomes FROM <required tables> LEFT JOIN <table> ON <its marked conditions>..., one LEFT
//   JOIN per outer-joined table in FROM-list order (a table whose ON clause names another
//   outer-joined table comes after it), and the moved conditions leave the WHERE clause.
//   PostgreSQL joins the required tables with CROSS JOIN instead of commas, since its ON
//   clauses cannot see a table listed before a comma;
// - SELECT UNIQUE becomes SELECT DISTINCT;
// - FROM dual goes when it is the whole FROM clause;
// - sysdate becomes the current local date and time to the second; sysdate - <column or text>
//   and <column or text> - sysdate become a difference in days, and sysdate +/- <number
//   expression> a date moved by that many days, as in Oracle. Left of "- sysdate" only a lone
//   column (a, a.b) or text literal is read as the date: one that is itself an operand of
//   * / + - or ||, anything else left of it, and sysdate right of + or multiplied after the
//   minus cannot be translated;
// - a call package.function( whose first name is no table or alias of the statement becomes,
//   for SQLite, a call of QualifiedFunctionName(package, function); PostgreSQL keeps it, each
//   package being a schema there;
// - SQLite: in a query that is not compound, an ORDER BY term that is a bare name selected as
//   a qualified column (a.x, without alias) becomes that qualified column, as Oracle reads it
//   (PostgreSQL reads it so already);
// - PostgreSQL: a quoted name written as Oracle stores an unquoted one ("FIELD_ID") becomes
//   the lower-case name under which PostgreSQL stores it.
// Text inside quotes and comments is never changed; everything else is kept as written.
// Throws AutomationError (invalid argument, source "SqliteDatabase" or "PostgresDatabase")
// with the reason and the statement for text that cannot be translated soundly.
std::string TranslateDialect(std::string_view oracleSql, Engine engine);

}  // namespace ridirodev::dialect
