#include "shell/session_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "link/capture_file.h"
#include "link/recording.h"
#include "resources/main_menu.h"
#include "shell/link_commands.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TempFolder;
using test::TestApp;

void Command(TestApp& t, std::uint16_t id) {
  t.window.Send(WM_COMMAND, id, 0);
}

TEST(RecordCommand, StartsIntoTheChosenFileAndEndsWhenChosenAgain) {
  TempFolder folder;
  TestApp t;
  t.OpenFakeSerial();
  t.window.FileAnswers.push_back(folder.File("menu.cap"));
  Command(t, kCmdRecord);
  ASSERT_TRUE(IsRecording(t.app));
  EXPECT_EQ(t.window.StatusText(), "Recording to " + folder.File("menu.cap"));
  EXPECT_EQ(t.window.Prompts().back().DefaultExtension, "cap");
  t.source.Push(test::Bytes(test::MakeFrame(80, 100, 70, 1, 2, 3, 4)));
  t.clock.Monotonic += 250;
  t.Tick();
  Command(t, kCmdRecord);  // no prompt: ends the recording
  EXPECT_FALSE(IsRecording(t.app));
  EXPECT_EQ(t.window.Prompts().size(), 1U);
  EXPECT_EQ(t.window.StatusText(), "Recorded to " + folder.File("menu.cap"));
  const CaptureResult capture = ReadCaptureFile(folder.File("menu.cap"));
  ASSERT_FALSE(capture.Error) << capture.Error->Text();
  EXPECT_EQ(capture.Data.Bytes.size(), 9U);
  EXPECT_TRUE(capture.Data.EndMs);
}

TEST(RecordCommand, AnExistingFileIsRefusedWithTheReasonAndNothingStarts) {
  TempFolder folder;
  test::Put(folder.File("old.cap"), "0 F0\n");
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("old.cap"));
  Command(t, kCmdRecord);
  EXPECT_FALSE(IsRecording(t.app));
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not start recording.");
  EXPECT_NE(t.window.MessageBoxes()[0].Detail.find("already exists"), std::string::npos);
  EXPECT_EQ(test::Contents(folder.File("old.cap")), "0 F0\n");
}

TEST(RecordCommand, CancellingThePromptStartsNothing) {
  TestApp t;
  Command(t, kCmdRecord);
  EXPECT_FALSE(IsRecording(t.app));
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(ExportCsvCommand, WritesBothFilesBesideTheNameGiven) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("Link.CSV"));
  Command(t, kCmdExportCsv);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Link-channels.csv", "Link-history.csv"}));
  EXPECT_EQ(test::Contents(folder.File("Link-history.csv")).rfind("time_local,", 0), 0U);
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(ExportCsvCommand, AFolderThatIsNotThereIsReported) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("none/link.csv"));
  Command(t, kCmdExportCsv);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not export the figures.");
  EXPECT_NE(t.window.MessageBoxes()[0].Detail.find("link-channels.csv"), std::string::npos);
}

TEST(SavePictureCommand, AWindowWithoutPixelsSaysSo) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("p.png"));
  Command(t, kCmdSavePicture);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not save the picture.");
  EXPECT_TRUE(folder.Names().empty());
}

struct MenuStateCase {
  bool recording;
  int netLinkMode;
  bool recordChecked;
  bool closeNetworkEnabled;
};

class MenuStates : public testing::TestWithParam<MenuStateCase> {};

TEST_P(MenuStates, AreSetAsAPopUpOpens) {
  TempFolder folder;
  TestApp t;
  if (GetParam().recording) {
    ASSERT_FALSE(StartRecording(t.app, folder.File("s.cap")));
  }
  t.app.Link.NetLinkMode = GetParam().netLinkMode;
  t.window.Send(WM_INITMENUPOPUP, 0, 0);
  EXPECT_EQ(t.window.MenuItemChecked(kCmdRecord), GetParam().recordChecked);
  EXPECT_EQ(t.window.MenuItemEnabled(kCmdCloseNetwork), GetParam().closeNetworkEnabled);
  t.app.Link.NetLinkMode = kNetLinkNone;
  StopRecording(t.app);
}

INSTANTIATE_TEST_SUITE_P(States, MenuStates,
                         testing::Values(MenuStateCase{false, kNetLinkNone, false, false},
                                         MenuStateCase{true, kNetLinkNone, true, false},
                                         MenuStateCase{false, kNetLinkTcp, false, true},
                                         MenuStateCase{true, kNetLinkUdp, true, true}));

}  // namespace
}  // namespace ptpdiag
