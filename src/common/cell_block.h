#pragma once
// A rectangle of cell texts as it travels through the clipboard between the
// editors' tables and spreadsheets or text editors: one line per row, cells
// separated by tabs.
#include <string>
#include <string_view>
#include <vector>

namespace gw {

using CellBlock = std::vector<std::vector<std::string>>;

// Rows joined by "\n", cells by "\t", no line break after the last row. A cell
// holding a tab, a line break or a leading double quote is written in double
// quotes with its quotes doubled, as spreadsheets write it, so it reads back
// as one cell.
std::string CellBlockText(const CellBlock& block);

// Reads clipboard text. Lines end with "\n", "\r\n" or "\r"; a line break
// after the last row and empty lines at the end add no row. A cell that starts
// with a double quote and has its closing quote before the next tab or line
// break is unquoted (and may span lines); any other quote is kept as typed.
// Rows may differ in length.
CellBlock ParseCellBlock(std::string_view text);

} // namespace gw
