// The commands that open dialogs: pictures drawn offscreen, the messages when no dialog can be
// shown, and the style chosen in the dialog saved through the component.

#include "tools/dialog_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/field.h"
#include "testing/services.h"
#include "tools/command_test_support.h"
#include "tools/udc_commands.h"

namespace ridirodev::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

// Unsets the variables that name a display while it lives.
class NoDisplay {
 public:
  NoDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      unsetenv(name);
    }
  }
  ~NoDisplay() {
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  std::map<std::string, std::string> saved_;
};

TEST(DialogCommandsTest, ScreenshotsAnswerCancelAndNoDisplayAsksForOne) {
  const testing::TempDir dir;
  const std::string db = (dir / "d.db").string();
  ToolOutput({"init", "--db", db, "--sample"});
  const std::string style = (dir / "s.png").string();
  const std::string tree = (dir / "d.png").string();
  EXPECT_THAT(ToolOutput({"udc", "style", "Drop_Rate", "--entity", "Cell", "--font-style", "1", "--db", db,
                          "--screenshot", style}),
              HasSubstr("error: --screenshot draws the style dialog"));
#ifdef RIDIRODEV_WITH_QT
  // Looking needs no user of the dictionary.
  EXPECT_THAT(
      ToolOutput({"udc", "style", "Drop_Rate", "--entity", "Cell", "--db", db, "--screenshot", style}, "nobody"),
      MatchesRegex("Style of Drop_Rate at CellSite \\(id [0-9]+\\) left as it was: font style 1, color 255 "
                   "\\(Cancel\\)\\.\n"));
  EXPECT_EQ(ToolOutput({"doctype", "--db", db, "--screenshot", tree}), "No document type was chosen.\n");
  EXPECT_EQ(ToolOutput({"doctype", "--versions-only", "--db", db, "--screenshot", tree}),
            "No system was chosen.\n");
  EXPECT_TRUE(std::filesystem::file_size(style) > 1000);
  EXPECT_TRUE(std::filesystem::file_size(tree) > 1000);
  const NoDisplay none;
  EXPECT_EQ(ToolOutput({"doctype", "--db", db}),
            "error: There is no display to show the dialog on: set DISPLAY, or use --screenshot FILE.png to "
            "draw it "
            "offscreen.");
#else
  EXPECT_EQ(ToolOutput({"doctype", "--db", db, "--screenshot", tree}),
            "error: Dialogs are unavailable: this ridirodev was built without Qt 6 Widgets.");
#endif
}

class StyleDialogCommandTest : public testing::SampleHostTest {
 protected:
  StyleDialogCommandTest() {
    scope_.reset();
    host_ = testing::SampleHost([](standalone::StandaloneConfig& c) { c.user = "admin"; });
    host_->UseToolkit({front_, nullptr, nullptr});
    scope_.emplace(host_);
  }
  std::shared_ptr<testing::ScriptedDialogFront> front_ = std::make_shared<testing::ScriptedDialogFront>();
};

TEST_F(StyleDialogCommandTest, OkSavesTheChosenStyleAndCancelChangesNothing) {
  const FieldScope cell{"Traffic", "Cell"};
  std::optional<TextLook> opened;
  front_->onFieldStyle = [&](IFieldStyleForm& form) {
    opened = form.Sample();
    form.SetUnderline(true);
    form.SetPickedColor(0x00C08040);
    form.PressCancel();
  };
  EXPECT_THAT(CommandOutput([&](std::ostream& out) { StyleCalculationInDialog(cell, "Drop_Rate", out); }),
              HasSubstr("left as it was: font style 1, color 255 (Cancel).\n"));
  EXPECT_EQ(opened, (TextLook{255, true, false, false}));  // the field's style
  front_->onFieldStyle = [](IFieldStyleForm& form) {
    form.SetUnderline(true);
    form.SetPickedColor(0x00C08040);
    form.PressOk();
  };
  EXPECT_THAT(CommandOutput([&](std::ostream& out) { StyleCalculationInDialog(cell, "Drop_Rate", out); }),
              HasSubstr(": font style 3, color 12615744 (OK).\n"));
  // Stored: a host started afresh reads it back.
  const std::string id = std::to_string(testing::SampleFieldId(*host_->Dictionary(), 12, "Drop_Rate"));
  EXPECT_EQ(testing::FirstRow(*host_->Dictionary(),
                              "SELECT FontStyleMask, FontColor FROM tqd_field_style WHERE Field_Id = " + id),
            "3|12615744");
}

}  // namespace
}  // namespace ridirodev::tool
