#include "platform/win32/gdi_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ptpdiag {
namespace {

COLORREF Colour(Rgb c) {
  return RGB(c.R, c.G, c.B);
}

constexpr int kFontHeight = 18;
constexpr int kFontWidth = 10;
constexpr DWORD kModernFixedPitch = FF_MODERN | FIXED_PITCH;  // 49

}  // namespace

HFONT CreateScreenFont(double scale) {
  return CreateFontA(static_cast<int>(std::lround(kFontHeight * scale)),
                     static_cast<int>(std::lround(kFontWidth * scale)), 0, 0, FW_BOLD, FALSE, FALSE,
                     FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     kModernFixedPitch, "");
}

GdiImage::GdiImage(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
  Make(width, height);
}

GdiImage::~GdiImage() {
  if (original_ != nullptr) SelectObject(dc_, original_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void GdiImage::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  Make(width, height);
}

void GdiImage::Make(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return;  // keeps the old image
  const HGDIOBJ previous = SelectObject(dc_, bitmap);
  if (original_ == nullptr) original_ = previous;
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  bits_ = bits;
  width_ = width;
  height_ = height;
  const RECT all{0, 0, width, height};
  ::FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

std::vector<std::uint8_t> GdiImage::Rgb() const {
  GdiFlush();
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3);
  const auto* pixel = static_cast<const std::uint8_t*>(bits_);
  for (int i = 0; pixel != nullptr && i < width_ * height_; ++i, pixel += 4) {
    rgb.push_back(pixel[2]);  // the DIB holds blue, green, red, unused
    rgb.push_back(pixel[1]);
    rgb.push_back(pixel[0]);
  }
  return rgb;
}

GdiCanvas::GdiCanvas(HDC dc, double scale, HFONT face)
    : dc_(dc),
      scale_(scale),
      font_(face != nullptr ? face : CreateScreenFont(scale)),
      ownFont_(face == nullptr) {}

void GdiCanvas::SetScale(double scale) {
  if (scale == scale_) return;
  scale_ = scale;
  if (!ownFont_) return;
  SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  DeleteObject(font_);
  font_ = CreateScreenFont(scale);
}

int GdiCanvas::Device(int logical) const {
  return static_cast<int>(std::lround(logical * scale_));
}

RECT GdiCanvas::DeviceRect(const Rect& r) const {
  return RECT{Device(r.left), Device(r.top), Device(r.right), Device(r.bottom)};
}

GdiCanvas::~GdiCanvas() {
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  for (const auto& [colour, pen] : pens_)
    DeleteObject(pen);
  for (const auto& [colour, brush] : brushes_)
    DeleteObject(brush);
  if (ownFont_) DeleteObject(font_);
}

HPEN GdiCanvas::Pen(Rgb colour) {
  auto [at, added] = pens_.try_emplace(Colour(colour), nullptr);
  if (added) at->second = CreatePen(PS_SOLID, 0, Colour(colour));
  return at->second;
}

HBRUSH GdiCanvas::Brush(Rgb colour) {
  auto [at, added] = brushes_.try_emplace(Colour(colour), nullptr);
  if (added) at->second = CreateSolidBrush(Colour(colour));
  return at->second;
}

void GdiCanvas::FillRect(const Rect& rect, Rgb colour) {
  const RECT r = DeviceRect(rect);
  ::FillRect(dc_, &r, Brush(colour));
}

// Opaque cells on the given background, bottom-aligned, one line, clipped
// to the rectangle. Each character is drawn in its own 10-pixel cell
// (DrawTextA clips it there): whatever face Windows maps for the screen
// font, and however wide it advances, the text stays on the grid.
void GdiCanvas::Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) {
  if (clip.IsEmpty() || text.empty()) return;
  SelectObject(dc_, font_);
  SetTextColor(dc_, Colour(colour));
  SetBkColor(dc_, Colour(background));
  SetBkMode(dc_, OPAQUE);
  const RECT bounds = DeviceRect(clip);
  const int cellTop = Device(clip.bottom - kFontHeight);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int left = clip.left + kFontWidth * static_cast<int>(i);
    RECT cell{Device(left), std::max<LONG>(cellTop, bounds.top),
              std::min<LONG>(Device(left + kFontWidth), bounds.right), bounds.bottom};
    if (cell.left >= bounds.right) break;
    if (cell.right <= cell.left) continue;
    DrawTextA(dc_, text.data() + i, 1, &cell, DT_SINGLELINE | DT_BOTTOM | DT_NOPREFIX);
  }
}

// MoveToEx and LineTo leave out the end point.
void GdiCanvas::Line(Point from, Point to, Rgb colour) {
  if (scale_ != 1.0) {
    ScaledLine(from, to, colour);
    return;
  }
  SelectObject(dc_, Pen(colour));
  SetROP2(dc_, R2_COPYPEN);
  MoveToEx(dc_, from.x, from.y, nullptr);
  LineTo(dc_, to.x, to.y);
}

// A logical pixel wide: straight lines cover exactly the pixels they cover
// at 1:1, scaled up; sloping ones are drawn with a pen as wide, flat-ended.
void GdiCanvas::ScaledLine(Point from, Point to, Rgb colour) {
  if (from == to) return;
  if (from.y == to.y || from.x == to.x) {
    const int left = from.y == to.y ? (from.x < to.x ? from.x : to.x + 1) : from.x;
    const int top = from.x == to.x ? (from.y < to.y ? from.y : to.y + 1) : from.y;
    const int width = from.y == to.y ? std::abs(to.x - from.x) : 1;
    const int height = from.x == to.x ? std::abs(to.y - from.y) : 1;
    FillRect(Rect{left, top, left + width, top + height}, colour);
    return;
  }
  LOGBRUSH brush{BS_SOLID, Colour(colour), 0};
  const HPEN pen =
      ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                   static_cast<DWORD>(std::max(1, Device(1))), &brush, 0, nullptr);
  const HGDIOBJ old = SelectObject(dc_, pen);
  SetROP2(dc_, R2_COPYPEN);
  const int half = Device(1) / 2;
  MoveToEx(dc_, Device(from.x) + half, Device(from.y) + half, nullptr);
  LineTo(dc_, Device(to.x) + half, Device(to.y) + half);
  SelectObject(dc_, old);
  DeleteObject(pen);
}

void GdiCanvas::Rectangle(const Rect& rect, Rgb pen, Rgb brush) {
  if (scale_ != 1.0) {
    FillRect(rect, brush);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    FillRect(Rect{rect.left, rect.top, rect.right, rect.top + 1}, pen);
    FillRect(Rect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, pen);
    FillRect(Rect{rect.left, rect.top, rect.left + 1, rect.bottom}, pen);
    FillRect(Rect{rect.right - 1, rect.top, rect.right, rect.bottom}, pen);
    return;
  }
  SelectObject(dc_, Pen(pen));
  SelectObject(dc_, Brush(brush));
  SetROP2(dc_, R2_COPYPEN);
  ::Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

void GdiCanvas::Flush() {
  GdiFlush();
}

}  // namespace ptpdiag
