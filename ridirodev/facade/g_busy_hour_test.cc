#include "ridirodev/facade/g_busy_hour.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/busyhour_persistence.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using Lines = std::vector<std::string>;
using testing::ScriptedRows;

using GBusyHourTest = testing::SampleDictionaryTest;

TEST_F(GBusyHourTest, ChecksAndRememberedAnswers) {
  db().AddRows(sql::UsedSpansStatement(3), {{"SPAN"}, {{"D"}, {"W"}}});
  EXPECT_EQ(GBusyHour::FindUsedSpans(3), "DW");
  const std::string name =
      "SELECT id FROM pm_busyhour    WHERE cluster_entity_id = 3    AND name = 'Bob''s BH'";
  EXPECT_TRUE(GBusyHour::IsBusyHourNameValid("Bob's BH", 3));
  db().AddRows(name, {{"id"}, {{9}}});
  db().AddRows(name, ScriptedRows::Nothing());
  db().FailOnText("FROM pm_busyhour", AutomationError(3146, "db", "locked"));
  EXPECT_FALSE(GBusyHour::IsBusyHourNameValid("Bob's BH", 3) ||
               GBusyHour::IsBusyHourNameValid("Bob's BH", 3) ||
               GBusyHour::IsBusyHourNameValid("Bob's BH", 3));  // failed, taken, no answer
  db().FailOnText("tq_system_values_v", AutomationError(942, "db", "no view"));
  EXPECT_FALSE(GBusyHour::IsDWMBusyHoursSupported());
  db().AddRows("SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'",
               {{"VALUE"}, {{"1"}}});
  EXPECT_TRUE(GBusyHour::IsDWMBusyHoursSupported());
  EXPECT_FALSE(GBusyHour::IsXBusyHoursSupported());
  db().AddTable("PM_BusyHour", {"Daily_Retention"});
  db().AddRows("SELECT frequency_id, description, tag FROM tq_frequency ORDER BY frequency_id",
               {{"FREQUENCY_ID", "DESCRIPTION", "TAG"}, {{1, "Hourly", "H"}, {2, "Daily", "D"}}});
  EXPECT_EQ(GBusyHour::FrequencyStrings()->Item(Variant("D"))->Item(Variant("frequency_id")).ToInt32(), 2);
  EXPECT_EQ(GBusyHour::FrequencyById(2) + GBusyHour::FrequencyById(0), "Daily");
  EXPECT_EQ(testing::ErrorOf([] { GBusyHour::FrequencyById(3); }), 9);
  // Each answer is asked once; a failure is asked again.
  EXPECT_TRUE(GBusyHour::IsDWMBusyHoursSupported() && !GBusyHour::IsXBusyHoursSupported());
  EXPECT_EQ(host_->Journal().Texts(testing::DbCallKind::kOpen).size(), 8u);
  Lines traces;
  for (const auto& trace : host_->Messages().Traces()) traces.push_back(trace.text);
  EXPECT_EQ(traces, Lines({"IsBusyHourNameValid error: locked", "IsDWMBusyHoursSupported error: no view",
                           "IsDWMBusyHoursSupported True"}));
}

TEST_F(GBusyHourTest, ReferencingReportsStopWhenAsked) {
  auto bhs = std::make_shared<CBusyHours>();
  for (int32_t id : {1, 2}) {
    auto bh = std::make_shared<CBusyHour>();
    bh->SetId(id);
    bhs->Add(bh);
    host_->FolderServices().AddDocument(10 + id, "Report");
    db().AddRows(sql::BusyHourReportsStatement(id), {{"ID"}, {{10 + id}}});
  }
  testing::TestFolderDocuments documents;
  GBusyHour::LoadReferencingReports(bhs, documents);
  host_->FolderServices().stopRequested = true;
  GBusyHour::LoadReferencingReports(bhs, documents);
  EXPECT_EQ(documents.names, Lines({"Report 11", "Report 12", "Report 11"}));
  EXPECT_EQ(db().Journal().Texts(testing::DbCallKind::kOpen).back(),
            "SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id "
            "AND BusyHourId =1");
}

}  // namespace
}  // namespace ridirodev
