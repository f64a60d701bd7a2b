#include "shell/session_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "link/capture_file.h"
#include "link/recording.h"
#include "resources/main_menu.h"
#include "shell/link_commands.h"
#include "support/fake_dialogs.h"
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
  Command(t, IDM_RECORD);
  ASSERT_TRUE(IsRecording(t.app));
  EXPECT_EQ(t.window.StatusText(), "Recording to " + folder.File("menu.cap"));
  EXPECT_EQ(t.window.Prompts().back().DefaultExtension, "cap");
  t.source.Push(test::Bytes(test::MakeFrame(80, 100, 70, 1, 2, 3, 4)));
  t.clock.Monotonic += 250;
  t.Tick();
  Command(t, IDM_RECORD);  // no prompt: ends the recording
  EXPECT_FALSE(IsRecording(t.app));
  EXPECT_EQ(t.window.Prompts().size(), 1U);
  EXPECT_EQ(t.window.StatusText(), "Recorded to " + folder.File("menu.cap"));
  const CaptureResult capture = ReadCaptureFile(folder.File("menu.cap"));
  ASSERT_FALSE(capture.Error) << capture.Error->Text();
  EXPECT_EQ(capture.Data.Bytes.size(), 9U);
  EXPECT_TRUE(capture.Data.EndMs);
}

// Every save: a default name with the date and time; files that exist
// are replaced only after a Yes, and a No asks for the name again.
struct ReplaceCase {
  const char* Name;
  std::uint16_t Command;
  std::vector<std::string> Existing;  // in the folder, each holding "old"
  std::vector<std::string> Answers;   // names given to the prompts in turn
  std::deque<bool> Replies;           // to the questions in turn
  const char* DefaultName;
  const char* Question;           // "" when none is asked
  std::vector<std::string> Kept;  // still holding "old" afterwards
  const char* Status;             // a file the status bar names afterwards; "": nothing said
};

class SavePolicy : public testing::TestWithParam<ReplaceCase> {};

TEST_P(SavePolicy, AsksBeforeReplacing) {
  const ReplaceCase& c = GetParam();
  TempFolder folder;
  for (const std::string& name : c.Existing)
    test::Put(folder.File(name), "old");
  TestApp t;
  for (const std::string& name : c.Answers)
    t.window.FileAnswers.push_back(folder.File(name));
  t.window.YesNoAnswers = c.Replies;
  Command(t, c.Command);
  (void)StopRecording(t.app);  // tidy up: not every case records
  ASSERT_FALSE(t.window.Prompts().empty());
  EXPECT_EQ(t.window.Prompts()[0].FileName, c.DefaultName) << c.Name;
  if (std::string(c.Question).empty()) {
    EXPECT_TRUE(t.window.Questions().empty()) << c.Name;
  } else {
    ASSERT_FALSE(t.window.Questions().empty()) << c.Name;
    EXPECT_EQ(t.window.Questions()[0].Text, c.Question) << c.Name;
  }
  if (t.window.Prompts().size() > 1) {  // asked again where the user was
    EXPECT_EQ(t.window.Prompts()[1].FileName, folder.File(c.Answers[0])) << c.Name;
  }
  for (const std::string& name : c.Kept)
    EXPECT_EQ(test::Contents(folder.File(name)), "old") << c.Name << ": " << name;
  for (const std::string& name : c.Existing) {
    const bool kept = std::find(c.Kept.begin(), c.Kept.end(), name) != c.Kept.end();
    if (!kept) {
      EXPECT_NE(test::Contents(folder.File(name)), "old") << c.Name << ": " << name;
    }
  }
  if (std::string(c.Status).empty()) {
    EXPECT_EQ(t.window.StatusText(), "") << c.Name;
  } else {
    EXPECT_NE(t.window.StatusText().find(folder.File(c.Status)), std::string::npos)
        << c.Name << ": " << t.window.StatusText();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SavePolicy,
    testing::Values(ReplaceCase{"record, a new name",
                                IDM_RECORD,
                                {},
                                {"new.cap"},
                                {},
                                "ptpdiag-20260301-120000.cap",
                                "",
                                {},
                                "new.cap"},
                    ReplaceCase{"record, replace",
                                IDM_RECORD,
                                {"old.cap"},
                                {"old.cap"},
                                {true},
                                "ptpdiag-20260301-120000.cap",
                                "old.cap already exists. Replace it?",
                                {},
                                "old.cap"},
                    ReplaceCase{"record, no, then another name",
                                IDM_RECORD,
                                {"old.cap"},
                                {"old.cap", "other.cap"},
                                {false},
                                "ptpdiag-20260301-120000.cap",
                                "old.cap already exists. Replace it?",
                                {"old.cap"},
                                "other.cap"},
                    ReplaceCase{"CSV, one of the two exists, no, cancel",
                                IDM_EXPORT_CSV,
                                {"link-history.csv"},
                                {"link.csv"},
                                {false},
                                "ptpdiag-20260301-120000.csv",
                                "link-history.csv already exists. Replace it?",
                                {"link-history.csv"},
                                ""},
                    ReplaceCase{
                        "CSV, both exist, replace",
                        IDM_EXPORT_CSV,
                        {"link-channels.csv", "link-history.csv"},
                        {"link.csv"},
                        {true},
                        "ptpdiag-20260301-120000.csv",
                        "link-channels.csv and link-history.csv already exist. Replace them?",
                        {},
                        "link-channels.csv"},
                    ReplaceCase{"picture, no, cancel",
                                IDM_SAVE_PICTURE,
                                {"p.png"},
                                {"p.png"},
                                {false},
                                "ptpdiag-20260301-120000.png",
                                "p.png already exists. Replace it?",
                                {"p.png"},
                                ""}));

// The status bar's note names the recording while it runs, whatever the
// status text says meanwhile; Stop Recording ends it.
TEST(RecordCommand, TheNoteNamesTheFileUntilStopped) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("mast.cap"));
  Command(t, IDM_RECORD);
  EXPECT_EQ(t.window.StatusNote(), "REC mast.cap");
  t.window.Send(WM_MENUSELECT, 3076, 0);  // a menu item's help
  EXPECT_EQ(t.window.StatusNote(), "REC mast.cap");
  Command(t, IDM_STOP_RECORDING);
  EXPECT_FALSE(IsRecording(t.app));
  EXPECT_EQ(t.window.StatusNote(), "");
  EXPECT_EQ(t.window.StatusText(), "Recorded to " + folder.File("mast.cap"));
  Command(t, IDM_STOP_RECORDING);  // nothing to stop: nothing happens
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(RecordCommand, CancellingThePromptStartsNothing) {
  TestApp t;
  Command(t, IDM_RECORD);
  EXPECT_FALSE(IsRecording(t.app));
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(ExportCsvCommand, WritesBothFilesBesideTheNameGiven) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("Link.CSV"));
  Command(t, IDM_EXPORT_CSV);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Link-channels.csv", "Link-history.csv", "Link-quality.csv", "Link-waterfall-misses.csv", "Link-waterfall-noise.csv", "Link-waterfall-signal.csv"}));
  EXPECT_EQ(test::Contents(folder.File("Link-history.csv")).rfind("time_local,", 0), 0U);
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(ExportCsvCommand, AFolderThatIsNotThereIsReported) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("none/link.csv"));
  Command(t, IDM_EXPORT_CSV);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not export the figures.");
  EXPECT_NE(t.window.MessageBoxes()[0].Detail.find("link-channels.csv"), std::string::npos);
}

