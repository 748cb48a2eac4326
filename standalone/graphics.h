#pragma once

// Fonts and pictures of the standalone host: nothing is drawn on the command line, so fonts
// are descriptions kept by handle and pictures only carry their size.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/host/graphics.h"

namespace ridirodev::standalone {

class FontServices : public IFontServices {
 public:
  // nullopt for a handle never created or already deleted.
  std::optional<LogFont> ReadFont(FontRef font) const override;
  // Handles count up from 1 and are never reused.
  FontRef CreateFontIndirect(const LogFont& font) override;
  // Deleting an unknown handle does nothing, as deleting a stale platform object.
  void DeleteFont(FontRef font) override { fonts_.erase(font); }
  size_t LiveFonts() const { return fonts_.size(); }

 private:
  std::map<FontRef, LogFont> fonts_;
  FontRef next_ = 1;
};

class Picture : public IPicture {
 public:
  Picture(int32_t width, int32_t height) : width_(width), height_(height) {}
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }

 private:
  int32_t width_;
  int32_t height_;
};

// The component's resources: icon and bitmap 101 are the small field pictures (16 by 16),
// 102 the large ones (32 by 32). The side of the square picture of an id; any other id fails
// with error 326 (kind names what was asked for, "icon" or "bitmap").
int32_t ResourcePictureSize(int32_t resourceId, std::string_view kind);

class ImageServices : public IImageServices {
 public:
  IPicturePtr LoadIcon(int32_t resourceId) override { return Load(resourceId, "icon"); }
  IPicturePtr LoadBitmap(int32_t resourceId) override { return Load(resourceId, "bitmap"); }

 private:
  static IPicturePtr Load(int32_t resourceId, std::string_view kind);
};

// An image list that records its size and keys.
class ImageList : public IImageList {
 public:
  void SetImageSize(int32_t width, int32_t height) override {
    width_ = width;
    height_ = height;
  }
  int32_t ImageWidth() const override { return width_; }
  int32_t ImageHeight() const override { return height_; }
  void Add(std::string_view key, IPicturePtr picture) override;
  IPicturePtr Find(std::string_view key) const;  // nullptr when absent
  std::vector<std::string> Keys() const;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<std::pair<std::string, IPicturePtr>> images_;
};

}  // namespace ridirodev::standalone
