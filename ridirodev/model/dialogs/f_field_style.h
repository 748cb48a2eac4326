#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/object.h"
#include "ridirodev/host/dialogs.h"

namespace ridirodev {

class MRidirodev;

// The font style bits of a field's display style.
namespace FontStyleBit {
inline constexpr int32_t kBold = 1;
inline constexpr int32_t kUnderline = 2;
inline constexpr int32_t kStrikeout = 4;
}  // namespace FontStyleBit

// The field style chooser. The mask and colour it was opened with stay as they are until OK,
// which takes them from the controls; Cancel changes nothing.
class FFieldStyle : public Object, public IFieldStyleForm {
 public:
  void InitializeForOpen(int32_t iFontStyle, int32_t iColor);
  int32_t FontStyle() const noexcept { return fontStyle_; }
  int32_t FieldColor() const noexcept { return color_; }
  bool IsOK() const noexcept { return ok_; }

  std::string Caption() const override { return "Field Style"; }
  void ShowWith(IDialogFront& front) override { front.Show(*this); }
  std::string ControlText(FieldStyleControl control) const override;
  void Load() override;
  bool Bold() const override { return bold_; }
  void SetBold(bool bold) override;
  bool Underline() const override { return underline_; }
  void SetUnderline(bool underline) override;
  bool Strikeout() const override { return strikeout_; }
  void SetStrikeout(bool strikeout) override;
  int32_t PickedColor() const override { return pickedColor_; }
  void SetPickedColor(int32_t color) override;
  TextLook Sample() const override { return sample_; }
  void PressOk() override;
  void PressCancel() override {}

 private:
  void RefreshSample();

  int32_t fontStyle_ = 0;
  int32_t color_ = 0;
  bool ok_ = false;
  bool bold_ = false;
  bool underline_ = false;
  bool strikeout_ = false;
  int32_t pickedColor_ = 0;
  TextLook sample_;
};
using FFieldStylePtr = std::shared_ptr<FFieldStyle>;

// Opens the style chooser on a field's mask and colour through the host's modal display. On OK
// both are written and the result is true; otherwise both stay as they were.
bool OpenFieldStyleDialog(MRidirodev& state, int32_t& iFontStyle, int32_t& iColor);

}  // namespace ridirodev
