#include "common/cell_block.h"

namespace gw {

namespace {

bool NeedsQuotes(const std::string& cell) {
    return cell.find_first_of("\t\r\n") != std::string::npos || (!cell.empty() && cell[0] == '"');
}

bool EndsCell(std::string_view text, std::size_t pos) {
    return pos == text.size() || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n';
}

// A quoted cell starting at `pos`; on success `pos` is past the closing quote.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& cell) {
    std::string value;
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        if (text[i] != '"') {
            value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
            value += '"';
            ++i;
        } else {
            if (!EndsCell(text, i + 1))
                return false;
            cell = std::move(value);
            pos = i + 1;
            return true;
        }
    }
    return false;
}

} // namespace

std::string CellBlockText(const CellBlock& block) {
    std::string text;
    for (std::size_t r = 0; r < block.size(); ++r) {
        if (r > 0)
            text += '\n';
        for (std::size_t c = 0; c < block[r].size(); ++c) {
            if (c > 0)
                text += '\t';
            const std::string& cell = block[r][c];
            if (!NeedsQuotes(cell)) {
                text += cell;
                continue;
            }
            text += '"';
            for (char ch : cell) {
                if (ch == '"')
                    text += '"';
                text += ch;
            }
            text += '"';
        }
    }
    return text;
}

CellBlock ParseCellBlock(std::string_view text) {
    CellBlock block;
    std::vector<std::string> row;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string cell;
        if (text[pos] != '"' || !ReadQuoted(text, pos, cell)) {
            const std::size_t end = std::min(text.find_first_of("\t\r\n", pos), text.size());
            cell = std::string(text.substr(pos, end - pos));
            pos = end;
        }
        row.push_back(std::move(cell));
        if (pos == text.size())
            break;
        if (text[pos] == '\t') {
            ++pos;
            if (pos == text.size())
                row.emplace_back(); // a tab at the very end leaves one empty cell
            continue;
        }
        pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
        block.push_back(std::move(row));
        row.clear();
    }
    if (!row.empty())
        block.push_back(std::move(row));
    while (!block.empty() && block.back().size() == 1 && block.back()[0].empty())
        block.pop_back();
    return block;
}

} // namespace gw
