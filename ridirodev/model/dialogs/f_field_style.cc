#include "ridirodev/model/dialogs/f_field_style.h"

#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

void FFieldStyle::InitializeForOpen(int32_t iFontStyle, int32_t iColor) {
  fontStyle_ = iFontStyle;
  color_ = iColor;
}

std::string FFieldStyle::ControlText(FieldStyleControl control) const {
  switch (control) {
    case FieldStyleControl::kFontStyleFrame:
      return "Font style";
    case FieldStyleControl::kRegular:
      return "&Regular";
    case FieldStyleControl::kBold:
      return "&Bold";
    case FieldStyleControl::kEffectsFrame:
      return "Effects";
    case FieldStyleControl::kUnderline:
      return "&Underline";
    case FieldStyleControl::kStrikeout:
      return "&Strikeout";
    case FieldStyleControl::kColorLabel:
      return "&Color:";
    case FieldStyleControl::kSampleFrame:
      return "Sample";
    case FieldStyleControl::kSample:
      return "Sample";
    case FieldStyleControl::kOk:
      return "OK";
    case FieldStyleControl::kCancel:
      return "Cancel";
  }
  return "";
}

void FFieldStyle::Load() {
  bold_ = (fontStyle_ & FontStyleBit::kBold) != 0;
  underline_ = (fontStyle_ & FontStyleBit::kUnderline) != 0;
  strikeout_ = (fontStyle_ & FontStyleBit::kStrikeout) != 0;
  pickedColor_ = color_;
  RefreshSample();
}

void FFieldStyle::SetBold(bool bold) {
  bold_ = bold;
  RefreshSample();
}

void FFieldStyle::SetUnderline(bool underline) {
  underline_ = underline;
  RefreshSample();
}

void FFieldStyle::SetStrikeout(bool strikeout) {
  strikeout_ = strikeout;
  RefreshSample();
}

void FFieldStyle::SetPickedColor(int32_t color) {
  pickedColor_ = color;
  RefreshSample();
}

void FFieldStyle::RefreshSample() { sample_ = {pickedColor_, bold_, underline_, strikeout_}; }

void FFieldStyle::PressOk() {
  ok_ = true;
  fontStyle_ = (bold_ ? FontStyleBit::kBold : 0) | (underline_ ? FontStyleBit::kUnderline : 0) |
               (strikeout_ ? FontStyleBit::kStrikeout : 0);
  color_ = pickedColor_;
}

bool OpenFieldStyleDialog(MRidirodev& state, int32_t& iFontStyle, int32_t& iColor) {
  FFieldStyle form;
  form.InitializeForOpen(iFontStyle, iColor);
  state.GroupServices().ShowModal(form);
  if (!form.IsOK()) return false;
  iFontStyle = form.FontStyle();
  iColor = form.FieldColor();
  return true;
}

}  // namespace ridirodev
