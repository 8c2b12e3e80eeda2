#pragma once
// View scale and background grid: the 80 by 80 tile laid under the picture, the zoom
// commands' arithmetic and the View menu's enabling rules, all without widgets.
#include "schematic/core/records.h"

#include <QImage>

#include <cstdint>
#include <string>

inline constexpr int GridTileSize = 80;

// Light lines on every world unit, darker lines on every tenth, for the scale.
void DrawBackGrid(QImage& gridBmp, int32_t scale);
// Fills the tile white (a 90 by 90 area from the corner, cut to the tile) and draws the
// grid lines when drawDots.
void RebuildGridBmp(QImage& gridBmp, int32_t scale, bool drawDots);
// A new 80 by 80 tile as a new window builds it.
QImage MakeGridBmp(int32_t scale, bool drawDots);

// Scale and the half scale kept in step with it.
struct TViewScale {
    int32_t Scale = 4;
    int32_t HalfScale = 2;
    bool operator==(const TViewScale&) const = default;
};
// A scale item: Scale takes the item's tag (2, 4 or 8).
TViewScale ScaleClick(int32_t tag);
// Zoom in (up) doubles, zoom out halves, clamped to 2..8.
TViewScale AltScale(int32_t scale, bool up);
// Which of the three scale items is checked for a scale.
struct TScaleChecks {
    bool Small = false;
    bool Normal = false;
    bool Large = false;
    bool operator==(const TScaleChecks&) const = default;
};
TScaleChecks ScaleChecks(int32_t scale);

// "&View stored Undo ...": autosave on with a snapshot of more than 2 lines and an existing
// autosave file, or a file name longer than 3 characters that exists.
bool ViewUndoInfoEnabled(bool autoSaveChecked, std::size_t undoSnapshotLines, bool undoFileExists,
                         const std::string& fileName, bool fileExists);
// "Show Connection &Nodes": at least one straight line in the shape list.
bool CheckNodesEnabled(const TShapeList& shapes);
