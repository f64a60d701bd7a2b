// The GDI canvas keeps the same drawing contract as the others: opaque
// text cells on the 10 x 18 grid, lines without their end point,
// rectangles over left..right-1.
#include "platform/win32/gdi_canvas.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

constexpr Rgb kGround{10, 20, 30};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};

class GdiCanvasTest : public testing::Test {
 protected:
  GdiCanvasTest() : image(200, 100), canvas(image.Dc()) {
    canvas.FillRect(Rect{0, 0, 200, 100}, kGround);
  }
  Rgb At(int x, int y) {
    canvas.Flush();
    pixels = image.Rgb();
    const std::size_t at = (static_cast<std::size_t>(y) * 200 + static_cast<std::size_t>(x)) * 3;
    return Rgb{pixels[at], pixels[at + 1], pixels[at + 2]};
  }
  int CountInside(const Rect& area, Rgb colour) {
    int n = 0;
    At(0, 0);
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        const std::size_t at =
            (static_cast<std::size_t>(y) * 200 + static_cast<std::size_t>(x)) * 3;
        n += Rgb{pixels[at], pixels[at + 1], pixels[at + 2]} == colour;
      }
    }
    return n;
  }
  // Glyph pixels: the system may smooth glyph edges, so ink is any pixel
  // that is neither the cell's white nor the ground.
  int CountInk(const Rect& area) {
    return (area.right - area.left) * (area.bottom - area.top) - CountInside(area, kWhite) -
           CountInside(area, kGround);
  }
  GdiImage image;
  GdiCanvas canvas;
  std::vector<std::uint8_t> pixels;
};

TEST_F(GdiCanvasTest, TextCellsAreOpaqueAndBottomAligned) {
  canvas.Text(Rect{10, 0, 200, 50}, "AB", kBlack, kWhite);
  const Rect cells{10, 32, 30, 50};
  EXPECT_GT(CountInk(cells), 10);
  EXPECT_GT(CountInside(cells, kWhite), 100);
  EXPECT_EQ(CountInside(cells, kGround), 0);
  EXPECT_EQ(At(9, 40), kGround);
  EXPECT_EQ(At(30, 40), kGround);
  EXPECT_EQ(At(15, 31), kGround);
  EXPECT_EQ(At(15, 50), kGround);
}

TEST_F(GdiCanvasTest, TheScreenFontKeepsTheTenPixelGrid) {
  canvas.Text(Rect{0, 0, 200, 50}, "                 |", kBlack, kWhite);
  // Only the 18th cell (x 170..179) holds ink.
  EXPECT_EQ(CountInk(Rect{0, 32, 170, 50}), 0);
  EXPECT_GT(CountInk(Rect{170, 32, 180, 50}), 8);
}

// A face that advances more than 10 pixels (what Windows may map for the
// screen font) still puts each character in its own cell.
TEST(GdiCanvasFace, AWiderFaceStaysOnTheTenPixelGrid) {
  GdiImage image(200, 50);
  const HFONT wide = CreateFontA(18, 14, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 FF_MODERN | FIXED_PITCH, "");
  {
    GdiCanvas canvas(image.Dc(), 1.0, wide);
    canvas.FillRect(Rect{0, 0, 200, 50}, kGround);
    canvas.Text(Rect{0, 0, 200, 40}, "MMMMMMMMM|", kBlack, kWhite);
    canvas.Flush();
  }
  DeleteObject(wide);
  const std::vector<std::uint8_t> rgb = image.Rgb();
  const auto ground = [&rgb](int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * 200 + static_cast<std::size_t>(x)) * 3;
    return Rgb{rgb[at], rgb[at + 1], rgb[at + 2]} == kGround;
  };
  for (int x = 0; x < 200; ++x) {
    // The ten cells, and nothing right of them.
    EXPECT_EQ(ground(x, 30), x >= 100) << "x " << x;
  }
}

TEST_F(GdiCanvasTest, TextIsClippedToItsRectangle) {
  canvas.Text(Rect{10, 0, 15, 50}, "WWWW", kBlack, kWhite);
  EXPECT_EQ(CountInside(Rect{15, 32, 55, 50}, kGround), 40 * 18);
  EXPECT_EQ(CountInside(Rect{10, 32, 15, 50}, kGround), 0);
}

TEST_F(GdiCanvasTest, LinesLeaveOutTheirEndPoint) {
  canvas.Line(Point{0, 5}, Point{10, 5}, kRed);
  EXPECT_EQ(At(0, 5), kRed);
  EXPECT_EQ(At(9, 5), kRed);
  EXPECT_EQ(At(10, 5), kGround);
  canvas.Line(Point{50, 50}, Point{50, 50}, kRed);
  EXPECT_EQ(At(50, 50), kGround);
}

TEST_F(GdiCanvasTest, RectangleCoversLeftTopToRightBottomExclusive) {
  canvas.Rectangle(Rect{2, 2, 6, 6}, kRed, kBlue);
  EXPECT_EQ(At(2, 2), kRed);
  EXPECT_EQ(At(5, 5), kRed);
  EXPECT_EQ(At(5, 2), kRed);
  EXPECT_EQ(At(3, 3), kBlue);
  EXPECT_EQ(At(6, 6), kGround);
  EXPECT_EQ(At(6, 3), kGround);
}

TEST_F(GdiCanvasTest, FarAwayCoordinatesAreClippedSafely) {
  canvas.Line(Point{-2000000, -2000000}, Point{2000000, 2000000}, Rgb{0, 255, 0});
  canvas.Rectangle(Rect{-5000, -5000, 5000, 5000}, Rgb{0, 255, 0}, Rgb{0, 255, 0});
  canvas.Text(Rect{-100000, 0, 200, 100000}, "X", kBlack, kWhite);
  EXPECT_EQ(At(100, 50), (Rgb{0, 255, 0}));
}

TEST(GdiImage, ResizingGivesAWhiteImageOfTheNewSize) {
  GdiImage image(4, 3);
  GdiCanvas canvas(image.Dc());
  canvas.FillRect(Rect{0, 0, 4, 3}, kRed);
  EXPECT_EQ(image.Rgb()[0], 255);
  image.Resize(5, 2);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(image.Rgb(), std::vector<std::uint8_t>(5 * 2 * 3, 255));
  canvas.FillRect(Rect{4, 1, 5, 2}, kBlue);  // the DC draws on the new image
  const std::vector<std::uint8_t> rgb = image.Rgb();
  EXPECT_EQ((std::vector<std::uint8_t>(rgb.end() - 3, rgb.end())),
            (std::vector<std::uint8_t>{0, 0, 255}));
}

TEST(ScreenFont, IsBoldFixedPitchOfTenByEighteenCells) {
  const HFONT font = CreateScreenFont();
  ASSERT_NE(font, nullptr);
  LOGFONTA made{};
  ASSERT_NE(GetObjectA(font, sizeof made, &made), 0);
  EXPECT_EQ(made.lfHeight, 18);
  EXPECT_EQ(made.lfWidth, 10);
  EXPECT_EQ(made.lfWeight, FW_BOLD);
  EXPECT_EQ(made.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(made.lfPitchAndFamily, FF_MODERN | FIXED_PITCH);
  EXPECT_STREQ(made.lfFaceName, "");
  DeleteObject(font);
}

}  // namespace
}  // namespace ptpdiag
