#include "search/core/grid.h"

namespace search {

int GridCount(int extent, int cell, int margin)
{
    if (cell <= 0)
        return 1;
    const int64_t room = int64_t{extent} - margin - 1;
    const int64_t n = room < 0 ? 0 : room / cell;
    return n < 1 ? 1 : n > 100000 ? 100000 : static_cast<int>(n);
}

TScrollRange ScrollRangeFor(int64_t count, int cols, int rows)
{
    const int64_t page = int64_t{cols} * rows;
    if (cols < 1 || rows < 1 || count <= page)
        return {};
    const int64_t max = (count - page - 1) / cols + 1;
    return {true, max > INT32_MAX ? INT32_MAX : static_cast<int>(max)};
}

int64_t CellIndexAt(int x, int y, int pos, int cols, int rows, int64_t count)
{
    if (x < 0 || y < 0 || pos < 0)
        return NoCell;
    const int row = y / CellHeight;
    const int col = x / CellWidth;
    if (col >= cols || row >= rows)
        return NoCell;
    const int64_t i = (int64_t{pos} + row) * cols + col;
    return i < count ? i : NoCell;
}

std::string ErrorStripText(int64_t lost, int64_t rejected)
{
    static const char* const ending = " Schematic \"*.sch\" files with unknown format removed from search list.";
    if (lost > 0 && rejected > 0)
        return "  Error: " + std::to_string(lost) + " missing files, and " + std::to_string(rejected) + ending;
    if (rejected > 0)
        return "  Error: " + std::to_string(rejected) + ending;
    if (lost > 0)
        return "  Error: " + std::to_string(lost) + " missing files.";
    return {};
}

} // namespace search
