#include "report/html_parts.h"

#include <algorithm>
#include <cstdint>

namespace ptpdiag {
namespace {

constexpr std::string_view kStyle = R"(
body{font-family:sans-serif;max-width:60em;margin:0 auto;padding:0 .8em;color:#111;line-height:1.35}
h1{font-size:1.5em;margin:.6em 0 .2em}h2{font-size:1.2em;border-bottom:1px solid #888;margin-top:1.2em}
table{border-collapse:collapse;margin:.4em 0}th,td{border:1px solid #bbb;padding:.15em .45em;text-align:right}
th{background:#eee}th:first-child,td:first-child{text-align:left}
.scroll{overflow-x:auto}.pass{background:#c6efc6}.fail{background:#f5bdbd}.none{background:#e4e4e4}
.verdict{display:inline-block;padding:.2em .8em;font-weight:bold;font-size:1.2em}
svg,img{display:block;width:100%;height:auto;max-width:50em}
.screen{margin:.6em 0}.note{color:#555;font-size:.9em}code{word-break:break-all}
@media (max-width:600px){body{padding:0 .4em}table{font-size:.8em}th,td{padding:.1em .25em}}
@page{size:A4;margin:14mm}
@media print{section{break-before:page}section.first{break-before:auto}.scroll{overflow:visible}
figure{break-inside:avoid}.screen svg{max-width:16cm}}
)";

}  // namespace

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 3; ++k)
      v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

std::string Cell(std::string_view text, std::string_view cls) {
  return cls.empty() ? "<td>" + std::string(text) + "</td>"
                     : "<td class=\"" + std::string(cls) + "\">" + std::string(text) + "</td>";
}

std::string Row(std::initializer_list<std::string> cells) {
  std::string row = "<tr>";
  for (const std::string& c : cells) row += c;
  return row + "</tr>\n";
}

std::string Head(std::initializer_list<std::string_view> names) {
  std::string row = "<tr>";
  for (std::string_view n : names) row += "<th>" + std::string(n) + "</th>";
  return row + "</tr>\n";
}

std::string Table(const std::string& rows) {
  return "<div class=\"scroll\"><table>\n" + rows + "</table></div>\n";
}

std::string Section(const char* id, const char* title, const std::string& body, bool first) {
  return std::string("<section id=\"") + id + "\"" + (first ? " class=\"first\"" : "") + ">\n<h2>" +
         title + "</h2>\n" + body + "</section>\n";
}

std::string PageStart(std::string_view title) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         Escaped(title) + "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
}

std::string PageEnd() {
  return "</body>\n</html>\n";
}

}  // namespace ptpdiag
