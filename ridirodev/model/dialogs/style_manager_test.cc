// The list style manager: a field's colour, its font by style mask, the eight fonts made once
// from the list's font, the pictures and their keys, and the fonts let go with the manager.

#include "ridirodev/model/dialogs/style_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/field.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;

CFieldPtr Field(int32_t mask, int32_t color, const std::string& app = "Traffic",
                const std::string& name = "drops", int32_t entity = 3) {
  auto field = std::make_shared<CField>();
  field->Initialize(17, name, entity, app, "RAW", 0, "I", true, "", "", "", "1", 7, "", Date(), "", nullptr,
                    "", 0, mask, color);
  return field;
}

// A list control whose font is a handle of the host's font services (0: none it can read).
class List : public IListControl {
 public:
  explicit List(FontRef font) : font_(font) {}
  FontRef CurrentFont() const override { return font_; }

 private:
  FontRef font_;
};

class StyleManagerTest : public testing::SampleDictionaryTest {
 protected:
  standalone::FontServices& Fonts() {
    return static_cast<standalone::FontServices&>(state().Services().FontServices());
  }
};

TEST_F(StyleManagerTest, FontsFollowTheMaskTableFromTheListsFont) {
  const LogFont listFont{-13, 400, true, 0, 0, "DejaVu Sans"};
  const FontRef listHandle = Fonts().CreateFontIndirect(listFont);
  auto manager = std::make_shared<CStyleManager>();
  EXPECT_EQ(manager->FontHandle(*Field(1, 0)), 0);  // no fonts yet
  manager->InitializeFonts(List(listHandle));
  const struct {
    int32_t weight;
    uint8_t underline;
    uint8_t strikeOut;
  } expected[8] = {{400, 0, 0},   {700, 0, 0},   {400, 255, 0},   {700, 255, 0},
                   {400, 0, 255}, {700, 0, 255}, {400, 255, 255}, {700, 255, 255}};
  for (int32_t mask = 0; mask < 8; ++mask) {
    const FontRef handle = manager->FontHandle(*Field(mask, 0));
    ASSERT_NE(handle, 0) << mask;
    const auto font = Fonts().ReadFont(handle);
    ASSERT_TRUE(font) << mask;
    EXPECT_EQ(font->weight, expected[mask].weight) << mask;
    EXPECT_EQ(font->underline, expected[mask].underline) << mask;
    EXPECT_EQ(font->strikeOut, expected[mask].strikeOut) << mask;
    // The rest is the list's.
    EXPECT_EQ(font->height, -13);
    EXPECT_TRUE(font->italic);
    EXPECT_EQ(font->faceName, "DejaVu Sans");
  }
  for (int32_t mask : {-1, 8, 9}) EXPECT_EQ(manager->FontHandle(*Field(mask, 0)), 0) << mask;
  // Made once: a second call, even on another list, makes nothing.
  const size_t live = Fonts().LiveFonts();
  const FontRef bold = manager->FontHandle(*Field(1, 0));
  manager->InitializeFonts(List(listHandle));
  EXPECT_EQ(Fonts().LiveFonts(), live);
  EXPECT_EQ(manager->FontHandle(*Field(1, 0)), bold);
  // Let go with the manager: the list's own font stays.
  manager.reset();
  EXPECT_EQ(Fonts().LiveFonts(), 1u);
  EXPECT_TRUE(Fonts().ReadFont(listHandle));
}

TEST_F(StyleManagerTest, AnUnreadableListFontMakesNoFontAndALaterOneStill) {
  CStyleManager manager;
  manager.InitializeFonts(List(0));
  manager.InitializeFonts(List(12345));
  EXPECT_EQ(Fonts().LiveFonts(), 0u);
  for (int32_t mask = 0; mask < 8; ++mask) EXPECT_EQ(manager.FontHandle(*Field(mask, 0)), 0);
  manager.InitializeFonts(List(Fonts().CreateFontIndirect({})));
  EXPECT_NE(manager.FontHandle(*Field(0, 0)), 0);
}

TEST_F(StyleManagerTest, ColourKeysAndOverlayOfFieldsOnly) {
  db().AddTable("tqd_udr_keys");
  db().AddRows(testing::TextContains("count (*)"), {{"RowCount"}, {{1}}});
  db().AddRows(testing::TextContains("tqd_udr_keys a"),
               {{"entity_id", "field_seq", "name"}, {{7, 1, "imsi"}}});
  CStyleManager manager;
  EXPECT_EQ(manager.ItemColor(*Field(0, 0x00C08040)), 0x00C08040);
  EXPECT_EQ(manager.ImageKey(*Field(0, 0)), "FieldIcon");
  EXPECT_EQ(manager.ImageKey(*Field(0, 0, "UDR", "imsi", 7)), "FieldKey");
  EXPECT_EQ(manager.OverlayIndex(*Field(0, 0)), 0);
  CBusyHour notAField;
  EXPECT_EQ(ErrorOf([&] { manager.ItemColor(notAField); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { manager.ImageKey(notAField); }), ErrorNumber::kTypeMismatch);
}

TEST_F(StyleManagerTest, ImageListsTakeTheirSizeAndThePicturesUnderTheirKeys) {
  CStyleManager manager;
  standalone::ImageList small;
  standalone::ImageList large;
  small.SetImageSize(24, 24);
  manager.InitializeImageLists(&small, &large);
  EXPECT_EQ(small.ImageWidth(), 16);
  EXPECT_EQ(small.ImageHeight(), 16);
  EXPECT_EQ(large.ImageWidth(), 32);
  EXPECT_EQ(large.ImageHeight(), 32);
  EXPECT_EQ(small.Keys(), (std::vector<std::string>{"FieldIcon", "FieldKey"}));
  EXPECT_EQ(large.Keys(), (std::vector<std::string>{"FieldIcon", "FieldKey"}));
  EXPECT_EQ(small.Find("FieldKey")->Width(), 16);
  EXPECT_EQ(large.Find("FieldIcon")->Width(), 32);
  // Either list may be missing.
  standalone::ImageList onlyLarge;
  manager.InitializeImageLists(nullptr, &onlyLarge);
  EXPECT_EQ(onlyLarge.ImageWidth(), 32);
  standalone::ImageList onlySmall;
  manager.InitializeImageLists(&onlySmall, nullptr);
  EXPECT_EQ(onlySmall.Keys().size(), 2u);
}

}  // namespace
}  // namespace ridirodev
