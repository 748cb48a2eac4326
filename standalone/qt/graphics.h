#pragma once

// Fonts and pictures of Qt for the component's list style manager: fonts are QFonts kept by
// handle, pictures are pixmaps. Both need Qt's application object (EnsureApplication).

#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/graphics.h"

namespace ridirodev::qt {

// A font's description as the platform's controls give it, and the font it describes.
LogFont LogFontOf(const QFont& font);
QFont FontOf(const LogFont& font);

class QtFontServices : public IFontServices {
 public:
  std::optional<LogFont> ReadFont(FontRef font) const override;  // nullopt for an unknown handle
  // Handles count up from 1 and are never reused.
  FontRef CreateFontIndirect(const LogFont& font) override;
  void DeleteFont(FontRef font) override { fonts_.erase(font); }

  // A handle for a font the toolkit made (a list's own font).
  FontRef Register(const QFont& font);
  // The font of a handle; nullopt when unknown.
  std::optional<QFont> Font(FontRef font) const;
  size_t LiveFonts() const { return fonts_.size(); }

 private:
  std::map<FontRef, QFont> fonts_;
  FontRef next_ = 1;
};

class QtPicture : public IPicture {
 public:
  explicit QtPicture(QPixmap pixmap) : pixmap_(std::move(pixmap)) {}
  int32_t Width() const override { return pixmap_.width(); }
  int32_t Height() const override { return pixmap_.height(); }
  const QPixmap& Pixmap() const { return pixmap_; }

 private:
  QPixmap pixmap_;
};

// Icon 101 is the field picture and bitmap 101 the key-field picture, 16 pixels; 102 the same at
// 32. Any other id fails with error 326.
class QtImageServices : public IImageServices {
 public:
  IPicturePtr LoadIcon(int32_t resourceId) override;
  IPicturePtr LoadBitmap(int32_t resourceId) override;
};

// An image list of pixmaps by key, each kept at the list's image size.
class QtImageList : public IImageList {
 public:
  void SetImageSize(int32_t width, int32_t height) override;
  int32_t ImageWidth() const override { return width_; }
  int32_t ImageHeight() const override { return height_; }
  // A key names one image: adding it again replaces the picture. Pictures of another toolkit are
  // refused (error 13).
  void Add(std::string_view key, IPicturePtr picture) override;
  std::optional<QPixmap> Pixmap(std::string_view key) const;
  std::vector<std::string> Keys() const;

 private:
  int32_t width_ = 16;
  int32_t height_ = 16;
  std::vector<std::pair<std::string, QPixmap>> images_;
};

// A widget as a list control: its font, registered with the font services when asked for.
class WidgetListControl : public IListControl {
 public:
  // Both must outlive this object.
  WidgetListControl(const QWidget& widget, QtFontServices& fonts) : widget_(widget), fonts_(fonts) {}
  FontRef CurrentFont() const override { return fonts_.Register(widget_.font()); }

 private:
  const QWidget& widget_;
  QtFontServices& fonts_;
};

}  // namespace ridirodev::qt
