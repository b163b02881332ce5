#include "gateway/frame_list.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "common/hex_text.h"
#include "common/parse_int.h"
#include "gateway/project_documents.h"
#include "xml/xml_document.h"

#include <pugixml.hpp>

#include <stdexcept>

namespace gw {

namespace {

// The text of a row attribute that must be there.
std::string RequiredAttribute(const StoredText& value, const char* name, int rowNumber) {
    if (!value)
        throw ConversionError("Could not convert attribute '" + std::string(name) + "' of row " +
                              std::to_string(rowNumber) + " to text: the attribute is missing");
    return std::string(*value);
}

} // namespace

CobIdWidth CobIdWidthOf(const PargenDocument& pargen) {
    pargen.ThrowIfFailed();
    const std::optional<std::string>& type = pargen.Text(pargen::kCanType);
    if (!type)
        return CobIdWidth::Bits11;
    std::optional<std::int32_t> n = TryParseIntText(*type);
    if (!n)
        return CobIdWidth::Bits11;
    return *n == 1 ? CobIdWidth::Bits11 : CobIdWidth::Bits29;
}

CobIdWidth ReadCobIdWidth(const std::string& pargenPath) {
    return CobIdWidthOf(ReadPargenDocument(pargenPath));
}

FrameColumns ColumnsOf(FrameListKind kind) {
    FrameColumns c;
    if (kind == FrameListKind::Receive) {
        c.del = 4;
        c.mnemonic = 5;
        c.count = 6;
    }
    return c;
}

std::vector<std::string> FrameColumnTitles(FrameListKind kind) {
    if (kind == FrameListKind::Receive)
        return {"N\u00B0", "Cob-ID", "Dimension", "Swap", "Delete", "Mnemonic"};
    return {"N\u00B0", "Cob-ID", "Dimension", "Swap", "Mnemonic"};
}

FrameGrid::FrameGrid(FrameListKind kind)
    : kind_(kind), columns_(ColumnsOf(kind)),
      cells_(static_cast<std::size_t>(kRowCount * columns_.count)) {
    std::vector<std::string> titles = FrameColumnTitles(kind);
    for (int c = 0; c < columns_.count; ++c)
        SetCell(c, 0, titles[static_cast<std::size_t>(c)]);
    Clear();
}

const std::string& FrameGrid::Cell(int column, int row) const {
    if (column < 0 || column >= columns_.count || row < 0 || row >= kRowCount)
        throw std::out_of_range("grid cell out of range");
    return cells_[static_cast<std::size_t>(row * columns_.count + column)];
}

void FrameGrid::SetCell(int column, int row, std::string text) {
    if (column < 0 || column >= columns_.count || row < 0 || row >= kRowCount)
        throw std::out_of_range("grid cell out of range");
    cells_[static_cast<std::size_t>(row * columns_.count + column)] = std::move(text);
}

void FrameGrid::Clear() {
    for (int r = 1; r < kRowCount; ++r) {
        SetCell(columns_.number, r, std::to_string(r));
        for (int c = 1; c < columns_.count; ++c)
            SetCell(c, r, {});
    }
}

FrameEntry FrameGrid::Row(int row) const {
    FrameEntry e;
    e.Cob_Id = Cell(columns_.cobId, row);
    e.Dimension = Cell(columns_.dimension, row);
    e.Swap = Cell(columns_.swap, row);
    if (columns_.del >= 0)
        e.Delete = Cell(columns_.del, row);
    e.Mnemonic = Cell(columns_.mnemonic, row);
    return e;
}

void FrameGrid::SetRow(int row, const FrameEntry& e) {
    SetCell(columns_.cobId, row, e.Cob_Id);
    SetCell(columns_.dimension, row, e.Dimension);
    SetCell(columns_.swap, row, e.Swap);
    if (columns_.del >= 0)
        SetCell(columns_.del, row, e.Delete);
    SetCell(columns_.mnemonic, row, e.Mnemonic);
}

FrameLoadResult FillFrameGrid(const FrameListDocument& doc, FrameGrid& grid) {
    using namespace frames;
    grid.Clear();
    doc.ThrowIfFailed();
    FrameLoadResult result;
    result.framesInDocument = static_cast<int>(doc.records.size());
    const FrameColumns& col = grid.Columns();
    int row = 0;
    for (const FrameRecord& r : doc.records) {
        if (row == MaxFrameRows)
            break;
        ++row;
        grid.SetCell(col.cobId, row,
                     CobIdText(ParseIntTextOr(RequiredAttribute(r.CobId, kCobId, row), 0)));
        grid.SetCell(col.dimension, row, RequiredAttribute(r.Dimension, kDimension, row));
        grid.SetCell(col.swap, row, std::string(r.Swap.value_or("0x00")));
        if (col.del >= 0)
            grid.SetCell(col.del, row, std::string(r.Delete.value_or("N")));
        grid.SetCell(col.mnemonic, row, RequiredAttribute(r.Mnemonic, kMnemonic, row));
        result.framesShown = row;
    }
    return result;
}

FrameLoadResult LoadFrameDocument(FrameListKind kind, const std::string& path, FrameGrid& grid) {
    return FillFrameGrid(ReadFrameListDocument(kind, path), grid);
}

std::string TooManyFramesMessage(FrameListKind kind, int framesInDocument) {
    return std::string("The document ") + frames::FileName(kind) + " holds " +
           std::to_string(framesInDocument) + " frames; only the first " +
           std::to_string(MaxFrameRows) + " are shown, and only these " +
           std::to_string(MaxFrameRows) + " will be kept by OK.";
}

std::string CobIdRangeMessage(int row, CobIdWidth width) {
    return "Error row " + std::to_string(row) + "!! CANOpen Cob-Id must be between 0x000 and " +
           (width == CobIdWidth::Bits11 ? "0x7FF" : "0x1FFFFFFF") + ". ";
}

std::string DimensionRangeMessage(int row) {
    return "Error row " + std::to_string(row) + "!! CANOpen Dimension must be between 1 and 8. ";
}

Findings CheckFrameRows(FrameListKind kind, const FrameGrid& grid, CobIdWidth width) {
    const std::string document = frames::FileName(kind);
    const FrameColumns& col = grid.Columns();
    const std::int32_t maxCobId = width == CobIdWidth::Bits11 ? 0x7FF : 0x1FFFFFFF;
    Findings found;
    for (int row = 1; row <= MaxFrameRows; ++row) {
        const std::string& cobId = grid.Cell(col.cobId, row);
        if (cobId.empty())
            break;
        std::int32_t id = ParseIntTextOr(cobId, -1);
        if (id < 0 || id > maxCobId)
            found.push_back({document, row, col.cobId, CobIdRangeMessage(row, width)});
        std::int32_t dim = ParseIntTextOr(grid.Cell(col.dimension, row), -1);
        if (dim < 1 || dim > 8)
            found.push_back({document, row, col.dimension, DimensionRangeMessage(row)});
    }
    return found;
}

std::optional<std::string> FirstFrameRowError(FrameListKind kind, const FrameGrid& grid,
                                              CobIdWidth width) {
    Findings found = CheckFrameRows(kind, grid, width);
    if (found.empty())
        return std::nullopt;
    return found.front().message;
}

std::vector<FrameEntry> FramesToSave(const FrameGrid& grid) {
    std::vector<FrameEntry> frames;
    for (int row = 1; row <= MaxFrameRows; ++row) {
        if (grid.Cell(grid.Columns().cobId, row).empty())
            break;
        frames.push_back(grid.Row(row));
    }
    return frames;
}

std::string FrameDocumentText(FrameListKind kind, const std::vector<FrameEntry>& list) {
    using namespace frames;
    XmlDocument doc;
    pugi::xml_node listNode = doc.ResetWithRoot(RootName(kind)).append_child(ListName(kind));
    for (const FrameEntry& e : list) {
        pugi::xml_node row = listNode.append_child(kRow);
        row.append_attribute(kCobId).set_value(e.Cob_Id.c_str());
        row.append_attribute(kDimension).set_value(e.Dimension.c_str());
        row.append_attribute(kSwap).set_value(e.Swap.c_str());
        if (kind == FrameListKind::Receive)
            row.append_attribute(kDelete).set_value(e.Delete.c_str());
        row.append_attribute(kMnemonic).set_value(e.Mnemonic.c_str());
    }
    return doc.Text();
}

void SaveFrameDocument(FrameListKind kind, const FrameGrid& grid, const std::string& path) {
    WriteFileAtomic(path, FrameDocumentText(kind, FramesToSave(grid)));
}

} // namespace gw
