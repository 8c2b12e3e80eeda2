#include "schematic/render/view_scale.h"

#include "platform/canvas.h"

#include <algorithm>

void DrawBackGrid(QImage& gridBmp, int32_t scale)
{
    if (gridBmp.isNull() || scale <= 0)
        return;
    TImageCanvas c(gridBmp);
    c.SetPenWidth(1);
    c.SetPenStyle(TPenStyle::Solid);
    c.SetPenMode(TPenMode::Copy);
    auto cross = [&c](int32_t at) {
        c.MoveTo(at, 0);
        c.LineTo(at, GridTileSize);
        c.MoveTo(0, at);
        c.LineTo(GridTileSize, at);
    };
    c.SetPenColor(0xF0F4FF);
    const int32_t n = GridTileSize / scale;
    for (int32_t i = 0; i <= n; ++i)
        cross(i * scale);
    c.SetPenColor(0xB0E0FF);
    cross(0);
    if (scale < 5)
        cross(40);
    if (scale < 4) {
        cross(20);
        cross(60);
    }
}

void RebuildGridBmp(QImage& gridBmp, int32_t scale, bool drawDots)
{
    if (gridBmp.isNull())
        gridBmp = NewBitmap(GridTileSize, GridTileSize);
    {
        TImageCanvas c(gridBmp);
        c.SetBrushColor(clWhite);
        c.FillRect({0, 0, 90, 90});
    }
    if (drawDots)
        DrawBackGrid(gridBmp, scale);
}

QImage MakeGridBmp(int32_t scale, bool drawDots)
{
    QImage img = NewBitmap(GridTileSize, GridTileSize);
    RebuildGridBmp(img, scale, drawDots);
    return img;
}

TViewScale ScaleClick(int32_t tag) { return {tag, tag / 2}; }

TViewScale AltScale(int32_t scale, bool up)
{
    int32_t s = up ? scale * 2 : scale / 2;
    s = std::clamp(s, 2, 8);
    return {s, s / 2};
}

TScaleChecks ScaleChecks(int32_t scale) { return {scale == 2, scale == 4, scale == 8}; }

bool ViewUndoInfoEnabled(bool autoSaveChecked, std::size_t undoSnapshotLines, bool undoFileExists,
                         const std::string& fileName, bool fileExists)
{
    if (autoSaveChecked && undoSnapshotLines > 2 && undoFileExists)
        return true;
    return fileName.size() > 3 && fileExists;
}

bool CheckNodesEnabled(const TShapeList& shapes)
{
    return std::any_of(shapes.begin(), shapes.end(), [](const TShapeRec& s) { return s.Kind == 1; });
}
