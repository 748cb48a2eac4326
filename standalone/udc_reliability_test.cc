// InsertUDC, UpdateUDC and DeleteUDC failing at each of their database steps in turn, on the
// sample dictionary: nothing half-written may stay behind, and the user hears of it once.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/frame/field_updates.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/model/extra_column_values.h"
#include "ridirodev/model/field.h"
#include "ridirodev/sql/udc_persistence.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"
#include "standalone/support.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kInjected = "injected failure";

std::vector<std::string> Column(sqlite3* db, const std::string& sql) {
  std::vector<std::string> out;
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      row += (text ? std::string(text) : "<null>") + "|";
    }
    out.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  return out;
}

// Every row of every table, sorted: equal dumps, equal databases. Without times, the times the
// routines stamp with the clock are left out, so that two runs of a save compare equal.
std::string Dump(sqlite3* db, bool withoutTimes = false) {
  std::string out;
  for (const std::string& table : Column(db, "SELECT name FROM sqlite_master WHERE type = 'table'")) {
    const std::string name = table.substr(0, table.size() - 1);
    std::vector<std::string> rows = Column(db, "SELECT * FROM \"" + name + "\"");
    std::sort(rows.begin(), rows.end());
    out += "== " + name + "\n";
    for (const std::string& row : rows) out += row + "\n";
  }
  // 'YYYY-MM-DD HH:MM:SS' between separators.
  for (size_t at = 0; withoutTimes && (at = out.find(':', at)) != std::string::npos; ++at) {
    if (at >= 13 && at + 6 < out.size() && out[at - 3] == ' ' && out[at + 3] == ':' && out[at - 6] == '-') {
      out.replace(at - 13, 19, "<time>             ");
    }
  }
  return out;
}

// An in-memory sample host whose error reports the test reads.
struct SampleHost {
  SampleHost() {
    StandaloneConfig config;
    config.db = ":memory:";
    config.extendedEntityViews = true;  // the source goes through the server's label function too
    host = std::make_shared<StandaloneHost>(config);
    db = host->Sqlite()->Connection()->Handle();
    CreateDictionarySchema(db);
    LoadSampleDictionary(db, {});
    host->SupportServices()->SetLogStream(log);
  }
  int32_t FieldId(const std::string& name) {
    return std::stoi(Column(db, "SELECT Field_Id FROM tqd_Dict_Name WHERE NameSpace_Id = 0 AND Entity_Id = " +
                                    std::to_string(kSampleCellEntity) + " AND Name = '" + name + "'")
                         .at(0));
  }
  std::shared_ptr<StandaloneHost> host;
  sqlite3* db = nullptr;
  std::ostringstream log;
};

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

TEST(UdcReliabilityTest, AFailureAtAnyStepLeavesTheDictionaryAsBeforeOrWhole) {
  struct Operation {
    const char* name;
    std::function<bool(SampleHost&, CFieldPtr&)> run;
    bool insert = false;
  };
  // A styled calculation with a weight and an editable extra column value, so that every kind
  // of write takes part; Legacy_Retry_Rate is styled in the sample and used by nothing.
  auto calc = [](SampleHost& h, int32_t id, const std::string& name) {
    auto fld = std::make_shared<CField>();
    auto extra = std::make_shared<ExtraColumnValues>(ExtraColumnValues{{"RCVFormName", Variant("Radio")}});
    fld->Initialize(id, name, kSampleCellEntity, "Traffic", "UDC", 3, "F", true, "Retry", "Share",
                    "Retries per attempt", "AVG", 1, "100 * Retry_Attempts / NULLIF(Call_Attempts, 0)",
                    Date(), "", extra, "", h.FieldId("Call_Attempts"), 1, 255);
    return fld;
  };
  const Operation operations[] = {
      {"insert",
       [&](SampleHost& h, CFieldPtr& fld) { return sql::InsertUDC(*(fld = calc(h, 0, "Retry_Share"))); },
       true},
      {"update",
       [&](SampleHost& h, CFieldPtr& fld) {
         return sql::UpdateUDC(*(fld = calc(h, h.FieldId("Legacy_Retry_Rate"), "Legacy_Retry_Rate")));
       }},
      {"delete", [](SampleHost& h, CFieldPtr&) { return sql::DeleteUDC(h.FieldId("Legacy_Retry_Rate")); }}};

  for (const Operation& op : operations) {
    SampleHost h;
    MRidirodevScope scope(h.host);
    GRidirodev::AppGroupTemplates();  // the capability probe: style rows are written only after it
    int notifications = 0;
    auto connection = GRidirodev::FieldUpdates()->FieldsChange.Connect(
        [&](int32_t, std::shared_ptr<CFields>, EAction) { ++notifications; });
    SqliteDatabase& db = *h.host->Sqlite();
    const std::string before = Dump(h.db);
    sqlite3* opened = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &opened), SQLITE_OK);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> pristine(opened, sqlite3_close);
    auto copy = [](sqlite3* from, sqlite3* to) {
      sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
      ASSERT_TRUE(backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE &&
                  sqlite3_backup_finish(backup) == SQLITE_OK);
    };
    copy(h.db, pristine.get());
    CFieldPtr fld;
    ASSERT_TRUE(op.run(h, fld)) << op.name << h.log.str();
    const std::string saved = Dump(h.db, true);
    ASSERT_NE(saved, Dump(pristine.get(), true)) << op.name;
    copy(pristine.get(), h.db);

    size_t steps = 0, committedAt = 0;
    for (size_t n = 1;; ++n) {
      SCOPED_TRACE(std::string(op.name) + " failing at call " + std::to_string(n));
      const size_t logged = h.log.str().size(), reports = Count(h.log.str(), "ErrorReporter Report");
      db.FailOnCall(n, AutomationError(kDatabaseError, "test", kInjected));
      const bool ok = op.run(h, fld);
      if (db.FailureArmed()) {  // every step has failed once
        EXPECT_TRUE(ok);
        EXPECT_EQ(Dump(h.db, true), saved);
        break;
      }
      steps = n;
      EXPECT_TRUE(sqlite3_get_autocommit(h.db));  // no transaction left open
      EXPECT_EQ(Count(h.log.str(), "ErrorReporter Report"), reports + 1);
      EXPECT_NE(h.log.str().find(kInjected, logged), std::string::npos);
      EXPECT_EQ(notifications, 0);
      if (Dump(h.db) == before) {
        EXPECT_FALSE(ok);
        if (op.insert) {
          EXPECT_EQ(fld->Id(), 0);
        }
        continue;
      }
      // Only the status read comes after the commit: the save stands, whole once the server has
      // translated it.
      committedAt = n;
      ASSERT_TRUE(ok && fld);
      std::string status;
      sql::GetUDCStatus(Variant(fld->Id()), status, 30);
      EXPECT_EQ(Dump(h.db, true), saved);
      copy(pristine.get(), h.db);
    }
    EXPECT_GE(steps, 5u) << op.name;
    EXPECT_TRUE(committedAt == 0 || committedAt == steps) << op.name << " committed at call " << committedAt;
  }
}

}  // namespace
}  // namespace ridirodev::standalone
