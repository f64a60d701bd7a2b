#include "platform/win32/gdi_canvas.h"

namespace ptpdiag {
namespace {

COLORREF Colour(Rgb c) {
  return RGB(c.R, c.G, c.B);
}

RECT ToRect(const Rect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

constexpr int kFontHeight = 18;
constexpr int kFontWidth = 10;
constexpr DWORD kModernFixedPitch = FF_MODERN | FIXED_PITCH;  // 49

}  // namespace

HFONT CreateScreenFont() {
  return CreateFontA(kFontHeight, kFontWidth, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, kModernFixedPitch,
                     "");
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

GdiCanvas::GdiCanvas(HDC dc) : dc_(dc), font_(CreateScreenFont()) {}

GdiCanvas::~GdiCanvas() {
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  for (const auto& [colour, pen] : pens_)
    DeleteObject(pen);
  for (const auto& [colour, brush] : brushes_)
    DeleteObject(brush);
  DeleteObject(font_);
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
  const RECT r = ToRect(rect);
  ::FillRect(dc_, &r, Brush(colour));
}

// Opaque cells on the given background, bottom-aligned, one line, clipped
// to the rectangle: DrawTextA as the text grid has always drawn.
void GdiCanvas::Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) {
  if (clip.IsEmpty() || text.empty()) return;
  SelectObject(dc_, font_);
  SetTextColor(dc_, Colour(colour));
  SetBkColor(dc_, Colour(background));
  SetBkMode(dc_, OPAQUE);
  RECT r = ToRect(clip);
  DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_BOTTOM);
}

// MoveToEx and LineTo leave out the end point.
void GdiCanvas::Line(Point from, Point to, Rgb colour) {
  SelectObject(dc_, Pen(colour));
  SetROP2(dc_, R2_COPYPEN);
  MoveToEx(dc_, from.x, from.y, nullptr);
  LineTo(dc_, to.x, to.y);
}

void GdiCanvas::Rectangle(const Rect& rect, Rgb pen, Rgb brush) {
  SelectObject(dc_, Pen(pen));
  SelectObject(dc_, Brush(brush));
  SetROP2(dc_, R2_COPYPEN);
  ::Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

void GdiCanvas::Flush() {
  GdiFlush();
}

}  // namespace ptpdiag
