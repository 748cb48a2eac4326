#pragma once

// The standalone host's Qt 6 Widgets front: the component's dialogs drawn with widgets, and the
// fonts and pictures of Qt for its list style manager.

#include <memory>
#include <string>

#include "ridirodev/host/dialogs.h"
#include "standalone/host.h"

class QDialog;

namespace ridirodev::qt {

// Whether there is a screen to show a window on: a display server, or a platform named in
// QT_QPA_PLATFORM.
bool HasDisplay();

// Makes Qt's application object on first call, on the offscreen platform when asked (or when
// there is no display); later calls change nothing.
void EnsureApplication(bool offscreen);

// Shows each form as a modal dialog. With a screenshot file the dialog is drawn offscreen
// instead, saved there as PNG, and answered with Cancel.
class QtDialogFront : public IDialogFront {
 public:
  explicit QtDialogFront(std::string screenshot = "") : screenshot_(std::move(screenshot)) {}
  void Show(IFieldStyleForm& form) override;
  void Show(IDocumentTypeTreeForm& form) override;

 private:
  void Run(QDialog& dialog);
  std::string screenshot_;
};

struct ToolkitOptions {
  std::string screenshot;  // see QtDialogFront
};

// The dialogs, fonts and pictures of Qt for StandaloneHost::UseToolkit; makes the application
// object (offscreen with a screenshot).
standalone::Toolkit OpenToolkit(const ToolkitOptions& options);

}  // namespace ridirodev::qt
