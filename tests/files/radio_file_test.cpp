#include "files/radio_file.h"

#include <gtest/gtest.h>

#include "link/net_link.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace ptpdiag {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A 20-character record as Save writes it.
std::string Rec(std::uint32_t serial, const char* repeaterAndName = "  0 NAME    ") {
  std::string digits = std::to_string(serial);
  return std::string(8 - digits.size(), ' ') + digits + repeaterAndName;
}

std::vector<std::uint32_t> Serials(const RadioFileContents& c) {
  std::vector<std::uint32_t> serials;
  for (const RadioRecord& r : c.Records)
    serials.push_back(r.Serial);
  return serials;
}

std::string Name(const RadioRecord& r) {
  return std::string(r.Name.data(), r.Name.size());
}

struct LineCase {
  const char* what;
  std::string bytes;
  std::vector<std::uint32_t> serials;
};

class RadioFileLines : public testing::TestWithParam<LineCase> {};

TEST_P(RadioFileLines, SplitsAsTheLineRulesSay) {
  const RadioFileContents c = ParseRadioFile(GetParam().bytes);
  EXPECT_EQ(Serials(c), GetParam().serials) << GetParam().what;
  EXPECT_FALSE(c.Address.has_value());
  EXPECT_EQ(c.RecordsNotLoaded, 0U);
}

INSTANTIATE_TEST_SUITE_P(
    RadioLines, RadioFileLines,
    testing::Values(
        LineCase{"empty file", "", {}},
        LineCase{"CR LF", Rec(1) + "\r\n" + Rec(2) + "\r\n", {1, 2}},
        LineCase{"CR alone", Rec(1) + "\r" + Rec(2) + "\r", {1, 2}},
        LineCase{"last line without end", Rec(1) + "\r\n" + Rec(2), {1, 2}},
        LineCase{"a second LF belongs to the next line", Rec(1) + "\r\n\n" + Rec(2), {1, 0}},
        LineCase{"CR CR LF makes an empty line", Rec(1) + "\r\r\n" + Rec(2), {1}},
        LineCase{"LF before CR belongs to the line", Rec(1) + "\n\r" + Rec(2), {1, 2}},
        LineCase{"LF-only file is one line", Rec(1) + "\n" + Rec(2) + "\n", {1}},
        LineCase{"Ctrl-Z after a record", Rec(1) + "\r\n" + Rec(2) + "\x1a" + Rec(3), {1, 2}},
        LineCase{"Ctrl-Z cuts a record short", Rec(1) + "\r\n     2\x1a  0 NAME\r\n", {1}},
        LineCase{"Ctrl-Z first", "\x1a" + Rec(1), {}},
        LineCase{"short line ends reading", Rec(1) + "\r\n123456789\r\n" + Rec(3), {1}},
        LineCase{"empty line ends reading", Rec(1) + "\r\n\r\n" + Rec(3), {1}},
        LineCase{"10 characters are a record", "       5 1\r\n" + Rec(6), {5, 6}}));

struct HeaderCase {
  const char* what;
  std::string bytes;
  std::optional<std::string> address;
  std::optional<std::string> port;
  std::vector<std::uint32_t> serials;
};

class RadioFileHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(RadioFileHeader, TakesAddressAndPortOnlyWhereTheyBelong) {
  const HeaderCase& h = GetParam();
  const RadioFileContents c = ParseRadioFile(h.bytes);
  EXPECT_EQ(c.Address, h.address) << h.what;
  EXPECT_EQ(c.Port, h.port) << h.what;
  EXPECT_EQ(Serials(c), h.serials) << h.what;
}

const std::string kAddr = "IP ADDRESS 10.1.2.3\r\n";

