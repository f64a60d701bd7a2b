// The icon files kept for Windows and the desktop are the drawing the
// window shows; make-icons writes them anew when the drawing changes.
#include "platform/qt/program_icon.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "resources/program_icon_drawing.h"

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

TEST(ProgramIcon, TheKeptPngFilesAreTheDrawing) {
  for (const int size : kDesktopIconSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const QImage kept(PTPDIAG_ICONS "/hicolor/" + QString::fromStdString(name) + "/apps/ptpdiag.png");
    ASSERT_FALSE(kept.isNull()) << name;
    EXPECT_TRUE(kept.convertToFormat(QImage::Format_ARGB32) == DrawProgramIcon(size))
        << name << ": run make-icons src/resources/icons after changing the drawing";
  }
}

TEST(ProgramIcon, TheKeptSvgFileIsTheDrawing) {
  const std::string kept = FileBytes(PTPDIAG_ICONS "/hicolor/scalable/apps/ptpdiag.svg");
  EXPECT_EQ(kept, ProgramIconSvg()) << "run make-icons src/resources/icons";
}

// The SVG writer's geometry (arc directions, sweeps) against the painter's:
// an SVG renderer draws the file and the two pictures must overlap.
TEST(ProgramIcon, TheSvgLooksLikeThePainting) {
  QSvgRenderer renderer(QByteArray::fromStdString(ProgramIconSvg()));
  ASSERT_TRUE(renderer.isValid());
  QImage rendered(256, 256, QImage::Format_ARGB32_Premultiplied);
  rendered.fill(Qt::transparent);
  QPainter painter(&rendered);
  renderer.render(&painter);
  painter.end();
  rendered = rendered.convertToFormat(QImage::Format_ARGB32);
  const QImage painted = DrawProgramIcon(256);
  int inked = 0, both = 0, far = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const QRgb a = painted.pixel(x, y), b = rendered.pixel(x, y);
      const bool inA = qAlpha(a) > 128, inB = qAlpha(b) > 128;
      inked += inA || inB;
      both += inA && inB;
      far += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                 std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b)) > 160;
    }
  }
  ASSERT_GT(inked, 2000);
  EXPECT_GT(static_cast<double>(both) / inked, 0.95);
  EXPECT_LT(far, 256 * 256 / 100);
}

// Large icons draw strokes in proportion, not two pixels wide on 256.
TEST(ProgramIcon, StrokesGrowWithLargeIcons) {
  EXPECT_DOUBLE_EQ(ProgramIconAt(48).Pen, 2.0);
  EXPECT_DOUBLE_EQ(ProgramIconAt(256).Pen, ProgramIconAt(128).Pen * 2);
  EXPECT_EQ(ProgramIconAt(16).Waves.size(), 2U);
  EXPECT_EQ(ProgramIconAt(256).Waves.size(), 4U);
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
