// Saves of calculations and busy hours failing at each of their database steps in turn, on the
// sample dictionary: nothing half-written may stay behind, and the user hears of it once.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "postgres/postgres_database.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/extra_column_values.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/udc_refs.h"
#include "ridirodev/model/udc_writes.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "standalone/failing_database.h"
#include "standalone/host.h"
#include "standalone/routines.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/support.h"
#include "testing/pg_server.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kInjected = "injected failure";
using testing::Rows;
using testing::TestEngine;

// Every row of every table, sorted: equal dumps, equal databases. Without times, the times the
// routines stamp with the clock are left out, so that two runs of a save compare equal.
std::string Dump(engine::EngineDatabase& db, bool withoutTimes = false) {
  const char* tables = db.EngineName() == "SQLite"
                           ? "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"
                           : "SELECT table_name FROM information_schema.tables WHERE table_schema = "
                             "current_schema() AND table_type = 'BASE TABLE' ORDER BY table_name";
  std::string out;
  for (const std::string& name : Rows(db, tables)) {
    std::vector<std::string> rows = Rows(db, "SELECT * FROM \"" + name + "\"", "<null>");
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

// A dictionary that hosts open by address: a file, or a scratch database on the test server.
class DictionaryAt {
 public:
  explicit DictionaryAt(TestEngine engine) {
    if (engine == TestEngine::kSqlite) {
      address_ = (dir_ / "dictionary.db").string();
      testing::SampleDatabase(address_);
      return;
    }
    scratch_.emplace();
    address_ = scratch_->Address();
    const auto db = std::make_shared<postgres::PostgresDatabase>(address_);
    InstallRoutines(*db);
    CreateDictionarySchema(*db);
    LoadSampleDictionary(*db, {});
  }
  const std::string& Address() const noexcept { return address_; }

 private:
  testing::TempDir dir_;
  std::optional<testing::ScratchDatabase> scratch_;
  std::string address_;
};

// A sample host whose error reports the test reads, installed for the thread while it lives.
struct SampleHost {
  // Over a fresh sample: in memory, or in a scratch database of its own on the test server.
  explicit SampleHost(TestEngine engine, int32_t daySlots = 24)
      : SampleHost(engine == TestEngine::kSqlite ? nullptr : std::make_shared<DictionaryAt>(engine),
                   daySlots) {}
  // Over the dictionary at, as the hosts before left it (nullptr: a sample in memory).
  SampleHost(std::shared_ptr<const DictionaryAt> at, int32_t daySlots) : dictionary(std::move(at)) {
    // With extended views a calculation's source goes through the server's label function too.
    auto set = [&](StandaloneConfig& c) {
      c.extendedEntityViews = true;
      c.daySlots = daySlots;
    };
    if (dictionary) {
      StandaloneConfig config;
      set(config);
      config.db = dictionary->Address();
      host = std::make_shared<StandaloneHost>(config);
    } else {
      host = testing::SampleHost(set);
    }
    host->Failures();
    db = host->Dictionary().get();
    host->SupportServices()->SetLogStream(log);
    if (db->EngineName() != "SQLite") sequences = Rows(*db, kSequences);
    scope.emplace(host);
  }
  int32_t FieldId(const std::string& name) { return testing::SampleFieldId(*db, kSampleCellEntity, name); }
  size_t Reports() const { return testing::Occurrences(log.str(), "ErrorReporter Report"); }
  // The warnings logged since the log had the given size.
  size_t Warnings(size_t since) const {
    return testing::Occurrences(log.str().substr(since), "[2] Ridirodev");
  }
  // PostgreSQL's sequences go on past a rolled-back write; after a run that wrote nothing they
  // are wound back, so that the next run numbers its rows as the first one did. (SQLite's are
  // rows of a table, rolled back with the rest.)
  void RewindSequences() {
    for (const std::string& row : sequences) {
      const size_t bar = row.find('|');
      db->SetSequence(row.substr(0, bar), std::stoll(row.substr(bar + 1)));
    }
  }
  static constexpr const char* kSequences =
      "SELECT sequencename, COALESCE(last_value, 0) FROM pg_sequences WHERE schemaname = current_schema()";

  std::shared_ptr<const DictionaryAt> dictionary;
  std::shared_ptr<StandaloneHost> host;
  engine::EngineDatabase* db = nullptr;
  std::ostringstream log;
  std::vector<std::string> sequences;
  std::optional<MRidirodevScope> scope;
};

// The suites run on either engine; a PostgreSQL sample is a database of its own on the test
// server, so a failing run starts from a fresh one only when the run before changed something.
class ReliabilityTest : public ::testing::TestWithParam<TestEngine> {
 protected:
  void SetUp() override { RIDIRODEV_SKIP_WITHOUT_SERVER(GetParam()); }
};
class UdcReliabilityTest : public ReliabilityTest {};
class BusyHourReliabilityTest : public ReliabilityTest {};

TEST_P(UdcReliabilityTest, AFailureAtAnyStepLeavesTheDictionaryAsBeforeOrWhole) {
  struct Operation {
    const char* name;
    std::function<bool(SampleHost&, CFieldPtr&)> run;
    bool insert = false;
  };
  // A styled calculation with a complex part, a weight and an editable extra column value, so
  // that every kind of write takes part; Legacy_Retry_Rate is styled in the sample and used by
  // nothing.
  auto calc = [](SampleHost& h, int32_t id, const std::string& name) {
    auto fld = std::make_shared<CField>();
    auto extra = std::make_shared<ExtraColumnValues>(ExtraColumnValues{{"RCVFormName", Variant("Radio")}});
    fld->Initialize(id, name, kSampleCellEntity, "Traffic", "UDC", 3, "F", true, "Retry", "Share",
                    "Retries per attempt", "AVG", 1, "100 * Retry_Attempts / NULLIF(Call_Attempts, 0)",
                    Date(), "", extra, "SUM(AVG)", h.FieldId("Call_Attempts"), 1, 255);
    return fld;
  };
  const Operation operations[] = {
      {"insert",
       [&](SampleHost& h, CFieldPtr& fld) { return InsertUDC(MRidirodev::Current(), *(fld = calc(h, 0, "Retry_Share"))); },
       true},
      {"update",
       [&](SampleHost& h, CFieldPtr& fld) {
         return UpdateUDC(MRidirodev::Current(), *(fld = calc(h, h.FieldId("Legacy_Retry_Rate"), "Legacy_Retry_Rate")));
       }},
      {"delete", [](SampleHost& h, CFieldPtr&) { return DeleteUDC(MRidirodev::Current(), h.FieldId("Legacy_Retry_Rate")); }}};

  for (const Operation& op : operations) {
    int notifications = 0;
    std::optional<SampleHost> h;
    decltype(GRidirodev::FieldUpdates()->FieldsChange)::Connection connection;
    auto fresh = [&] {
      connection = {};
      h.reset();
      h.emplace(GetParam());
      GRidirodev::AppGroupTemplates();  // the capability probe: style rows are written only after it
      calc(*h, 0, "Unsaved");           // the field categories, read before any save
      connection = GRidirodev::FieldUpdates()->FieldsChange.Connect(
          [&](int32_t, std::shared_ptr<CFields>, EAction) { ++notifications; });
    };
    fresh();
    const std::string before = Dump(*h->db), beforeWithoutTimes = Dump(*h->db, true);
    CFieldPtr fld;
    ASSERT_TRUE(op.run(*h, fld)) << op.name << h->log.str();
    if (fld) {  // each in its own column
      EXPECT_EQ(Rows(*h->db, "SELECT Complex, weight_field_id FROM TQD_UDC_DEF WHERE Field_Id = " +
                                 std::to_string(fld->Id())),
                std::vector<std::string>{"SUM(AVG)|" + std::to_string(h->FieldId("Call_Attempts"))});
    }
    const std::string saved = Dump(*h->db, true);
    ASSERT_NE(saved, beforeWithoutTimes) << op.name;
    bool changed = true;  // the dictionary is not as before: the next run starts from a fresh sample

    size_t steps = 0, committedAt = 0;
    for (size_t n = 1;; ++n) {
      SCOPED_TRACE(std::string(op.name) + " failing at call " + std::to_string(n));
      if (changed) fresh();
      changed = false;
      FailureInjection& db = h->host->Failures();
      const size_t logged = h->log.str().size(), reports = h->Reports();
      db.FailOnCall(n, AutomationError(kDatabaseError, "test", kInjected));
      const bool ok = op.run(*h, fld);
      if (db.FailureArmed()) {  // every step has failed once
        EXPECT_TRUE(ok);
        EXPECT_EQ(Dump(*h->db, true), saved);
        break;
      }
      steps = n;
      EXPECT_FALSE(h->db->InAnyTransaction());  // no transaction left open
      EXPECT_NE(h->log.str().find(kInjected, logged), std::string::npos);
      EXPECT_EQ(notifications, 0);
      if (Dump(*h->db) == before) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(h->Reports(), reports + 1);
        if (op.insert) {
          EXPECT_EQ(fld->Id(), 0);
        }
        h->RewindSequences();
        continue;
      }
      // Only the status read comes after the commit: the save stands, whole once the server has
      // translated it, and its failure is a warning.
      committedAt = n;
      changed = true;
      ASSERT_TRUE(ok && fld);
      EXPECT_EQ(h->Reports(), reports);
      EXPECT_EQ(h->Warnings(logged), 1u);
      std::string status;
      sql::GetUDCStatus(MRidirodev::Current().Services(), Variant(fld->Id()), status, 30);
      EXPECT_EQ(Dump(*h->db, true), saved);
    }
    EXPECT_GE(steps, 5u) << op.name;
    EXPECT_TRUE(committedAt == 0 || committedAt == steps) << op.name << " committed at call " << committedAt;
  }
}

// Deleting calculations in their safe order and failing at each step in turn: the first delete
// that fails ends the work, so whatever stays keeps everything it uses, and is named.
TEST_P(UdcReliabilityTest, DeleteExpressionsStopsAtTheFirstFailedDelete) {
  std::vector<std::pair<int32_t, int32_t>> uses;  // parent, child: as the sample has them
  size_t reported = 0;
  for (size_t n = 1;; ++n) {
    SCOPED_TRACE("failing at call " + std::to_string(n));
    SampleHost h(GetParam());
    // Sector_Erlang_Share and BH_Traffic_Erlangs use Traffic_Erlangs; Drop_Rate is used outside.
    auto set = std::make_shared<CFields>();
    for (const auto& [entity, name] : {std::pair{kSampleCellEntity, "Site_Heat_Alarm"},
                                       {kSampleCellEntity, "Traffic_Erlangs"},
                                       {kSampleCellEntity, "Drop_Rate"},
                                       {kSampleCellEntity, "BH_Traffic_Erlangs"},
                                       {kSampleSectorEntity, "Sector_Erlang_Share"}}) {
      const CFieldsPtr fields =
          GRidirodev::TrafficCategories()->Item(GRidirodev::EntityKey(entity))->Fields();
      for (const CFieldPtr& f : *fields)
        if (f->Name() == name) set->Add(f);
    }
    ASSERT_EQ(set->Count(), 5);
    CUDCRefs refs;
    refs.SetudcToDelete(set);
    const CFieldsPtr order = refs.DeleteableExpressions();
    ASSERT_EQ(order->Count(), 4);
    for (const std::string& row :
         Rows(*h.db, "SELECT parent_field_id, child_field_id FROM tqd_dict_field_depend"))
      if (n == 1) uses.emplace_back(std::stoi(row), std::stoi(row.substr(row.find('|') + 1)));
    auto exists = [&](int32_t id) {
      return !Rows(*h.db, "SELECT 1 FROM tqd_Dict_Field WHERE Field_Id = " + std::to_string(id)).empty();
    };

    h.host->Failures().FailOnCall(n, AutomationError(kDatabaseError, "test", kInjected));
    CFieldsPtr exceptions;
    bool returned = true;
    try {
      GRidirodev::DeleteExpressions(set, exceptions);
    } catch (const AutomationError&) {  // reading the dependencies or the fields again
      returned = false;
    }
    if (h.host->Failures().FailureArmed()) break;  // every step has failed once
    EXPECT_LE(h.Reports(), 1u);
    reported += h.Reports();
    for (int32_t i = 1; i < order->Count(); ++i)  // the deleted ones come first in the order
      EXPECT_FALSE(exists(order->Item(i)->Id()) && !exists(order->Item(i + 1)->Id())) << i;
    for (const auto& [parent, child] : uses) EXPECT_FALSE(exists(parent) && !exists(child)) << parent;
    for (const CFieldPtr& fld : *set)  // what stays is named
      EXPECT_TRUE(!returned || !exists(fld->Id()) || exceptions->Exists(Variant(fld->Key()))) << fld->Name();
  }
  EXPECT_GE(reported, 4u);  // each delete failed once at least
}

// The rows of the busy-hour tables; Changed is left out, being stamped with the clock.
std::string BusyHourTables(engine::EngineDatabase& db) {
  std::string out;
  for (const char* sql : {"SELECT Id, UserId, Name, Cluster_Entity_Id, Field_Id, Description, FirstNeeded, "
                          "Span, MinRank, MaxRank, DTPeriod, Scenario_Id, FirstAvail, LastAvail, "
                          "Daily_Retention FROM PM_BusyHour ORDER BY Id",
                          "SELECT * FROM PM_HourRange ORDER BY Id", "SELECT * FROM PM_PABH ORDER BY ID"}) {
    for (const std::string& row : Rows(db, sql, "<null>")) out += row + "|\n";
  }
  return out;
}

TEST_P(BusyHourReliabilityTest, AFailureAtAnyStepLeavesTheBusyHourTablesAsBefore) {
  const std::pair<const char*, void (CFieldCategory::*)(const CBusyHourPtr&)> operations[] = {
      {"insert", &CFieldCategory::AddBusyHour}, {"update", &CFieldCategory::UpdateBusyHour}};
  // Cell Erlang BH under a name of its own (names are unique per entity) asking for a PABH
  // record, with an extra run of slots: the definition, the PABH record and two hour ranges are
  // written.
  auto edited = [] {
    auto bh = std::make_shared<CBusyHour>();
    bh->LoadBusyHourById(4);
    bh->SetName("Cell Erlang BH 2");
    bh->SetPABH_Defined(true);
    bh->SetUpdateRequired(true);
    bh->SetSelected(3, true);
    return bh;
  };
  for (const auto& [name, save] : operations) {
    size_t notifications = 0;
    std::optional<SampleHost> h;
    CFieldCategory* cell = nullptr;
    decltype(GRidirodev::FieldUpdates()->BusyHourChange)::Connection connection;
    auto fresh = [&] {
      connection = {};
      h.reset();
      h.emplace(GetParam());
      cell = GRidirodev::TrafficCategories()->Item(Variant(GRidirodev::EntityKey(kSampleCellEntity))).get();
      connection = GRidirodev::FieldUpdates()->BusyHourChange.Connect(
          [&](bool, int32_t, std::shared_ptr<CBusyHours>, EAction) { ++notifications; });
    };
    fresh();
    const std::string before = BusyHourTables(*h->db);
    (cell->*save)(edited());
    const std::string saved = BusyHourTables(*h->db);
    ASSERT_EQ(notifications, 1u) << name << h->log.str();
    ASSERT_NE(saved.find("|3|3|7200|10799|"), std::string::npos) << name << saved;  // the extra run
    bool changed = true;  // the tables are not as before: the next run starts from a fresh sample

    size_t steps = 0, warned = 0;
    for (size_t n = 1;; ++n) {
      SCOPED_TRACE(std::string(name) + " failing at call " + std::to_string(n));
      if (changed) fresh();
      changed = false;
      const size_t reports = h->Reports(), notified = notifications, logged = h->log.str().size();
      CBusyHourPtr bh = edited();
      h->host->Failures().FailOnCall(n, AutomationError(kDatabaseError, "test", "injected failure"));
      (cell->*save)(bh);
      if (h->host->Failures().FailureArmed()) break;  // every step has failed once
      steps = n;
      EXPECT_FALSE(h->db->InAnyTransaction());  // no transaction left open
      if (BusyHourTables(*h->db) == before) {
        EXPECT_EQ(h->Reports(), reports + 1);
        EXPECT_EQ(notifications, notified);
        h->RewindSequences();
        continue;
      }
      // Only reading the new definition back follows the commit: what was saved stands with its
      // id and is announced; the failure is a warning, unless it was in a column read whose
      // errors are ignored.
      changed = true;
      EXPECT_STREQ(name, "insert");
      EXPECT_EQ(BusyHourTables(*h->db), saved);
      EXPECT_EQ(h->Reports(), reports);
      EXPECT_LE(h->Warnings(logged), 1u);
      warned += h->Warnings(logged);
      EXPECT_EQ(notifications, notified + 1);
      EXPECT_GT(bh->Id(), 0);
    }
    EXPECT_GE(steps, 9u) << name;  // begin, the definition, PABH count and insert, 2 x (id, range), commit
    EXPECT_EQ(warned > 0, std::string(name) == "insert") << name;  // the read-back of the stored row
  }
}

// The clock times the selected slots stand for, as runs: "04:45-07:30,09:45-10:00".
std::string ClockTimes(const CBusyHour& bh) {
  const int32_t n = bh.SelectedHours()->Count();
  auto clock = [n](int32_t slots) {
    const int32_t minutes = slots * 1440 / n;
    return std::to_string(100 + minutes / 60).substr(1) + ":" + std::to_string(100 + minutes % 60).substr(1);
  };
  std::string text;
  for (int32_t first = 1, last; first <= n; first = last + 1) {
    for (last = first; bh.Selected(first) && last < n && bh.Selected(last + 1);) ++last;
    if (bh.Selected(first)) text += (text.empty() ? "" : ",") + clock(first - 1) + "-" + clock(last);
  }
  return text;
}

// Stored hour ranges stand for clock times, whatever day-slot setting wrote them: the dictionary
// goes from one setting to the next, and Cell Evening BH (17:00-22:00 in the sample) is edited
// and read back at each. An edit that leaves the slots alone leaves the stored ranges alone, so
// that a coarser setting never rounds a finer definition away.
TEST_P(BusyHourReliabilityTest, HoursMeanTheSameTimesUnderAnySlotSetting) {
  struct Step {
    int32_t slots;
    std::vector<int32_t> edit;  // the new slots; {0} changes the description alone
    const char* sql;            // run on the stored rows first
    const char* expected;       // Hours, then the clock times read back
  };
  const Step steps[] = {
      {96, {}, "", "69-88 17:00-22:00"},
      {96, {0}, "", "69-88 17:00-22:00"},
      {24, {0}, "", "18-22 17:00-22:00"},
      {96, {20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 40}, "", "20-30,40-40 04:45-07:30,09:45-10:00"},
      {24, {0}, "", "5-8,10-10 04:00-08:00,09:00-10:00"},
      {96, {}, "", "20-30,40-40 04:45-07:30,09:45-10:00"},
      {32, {}, "", "7-10,14-14 04:30-07:30,09:45-10:30"},
      {24, {23, 24}, "", "23-24 22:00-24:00"},
      {96, {}, "", "89-96 22:00-24:00"},
      // Slot numbers as stored at 96 slots before ranges held hours: at 24 the hours past the
      // day are dropped, not an error; the seconds still give the slots.
      {24,
       {},
       "UPDATE PM_HourRange SET FirstHour = 20, LastHour = 30, FirstSeconds = 17100, LastSeconds = 26999",
       "20-24 19:00-24:00"},
      {96, {}, "", "20-30 04:45-07:30"},
  };
  const auto dictionary = std::make_shared<const DictionaryAt>(GetParam());
  for (const Step& step : steps) {
    SCOPED_TRACE(std::to_string(step.slots) + " slots, " + step.expected);
    SampleHost h(dictionary, step.slots);
    if (*step.sql) testing::Exec(*h.db, step.sql);
    CFieldCategory& cell =
        *GRidirodev::TrafficCategories()->Item(Variant(GRidirodev::EntityKey(kSampleCellEntity)));
    if (!step.edit.empty()) {
      const CBusyHourPtr bh = cell.BusyHours()->Item(Variant("BH1"))->Clone();
      bh->SetDescription("edited at " + std::to_string(step.slots));
      for (int32_t slot = 1; step.edit[0] != 0 && slot <= step.slots; ++slot)
        bh->SetSelected(slot, std::find(step.edit.begin(), step.edit.end(), slot) != step.edit.end());
      cell.UpdateBusyHour(bh);
    }
    auto back = std::make_shared<CBusyHour>();
    back->SetSelected(1, true);  // replaced by the load
    back->LoadBusyHourById(1);
    EXPECT_EQ(back->Hours() + " " + ClockTimes(*back), step.expected);
    EXPECT_EQ(h.Reports(), 0u) << h.log.str();
  }
}

RIDIRODEV_ON_EVERY_ENGINE(UdcReliabilityTest);
RIDIRODEV_ON_EVERY_ENGINE(BusyHourReliabilityTest);

}  // namespace
}  // namespace ridirodev::standalone