INSTANTIATE_TEST_SUITE_P(
    RadioHeader, RadioFileHeader,
    testing::Values(
        HeaderCase{"record first", Rec(7) + "\r\n", std::nullopt, std::nullopt, {7}},
        HeaderCase{"both", kAddr + "PORT NUMBER 5000\r\n" + Rec(1), "10.1.2.3", " 5000", {1}},
        HeaderCase{"port without blank", kAddr + "PORT NUMBER5000\r\n", "10.1.2.3", "5000", {}},
        HeaderCase{"bare port label", kAddr + "PORT NUMBER\r\n" + Rec(1), "10.1.2.3", "", {1}},
        HeaderCase{
            "no port line", kAddr + Rec(1) + "\r\n" + Rec(2), "10.1.2.3", std::nullopt, {1, 2}},
        HeaderCase{"ends after address", kAddr, "10.1.2.3", std::nullopt, {}},
        HeaderCase{"ends after address, no CR", "IP ADDRESS host", "host", std::nullopt, {}},
        HeaderCase{"ends after port", kAddr + "PORT NUMBER 7\r\n", "10.1.2.3", " 7", {}},
        HeaderCase{"bare address label", "IP ADDRESS \r\n" + Rec(1), "", std::nullopt, {1}},
        HeaderCase{"label without blank is a record",
                   "IP ADDRESS\r\n" + Rec(1),
                   std::nullopt,
                   std::nullopt,
                   {0, 1}},
        HeaderCase{"lower case is a record", "ip address 1.2.3.4", std::nullopt, std::nullopt, {0}},
        HeaderCase{
            "address not first", Rec(1) + "\r\n" + kAddr, std::nullopt, std::nullopt, {1, 0}},
        HeaderCase{"port without address", "PORT NUMBER 5000\r\n", std::nullopt, std::nullopt, {0}},
        HeaderCase{"second address line", kAddr + kAddr, "10.1.2.3", std::nullopt, {0}}));

struct RecordCase {
  std::string line;
  std::uint32_t serial;
  std::uint8_t repeater;
  std::string name;
};

class RadioFileRecord : public testing::TestWithParam<RecordCase> {};

TEST_P(RadioFileRecord, ReadsTheColumns) {
  const RecordCase& r = GetParam();
  const RadioRecord got = ParseRecord(r.line);
  EXPECT_EQ(got.Serial, r.serial) << '"' << r.line << '"';
  EXPECT_EQ(got.Repeater, r.repeater) << '"' << r.line << '"';
  EXPECT_EQ(Name(got), r.name) << '"' << r.line << '"';
}

INSTANTIATE_TEST_SUITE_P(RadioLengths, RadioFileRecord,
                         testing::Values(RecordCase{"12345678 9", 12345678, 9, "        "},
                                         RecordCase{"12345678 99", 12345678, 99, "        "},
                                         RecordCase{"12345678 99 ", 12345678, 99, "        "},
                                         RecordCase{"12345678 99 ABCD", 12345678, 99, "ABCD    "},
                                         RecordCase{"       1  0 A B C  D", 1, 0, "A B C  D"},
                                         RecordCase{"       1  0 ABCDEFGHIJKLMNOP", 1, 0,
                                                    "ABCDEFGH"},
                                         RecordCase{"       1  0 AB\nCDEFG", 1, 0, "AB\nCDEFG"}));

// Serial: columns 1-8 rounded, ties to even, kept in 0..2^32-1.
INSTANTIATE_TEST_SUITE_P(
    RadioSerials, RadioFileRecord,
    testing::Values(
        RecordCase{"    12.5  0", 12, 0, "        "}, RecordCase{"    13.5  0", 14, 0, "        "},
        RecordCase{"    12.6  0", 13, 0, "        "}, RecordCase{"     .5   0", 0, 0, "        "},
        RecordCase{"    1.5   0", 2, 0, "        "}, RecordCase{"      -5  0", 0, 0, "        "},
        RecordCase{"    -0.4  0", 0, 0, "        "}, RecordCase{"      +8  0", 8, 0, "        "},
        RecordCase{"\t\t \n  42  0", 42, 0, "        "},
        RecordCase{"12ab      0", 12, 0, "        "}, RecordCase{"  x123    0", 0, 0, "        "},
        RecordCase{"   - 5    0", 0, 0, "        "}, RecordCase{"     1e5  0", 1, 0, "        "},
        RecordCase{"99999999  0", 99999999, 0, "        "},
        RecordCase{"        123", 0, 123, "        "},
        RecordCase{"1234567890", 12345678, 90, "        "}));

// Repeater: columns 9-11 rounded, modulo 256.
INSTANTIATE_TEST_SUITE_P(RadioRepeaters, RadioFileRecord,
                         testing::Values(RecordCase{"       1255", 1, 255, "        "},
                                         RecordCase{"       1256", 1, 0, "        "},
                                         RecordCase{"       1300", 1, 44, "        "},
                                         RecordCase{"       1999", 1, 231, "        "},
                                         RecordCase{"       1 -1", 1, 255, "        "},
                                         RecordCase{"       12.5", 1, 2, "        "},
                                         RecordCase{"       1abc", 1, 0, "        "},
                                         RecordCase{"       1  7X", 1, 7, "        "}));

