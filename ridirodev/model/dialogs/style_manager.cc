#include "ridirodev/model/dialogs/style_manager.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/host_services.h"
#include "ridirodev/model/dialogs/f_field_style.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

namespace {

constexpr int32_t kSmallFieldPicture = 101;
constexpr int32_t kLargeFieldPicture = 102;
constexpr int32_t kSmallImageSize = 16;

const CField& FieldOf(const ILVItemObject& item) {
  const auto* field = dynamic_cast<const CField*>(&item);
  if (!field)
    throw AutomationError(ErrorNumber::kTypeMismatch, "CStyleManager", "The list item is not a field.");
  return *field;
}

}  // namespace

CStyleManager::CStyleManager() : CStyleManager(MRidirodev::Current().Services()) {}

CStyleManager::CStyleManager(HostServices& services) : fontServices_(services.SharedFontServices()) {
  IImageServices& images = services.ImageServices();
  smallIcon_ = images.LoadIcon(kSmallFieldPicture);
  largeIcon_ = images.LoadIcon(kLargeFieldPicture);
  smallKey_ = images.LoadBitmap(kSmallFieldPicture);
  largeKey_ = images.LoadBitmap(kLargeFieldPicture);
}

CStyleManager::~CStyleManager() {
  for (FontRef font : fonts_) {
    if (font == 0) continue;
    try {
      fontServices_->DeleteFont(font);
    } catch (...) {
      // A font the host has already let go of: nothing is left to release.
    }
  }
}

int32_t CStyleManager::ItemColor(const ILVItemObject& item) const { return FieldOf(item).FontColor(); }

FontRef CStyleManager::FontHandle(const ILVItemObject& item) const {
  const int32_t mask = FieldOf(item).FontMask();
  return mask >= 0 && mask < static_cast<int32_t>(fonts_.size()) ? fonts_[static_cast<size_t>(mask)] : 0;
}

void CStyleManager::InitializeFonts(const IListControl& list) {
  if (fonts_[0] != 0) return;
  const std::optional<LogFont> base = fontServices_->ReadFont(list.CurrentFont());
  if (!base) return;
  for (size_t mask = 0; mask < fonts_.size(); ++mask) {
    LogFont font = *base;
    font.weight = (mask & FontStyleBit::kBold) ? 700 : 400;
    font.underline = (mask & FontStyleBit::kUnderline) ? 255 : 0;
    font.strikeOut = (mask & FontStyleBit::kStrikeout) ? 255 : 0;
    fonts_[mask] = fontServices_->CreateFontIndirect(font);
  }
}

std::string CStyleManager::ImageKey(const ILVItemObject& item) const {
  return FieldOf(item).IsKeyField() ? "FieldKey" : "FieldIcon";
}

void CStyleManager::InitializeImageLists(IImageList* smallList, IImageList* largeList) {
  int32_t width = kSmallImageSize;
  int32_t height = kSmallImageSize;
  if (smallList) {
    smallList->SetImageSize(kSmallImageSize, kSmallImageSize);
    smallList->Add("FieldIcon", smallIcon_);
    smallList->Add("FieldKey", smallKey_);
    width = smallList->ImageWidth();
    height = smallList->ImageHeight();
  }
  if (largeList) {
    largeList->SetImageSize(width * 2, height * 2);
    largeList->Add("FieldIcon", largeIcon_);
    largeList->Add("FieldKey", largeKey_);
  }
}

}  // namespace ridirodev
