#pragma once

// Fonts, pictures, image lists and list controls in memory.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/host/graphics.h"

namespace ridirodev::testing {

// Hands out font handles counting up from 1 and remembers the live ones, so that a test can
// see that every font made was deleted again.
class TestFontServices final : public IFontServices {
 public:
  std::optional<LogFont> ReadFont(FontRef font) const override {
    auto found = fonts_.find(font);
    if (found == fonts_.end()) return std::nullopt;
    return found->second;
  }
  FontRef CreateFontIndirect(const LogFont& font) override {
    fonts_[next_] = font;
    return next_++;
  }
  void DeleteFont(FontRef font) override {
    fonts_.erase(font);
    deleted_.push_back(font);
  }

  size_t LiveFonts() const noexcept { return fonts_.size(); }
  const std::vector<FontRef>& Deleted() const noexcept { return deleted_; }

 private:
  std::map<FontRef, LogFont> fonts_;
  std::vector<FontRef> deleted_;
  FontRef next_ = 1;
};
using TestFontServicesPtr = std::shared_ptr<TestFontServices>;

class TestPicture final : public IPicture {
 public:
  TestPicture(int32_t resourceId, int32_t width, int32_t height)
      : resourceId_(resourceId), width_(width), height_(height) {}
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  int32_t ResourceId() const noexcept { return resourceId_; }

 private:
  int32_t resourceId_;
  int32_t width_;
  int32_t height_;
};

// Every resource id gives a 16 by 16 picture; the ids asked for are kept in order.
class TestImageServices final : public IImageServices {
 public:
  IPicturePtr LoadIcon(int32_t resourceId) override {
    icons_.push_back(resourceId);
    return std::make_shared<TestPicture>(resourceId, 16, 16);
  }
  IPicturePtr LoadBitmap(int32_t resourceId) override {
    bitmaps_.push_back(resourceId);
    return std::make_shared<TestPicture>(resourceId, 16, 16);
  }
  const std::vector<int32_t>& Icons() const noexcept { return icons_; }
  const std::vector<int32_t>& Bitmaps() const noexcept { return bitmaps_; }

 private:
  std::vector<int32_t> icons_;
  std::vector<int32_t> bitmaps_;
};
using TestImageServicesPtr = std::shared_ptr<TestImageServices>;

class TestImageList final : public IImageList {
 public:
  void SetImageSize(int32_t width, int32_t height) override {
    width_ = width;
    height_ = height;
  }
  int32_t ImageWidth() const override { return width_; }
  int32_t ImageHeight() const override { return height_; }
  void Add(std::string_view key, IPicturePtr picture) override {
    images_.emplace_back(std::string(key), std::move(picture));
  }
  const std::vector<std::pair<std::string, IPicturePtr>>& Images() const noexcept { return images_; }

 private:
  int32_t width_ = 16;
  int32_t height_ = 16;
  std::vector<std::pair<std::string, IPicturePtr>> images_;
};

class TestListControl final : public IListControl {
 public:
  explicit TestListControl(FontRef font = 0) : font_(font) {}
  FontRef CurrentFont() const override { return font_; }
  void SetFont(FontRef font) noexcept { font_ = font; }

 private:
  FontRef font_;
};

}  // namespace ridirodev::testing
