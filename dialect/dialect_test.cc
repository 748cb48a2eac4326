#include "dialect/dialect.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::dialect {
namespace {

// Oracle text in, SQLite and PostgreSQL texts out; each case one shape the component sends.
// The field statements' joins run against the sample in standalone/statements_test.cc.
struct Translation {
  const char* what;
  std::string oracle;
  std::string sqlite;
  std::string postgres{};  // empty: the same as sqlite
};

void ExpectTranslations(const std::vector<Translation>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TranslateDialect(c.oracle, Engine::kSqlite), c.sqlite);
    EXPECT_EQ(TranslateDialect(c.oracle, Engine::kPostgres), c.postgres.empty() ? c.sqlite : c.postgres);
  }
}

TEST(DialectOuterJoinTest, ShapesLayoutAliasesAndOrder) {
  ExpectTranslations({
      {"busy hours: a parenthesized last condition, the WHERE keeps the rest",
       "SELECT b.Id, p.Id PABH_ID FROM PM_BusyHour b, tqd_dict_name d ,PM_PABH p WHERE b.Field_Id  IS NOT "
       "NULL AND b.Cluster_Entity_Id =5 AND d.Field_Id = b.Field_Id AND (p.ID (+) = b.ID)",
       "SELECT b.Id, p.Id PABH_ID FROM PM_BusyHour b, tqd_dict_name d LEFT JOIN PM_PABH p ON p.ID = b.ID "
       "WHERE b.Field_Id  IS NOT NULL AND b.Cluster_Entity_Id =5 AND d.Field_Id = b.Field_Id",
       "SELECT b.Id, p.Id PABH_ID FROM PM_BusyHour b CROSS JOIN tqd_dict_name d LEFT JOIN PM_PABH p ON "
       "p.ID = b.ID WHERE b.Field_Id  IS NOT NULL AND b.Cluster_Entity_Id =5 AND d.Field_Id = b.Field_Id"},
      {"data files: GROUP BY follows the WHERE",
       "SELECT a.file_type_id , MIN(b.timestamp)first FROM tq_file_control a , tq_available_data b , AVA_MAP "
       "m WHERE a.file_type_id = b.file_type_id (+) AND a.file_type_id = m.file_type_id GROUP BY "
       "a.file_type_id ORDER BY a.file_type",
       "SELECT a.file_type_id , MIN(b.timestamp)first FROM tq_file_control a, AVA_MAP m LEFT JOIN "
       "tq_available_data b ON a.file_type_id = b.file_type_id WHERE a.file_type_id = m.file_type_id GROUP "
       "BY a.file_type_id ORDER BY a.file_type",
       "SELECT a.file_type_id , MIN(b.timestamp)first FROM tq_file_control a CROSS JOIN AVA_MAP m LEFT JOIN "
       "tq_available_data b ON a.file_type_id = b.file_type_id WHERE a.file_type_id = m.file_type_id GROUP "
       "BY a.file_type_id ORDER BY a.file_type"},
      {"keywords in any case, line breaks, tables without alias, the marker on either side",
       "select PM_BusyHour.Id\n  from PM_BusyHour,\n\tPM_PABH\n where\n  PM_BusyHour.ID = PM_PABH.ID(+)\n  "
       "and PM_BusyHour.Span = 'x'\n",
       "select PM_BusyHour.Id\n  from PM_BusyHour LEFT JOIN PM_PABH ON PM_BusyHour.ID = PM_PABH.ID where "
       "PM_BusyHour.Span = 'x'\n"},
      {"a table whose ON clause names another outer-joined table follows it",
       "SELECT * FROM a x, c z, b y WHERE z.k (+) = y.k AND y.k(+)=x.k",
       "SELECT * FROM a x LEFT JOIN b y ON y.k=x.k LEFT JOIN c z ON z.k = y.k"},
      {"nested parentheses open up; others stay; a subquery is translated alone",
       "SELECT 1 FROM a x, b y WHERE ((y.k (+) = x.k AND y.n (+) = 1)) AND (x.q = 1 OR x.q = 2) AND x.z "
       "BETWEEN 1 AND 2 AND x.w IN (SELECT u.w FROM u, v WHERE v.w (+) = u.w)",
       "SELECT 1 FROM a x LEFT JOIN b y ON y.k = x.k AND y.n = 1 WHERE (x.q = 1 OR x.q = 2) AND x.z BETWEEN "
       "1 AND 2 AND x.w IN (SELECT u.w FROM u LEFT JOIN v ON v.w = u.w)"},
      {"AND inside BETWEEN and CASE separates no conditions",
       "SELECT 1 FROM a x, b y WHERE x.z BETWEEN y.lo (+) AND y.hi (+) AND CASE WHEN x.q = 1 AND y.k (+) = 2 "
       "THEN 1 END = 1 AND x.q BETWEEN 1 AND 2",
       "SELECT 1 FROM a x LEFT JOIN b y ON x.z BETWEEN y.lo AND y.hi AND CASE WHEN x.q = 1 AND y.k = 2 THEN "
       "1 END = 1 WHERE x.q BETWEEN 1 AND 2"},
      {"a line comment moved before other text cannot hide it",
       "SELECT 1 FROM a x, b y WHERE y.k (+) = x.k -- note",
       "SELECT 1 FROM a x LEFT JOIN b y ON y.k = x.k -- note\n"},
  });
}

