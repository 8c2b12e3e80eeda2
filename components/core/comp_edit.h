#pragma once
// Editing arithmetic of the component window: its pixel conversions, the shapes the
// drawing tools make, moving, nudging, the rubber band and the select buttons. Plain C++
// over the component model; the window and its gesture machine call it.
#include "components/core/comp_text.h"

#include <cstdint>
#include <optional>

namespace comp {

// The drawing surface: origin at pixel 200,200, one half unit is 4 pixels.
constexpr int32_t Origin = 200;
constexpr int32_t PixelsPerUnit = 4;
// Largest pixel a rubber band corner reaches.
constexpr int32_t BandMax = 400;

// Snap of a pointer pixel to the 4-pixel grid: ((p + 2) / 4) * 4.
int32_t Snap(int64_t p);
// Half units of a pixel: (p - 200) / 4.
int32_t Unit(int64_t p);
// Tenths of a half unit of a pixel: ((p - 200) * 10) / 4.
int32_t Tenth(int64_t p);

// The shape a drawing tool (1 to 6, 11) makes from snapped start and end pixels, unselected;
// none when the drag is refused. A line with arrows takes its arrow type.
std::optional<TShapeRec> PlacedShape(int32_t tool, int32_t sx, int32_t sy, int32_t ex, int32_t ey,
                                     int32_t arrowType = 1);
// The connection dot at a snapped pixel.
TShapeRec Dot(int32_t sx, int32_t sy);
// The lines of a polyline whose vertices (snapped pixels) are newest first: each segment
// from its later vertex to its earlier one, each put at the head of the list, so the
// first segment drawn ends up first.
void AddPolyline(const TPointList& vertices, TShapeList& shapes);

// Moves a shape by (dx, dy) half units: both points of kinds 1, 2, 3, 5, 6 and 11, the
// centre of a circle; other kinds stay. Values hold at the 32-bit ends.
void MoveShape(TShapeRec& s, int64_t dx, int64_t dy);
void MoveText(TCompTextRec& t, int64_t dx, int64_t dy);
// The end of a right-button move: selected shapes by (dx, dy) half units, selected texts
// by ten times that in tenths.
void MoveSelected(TCompModel& m, int64_t dx, int64_t dy);
// Arrow keys and the "Move Shape" buttons: selected shapes 1 half unit (a circle only its
// centre), selected texts 2 tenths. Direction 1 up, 2 down, 3 left, 4 right.
void NudgeSelected(TCompModel& m, int direction);

// Every shape and text unselected (the hit links are the caller's).
void UnselectAll(TCompModel& m);
void SelectAll(TCompModel& m);
// Selects what a rubber band between two pixel corners encloses strictly: shapes by
// either point (circles by their centre only), texts by their position.
void SelectInBand(TCompModel& m, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The select buttons: 1 first, 2 next, 3 previous. Unselects every shape, moves hit, and
// selects it when there is one.
void SelectShapeBut(TCompModel& m, PShapeRec& hit, int tag);

// Whether rec is an element of the list (a link kept across a nested event loop).
bool Holds(const TShapeList& list, const TShapeRec* rec);
bool Holds(const TCompTextList& list, const TCompTextRec* rec);

// Font byte of a text dialog's choice: size entry 0..7 and the symbol box.
uint8_t FontOf(int sizeIndex, bool symbol);

} // namespace comp
