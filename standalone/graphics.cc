#include "standalone/graphics.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {

std::optional<LogFont> FontServices::ReadFont(FontRef font) const {
  auto found = fonts_.find(font);
  if (found == fonts_.end()) return std::nullopt;
  return found->second;
}

FontRef FontServices::CreateFontIndirect(const LogFont& font) {
  const FontRef handle = next_++;
  fonts_.emplace(handle, font);
  return handle;
}

int32_t ResourcePictureSize(int32_t resourceId, std::string_view kind) {
  switch (resourceId) {
    case 101:
      return 16;
    case 102:
      return 32;
    default:
      break;
  }
  constexpr int32_t kResourceNotFound = 326;
  throw AutomationError(
      kResourceNotFound, "ImageServices",
      "Resource with identifier '" + std::to_string(resourceId) + "' not found (" + std::string(kind) + ")");
}

IPicturePtr ImageServices::Load(int32_t resourceId, std::string_view kind) {
  const int32_t size = ResourcePictureSize(resourceId, kind);
  return std::make_shared<Picture>(size, size);
}

void ImageList::Add(std::string_view key, IPicturePtr picture) {
  // A key names one image: adding it again replaces the picture.
  for (auto& [k, p] : images_) {
    if (EqualsNoCase(k, key)) {
      p = std::move(picture);
      return;
    }
  }
  images_.emplace_back(std::string(key), std::move(picture));
}

IPicturePtr ImageList::Find(std::string_view key) const {
  for (const auto& [k, p] : images_) {
    if (EqualsNoCase(k, key)) return p;
  }
  return nullptr;
}

std::vector<std::string> ImageList::Keys() const {
  std::vector<std::string> keys;
  for (const auto& entry : images_) keys.push_back(entry.first);
  return keys;
}

}  // namespace ridirodev::standalone
