#include "standalone/qt/graphics.h"

#include <QFontInfo>
#include <algorithm>
#include <cmath>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/graphics.h"
#include "standalone/qt/pictures.h"

namespace ridirodev::qt {

LogFont LogFontOf(const QFont& font) {
  LogFont log;
  // A negative height is the characters' height in pixels, as the platform gives a control's font.
  log.height = -QFontInfo(font).pixelSize();
  log.weight = font.weight();
  log.italic = font.italic();
  log.underline = font.underline() ? 255 : 0;
  log.strikeOut = font.strikeOut() ? 255 : 0;
  log.faceName = font.family().toStdString();
  return log;
}

QFont FontOf(const LogFont& log) {
  QFont font(QString::fromStdString(log.faceName));
  if (log.height != 0) font.setPixelSize(std::abs(log.height));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(log.weight == 0 ? 400 : log.weight, 1, 1000)));
  font.setItalic(log.italic);
  font.setUnderline(log.underline != 0);
  font.setStrikeOut(log.strikeOut != 0);
  return font;
}

std::optional<LogFont> QtFontServices::ReadFont(FontRef font) const {
  const auto found = fonts_.find(font);
  if (found == fonts_.end()) return std::nullopt;
  return LogFontOf(found->second);
}

FontRef QtFontServices::CreateFontIndirect(const LogFont& font) { return Register(FontOf(font)); }

FontRef QtFontServices::Register(const QFont& font) {
  const FontRef handle = next_++;
  fonts_.emplace(handle, font);
  return handle;
}

std::optional<QFont> QtFontServices::Font(FontRef font) const {
  const auto found = fonts_.find(font);
  if (found == fonts_.end()) return std::nullopt;
  return found->second;
}

IPicturePtr QtImageServices::LoadIcon(int32_t resourceId) {
  return std::make_shared<QtPicture>(
      DrawPicture("FieldIcon", standalone::ResourcePictureSize(resourceId, "icon")));
}

IPicturePtr QtImageServices::LoadBitmap(int32_t resourceId) {
  return std::make_shared<QtPicture>(
      DrawPicture("FieldKey", standalone::ResourcePictureSize(resourceId, "bitmap")));
}

void QtImageList::SetImageSize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
}

void QtImageList::Add(std::string_view key, IPicturePtr picture) {
  const auto* drawn = dynamic_cast<const QtPicture*>(picture.get());
  if (!drawn) {
    throw AutomationError(ErrorNumber::kTypeMismatch, "QtImageList", "The picture is not one of Qt's.");
  }
  QPixmap pixmap =
      drawn->Pixmap().size() == QSize(width_, height_)
          ? drawn->Pixmap()
          : drawn->Pixmap().scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  for (auto& [k, p] : images_) {
    if (EqualsNoCase(k, key)) {
      p = std::move(pixmap);
      return;
    }
  }
  images_.emplace_back(std::string(key), std::move(pixmap));
}

std::optional<QPixmap> QtImageList::Pixmap(std::string_view key) const {
  for (const auto& [k, p] : images_) {
    if (EqualsNoCase(k, key)) return p;
  }
  return std::nullopt;
}

std::vector<std::string> QtImageList::Keys() const {
  std::vector<std::string> keys;
  for (const auto& entry : images_) keys.push_back(entry.first);
  return keys;
}

}  // namespace ridirodev::qt
