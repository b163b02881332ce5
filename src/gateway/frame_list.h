#pragma once
// The receive and send frame lists (sdo.xml, pdo.xml): the row record, the grid
// the editors work on, and loading, checking and saving that grid.
#include "common/findings.h"
#include "gateway/document_names.h"

#include <optional>
#include <string>
#include <vector>

namespace gw {

// One frame. Every value is kept as text, as typed or as stored.
struct FrameEntry {
    std::string Cob_Id;
    std::string Dimension;
    std::string Swap;
    std::string Delete; // receive list only
    std::string Mnemonic;

    bool operator==(const FrameEntry&) const = default;
};

enum class CobIdWidth { Bits11, Bits29 };

struct FrameListDocument;
struct PargenDocument;

// From "Can_Type" of pargen.xml: 1 is 11-bit, any other integer 29-bit. No
// file, no element or a text that is not an integer: 11-bit. Throws the
// document's reading error (XmlError, FileError) when it could not be read.
CobIdWidth CobIdWidthOf(const PargenDocument& pargen);
CobIdWidth ReadCobIdWidth(const std::string& pargenPath);

// Column positions of the editor grid; Delete exists in the receive list only.
struct FrameColumns {
    int number = 0;
    int cobId = 1;
    int dimension = 2;
    int swap = 3;
    int del = -1;
    int mnemonic = 4;
    int count = 5;
};
FrameColumns ColumnsOf(FrameListKind kind);

// The column titles of the editor grid, in column order.
std::vector<std::string> FrameColumnTitles(FrameListKind kind);

// The editor grid as plain text cells: row 0 holds the titles, rows 1 to
// MaxFrameRows the frames; column 0 the row number.
class FrameGrid {
public:
    static constexpr int kRowCount = MaxFrameRows + 1;

    explicit FrameGrid(FrameListKind kind);

    FrameListKind Kind() const { return kind_; }
    int ColumnCount() const { return columns_.count; }
    const FrameColumns& Columns() const { return columns_; }

    // Cells are addressed column first, row second, as the editors name them.
    const std::string& Cell(int column, int row) const;
    void SetCell(int column, int row, std::string text);

    // Row numbers in column 0, every other data cell empty.
    void Clear();

    // The row as a frame (Delete stays empty in the send list).
    FrameEntry Row(int row) const;
    void SetRow(int row, const FrameEntry& entry);

private:
    FrameListKind kind_;
    FrameColumns columns_;
    std::vector<std::string> cells_; // row-major
};

// What loading found.
struct FrameLoadResult {
    int framesInDocument = 0; // child nodes of the list element
    int framesShown = 0;      // at most MaxFrameRows
};

// Clears the grid, then fills it from the document (an absent file is an empty
// list). Rows are filled in document order; a row that lacks Cob_Id, Dimension
// or Mnemonic stops the filling with a ConversionError, leaving the rows and
// cells filled before it. A document that could not be read throws its error
// (XmlError, FileError) after the grid is cleared.
FrameLoadResult FillFrameGrid(const FrameListDocument& doc, FrameGrid& grid);
FrameLoadResult LoadFrameDocument(FrameListKind kind, const std::string& path, FrameGrid& grid);

// The notice an editor shows when the document holds more frames than it has rows.
std::string TooManyFramesMessage(FrameListKind kind, int framesInDocument);

// Row error messages.
std::string CobIdRangeMessage(int row, CobIdWidth width);
std::string DimensionRangeMessage(int row);

// Every error of the rows, in row order (a row's Cob-ID before its Dimension),
// up to the first row whose Cob-ID cell is empty; each names the list's
// document, the row and the column.
Findings CheckFrameRows(FrameListKind kind, const FrameGrid& grid, CobIdWidth width);

// The one message an editor's OK shows: the first of the above, if any.
std::optional<std::string> FirstFrameRowError(FrameListKind kind, const FrameGrid& grid,
                                              CobIdWidth width);

// The message OK shows for the first cell of the frames a save keeps whose
// text an XML document cannot hold (a control character typed or pasted into
// a Mnemonic), naming its row and column; nullopt when every text is fit.
std::optional<std::string> FirstUnfitFrameText(const FrameGrid& grid);
// The same with the cell it names.
std::optional<Finding> FirstUnfitFrameCell(const FrameGrid& grid);

// The frames a save keeps: the rows before the first empty Cob-ID cell.
std::vector<FrameEntry> FramesToSave(const FrameGrid& grid);

// The document of a list: no declaration, no indentation, every attribute of
// the kind present and in order, values verbatim.
std::string FrameDocumentText(FrameListKind kind, const std::vector<FrameEntry>& frames);

// Replaces the document at `path` with the grid's frames; throws FileError.
void SaveFrameDocument(FrameListKind kind, const FrameGrid& grid, const std::string& path);

} // namespace gw
