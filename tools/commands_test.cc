#include "tools/command_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"
#include "testing/errors.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"
#include "tools/command_test_support.h"
#include "tools/database_commands.h"
#include "tools/dictionary_commands.h"
#include "tools/printable_stream.h"

namespace ridirodev::tool {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using testing::ErrorOf;
using ::testing::HasSubstr;
using ::testing::Not;

// Runs a call on the first character written to it, as when init reports progress.
struct Hook : std::streambuf {
  std::function<void()> call;
  int_type overflow(int_type c) override {
    if (auto f = std::exchange(call, nullptr)) f();
    return c;
  }
};

class ToolTest : public ::testing::Test {
 protected:
  long Entries() const { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); }
  testing::TempDir dir_;
};

TEST(FormatTableTest, AlignsByCharactersNotBytesAndEscapesControlCharacters) {
  EXPECT_EQ(FormatTable({"Name", "N"}, {{"Zürich", "1"}, {"Cell", "22"}, {"A\x1B[2J\n", "\xC2\x9B"}}),
            "Name        N\n"
            "----------  ------\n"
            "Zürich      1\n"
            "Cell        22\n"
            "A\\x1B[2J\\n  \\u009B\n");
}

// What the tool prints keeps its lines, and a control character split over two writes is caught.
TEST(PrintableStreamTest, EscapesControlCharactersButLinesAndTabs) {
  std::ostringstream out;
  {
    const PrintableStream printable(out);
    out << '\xC2' << "\x9B\xC2\xA0é\x7F"
        << "a\x1B]0;x\ab\tc\r\n";
  }
  EXPECT_EQ(out.str(), "\\u009B\xC2\xA0é\\x7Fa\\x1B]0;x\\x07b\tc\\r\n");
}

