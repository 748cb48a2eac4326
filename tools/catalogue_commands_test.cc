#include "tools/catalogue_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "testing/temp_dir.h"
#include "tools/command_support.h"
#include "tools/command_test_support.h"

namespace ridirodev::tool {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;

std::string Invoked(const std::string& expression, const std::string& each = "") {
  return CommandOutput([&](std::ostream& out) { RunInvoke(expression, each, out); });
}

TEST(CatalogueCommandsTest, ClassesCountsMembersAndEnumerations) {
  const std::string all = CommandOutput([](auto& out) { PrintCatalogue("", false, out); });
  EXPECT_THAT(all,
              HasSubstr("55 classes, 61 dispatch interfaces, 9 enumerations (Ridirodev 396.0, locale 1033)"));
  EXPECT_THAT(all, ContainsRegex("\nCBusyHours +creatable +ILVItemCollection +__CBusyHours +[0-9]+ *\n"));
  EXPECT_THAT(all, ContainsRegex("\nCFieldUpdates +not creatable +__CFieldUpdates"));
  const std::string busyHours =
      CommandOutput([](auto& out) { PrintCatalogue("ridirodev.cbusyhours", false, out); });
  EXPECT_THAT(busyHours, HasSubstr("  function Item(v As Variant) As CBusyHour {default}\n"));
  EXPECT_THAT(busyHours,
              HasSubstr("\nevents __CBusyHours\n  event StateChange(bhsChange As EBusyHoursChange, "
                        "ByRef bh As CBusyHour)\n"));
  EXPECT_THAT(CommandOutput([](auto& out) { PrintCatalogue("", true, out); }),
              HasSubstr("enum EAction\n  eUpdate = 1\n  eAdded = 2\n"));
  EXPECT_EQ(CommandOutput([](auto& out) { PrintCatalogue("CNothing", false, out); }),
            "error: There is no class named 'CNothing'; 'ridirodev catalogue' lists them.");
}

// Chains answer what the same C++ calls give.
TEST(CatalogueCommandsTest, InvokedChainsGiveTheCppValues) {
  MRidirodevScope scope(SampleHost());
  StartComponent();
  const auto traffic = GRidirodev::AppGroupTemplate("Traffic");
  const auto cell = GRidirodev::LookupCategoryByName("Traffic", "CellSite");
  ASSERT_NE(cell, nullptr);
  const std::pair<std::string, std::string> chains[] = {
      {"GRidirodev.AppGroupTemplate(\"Traffic\").Fields(12).Count",
       std::to_string(traffic->Fields(12)->Count())},
      {"GRidirodev.TrafficCategories.Count", std::to_string(GRidirodev::TrafficCategories()->Count())},
      {"GRidirodev.LookupCategoryByName(\"Traffic\", \"CellSite\").BusyHours.Count",
       std::to_string(cell->BusyHours()->Count())},
      {"GRidirodev.FilterDefinitions.Count", std::to_string(GRidirodev::FilterDefinitions()->Count())},
      {"GRidirodev.DataFiles(20)(1).FileType", GRidirodev::DataFiles(20)->Item(Variant(1))->FileType()},
      {"GRidirodev.AppGroupTemplate(\"Traffic\").Fields(12)(\"Drop_Rate\").CalcSource",
       traffic->Fields(12)->Item(Variant("Drop_Rate"))->CalcSource()},
      {"GRidirodev.AppGroupTemplate(\"Traffic\").Fields(12)(\"Drop_Rate\").IsExpression", "True"},
      {"GRidirodev.AppGroupTemplate(\"traffic\")", "CAppGroupTemplate"},
      {"CreateObject(\"Ridirodev.CFieldTechTypes\").Count", "0"},
  };
  for (const auto& [chain, expected] : chains) EXPECT_EQ(Invoked(chain), expected + "\n") << chain;

  const auto techs = GRidirodev::ValidTechTypes();
  std::string listed = "CFieldTechTypes: " + std::to_string(techs->Count()) + " items\n";
  for (const auto& t : *techs) listed += t->Name() + "\n";
  EXPECT_EQ(Invoked("GRidirodev.ValidTechTypes", "Name"), listed);
  EXPECT_THAT(Invoked("GRidirodev.ValidTechTypes"), HasSubstr(" items\n"));

  const std::pair<std::string, std::string> errors[] = {
      {"GRidirodev.NoSuchThing",
       "error: Object doesn't support this property or method: GRidirodev.NoSuchThing"},
      {"GRidirodev.AppGroupTemplate", "error: Wrong number of arguments or invalid property assignment"},
      {"GRidirodev.AppGroupTemplate(\"Traffic\").Fields(\"x\")", "error: Type mismatch"},
      {"CreateObject(\"CFieldUpdates\")", "error: ActiveX component can't create object: CFieldUpdates"},
      {"GRidirodev.ExpressionLength.Count", "error: Object required: Count"},
      {"CField.Name", "error: An expression starts with a global object"},
      {"GRidirodev.AppGroupTemplate(\"Traffic",
       "error: The expression cannot be read: a text has no closing quote."},
      {"GRidirodev..Count", "error: The expression cannot be read: expected a name"},
  };
  for (const auto& [chain, expected] : errors) EXPECT_THAT(Invoked(chain), HasSubstr(expected)) << chain;
}

TEST(CatalogueCommandsTest, ToolLinesRunTheCommands) {
  EXPECT_THAT(ToolOutput({"catalogue", "CUDCRef"}), HasSubstr("  set Parent As CField\n"));
  const testing::TempDir dir;
  const std::string db = (dir / "d.db").string();
  ToolOutput({"init", "--db", db, "--sample"});
  EXPECT_THAT(ToolOutput({"invoke", "--db", db, "GRidirodev.AppGroupTemplate(\"Traffic\").Fields(13)",
                          "--each", "IsExpression"}),
              ContainsRegex("^CFields: [0-9]+ items\n(True\n|False\n)+$"));
}

}  // namespace
}  // namespace ridirodev::tool
