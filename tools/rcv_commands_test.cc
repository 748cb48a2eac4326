#include "tools/rcv_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ridirodev/model/m_ridirodev.h"
#include "tools/command_test_support.h"

namespace ridirodev::tool {
namespace {

// On the sample, which maps its forms to entities.
TEST(RcvCommandsTest, FormsAndFields) {
  MRidirodevScope scope(SampleHost());
  EXPECT_EQ(CommandOutput([](std::ostream& out) { ShowRcvForms("", out); }),
            "Form       Entity                   Fields\n"
            "---------  -----------------------  ------\n"
            "cell2      CellSite                 2\n"
            "ceqface3g  CellEqFace3GCDMACarrier  4\n"
            "sector3g   CellSector               2\n"
            "swparms    MobileSwitch             1\n");
  EXPECT_THAT(CommandOutput([](std::ostream& out) { ShowRcvForms("SWPARMS", out); }),
              ::testing::ContainsRegex("page_retry +[0-9]+ +MobileSwitch +11\n$"));
  EXPECT_EQ(CommandOutput([](std::ostream& out) { ShowRcvForms("nope", out); }),
            "error: Unknown RCV form 'nope'; the forms are: cell2, ceqface3g, sector3g, swparms.");
}

}  // namespace
}  // namespace ridirodev::tool
