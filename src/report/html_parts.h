// Pieces of the report pages: one style sheet, escaping, tables.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ptpdiag {

// Text made safe for the page's character data and attribute values.
std::string Escaped(std::string_view text);
std::string Base64(std::string_view bytes);

std::string Cell(std::string_view text, std::string_view cls = {});
std::string Row(std::initializer_list<std::string> cells);
std::string Head(std::initializer_list<std::string_view> names);
// The rows in a table that scrolls sideways on a narrow screen.
std::string Table(const std::string& rows);

// A section of the page, which starts a new printed page unless `first`.
std::string Section(const char* id, const char* title, const std::string& body, bool first = false);

// The document up to the body, with the style sheet inline; and its end.
std::string PageStart(std::string_view title);
std::string PageEnd();

}  // namespace ptpdiag
