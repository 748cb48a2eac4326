#include "standalone/qt/field_style_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ridirodev::qt {

QColor QColorOf(int32_t color) {
  const Rgb rgb = RgbOfColor(color);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

int32_t ColorOf(const QColor& color) {
  return ColorOfRgb({static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                     static_cast<uint8_t>(color.blue())});
}

namespace {

QString Text(const IFieldStyleForm& form, FieldStyleControl control) {
  return QString::fromStdString(form.ControlText(control));
}

}  // namespace

FieldStyleDialog::FieldStyleDialog(IFieldStyleForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  setWindowTitle(QString::fromStdString(form.Caption()));
  form_.Load();

  auto* fontStyle = new QGroupBox(Text(form, FieldStyleControl::kFontStyleFrame));
  regular_ = new QRadioButton(Text(form, FieldStyleControl::kRegular));
  bold_ = new QRadioButton(Text(form, FieldStyleControl::kBold));
  auto* fontStyleLayout = new QVBoxLayout(fontStyle);
  fontStyleLayout->addWidget(regular_);
  fontStyleLayout->addWidget(bold_);

  auto* effects = new QGroupBox(Text(form, FieldStyleControl::kEffectsFrame));
  underline_ = new QCheckBox(Text(form, FieldStyleControl::kUnderline));
  strikeout_ = new QCheckBox(Text(form, FieldStyleControl::kStrikeout));
  auto* effectsLayout = new QVBoxLayout(effects);
  effectsLayout->addWidget(underline_);
  effectsLayout->addWidget(strikeout_);

  auto* colorLabel = new QLabel(Text(form, FieldStyleControl::kColorLabel));
  colorButton_ = new QPushButton;
  colorButton_->setAccessibleName(QStringLiteral("Color"));
  colorButton_->setMinimumWidth(72);
  colorLabel->setBuddy(colorButton_);

  auto* sampleFrame = new QGroupBox(Text(form, FieldStyleControl::kSampleFrame));
  sample_ = new QLabel(Text(form, FieldStyleControl::kSample));
  sample_->setAlignment(Qt::AlignCenter);
  sample_->setMinimumHeight(36);
  auto* sampleLayout = new QVBoxLayout(sampleFrame);
  sampleLayout->addWidget(sample_);

  ok_ = new QPushButton(Text(form, FieldStyleControl::kOk));
  ok_->setDefault(true);
  cancel_ = new QPushButton(Text(form, FieldStyleControl::kCancel));

  auto* grid = new QGridLayout;
  grid->addWidget(fontStyle, 0, 0);
  grid->addWidget(effects, 0, 1);
  auto* colorRow = new QHBoxLayout;
  colorRow->addWidget(colorLabel);
  colorRow->addWidget(colorButton_);
  colorRow->addStretch();
  grid->addLayout(colorRow, 1, 0, 1, 2);
  grid->addWidget(sampleFrame, 2, 0, 1, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  // The controls take the loaded style before they are connected, so that nothing is reported back.
  (form_.Bold() ? bold_ : regular_)->setChecked(true);
  underline_->setChecked(form_.Underline());
  strikeout_->setChecked(form_.Strikeout());
  Refresh();

  const auto follow = [this](QAbstractButton* control, auto set) {
    connect(control, &QAbstractButton::toggled, this, [this, set](bool on) {
      set(form_, on);
      Refresh();
    });
  };
  follow(bold_, [](IFieldStyleForm& form, bool on) { form.SetBold(on); });
  follow(underline_, [](IFieldStyleForm& form, bool on) { form.SetUnderline(on); });
  follow(strikeout_, [](IFieldStyleForm& form, bool on) { form.SetStrikeout(on); });
  connect(colorButton_, &QPushButton::clicked, this, [this] {
    const QColor picked =
        QColorDialog::getColor(QColorOf(form_.PickedColor()), this, QStringLiteral("Color"));
    if (picked.isValid()) PickColor(picked);
  });
  connect(ok_, &QPushButton::clicked, this, &FieldStyleDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &FieldStyleDialog::reject);
}

void FieldStyleDialog::PickColor(const QColor& color) {
  form_.SetPickedColor(ColorOf(color));
  Refresh();
}

void FieldStyleDialog::Refresh() {
  const TextLook look = form_.Sample();
  QFont font = sample_->font();
  font.setBold(look.bold);
  font.setUnderline(look.underline);
  font.setStrikeOut(look.strikeout);
  sample_->setFont(font);
  QPalette palette = sample_->palette();
  palette.setColor(QPalette::WindowText, QColorOf(look.color));
  sample_->setPalette(palette);
  QPixmap swatch(40, 14);
  swatch.fill(QColorOf(form_.PickedColor()));
  colorButton_->setIcon(QIcon(swatch));
  colorButton_->setIconSize(swatch.size());
}

void FieldStyleDialog::accept() {
  form_.PressOk();
  QDialog::accept();
}

void FieldStyleDialog::reject() {
  form_.PressCancel();
  QDialog::reject();
}

}  // namespace ridirodev::qt
