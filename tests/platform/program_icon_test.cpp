// The icon files kept for Windows and the desktop are the drawing the
// window shows; make-icons writes them anew when the drawing changes.
#include "platform/qt/program_icon.h"

#include <gtest/gtest.h>

#include <QPainter>
#ifdef PTPDIAG_HAVE_QT_SVG
#include <QSvgRenderer>
#endif
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include "resources/program_icon_drawing.h"
#include "support/image_difference.h"

namespace ptpdiag {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

// One image of an icon file: its DIB header, BGRA rows and 1-bit mask.
struct IcoImage {
  int Size = 0;
  std::string_view Header, Pixels, Mask;
};

std::vector<IcoImage> IcoImages(std::string_view ico) {
  std::vector<IcoImage> images;
  const std::uint32_t count = LittleEndian(ico, 4, 2);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const int size = static_cast<unsigned char>(ico[entry]);
    const std::size_t at = LittleEndian(ico, entry + 12, 4);
    const std::size_t pixels = static_cast<std::size_t>(size) * size * 4;
    const std::size_t mask = static_cast<std::size_t>(size) * ((size + 31) / 32) * 4;
    if (at + 40 + pixels + mask > ico.size()) break;
    images.push_back({size, ico.substr(at, 40), ico.substr(at + 40, pixels),
                      ico.substr(at + 40 + pixels, mask)});
  }
  return images;
}

// The container's fields are our own bytes and match exactly; the pixels
// are the rasteriser's, within its rounding; the mask marks what the kept
// pixels leave fully transparent.
TEST(ProgramIcon, TheKeptIcoFileIsTheDrawing) {
  const std::string kept = FileBytes(PTPDIAG_ICONS "/ptpdiag.ico");
  const std::string drawn = ProgramIconIcoFile();
  const char* hint = "run make-icons src/resources/icons after changing the drawing";
  ASSERT_EQ(kept.size(), drawn.size()) << hint;
  const std::vector<IcoImage> keptImages = IcoImages(kept), drawnImages = IcoImages(drawn);
  ASSERT_EQ(keptImages.size(), 3U);
  ASSERT_EQ(keptImages.size(), drawnImages.size());
  EXPECT_EQ(kept.substr(0, 6 + 16 * keptImages.size()),
            drawn.substr(0, 6 + 16 * drawnImages.size()));
  for (std::size_t i = 0; i < keptImages.size(); ++i) {
    const IcoImage& k = keptImages[i];
    const int size = k.Size;
    EXPECT_EQ(k.Header, drawnImages[i].Header) << size;
    const ImageDifference d = CompareBytes(k.Pixels, drawnImages[i].Pixels);
    EXPECT_TRUE(d.Within(kRasterTolerance)) << size << " px: " << d.Text() << "; " << hint;
    const int maskRow = (size + 31) / 32 * 4;
    for (int n = 0; n < size * size; ++n) {
      const int row = n / size, x = n % size;
      const bool clear = k.Pixels[static_cast<std::size_t>(4 * n + 3)] == 0;
      const bool masked =
          (static_cast<unsigned char>(k.Mask[static_cast<std::size_t>(row * maskRow + x / 8)]) >>
           (7 - x % 8)) &
          1;
      ASSERT_EQ(masked, clear) << size << " px, pixel " << n;
    }
  }
}

TEST(ProgramIcon, TheKeptPngFilesAreTheDrawing) {
  for (const int size : kDesktopIconSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const QImage kept(PTPDIAG_ICONS "/hicolor/" + QString::fromStdString(name) +
                      "/apps/ptpdiag.png");
    ASSERT_FALSE(kept.isNull()) << name;
    const ImageDifference d = CompareImages(kept, DrawProgramIcon(size));
    EXPECT_TRUE(d.Within(kRasterTolerance))
        << name << ": " << d.Text()
        << "; run make-icons src/resources/icons after changing the drawing";
  }
}

TEST(ProgramIcon, TheKeptSvgFileIsTheDrawing) {
  const std::string kept = FileBytes(PTPDIAG_ICONS "/hicolor/scalable/apps/ptpdiag.svg");
  EXPECT_EQ(kept, ProgramIconSvg()) << "run make-icons src/resources/icons";
}

#ifdef PTPDIAG_HAVE_QT_SVG
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
                 std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b)) >
             160;
    }
  }
  ASSERT_GT(inked, 2000);
  EXPECT_GT(static_cast<double>(both) / inked, 0.95);
  EXPECT_LT(far, 256 * 256 / 100);
}
#endif

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
    for (int x = 0; x < 32; ++x)
      opaque += qAlpha(icon.pixel(x, y)) > 128;
  }
  EXPECT_GT(opaque, 60);
  EXPECT_LT(opaque, 600);
}

}  // namespace
}  // namespace ptpdiag
