#pragma once

// The component's dialogs as the host sees them. Each form is a model that holds the state, the
// rules and the texts; the host's front draws it, shows it modally and reports what the user
// does. The component asks for a form through IAppGroupServices::ShowModal, and the form hands
// itself to the front that draws its kind.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ridirodev {

class IFieldStyleForm;
class IDocumentTypeTreeForm;

// Draws the component's forms. Each Show returns once the user has closed the form.
class IDialogFront {
 public:
  virtual ~IDialogFront() = default;
  virtual void Show(IFieldStyleForm& form) = 0;
  virtual void Show(IDocumentTypeTreeForm& form) = 0;
};

class IModalForm {
 public:
  virtual ~IModalForm() = default;
  virtual std::string Caption() const = 0;
  // Hands the form to the front's Show for its kind.
  virtual void ShowWith(IDialogFront& front) = 0;
};

// Colours are the platform's values: red in the low byte, then green, then blue (255 is red).
struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
constexpr Rgb RgbOfColor(int32_t color) {
  return {static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
          static_cast<uint8_t>((color >> 16) & 0xFF)};
}
constexpr int32_t ColorOfRgb(Rgb rgb) { return rgb.red | (rgb.green << 8) | (rgb.blue << 16); }

// Window sizes are form units (twips): 15 to a pixel at 96 dots per inch.
inline constexpr int32_t kTwipsPerPixel = 15;
inline int32_t PixelsOfTwips(double twips) {
  return static_cast<int32_t>(std::lround(twips / kTwipsPerPixel));
}
constexpr double TwipsOfPixels(int32_t pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

// How text is drawn: a platform colour and the three font effects.
struct TextLook {
  int32_t color = 0;
  bool bold = false;
  bool underline = false;
  bool strikeout = false;
  friend bool operator==(const TextLook&, const TextLook&) = default;
};

enum class FieldStyleControl {
  kFontStyleFrame,
  kRegular,
  kBold,
  kEffectsFrame,
  kUnderline,
  kStrikeout,
  kColorLabel,
  kSampleFrame,
  kSample,
  kOk,
  kCancel,
};

// The field style chooser: a font style (regular or bold, underline, strikeout) and a colour.
class IFieldStyleForm : public IModalForm {
 public:
  // The control's text, with "&" before its mnemonic.
  virtual std::string ControlText(FieldStyleControl control) const = 0;
  // The form's load: the controls take the style the form was opened with.
  virtual void Load() = 0;
  virtual bool Bold() const = 0;  // "&Bold" chosen, else "&Regular"
  virtual void SetBold(bool bold) = 0;
  virtual bool Underline() const = 0;
  virtual void SetUnderline(bool underline) = 0;
  virtual bool Strikeout() const = 0;
  virtual void SetStrikeout(bool strikeout) = 0;
  virtual int32_t PickedColor() const = 0;
  virtual void SetPickedColor(int32_t color) = 0;
  // The sample's look, refreshed by every change.
  virtual TextLook Sample() const = 0;
  // Both close the form.
  virtual void PressOk() = 0;
  virtual void PressCancel() = 0;
};

// A node of the document type tree.
struct DocumentTypeNode {
  std::string key;
  std::string parentKey;  // "" at the top level
  std::string text;
  std::string tag;  // the name of the node's document type
  std::string image;
  std::string expandedImage;
  bool expanded = false;
};

enum class DocumentTypeTreeControl { kOk, kCancel, kHelp };

// The document type tree: one node of the entity hierarchy is chosen.
class IDocumentTypeTreeForm : public IModalForm {
 public:
  virtual std::string LabelText() const = 0;
  virtual std::string ControlText(DocumentTypeTreeControl control) const = 0;
  // The keys of the pictures the nodes use, and of the others the form's image list holds.
  virtual std::vector<std::string> ImageKeys() const = 0;
  // The form's load: window size, label, document kind and the tree (with any message).
  virtual void Load() = 0;
  // False when the form must close at once: its tree is empty.
  virtual bool Activate() = 0;
  // In display order: every node after its parent, and siblings in their order.
  virtual const std::vector<DocumentTypeNode>& Nodes() const = 0;
  virtual std::string SelectedKey() const = 0;  // "" when none
  virtual void Select(std::string_view key) = 0;
  // True when the form closes; false keeps it open.
  virtual bool PressOk() = 0;
  virtual void PressCancel() = 0;
  virtual void PressHelp() = 0;
  // Window size in form units: as loaded, and written back when the form closes.
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void Unload(double width, double height) = 0;
};

}  // namespace ridirodev
