#pragma once
// Arithmetic of the search program's result grid: cells of 250 by 150 pixels, pages of
// Cols by Rows cells that scroll by rows.
#include <cstdint>
#include <string>

namespace search {

inline constexpr int CellWidth = 250;
inline constexpr int CellHeight = 150;
// No selection or highlight.
inline constexpr int NoCell = -100;

// The largest n with n * cell + margin below extent, and at least 1 so that a window made
// too small still has a cell to draw and select.
int GridCount(int extent, int cell, int margin);
inline int GridCols(int width) { return GridCount(width, CellWidth, 28); }
inline int GridRows(int height) { return GridCount(height, CellHeight, 70); }

// The scroll bar over the grid rows for count files: enabled with positions 0..Max when
// the files do not fit one page, else disabled at 0.
struct TScrollRange {
    bool Enabled = false;
    int Max = 0;
};
TScrollRange ScrollRangeFor(int64_t count, int cols, int rows);

// Index in the result list of the cell under paint-box pixel (x, y) on the page at
// position pos; NoCell when no file is shown there.
int64_t CellIndexAt(int x, int y, int pos, int cols, int rows, int64_t count);

// The text of the strip that reports files dropped from the list; empty when none were.
std::string ErrorStripText(int64_t lost, int64_t rejected);

} // namespace search