TEST(RadioFileNumbers, RoundSerialNeverLeavesTheRange) {
  EXPECT_EQ(RoundSerial(std::nan("")), 0U);
  EXPECT_EQ(RoundSerial(-1e300), 0U);
  EXPECT_EQ(RoundSerial(1e300), 4294967295U);
  EXPECT_EQ(RoundSerial(std::numeric_limits<double>::infinity()), 4294967295U);
  EXPECT_EQ(RoundSerial(4294967294.4), 4294967294U);
  EXPECT_EQ(RoundSerial(2147483648.0), 2147483648U);
  // Beyond the range of a double: the largest serial, or 0 for a tiny one.
  EXPECT_EQ(RoundSerial(LeadingNumber(std::string(400, '9'))), 4294967295U);
  EXPECT_EQ(RoundSerial(LeadingNumber("-" + std::string(400, '9'))), 0U);
  EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

std::string Records(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i)
    text += Rec(static_cast<std::uint32_t>(i)) + "\r\n";
  return text;
}

TEST(RadioFileCapacity, LoadsTheFirst2047AndCountsTheRest) {
  const RadioFileContents c = ParseRadioFile(Records(5000));
  ASSERT_EQ(c.Records.size(), 2047U);
  EXPECT_EQ(c.Records.back().Serial, 2047U);
  EXPECT_EQ(c.RecordsNotLoaded, 2953U);
}

