#pragma once

#include <QColor>
#include <QDialog>

#include "ridirodev/host/dialogs.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace ridirodev::qt {

// The field style chooser drawn with widgets. Every change goes to the form, and the sample shows
// the form's look; OK and Cancel are the form's.
class FieldStyleDialog : public QDialog {
 public:
  // Loads the form; form must outlive the dialog.
  explicit FieldStyleDialog(IFieldStyleForm& form, QWidget* parent = nullptr);

  // What the colour button does once the user has picked a colour in the platform's dialog.
  void PickColor(const QColor& color);

  void accept() override;
  void reject() override;

  QRadioButton* Regular() const { return regular_; }
  QRadioButton* Bold() const { return bold_; }
  QCheckBox* Underline() const { return underline_; }
  QCheckBox* Strikeout() const { return strikeout_; }
  QPushButton* ColorButton() const { return colorButton_; }
  QLabel* Sample() const { return sample_; }
  QPushButton* Ok() const { return ok_; }
  QPushButton* Cancel() const { return cancel_; }

 private:
  void Refresh();

  IFieldStyleForm& form_;
  QRadioButton* regular_;
  QRadioButton* bold_;
  QCheckBox* underline_;
  QCheckBox* strikeout_;
  QPushButton* colorButton_;
  QLabel* sample_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// Platform colour values and Qt's colours, both ways.
QColor QColorOf(int32_t color);
int32_t ColorOf(const QColor& color);

}  // namespace ridirodev::qt
