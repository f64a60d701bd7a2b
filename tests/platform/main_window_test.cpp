// The Qt main window on the offscreen platform: the menu "MAINMENU", the
// status bar's texts, and keys and the mouse as window messages.
#include "platform/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "platform/qt/key_map.h"
#include "platform/virtual_keys.h"
#include "shell/startup.h"
#include "state/app_context.h"
#include "platform/qt/raster_canvas.h"
#include "support/image_difference.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

struct KeyCase {
  std::string name;
  KeyPress press;
  std::optional<std::uint32_t> code;
};

class KeyMap : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyMap, GivesTheVirtualKeyCode) {
  EXPECT_EQ(VirtualKey(GetParam().press), GetParam().code);
}

constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kPad = Qt::KeypadModifier;

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyMap,
    testing::Values(KeyCase{"One", {Qt::Key_1, kNone, 0, false}, VK_0 + 1},
                    KeyCase{"ShiftOneOnUs", {Qt::Key_Exclam, kShift, 0, false}, VK_0 + 1},
                    KeyCase{"ShiftThreeByScanCode", {Qt::Key_section, kShift, 12, true}, VK_0 + 3},
                    KeyCase{"FrenchAmpersandIsOne", {Qt::Key_Ampersand, kNone, 10, true}, VK_0 + 1},
                    KeyCase{"ZeroByScanCode", {Qt::Key_0, kNone, 19, true}, VK_0},
                    KeyCase{"KeypadOneIsNotOne", {Qt::Key_1, kPad, 87, true}, VK_NUMPAD0 + 1},
                    KeyCase{"KeypadUpIsUp", {Qt::Key_Up, kPad, 80, true}, VK_UP},
                    KeyCase{"LowerCIsC", {Qt::Key_C, kNone, 54, true}, VK_A + 2},
                    KeyCase{"ShiftCIsC", {Qt::Key_C, kShift, 54, true}, VK_A + 2},
                    KeyCase{"Escape", {Qt::Key_Escape, kNone, 9, true}, VK_ESCAPE},
                    KeyCase{"PageUp", {Qt::Key_PageUp, kNone, 0, false}, VK_PRIOR},
                    KeyCase{"PageDown", {Qt::Key_PageDown, kNone, 0, false}, VK_NEXT},
                    KeyCase{"F1", {Qt::Key_F1, kNone, 0, false}, VK_F1},
                    KeyCase{"F10GoesToTheMenu", {Qt::Key_F10, kNone, 0, false}, std::nullopt},
                    KeyCase{"AltGoesToTheMenu", {Qt::Key_Alt, kNone, 0, false}, std::nullopt},
                    KeyCase{
                        "OtherKeyStillRepaints", {Qt::Key_Comma, kNone, 0, false}, VK_OEM_OTHER}),
    [](const auto& info) { return info.param.name; });

class MainWindow : public testing::Test {
 protected:
  MainWindow() : main(800, 560) {
    SetStartValues(app);
    CreateMainWindow(app, main.Window());
  }
  test::FakeClock clock;
  AppContext app{clock};
  QtMainWindow main;
};

std::vector<std::pair<std::string, int>> Items(QMenu* menu) {
  std::vector<std::pair<std::string, int>> items;
  for (QAction* a : menu->actions()) {
    items.emplace_back(a->isSeparator() ? "-" : a->text().toStdString(),
                       a->isSeparator() ? 0 : a->data().toInt());
  }
  return items;
}

