// The icon files kept for Windows and the desktop are the drawing the
// window shows; make-icons writes them anew when the drawing changes.
#include "platform/qt/program_icon.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace ptpdiag {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProgramIcon, TheKeptIcoFileIsTheDrawing) {
  const std::string kept = FileBytes(PTPDIAG_ICONS "/ptpdiag.ico");
  ASSERT_FALSE(kept.empty());
  EXPECT_TRUE(kept == ProgramIconIcoFile())
      << "run make-icons src/resources/icons after changing the drawing";
}

TEST(ProgramIcon, IsAMastOnATransparentGround) {
  const QImage icon = DrawProgramIcon(32);
  ASSERT_EQ(icon.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(31, 31)), 0);
  int opaque = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) opaque += qAlpha(icon.pixel(x, y)) > 128;
  }
  EXPECT_GT(opaque, 60);
  EXPECT_LT(opaque, 600);
}

}  // namespace
}  // namespace ptpdiag
