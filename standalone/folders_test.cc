#include "standalone/folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "ridirodev/frame/app_group_template.h"
#include "ridirodev/frame/g_ridirodev.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/sql/referencing_documents.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

TEST(ReferencingDocumentsTest, TheSampleFieldsGiveEachReportAndTemplateOnce) {
  StandaloneConfig config;
  config.db = ":memory:";
  auto host = std::make_shared<StandaloneHost>(config);
  CreateDictionarySchema(host->Sqlite()->Connection()->Handle());
  LoadSampleDictionary(host->Sqlite()->Connection()->Handle(), {});
  MRidirodevScope scope(host);
  // Block_Rate is only in the express template 13, which has no report; the others reach
  // report 4 through their report columns and through its express template 12.
  auto fields = std::make_shared<CFields>();
  for (int32_t entity : {kSampleCellEntity, kSampleSectorEntity}) {
    for (const char* name : {"Block_Rate", "Sector_MOU_Share", "Drop_Rate", "Traffic_Erlangs"}) {
      fields->Add(GRidirodev::AppGroupTemplate("Traffic")->Fields(entity)->LookupByName(name));
    }
  }
  StandaloneFolderDocuments documents;
  std::ostringstream boxes;
  std::streambuf* const stderrBuffer = std::cerr.rdbuf(boxes.rdbuf());
  sql::LoadFieldReferencingDocuments(fields, documents);
  std::cerr.rdbuf(stderrBuffer);

  std::vector<std::string> names;
  for (int32_t i = 1; i <= documents.Count(); ++i) {
    names.push_back(documents.Item(i)->Kind() + " " + std::to_string(documents.Item(i)->Id()));
  }
  EXPECT_THAT(names, ::testing::UnorderedElementsAre("Report 1", "Report 2", "Report 4", "Template 10"));
  // One box, the warning.
  EXPECT_EQ(boxes.str(),
            "[Ridirodev]\n  " + std::string(sql::kExpressTemplateWithoutReport) + "\n  OK -> OK\n");
}

}  // namespace
}  // namespace ridirodev::standalone
