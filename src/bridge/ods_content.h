#pragma once
// The reader of an OpenDocument spreadsheet's content part (content.xml), for
// the workbook reader module: one pass over the markup as it is inflated,
// without a tree, keeping only the sheet names and the cells of the sheet
// wanted. A big sheet's content.xml is tens of megabytes; the reader holds
// the piece being read and the cells.
#include "bridge/sheet_reader.h"

#include <functional>
#include <string>
#include <string_view>

namespace gw {

// Appends the next piece of a part's bytes to `out`; false once there are no
// more.
using PartPieces = std::function<bool(std::string& out)>;

// The most elements open inside each other: more than any spreadsheet nests,
// few enough that a file made of start tags only cannot grow the reader's
// memory by more than a little.
inline constexpr std::size_t kMaxXmlDepth = 1024;

// Reads a content.xml given in pieces: every sheet's name, in order, into
// reply.sheetNames, and the cells of the first sheet that SheetMatches
// `sheetName` into reply.cells (reply.found then set). `ticker`, if any, is
// told the rows of that sheet as they come. Throws std::runtime_error with the
// reason when the markup is not well-formed, std::length_error when the sheet
// is too large to hold, WorkCancelled from the ticker.
void ReadOdsContent(const PartPieces& pieces, std::string_view sheetName, SheetReadReply& reply,
                    ProgressTicker* ticker);

} // namespace gw
