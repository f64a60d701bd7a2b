#include "platform/png_file.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace ptpdiag {
namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kFilterNone = 0;

void AppendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out += static_cast<char>((value >> shift) & 0xFF);
  }
}

// Length, type, data, and the CRC of type and data.
void AppendChunk(std::string& out, const char (&type)[5], const std::string& data) {
  AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.append(type, 4);
  out += data;
  const auto* covered = reinterpret_cast<const Bytef*>(out.data() + typeAt);
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), covered, static_cast<uInt>(4 + data.size()));
  AppendBigEndian(out, static_cast<std::uint32_t>(crc));
}

// Each row behind its filter byte, then deflated.
std::optional<std::string> CompressedRows(int width, int height,
                                          std::span<const std::uint8_t> rgb) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> filtered;
  filtered.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    filtered.push_back(kFilterNone);
    const auto row = rgb.subspan(static_cast<std::size_t>(y) * rowBytes, rowBytes);
    filtered.insert(filtered.end(), row.begin(), row.end());
  }
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  std::string deflated(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, filtered.data(),
                static_cast<uLong>(filtered.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
    return std::nullopt;
  }
  deflated.resize(size);
  return deflated;
}

}  // namespace

std::string EncodePng(int width, int height, std::span<const std::uint8_t> rgb) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return {};
  }
  const std::optional<std::string> rows = CompressedRows(width, height, rgb);
  if (!rows) return {};
  std::string header;
  AppendBigEndian(header, static_cast<std::uint32_t>(width));
  AppendBigEndian(header, static_cast<std::uint32_t>(height));
  header += static_cast<char>(kBitDepth);
  header += static_cast<char>(kColourTypeRgb);
  header.append(3, '\0');  // deflate, adaptive filtering, no interlace
  std::string png(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", *rows);
  AppendChunk(png, "IEND", "");
  return png;
}

std::optional<std::string> WritePngFile(const std::string& path, int width, int height,
                                        std::span<const std::uint8_t> rgb) {
  const std::string png = EncodePng(width, height, rgb);
  if (png.empty())
    return "cannot make a picture of " + std::to_string(width) + "x" + std::to_string(height) +
           " pixels for " + path;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(png.data(), static_cast<std::streamsize>(png.size()));
  if (out) out.close();
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  return std::nullopt;
}

}  // namespace ptpdiag
