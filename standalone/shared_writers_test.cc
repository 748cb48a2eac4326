// Several clients of one dictionary on the shared server at once, each on a connection of its
// own: writers in threads through the component, a writer killed part-way, a reader beside an
// open write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <barrier>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "postgres/postgres_database.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "standalone/routines.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/support.h"
#include "testing/pg_server.h"
#include "testing/sample.h"

namespace ridirodev::standalone {
namespace {

using ::testing::HasSubstr;

class SharedWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RIDIRODEV_NEEDS_PG_SERVER();
    scratch_.emplace();
    auto db = Open();
    CreateDictionarySchema(*db);
    LoadSampleDictionary(*db, {});
  }
  std::shared_ptr<postgres::PostgresDatabase> Open() const {
    auto db = std::make_shared<postgres::PostgresDatabase>(scratch_->Address());
    InstallRoutines(*db);
    return db;
  }
  std::string Value(const std::string& sql) const { return testing::FirstRow(*Open(), sql); }
  // A new calculation of the cell, through the routine the component calls.
  static int32_t NewCalculation(postgres::PostgresDatabase& db, const std::string& name) {
    return db
        .RunRoutine("tq_Dictionary.New_UDC_F",
                    {name, "CellSite", 2, Variant(), "F", "Call_Attempts * 2", "", "", "", 0, "AVG"}, nullptr)
        .ToInt32();
  }

  std::optional<testing::ScratchDatabase> scratch_;
};

// One client as the tool runs it: a host of its own on the server, the component started on it.
struct Client {
  explicit Client(const std::string& address) {
    StandaloneConfig config;
    config.db = address;
    host = std::make_shared<StandaloneHost>(config);
    host->SupportServices()->SetLogStream(log);
    scope.emplace(host);
    CRidirodevInitializer().Initialize();
    cell = GRidirodev::LookupCategoryByName("Traffic", "CellSite");
  }
  bool AddCalculation(const std::string& name) {
    auto calc = std::make_shared<CField>();
    calc->Initialize(0, name, cell->Id(), "Traffic", "UDC", 0, "F", true, "", "", "", "AVG", 0,
                     "Call_Attempts * 2", Date::Now());
    return cell->AddExpression(calc);
  }
  bool AddBusyHour(const std::string& name) {
    auto bh = std::make_shared<CBusyHour>();
    bh->InitializeNew(cell->Id(), MRidirodev::Current().FolderServices().CurrentUser(), name, "", nullptr,
                      "D", Date::FromParts(2026, 12, 1), 1, 1, false, 0, Variant::Null(), Variant::Null(),
                      Variant::Null());
    cell->AddSummation(bh);
    return bh->Id() > 0;
  }
  std::shared_ptr<StandaloneHost> host;
  std::ostringstream log;
  std::optional<MRidirodevScope> scope;
  CFieldCategoryPtr cell;
};

