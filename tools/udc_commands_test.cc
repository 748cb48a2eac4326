#include "tools/udc_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <iostream>

#include "tools/command_test_support.h"

namespace ridirodev::tool {
namespace {

using testing::Exec;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::StartsWith;

// The sample dictionary in memory; the host's message boxes (standard error) are captured and answered Yes.
class UdcCommandsTest : public testing::SampleHostTest {
 protected:
  // What a command printed and what the host showed, or the error it raised.
  std::string Run(const std::function<void(std::ostream&)>& command) {
    boxes_.Clear();
    const std::string output = CommandOutput(command);
    return output.starts_with("error: ") ? output : output + "|boxes:" + boxes_.Text();
  }
  const FieldScope cell_{"Traffic", "Cell"};
};

// The same on each engine, the sample made by init.
class UdcEnginesTest : public ToolOnEngineTest {
 protected:
  std::string Run(const std::function<void(std::ostream&)>& command) {
    boxes_.Clear();
    const std::string output = CommandOutput(command);
    return output.starts_with("error: ") ? output : output + "|boxes:" + boxes_.Text();
  }
};
RIDIRODEV_ON_EVERY_ENGINE(UdcEnginesTest);

struct Step {
  std::function<void(std::ostream&)> run;
  std::string expected;  // a regular expression over the whole output
};

TEST_P(UdcEnginesTest, CalculationAndCommonFieldLifeThroughTheCommands) {
  const FieldScope cell{"Traffic", "Cell"};
  FieldValues add;
  add.source = "100 * Block_Rate / 2";
  add.heading1 = "Retry";
  add.tech = "G,cdma";
  FieldValues broken;
  broken.source = "Nothing_Here * 2";
  broken.description = "Retries";
  FieldValues note;
  note.heading1 = "Site";
  note.owner = "noc";
  const Step steps[] = {
      {[&](auto& out) { AddCalculation("Traffic", "Site", "Retry_Share", add, out); },
       "Added calculation Retry_Share at CellSite \\(id [0-9]+\\)\\.\nTranslated by the server \\(status "
       "T\\)\\.\n\\|boxes:"},
      {[&](auto& out) { RenameCalculation(cell, "retry_share", "Retry_Pct", out); },
       "Renamed calculation Retry_Share at CellSite \\(id [0-9]+\\) to Retry_Pct\\.\nTranslated by the "
       "server \\(status T\\)\\.\n.*"},
      // Options not given keep their values: the heading and technologies stay.
      {[&](auto& out) { UpdateCalculation(cell, "Retry_Pct", broken, out); },
       "Updated calculation Retry_Pct at CellSite.*Nothing_Here.*Check the User-Defined Calculation and save "
       "again.*"},
      {[&](auto& out) { ShowCalculationStatus({}, "Retry_Pct", out); },
       "Field: +Retry_Pct at CellSite.*\nStatus: +S\nMessage: .*Nothing_Here.*"},
      {[&](auto& out) { StyleCalculation({}, "Retry_Pct", {1, 255, false}, out); },
       "Style of Retry_Pct at CellSite \\(id [0-9]+\\): font style 1, color 255\\.\n.*"},
      {[&](auto& out) { ShowCalculationReferences(cell, {"Retry_Pct"}, out); },
       "Calculations that use them:\n  none\n.*\n1 +Retry_Pct +CellSite.*Reports and templates that use "
       "them:\n  none\n.*"},
      {[&](auto& out) { DeleteCalculations(cell, {"Retry_Pct"}, out); },
       ".*Retry_Pct +CellSite +[0-9]+ +deleted\n.*"},
      {[&](auto& out) { AddCommonField("Traffic", "Cell", "Site_Note", note, out); },
       "Added common field Site_Note at CellSite \\(id [0-9]+\\)\\.\n.*"},
      {[&](auto& out) { UpdateCommonField(cell, "Site_Note", broken, out); },
       "error: A common field has no --source, --complex or --weight\\."},
      {[&](auto& out) { DeleteCommonFields({}, {"site_note"}, out); },
       ".*Site_Note +CellSite +[0-9]+ +deleted\n\\|boxes:\\[Delete Field: Site_Note\\].*Yes/No -> Yes\n"},
  };
  for (const auto& [run, expected] : steps) {
    const std::string output = Run(run);
    EXPECT_THAT(output, MatchesRegex(expected)) << output;
    // A failed translation is shown once, by the host's message box.
    EXPECT_LE(testing::Occurrences(output, "Nothing_Here"), 1u) << output;
  }
  const std::string kept = Run([&](auto& out) { ShowCalculationStatus(cell, "Retry_Pct", out); });
  EXPECT_THAT(kept, HasSubstr("There is no calculation named 'Retry_Pct' at Cell."));
}

// Every refusal comes before anything is written. Names, widths and values are checked only
// when given: the sample keeps a digits-only name, as older clients could store one.
TEST_F(UdcCommandsTest, RefusedCommandLinesWriteNothing) {
  sqlite3* db = Db();
  Exec(Dictionary(), "UPDATE tqd_Dict_Name SET Name = '1224' WHERE Name = 'HO_Failure_Rate'");
  const std::string cell[] = {"--entity", "Cell"};
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"udc", "status", "Drop_Rate"},
       "The name 'Drop_Rate' is used at CellSite, CellSector; choose one with --entity."},
      {{"udc", "delete", "Nowhere_Rate"}, "There is no field named 'Nowhere_Rate' in Traffic."},
      {{"udc", "rename", "Call_Attempts", "X", cell[0], cell[1]}, "is a Peg field, not a calculation."},
      {{"udc", "rename", "Drop_Rate", "block_rate", cell[0], cell[1]},
       "There is already a field named Block_Rate at"},
      {{"udc", "update", "Drop_Rate", "--entity", "Sector", "--aggregator", "MEDIAN"},
       "Unknown aggregator 'MEDIAN'"},
      {{"udc", "owner", "Drop_Rate", cell[0], cell[1], "--to", "nobody"}, "There is no user named 'nobody'."},
      {{"common", "add", "Client", "Cell", "X"}, "Common fields belong to Traffic, not to Client."},
      {{"udc", "add", "Traffic", "Cell", std::string(10000, 'A'), "--source", "1"},
       "The name is 10000 characters long; the dictionary keeps 30."},
      {{"udc", "add", "Traffic", "Cell", "Retry", "--source", std::string(2001, '1')},
       "--source is 2001 characters"},
      {{"udc", "update", "Drop_Rate", cell[0], cell[1], "--heading2", std::string(5000, 'h')},
       "--heading2 is 5000"},
      {{"udc", "update", "Drop_Rate", cell[0], cell[1], "--complex", std::string(5000, 'c')},
       "--complex is 5000"},
      {{"udc", "update", "Drop_Rate", cell[0], cell[1], "--type", "FF"}, "Unknown data type 'FF'; known: I"},
      {{"common", "add", "Traffic", "Cell", "Site_Note", "--type", "Z"}, "Unknown data type 'Z'"},
      {{"udc", "update", "Drop_Rate", cell[0], cell[1], "--tech", "64"},
       "--tech 64 has bits of no technology (64)"},
      {{"udc", "style", "Drop_Rate", cell[0], cell[1], "--font-style", "-1"}, "--font-style is from 0 to 7"},
      {{"udc", "style", "Drop_Rate", cell[0], cell[1], "--color", "16777216"},
       "--color is from 0 to 16777215"},
      {{"udc", "add", "Traffic", "Cell", "Retry Share", "--source", "1"}, "'Retry Share' has blanks"},
      {{"common", "add", "Traffic", "Cell", "9_Note"}, "'9_Note' starts with a digit"},
      {{"udc", "rename", "Drop_Rate", "Between", cell[0], cell[1]}, "is a word of the calculation language"},
      {{"udc", "add", "Traffic", "Cell", "2024", "--source", "1"}, "'2024' is digits only"},
      {{"udc", "add", "Traffic", "Cell", "Red\x1B[31m", "--source", "1"},
       "holds a control character (\\x1B)."},
      {{"udc", "update", "Drop_Rate", cell[0], cell[1], "--description", "a\xC2\x9B"},
       "character (\\u009B)."},
      {{"udc", "style", "Drop_Rate", cell[0], cell[1], "--font-style", ""},
       "--font-style was given an empty value"},
      {{"udc", "update", "Drop_Rate", cell[0], cell[1], "--type=", "--heading1", "X"},
       "--type was given an empty"},
      {{"udc", "delete", "1224"},
       "'1224' is both the id of Legacy_Retry_Rate at CellSite (id 1224) and the name of 1224 at CellSite "
       "(id "},
      {{"udc", "status", "Drop_Rate", "--id"}, "'Drop_Rate' is not an id (--id)."},
  };
  for (const auto& [args, expected] : cases) {
    const int64_t before = sqlite3_total_changes64(db);
    EXPECT_THAT(CommandLineOutput(args), AllOf(StartsWith("error: "), HasSubstr(expected)));
    EXPECT_EQ(sqlite3_total_changes64(db), before) << args[1] << " " << expected;
  }
  EXPECT_THAT(CommandLineOutput({"udc", "delete", "1224", "--name"}),
              MatchesRegex("(.|\n)*\n1224 +CellSite +[0-9]+ +deleted\n"));
  EXPECT_THAT(Run([](auto& out) { ShowCalculationStatus({}, "1224", out); }), HasSubstr("Legacy_Retry_Rate"));
}