TEST_F(ToolTest, InitCreatesWithOrWithoutTheSampleAndRefusesToOverwrite) {
  std::ostringstream out;
  const fs::path db = dir_ / "sub" / "dict.db";
  InitDatabase({db, true, 0, false}, out);
  EXPECT_THAT(out.str(), HasSubstr("sample dictionary"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "sub"), fs::directory_iterator()), 1);

  standalone::SqliteDatabase opened(db.string());
  std::ostringstream rows;
  // The component's dialect: an outer join written with (+).
  const int32_t count = RunStatement(opened,
                                     "SELECT u.Name, d.Name Document FROM PM_User u, PM_Document d "
                                     "WHERE u.Id = d.Owner_Id (+) AND u.Name = 'admin'",
                                     rows);
  EXPECT_GE(count, 1);
  EXPECT_THAT(rows.str(), HasSubstr("admin"));
  EXPECT_THAT(rows.str(), HasSubstr(count == 1 ? "(1 row)" : "rows)"));

  const std::string before = testing::ReadFile(db);
  EXPECT_EQ(ErrorOf([&] { InitDatabase({db, false, 0, false}, out); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(testing::ReadFile(db), before);

  // Without the sample: the schema alone, where a query finds no rows.
  InitDatabase({dir_ / "empty.db", false, 0, false}, out);
  standalone::SqliteDatabase empty((dir_ / "empty.db").string());
  std::ostringstream none, done;
  EXPECT_EQ(RunStatement(empty, "SELECT Name FROM PM_User", none), 0);
  EXPECT_EQ(none.str(), "Name\n----\n(0 rows)\n");
  RunStatement(empty, "INSERT INTO PM_User (Id, Name) VALUES (1, 'x')", done);
  EXPECT_EQ(done.str(), "Done: 1 row changed.\n");
  EXPECT_EQ(empty.QueryValue("SELECT COUNT(*) FROM PM_User").ToInt32(), 1);
}

TEST_F(ToolTest, InitReplacesOnlyARegularFileAndNamesThePathGiven) {
  std::ostringstream out;
  const fs::path fifo = dir_ / "fifo", file = dir_ / "file", link = dir_ / "link.db";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(file) << "x";
  fs::create_symlink(file, link);
  for (const fs::path& path : {fifo, link, fs::path(dir_)}) {
    EXPECT_THAT(CommandOutput([&](auto&) { InitDatabase({path, false, 0, true}, out); }),
                HasSubstr(path == link ? "symbolic link" : "not a regular file"));
  }
  EXPECT_TRUE(fs::is_fifo(fifo) && fs::is_symlink(link) && fs::file_size(file) == 1);
  // A folder that cannot be written (here a file in the way): the path given, not a temporary one.
  EXPECT_THAT(CommandOutput([&](auto&) { InitDatabase({file / "d.db", false, 0, false}, out); }),
              HasSubstr("Cannot create the database " + (file / "d.db").string() + ": "));
  EXPECT_EQ(Entries(), 3);

  for (const char* text : {"-1", "0", "5000001", "1e3", "", "99999999999"}) {
    EXPECT_THAT(CommandOutput([&](auto&) { ParseSize(text); }), HasSubstr("a whole number from 1 to 5000000"))
        << text;
  }
  EXPECT_EQ(ParseSize("5000000"), 5000000);
  EXPECT_THAT(CommandOutput([](auto&) { CommandConfig(std::string()); }), HasSubstr("--db needs a database file"));
}

TEST_F(ToolTest, InitsOfOnePathEachFinishWholeAndAnInterruptedOneLeavesNothing) {
  std::ostringstream out;
  Hook hook;
  std::ostream progress(&hook);
  const fs::path db = dir_ / "dict.db";
  // A second init of the path runs from start to end while the first is half-way.
  hook.call = [&] { InitDatabase({db, false, 0, true}, out); };
  InitDatabase({db, false, 20, true, &progress}, out);
  EXPECT_EQ(Entries(), 1);
  EXPECT_EQ(standalone::SqliteDatabase(db.string())
                .QueryValue("SELECT COUNT(*) FROM TQN_ENTITY WHERE Entity_Name = 'BenchCell'")
                .ToInt32(),
            1);
  hook.call = [] { std::raise(SIGTERM); };
  EXPECT_EXIT(InitDatabase({dir_ / "killed.db", false, 20, false, &progress}, out),
              ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(Entries(), 1);
}

TEST_F(ToolTest, SqlReadsUnlessToldToWriteAndRunsOneStatementOnly) {
  std::ostringstream out;
  standalone::StandaloneConfig config;
  config.db = (dir_ / "dict.db").string();
  InitDatabase({config.db, true, 0, false}, out);
  EXPECT_THAT(CommandOutput([&](auto&) { RunSql(config, "UPDATE PM_User SET Full_Name = 'x'", false, out); }),
              HasSubstr("add --write"));
  for (const char* statement :
       {"SELECT 1; DROP TABLE PM_User", "SELECT 1; garbage", "UPDATE PM_User SET Id = 1;;x"}) {
    EXPECT_THAT(CommandOutput([&](auto& o) { RunSql(config, statement, true, o); }), HasSubstr("Only one statement"));
  }
  std::ostringstream done;
  RunSql(config, "UPDATE PM_User SET Full_Name = 'x' ; -- all of them\n", true, done);
  EXPECT_EQ(done.str(), "Done: 4 rows changed.\n");
}

TEST_F(ToolTest, DamagedDictionariesAreReportedWithWhatWasBeingRead) {
  std::ostringstream created;
  InitDatabase({dir_ / "sample.db", true, 0, false}, created);
  // The damage done to a copy of the sample, the commands run on it, and part of what they print.
  const std::tuple<const char*, std::function<void(std::ostream& out, std::ostream& err)>, const char*> cases[] = {
      {"UPDATE TQD_Data_Source SET DataSource_APP_CTX = 'abc'", [](auto& out, auto&) { ShowTemplates(out); },
       "|Error 13 (Variant): Type mismatch\n  while reading: SELECT DataSource_Id, DataSource_Name, "
       "DataSource_APP_CTX FROM TQD_Data_Source WHERE DataSource_Name IN ( 'Client','Traffic' )\n"
       "  last column read: DataSource_APP_CTX"},
      {"UPDATE tqn_entity_context SET Parent_Entity_Id = 16 WHERE Entity_Id = 10",
       [](auto& out, auto& err) { ShowCategories("Traffic", out, err); },
       "out:|err:ridirodev: 7 of 7 entities of Traffic are not in the tree:\n  NetworkSystem  [10]: its "
       "parents loop back to it: NetworkSystem > PagingArea > MobileSwitch > NetworkSystem\n"},
      {"UPDATE tqn_entity_context SET Parent_Entity_Id = 99 WHERE Entity_Id = 13",
       [](auto& out, auto& err) { ShowCategories("Traffic", out, err); },
       "  SectorCarrier  [14]: the parent of its ancestor CellSector (entity 99) is not in the hierarchy\n"},
      {"DROP TABLE tqd_Dict_Field", [](auto& out, auto&) { ShowInfo(out); },
       "ExpressionNameLength         not measured"},
      {"", [](auto& out, auto&) { ShowInfo(out); }, "out:|err:|Error 75 (SettingsStore): Cannot read"},
  };
  for (const auto& [damage, run, expected] : cases) {
    fs::copy_file(dir_ / "sample.db", dir_ / "damaged.db", fs::copy_options::overwrite_existing);
    if (*damage) standalone::SqliteDatabase((dir_ / "damaged.db").string()).Execute(damage);
    standalone::StandaloneConfig config;
    config.db = (dir_ / "damaged.db").string();
    config.logFile = (dir_ / "log.txt").string();
    config.settingsFile = *damage ? "" : dir_.string();  // a folder cannot be read as the settings file
    auto host = std::make_shared<standalone::StandaloneHost>(config);
    std::ostringstream out, err;
    std::string report;
    try {
      MRidirodevScope scope(host);
      run(out, err);
    } catch (const AutomationError& e) {
      report = ErrorReport(e, host->OpenedSqlite().get());
    }
    EXPECT_THAT("out:" + out.str() + "|err:" + err.str() + "|" + report, HasSubstr(expected)) << damage;
  }
  standalone::StandaloneConfig config;
  config.logFile = (dir_ / "gone" / "log.txt").string();
  EXPECT_THAT(CommandOutput([&](auto& err) { WarnAboutConfig(config, err); }), HasSubstr("log.txt does not exist"));
}

TEST_F(ToolTest, InfoTemplatesHierarchyAndFilteredFieldsOfTheSample) {
  std::ostringstream created, info;
  InitDatabase({dir_ / "sample.db", true, 0, false}, created);
  standalone::StandaloneConfig config;
  config.db = (dir_ / "sample.db").string();
  config.logFile = (dir_ / "log.txt").string();
  config.features = {"UDR_Group"};
  MRidirodevScope scope(std::make_shared<standalone::StandaloneHost>(config));
  ShowInfo(info);
  // The feature brings its template, UDR.
  EXPECT_THAT(info.str(), AllOf(HasSubstr("StyleFieldsAvailable         yes"), HasSubstr("UDR "),
                                HasSubstr("ExpressionLength             2000"), HasSubstr("ValueList: G,C,U,E,L"),
                                HasSubstr("SUMAVG")));
  // Every limit of the sample can be measured: start-up logged nothing.
  EXPECT_FALSE(fs::exists(dir_ / "log.txt") && fs::file_size(dir_ / "log.txt") > 0);

  EXPECT_THAT(CommandOutput(ShowTemplates), HasSubstr("Traffic  2"));

  // Children indented under their parents; entities that cannot be reported on are marked.
  EXPECT_THAT(CommandOutput([](auto& out) { ShowCategories("traffic", out, out); }),
              AllOf(HasSubstr("NetworkSystem  [10]\n  MobileSwitch (MSC)  [11]\n    CellSite (Site)  [12]\n"),
                    HasSubstr("PagingArea  [16, not reportable]")));

  FieldQuery query;
  query.entity = "site";  // the context label, without regard to case, as are type and owner
  query.type = "udc";
  query.owner = "RFENG";
  query.search = "*Drop*";
  query.columns = {"name", "OWNER", "element", "udc_source"};
  std::ostringstream fields;
  EXPECT_EQ(ShowFields(query, fields), 3);
  EXPECT_THAT(fields.str(), AllOf(HasSubstr("Name                Owner  Element Aggregator  UDC_Source\n"),
                                  HasSubstr("Drop_Rate           rfeng  Average             100 * Dropped_Calls"),
                                  HasSubstr("(3 fields of CellSite (Site))")));

  query = FieldQuery();
  query.entity = "cell";
  query.tech = "lte";
  std::ostringstream lte;
  EXPECT_GT(ShowFields(query, lte), 0);
  EXPECT_THAT(lte.str(), AllOf(HasSubstr("LTE_ERAB_Drop_Rate"), Not(HasSubstr("DO_Drop_Rate"))));
  for (auto [filter, known] :
       {std::pair{&FieldQuery::tech, "known: GSM (G), CDMA (C), UMTS (U), EV-DO (E), LTE (L)."},
        {&FieldQuery::type, "known: Peg, Duration, Gauge, UDC, EXT, Common, Avail."},
        {&FieldQuery::owner, "owners of these fields: admin, noc, planner."}}) {
    FieldQuery bad;
    bad.entity = "MSC";
    bad.*filter = "Z";
    EXPECT_THAT(CommandOutput([&](auto&) { ShowFields(bad, fields); }), HasSubstr("'Z'; " + std::string(known)));
  }
  query.columns = {"name", "bogus"};
  EXPECT_THAT(CommandOutput([&](auto&) { ShowFields(query, fields); }),
              HasSubstr("Unknown column 'bogus'; known: Name, Entity, Tech Type, Field Type, Heading_1,"));
  query.columns.clear();
  query.entity = "Nowhere";
  EXPECT_EQ(ErrorOf([&] { ShowFields(query, fields); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { ShowCategories("Nope", fields, fields); }), ErrorNumber::kInvalidArgument);
}

}  // namespace
}  // namespace ridirodev::tool
