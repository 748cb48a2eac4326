#pragma once

// Fixtures of the component's tests: a test host with the component's state on it, and the
// same with the sample dictionary scripted (testing/dictionary_script.h) before the test runs.

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

// The gateway answers every query with one field, 41 of entity 3, of that name and type; the
// other attributes of a field row are empty.
inline void GatewayAnswersOneField(TestHost& host, const std::string& name, const std::string& type = "RAW") {
  auto result = std::make_shared<TestXmlNode>("RESULT");
  TestXmlNode& row = *result->AddChild("Row");
  for (const char* attribute :
       {"Field_Aggregator", "Field_Owner", "Tech_Mask", "DataType", "Is_Null_OK", "Report_Header", "Report_Header2",
        "Field_Desc", "Status", "Changed", "UDC_Source", "Complex", "FontStyleMask", "FontColor", "RCVFormName",
        "Vendor"})
    row.SetAttribute(attribute, "");
  row.SetAttribute("Field_Id", "41").SetAttribute("Name", name).SetAttribute("Entity_Id", "3");
  row.SetAttribute("Field_Group_Short", type);
  host.XmlQueryService().SetParseResult(result);
}

}  // namespace ridirodev::testing
