#include "shell/dialogs.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "support/fake_dialogs.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::FakeDialogs;
using test::Meanwhile;
using test::Notify;
using test::Press;
using test::SelectItem;
using test::TestApp;
using test::Then;
using test::Type;

// x, y, width, height in dialog units.
using Box = std::array<int, 4>;

class DialogsTest : public testing::Test {
 protected:
  DialogsTest() { t.window.SetDialogHost(&host); }

  void ExpectControl(DialogId dialog, int id, ControlKind kind, const std::string& text,
                     const Box& box) {
    const ControlPlan* control = host.Control(dialog, id);
    ASSERT_NE(control, nullptr) << "control " << id;
    EXPECT_EQ(control->Kind, kind) << "control " << id;
    EXPECT_EQ(control->Text, text) << "control " << id;
    EXPECT_EQ((Box{control->X, control->Y, control->Width, control->Height}), box)
        << "control " << id;
  }

  TestApp t;
  FakeDialogs host;
};

TEST_F(DialogsTest, CommPortDialogLayoutSelectsTheCurrentPort) {
  t.app.Link.CommPortName = "Com3";
  host.Script.push_back(test::Press(kIdCancel));
  AskCommPort(t.app);

  ASSERT_EQ(host.Count(), 1U);
  const test::FakeDialog& d = host.At(1);
  EXPECT_EQ(d.Caption, "Select Comm Port");
  EXPECT_EQ(d.Width, 80);
  EXPECT_EQ(d.Height, 120);
  ASSERT_EQ(d.Controls.size(), 2U);
  ExpectControl(1, kCommPortListId, ControlKind::ListBox, "", Box{20, 10, 40, 80});
  ExpectControl(1, kIdCancel, ControlKind::PushButton, "Cancel", Box{25, 90, 30, 14});
  const std::vector<std::string> ports{"Com1", "Com2", "Com3", "Com4",
                                       "Com5", "Com6", "Com7", "Com8"};
  EXPECT_EQ(host.Control(1, kCommPortListId)->Items, ports);
  EXPECT_TRUE(host.Control(1, kCommPortListId)->Callback);
  EXPECT_TRUE(host.Control(1, kIdCancel)->Callback);
  EXPECT_EQ(host.At(1).Selected.at(kCommPortListId), 3);
  EXPECT_TRUE(d.Shown);
}

// Where the driver lists ports, each name shows what it reaches, the list
// widens to fit, and the choice is still the bare name.
TEST_F(DialogsTest, CommPortDialogDescribesEachPort) {
  PortInfo ftdi;
  ftdi.Device = "/dev/ttyUSB0";
  ftdi.Description = "FT232R USB UART";
  PortInfo uart;
  uart.Device = "/dev/ttyS0";
  uart.Description = "ttyS0";
  t.serial.Listings = {{"Com1", ftdi, PortAccess::NotTried, ""},
                       {"Com2", uart, PortAccess::NotTried, ""},
                       {"Com3", {}, PortAccess::NoDevice, ""}};
  host.Script.push_back(SelectItem(kCommPortListId, 2, 1));
  EXPECT_EQ(AskCommPort(t.app), std::optional<std::string>("Com2"));
  EXPECT_EQ(t.app.Window.DialogText, "Com2");
  const std::vector<std::string> items{"Com1  FT232R USB UART (ttyUSB0)",
                                       "Com2  /dev/ttyS0",
                                       "Com3  (none)",
                                       "Com4",
                                       "Com5",
                                       "Com6",
                                       "Com7",
                                       "Com8"};
  EXPECT_EQ(host.Control(1, kCommPortListId)->Items, items);
  EXPECT_EQ(host.At(1).Width, 200);
  ExpectControl(1, kCommPortListId, ControlKind::ListBox, "", Box{10, 10, 180, 80});
  ExpectControl(1, kIdCancel, ControlKind::PushButton, "Cancel", Box{85, 90, 30, 14});
}

TEST_F(DialogsTest, SelectionChangeAcceptsTheChosenPort) {
  host.Script.push_back(SelectItem(kCommPortListId, 5, 1));
  EXPECT_EQ(AskCommPort(t.app), std::optional<std::string>("Com5"));
  EXPECT_EQ(t.app.Window.DialogText, "Com5");
  EXPECT_EQ(host.At(1).Result, 1);
}

TEST_F(DialogsTest, ListIgnoresOtherCodesAndAcceptsADoubleClick) {
  t.app.Link.CommPortName = "Com3";
  bool openAfterStrayCode = false;
  host.Script.push_back(Then(Then(Notify(kCommPortListId, 0), Notify(kCommPortListId, 4)),
                             [&](FakeDialogs& h, DialogId dialog) {
                               openAfterStrayCode = !h.At(dialog).Ended;
                               h.Command(dialog, kCommPortListId, 2);
                             }));
  EXPECT_EQ(AskCommPort(t.app), std::optional<std::string>("Com3"));
  EXPECT_TRUE(openAfterStrayCode);
}

TEST_F(DialogsTest, CancelledPortDialogLeavesDialogTextAlone) {
  t.app.Window.DialogText = "earlier";
  host.Script.push_back(Press(kIdCancel));
  EXPECT_EQ(AskCommPort(t.app), std::nullopt);
  EXPECT_EQ(host.At(1).Result, 0);
  EXPECT_EQ(t.app.Window.DialogText, "earlier");
}

