#include "platform/qt/raster_canvas.h"

#include <gtest/gtest.h>

#include <QColor>

namespace ptpdiag {
namespace {

const QColor kGround(10, 20, 30);

class RasterCanvasTest : public testing::Test {
 protected:
  RasterCanvasTest() : image(200, 100, QImage::Format_RGB32), canvas(&image) {
    image.fill(kGround);
  }
  QColor At(int x, int y) {
    canvas.Flush();
    return image.pixelColor(x, y);
  }
  int CountInside(const QRect& area, const QColor& colour) {
    canvas.Flush();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x)
        n += image.pixelColor(x, y) == colour;
    }
    return n;
  }
  QImage image;
  RasterCanvas canvas;
};

TEST_F(RasterCanvasTest, TextCellsAreOpaqueAndBottomAligned) {
  canvas.Text(Rect{10, 0, 200, 50}, "AB", Rgb{0, 0, 0}, kWhite);
  const QRect cells(10, 32, 20, 18);
  EXPECT_GT(CountInside(cells, Qt::black), 10);
  EXPECT_GT(CountInside(cells, Qt::white), 100);
  EXPECT_EQ(CountInside(cells, kGround), 0);
  EXPECT_EQ(At(9, 40), kGround);
  EXPECT_EQ(At(30, 40), kGround);
  EXPECT_EQ(At(15, 31), kGround);
  EXPECT_EQ(At(15, 50), kGround);
}

TEST_F(RasterCanvasTest, LongTextStaysOnTheTenPixelGrid) {
  canvas.Text(Rect{0, 0, 200, 50}, "                 |", Rgb{0, 0, 0}, kWhite);
  // Only the 18th cell (x 170..179) holds ink.
  EXPECT_EQ(CountInside(QRect(0, 32, 170, 18), Qt::black), 0);
  EXPECT_GT(CountInside(QRect(170, 32, 10, 18), Qt::black), 8);
}

TEST_F(RasterCanvasTest, TextIsClippedToItsRectangle) {
  canvas.Text(Rect{10, 0, 15, 50}, "WWWW", Rgb{0, 0, 0}, kWhite);
  EXPECT_EQ(At(15, 40), kGround);
  EXPECT_EQ(CountInside(QRect(15, 32, 40, 18), kGround), 40 * 18);
  EXPECT_EQ(CountInside(QRect(10, 32, 5, 18), kGround), 0);
}

TEST_F(RasterCanvasTest, LinesLeaveOutTheirEndPoint) {
  canvas.Line(Point{0, 5}, Point{10, 5}, Rgb{255, 0, 0});
  EXPECT_EQ(At(0, 5), QColor(255, 0, 0));
  EXPECT_EQ(At(9, 5), QColor(255, 0, 0));
  EXPECT_EQ(At(10, 5), kGround);
  canvas.Line(Point{50, 50}, Point{50, 50}, Rgb{255, 0, 0});
  EXPECT_EQ(At(50, 50), kGround);
}

TEST_F(RasterCanvasTest, RectangleCoversLeftTopToRightBottomExclusive) {
  canvas.Rectangle(Rect{2, 2, 6, 6}, Rgb{255, 0, 0}, Rgb{0, 0, 255});
  EXPECT_EQ(At(2, 2), QColor(255, 0, 0));
  EXPECT_EQ(At(5, 5), QColor(255, 0, 0));
  EXPECT_EQ(At(5, 2), QColor(255, 0, 0));
  EXPECT_EQ(At(3, 3), QColor(0, 0, 255));
  EXPECT_EQ(At(6, 6), kGround);
  EXPECT_EQ(At(6, 3), kGround);
}

TEST_F(RasterCanvasTest, FarAwayCoordinatesAreClippedSafely) {
  canvas.Line(Point{-2000000, -2000000}, Point{2000000, 2000000}, Rgb{0, 255, 0});
  canvas.Rectangle(Rect{-5000, -5000, 5000, 5000}, Rgb{0, 255, 0}, Rgb{0, 255, 0});
  canvas.Text(Rect{-100000, 0, 200, 100000}, "X", Rgb{0, 0, 0}, kWhite);
  EXPECT_EQ(At(100, 50), QColor(0, 255, 0));
}

}  // namespace
}  // namespace ptpdiag
