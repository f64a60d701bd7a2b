#include "shell/file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

namespace fs = std::filesystem;
using test::TestApp;

// A unique folder under the system's temporary folder, removed at the end.
using test::Contents;
using test::Put;
using test::TempFolder;

std::string Name(const TestApp& t, std::size_t n) {
  return std::string(t.app.Radios.RadioName[n].data(), 8);
}

// Five radios, address and port, as a session might hold them.
void FillList(TestApp& t) {
  RadioList& list = t.app.Radios;
  list.RadioCount = 5;
  for (std::size_t n = 1; n <= 5; ++n) {
    list.RadioSerial[n] = static_cast<std::uint32_t>(100 + n);
    list.RadioRepeaterNumber[n] = static_cast<std::uint8_t>(n);
    list.RadioName[n] = {'O', 'L', 'D', static_cast<char>('0' + n), ' ', ' ', ' ', ' '};
  }
  t.app.Link.UdpAddress = "old.host";
  t.app.Link.UdpPort = "4000";
  list.RadioFileName = "KEEP.RAD";
}

void ExpectListUntouched(const TestApp& t) {
  EXPECT_EQ(t.app.Radios.RadioCount, 5);
  EXPECT_EQ(t.app.Radios.RadioSerial[5], 105U);
  EXPECT_EQ(Name(t, 1), "OLD1    ");
  EXPECT_EQ(t.app.Link.UdpAddress, "old.host");
  EXPECT_EQ(t.app.Link.UdpPort, "4000");
  EXPECT_EQ(t.app.Radios.RadioFileName, "KEEP.RAD");
}

void ExpectPrompt(const FilePrompt& p, const std::string& title, const std::string& name) {
  EXPECT_EQ(p.Title, title);
  EXPECT_EQ(p.FileName, name);
  EXPECT_EQ(p.InitialDir, fs::current_path().string());
  EXPECT_EQ(p.Filter, "Radio Files|*.RAD|All Files|*.*");
  EXPECT_EQ(p.DefaultExtension, "RAD");
}

TEST(FileCommands, CancelledOpenChangesNothingAndDoesNotRepaint) {
  TestApp t;
  FillList(t);
  const int paints = t.window.PaintCount();
  EXPECT_FALSE(FileOpen(t.app));
  ExpectListUntouched(t);
  EXPECT_EQ(t.window.PaintCount(), paints);
  ASSERT_EQ(t.window.Prompts().size(), 1U);
  ExpectPrompt(t.window.Prompts()[0], "Open Radio File", "KEEP.RAD");
  EXPECT_EQ(t.app.Radios.FileDialogDir, fs::current_path().string());
}

TEST(FileCommands, OpenReplacesOnlyTheEntriesReadAndRepaints) {
  TempFolder folder;
  const std::string path = folder.File("A.RAD");
  Put(path, "IP ADDRESS 10.0.0.1\r\nPORT NUMBER 5000\r\n       7 12 SEVEN\r\n       8  0\r\n");
  TestApp t;
  FillList(t);
  t.window.FileAnswers.push_back(path);
  const int paints = t.window.PaintCount();
  EXPECT_TRUE(FileOpen(t.app));
  EXPECT_EQ(t.app.Radios.RadioCount, 2);
  EXPECT_EQ(t.app.Radios.RadioSerial[1], 7U);
  EXPECT_EQ(t.app.Radios.RadioRepeaterNumber[1], 12);
  EXPECT_EQ(Name(t, 1), "SEVEN   ");
  EXPECT_EQ(Name(t, 2), "        ");
  EXPECT_EQ(t.app.Radios.RadioSerial[3], 103U);  // above the count: left as it was
  EXPECT_EQ(Name(t, 3), "OLD3    ");
  EXPECT_EQ(t.app.Link.UdpAddress, "10.0.0.1");
  EXPECT_EQ(t.app.Link.UdpPort, " 5000");
  EXPECT_EQ(t.app.Radios.RadioFileName, path);
  EXPECT_GT(t.window.PaintCount(), paints);
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(FileCommands, OpenWithoutHeaderKeepsAddressAndPort) {
  TempFolder folder;
  Put(folder.File("A.RAD"), "       7 12 SEVEN\r\n");
  TestApp t;
  FillList(t);
  t.window.FileAnswers.push_back(folder.File("A.RAD"));
  EXPECT_TRUE(FileOpen(t.app));
  EXPECT_EQ(t.app.Radios.RadioCount, 1);
  EXPECT_EQ(t.app.Link.UdpAddress, "old.host");
  EXPECT_EQ(t.app.Link.UdpPort, "4000");
}

TEST(FileCommands, UnreadableFileKeepsEverythingAndSaysWhy) {
  TempFolder folder;
  for (const std::string& path : {folder.File("missing.RAD"), folder.File("")}) {
    TestApp t;
    FillList(t);
    t.window.FileAnswers.push_back(path);
    const int paints = t.window.PaintCount();
    EXPECT_FALSE(FileOpen(t.app));
    ExpectListUntouched(t);
    EXPECT_EQ(t.window.PaintCount(), paints);
    ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
    EXPECT_EQ(t.window.MessageBoxes()[0].Caption, "Open Radio File");
    EXPECT_NE(t.window.MessageBoxes()[0].Text.find("\"" + path + "\""), std::string::npos);
  }
}

TEST(FileCommands, OpenOfTooManyRadiosLoadsTheFirstAndSaysHowManyWereLeft) {
  TempFolder folder;
  std::string text;
  for (int i = 1; i <= 5000; ++i)
    text += std::string(8 - std::to_string(i).size(), ' ') + std::to_string(i) + "  1 R\r\n";
  Put(folder.File("BIG.RAD"), text);
  TestApp t;
  t.window.FileAnswers.push_back(folder.File("BIG.RAD"));
  EXPECT_TRUE(FileOpen(t.app));
  EXPECT_EQ(t.app.Radios.RadioCount, 2047);
  EXPECT_EQ(t.app.Radios.RadioSerial[2047], 2047U);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Only the first 2047 radios of \"" +
                                                 folder.File("BIG.RAD") +
                                                 "\" were loaded; 2953 more were left out.");
}