TEST(DialectRewriteTest, UniquePackageCallsSysdateAndWhatStays) {
  const std::string untouched =
      "SELECT 'It''s sysdate (+) a.b(' || \"SELECT UNIQUE\".\"sysdate\", count (*) n, UPPER(x) FROM t WHERE "
      "x IS NULL AND y IN (1,2) AND a.v != 'c' AND a.k = ( SELECT s.k FROM s WHERE s.t = 'R' ) Union SELECT "
      "b.x FROM t b";
  ExpectTranslations({
      {"UNIQUE in the case written", "Select Unique parent_field_id from d",
       "Select Distinct parent_field_id from d"},
      {"an index stays unique", "CREATE UNIQUE INDEX i ON t (x)", "CREATE UNIQUE INDEX i ON t (x)"},
      {"only a name that is no table or alias of the statement is a package; a schema on PostgreSQL",
       "SELECT Pkg.Fn (c.FontColor), d.f(1), EA_DD.x.y FROM t d, tqd_field_style c",
       "SELECT pkg__fn (c.FontColor), d.f(1), EA_DD.x.y FROM t d, tqd_field_style c",
       "SELECT Pkg.Fn (c.FontColor), d.f(1), EA_DD.x.y FROM t d, tqd_field_style c"},
      {"a quoted name in Oracle's upper case is PostgreSQL's lower case",
       "SELECT t.\"FIELD_ID\", \"Name\", \"A B\" FROM \"TQD_X\" t",
       "SELECT t.\"FIELD_ID\", \"Name\", \"A B\" FROM \"TQD_X\" t",
       "SELECT t.\"field_id\", \"Name\", \"A B\" FROM \"tqd_x\" t"},
      {"sysdate in date arithmetic and alone",
       "SELECT Id FROM t WHERE sysdate -  Changed <= 2 AND SYSDATE - 1/24 < t.b AND t.c < SysDate",
       "SELECT Id FROM t WHERE (julianday('now','localtime') -  julianday(Changed)) <= 2 AND "
       "datetime(julianday('now','localtime') - (1/24)) < t.b AND t.c < datetime('now','localtime')",
       "SELECT Id FROM t WHERE (EXTRACT(EPOCH FROM (LOCALTIMESTAMP(0) -  CAST(Changed AS TIMESTAMP))) / "
       "86400) <= 2 AND (LOCALTIMESTAMP(0) - (1/24) * INTERVAL '1 day') < t.b AND t.c < LOCALTIMESTAMP(0)"},
      {"a column or text minus sysdate is days too; what follows applies to the days",
       "SELECT 1 FROM t a WHERE a.Changed - sysdate >= -2 AND 'x'-SYSDATE - 1 > 0 AND (\"C\" - sysdate) < 1",
       "SELECT 1 FROM t a WHERE (julianday(a.Changed) - julianday('now','localtime')) >= -2 AND "
       "(julianday('x')-julianday('now','localtime')) - 1 > 0 AND ((julianday(\"C\") - "
       "julianday('now','localtime'))) < 1",
       "SELECT 1 FROM t a WHERE (EXTRACT(EPOCH FROM (CAST(a.Changed AS TIMESTAMP) - LOCALTIMESTAMP(0))) / "
       "86400) >= -2 AND (EXTRACT(EPOCH FROM (CAST('x' AS TIMESTAMP)-LOCALTIMESTAMP(0))) / 86400) - 1 > 0 "
       "AND ((EXTRACT(EPOCH FROM (CAST(\"c\" AS TIMESTAMP) - LOCALTIMESTAMP(0))) / 86400)) < 1"},
      {"FROM dual goes when it is the whole clause",
       "SELECT sysdate FROM dual UNION SELECT 'FROM dual' FROM DUAL\nWHERE (SELECT 1 from Dual) = 1 AND "
       "x IN (SELECT 1 FROM dual d)",
       "SELECT datetime('now','localtime') UNION SELECT 'FROM dual'\nWHERE (SELECT 1) = 1 AND x IN (SELECT 1 "
       "FROM dual d)",
       "SELECT LOCALTIMESTAMP(0) UNION SELECT 'FROM dual'\nWHERE (SELECT 1) = 1 AND x IN (SELECT 1 FROM "
       "dual d)"},
      {"quoted text, operators SQLite knows, subqueries and unions pass as they are", untouched, untouched},
  });
}

