#pragma once
// The grids of the bridge table editors: a title header over the entry rows,
// column 0 the entry number (not editable), some columns tinted. Grid row r
// of the core's EntryTable (1 to n) is table row r - 1. Cells hold items only
// where text was ever put, so a 1500-row grid costs little until it is used.
#include "bridge/entry_table.h"

#include <QColor>
#include <QTableWidget>

#include <vector>

namespace gw {

inline const QColor kLightCyan(0xE0, 0xFF, 0xFF);

// Columns, rows, titles and entry numbers of `table`; `tinted` columns get the
// light cyan background.
void SetupEntryGrid(QTableWidget* grid, const EntryTable& titles, const std::vector<int>& tinted);

void EntriesToGrid(const EntryTable& table, QTableWidget* grid);
void GridToEntries(const QTableWidget* grid, EntryTable& table);

} // namespace gw
