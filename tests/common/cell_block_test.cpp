#include "common/cell_block.h"

#include <gtest/gtest.h>

using gw::CellBlock;
using gw::CellBlockText;
using gw::ParseCellBlock;

namespace {

TEST(CellBlock, ReadsWhatSpreadsheetsAndEditorsPutOnTheClipboard) {
    struct Case {
        const char* name;
        std::string text;
        CellBlock cells;
    };
    const Case cases[] = {
        {"empty clipboard", "", {}},
        {"one cell", "$181", {{"$181"}}},
        {"spreadsheet lines with CRLF and a final break",
         "$181\t8\r\n$182\t4\r\n",
         {{"$181", "8"}, {"$182", "4"}}},
        {"LF and lone CR", "a\nb\rc", {{"a"}, {"b"}, {"c"}}},
        {"empty cells keep their place", "\t8\t\n$1\t\t", {{"", "8", ""}, {"$1", "", ""}}},
        {"empty line inside stays, empty lines at the end go",
         "a\n\nb\n\n\n",
         {{"a"}, {""}, {"b"}}},
        {"quoted cell with tab, break and doubled quote",
         "\"Pump \"\"A\"\"\tleft\nside\"\tx",
         {{"Pump \"A\"\tleft\nside", "x"}}},
        {"quotes inside a cell are text", "5\" pipe\tsay \"hi\"", {{"5\" pipe", "say \"hi\""}}},
        {"unclosed quote is text up to the tab", "\"open\tnext", {{"\"open", "next"}}},
        {"closing quote not at the cell's end is text", "\"a\"b\tc", {{"\"a\"b", "c"}}},
        {"rows of different length", "a\tb\tc\nd", {{"a", "b", "c"}, {"d"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCellBlock(c.text), c.cells) << c.name;
}

TEST(CellBlock, WritesTabsAndBreaksAndReadsItsOwnTextBack) {
    const CellBlock plain = {{"$181", "8", "0x00"}, {"", "1", "pump"}};
    EXPECT_EQ(CellBlockText(plain), "$181\t8\t0x00\n\t1\tpump");

    const CellBlock awkward = {{"tab\there", "line\nbreak", "\"quoted\" start"},
                               {"mid \"quote\"", "", "cr\rlf"}};
    EXPECT_EQ(CellBlockText(awkward), "\"tab\there\"\t\"line\nbreak\"\t\"\"\"quoted\"\" start\"\n"
                                      "mid \"quote\"\t\t\"cr\rlf\"");
    EXPECT_EQ(ParseCellBlock(CellBlockText(awkward)), awkward);
    EXPECT_EQ(ParseCellBlock(CellBlockText(plain)), plain);
}

} // namespace
