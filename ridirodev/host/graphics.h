#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ridirodev/core/object.h"

namespace ridirodev {

// A font description as the platform's controls use it.
struct LogFont {
  int32_t height = 0;
  int32_t weight = 400;  // 700 is bold
  bool italic = false;
  uint8_t underline = 0;  // 255 for yes
  uint8_t strikeOut = 0;  // 255 for yes
  std::string faceName;
};

using FontRef = int64_t;  // 0 is no font

// A list control of the host, as far as fonts are concerned.
class IListControl {
 public:
  virtual ~IListControl() = default;
  virtual FontRef CurrentFont() const = 0;
};

class IFontServices : public Object {
 public:
  virtual std::optional<LogFont> ReadFont(FontRef font) const = 0;
  virtual FontRef CreateFontIndirect(const LogFont& font) = 0;
  virtual void DeleteFont(FontRef font) = 0;
};
using IFontServicesPtr = std::shared_ptr<IFontServices>;

class IPicture : public Object {
 public:
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
};
using IPicturePtr = std::shared_ptr<IPicture>;

class IImageList {
 public:
  virtual ~IImageList() = default;
  virtual void SetImageSize(int32_t width, int32_t height) = 0;
  virtual int32_t ImageWidth() const = 0;
  virtual int32_t ImageHeight() const = 0;
  virtual void Add(std::string_view key, IPicturePtr picture) = 0;
};

// Pictures of the component's resources: icons and bitmaps by resource id.
class IImageServices : public Object {
 public:
  virtual IPicturePtr LoadIcon(int32_t resourceId) = 0;
  virtual IPicturePtr LoadBitmap(int32_t resourceId) = 0;
};
using IImageServicesPtr = std::shared_ptr<IImageServices>;

}  // namespace ridirodev
