// The Qt dialog host on the offscreen platform, driven through the core's
// dialogs: geometry, keys, the list's clicks, nesting and the About box.
#include "platform/qt/qt_dialog_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/dialogs.h"
#include "shell/site_dialog.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using Answer = std::optional<std::string>;

// Ends whatever is still open after a few seconds, so a broken dialog fails
// the test instead of hanging it.
class Guard {
 public:
  explicit Guard(QtDialogHost& host) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [&host] {
      ADD_FAILURE() << "a dialog was still open";
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      for (DialogId id = 1; id <= 4; ++id)
        host.EndDialog(id, -1);
    });
    timer_.start(5000);
  }

 private:
  QTimer timer_;
};

class QtDialogHostTest : public testing::Test {
 protected:
  QtDialogHostTest() { t.window.SetDialogHost(&host); }

  // Runs `action` once the dialog's event loop is running.
  // Runs `action` once the dialog's event loop is running (never after the
  // test: the timer goes with the main window).
  void Soon(std::function<void()> action) { QTimer::singleShot(0, &mainWindow, std::move(action)); }

  template <typename T>
  T* Get(DialogId dialog, int controlId) {
    return qobject_cast<T*>(host.Control(dialog, controlId));
  }
  QListWidget* List() { return Get<QListWidget>(1, kCommPortListId); }
  void ClickItem(int row, Qt::KeyboardModifiers modifiers = {}) {
    List()->doItemsLayout();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers,
                      List()->visualItemRect(List()->item(row)).center());
  }

  test::TestApp t;
  QWidget mainWindow;
  QtDialogHost host{&mainWindow};
  Guard guard{host};
};

TEST(DialogUnits, EachEdgeIsScaledAndRounded) {
  const DialogBaseUnits msSansSerif{6, 13};
  EXPECT_EQ(MapDialogRect(QRect(0, 0, 160, 50), msSansSerif), QRect(0, 0, 240, 81));
  EXPECT_EQ(MapDialogRect(QRect(14, 12, 134, 12), msSansSerif), QRect(21, 20, 201, 19));
  EXPECT_EQ(MapDialogRect(QRect(25, 90, 30, 14), msSansSerif), QRect(38, 146, 45, 23));
}

TEST_F(QtDialogHostTest, TextDialogIsLaidOutInDialogUnitsOfAnEightPointFont) {
  Soon([&] {
    QDialog* dialog = host.Widget(1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->font().pointSize(), 8);
    const QFontMetrics metrics(dialog->font());
    const double x = std::round(
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0);
    const double y = metrics.height();
    const auto px = [](int du, double base, int div) { return int(std::lround(du * base / div)); };
    EXPECT_EQ(dialog->size(), QSize(px(160, x, 4), px(50, y, 8)));
    EXPECT_EQ(
        Get<QLineEdit>(1, kDialogTextBoxId)->geometry(),
        QRect(QPoint(px(14, x, 4), px(12, y, 8)), QPoint(px(148, x, 4) - 1, px(24, y, 8) - 1)));
    EXPECT_EQ(Get<QPushButton>(1, kIdCancel)->geometry().topLeft(),
              QPoint(px(84, x, 4), px(32, y, 8)));
    Get<QPushButton>(1, kIdCancel)->click();
  });
  AskText(t.app, "Polling Interval", "0.1");
}

