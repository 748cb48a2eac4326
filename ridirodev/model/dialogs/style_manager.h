#pragma once

#include <array>
#include <memory>
#include <string>

#include "ridirodev/core/object.h"
#include "ridirodev/host/graphics.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

class HostServices;

// Draws fields in the host's list views: each field's colour and font style, and the field and
// key-field pictures. The eight fonts are made once from the list's own font, one per style mask.
class CStyleManager : public Object,
                      public ILVItemColorManager,
                      public ILVItemFontManager,
                      public ILVItemImageManager {
 public:
  // On the calling thread's component state.
  CStyleManager();
  // Loads the four pictures through the host's image services.
  explicit CStyleManager(HostServices& services);
  CStyleManager(const CStyleManager&) = delete;
  CStyleManager& operator=(const CStyleManager&) = delete;
  // Releases the fonts it made.
  ~CStyleManager() override;

  // Items are fields; anything else fails with error 13.
  int32_t ItemColor(const ILVItemObject& item) const override;
  // The font of the field's style mask; 0 for a mask outside 0 to 7 or before the fonts exist.
  FontRef FontHandle(const ILVItemObject& item) const override;
  // Once: later calls, and a list whose font cannot be read, make nothing.
  void InitializeFonts(const IListControl& list) override;
  std::string ImageKey(const ILVItemObject& item) const override;
  int32_t OverlayIndex(const ILVItemObject&) const override { return 0; }
  void InitializeImageLists(IImageList* smallList, IImageList* largeList) override;

  // The font of a style mask (0 to 7), 0 while not made.
  FontRef Font(int32_t mask) const { return fonts_.at(static_cast<size_t>(mask)); }

 private:
  IFontServicesPtr fontServices_;
  std::array<FontRef, 8> fonts_{};
  IPicturePtr smallIcon_;
  IPicturePtr largeIcon_;
  IPicturePtr smallKey_;
  IPicturePtr largeKey_;
};
using CStyleManagerPtr = std::shared_ptr<CStyleManager>;

}  // namespace ridirodev
