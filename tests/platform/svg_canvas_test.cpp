#include "platform/svg_canvas.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

TEST(SvgCanvas, WritesTheDocumentFrameAndEachCallInOrder) {
  SvgCanvas svg(800, 560);
  svg.FillRect(Rect{0, 0, 800, 560}, kWhite);
  svg.Line(Point{100, 80}, Point{100, 480}, Rgb{128, 128, 128});
  svg.Rectangle(Rect{100, 80, 700, 480}, Rgb{128, 128, 128}, kBlack);
  const std::string doc = svg.Document();
  EXPECT_EQ(doc,
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"560\" "
            "viewBox=\"0 0 800 560\">\n"
            "<rect x=\"0\" y=\"0\" width=\"800\" height=\"560\" fill=\"#ffffff\"/>\n"
            "<line x1=\"100\" y1=\"80\" x2=\"100\" y2=\"480\" stroke=\"#808080\"/>\n"
            "<rect x=\"100\" y=\"80\" width=\"600\" height=\"400\" fill=\"#000000\" "
            "stroke=\"#808080\"/>\n"
            "</svg>\n");
}

TEST(SvgCanvas, TextHasItsCellBackgroundThenTheEscapedText) {
  SvgCanvas svg(800, 560);
  svg.Text(Rect{500, 0, 800, 536}, "a<b & \"c\"  ", Rgb{0, 0, 128}, kWhite);
  const std::string doc = svg.Document();
  EXPECT_NE(doc.find("<rect class=\"textbg\" x=\"500\" y=\"518\" width=\"110\" height=\"18\" "
                     "fill=\"#ffffff\"/>\n<text x=\"500\" y=\"536\" fill=\"#000080\" "
                     "dominant-baseline=\"text-after-edge\" xml:space=\"preserve\""),
            std::string::npos)
      << doc;
  EXPECT_NE(doc.find(">a&lt;b &amp; &quot;c&quot;  </text>"), std::string::npos) << doc;
}

TEST(SvgCanvas, TextBackgroundIsClippedToTheTextRectangle) {
  SvgCanvas svg(800, 560);
  svg.Text(Rect{790, 0, 800, 16}, "ABCD", kBlack, kWhite);  // row 1, past the right edge
  const std::string doc = svg.Document();
  EXPECT_NE(doc.find("<rect class=\"textbg\" x=\"790\" y=\"0\" width=\"10\" height=\"16\""),
            std::string::npos)
      << doc;
  svg.Text(Rect{810, 0, 800, 16}, "X", kBlack, kWhite);  // nothing of it is visible
  EXPECT_EQ(svg.Document().find(">X</text>"), std::string::npos);
}

TEST(XmlText, ControlAndHighBytesStayWellFormed) {
  EXPECT_EQ(XmlText("'\x01\x7f"), "&apos;??");
  EXPECT_EQ(XmlText("\xe9"), "\xc3\xa9");  // Latin-1 e-acute as UTF-8
  EXPECT_EQ(HexColour(Rgb{255, 128, 0}), "#ff8000");
}

}  // namespace
}  // namespace ptpdiag
