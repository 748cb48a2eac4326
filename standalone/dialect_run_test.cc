#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/engine_database.h"
#include "testing/sample.h"

namespace ridirodev::standalone {
namespace {

class DialectRunTest : public ::testing::TestWithParam<testing::TestEngine> {
 protected:
  void SetUp() override {
    RIDIRODEV_SKIP_WITHOUT_SERVER(GetParam());
    db_ = testing::SampleOn(GetParam(), false);
  }
  // The rows of a statement in the component's dialect (translated by the database object):
  // columns joined by '|', rows by ','.
  std::string Text(const std::string& oracleSql) {
    std::string text;
    const IDBRecordsetPtr rs = db_->OpenRecordset(oracleSql, 60);
    for (; rs && !rs->Eof(); rs->MoveNext()) {
      if (!text.empty()) text += ",";
      for (int32_t i = 0; i < rs->Fields().Count(); ++i)
        text += (i ? "|" : "") + db_->FieldText(rs->Fields().Value(i));
    }
    if (rs) rs->Close();
    return text;
  }

  std::shared_ptr<engine::EngineDatabase> db_;
};

RIDIRODEV_ON_EVERY_ENGINE(DialectRunTest);

// The translations that only running them can check: date arithmetic, and a dozen outer
// joins each matching nothing.
TEST_P(DialectRunTest, TranslatedDatesAndManyOuterJoinsRun) {
  std::string tables =
      "CREATE TABLE t (Id INTEGER, Changed TIMESTAMP(0)); CREATE TABLE base (Id INTEGER); "
      "INSERT INTO base VALUES (1); INSERT INTO base VALUES (2);";
  std::string from = " FROM base";
  std::string where = "\nwhere base.Id > 0";
  for (int k = 1; k <= 12; ++k) {
    const std::string n = std::to_string(k);
    tables += "CREATE TABLE o" + n + " (Id INTEGER, Kind INTEGER); INSERT INTO o" + n + " VALUES (1, 0);";
    from += ",\n  o" + n + " t" + n;
    where += (k % 2 ? " AND t" : " and\t(t") + n + ".Id (+) = base.Id" + (k % 2 ? "" : ")") + " AND t" + n +
             ".Kind (+) = " + n;
  }
  testing::Exec(*db_, tables);
  db_->Execute("INSERT INTO t (Id, Changed) VALUES (1, sysdate - 1)");
  db_->Execute("INSERT INTO t (Id, Changed) VALUES (2, sysdate - 3)");
  EXPECT_EQ(Text("SELECT Id FROM t WHERE sysdate -  Changed <= 2"), "1");
  EXPECT_EQ(Text("SELECT Id FROM t WHERE Changed > sysdate - 2"), "1");
  EXPECT_EQ(Text("SELECT Id FROM t WHERE Changed - sysdate >= -2"), "1");
  EXPECT_EQ(Text("SELECT count(*) FROM dual"), "1");
  // Every base row stays; none of the twelve tables matches.
  EXPECT_EQ(Text("SELECT count(*), count(t1.Id), count(t12.Id)" + from + where), "2|0|0");
}

}  // namespace
}  // namespace ridirodev::standalone
