#include "shell/menu_commands.h"

#include <gtest/gtest.h>

#include "support/fake_dialogs.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::Press;
using test::TestApp;
using test::Type;

class MenuCommands : public testing::Test {
 protected:
  MenuCommands() { t.window.SetDialogHost(&host); }
  LRESULT Command(int id) { return t.window.Send(WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // Types `text` into the next text dialog and presses OK.
  void Answer(const std::string& text) {
    host.Script.push_back(test::Then(Type(100, text), Press(kIdOk)));
  }
  void Cancel() { host.Script.push_back(Press(kIdCancel)); }
  TestApp t;
  test::FakeDialogs host;
};

struct EndingCase {
  int id;
  bool repaints;
};

class CommandEndings : public MenuCommands, public testing::WithParamInterface<EndingCase> {};

TEST_P(CommandEndings, ReturnZeroAndRepaintAsTabled) {
  const int paints = t.window.PaintCount();
  EXPECT_EQ(Command(GetParam().id), 0);
  EXPECT_EQ(t.window.PaintCount() > paints, GetParam().repaints) << GetParam().id;
  EXPECT_TRUE(t.window.MessageBoxes().empty());
  EXPECT_FALSE(t.window.QuitPosted());
}

INSTANTIATE_TEST_SUITE_P(Identifiers, CommandEndings,
                         testing::Values(EndingCase{122, false}, EndingCase{123, false},
                                         EndingCase{124, true}, EndingCase{125, true},
                                         EndingCase{128, false}, EndingCase{132, true},
                                         EndingCase{133, true}, EndingCase{3077, false},
                                         EndingCase{3078, false}, EndingCase{3079, false},
                                         EndingCase{999, false}, EndingCase{65535, false}));

TEST_F(MenuCommands, ScreenCommandsSelectOneToThree) {
  const std::pair<int, int> cases[] = {{143, 3}, {140, 1}, {142, 2}, {144, 3}, {141, 1}};
  for (const auto& [id, screen] : cases) {
    Command(id);
    EXPECT_EQ(t.app.Window.ScreenNumber, screen) << id;
  }
}

TEST_F(MenuCommands, ChosenPortClosesTheOpenOneAndIsNotOpened) {
  Command(121);
  ASSERT_EQ(t.app.Link.CommOpen, 1);
  host.Script.push_back(test::SelectItem(5555, 5, 1));
  const int paints = t.window.PaintCount();
  Command(119);
  EXPECT_EQ(t.app.Link.CommPortName, "Com5");
  EXPECT_EQ(t.app.Link.CommOpen, 0);
  EXPECT_EQ(t.window.PaintCount(), paints);
  Command(121);
  EXPECT_EQ(t.serial.Opened.back(), "Com5");
}

TEST_F(MenuCommands, CancelledPortChoiceChangesNothing) {
  Command(121);
  Cancel();
  Command(119);
  EXPECT_EQ(t.app.Link.CommOpen, 1);
  EXPECT_EQ(t.app.Link.CommPortName, "Com1");
}

TEST_F(MenuCommands, NetworkAddressAsksForThePortOnlyAfterTheAddress) {
  Answer("10.1.1.7");
  Answer("4000");
  Command(129);
  EXPECT_EQ(t.app.Link.UdpAddress, "10.1.1.7");
  EXPECT_EQ(t.app.Link.UdpPort, "4000");
  EXPECT_EQ(host.At(1).Caption, "New IP Address");
  EXPECT_EQ(host.At(2).Caption, "Port Address");
  EXPECT_EQ(host.At(2).Texts[100], "4000");

  Cancel();
  Command(129);
  EXPECT_EQ(host.Count(), 3U);  // no port dialog after a cancelled address
  EXPECT_EQ(t.app.Link.UdpAddress, "10.1.1.7");
}

TEST_F(MenuCommands, UdpPasswordDialogShowsTheDefaultAndTheSocketOpensEvenOnCancel) {
  Cancel();
  Command(150);
  ASSERT_EQ(host.Count(), 1U);
  EXPECT_EQ(host.At(1).Caption, "UDP PassWord");
  EXPECT_EQ(host.At(1).Controls[0].Text, "NRVL");
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::Udp);
}

TEST_F(MenuCommands, PollingIntervalShowsItsMaskAndTakesTheNumber) {
  Answer("2.5 s");
  Command(152);
  EXPECT_EQ(host.At(1).Caption, "Polling Interval");
  EXPECT_EQ(host.At(1).Controls[0].Text, "0.1");
  EXPECT_FLOAT_EQ(t.app.Window.PollInterval, 2.5F);
  Answer("fast");
  Command(152);
  EXPECT_FLOAT_EQ(t.app.Window.PollInterval, 0.0F);
}

struct LocateCase {
  std::string name;
  std::optional<std::string> typed;  // nothing: Cancel
  int selectedAfter;
  bool notFound;
};

class LocateRadioTest : public MenuCommands, public testing::WithParamInterface<LocateCase> {};

TEST_P(LocateRadioTest, SelectsTheFirstMatchOrSaysSo) {
  const LocateCase& c = GetParam();
  RadioList& r = t.app.Radios;
  r.RadioCount = 3;
  r.RadioSerial[1] = 1111;
  r.RadioSerial[2] = 2222;
  r.RadioSerial[3] = 2222;
  r.SelectedRadio = 3;
  if (c.typed) {
    Answer(*c.typed);
  } else {
    Cancel();
  }
  Command(151);
  EXPECT_EQ(host.At(1).Controls[0].Text, "2222");  // entry 3's serial
  EXPECT_EQ(r.SelectedRadio, c.selectedAfter);
  ASSERT_EQ(t.window.MessageBoxes().size(), c.notFound ? 1U : 0U);
  if (c.notFound) {
    EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Radio Not Found!");
    EXPECT_EQ(t.window.MessageBoxes()[0].Caption, "Struck out!");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LocateRadioTest,
                         testing::Values(LocateCase{"FirstOfTwoMatches", "2222", 2, false},
                                         LocateCase{"Found", " 1111", 1, false},
                                         LocateCase{"NotFoundKeepsTheSelection", "5555", 3, true},
                                         LocateCase{"EmptySelectsNone", "", 0, false},
                                         LocateCase{"NotANumberSelectsNone", "abc", 0, false},
                                         LocateCase{"CancelSelectsNone", std::nullopt, 0, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(MenuCommands, LocateRadioOnAnEmptyListShowsZeroAndSelectsNone) {
  Answer("0");
  Command(151);
  EXPECT_EQ(host.At(1).Controls[0].Text, "0");
  EXPECT_EQ(t.app.Radios.SelectedRadio, 0);
}

TEST_F(MenuCommands, ExitClosesTheOpenPortAndQuitsWithZero) {
  Command(121);
  EXPECT_EQ(Command(3076), 0);
  EXPECT_TRUE(t.window.QuitPosted());
  EXPECT_EQ(t.window.ExitCode(), 0);
  EXPECT_EQ(t.source.Closes, 1);
  EXPECT_EQ(t.app.Link.CommOpen, 0);
}

TEST_F(MenuCommands, HelpCloseAndAboutShowTheirBoxes) {
  Command(3080);
  Command(3074);
  Command(3081);
  ASSERT_EQ(t.window.MessageBoxes().size(), 2U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Caption, "Norvalen");
  EXPECT_EQ(t.window.MessageBoxes()[0].Text.rfind("Norvalen's Support number is ", 0), 0U);
  EXPECT_EQ(t.window.MessageBoxes()[1].Text, "CLOSE selected");
  EXPECT_EQ(host.AboutCount(), 1);
}

TEST_F(MenuCommands, AUserGuideThatCannotOpenSaysWhy) {
  Command(3094);  // a window with no screen
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not open the user guide.");
  EXPECT_FALSE(t.window.MessageBoxes()[0].Detail.empty());
}

TEST_F(MenuCommands, WebViewShowsTheAddressOrHowToServeIt) {
  for (const std::string url : {"", "http://127.0.0.1:8080/?token=abcdefghij-KLMNOP"}) {
    t.app.WebViewUrl = url;
    Command(3100);
    EXPECT_EQ(t.window.MessageBoxes().back().Text, url.empty() ? "The web view is off." : url);
  }
}

TEST_F(MenuCommands, CancelledOpenReturnsWithoutRepaintAndNewResets) {
  t.app.Radios.RadioCount = 4;
  const int paints = t.window.PaintCount();
  EXPECT_EQ(Command(3073), 0);
  EXPECT_EQ(t.window.PaintCount(), paints);
  EXPECT_EQ(t.app.Radios.RadioCount, 4);
  Command(3072);
  EXPECT_EQ(t.app.Radios.RadioCount, 0);
  EXPECT_EQ(t.app.Radios.RadioFileName, "NONAME.RAD");
  EXPECT_GT(t.window.PaintCount(), paints);
}

TEST_F(MenuCommands, ACommandDuringADialogOpensASecondOneThatReturnsFirst) {
  // While "Locate Radio" waits, the user sets the polling interval.
  host.Script.push_back(test::Then(test::Meanwhile([this] {
                                     Answer("3.5");
                                     Command(152);
                                   }),
                                   test::Then(Type(100, "0"), Press(kIdOk))));
  Command(151);
  EXPECT_FLOAT_EQ(t.app.Window.PollInterval, 3.5F);
  EXPECT_EQ(host.Returned(), (std::vector<DialogId>{2, 1}));
  EXPECT_EQ(t.app.Radios.SelectedRadio, 0);
}

TEST_F(MenuCommands, WithNoDialogsEveryDialogCountsAsCancelled) {
  t.window.SetDialogHost(nullptr);
  Command(121);
  Command(119);
  Command(129);
  Command(151);
  EXPECT_EQ(t.app.Link.CommOpen, 1);
  EXPECT_EQ(t.app.Link.UdpAddress, "");
  EXPECT_EQ(t.app.Radios.SelectedRadio, 0);
}

}  // namespace
}  // namespace ptpdiag