TEST_F(MainWindow, MenuHoldsTheItemsWithTheirIdentifiers) {
  std::vector<std::string> titles;
  std::vector<std::vector<std::pair<std::string, int>>> items;
  for (QAction* a : main.MenuBar().actions()) {
    titles.push_back(a->text().toStdString());
    items.push_back(Items(a->menu()));
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Communication", "&Show"}));
  using Row = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(items[0], (Row{{"&Open Radio File...", 3073},
                           {"&Save Radio File...", 3075},
                           {"-", 0},
                           {"&Record...", 3090},
                           {"S&top Recording", 3093},
                           {"Export &CSV...", 3091},
                           {"Save &Picture...", 3092},
                           {"&Link Report...", 3098},
                           {"Compare &With Recording...", 3099},
                           {"-", 0},
                           {"E&xit\tAlt+F4", 3076}}));
  EXPECT_EQ(items[1], (Row{{"Chg Comm port\tF10", 119},
                           {"Close Comm\tF11", 120},
                           {"Open Comm\tF12", 121},
                           {"-", 0},
                           {"&Network Address...", 129},
                           {"Connect &TCP", 130},
                           {"Listen &UDP", 150},
                           {"Close Net&work", 131},
                           {"-", 0},
                           {"&Locate Radio...", 151}}));
  EXPECT_EQ(items[2], (Row{{"Screen1\t1", 141},
                           {"Screen2\t2", 142},
                           {"Screen3\t3", 143},
                           {"-", 0},
                           {"Screen4\t4", 3095},
                           {"Screen5\t5", 3096},
                           {"Tone\tT", 3097}}));
  // Help sits at the right end of the bar.
  auto* right = qobject_cast<QMenuBar*>(main.MenuBar().cornerWidget(Qt::TopRightCorner));
  ASSERT_NE(right, nullptr);
  ASSERT_EQ(right->actions().size(), 1);
  EXPECT_EQ(right->actions()[0]->text().toStdString(), "&Help");
  EXPECT_EQ(Items(right->actions()[0]->menu()),
            (Row{{"&Help\tF1", 3080},
                 {"-", 0},
                 {"&About", 3081},
                 {"-", 0},
                 {"&User Guide...", 3094},
                 {"&Web View...", 3100}}));
}

TEST_F(MainWindow, ShortcutLabelsAreOnlyLabels) {
  for (QAction* top : main.MenuBar().actions()) {
    for (QAction* a : top->menu()->actions())
      EXPECT_TRUE(a->shortcut().isEmpty());
  }
}

QAction* Item(QtMainWindow& main, int id) {
  for (QAction* top : main.MenuBar().actions()) {
    for (QAction* a : top->menu()->actions()) {
      if (a->data().toInt() == id) return a;
    }
  }
  return nullptr;
}

TEST_F(MainWindow, HighlightShowsTheHelpTextAndClosingClearsIt) {
  Item(main, 3076)->hover();
  EXPECT_EQ(main.StatusBar().currentMessage().toStdString(), "Exit Razozade");
  Item(main, 119)->hover();
  EXPECT_EQ(main.StatusBar().currentMessage().toStdString(), "");
  Item(main, 3076)->hover();
  emit main.MenuBar().actions()[0]->menu()->aboutToHide();
  EXPECT_EQ(main.StatusBar().currentMessage().toStdString(), "");
}

TEST_F(MainWindow, OpeningAPopUpChecksRecordAndGreysStopRecordingAndCloseNetwork) {
  test::TempFolder folder;
  QMenu* file = main.MenuBar().actions()[0]->menu();
  QMenu* communication = main.MenuBar().actions()[1]->menu();
  emit communication->aboutToShow();
  EXPECT_FALSE(Item(main, 131)->isEnabled());
  main.Window().FileAnswers.push_back(folder.File("r.cap"));
  Item(main, 3090)->trigger();
  app.Link.NetLinkMode = NetLink::Udp;
  emit file->aboutToShow();
  EXPECT_TRUE(Item(main, 3090)->isChecked());
  EXPECT_TRUE(Item(main, 3093)->isEnabled());
  EXPECT_TRUE(Item(main, 131)->isEnabled());
  // The recording's name stays beside whatever the status bar says.
  const QLabel* note = main.StatusBar().findChild<QLabel*>();
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->text().toStdString(), "REC r.cap");
  EXPECT_FALSE(note->isHidden());
  Item(main, 3093)->trigger();  // Stop Recording
  app.Link.NetLinkMode = NetLink::None;
  emit file->aboutToShow();
  EXPECT_FALSE(Item(main, 3090)->isChecked());
  EXPECT_FALSE(Item(main, 3093)->isEnabled());
  EXPECT_FALSE(Item(main, 131)->isEnabled());
  EXPECT_TRUE(note->isHidden());
}

// On a screen of twice the density the window draws at that density (its
// image holds the screen's pixels) instead of stretching a 1:1 picture;
// ctest runs this with QT_SCALE_FACTOR=2.
TEST_F(MainWindow, DrawsAtTheScreensDensity) {
  if (qApp->devicePixelRatio() < 2.0) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
  main.show();
  QCoreApplication::processEvents();
  main.Deliver(WM_KEYDOWN, '1', 0);
  const QImage& shown = main.Image();
  EXPECT_EQ(shown.devicePixelRatio(), 2.0);
  EXPECT_EQ(shown.deviceIndependentSize().toSize(), main.ClientArea().size());
  EXPECT_EQ(shown.size(), main.ClientArea().size() * 2);
  // What a --scale 2 picture of the same screen holds, pixel for pixel.
  QImage expected(shown.size(), QImage::Format_RGB32);
  expected.setDevicePixelRatio(2.0);
  expected.fill(Qt::white);
  {
    RasterCanvas canvas(&expected);
    main.Window().SetCanvas(&canvas);
    main.Window().InvalidateRect(main.Window().GetClientRect(), true);
    main.Window().UpdateWindow();
  }
  const ImageDifference d = CompareImages(shown, expected);
  EXPECT_TRUE(d.Within(0)) << d.Text();
}

