#include "standalone/qt/toolkit.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

#include "ridirodev/core/automation_error.h"
#include "standalone/qt/document_type_dialog.h"
#include "standalone/qt/field_style_dialog.h"
#include "standalone/qt/graphics.h"

namespace ridirodev::qt {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The dialog as drawn, under a title bar with its caption: offscreen there is no window manager
// to draw one, and the caption is part of what the picture shows.
QPixmap WithTitleBar(QDialog& dialog) {
  const QPixmap client = dialog.grab();
  QFont font = dialog.font();
  font.setBold(true);
  const int height = QFontMetrics(font).height() + 10;
  QPixmap picture(client.width(), client.height() + height);
  picture.fill(dialog.palette().color(QPalette::Window));
  QPainter painter(&picture);
  painter.fillRect(0, 0, client.width(), height, dialog.palette().color(QPalette::Highlight));
  painter.setPen(dialog.palette().color(QPalette::HighlightedText));
  painter.setFont(font);
  painter.drawText(QRect(8, 0, client.width() - 16, height), Qt::AlignVCenter | Qt::AlignLeft,
                   dialog.windowTitle());
  painter.drawPixmap(0, height, client);
  painter.end();
  return picture;
}

}  // namespace

bool HasDisplay() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM"); }

void EnsureApplication(bool offscreen) {
  if (QApplication::instance()) return;
  // The platform goes in as an argument, not the environment, so that whether there is a display
  // is still answered by the environment afterwards.
  static int argc = 1;
  static char name[] = "ridirodev";
  static char platformOption[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, nullptr, nullptr, nullptr};
  if (offscreen || !HasDisplay()) {
    argv[argc++] = platformOption;
    argv[argc++] = platform;
    // Drawing offscreen, Qt's notes about the missing window system (no runtime folder, no size
    // hints) say nothing to the user; its errors still do.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
      if (type != QtCriticalMsg && type != QtFatalMsg) return;
      if (previous) {
        previous(type, context, message);
      } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
      }
    });
  }
  // Qt keeps argc and argv for the application's life, which is the process's: the object stays
  // reachable through this pointer until exit.
  static QApplication* application = new QApplication(argc, argv);
  (void)application;
}

void QtDialogFront::Show(IFieldStyleForm& form) {
  EnsureApplication(!screenshot_.empty());
  FieldStyleDialog dialog(form);
  Run(dialog);
}

void QtDialogFront::Show(IDocumentTypeTreeForm& form) {
  EnsureApplication(!screenshot_.empty());
  DocumentTypeDialog dialog(form);
  Run(dialog);
}

void QtDialogFront::Run(QDialog& dialog) {
  if (screenshot_.empty()) {
    dialog.exec();
    return;
  }
  dialog.show();
  QApplication::processEvents();
  const bool saved = WithTitleBar(dialog).save(QString::fromStdString(screenshot_), "PNG");
  dialog.reject();
  if (!saved) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "QtDialogFront",
                          "Cannot write the picture to " + screenshot_ + ".");
  }
}

standalone::Toolkit OpenToolkit(const ToolkitOptions& options) {
  EnsureApplication(!options.screenshot.empty());
  return {std::make_shared<QtDialogFront>(options.screenshot), std::make_shared<QtFontServices>(),
          std::make_shared<QtImageServices>()};
}

}  // namespace ridirodev::qt
