// Qt's fonts and pictures under the list style manager: fonts made from a widget's own font,
// descriptions both ways, pictures drawn at their sizes.

#include "standalone/qt/graphics.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>
#include <memory>

#include "ridirodev/model/dialogs/style_manager.h"
#include "ridirodev/model/field.h"
#include "standalone/qt/pictures.h"
#include "standalone/qt/toolkit.h"
#include "testing/sample.h"

namespace ridirodev::qt {
namespace {

class QtGraphicsTest : public testing::SampleHostTest {
 protected:
  QtGraphicsTest() {
    EnsureApplication(true);
    scope_.reset();
    host_ = testing::SampleHost();
    host_->UseToolkit({nullptr, fonts_, std::make_shared<QtImageServices>()});
    scope_.emplace(host_);
  }
  std::shared_ptr<QtFontServices> fonts_ = std::make_shared<QtFontServices>();
};

CFieldPtr Field(int32_t mask) {
  auto field = std::make_shared<CField>();
  field->Initialize(17, "drops", 3, "Traffic", "RAW", 0, "I", true, "", "", "", "1", 7, "", Date(), "",
                    nullptr, "", 0, mask, 0);
  return field;
}

TEST_F(QtGraphicsTest, StyleFontsAreTheListsFontWithTheMasksEffects) {
  QTreeWidget list;
  QFont own("DejaVu Sans");
  own.setPixelSize(15);
  own.setItalic(true);
  list.setFont(own);
  {
    CStyleManager manager;
    manager.InitializeFonts(WidgetListControl(list, *fonts_));
    for (int32_t mask = 0; mask < 8; ++mask) {
      const auto font = fonts_->Font(manager.FontHandle(*Field(mask)));
      ASSERT_TRUE(font) << mask;
      EXPECT_EQ(font->bold(), (mask & 1) != 0) << mask;
      EXPECT_EQ(font->underline(), (mask & 2) != 0) << mask;
      EXPECT_EQ(font->strikeOut(), (mask & 4) != 0) << mask;
      EXPECT_EQ(font->family(), "DejaVu Sans");
      EXPECT_EQ(font->pixelSize(), 15);
      EXPECT_TRUE(font->italic());
    }
    EXPECT_EQ(fonts_->LiveFonts(), 9u);  // the list's and the eight
  }
  EXPECT_EQ(fonts_->LiveFonts(), 1u);
  // Descriptions and fonts both ways.
  const LogFont log = LogFontOf(FontOf({-20, 700, false, 255, 0, "DejaVu Sans"}));
  EXPECT_EQ(log.height, -20);
  EXPECT_EQ(log.weight, 700);
  EXPECT_EQ(log.underline, 255);
  EXPECT_EQ(log.strikeOut, 0);
  EXPECT_EQ(log.faceName, "DejaVu Sans");
}

TEST_F(QtGraphicsTest, ImageListsHoldDrawnPicturesAtTheirSizes) {
  CStyleManager manager;
  QtImageList small;
  QtImageList large;
  manager.InitializeImageLists(&small, &large);
  for (const char* key : {"FieldIcon", "FieldKey"}) {
    ASSERT_TRUE(small.Pixmap(key)) << key;
    EXPECT_EQ(small.Pixmap(key)->size(), QSize(16, 16));
    EXPECT_EQ(large.Pixmap(key)->size(), QSize(32, 32));
  }
  // Something is drawn: the two pictures differ and are not blank.
  const QImage icon = small.Pixmap("FieldIcon")->toImage();
  EXPECT_NE(icon, small.Pixmap("FieldKey")->toImage());
  EXPECT_NE(icon, DrawPicture("unknown", 16).toImage());
  // The greyed folder is another picture than the chosen one.
  EXPECT_NE(DrawPicture("Closed", 16).toImage(), DrawPicture("XClosed", 16).toImage());
}

}  // namespace
}  // namespace ridirodev::qt
