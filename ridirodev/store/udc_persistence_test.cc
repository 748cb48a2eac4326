#include "ridirodev/store/udc_persistence.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ridirodev/host/host_services.h"
#include "testing/test_host.h"

namespace ridirodev::sql {
namespace {

// A host that cannot give the query service fails the save as any other failure does: reported
// once, nothing written.
TEST(UdcPersistenceHostTest, NoQueryServiceIsAReportedFailure) {
  auto host = std::make_shared<testing::TestHost>();
  host->ReturnNothingFrom(testing::HostFactory::kXmlQueryService);
  HostServices services(host);
  const ExtraColumnWrites none = [] { return std::vector<ExtraColumnWrite>(); };
  EXPECT_FALSE(InsertUDC(services, {}, {}, none, [](int32_t) {}));
  EXPECT_FALSE(UpdateUDC(services, {}, {}, none, [] {}));
  EXPECT_FALSE(DeleteUDC(services, 41, true));
  EXPECT_EQ(host->ErrorReports().size(), 3u);
  EXPECT_TRUE(host->Journal().Lines().empty());
}

}  // namespace
}  // namespace ridirodev::sql
