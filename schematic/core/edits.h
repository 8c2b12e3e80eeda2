#pragma once
// Edits that change where items lie: moves by a delta, the arrow-key nudge, the
// flip/mirror/rotate point transforms of component bodies, the quarter turn of free-text
// angles, the shift of a whole drawing to the top-left corner, the handle commits, the
// style edits of selected shapes and the duplicate of the selection.
// Plain C++ over the records, so every editing window can share them. All arithmetic is
// done in 64 bits; a result outside 32 bits is held at the nearest end.
#include "schematic/core/records.h"

#include <cstdint>
#include <functional>

namespace edits {

// Turn modes of the flip/mirror/rotate commands.
constexpr int Mirror = 1;     // X := -X
constexpr int Flip = 2;       // Y := -Y
constexpr int Clockwise = 3;  // (X, Y) := (-Y, X) on a screen whose Y grows downward
constexpr int Anti = 4;       // (X, Y) := (Y, -X)

// Whether a shape kind has two points that move together (1, 2, 3, 5, 6, 11, 12).
bool TwoPointKind(int32_t kind);

// Moves a shape by (dx, dy) units: both points of a two-point kind, only the centre of a
// circle; other kinds stay. False when the kind does not move.
bool MoveShape(TShapeRec& s, int64_t dx, int64_t dy);
void MoveComp(TCompRec& c, int64_t dx, int64_t dy);
// (dx, dy) in tenths.
void MoveText(TTextRec& t, int64_t dx, int64_t dy);

// Moves every selected item (mark above 0) by (dx, dy) units; texts by ten times that in
// tenths. Returns how many selected items were found.
int64_t MoveSelection(TSchModel& m, int64_t dx, int64_t dy);

// The arrow-key step: direction 1 left, 2 right, 3 up, 4 down. Items whose mark is exactly
// 1 move one unit (a circle its centre only, any other shape both points); texts ten
// tenths, or one tenth when `fine`. Returns how many items moved.
int64_t NudgeSelection(TSchModel& m, int direction, bool fine);

// The lines of a polyline whose vertices (pixels) are newest first: each segment from its
// later vertex to its earlier one, each put at the head of the list, so the first segment
// drawn ends up first. toX and toY turn a vertex's pixel into the drawing's units.
void AddPolylineLines(const TPointList& vertices, TShapeList& shapes, const std::function<int32_t(int32_t)>& toX,
                      const std::function<int32_t(int32_t)>& toY);

// The unit step of a direction code: 1 up, 2 down, 3 left, 4 right; false for others.
bool StepOf(int direction, int64_t& dx, int64_t& dy);

// One point under a turn mode; other modes keep it.
void TurnPoint(int mode, int32_t& x, int32_t& y);
// A component body (shapes and texts relative to its origin) under a turn mode; the two
// points of an arc are exchanged under mirror and flip so that its centre follows.
void TurnBody(TShapeList& shapes, TTextList& texts, int mode);
inline void TurnComp(TCompRec& c, int mode) { TurnBody(c.Shapes, c.Texts, mode); }
// A free text's font word after a quarter turn (modes 3 and 4) of its angle; angles other
// than 0, 90, 180 and 270 and other modes keep it.
int32_t TurnTextFont(int32_t font, int mode);

struct TTurnResult {
    int64_t Comps = 0;  // selected components turned
    int64_t Texts = 0;  // selected free texts turned (modes 3 and 4 only)
};
// Turns every selected component's body, then `placing` (when given) whatever is
// selected, then in modes 3 and 4 the angle of every selected free text. Free shapes
// never change.
TTurnResult TurnSelection(TSchModel& m, int mode, TCompRec* placing);

// The shift that puts a drawing's smallest measured value at 1 on each axis: components'
// origins, circles' left and top edges (radius from |Y2|), both points of two-point kinds
// and free texts' positions in whole units.
struct TPanPlan {
    enum TState { Shift, Nothing, TooLarge } State = Nothing;
    int64_t DX = 0, DY = 0;  // amount subtracted
};
TPanPlan PlanPan(const TSchModel& m);
// Subtracts a planned shift (texts ten times it, in tenths).
void ApplyPan(TSchModel& m, int64_t dX, int64_t dY);

// Handle commits, (dx, dy) in whole units. The second point of kinds 1, 2, 3, 5, 6, 11,
// 12; of a circle the radius: X2 := |(|Y2| + 4 dx)|, at least 4, Y2 := X2. False for the
// kinds the handle does not serve.
bool MoveSecondPoint(TShapeRec& s, int64_t dx, int64_t dy);
// The first point of kinds 1, 2, 3, 5, 11.
bool MoveFirstPoint(TShapeRec& s, int64_t dx, int64_t dy);

// ---- Style edits of the selected shapes (mark above 0) of a list. Each replaces one field
// of the Style word and clears bits 16 to 31. Return how many shapes changed.
bool AnySelected(const TShapeList& shapes);
int64_t ToggleFillSelected(TShapeList& shapes);
int64_t SetPenWidthSelected(TShapeList& shapes, int32_t width);
int64_t SetLineStyleSelected(TShapeList& shapes, int32_t lineStyle);
// Lines with arrows (kind 11) only.
int64_t SetArrowTypeSelected(TShapeList& shapes, int32_t arrowType);
// The dialogs' presets: the field of the first selected shape in list order (of the first
// selected line with arrows for the arrow type), 1 when that field is 0; 0 when there is
// no such shape.
int32_t PenWidthPreset(const TShapeList& shapes);
int32_t LineStylePreset(const TShapeList& shapes);
int32_t ArrowTypePreset(const TShapeList& shapes);

// ---- Duplicate: every selected item (mark above 0) gets a copy displaced by d units (texts
// by 10 d tenths) that is appended after the items that existed before; the original loses
// its mark, the copy has mark 1. A circle's radius fields are copied unchanged, a component
// takes private copies of its shapes and texts. Copies are never copied again.
struct TDupResult {
    int64_t Shapes = 0, Comps = 0, Texts = 0;
};
TDupResult DuplicateSelection(TSchModel& m, int64_t d);

} // namespace edits
