#include "ridirodev/model/m_ridirodev.h"

#include <gtest/gtest.h>

#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using testing::HostFactory;
using testing::TestHost;

TEST(StateTest, HostObjectsAreMadeOnceOnFirstUse) {
  auto host = std::make_shared<TestHost>();
  MRidirodevScope scope(host);
  EXPECT_EQ(host->Requests(HostFactory::kDatabase), 0);
  EXPECT_EQ(&scope.State().Database(), &host->Database());
  EXPECT_EQ(&MRidirodev::Current().Database(), &host->Database());
  EXPECT_EQ(host->Requests(HostFactory::kDatabase), 1);
  EXPECT_EQ(host->Requests(HostFactory::kMessages), 0);
}

TEST(StateTest, HostThatSuppliesNothingIsObjectNotSet) {
  auto host = std::make_shared<TestHost>();
  host->ReturnNothingFrom(HostFactory::kFeatures);
  MRidirodevScope scope(host);
  EXPECT_EQ(testing::ErrorOf([&] { scope.State().Features(); }), ErrorNumber::kObjectNotSet);
  // A later answer is taken: the failed attempt left nothing behind.
  host->ReturnNothingFrom(HostFactory::kFeatures, false);
  EXPECT_EQ(&scope.State().Features(), &host->Features());
}

TEST(StateTest, ScopeInstallsAFreshStateAndRestoresThePreviousOne) {
  auto outerHost = std::make_shared<TestHost>();
  MRidirodevScope outer(outerHost);
  outer.State().flags.doComplex = true;
  {
    MRidirodevScope inner(std::make_shared<TestHost>());
    EXPECT_FALSE(MRidirodev::Current().flags.doComplex);
  }
  EXPECT_TRUE(MRidirodev::Current().flags.doComplex);
  EXPECT_EQ(MRidirodev::InstalledHost(), outerHost);
}

TEST(StateTest, NoHostIsObjectNotSetAndInstallingOneDropsTheOldState) {
  MRidirodevScope scope(nullptr);
  EXPECT_EQ(testing::ErrorOf([] { MRidirodev::Current(); }), ErrorNumber::kObjectNotSet);
  auto host = std::make_shared<TestHost>();
  MRidirodev::InstallHost(host);
  MRidirodev::Current().flags.doWeighted = true;
  MRidirodev::InstallHost(host);
  EXPECT_FALSE(MRidirodev::Current().flags.doWeighted);
}

}  // namespace
}  // namespace ridirodev