TEST(RadioFileCapacity, CountsOnlyUpToTheLineThatEndsReading) {
  const RadioFileContents c = ParseRadioFile(Records(4) + "short\r\n" + Records(3), 2);
  EXPECT_EQ(Serials(c), (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(c.RecordsNotLoaded, 2U);
}

TEST(RadioFileHostile, TenMegabyteLineIsOneRecord) {
  std::string line = Rec(3, "  4 ABCDEFGH");
  line.resize(10 * 1024 * 1024, 'x');
  const RadioFileContents c = ParseRadioFile(line + "\r\n" + Rec(5));
  EXPECT_EQ(Serials(c), (std::vector<std::uint32_t>{3, 5}));
  EXPECT_EQ(Name(c.Records[0]), "ABCDEFGH");
}

TEST(RadioFileHostile, NoLineEndsOrOnlyLineEnds) {
  EXPECT_EQ(Serials(ParseRadioFile(std::string(1 << 20, '7'))),
            std::vector<std::uint32_t>{77777777});
  EXPECT_TRUE(ParseRadioFile(std::string(1 << 20, '\r')).Records.empty());
  const RadioFileContents lfs = ParseRadioFile(std::string(1 << 20, '\n'));
  ASSERT_EQ(lfs.Records.size(), 1U);
  EXPECT_EQ(Name(lfs.Records[0]), std::string(8, '\n'));
}

TEST(RadioFileHostile, BinaryJunkStaysWithinTheList) {
  std::mt19937 random(12345);
  for (int round = 0; round < 20; ++round) {
    std::string junk(200000, '\0');
    for (char& b : junk)
      b = static_cast<char>(random() % 256);
    if (round % 2 == 0)  // no Ctrl-Z, so the whole buffer is read
      for (char& b : junk)
        if (b == '\x1a') b = '\r';
    const RadioFileContents c = ParseRadioFile(junk, 100);
    EXPECT_LE(c.Records.size(), 100U);
    EXPECT_TRUE(c.RecordsNotLoaded == 0 || c.Records.size() == 100U);
  }
}

RadioList ListOf(const std::vector<RadioRecord>& radios) {
  RadioList list;
  ResetRadioList(list);
  std::size_t n = 0;
  for (const RadioRecord& r : radios) {
    ++n;
    list.RadioSerial[n] = r.Serial;
    list.RadioRepeaterNumber[n] = r.Repeater;
    list.RadioName[n] = r.Name;
  }
  list.RadioCount = static_cast<std::int32_t>(n);
  return list;
}

RadioRecord Radio(std::uint32_t serial, std::uint8_t repeater, const std::string& name) {
  RadioRecord r{serial, repeater, {}};
  r.Name.fill(' ');
  std::copy(name.begin(), name.end(), r.Name.begin());
  return r;
}

std::string Text(const std::variant<std::string, RadioFileRefusal>& result) {
  if (const auto* refusal = std::get_if<RadioFileRefusal>(&result))
    return "refused: " + refusal->Reason;
  return std::get<std::string>(result);
}

struct FormatCase {
  const char* address;
  const char* port;
  std::vector<RadioRecord> radios;
  std::string expected;
};

class RadioFileFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(RadioFileFormat, WritesOrRefuses) {
  const FormatCase& f = GetParam();
  EXPECT_EQ(Text(FormatRadioFile(f.address, f.port, ListOf(f.radios))), f.expected);
}

INSTANTIATE_TEST_SUITE_P(
    RadioFormat, RadioFileFormat,
    testing::Values(
        FormatCase{"", "", {}, ""}, FormatCase{"", "5000", {}, ""},
        FormatCase{"h", "", {}, "IP ADDRESS h\r\n"},
        FormatCase{"h", " 5000", {}, "IP ADDRESS h\r\nPORT NUMBER 5000\r\n"},
        FormatCase{"h", "5000", {}, "IP ADDRESS h\r\nPORT NUMBER 5000\r\n"},
        FormatCase{"", "", {Radio(1, 0, "A")}, "       1  0 A       \r\n"},
        FormatCase{"",
                   "",
                   {Radio(99999999, 99, "ABCDEFGH"), Radio(0, 5, "")},
                   "99999999 99 ABCDEFGH\r\n       0  5         \r\n"},
        FormatCase{"",
                   "",
                   {Radio(1, 0, ""), Radio(100000000, 0, ""), Radio(123456789, 0, "")},
                   "refused: Radio 2 has serial number 100000000, more than the 8 digits a "
                   "radio file holds; nothing was saved."},
        FormatCase{"",
                   "",
                   {Radio(1, 100, "")},
                   "refused: Radio 1 has repeater number 100, more than the 2 digits a radio "
                   "file holds; nothing was saved."},
        FormatCase{"",
                   "",
                   {Radio(1, 0, "AB\rCD")},
                   "refused: Radio 1's name has a CR or Ctrl-Z byte in it, which a radio file "
                   "cannot hold; nothing was saved."},
        FormatCase{"",
                   "",
                   {Radio(1, 0, "AB\x1a")},
                   "refused: Radio 1's name has a CR or Ctrl-Z byte in it, which a radio file "
                   "cannot hold; nothing was saved."},
        FormatCase{"a\rb",
                   "",
                   {},
                   "refused: The IP address has a CR or Ctrl-Z byte in it, which a radio file "
                   "cannot hold; nothing was saved."}));

TEST(RadioFileFormat, WritesOnlyEntriesUpToTheCount) {
  RadioList list = ListOf({Radio(1, 0, "A"), Radio(2, 0, "B"), Radio(300000000, 0, "C")});
  list.RadioCount = 2;
  EXPECT_EQ(Text(FormatRadioFile("", "", list)),
            "       1  0 A       \r\n       2  0 B       \r\n");
}

TEST(RadioFileRoundTrip, SaveThenOpenGivesTheSameList) {
  std::vector<RadioRecord> radios = {Radio(0, 0, "        "), Radio(99999999, 99, "ABCDEFGH"),
                                     Radio(12345678, 7, " A B  C "), Radio(1, 10, "\tx\n"),
                                     Radio(5, 0, "")};
  for (int repeater = 0; repeater <= 99; ++repeater)
    radios.push_back(Radio(static_cast<std::uint32_t>(repeater) * 1000003U,
                           static_cast<std::uint8_t>(repeater), "R" + std::to_string(repeater)));
  const RadioFileContents c =
      ParseRadioFile(std::get<std::string>(FormatRadioFile("10.0.0.9", "5000", ListOf(radios))));
  ASSERT_EQ(c.Records.size(), radios.size());
  for (std::size_t i = 0; i < radios.size(); ++i) {
    EXPECT_EQ(c.Records[i].Serial, radios[i].Serial) << i;
    EXPECT_EQ(c.Records[i].Repeater, radios[i].Repeater) << i;
    EXPECT_EQ(Name(c.Records[i]), Name(radios[i])) << i;
  }
  EXPECT_EQ(c.Address, "10.0.0.9");
  EXPECT_EQ(c.Port, " 5000");
}

TEST(RadioFileRoundTrip, ThePortKeepsOneBlankThroughOpenAndSave) {
  for (const std::string typed : {" 5000", "5000"}) {
    std::string port = typed;
    for (int round = 0; round < 3; ++round)
      port = *ParseRadioFile(std::get<std::string>(FormatRadioFile("h", port, ListOf({})))).Port;
    EXPECT_EQ(port, " 5000") << "typed '" << typed << "'";
  }
}

// A unique folder under the system's temporary folder, removed at the end.
using test::Contents;
using test::Put;
using test::TempFolder;

TEST(FileReplacing, CreatesAndReplacesLeavingNothingElse) {
  TempFolder folder;
  const std::string path = folder.File("A.RAD");
  EXPECT_EQ(WriteFileReplacing(path, "first\r\n"), std::nullopt);
  EXPECT_EQ(Contents(path), "first\r\n");
  // Windows knows only read-only or not: the old file's permissions, as
  // the system keeps them, are what the new file must have.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  const fs::perms before = fs::status(path).permissions() & fs::perms::all;
  EXPECT_EQ(WriteFileReplacing(path, ""), std::nullopt);
  EXPECT_EQ(Contents(path), "");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, before);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"A.RAD"});
}

