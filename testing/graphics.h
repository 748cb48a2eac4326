#pragma once

// Fonts and pictures in memory.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "ridirodev/host/graphics.h"

namespace ridirodev::testing {

// Font handles count up from 1; a deleted font can no longer be read.
class TestFontServices final : public IFontServices {
 public:
  std::optional<LogFont> ReadFont(FontRef font) const override {
    auto found = fonts_.find(font);
    return found == fonts_.end() ? std::nullopt : std::optional<LogFont>(found->second);
  }
  FontRef CreateFontIndirect(const LogFont& font) override {
    fonts_[next_] = font;
    return next_++;
  }
  void DeleteFont(FontRef font) override { fonts_.erase(font); }

 private:
  std::map<FontRef, LogFont> fonts_;
  FontRef next_ = 1;
};
using TestFontServicesPtr = std::shared_ptr<TestFontServices>;

class TestPicture final : public IPicture {
 public:
  int32_t Width() const override { return 16; }
  int32_t Height() const override { return 16; }
};

// Every resource id gives a 16 by 16 picture.
class TestImageServices final : public IImageServices {
 public:
  IPicturePtr LoadIcon(int32_t) override { return std::make_shared<TestPicture>(); }
  IPicturePtr LoadBitmap(int32_t) override { return std::make_shared<TestPicture>(); }
};
using TestImageServicesPtr = std::shared_ptr<TestImageServices>;

}  // namespace ridirodev::testing
