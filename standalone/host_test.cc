#include "standalone/host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "ridirodev/model/dialogs/f_field_style.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/settings.h"
#include "testing/sample.h"
#include "testing/services.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

using ::testing::HasSubstr;

TEST(StandaloneHostTest, FolderServicesErrorLogAndSettings) {
  const testing::TempDir dir;
  StandaloneConfig config;
  config.settingsFile = (dir / "settings.xml").string();
  config.logFile = (dir / "log.txt").string();
  config.user = "planner";
  auto host = testing::SampleHost(config);
  {
    MRidirodevScope scope(host);
    IFolderServices& folders = scope.State().FolderServices();
    ASSERT_NE(folders.UserByName("ADMIN"), nullptr);
    EXPECT_EQ(folders.UserByName("ADMIN")->Name(), "admin");
    EXPECT_EQ(folders.UserById(99), nullptr);
    ASSERT_NE(folders.CurrentUser(), nullptr);
    EXPECT_EQ(folders.CurrentUser()->Id(), 4);

    IDocumentHandlerPtr reports = folders.DocumentHandler("reporthandler");
    ASSERT_NE(reports, nullptr);
    EXPECT_EQ(reports->Document(12), nullptr);  // a template id is no report
    IDocumentHandlerPtr templates = folders.DocumentHandler("TemplateHandler");
    ASSERT_NE(templates, nullptr);
    IFolderDocumentPtr express = templates->Document(12);
    ASSERT_NE(express, nullptr);
    EXPECT_TRUE(express->IsExpressTemplate());
    EXPECT_EQ(folders.ExpressTemplateReportId(*express), 4);

    host->CreateErrorReporter(AutomationError(457, "CFields", "This key is already associated"))->Report("");
    scope.State().GroupServices().Settings()->Child("Ridirodev")->SetValue("Width", Variant(120));
    EXPECT_TRUE(host->SaveSettingsIfChanged());
  }
  EXPECT_THAT(testing::ReadFile(config.logFile),
              HasSubstr("Error 457 (CFields): This key is already associated"));

  StandaloneHost again(config);
  EXPECT_EQ(again.Settings()->Settings()->Child("Ridirodev")->Value("Width").ToInt32(), 120);
}

TEST(StandaloneHostTest, NothingIsOpenedUntilAskedForAndAMissingDatabaseIsAnError) {
  StandaloneConfig config;
  config.db = "/nonexistent/ridirodev/dict.db";
  config.settingsFile.clear();
  auto host = std::make_shared<StandaloneHost>(config);
  MRidirodevScope scope(host);
  EXPECT_FALSE(scope.State().Features().IsEnabled("UDR_Group"));
  EXPECT_THROW(scope.State().Database(), AutomationError);
}

}  // namespace
}  // namespace ridirodev::standalone

namespace ridirodev::standalone {
namespace {

// The group services keep the front they were made with, so a toolkit comes first or not at all.
TEST(StandaloneHostTest, AToolkitComesBeforeTheServicesThatUseIt) {
  auto host = testing::SampleHost();
  auto front = std::make_shared<testing::ScriptedDialogFront>();
  host->UseToolkit({front, nullptr, nullptr});
  FFieldStyle form;
  host->CreateGroupServices()->ShowModal(form);
  EXPECT_EQ(front->shown, 1);
  EXPECT_THROW(host->UseToolkit({}), std::logic_error);
}

}  // namespace
}  // namespace ridirodev::standalone