TEST_F(QtDialogHostTest, RunTimeDialogHasNoOwnerNoCloseBoxAndLeavesTheMainWindowAlone) {
  mainWindow.show();
  Soon([&] {
    QDialog* dialog = host.Widget(1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->parentWidget(), nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Port Address");
    EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(dialog->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(mainWindow.isEnabled());
    Get<QPushButton>(1, kIdCancel)->click();
  });
  EXPECT_EQ(AskText(t.app, "Port Address", "4131"), std::nullopt);
}

TEST_F(QtDialogHostTest, OkIsTheDefaultButtonAndCancelATabStop) {
  Soon([&] {
    auto* ok = Get<QPushButton>(1, kIdOk);
    auto* cancel = Get<QPushButton>(1, kIdCancel);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(ok->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(cancel->isDefault());
    EXPECT_TRUE(cancel->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(ok->text(), "OK");
    cancel->click();
  });
  AskText(t.app, "Locate Radio", "0");
}

TEST_F(QtDialogHostTest, EnterAcceptsTheTextAsTyped) {
  Soon([&] {
    auto* edit = Get<QLineEdit>(1, kDialogTextBoxId);
    EXPECT_EQ(edit->text(), "0.1");
    QTest::keyClicks(edit, "2.5");  // replaces the selected initial text
    QTest::keyClick(edit, Qt::Key_Return);
  });
  EXPECT_EQ(AskText(t.app, "Polling Interval", "0.1"), Answer("2.5"));
}

TEST_F(QtDialogHostTest, EscCancelsAndDestroysTheDialog) {
  QPointer<QDialog> dialog;
  Soon([&] {
    dialog = host.Widget(1);
    QTest::keyClick(Get<QLineEdit>(1, kDialogTextBoxId), Qt::Key_Escape);
  });
  t.app.Window.DialogText = "earlier";
  EXPECT_EQ(AskText(t.app, "UDP PassWord", "WXYZ"), std::nullopt);
  EXPECT_EQ(t.app.Window.DialogText, "earlier");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(dialog.isNull());
  EXPECT_EQ(host.Widget(1), nullptr);
}

TEST_F(QtDialogHostTest, EnterDoesNothingInThePortListAndEscCancels) {
  bool openAfterEnter = false;
  Soon([&] {
    QTest::keyClick(List(), Qt::Key_Return);  // no OK button to press
    openAfterEnter = host.Widget(1) != nullptr;
    QTest::keyClick(List(), Qt::Key_Escape);
  });
  EXPECT_EQ(AskCommPort(t.app), std::nullopt);
  EXPECT_TRUE(openAfterEnter);
}

TEST_F(QtDialogHostTest, EnterPressesTheFocusedButton) {
  Soon([&] {
    host.Widget(1)->activateWindow();
    Get<QPushButton>(1, kIdCancel)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Get<QPushButton>(1, kIdCancel), Qt::Key_Return);
  });
  EXPECT_EQ(AskText(t.app, "Polling Interval", "0.1"), std::nullopt);
}

TEST_F(QtDialogHostTest, ClickOnAnotherPortEndsTheDialogWithIt) {
  t.app.Link.CommPortName = "Com3";
  Soon([&] {
    ASSERT_EQ(List()->count(), 8);
    EXPECT_EQ(List()->selectedItems().value(0)->text(), "Com3");
    ClickItem(4);
  });
  EXPECT_EQ(AskCommPort(t.app), Answer("Com5"));
}

TEST_F(QtDialogHostTest, ClickOnTheSelectedPortChangesNothingButADoubleClickEnds) {
  t.app.Link.CommPortName = "Com3";
  bool openAfterClick = false;
  Soon([&] {
    ClickItem(2);
    ClickItem(2, Qt::ControlModifier);  // would clear a Qt list's selection
    openAfterClick = host.Widget(1) != nullptr && host.Widget(1)->isVisible();
    if (!openAfterClick) return;
    const QPoint at = List()->visualItemRect(List()->item(2)).center();
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
  });
  EXPECT_EQ(AskCommPort(t.app), Answer("Com3"));
  EXPECT_TRUE(openAfterClick);
}

TEST_F(QtDialogHostTest, ArrowKeyMovesTheSelectionAndEndsTheDialog) {
  t.app.Link.CommPortName = "Com3";
  Soon([&] { QTest::keyClick(List(), Qt::Key_Down); });
  EXPECT_EQ(AskCommPort(t.app), Answer("Com4"));
}

TEST_F(QtDialogHostTest, ListItemsAreSortedWithoutCaseUpToTheFirstEmptyOne) {
  const DialogId dialog = host.NewDialog("List", 80, 120);
  host.AddControl(dialog,
                  {ControlKind::ListBox, 7, "", {"b", "C", "a", "", "z"}, 0, 0, 40, 80, {}});
  auto* list = Get<QListWidget>(dialog, 7);
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "a");
  EXPECT_EQ(list->item(1)->text(), "b");
  EXPECT_EQ(list->item(2)->text(), "C");
  host.SelectListItem(dialog, 7, 2);
  EXPECT_EQ(host.GetListText(dialog, 7), "b");
  host.SelectListItem(dialog, 7, 9);
  EXPECT_EQ(host.GetListText(dialog, 7), "");
  host.EndDialog(dialog, 0);
}

TEST_F(QtDialogHostTest, NestedDialogReturnsFirstEvenWhenTheOuterEndedBefore) {
  std::vector<std::string> returned;
  Soon([&] {
    Soon([&] {
      Get<QPushButton>(1, kIdCancel)->click();  // the outer one, first
      QTest::keyClicks(Get<QLineEdit>(2, kDialogTextBoxId), "inner");
      QTest::keyClick(Get<QLineEdit>(2, kDialogTextBoxId), Qt::Key_Return);
    });
    // A further command while the first dialog is up.
    const Answer inner = AskText(t.app, "Port Address", "4131");
    returned.push_back("inner " + inner.value_or("cancelled"));
  });
  const Answer outer = AskText(t.app, "New IP Address", "10.0.0.1");
  returned.push_back("outer " + outer.value_or("cancelled"));
  EXPECT_EQ(returned, (std::vector<std::string>{"inner inner", "outer cancelled"}));
}

TEST_F(QtDialogHostTest, AboutIsModalOverTheMainWindowAndClosesItself) {
  mainWindow.show();
  host.SetAboutTimeout(50);
  QWidget* modal = nullptr;
  QString title;
  QStringList texts;
  Soon([&] {
    modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    title = modal->windowTitle();
    for (const QLabel* label : modal->findChildren<QLabel*>()) {
      texts << label->text();
      EXPECT_GE(label->width(), label->sizeHint().width())
          << "cut off: " << label->text().toStdString();
      EXPECT_LE(label->geometry().right(), modal->width()) << label->text().toStdString();
    }
    EXPECT_EQ(modal->parentWidget(), &mainWindow);
  });
  ShowAbout(t.app);
  ASSERT_NE(modal, nullptr);
  EXPECT_EQ(title, "About ptpdiag");
  EXPECT_TRUE(texts.contains("Norvalen Point To Point Diagnostics Version 1.00"));
  EXPECT_EQ(host.LastAboutResult(), 1);
}

TEST_F(QtDialogHostTest, EscClosesTheAboutBoxAtOnce) {
  host.SetAboutTimeout(60000);
  Soon([&] {
    if (QWidget* modal = QApplication::activeModalWidget()) QTest::keyClick(modal, Qt::Key_Escape);
  });
  QElapsedTimer elapsed;
  elapsed.start();
  ShowAbout(t.app);
  EXPECT_LT(elapsed.elapsed(), 4000);
  EXPECT_EQ(host.LastAboutResult(), 0);
}

// The site details dialog on Qt: labels, UTF-8 text boxes and a photo list
// kept in the order the photos were added.
TEST_F(QtDialogHostTest, SiteDialogKeepsUtf8TextAndThePhotosOrder) {
  t.window.FileAnswers = {"z.png", "a.jpg"};
  Soon([&] {
    ASSERT_NE(Get<QLabel>(1, 300), nullptr);
    EXPECT_EQ(Get<QLabel>(1, 300)->text(), "Site A:");
    Get<QLineEdit>(1, 200)->setText(QString::fromUtf8("Nørd mast"));
    Get<QPushButton>(1, 401)->click();
    Get<QPushButton>(1, 401)->click();
    QListWidget* photos = Get<QListWidget>(1, 400);
    ASSERT_EQ(photos->count(), 2);
    EXPECT_EQ(photos->item(0)->text(), "z.png");
    EXPECT_EQ(photos->item(1)->text(), "a.jpg");
    Get<QPushButton>(1, kIdOk)->click();
  });
  ASSERT_TRUE(AskSiteDetails(t.app));
  EXPECT_EQ(t.app.Site.Fields, (ReportFields{{"Site A", "Nørd mast"}}));
  EXPECT_EQ(t.app.Site.Photos, (std::vector<std::string>{"z.png", "a.jpg"}));
}

}  // namespace
}  // namespace ptpdiag
