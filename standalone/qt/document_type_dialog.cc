#include "standalone/qt/document_type_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "standalone/qt/pictures.h"

namespace ridirodev::qt {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kExpandedImageRole = Qt::UserRole + 2;
constexpr int kImageSize = 16;

QString Text(const IDocumentTypeTreeForm& form, DocumentTypeTreeControl control) {
  return QString::fromStdString(form.ControlText(control));
}

}  // namespace

DocumentTypeDialog::DocumentTypeDialog(IDocumentTypeTreeForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setWindowTitle(QString::fromStdString(form.Caption()));
  form_.Load();
  for (const std::string& key : form_.ImageKeys()) images_.emplace(key, QIcon(DrawPicture(key, kImageSize)));

  label_ = new QLabel(QString::fromStdString(form_.LabelText()));
  tree_ = new QTreeWidget;
  tree_->setHeaderHidden(true);
  tree_->setIconSize(QSize(kImageSize, kImageSize));
  label_->setBuddy(tree_);
  label_->setVisible(!label_->text().isEmpty());

  std::map<std::string, QTreeWidgetItem*, std::less<>> items;
  std::vector<std::pair<QTreeWidgetItem*, bool>> expansions;
  for (const DocumentTypeNode& node : form_.Nodes()) {
    const auto parent = items.find(node.parentKey);
    auto* item = parent == items.end() ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(parent->second);
    item->setText(0, QString::fromStdString(node.text));
    item->setData(0, kKeyRole, QString::fromStdString(node.key));
    item->setData(0, kImageRole, QString::fromStdString(node.image));
    item->setData(0, kExpandedImageRole, QString::fromStdString(node.expandedImage));
    ShowImage(item, false);
    items.emplace(node.key, item);
    expansions.emplace_back(item, node.expanded);
  }
  for (auto [item, expanded] : expansions) {
    item->setExpanded(expanded);
    ShowImage(item, expanded);
  }
  if (QTreeWidgetItem* selected = Item(form_.SelectedKey())) tree_->setCurrentItem(selected);

  ok_ = new QPushButton(Text(form, DocumentTypeTreeControl::kOk));
  ok_->setDefault(true);
  cancel_ = new QPushButton(Text(form, DocumentTypeTreeControl::kCancel));
  help_ = new QPushButton(Text(form, DocumentTypeTreeControl::kHelp));
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addWidget(help_);
  buttons->addStretch();
  auto* body = new QHBoxLayout;
  body->addWidget(tree_, 1);
  body->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addLayout(body, 1);
  resize(PixelsOfTwips(form_.Width()), PixelsOfTwips(form_.Height()));

  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { ShowImage(item, true); });
  connect(tree_, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* item) { ShowImage(item, false); });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) form_.Select(item->data(0, kKeyRole).toString().toStdString());
  });
  // A double click (or Enter) on a node without children is OK; on the others it opens or closes them.
  connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    if (item && item->childCount() == 0) accept();
  });
  connect(ok_, &QPushButton::clicked, this, &DocumentTypeDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &DocumentTypeDialog::reject);
  connect(help_, &QPushButton::clicked, this, [this] { form_.PressHelp(); });
}

QTreeWidgetItem* DocumentTypeDialog::Item(std::string_view key) const {
  const QString wanted = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    if ((*it)->data(0, kKeyRole).toString() == wanted) return *it;
  }
  return nullptr;
}

void DocumentTypeDialog::ShowImage(QTreeWidgetItem* item, bool expanded) {
  const std::string key = item->data(0, expanded ? kExpandedImageRole : kImageRole).toString().toStdString();
  const auto found = images_.find(key);
  item->setIcon(0, found == images_.end() ? QIcon() : found->second);
}

void DocumentTypeDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (activated_) return;
  activated_ = true;
  // A tree with no node closes itself once it is up, as the form asks.
  if (!form_.Activate()) QTimer::singleShot(0, this, &DocumentTypeDialog::reject);
}

void DocumentTypeDialog::accept() {
  if (form_.PressOk()) QDialog::accept();
}

void DocumentTypeDialog::reject() {
  form_.PressCancel();
  QDialog::reject();
}

void DocumentTypeDialog::done(int result) {
  if (!closed_) {
    closed_ = true;
    form_.Unload(TwipsOfPixels(width()), TwipsOfPixels(height()));
  }
  QDialog::done(result);
}

}  // namespace ridirodev::qt
