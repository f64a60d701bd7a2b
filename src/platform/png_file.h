// Pixels as a PNG file: 8-bit RGB, no interlacing, compressed with zlib.
// Backends without an image library of their own write pictures with it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ptpdiag {

// `rgb` holds `height` rows from the top, `width` pixels of three bytes
// (red, green, blue) each. Empty when the sizes do not fit the pixels.
std::string EncodePng(int width, int height, std::span<const std::uint8_t> rgb);

// Writes EncodePng's bytes to `path`; an error line on failure.
[[nodiscard]] std::optional<std::string> WritePngFile(const std::string& path, int width, int height,
                                        std::span<const std::uint8_t> rgb);

}  // namespace ptpdiag
