#include "tools/datafile_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ridirodev/model/data_files.h"
#include "ridirodev/model/m_ridirodev.h"
#include "tools/command_test_support.h"

namespace ridirodev::tool {
namespace {

CDataFilePtr File(const std::string& type, const std::string& first, const std::string& last) {
  auto file = std::make_shared<CDataFile>();
  file->Initialize(1, 1, type, "Daily", 2, "V", "");
  file->SetFirstAvailable(first);
  file->SetLastAvailable(last);
  return file;
}

TEST(DataFileCommandsTest, BarsShareOneAxisSoThatLateStartsAndEarlyEndsShow) {
  const std::vector<CDataFilePtr> files = {
      File("ALL", "2026-01-01 00:00:00", "2026-01-11 00:00:00"),
      File("LATE", "2026-01-06 00:00:00", "2026-01-11 00:00:00"),
      File("EARLY_END", "2026-01-01 00:00:00", "2026-01-03 12:00:00"),
      File("NONE", "", ""),
  };
  EXPECT_EQ(AvailabilityBars(files, 10),
            "ALL       |##########|\n"
            "LATE      |     #####|\n"
            "EARLY_END |###       |\n"
            "NONE      |          | no data\n"
            "           2026-01-01 2026-01-11\n");
  EXPECT_EQ(AvailabilityBars({File("NONE", "", "")}, 4), "NONE |    | no data\n");
}

TEST(DataFileCommandsTest, SampleFilesWithTheirAvailability) {
  MRidirodevScope scope(SampleHost());
  const std::string all = CommandOutput([](auto& out) { ShowDataFiles("", out); });
  EXPECT_THAT(all,
              ::testing::ContainsRegex(
                  "3 +UMTS_RNC_HOURLY +Hourly +Vendor B +DataAvailability +2025-12-01 00:00:00 +2026-02-20 "
                  "23:00:00\n"));
  EXPECT_THAT(all, ::testing::HasSubstr("(6 data files)\n"));
  EXPECT_THAT(all, ::testing::ContainsRegex("UDR_CALL_RECORDS +\\| +\\| no data\n"));
  EXPECT_EQ(CommandOutput([](auto& out) { ShowDataFiles("20", out); }), all);
  EXPECT_EQ(CommandOutput([](auto& out) { ShowDataFiles("Nowhere", out); }),
            "error: There is no entity 'Nowhere' in Traffic (see 'ridirodev categories Traffic').");
  EXPECT_THAT(CommandOutput([](auto& out) { ShowDataFiles("Cell", out); }),
              ::testing::EndsWith("(no data files)\n"));
}

}  // namespace
}  // namespace ridirodev::tool