// A save that was interrupted (a crash, a power loss) leaves its
// temporary file; the next save of the same file takes it away, and only
// that file's.
TEST(FileReplacing, LeftoversOfAnInterruptedSaveOfTheSameFileGo) {
  TempFolder folder;
  const std::vector<std::string> left = {".A.RAD.0123456789abcdef.tmp",
                                         ".A.RAD.fedcba9876543210.tmp"};
  const std::vector<std::string> kept = {".B.RAD.0123456789abcdef.tmp", ".A.RAD.0123.tmp",
                                         ".A.RAD.00000000000000AB.tmp",
                                         "A.RAD.0123456789abcdef.tmp"};
  for (const std::string& name : left)
    Put(folder.File(name), "half a save");
  for (const std::string& name : kept)
    Put(folder.File(name), "someone else's");
  EXPECT_EQ(WriteFileReplacing(folder.File("A.RAD"), "new\r\n"), std::nullopt);
  std::vector<std::string> expected = kept;
  expected.push_back("A.RAD");
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> names = folder.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
}

TEST(FileReplacing, DirectoryInTheWayStaysAndNoTemporaryIsLeft) {
  TempFolder folder;
  const std::string path = folder.File("A.RAD");
  fs::create_directory(path);
  Put(folder.File("A.RAD/inner"), "old");
  const std::optional<std::string> error = WriteFileReplacing(path, "new");
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find(path), std::string::npos) << *error;
  EXPECT_EQ(Contents(folder.File("A.RAD/inner")), "old");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"A.RAD"});
}

TEST(FileReplacing, MissingFolderIsAnErrorWithTheReason) {
  TempFolder folder;
  const std::string path = folder.File("none/A.RAD");
  const std::optional<std::string> error = WriteFileReplacing(path, "new");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(*error, "Could not save \"" + path + "\": No such file or directory.");
  EXPECT_TRUE(folder.Names().empty());
}

TEST(FileReplacing, ReadOnlyFolderKeepsTheOldFile) {
  TempFolder folder;
  const std::string path = folder.File("A.RAD");
  Put(path, "old");
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (std::FILE* probe = std::fopen(folder.File("probe").c_str(), "wb")) {
    std::fclose(probe);
    GTEST_SKIP() << "permissions are not enforced for this user";
  }
  const std::optional<std::string> error = WriteFileReplacing(path, "new");
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("Permission denied"), std::string::npos) << *error;
  EXPECT_EQ(Contents(path), "old");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"A.RAD"});
}

TEST(FileReading, ReadsWholeOrSaysWhy) {
  TempFolder folder;
  const std::string path = folder.File("A.RAD");
  Put(path, "0123456789");
  EXPECT_EQ(ReadWholeFile(path, 10).Bytes, "0123456789");
  EXPECT_EQ(ReadWholeFile(path, 10).Error, "");
  const FileReadResult big = ReadWholeFile(path, 9);
  EXPECT_EQ(big.Error, "Could not read \"" + path +
                           "\": it is larger than 9 bytes, too large for a radio file.");
  EXPECT_EQ(big.Bytes, "");
  EXPECT_EQ(ReadWholeFile(folder.File("B.RAD")).Error,
            "Could not read \"" + folder.File("B.RAD") + "\": No such file or directory.");
  EXPECT_EQ(ReadWholeFile(folder.Path().string()).Error,
            "Could not read \"" + folder.Path().string() + "\": Is a directory.");
}

// The sample shipped with the program reads as it is meant to.
TEST(SampleRadioFile, HoldsTheAddressPortAndFiveRadios) {
  const FileReadResult read = ReadWholeFile(PTPDIAG_SAMPLES "/example.RAD");
  ASSERT_EQ(read.Error, "");
  const RadioFileContents contents = ParseRadioFile(read.Bytes);
  EXPECT_EQ(contents.Address, "192.168.1.20");
  ASSERT_TRUE(contents.Port);
  EXPECT_EQ(TcpPortNumber(*contents.Port), 4000);
  ASSERT_EQ(contents.Records.size(), 5U);
  EXPECT_EQ(contents.Records[0].Serial, 1200417U);
  EXPECT_EQ(contents.Records[2].Repeater, 2);
  EXPECT_EQ(std::string(contents.Records[4].Name.data(), 8), "PUMPHSE ");
}

}  // namespace
}  // namespace ptpdiag