class DialogsOddPortTest : public DialogsTest, public testing::WithParamInterface<const char*> {};

TEST_P(DialogsOddPortTest, SelectsNothing) {
  t.app.Link.CommPortName = GetParam();
  host.Script.push_back(Press(kIdCancel));
  AskCommPort(t.app);
  EXPECT_EQ(host.At(1).Selected.at(kCommPortListId), 0);
}

INSTANTIATE_TEST_SUITE_P(Names, DialogsOddPortTest,
                         testing::Values("", "Com", "Com0", "Com9", "ComX", "/dev/ttyUSB0"));

TEST_F(DialogsTest, TextDialogLayout) {
  host.Script.push_back(Press(kIdCancel));
  AskText(t.app, "Polling Interval", "0.1");

  ASSERT_EQ(host.Count(), 1U);
  EXPECT_EQ(host.At(1).Caption, "Polling Interval");
  EXPECT_EQ(host.At(1).Width, 160);
  EXPECT_EQ(host.At(1).Height, 50);
  ASSERT_EQ(host.At(1).Controls.size(), 3U);
  ExpectControl(1, kDialogTextBoxId, ControlKind::TextBox, "0.1", Box{14, 12, 134, 12});
  ExpectControl(1, kIdOk, ControlKind::DefaultPushButton, "OK", Box{34, 32, 40, 14});
  ExpectControl(1, kIdCancel, ControlKind::PushButton, "Cancel", Box{84, 32, 40, 14});
  EXPECT_FALSE(host.Control(1, kDialogTextBoxId)->Callback);
}

TEST_F(DialogsTest, OkAcceptsTheTypedTextWhateverTheCode) {
  host.Script.push_back(Then(Type(kDialogTextBoxId, "10.0.0.7"), Notify(kIdOk, 5)));
  EXPECT_EQ(AskText(t.app, "New IP Address", "192.168.0.1"),
            std::optional<std::string>("10.0.0.7"));
  EXPECT_EQ(t.app.Window.DialogText, "10.0.0.7");
}

TEST_F(DialogsTest, EmptyTextIsAccepted) {
  t.app.Window.DialogText = "earlier";
  host.Script.push_back(Then(Type(kDialogTextBoxId, ""), Press(kIdOk)));
  const auto text = AskText(t.app, "UDP PassWord", "WXYZ");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, "");
  EXPECT_EQ(t.app.Window.DialogText, "");
}

TEST_F(DialogsTest, CancelKeepsTheLastAcceptedText) {
  host.Script.push_back(Press(kIdOk));
  host.Script.push_back(Then(Type(kDialogTextBoxId, "typed"), Press(kIdCancel)));
  EXPECT_EQ(AskText(t.app, "New IP Address", "first"), std::optional<std::string>("first"));
  EXPECT_EQ(AskText(t.app, "Port Address", "4131"), std::nullopt);
  EXPECT_EQ(t.app.Window.DialogText, "first");
}

TEST_F(DialogsTest, NestedDialogsEachAnswerTheirOwnCaller) {
  std::optional<std::string> inner;
  host.Script.push_back(
      Then(Type(kDialogTextBoxId, "outer text"),
           Then(Meanwhile([&] { inner = AskText(t.app, "Locate Radio", "0"); }), Press(kIdOk))));
  host.Script.push_back(Then(Type(kDialogTextBoxId, "inner text"), Press(kIdOk)));

  EXPECT_EQ(AskText(t.app, "Polling Interval", "1"), std::optional<std::string>("outer text"));
  EXPECT_EQ(inner, std::optional<std::string>("inner text"));
  EXPECT_EQ(host.Returned(), (std::vector<DialogId>{2, 1}));
  EXPECT_EQ(host.LeftOpen(), 0);
}

TEST_F(DialogsTest, NestedCancelDoesNotEndTheOuterDialog) {
  std::optional<std::string> inner{"unset"};
  host.Script.push_back(
      Then(Meanwhile([&] { inner = AskCommPort(t.app); }), SelectItem(kCommPortListId, 7, 1)));
  host.Script.push_back(Press(kIdCancel));
  EXPECT_EQ(AskCommPort(t.app), std::optional<std::string>("Com7"));
  EXPECT_EQ(inner, std::nullopt);
  EXPECT_EQ(host.At(2).Result, 0);
}

TEST_F(DialogsTest, NoDialogHostMeansCancelled) {
  t.window.SetDialogHost(nullptr);
  t.app.Window.DialogText = "earlier";
  EXPECT_EQ(AskCommPort(t.app), std::nullopt);
  EXPECT_EQ(AskText(t.app, "Polling Interval", "1"), std::nullopt);
  ShowAbout(t.app);
  EXPECT_EQ(t.app.Window.DialogText, "earlier");
}

TEST_F(DialogsTest, AboutGoesToTheHost) {
  ShowAbout(t.app);
  EXPECT_EQ(host.AboutCount(), 1);
  EXPECT_EQ(host.Count(), 0U);
}

}  // namespace
}  // namespace ptpdiag