TEST(FileCommands, NewEmptiesTheListAndRepaints) {
  TestApp t;
  FillList(t);
  const int paints = t.window.PaintCount();
  FileNew(t.app);
  EXPECT_EQ(t.app.Radios.RadioCount, 0);
  EXPECT_EQ(t.app.Radios.RadioSerial[1], 0U);
  EXPECT_EQ(Name(t, 5), "        ");
  EXPECT_EQ(t.app.Radios.RadioFileName, "NONAME.RAD");
  EXPECT_GT(t.window.PaintCount(), paints);
}

TEST(FileCommands, CloseOnlyShowsItsMessage) {
  TestApp t;
  FillList(t);
  const int paints = t.window.PaintCount();
  FileClose(t.app);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "CLOSE selected");
  EXPECT_EQ(t.window.MessageBoxes()[0].Caption, "Norvalen");
  EXPECT_EQ(t.window.PaintCount(), paints);
  ExpectListUntouched(t);
}

TEST(FileCommands, CancelledSaveRepaintsAndWritesNothing) {
  TestApp t;
  FillList(t);
  const int paints = t.window.PaintCount();
  FileSave(t.app);
  EXPECT_EQ(t.window.PaintCount(), paints + 1);
  ASSERT_EQ(t.window.Prompts().size(), 1U);
  ExpectPrompt(t.window.Prompts()[0], "Save  File", "KEEP.RAD");
  ExpectListUntouched(t);
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(FileCommands, SaveWritesTheFileAndRepaints) {
  TempFolder folder;
  const std::string path = folder.File("OUT.RAD");
  TestApp t;
  FillList(t);
  t.app.Radios.RadioCount = 2;
  t.window.FileAnswers.push_back(path);
  const int paints = t.window.PaintCount();
  FileSave(t.app);
  EXPECT_EQ(Contents(path),
            "IP ADDRESS old.host\r\nPORT NUMBER 4000\r\n     101  1 OLD1    \r\n"
            "     102  2 OLD2    \r\n");
  EXPECT_EQ(t.app.Radios.RadioFileName, path);
  EXPECT_EQ(t.window.PaintCount(), paints + 1);
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

TEST(FileCommands, RefusedOrFailedSaveSaysSoAndKeepsTheOldFile) {
  TempFolder folder;
  const std::string path = folder.File("OUT.RAD");
  Put(path, "old contents");
  fs::create_directory(folder.File("DIR.RAD"));
  struct Case {
    std::string target;
    std::uint32_t serial4;
    std::string text;
  };
  const std::vector<Case> cases = {
      {path, 123456789,
       "Radio 4 has serial number 123456789, more than the 8 digits a radio file holds; "
       "nothing was saved."},
      {folder.File("DIR.RAD"), 104, "Could not save \"" + folder.File("DIR.RAD") + "\": "}};
  for (const Case& c : cases) {
    TestApp t;
    FillList(t);
    t.app.Radios.RadioSerial[4] = c.serial4;
    t.window.FileAnswers.push_back(c.target);
    const int paints = t.window.PaintCount();
    FileSave(t.app);
    ASSERT_EQ(t.window.MessageBoxes().size(), 1U) << c.target;
    EXPECT_EQ(t.window.MessageBoxes()[0].Text.substr(0, c.text.size()), c.text);
    EXPECT_EQ(t.window.MessageBoxes()[0].Caption, "Save  File");
    EXPECT_EQ(t.window.PaintCount(), paints + 1);
  }
  EXPECT_EQ(Contents(path), "old contents");
  EXPECT_TRUE(fs::is_directory(folder.File("DIR.RAD")));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.File("")), fs::directory_iterator()), 2);
}

TEST(FileCommands, SaveThenOpenRestoresTheList) {
  TempFolder folder;
  const std::string path = folder.File("TRIP.RAD");
  TestApp t;
  FillList(t);
  t.app.Radios.RadioSerial[2] = 99999999;
  t.app.Radios.RadioRepeaterNumber[2] = 99;
  t.app.Radios.RadioName[3] = {' ', 'A', ' ', 'B', ' ', ' ', 'C', ' '};
  t.window.FileAnswers.push_back(path);
  FileSave(t.app);
  FileNew(t.app);
  t.window.FileAnswers.push_back(path);
  ASSERT_TRUE(FileOpen(t.app));
  EXPECT_EQ(t.app.Radios.RadioCount, 5);
  EXPECT_EQ(t.app.Radios.RadioSerial[2], 99999999U);
  EXPECT_EQ(t.app.Radios.RadioRepeaterNumber[2], 99);
  EXPECT_EQ(t.app.Radios.RadioSerial[5], 105U);
  EXPECT_EQ(Name(t, 3), " A B  C ");
  EXPECT_EQ(Name(t, 4), "OLD4    ");
  EXPECT_EQ(t.app.Link.UdpAddress, "old.host");
  EXPECT_EQ(t.app.Link.UdpPort, " 4000");  // the blank after the label joins the port
  ASSERT_EQ(t.window.Prompts().size(), 2U);
  ExpectPrompt(t.window.Prompts()[1], "Open Radio File", "NONAME.RAD");
}

}  // namespace
}  // namespace ptpdiag