TEST(SavePictureCommand, AWindowWithoutPixelsSaysSo) {
  TempFolder folder;
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("p.png"));
  Command(t, IDM_SAVE_PICTURE);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not save the picture.");
  EXPECT_TRUE(folder.Names().empty());
}

// The menu's report goes through the application's writer, asked for the
// page the prompt named; a failure is said in a message box.
TEST(LinkReportCommand, WritesThroughTheApplicationsWriter) {
  struct Case {
    bool writer;
    int siteButton;  // how the site details dialog is left
    std::optional<std::string> failure;
    std::string status, box;
  } cases[] = {
      {true, kIdOk, std::nullopt, "Wrote r.html and r.json", ""},
      {true, kIdOk, "cannot write r.html: disk full", "", "Could not write the report."},
      {true, kIdCancel, std::nullopt, "", ""},
      {false, kIdOk, std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    TestApp t;
    test::FakeDialogs host;
    t.window.SetDialogHost(&host);
    host.Script.push_back(test::Press(c.siteButton));
    std::vector<std::string> asked;
    if (c.writer) {
      t.app.WriteLinkReport = [&asked, &c](const std::string& path) {
        asked.push_back(path);
        return c.failure;
      };
    }
    t.window.FileAnswers.push_back("r.html");
    Command(t, IDM_LINK_REPORT);
    const bool written = c.writer && c.siteButton == kIdOk;
    EXPECT_EQ(asked, written ? std::vector<std::string>{"r.html"} : std::vector<std::string>{});
    if (!c.status.empty()) {
      EXPECT_EQ(t.window.StatusText(), c.status);
    }
    ASSERT_EQ(t.window.MessageBoxes().size(), c.box.empty() ? 0U : 1U);
    if (!c.box.empty()) {
      EXPECT_EQ(t.window.MessageBoxes()[0].Text, c.box);
    }
  }
}

struct MenuStateCase {
  bool recording;
  NetLink netLinkMode;
  bool recordChecked;  // and Stop Recording enabled
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
  EXPECT_EQ(t.window.MenuItemChecked(IDM_RECORD), GetParam().recordChecked);
  EXPECT_EQ(t.window.MenuItemEnabled(IDM_STOP_RECORDING), GetParam().recordChecked);
  EXPECT_EQ(t.window.MenuItemEnabled(IDM_CLOSE_NETWORK), GetParam().closeNetworkEnabled);
  t.app.Link.NetLinkMode = NetLink::None;
  (void)StopRecording(t.app);  // tidy up: not every case records
}

INSTANTIATE_TEST_SUITE_P(States, MenuStates,
                         testing::Values(MenuStateCase{false, NetLink::None, false, false},
                                         MenuStateCase{true, NetLink::None, true, false},
                                         MenuStateCase{false, NetLink::Tcp, false, true},
                                         MenuStateCase{true, NetLink::Udp, true, true}));

}  // namespace
}  // namespace ptpdiag
