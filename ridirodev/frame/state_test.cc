#include "ridirodev/frame/state.h"

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
  IDBObject& first = scope.State().Database();
  EXPECT_EQ(&first, &MRidirodev::Current().Database());
  EXPECT_EQ(&first, &host->Database());
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

TEST(StateTest, ScopeStartsEmptyAndRestoresThePreviousState) {
  auto outerHost = std::make_shared<TestHost>();
  MRidirodevScope outer(outerHost);
  MRidirodev& outerState = outer.State();
  outerState.flags.doComplex = true;
  {
    auto innerHost = std::make_shared<TestHost>();
    MRidirodevScope inner(innerHost);
    MRidirodev& innerState = inner.State();
    EXPECT_NE(&innerState, &outerState);
    EXPECT_FALSE(innerState.flags.doComplex);
    EXPECT_EQ(&innerState.Database(), &innerHost->Database());
    EXPECT_EQ(MRidirodev::InstalledHost(), innerHost);
  }
  EXPECT_EQ(&MRidirodev::Current(), &outerState);
  EXPECT_TRUE(MRidirodev::Current().flags.doComplex);
  EXPECT_EQ(MRidirodev::InstalledHost(), outerHost);
}

TEST(StateTest, NoHostIsObjectNotSetAndInstallingOneDropsTheOldState) {
  MRidirodevScope scope(nullptr);
  EXPECT_THROW(MRidirodev::Current(), AutomationError);
  auto host = std::make_shared<TestHost>();
  MRidirodev::InstallHost(host);
  MRidirodev::Current().flags.doWeighted = true;
  MRidirodev::InstallHost(host);
  EXPECT_FALSE(MRidirodev::Current().flags.doWeighted);
}

}  // namespace
}  // namespace ridirodev