// Each footer text covers the whole of the one before: after any change of
// link, what the timer draws on the footer's row is, pixel for pixel, what
// a full repaint draws there.
TEST_F(MainWindow, TheFooterRowNeverKeepsAnEarlierText) {
  const QRect footer(0, 536 - 18, 500, 18);
  const auto footerAfterTick = [this, &footer] {
    main.Deliver(WM_TIMER, 1, 0);
    return main.Image().copy(footer);
  };
  const auto footerRepainted = [this, &footer] {
    main.Window().InvalidateRect(main.Window().GetClientRect(), true);
    main.Window().UpdateWindow();
    return main.Image().copy(footer);
  };
  LinkState& link = app.Link;
  link.UdpAddress = "radio-north-mast.field.example.com";
  link.UdpPort = "47311";
  link.NetLinkMode = NetLink::Tcp;
  link.Tcp.Now = TcpProgress::Phase::Connected;
  footerAfterTick();
  link.NetLinkMode = NetLink::Udp;  // TCP to UDP, as the menu does it
  QImage ticked = footerAfterTick();
  EXPECT_EQ(ticked, footerRepainted()) << "after TCP, UDP";
  link.NetLinkMode = NetLink::None;
  ticked = footerAfterTick();
  EXPECT_EQ(ticked, footerRepainted()) << "after UDP, no link";
  link.CommOpen = 1;  // a serial port whose device is gone, tried again
  link.CommPortName = "Com1";
  link.CommReopen.Active = true;
  footerAfterTick();
  link.CommReopen.Active = false;
  link.CommOpen = 0;
  ticked = footerAfterTick();
  EXPECT_EQ(ticked, footerRepainted()) << "after the serial port";
}

// Help -> User Guide... hands the guide's first page to the web browser.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl& url) { Opened.push_back(url); }
};

TEST_F(MainWindow, UserGuideOpensItsFirstPageInTheBrowser) {
  // (Without it the failure's message box would wait for a click.)
  ASSERT_TRUE(QFileInfo::exists(PTPDIAG_GUIDE "/index.html"));
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("file", &catcher, "Open");
  ASSERT_NE(main.MenuAction(3094), nullptr);
  main.MenuAction(3094)->trigger();
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(catcher.Opened.size(), 1);
  EXPECT_TRUE(catcher.Opened[0].toLocalFile().endsWith("/guide/index.html"));
  EXPECT_TRUE(QFileInfo::exists(catcher.Opened[0].toLocalFile()));
  EXPECT_TRUE(main.Window().MessageBoxes().empty());
}

TEST_F(MainWindow, SavePictureWritesThePixelsAsShown) {
  test::TempFolder folder;
  main.Deliver(WM_KEYDOWN, '2', 0);
  main.Window().FileAnswers.push_back(folder.File("shown.png"));
  Item(main, 3092)->trigger();
  EXPECT_TRUE(main.Window().MessageBoxes().empty());
  const QImage saved(QString::fromStdString(folder.File("shown.png")));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
            main.Image().convertToFormat(QImage::Format_RGB32));
}

TEST_F(MainWindow, MenuItemsSendTheirCommands) {
  Item(main, 142)->trigger();
  EXPECT_EQ(app.Window.ScreenNumber, 2);
  Item(main, 141)->trigger();
  EXPECT_EQ(app.Window.ScreenNumber, 1);
}

TEST_F(MainWindow, MouseAndKeysBecomeMessages) {
  main.show();
  QTest::mouseMove(&main.ClientArea(), QPoint(120, 45));
  EXPECT_EQ(main.StatusBar().currentMessage().toStdString(), " 120, 45");
  QTest::keyClick(&main.ClientArea(), Qt::Key_2);
  EXPECT_EQ(app.Window.ScreenNumber, 2);
  QTest::keyClick(&main.ClientArea(), Qt::Key_1, Qt::KeypadModifier);
  EXPECT_EQ(app.Window.ScreenNumber, 2);
}

TEST_F(MainWindow, CloseBoxClosesTheOpenPortBeforeQuitting) {
  test::FakeSource port;
  test::FakeSerialDriver driver(port);
  app.Link.Serial = &driver;
  main.Window().Send(WM_COMMAND, 121, 0);
  ASSERT_EQ(app.Link.CommOpen, 1);
  main.show();
  main.close();  // what the close box and Alt+F4 do
  EXPECT_TRUE(main.Window().QuitPosted());
  EXPECT_EQ(main.Window().ExitCode(), 0);
  EXPECT_EQ(app.Link.CommOpen, 0);
  EXPECT_EQ(port.Closes, 1);
}

TEST_F(MainWindow, StatusBarStaysAlongTheBottomEdge) {
  main.show();
  main.resize(640, 400);
  QCoreApplication::processEvents();
  const QRect client = main.ClientArea().rect();
  const QRect bar = main.StatusBar().geometry();
  EXPECT_EQ(bar.bottom(), client.bottom());
  EXPECT_EQ(bar.width(), client.width());
  EXPECT_EQ(main.Window().GetClientRect().right, client.width());
  EXPECT_EQ(main.Window().GetClientRect().bottom, client.height());
}

}  // namespace
}  // namespace ptpdiag

#include "main_window_test.moc"
