#pragma once

#include <QDialog>
#include <QIcon>
#include <map>
#include <string>
#include <string_view>

#include "ridirodev/host/dialogs.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ridirodev::qt {

// The document type tree drawn with widgets: the form's nodes with their folder pictures, the
// selection reported to the form, and OK, Cancel and Help as the form rules. The window opens at
// the form's size and gives its size back when it closes.
class DocumentTypeDialog : public QDialog {
 public:
  // Loads the form; form must outlive the dialog.
  explicit DocumentTypeDialog(IDocumentTypeTreeForm& form, QWidget* parent = nullptr);

  // The node of a key, nullptr for none.
  QTreeWidgetItem* Item(std::string_view key) const;

  // OK closes only when the form agrees.
  void accept() override;
  void reject() override;
  void done(int result) override;

  QLabel* Label() const { return label_; }
  QTreeWidget* Tree() const { return tree_; }
  QPushButton* Ok() const { return ok_; }
  QPushButton* Cancel() const { return cancel_; }
  QPushButton* Help() const { return help_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowImage(QTreeWidgetItem* item, bool expanded);

  IDocumentTypeTreeForm& form_;
  QLabel* label_;
  QTreeWidget* tree_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* help_;
  std::map<std::string, QIcon, std::less<>> images_;
  bool activated_ = false;
  bool closed_ = false;
};

}  // namespace ridirodev::qt
