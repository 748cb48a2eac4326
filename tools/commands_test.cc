#include "tools/commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ridirodev/frame/state.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"
#include "testing/errors.h"

namespace ridirodev::tool {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using ::testing::HasSubstr;

class ToolTest : public ::testing::Test {
 protected:
  ToolTest() {
    std::string pattern = (fs::temp_directory_path() / "ridirodev_tool_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  ~ToolTest() override { fs::remove_all(dir_, ec_); }  // best effort
  fs::path dir_;
  std::error_code ec_;
};

TEST(FormatTableTest, AlignsByCharactersNotBytes) {
  EXPECT_EQ(FormatTable({"Name", "N"}, {{"Zürich", "1"}, {"Cell", "22"}}),
            "Name    N\n"
            "------  --\n"
            "Zürich  1\n"
            "Cell    22\n");
}

TEST_F(ToolTest, InitCreatesWithOrWithoutTheSampleAndRefusesToOverwrite) {
  std::ostringstream out;
  const fs::path db = dir_ / "sub" / "dict.db";
  InitDatabase({db, true, 0, false}, out);
  EXPECT_THAT(out.str(), HasSubstr("sample dictionary"));
  EXPECT_FALSE(fs::exists(dir_ / "sub" / "dict.db.new"));

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

  auto bytes = [&] {
    std::ostringstream s;
    s << std::ifstream(db, std::ios::binary).rdbuf();
    return s.str();
  };
  const std::string before = bytes();
  EXPECT_EQ(ErrorOf([&] { InitDatabase({db, false, 0, false}, out); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(bytes(), before);

  // Without the sample: the schema alone, where a query finds no rows.
  InitDatabase({dir_ / "empty.db", false, 0, false}, out);
  standalone::SqliteDatabase empty((dir_ / "empty.db").string());
  std::ostringstream none, done;
  EXPECT_EQ(RunStatement(empty, "SELECT Name FROM PM_User", none), 0);
  EXPECT_EQ(none.str(), "Name\n----\n(0 rows)\n");
  RunStatement(empty, "INSERT INTO PM_User (Id, Name) VALUES (1, 'x')", done);
  EXPECT_EQ(done.str(), "Done.\n");
  EXPECT_EQ(empty.QueryValue("SELECT COUNT(*) FROM PM_User").ToInt32(), 1);
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
  EXPECT_THAT(info.str(), HasSubstr("StyleFieldsAvailable         yes"));
  EXPECT_THAT(info.str(), HasSubstr("ExpressionLength             2000"));
  EXPECT_THAT(info.str(), HasSubstr("UDR "));  // the feature brings its template
  EXPECT_THAT(info.str(), HasSubstr("ValueList: G,C,U,E,L"));
  EXPECT_THAT(info.str(), HasSubstr("SUMAVG"));
  // Every limit of the sample can be measured: start-up logged nothing.
  EXPECT_FALSE(fs::exists(dir_ / "log.txt") && fs::file_size(dir_ / "log.txt") > 0);

  std::ostringstream templates;
  ShowTemplates(templates);
  EXPECT_THAT(templates.str(), HasSubstr("Traffic  2"));

  std::ostringstream tree;
  ShowCategories("traffic", tree);
  // Children indented under their parents; entities that cannot be reported on are marked.
  EXPECT_THAT(tree.str(),
              HasSubstr("NetworkSystem  [10]\n  MobileSwitch (MSC)  [11]\n    CellSite (Site)  [12]\n"));
  EXPECT_THAT(tree.str(), HasSubstr("PagingArea  [16, not reportable]"));

  FieldQuery query;
  query.entity = "cell";  // the label, without regard to case
  query.type = "UDC";
  query.owner = "rfeng";
  query.search = "*Drop*";
  query.columns = {"name", "owner", "source"};
  std::ostringstream fields;
  EXPECT_EQ(ShowFields(query, fields), 3);
  EXPECT_THAT(fields.str(), HasSubstr("name                owner  source\n"));
  EXPECT_THAT(fields.str(), HasSubstr("Drop_Rate           rfeng  100 * Dropped_Calls"));
  EXPECT_THAT(fields.str(), HasSubstr("(3 fields of CellSite (Site))"));

  query.columns = {"name", "bogus"};
  EXPECT_EQ(ErrorOf([&] { ShowFields(query, fields); }), ErrorNumber::kInvalidArgument);
  query.columns.clear();
  query.entity = "Nowhere";
  EXPECT_EQ(ErrorOf([&] { ShowFields(query, fields); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { ShowCategories("Nope", fields); }), ErrorNumber::kInvalidArgument);
}

}  // namespace
}  // namespace ridirodev::tool
