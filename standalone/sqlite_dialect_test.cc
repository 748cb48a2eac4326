#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

// The translations that only running them can check: date arithmetic, and a dozen outer
// joins each matching nothing.
TEST(DialectSqliteTest, TranslatedDatesAndManyOuterJoinsRun) {
  SqliteDatabase db(":memory:");  // translates each statement it runs
  std::string tables =
      "CREATE TABLE t (Id, Changed); INSERT INTO t VALUES (1, datetime('now','localtime','-1 day')), "
      "(2, datetime('now','localtime','-3 days')); CREATE TABLE base (Id); INSERT INTO base VALUES (1), (2);";
  std::string from = " FROM base";
  std::string where = "\nwhere base.Id > 0";
  for (int k = 1; k <= 12; ++k) {
    const std::string n = std::to_string(k);
    tables += "CREATE TABLE o" + n + " (Id, Kind); INSERT INTO o" + n + " VALUES (1, 0);";
    from += ",\n  o" + n + " t" + n;
    where += (k % 2 ? " AND t" : " and\t(t") + n + ".Id (+) = base.Id" + (k % 2 ? "" : ")") + " AND t" + n +
             ".Kind (+) = " + n;
  }
  ASSERT_EQ(sqlite3_exec(db.Connection()->Handle(), tables.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  auto text = [&](const std::string& oracleSql) { return db.QueryValue(oracleSql).ToString(); };
  EXPECT_EQ(text("SELECT group_concat(Id) FROM t WHERE sysdate -  Changed <= 2"), "1");
  EXPECT_EQ(text("SELECT group_concat(Id) FROM t WHERE Changed > sysdate - 2"), "1");
  EXPECT_EQ(text("SELECT group_concat(Id) FROM t WHERE Changed - sysdate >= -2"), "1");
  EXPECT_EQ(text("SELECT count(*) FROM dual"), "1");
  // Every base row stays; none of the twelve tables matches.
  EXPECT_EQ(text("SELECT count(*) || '|' || count(t1.Id) || '|' || count(t12.Id)" + from + where), "2|0|0");
}

}  // namespace
}  // namespace ridirodev::standalone
