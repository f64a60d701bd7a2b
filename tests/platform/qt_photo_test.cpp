// Photos for the report: JPEG unless PNG is smaller or the picture needs
// its transparency, always scaled to fit.
#include "platform/qt/qt_photo.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <random>

#include "support/temp_folder.h"

namespace ptpdiag {
namespace {

QImage Picture(int width, int height, bool noisy, bool seeThrough) {
  QImage image(width, height, seeThrough ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int grey = noisy ? byte(random) : (x < width / 2 ? 40 : 220);
      image.setPixelColor(x, y, QColor(grey, 255 - grey, grey / 2, seeThrough && x < 8 ? 0 : 255));
    }
  }
  return image;
}

TEST(ReportPhoto, SmallerEncodingUnlessTransparencyNeedsPng) {
  const test::TempFolder folder;
  struct Case {
    const char* file;
    const char* format;
    bool noisy, seeThrough;
    const char* mime;
  } cases[] = {
      {"drawing.png", "PNG", false, false, "image/png"},
      {"camera.png", "PNG", true, false, "image/jpeg"},
      {"cut-out.png", "PNG", true, true, "image/png"},
      {"flat.jpg", "JPEG", false, false, "image/jpeg"},
  };
  for (const Case& c : cases) {
    const std::string path = folder.File(c.file);
    ASSERT_TRUE(Picture(2400, 300, c.noisy, c.seeThrough).save(QString::fromStdString(path), c.format));
    const PhotoResult result = LoadScaledPhotoQt(path, kMostPhotoSide);
    const auto* photo = std::get_if<ScaledPhoto>(&result);
    ASSERT_NE(photo, nullptr) << c.file << ": " << std::get<std::string>(result);
    EXPECT_EQ(photo->Mime, c.mime) << c.file;
    EXPECT_EQ(photo->Width, 1600) << c.file;
    EXPECT_EQ(photo->Height, 200) << c.file;
    EXPECT_FALSE(QImage::fromData(reinterpret_cast<const uchar*>(photo->Bytes.data()),
                                  static_cast<int>(photo->Bytes.size()))
                     .isNull())
        << c.file;
  }
}

}  // namespace
}  // namespace ptpdiag
