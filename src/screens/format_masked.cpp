#include "screens/format_masked.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace ptpdiag {
namespace {

enum class PlaceKind { Digit, Zero, Fill, Literal, Point };

struct Place {
  PlaceKind kind;
  char ch;  // the copied character, or the fill character of a fill place
};

struct CompiledMask {
  std::vector<Place> places;
  std::size_t pointAt;  // index of the point place, or places.size()
  int fractionPlaces = 0;
};

bool IsDigitPlace(const Place& p) {
  return p.kind == PlaceKind::Digit || p.kind == PlaceKind::Zero || p.kind == PlaceKind::Fill;
}

CompiledMask Compile(std::string_view mask) {
  CompiledMask m;
  bool haveFill = false;
  bool havePoint = false;
  char fill = ' ';
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    if (c == '*' && i + 1 < mask.size()) {
      fill = mask[++i];
      haveFill = true;
      m.places.push_back({PlaceKind::Fill, fill});
      m.places.push_back({PlaceKind::Fill, fill});
    } else if (c == '#') {
      m.places.push_back(haveFill ? Place{PlaceKind::Fill, fill} : Place{PlaceKind::Digit, 0});
    } else if (c == '0') {
      m.places.push_back({PlaceKind::Zero, '0'});
    } else if (c == '.' && !havePoint) {
      havePoint = true;
      m.places.push_back({PlaceKind::Point, '.'});
    } else {
      m.places.push_back({PlaceKind::Literal, c});
    }
  }
  m.pointAt = m.places.size();
  for (std::size_t i = 0; i < m.places.size(); ++i) {
    if (m.places[i].kind == PlaceKind::Point) m.pointAt = i;
  }
  for (std::size_t i = m.pointAt; i < m.places.size(); ++i) {
    if (IsDigitPlace(m.places[i])) ++m.fractionPlaces;
  }
  return m;
}

// What a digit place shows when it gets no digit.
std::string Empty(const Place& p) {
  if (p.kind == PlaceKind::Digit) return {};
  return std::string(1, p.ch);
}

struct Digits {
  std::string integer;
  std::string fraction;
};

Digits DecimalDigits(double magnitude, int fractionPlaces) {
  if (!std::isfinite(magnitude)) magnitude = 0.0;
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::fixed, fractionPlaces);
  const std::string_view text(buffer, result.ec == std::errc() ? result.ptr - buffer : 0);
  const std::size_t point = text.find('.');
  Digits d;
  d.integer = std::string(text.substr(0, point));
  if (point != std::string_view::npos) d.fraction = std::string(text.substr(point + 1));
  if (d.integer.empty()) d.integer = "0";
  d.fraction.resize(static_cast<std::size_t>(fractionPlaces), '0');
  return d;
}

void FillFraction(const CompiledMask& m, const std::string& digits, std::vector<std::string>& out) {
  std::size_t left = digits.size();
  bool onlyZerosSoFar = true;
  for (std::size_t i = m.places.size(); i-- > m.pointAt;) {
    const Place& p = m.places[i];
    if (!IsDigitPlace(p)) continue;
    const char d = left > 0 ? digits[--left] : '0';
    if (d != '0') onlyZerosSoFar = false;
    out[i] = onlyZerosSoFar ? Empty(p) : std::string(1, d);
  }
}

// Fills the integer places right to left and places the sign.
void FillInteger(const CompiledMask& m, const std::string& digits, bool negative,
                 std::vector<std::string>& out) {
  std::size_t left = digits.size();
  std::size_t mostSignificantAt = m.pointAt;  // where the leading digit went
  bool signPlaced = !negative;
  for (std::size_t i = m.pointAt; i-- > 0;) {
    const Place& p = m.places[i];
    if (!IsDigitPlace(p)) continue;
    if (left > 0) {
      out[i] = std::string(1, digits[--left]);
      mostSignificantAt = i;
    } else if (!signPlaced) {
      out[i] = "-";
      signPlaced = true;
    } else {
      out[i] = Empty(p);
    }
  }
  std::string spill = digits.substr(0, left);
  if (!signPlaced) spill.insert(0, "-");
  if (spill.empty()) return;
  if (mostSignificantAt < m.pointAt) {
    out[mostSignificantAt].insert(0, spill);
  } else if (m.pointAt < m.places.size()) {
    out[m.pointAt].insert(0, spill);  // no integer places: digits go before the point
  } else {
    out.push_back(spill);  // no places at all: digits follow the copied text
  }
}

}  // namespace

std::string FormatMasked(double value, std::string_view mask) {
  const CompiledMask m = Compile(mask);
  const Digits d = DecimalDigits(std::fabs(value), m.fractionPlaces);
  std::vector<std::string> out(m.places.size());
  for (std::size_t i = 0; i < m.places.size(); ++i) {
    const Place& p = m.places[i];
    if (p.kind == PlaceKind::Literal || p.kind == PlaceKind::Point) out[i] = std::string(1, p.ch);
  }
  FillFraction(m, d.fraction, out);
  FillInteger(m, d.integer, value < 0.0, out);
  std::string result;
  for (const std::string& piece : out)
    result += piece;
  return result;
}

}  // namespace ptpdiag
