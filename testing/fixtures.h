#pragma once

// Fixtures of the component's tests: a test host with the component's state on it, and the
// same with the sample dictionary scripted (testing/dictionary_script.h) before the test runs.

#include <gtest/gtest.h>

#include <memory>

#include "ridirodev/model/m_ridirodev.h"
#include "testing/dictionary_script.h"
#include "testing/test_host.h"

namespace ridirodev::testing {

class HostTest : public ::testing::Test {
 protected:
  ScriptedDatabase& db() { return host_->Database(); }
  MRidirodev& state() { return scope_.State(); }

  TestHostPtr host_ = std::make_shared<TestHost>();
  MRidirodevScope scope_{host_};
};

class SampleDictionaryTest : public HostTest {
 protected:
  SampleDictionaryTest() { ScriptSampleDictionary(host_->Database()); }
};

}  // namespace ridirodev::testing
