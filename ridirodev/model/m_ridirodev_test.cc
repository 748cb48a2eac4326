#include "ridirodev/model/m_ridirodev.h"

#include <gtest/gtest.h>

#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using testing::HostFactory;
using StateTest = testing::HostTest;

TEST_F(StateTest, HostObjectsAreMadeOnceOnFirstUse) {
  EXPECT_EQ(host_->Requests(HostFactory::kDatabase), 0);
  EXPECT_EQ(&state().Database(), &db());
  EXPECT_EQ(&MRidirodev::Current().Database(), &db());
  EXPECT_EQ(host_->Requests(HostFactory::kDatabase), 1);
  EXPECT_EQ(host_->Requests(HostFactory::kMessages), 0);
}

TEST_F(StateTest, HostThatSuppliesNothingIsObjectNotSet) {
  host_->ReturnNothingFrom(HostFactory::kFeatures);
  EXPECT_EQ(testing::ErrorOf([&] { state().Features(); }), ErrorNumber::kObjectNotSet);
  // A later answer is taken: the failed attempt left nothing behind.
  host_->ReturnNothingFrom(HostFactory::kFeatures, false);
  EXPECT_EQ(&state().Features(), &host_->Features());
}

TEST_F(StateTest, ScopeInstallsAFreshStateAndRestoresThePreviousOne) {
  state().flags.doComplex = true;
  {
    MRidirodevScope inner(std::make_shared<testing::TestHost>());
    EXPECT_FALSE(MRidirodev::Current().flags.doComplex);
  }
  EXPECT_TRUE(MRidirodev::Current().flags.doComplex);
  EXPECT_EQ(MRidirodev::InstalledHost(), host_);
}

TEST_F(StateTest, NoHostIsObjectNotSetAndInstallingOneDropsTheOldState) {
  MRidirodevScope scope(nullptr);
  EXPECT_EQ(testing::ErrorOf([] { MRidirodev::Current(); }), ErrorNumber::kObjectNotSet);
  auto host = std::make_shared<testing::TestHost>();
  MRidirodev::InstallHost(host);
  MRidirodev::Current().flags.doWeighted = true;
  MRidirodev::InstallHost(host);
  EXPECT_FALSE(MRidirodev::Current().flags.doWeighted);
}

}  // namespace
}  // namespace ridirodev
