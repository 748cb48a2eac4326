#include "tools/user_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/command_test_support.h"

namespace ridirodev::tool {
namespace {

using ::testing::AllOf;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

using UsersTest = ToolOnEngineTest;
RIDIRODEV_ON_EVERY_ENGINE(UsersTest);

// Someone the dictionary does not know changes nothing; once added they own what they make,
// and cannot be removed while they do.
TEST_P(UsersTest, WritesNeedAKnownUserWhoOwnsWhatTheyMake) {
  const std::string unknown = "You are working as 'nobody', who is not a user of this dictionary; nothing";
  const std::vector<std::string> db = {"--db", db_};
  const auto with = [&](std::vector<std::string> args) {
    args.insert(args.end(), db.begin(), db.end());
    return args;
  };
  const struct {
    std::string user;
    std::vector<std::string> args;
    std::string expected;  // a regular expression found in the output
  } steps[] = {
      {"nobody", with({"udc", "add", "Traffic", "Cell", "Retry", "--source", "1"}), unknown},
      {"nobody", with({"common", "add", "Traffic", "Cell", "Note"}), unknown},
      {"nobody", with({"udc", "delete", "Drop_Rate", "--entity", "Cell", "--yes"}), unknown},
      {"nobody", with({"udc", "owner", "Drop_Rate", "--entity", "Cell", "--to", "noc"}), unknown},
      {"nobody", with({"busyhours", "add", "Cell", "Night BH", "--field", "Dropped_Calls", "--hours", "1"}),
       unknown},
      {"nobody", with({"busyhours", "delete", "1", "--yes"}), unknown},
      {"nobody", with({"users", "list"}), "admin .*\n(.|\n)*working as 'nobody', who is not a user"},
      {"admin", with({"users", "add", "nobody", "--full-name", "No Body"}),
       "^Added user nobody \\(id [0-9]+\\)"},
      {"admin", with({"users", "add", " NOBODY "}), "There is already a user named 'NOBODY'"},
      {"nobody", with({"udc", "add", "Traffic", "Cell", "Retry", "--source", "1"}),
       "^Added calculation Retry"},
      {"nobody", with({"busyhours", "add", "Cell", "Night BH", "--field", "Dropped_Calls", "--hours", "1"}),
       "^Added busy hour Night BH"},
      {"admin", with({"fields", "Traffic", "Cell", "--owner", "nobody", "--columns", "name"}), "Retry"},
      {"admin", with({"users", "remove", "nobody"}),
       "still owns definitions(.|\n)*fields \\(1\\): Retry\n  busy hours and summations \\(1\\): Night BH"},
      {"admin", with({"udc", "delete", "Retry", "--entity", "Cell", "--yes"}), "Retry .* deleted"},
      {"admin", with({"busyhours", "owner", "Night BH", "--to", "noc"}), "now owned by noc"},
      {"admin", with({"users", "remove", "nobody"}), "^Removed user nobody\\.\n$"},
      {"admin", with({"users", "remove", "nobody"}), "There is no user named 'nobody'"},
      {"admin", with({"fields", "Traffic", "Cell", "--columns", "name"}), "Drop_Rate"},
  };
  for (const auto& step : steps) {
    EXPECT_THAT(ToolOutput(step.args, step.user), ContainsRegex(step.expected))
        << step.user << ": " << step.args[0] << " " << step.args[1];
  }
}

// init, info, fields and sql on a server's database, as a person points the tool at it.
TEST(ServerCommandsTest, InitInfoFieldsAndSqlOnAServer) {
  RIDIRODEV_NEEDS_PG_SERVER();
  const testing::ScratchDatabase scratch;
  const std::string db = scratch.Address();
  EXPECT_THAT(ToolOutput({"init", "--db", db, "--sample"}), HasSubstr("Created the sample dictionary in "));
  EXPECT_THAT(ToolOutput({"users", "add", "temp", "--db", db}), HasSubstr("Added user temp"));
  EXPECT_THAT(ToolOutput({"init", "--db", db}), HasSubstr("already holds a dictionary (use --force"));
  // A replacement that fails after the old dictionary was dropped keeps the old one.
  scratch.Run(
      "CREATE FUNCTION refuse_styles() RETURNS event_trigger LANGUAGE plpgsql AS $$ BEGIN IF EXISTS (SELECT 1 "
      "FROM pg_event_trigger_ddl_commands() WHERE object_identity LIKE '%tqd_field_style') THEN RAISE "
      "EXCEPTION 'planted failure'; END IF; END $$; CREATE EVENT TRIGGER refuse_styles ON ddl_command_end "
      "EXECUTE FUNCTION refuse_styles()");
  EXPECT_THAT(ToolOutput({"init", "--db", db, "--force", "--sample"}), HasSubstr("planted failure"));
  scratch.Run("DROP EVENT TRIGGER refuse_styles");
  EXPECT_THAT(ToolOutput({"users", "list", "--db", db}), HasSubstr("temp"));
  EXPECT_THAT(ToolOutput({"init", "--db", db, "--force"}), HasSubstr("Created an empty dictionary"));
  EXPECT_THAT(ToolOutput({"users", "list", "--db", db}), Not(HasSubstr("temp")));
  EXPECT_THAT(ToolOutput({"init", "--db", db, "--force", "--sample"}), HasSubstr("Created the sample"));
  EXPECT_THAT(
      ToolOutput({"info", "--db", db}),
      AllOf(ContainsRegex("PostgreSQL +[0-9]+\\.[0-9]+ +.*dbname=" + scratch.Name()), HasSubstr("AppName")));
  EXPECT_THAT(ToolOutput({"fields", "Traffic", "Cell", "--db", db}), HasSubstr("Drop_Rate"));
  EXPECT_THAT(ToolOutput({"sql", "--db", db, "UPDATE PM_User SET Full_Name = 'X' WHERE Name = 'noc'"}),
              HasSubstr("add --write to change it"));
  EXPECT_THAT(ToolOutput({"sql", "--db", db, "--write", "UPDATE PM_User SET Full_Name = 'X' WHERE Id > 1"}),
              ContainsRegex("^Done: [2-9] rows changed\\.\n$"));
  EXPECT_THAT(
      ToolOutput({"sql", "--db", db, "SELECT Name FROM PM_User WHERE Full_Name = 'X' AND Name = 'noc'"}),
      HasSubstr("(1 row)"));

  // A database of other tables with the dictionary's names is no dictionary to replace.
  const testing::ScratchDatabase other;
  other.Run("CREATE TABLE pm_user (id integer)");
  for (const char* force : {"--sample", "--force"}) {
    EXPECT_THAT(
        ToolOutput({"init", "--db", other.Address(), force}),
        HasSubstr("holds no dictionary but has objects of the names it uses (table PM_User); nothing"));
  }
  testing::RunOn(other.Address(), "SELECT id FROM pm_user");
  EXPECT_THROW(testing::RunOn(other.Address(), "SELECT 1 FROM ridirodev_meta"), std::runtime_error);
}

}  // namespace
}  // namespace ridirodev::tool
