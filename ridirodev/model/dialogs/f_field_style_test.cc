// The field style chooser: the controls the mask gives, the mask OK gives back, the sample, and
// the facade's rules for OK and Cancel, late-bound too.

#include "ridirodev/model/dialogs/f_field_style.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ridirodev/core/variant.h"
#include "ridirodev/facade/dispatch.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

TEST(ColorTest, PlatformValuesKeepRedInTheLowByte) {
  EXPECT_EQ(RgbOfColor(255), (Rgb{255, 0, 0}));
  EXPECT_EQ(RgbOfColor(0x00C08040), (Rgb{0x40, 0x80, 0xC0}));
  EXPECT_EQ(ColorOfRgb({0x40, 0x80, 0xC0}), 0x00C08040);
  EXPECT_EQ(ColorOfRgb(RgbOfColor(0x123456)), 0x123456);
  // Form units and pixels at 96 dots per inch: the tree's default window.
  EXPECT_EQ(PixelsOfTwips(5500), 367);
  EXPECT_EQ(PixelsOfTwips(4785), 319);
  EXPECT_EQ(TwipsOfPixels(367), 5505);
}

TEST(FieldStyleFormTest, EveryMaskLoadsIntoTheControlsAndComesBackOnOk) {
  for (int32_t mask = 0; mask < 8; ++mask) {
    FFieldStyle form;
    form.InitializeForOpen(mask, 0x00336699);
    form.Load();
    EXPECT_EQ(form.Bold(), (mask & 1) != 0) << mask;
    EXPECT_EQ(form.Underline(), (mask & 2) != 0) << mask;
    EXPECT_EQ(form.Strikeout(), (mask & 4) != 0) << mask;
    EXPECT_EQ(form.PickedColor(), 0x00336699);
    EXPECT_EQ(form.Sample(), (TextLook{0x00336699, (mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0}))
        << mask;
    form.PressOk();
    EXPECT_TRUE(form.IsOK());
    EXPECT_EQ(form.FontStyle(), mask);
    EXPECT_EQ(form.FieldColor(), 0x00336699);
  }
  // Bits above the three are not the controls': OK gives the mask the controls show.
  FFieldStyle high;
  high.InitializeForOpen(9, 0);
  high.Load();
  high.PressOk();
  EXPECT_EQ(high.FontStyle(), 1);
}

TEST(FieldStyleFormTest, EveryChangeShowsInTheSampleAndOnlyOkKeepsIt) {
  struct Change {
    void (*apply)(FFieldStyle&);
    TextLook sample;
    int32_t mask;
  };
  const Change changes[] = {
      {[](FFieldStyle& f) { f.SetBold(false); }, {255, false, false, true}, 4},
      {[](FFieldStyle& f) { f.SetUnderline(true); }, {255, true, true, true}, 7},
      {[](FFieldStyle& f) { f.SetStrikeout(false); }, {255, true, false, false}, 1},
      {[](FFieldStyle& f) { f.SetPickedColor(0x00FF8000); }, {0x00FF8000, true, false, true}, 5},
  };
  for (const Change& change : changes) {
    FFieldStyle form;
    form.InitializeForOpen(5, 255);
    form.Load();
    change.apply(form);
    EXPECT_EQ(form.Sample(), change.sample) << change.mask;
    // Until OK the form still holds what it was opened with.
    EXPECT_EQ(form.FontStyle(), 5);
    EXPECT_EQ(form.FieldColor(), 255);
    FFieldStyle cancelled = form;
    cancelled.PressCancel();
    EXPECT_FALSE(cancelled.IsOK());
    EXPECT_EQ(cancelled.FontStyle(), 5);
    EXPECT_EQ(cancelled.FieldColor(), 255);
    form.PressOk();
    EXPECT_EQ(form.FontStyle(), change.mask);
    EXPECT_EQ(form.FieldColor(), change.sample.color);
  }
}

class FieldStyleDialogTest : public testing::HostTest {
 protected:
  FieldStyleDialogTest() { host_->GroupServices().front = front_; }
  std::shared_ptr<testing::ScriptedDialogFront> front_ = std::make_shared<testing::ScriptedDialogFront>();
};

TEST_F(FieldStyleDialogTest, OkWritesBothArgumentsAndCancelLeavesThem) {
  std::vector<std::string> seen;
  front_->onFieldStyle = [&](IFieldStyleForm& form) {
    seen.push_back(form.Caption() + (form.Bold() ? " bold" : "") + (form.Underline() ? " underline" : "") +
                   (form.Strikeout() ? " strikeout" : ""));
    form.PressOk();
  };
  int32_t mask = 5;
  int32_t color = 0x00C08040;
  EXPECT_TRUE(GRidirodev::OpenFieldStyleDialog(mask, color));
  EXPECT_EQ(mask, 5);
  EXPECT_EQ(color, 0x00C08040);
  EXPECT_EQ(seen, std::vector<std::string>{"Field Style bold strikeout"});

  front_->onFieldStyle = [](IFieldStyleForm& form) {
    form.SetUnderline(true);
    form.SetPickedColor(0x0000FF00);
    form.PressCancel();
  };
  EXPECT_FALSE(GRidirodev::OpenFieldStyleDialog(mask, color));
  EXPECT_EQ(mask, 5);
  EXPECT_EQ(color, 0x00C08040);
  // Closing the window without a button is Cancel too.
  front_->onFieldStyle = nullptr;
  EXPECT_FALSE(GRidirodev::OpenFieldStyleDialog(mask, color));
  EXPECT_EQ(mask, 5);
  EXPECT_EQ(front_->shown, 3);
}

TEST_F(FieldStyleDialogTest, LateBoundCallWritesTheArgumentsBack) {
  front_->onFieldStyle = [](IFieldStyleForm& form) {
    form.SetUnderline(true);
    form.PressOk();
  };
  std::vector<Variant> args = {Variant(5), Variant(255)};
  EXPECT_EQ(Invoke(CreateObject("GRidirodev"), "OpenFieldStyleDialog", args).ToBool(), true);
  EXPECT_EQ(args[0].ToInt32(), 7);
  EXPECT_EQ(args[1].ToInt32(), 255);
}

}  // namespace
}  // namespace ridirodev