TEST_F(UdcCommandsTest, ReferencesAndDeleteKeepWhatAnotherCalculationUsesAndSayWhy) {
  const std::string refs = Run([&](auto& out) { ShowCalculationReferences(cell_, {"Drop_Rate"}, out); });
  EXPECT_THAT(refs, AllOf(MatchesRegex("(.|\n)*Call_Success_Rate +CellSite +[0-9]+ +Drop_Rate\n(.|\n)*"),
                          HasSubstr("Order in which they can be deleted:\n  none\n"),
                          HasSubstr("Cannot be deleted while used: Drop_Rate (CellSite)."),
                          HasSubstr("\nReport    1   Daily Cell Drop Report\n")));

  const std::string deleted = Run([&](auto& out) {
    DeleteCalculations(cell_, {"Drop_Rate", "Site_Heat_Alarm", "Call_Attempts"}, out);
  });
  EXPECT_THAT(deleted, AllOf(HasSubstr("kept: used by Call_Success_Rate (CellSite)"),
                             MatchesRegex("(.|\n)*Site_Heat_Alarm +CellSite +[0-9]+ +deleted\n(.|\n)*"),
                             HasSubstr("kept: not a calculation")));
  EXPECT_THAT(Run([&](auto& out) { ShowCalculationStatus(cell_, "Site_Heat_Alarm", out); }),
              HasSubstr("There is no calculation named"));
  EXPECT_THAT(Run([&](auto& out) { ShowCalculationStatus(cell_, "Drop_Rate", out); }),
              Not(HasSubstr("error")));
}

