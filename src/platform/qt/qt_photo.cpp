#include "platform/qt/qt_photo.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <optional>

namespace ptpdiag {
namespace {

std::optional<std::string> Encoded(const QImage& image, const char* format, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, format, quality)) return std::nullopt;
  return bytes.toStdString();
}

}  // namespace

PhotoResult LoadScaledPhotoQt(const std::string& path, int mostSide) {
  const QString name = QString::fromLocal8Bit(path.c_str());
  const QFileInfo info(name);
  if (!info.isFile()) return std::string("no such file");
  if (info.size() > kMostPhotoFileBytes) return std::string("larger than 64 MB");
  QImageReader reader(name);
  const QByteArray format = reader.format();
  if (format != "jpeg" && format != "png") return std::string("not a JPEG or PNG picture");
  reader.setAutoTransform(true);  // as the camera was held
  // Decoded at most at 64 megapixels, so a hostile header cannot take the memory.
  QImageReader::setAllocationLimit(256);
  QImage image = reader.read();
  if (image.isNull()) return "cannot be read: " + reader.errorString().toStdString();
  int width = image.width(), height = image.height();
  FitWithin(width, height, mostSide);
  if (width != image.width() || height != image.height())
    image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  // 96 dpi whatever the screen, so every run writes the same bytes.
  image.setDotsPerMeterX(3780);
  image.setDotsPerMeterY(3780);
  const std::optional<std::string> jpeg = Encoded(image, "JPEG", kPhotoJpegQuality);
  // A PNG with see-through parts stays PNG: JPEG has no transparency.
  const std::optional<std::string> png =
      format == "png" ? Encoded(image, "PNG", -1) : std::nullopt;
  if (png && (!jpeg || png->size() <= jpeg->size() || image.hasAlphaChannel()))
    return ScaledPhoto{"image/png", *png, image.width(), image.height()};
  if (!jpeg) return std::string("cannot be encoded again");
  return ScaledPhoto{"image/jpeg", *jpeg, image.width(), image.height()};
}

}  // namespace ptpdiag
