#include "schematic/render/view_scale.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// Row 1 of the tile (away from the horizontal lines at 0): 'D' dark, 'l' light, '.' white.
std::string TileRow(const QImage& tile, int y, int from, int to)
{
    std::string s;
    for (int x = from; x <= to; ++x) {
        const QRgb p = tile.pixel(x, y) & 0xFFFFFF;
        s += p == 0xFFE0B0 ? 'D' : p == 0xFFF4F0 ? 'l' : p == 0xFFFFFF ? '.' : '?';
    }
    return s;
}
} // namespace

TEST(Grid, TileLinesAtEachScale)
{
    struct Case { int32_t scale; int y; int from, to; const char* row; };
    for (const Case k : {Case{2, 1, 0, 23, "D.l.l.l.l.l.l.l.l.l.D.l."},
                         Case{2, 1, 56, 63, "l.l.D.l."},
                         Case{4, 1, 0, 9, "D...l...l."},
                         Case{4, 1, 36, 45, "l...D...l."},
                         Case{8, 1, 0, 17, "D.......l.......l."},
                         Case{8, 1, 36, 41, "....l."},
                         Case{8, 1, 72, 79, "l......."},
                         Case{4, 40, 1, 6, "DDDDDD"},   // the darker row at 40 covers the light columns
                         Case{4, 4, 0, 5, "Dlllll"},
                         Case{8, 40, 0, 3, "Dlll"}}) {
        const QImage tile = MakeGridBmp(k.scale, true);
        ASSERT_EQ(tile.size(), QSize(80, 80));
        EXPECT_EQ(TileRow(tile, k.y, k.from, k.to), k.row) << "scale " << k.scale << " row " << k.y;
    }
    // Without grid lines the tile is plain white; rebuilding wipes old lines.
    QImage tile = MakeGridBmp(2, true);
    RebuildGridBmp(tile, 4, false);
    EXPECT_EQ(tile, MakeGridBmp(8, false));
    QImage white(80, 80, QImage::Format_RGB32);
    white.fill(0xFFFFFFFF);
    EXPECT_EQ(tile, white);
}

TEST(Grid, ScaleCommands)
{
    EXPECT_EQ(ScaleClick(2), (TViewScale{2, 1}));
    EXPECT_EQ(ScaleClick(8), (TViewScale{8, 4}));
    struct Case { int32_t from; bool up; int32_t to; };
    for (const Case k : {Case{4, true, 8}, Case{8, true, 8}, Case{2, false, 2}, Case{4, false, 2}, Case{8, false, 4},
                         Case{2, true, 4}})
        EXPECT_EQ(AltScale(k.from, k.up), (TViewScale{k.to, k.to / 2})) << k.from << " " << k.up;
    EXPECT_EQ(ScaleChecks(2), (TScaleChecks{true, false, false}));
    EXPECT_EQ(ScaleChecks(4), (TScaleChecks{false, true, false}));
    EXPECT_EQ(ScaleChecks(8), (TScaleChecks{false, false, true}));
}

TEST(Grid, ViewMenuEnabling)
{
    struct Case { bool autoSave; std::size_t lines; bool undoExists; const char* file; bool fileExists; bool want; };
    for (const Case k : {Case{true, 3, true, "", false, true}, Case{true, 2, true, "", false, false},
                         Case{false, 30, true, "", false, false}, Case{true, 30, false, "", false, false},
                         Case{false, 0, false, "a.sch", true, true}, Case{false, 0, false, "a.s", true, false},
                         Case{false, 0, false, "a.sch", false, false}})
        EXPECT_EQ(ViewUndoInfoEnabled(k.autoSave, k.lines, k.undoExists, k.file, k.fileExists), k.want)
            << k.autoSave << " " << k.lines << " " << k.undoExists << " " << k.file << " " << k.fileExists;
    TShapeList shapes;
    EXPECT_FALSE(CheckNodesEnabled(shapes));
    shapes.push_back({11, 0, 0, 1, 1, 0x101, 0});
    shapes.push_back({4, 0, 0, 4, 4, 1, 0});
    EXPECT_FALSE(CheckNodesEnabled(shapes));
    shapes.push_back({1, 0, 0, 1, 1, 0, 0});
    EXPECT_TRUE(CheckNodesEnabled(shapes));
}
