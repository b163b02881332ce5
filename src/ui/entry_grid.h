#pragma once
// The grids of the bridge table editors: a title header over the entry rows,
// column 0 the entry number (not editable), some columns tinted. Grid row r
// of the core's EntryTable (1 to n) is table row r - 1. Cells hold items only
// where text was ever put, so a 1500-row grid costs little until it is used.
#include "bridge/entry_table.h"

#include <QColor>
#include <QTableWidget>

class QTabWidget;

#include <vector>

namespace gw {

inline const QColor kLightCyan(0xE0, 0xFF, 0xFF);

// Columns, rows, titles and entry numbers of `table`; `tinted` columns get the
// light cyan background; the spreadsheet keys (Enter, Tab, Ctrl+C, Ctrl+V,
// Delete, Ctrl+Z).
void SetupEntryGrid(QTableWidget* grid, const EntryTable& titles, const std::vector<int>& tinted);

// Replaces what the grid shows; what Ctrl+Z could take back is forgotten.
void EntriesToGrid(const EntryTable& table, QTableWidget* grid);
void GridToEntries(const QTableWidget* grid, EntryTable& table);

// OK refused a cell: its message in an error box, then its tab shown and the
// cell selected, so the user can correct it at once.
void ShowRefusedCell(QWidget* parent, const EntryCellError& error, QTabWidget* tabs,
                     QTableWidget* a, QTableWidget* b);

} // namespace gw
