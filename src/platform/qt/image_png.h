// A QImage as a PNG file, through the program's own encoder so that a
// failure comes with the system's reason.
#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace ptpdiag {

std::optional<std::string> WriteImagePng(const QImage& image, const std::string& path);

}  // namespace ptpdiag
