#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/qt/qt_backend.h"
#include "app/run.h"

namespace ptpdiag {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class HeadlessRun : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("ptpdiag_headless_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  Options Replay(const std::string& capture) {
    Options o;
    o.Headless = true;
    o.ReplayFile = std::string(PTPDIAG_TEST_DATA) + "/" + capture;
    return o;
  }
  fs::path dir;
  QtBackend backend;
};

TEST_F(HeadlessRun, ReportHoldsTheStoreAfterTheReplay) {
  Options o = Replay("one_miss.cap");
  o.ReportFile = (dir / "r.json").string();
  ASSERT_EQ(RunHeadless(o, backend), 0);
  const std::string json = ReadAll(dir / "r.json");
  EXPECT_NE(json.find("\"HistIndex\": 1,"), std::string::npos);
  EXPECT_NE(json.find("\"ShownNoise\": 95,"), std::string::npos);
  EXPECT_NE(json.find("\"StartSeconds\": 1140523200,"), std::string::npos);
  EXPECT_NE(json.find("\"ScreenNumber\": 3"), std::string::npos);
  EXPECT_NE(json.find("\"HistErrorRate\": [0,128,0,"), std::string::npos);
}

TEST_F(HeadlessRun, SvgSnapshotIsOneErasedRepaintOfTheChosenScreen) {
  Options o = Replay("one_miss.cap");
  o.Screen = 2;
  o.Width = 640;
  o.Height = 480;
  o.SnapshotFile = (dir / "s.svg").string();
  ASSERT_EQ(RunHeadless(o, backend), 0);
  const std::string svg = ReadAll(dir / "s.svg");
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"640\" height=\"480\" "
                      "viewBox=\"0 0 640 480\">\n<rect x=\"0\" y=\"0\" width=\"640\" "
                      "height=\"480\" fill=\"#ffffff\"/>\n",
                      0),
            0U);
  EXPECT_NE(svg.find(">Signal Quality vs Frequency</text>"), std::string::npos);
  EXPECT_NE(svg.find(">No Connection</text>"), std::string::npos);
  EXPECT_EQ(svg.find("<rect x=\"0\" y=\"0\"", 100), std::string::npos);  // erased once
}

TEST_F(HeadlessRun, PngSnapshotHasTheClientSizeAndThePlotBox) {
  Options o = Replay("one_miss.cap");
  o.SnapshotFile = (dir / "s.png").string();
  ASSERT_EQ(RunHeadless(o, backend), 0);
  const QImage png(QString::fromStdString(o.SnapshotFile->c_str()));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.width(), 800);
  EXPECT_EQ(png.height(), 560);
  EXPECT_EQ(png.pixelColor(5, 550), QColor(Qt::white));
  EXPECT_EQ(png.pixelColor(150, 120), QColor(Qt::black));      // inside the plot box
  EXPECT_EQ(png.pixelColor(100, 300), QColor(128, 128, 128));  // its grey outline
}

TEST_F(HeadlessRun, MalformedCaptureFailsWithCodeTwoAndWritesNothing) {
  Options o = Replay("bad_hex.cap");
  o.ReportFile = (dir / "r.json").string();
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunHeadless(o, backend), 2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("bad_hex.cap:3: not a hex digit"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(dir / "r.json"));
}

// A folder that is not there is found before the run; a write that fails
// at the end (a full disk) is exit code 1.
TEST_F(HeadlessRun, UnwritableOutputsAreRefusedAtStartOrFailWithOne) {
  Options o = Replay("one_miss.cap");
  o.ReportFile = (dir / "missing" / "r.json").string();
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunHeadless(o, backend), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
  o.ReportFile = "/dev/full";
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunHeadless(o, backend), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write /dev/full"), std::string::npos);
}

}  // namespace
}  // namespace ptpdiag
