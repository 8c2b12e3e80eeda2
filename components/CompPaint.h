#pragma once
// The component window's pictures: the drawing surface at 4 pixels per half unit with the
// grid, the axes, the border and the selection in red, and the small preview at 1 pixel per
// half unit as the component will look. Fixed colours; the schematic renderer draws each
// shape with the component's parameters.
#include "components/core/comp_text.h"
#include "platform/canvas.h"

#include <QImage>

// Offsets of the origin in half units: it lies at pixel 200,200 on the surface and 50,50
// in the preview.
inline constexpr int32_t kCompOffset = 50;
inline constexpr int kCompBmpSize = 401;
inline constexpr int kCompSurfaceSize = 402;
inline constexpr int kCompPreviewSize = 101;

// One shape at a scale with the offsets (in half units); pen colour and mode are the caller's.
void DrawCompShape(TCanvas& canvas, const TShapeRec* shape, int32_t scale, int32_t offX, int32_t offY);
// The 200 by 200 grid tile of the surface.
void DrawBackGrid(QImage& gridBmp);
// The surface picture onto a 401 by 401 canvas; returns the number of shapes drawn.
int DrawCompPicture(TCanvas& canvas, const TCompModel& model, const QImage& gridBmp);
// The small preview onto a canvas, through a fresh 101 by 101 bitmap.
void DrawSmallPicture(TCanvas& canvas, const TCompModel& model);
// The selection moved by (dx, dy) half units while the right button drags it: shapes one
// pixel wide and hollow in the canvas's pen, texts in silver.
void DrawMovePreview(TCanvas& canvas, const TCompModel& model, int64_t dx, int64_t dy);
// Font of a text on the surface (scale 4: 6n + 6 points) or in the preview (n + 4 points).
TFontSpec CompTextFont(const TCompTextRec& t, bool preview);