// A name of two tables means the selected column, as in the UDR keys statement; PostgreSQL
// reads it so itself.
TEST(DialectRewriteTest, OrderByNamesMeanTheSelectedColumns) {
  const std::string compound = "SELECT a.k FROM a, b UNION SELECT c.k FROM c ORDER BY k";
  ExpectTranslations({
      {"a selected name is qualified; aliases, expressions, qualified terms and names selected twice stay",
       "SELECT DISTINCT x.k, y.n, x.n, x.v k2 FROM a x, b y WHERE y.k (+) = x.k ORDER BY k DESC, n, k2, "
       "UPPER(k), y.k",
       "SELECT DISTINCT x.k, y.n, x.n, x.v k2 FROM a x LEFT JOIN b y ON y.k = x.k ORDER BY x.k DESC, n, k2, "
       "UPPER(k), y.k",
       "SELECT DISTINCT x.k, y.n, x.n, x.v k2 FROM a x LEFT JOIN b y ON y.k = x.k ORDER BY k DESC, n, k2, "
       "UPPER(k), y.k"},
      {"a compound query sorts by its result columns", compound, compound},
  });
}

TEST(DialectErrorTest, UntranslatableTextFailsWithReasonAndStatement) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"SELECT 1 FROM a x, b y WHERE y.k (+) = x.k OR x.k = 1", "OR"},
      {"SELECT 1 FROM a x, b y WHERE z.k (+) = x.k", "not in the FROM list"},
      {"SELECT 1 FROM a x, b y WHERE y.k (+) = x.k (+)", "two tables"},
      {"SELECT 1 FROM a x, b y WHERE y.k (+) = 1 AND x.k (+) = 2", "not outer-joined"},
      {"SELECT 1 FROM a x, b y, c z WHERE y.k (+) = z.k AND z.k (+) = y.k AND x.k = 1", "cycle"},
      {"SELECT 1 FROM a x JOIN b y ON 1=1 WHERE y.k (+) = x.k", "JOIN"},
      {"SELECT 1 FROM a x, /* none */ WHERE y.k (+) = x.k", "an empty item"},
      {"SELECT y.k (+) FROM a x, b y WHERE y.k = x.k", "outside the WHERE"},
      {"SELECT s.p.f(1) FROM t", "more than two parts"},
      {"SELECT 1 - sysdate FROM t", "not a lone column or text"},
      {"SELECT a * b - sysdate FROM t", "not a lone column or text"},
      {"SELECT 1 + t.b - sysdate FROM t", "not a lone column or text"},
      {"SELECT - sysdate FROM t", "not a lone column or text"},
      {"SELECT b + sysdate FROM t", "right of +"},
      {"SELECT b - sysdate * 2 FROM t", "multiplied"},
      {"SELECT 'open FROM t", "unterminated string"},
  };
  for (const auto& [engine, source] :
       {std::pair{Engine::kSqlite, "SqliteDatabase"}, std::pair{Engine::kPostgres, "PostgresDatabase"}}) {
    for (const auto& [sql, reason] : cases) {
      try {
        TranslateDialect(sql, engine);
        ADD_FAILURE() << "translated: " << sql;
      } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), ErrorNumber::kInvalidArgument);
        EXPECT_EQ(e.Source(), source);
        EXPECT_THAT(e.Description(), ::testing::AllOf(::testing::HasSubstr(std::string(reason)),
                                                      ::testing::HasSubstr(std::string(sql))));
      }
    }
  }
}

TEST(DialectLargeInputTest, LongIdListsPassThrough) {
  std::string ids = "1";
  for (int id = 2; id <= 100000; ++id) ids += "," + std::to_string(id);
  EXPECT_EQ(TranslateDialect("SELECT d.N FROM f d, s c WHERE d.Id in (" + ids + ") AND d.Id = c.Id (+)",
                             Engine::kSqlite),
            "SELECT d.N FROM f d LEFT JOIN s c ON d.Id = c.Id WHERE d.Id in (" + ids + ")");
}

}  // namespace
}  // namespace ridirodev::dialect