TEST_F(SharedWritersTest, EveryAddLandsOnceAndTwoAddsOfOneNameGiveOneSuccessAndOneClearFailure) {
  constexpr int kWriters = 4, kAdds = 6, kRaces = 3;
  std::barrier start(kWriters);
  std::vector<std::string> failures(kWriters);
  std::vector<int> sameNameWins(kWriters, 0);
  std::vector<std::string> logs(kWriters);
  auto writer = [&](int w) {
    Client client(scratch_->Address());
    start.arrive_and_wait();
    for (int i = 0; i < kAdds; ++i) {
      const std::string name = "W" + std::to_string(w) + "_" + std::to_string(i);
      if (!client.AddCalculation(name)) failures[w] += " calc " + name;
      if (!client.AddBusyHour(name)) failures[w] += " busy hour " + name;
    }
    // Every writer races for the same names at once, a few times.
    for (int round = 0; round < kRaces; ++round) {
      start.arrive_and_wait();
      const std::string name = "Same_Name_" + std::to_string(round);
      sameNameWins[w] += int{client.AddCalculation(name)} + int{client.AddBusyHour(name)};
    }
    logs[w] = client.log.str();
  };
  std::vector<std::thread> threads;
  for (int w = 1; w < kWriters; ++w) threads.emplace_back(writer, w);
  writer(0);
  for (auto& t : threads) t.join();

  for (int w = 0; w < kWriters; ++w) EXPECT_EQ(failures[w], "") << "writer " << w << ": " << logs[w];
  const std::string adds = std::to_string(kWriters * kAdds);
  EXPECT_EQ(
      Value("SELECT COUNT(*), COUNT(DISTINCT Field_Id) FROM tqd_Datasource_Field WHERE Name LIKE 'W%\\_%'"),
      adds + "|" + adds);
  EXPECT_EQ(Value("SELECT COUNT(*), COUNT(DISTINCT Id) FROM PM_BusyHour WHERE Name LIKE 'W%\\_%'"),
            adds + "|" + adds);
  // Each name once, whole: the field, its name and its definition; one summation with its hours.
  EXPECT_EQ(Value("SELECT COUNT(*), COUNT(DISTINCT Name) FROM tqd_Datasource_Field WHERE Name LIKE 'Same%'"),
            "3|3");
  EXPECT_EQ(Value("SELECT COUNT(*), COUNT(DISTINCT Name) FROM PM_BusyHour WHERE Name LIKE 'Same%'"), "3|3");
  EXPECT_EQ(
      Value("SELECT COUNT(*) FROM tqd_Dict_Field f WHERE NOT EXISTS (SELECT 1 FROM tqd_Dict_Name n WHERE "
            "n.Field_Id = f.Field_Id) OR (f.Field_Group_Short = 'UDC' AND NOT EXISTS (SELECT 1 FROM "
            "TQD_UDC_DEF u WHERE u.Field_Id = f.Field_Id))"),
      "0");
  EXPECT_EQ(Value("SELECT COUNT(*) FROM PM_HourRange r WHERE NOT EXISTS (SELECT 1 FROM PM_BusyHour b WHERE "
                  "b.Id = r.BusyHourId)"),
            "0");
  int wins = 0;
  std::string losers;
  for (int w = 0; w < kWriters; ++w) {
    wins += sameNameWins[w];
    if (sameNameWins[w] < 2 * kRaces) losers += logs[w];
  }
  EXPECT_EQ(wins, 2 * kRaces) << "one calculation and one summation of each name";
  EXPECT_THAT(losers, HasSubstr("A field named Same_Name_0 already exists for entity"));
  EXPECT_THAT(losers, HasSubstr("pm_busyhour_name"));  // the unique name of a busy hour at its entity
}

TEST_F(SharedWritersTest, AWriterKilledPartWayLeavesNothingAndHoldsNoLock) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    auto db = Open();
    db->BeginTransaction();
    NewCalculation(*db, "Half_Written");
    (void)!write(ready[1], "x", 1);
    pause();  // killed here, the transaction open
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(ready[0]);
  close(ready[1]);
  // The server rolls the dead client's transaction back and frees its lock: the next write
  // goes through at once.
  auto db = Open();
  db->BeginTransaction();
  NewCalculation(*db, "After_The_Kill");
  db->CommitTransaction();
  EXPECT_EQ(Value("SELECT COUNT(*) FROM tqd_Dict_Name WHERE Name IN ('Half_Written', 'After_The_Kill')"),
            "1");
}

TEST_F(SharedWritersTest, AReaderSeesAWriteWholeOnlyOnceItIsCommitted) {
  auto writer = Open();
  auto reader = Open();
  writer->BeginTransaction();
  const std::string id = std::to_string(NewCalculation(*writer, "Pending"));
  const std::string seen = "SELECT (SELECT COUNT(*) FROM tqd_Dict_Field WHERE Field_Id = " + id +
                           "), (SELECT COUNT(*) FROM tqd_Dict_Name WHERE Field_Id = " + id +
                           "), (SELECT COUNT(*) FROM TQD_UDC_DEF WHERE Field_Id = " + id + ")";
  EXPECT_EQ(testing::FirstRow(*reader, seen), "0|0|0");
  writer->CommitTransaction();
  EXPECT_EQ(testing::FirstRow(*reader, seen), "1|1|1");
}

}  // namespace
}  // namespace ridirodev::standalone
