// The dialogs drawn with Qt Widgets, offscreen: the controls show the form, clicks reach it, and
// through the host's modal display the component gets the user's choice back. Pictures of both
// dialogs are saved in the build folder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/dialogs/f_field_style.h"
#include "ridirodev/model/dialogs/f_select_document_type_tree.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/qt/document_type_dialog.h"
#include "standalone/qt/field_style_dialog.h"
#include "standalone/qt/toolkit.h"
#include "testing/sample.h"

namespace ridirodev::qt {
namespace {

// Runs user on the modal dialog once it is up; the dialog is closed afterwards whatever the user
// did, so that a failing check cannot leave the test waiting.
template <class Dialog>
void WhenShown(std::function<void(Dialog&)> user) {
  QTimer::singleShot(0, [user = std::move(user)] {
    auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    user(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
}

class DialogsTest : public testing::SampleHostTest {
 protected:
  explicit DialogsTest(bool extended = false) {
    EnsureApplication(true);
    scope_.reset();
    host_ = testing::SampleHost([&](standalone::StandaloneConfig& c) {
      c.extendedEntityViews = extended;
      c.user = "admin";
    });
    host_->UseToolkit(OpenToolkit({}));
    scope_.emplace(host_);
    CRidirodevInitializer().Initialize();
  }
  IFolderDocumentTypesPtr ReportTypes() {
    return MRidirodev::Current().GroupServices().Folder("Traffic Reports")->DocumentTypes();
  }
};

TEST_F(DialogsTest, FieldStyleShowsTheMaskAndGivesBackWhatTheUserTicked) {
  WhenShown<FieldStyleDialog>([](FieldStyleDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Field Style");
    EXPECT_TRUE(d.Bold()->isChecked());
    EXPECT_FALSE(d.Regular()->isChecked());
    EXPECT_FALSE(d.Underline()->isChecked());
    EXPECT_TRUE(d.Strikeout()->isChecked());
    EXPECT_EQ(d.Underline()->text(), "&Underline");
    const QFont sample = d.Sample()->font();
    EXPECT_TRUE(sample.bold());
    EXPECT_TRUE(sample.strikeOut());
    EXPECT_FALSE(sample.underline());
    EXPECT_EQ(d.Sample()->palette().color(QPalette::WindowText), QColor(0x40, 0x80, 0xC0));
    QTest::mouseClick(d.Underline(), Qt::LeftButton);
    EXPECT_TRUE(d.Sample()->font().underline());
    QTest::mouseClick(d.Ok(), Qt::LeftButton);
  });
  int32_t mask = 5;
  int32_t color = 0x00C08040;
  EXPECT_TRUE(GRidirodev::OpenFieldStyleDialog(mask, color));
  EXPECT_EQ(mask, 7);
  EXPECT_EQ(color, 0x00C08040);
}

TEST_F(DialogsTest, FieldStyleCancelLeavesBothValues) {
  WhenShown<FieldStyleDialog>([](FieldStyleDialog& d) {
    QTest::mouseClick(d.Regular(), Qt::LeftButton);
    d.PickColor(QColor(255, 0, 0));
    EXPECT_FALSE(d.Sample()->font().bold());
    EXPECT_EQ(d.Sample()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QTest::mouseClick(d.Cancel(), Qt::LeftButton);
  });
  int32_t mask = 5;
  int32_t color = 0x00C08040;
  EXPECT_FALSE(GRidirodev::OpenFieldStyleDialog(mask, color));
  EXPECT_EQ(mask, 5);
  EXPECT_EQ(color, 0x00C08040);
  // A colour picked and kept comes back as the platform's value: red is 255.
  WhenShown<FieldStyleDialog>([](FieldStyleDialog& d) {
    d.PickColor(QColor(255, 0, 0));
    QTest::mouseClick(d.Ok(), Qt::LeftButton);
  });
  EXPECT_TRUE(GRidirodev::OpenFieldStyleDialog(mask, color));
  EXPECT_EQ(color, 255);
}

TEST_F(DialogsTest, TreeStaysOpenOnANodeThatCannotBeChosen) {
  WhenShown<DocumentTypeDialog>([](DocumentTypeDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Select Document Type");
    EXPECT_EQ(d.Label()->text(), "Type");
    EXPECT_EQ(d.Help()->text(), "&Help");
    EXPECT_EQ(d.Tree()->currentItem(), d.Item("Entities"));
    EXPECT_EQ(d.size(), QSize(367, 319));
    QTreeWidgetItem* paging = d.Item("Cat:16");
    ASSERT_NE(paging, nullptr);
    EXPECT_EQ(paging->text(0), "PagingArea");
    d.Tree()->setCurrentItem(paging);
    QTest::mouseClick(d.Ok(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    d.Tree()->setCurrentItem(d.Item("Cat:12"));
    QTest::mouseClick(d.Ok(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
  });
  IFolderDocumentTypePtr type;
  EXPECT_TRUE(GRidirodev::SelectFolderDocumentTypeTree(type, ReportTypes()));
  ASSERT_TRUE(type);
  EXPECT_EQ(type->Name(), "CellSite");
  // Activating a node: one with children only opens; a leaf is chosen unless it cannot be.
  WhenShown<DocumentTypeDialog>([](DocumentTypeDialog& d) {
    QTreeWidget& tree = *d.Tree();
    for (const char* key : {"Cat:12", "Cat:16", "Cat:15"}) {
      tree.setCurrentItem(d.Item(key));
      emit tree.itemActivated(d.Item(key), 0);
      EXPECT_EQ(d.isVisible(), std::string(key) != "Cat:15") << key;
    }
  });
  EXPECT_TRUE(GRidirodev::SelectFolderDocumentTypeTree(type, ReportTypes()));
  EXPECT_EQ(type->Name(), "CellEqFace3GCDMACarrier");
  // The window gave its size back to the settings when it closed.
  const auto sizes = MRidirodev::Current().GroupServices().Settings()->Child("SelectDocumentTypeTreeRoot");
  EXPECT_EQ(sizes->Value("Width").ToDouble(), 367 * 15);
}

class ExtendedDialogsTest : public DialogsTest {
 protected:
  ExtendedDialogsTest() : DialogsTest(true) {}
};

TEST_F(ExtendedDialogsTest, ASystemChosenAmongVersionsGivesItsId) {
  WhenShown<DocumentTypeDialog>([](DocumentTypeDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Select Confidence Report System");
    EXPECT_FALSE(d.Label()->isVisible());
    ASSERT_NE(d.Item("Cat:10"), nullptr);
    EXPECT_EQ(d.Item("Cat:11"), nullptr);  // no entities below the systems
    d.Tree()->setCurrentItem(d.Item("Cat:10"));
    QTest::mouseClick(d.Ok(), Qt::LeftButton);
  });
  EXPECT_EQ(GRidirodev::SelectSystemId(), 10);
}

TEST_F(DialogsTest, ScreenshotsOfBothDialogsAreSavedAndAnsweredWithCancel) {
  const std::string folder = RIDIRODEV_SCREENSHOTS;
  QtDialogFront front(folder + "/field_style.png");
  FFieldStyle style;
  style.InitializeForOpen(5, 255);
  front.Show(style);
  EXPECT_FALSE(style.IsOK());
  FSelectDocumentTypeTree tree(MRidirodev::Current());
  tree.Initialize(nullptr, ReportTypes(), "Select Document Type", "Type");
  QtDialogFront(folder + "/document_type_tree.png").Show(tree);
  EXPECT_FALSE(tree.Ok());
  for (const char* name : {"/field_style.png", "/document_type_tree.png"}) {
    const QImage picture(QString::fromStdString(folder + name));
    EXPECT_GT(picture.width(), 200) << name;
    EXPECT_GT(picture.height(), 150) << name;
  }
  // A picture that cannot be written is an error, and the dialog is still answered.
  FFieldStyle unsaved;
  EXPECT_THROW(QtDialogFront("/nonexistent-folder/x.png").Show(unsaved), AutomationError);
  EXPECT_FALSE(unsaved.IsOK());
}

}  // namespace
}  // namespace ridirodev::qt