TEST_F(UdcCommandsTest, WhatBusyHoursAndDocumentsUseIsKeptOrAskedAboutAndLoopsStayDeletable) {
  FieldValues source, blank;
  blank.source = "  ";
  for (const char* name : {"Site_Note", "Site_Owner"}) AddCommonField("Traffic", "Cell", name, {}, std::cerr);
  Exec(Dictionary(), "INSERT INTO PM_TemplateField (TemplateId, Field_Seq, Field_Id) SELECT 10, 3, Field_Id FROM "
             "tqd_Dict_Name WHERE Name = 'Site_Owner'");
  // As another client would define it: the tool offers no common field to a busy hour.
  Exec(Dictionary(),
       "INSERT INTO PM_BusyHour (Id, UserId, Name, Changed, Cluster_Entity_Id, Field_Id, FirstNeeded, "
       "Span, MinRank, MaxRank, DTPeriod) SELECT 40, 1, 'Note BH', '2026-02-06', 12, Field_Id, "
       "'2026-02-06', 'D', 1, 1, 24 FROM tqd_Dict_Name WHERE Name = 'Site_Note'");
  const Step steps[] = {
      {[&](auto& out) { ShowCalculationReferences(cell_, {"Traffic_Erlangs"}, out); },
       "(.|\n)*Busy hours that use them:\n.*\nCell Erlang BH +CellSite +4 +Traffic_Erlangs\n(.|\n)*"},
      // A busy hour keeps its field; what used the field can go.
      {[&](auto& out) { DeleteCalculations(cell_, {"Traffic_Erlangs", "BH_Traffic_Erlangs"}, out); },
       "(.|\n)*Traffic_Erlangs +CellSite +[0-9]+ +kept: used by busy hour Cell Erlang BH \\(id 4\\)\n"
       "BH_Traffic_Erlangs +CellSite +[0-9]+ +deleted\nerror: 1 of the 2 fields named were not "
       "deleted\\.(.|\n)*"},
      // The host is asked before a delete of what reports and templates use.
      {[&](auto& out) { DeleteCommonFields({}, {"Site_Note", "Site_Owner"}, out); },
       "Reports and templates that use the common fields:\n.*\n.*\nTemplate +10 +Cell Drop Template\n(.|\n)*"
       "Site_Note +CellSite +[0-9]+ +kept: used by busy hour Note BH \\(id 40\\)\n"
       "Site_Owner +CellSite +[0-9]+ +deleted\nerror: 1 of the 2 fields named were not deleted\\.\\|boxes:"
       "\\[Delete common fields\\](.|\n)*"},
      {[&](auto& out) { DeleteCalculations({"Traffic", "Sector"}, {"Sector_MOU_Share"}, out); },
       "Reports and templates that use the calculations:\n.*\n.*\nReport +4 +Sector Quick View\n"
       "(.|\n)*deleted\n\\|boxes:\\[Delete calculations\\]\n.*\n.*anyway\\?\n  Yes/No -> Yes\n"},
      {[&](auto& out) {
         source.source = "Drop_Rate";
         AddCalculation("Traffic", "Cell", "Cyc_A", source, out);
         source.source = "Cyc_A + 1";
         AddCalculation("Traffic", "Cell", "Cyc_B", source, out);
         source.source = "Cyc_B + 1";
         UpdateCalculation(cell_, "Cyc_A", source, out);
       },
       "(.|\n)*uses itself through other calculations(.|\n)*"},
      {[&](auto& out) { DeleteCalculations(cell_, {"Cyc_A", "Cyc_B"}, out); },
       "(.|\n)*Cyc_A +CellSite +[0-9]+ +deleted\nCyc_B +CellSite +[0-9]+ +deleted\n\\|boxes:(.|\n)*"},
      {[&](auto& out) { UpdateCalculation(cell_, "Call_Success_Rate", blank, out); },
       "error: A calculation needs its text \\(--source\\)\\."},
  };
  for (const auto& [run, expected] : steps) {
    const std::string output = Run(run);
    EXPECT_THAT(output, MatchesRegex(expected)) << output;
  }

  // Answered No, nothing that a document uses is deleted, and the command fails.
  Start("no");
  EXPECT_THAT(Run([&](auto& out) { DeleteCalculations({"Traffic", "Sector"}, {"Sector_MOU_Share"}, out); }),
              MatchesRegex("(.|\n)*Sector_MOU_Share +CellSector +[0-9]+ +kept: not confirmed \\(reports or "
                           "templates use the calculations\\)\nerror: (.|\n)*"));
}

}  // namespace
}  // namespace ridirodev::tool
