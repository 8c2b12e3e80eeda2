#include "components/core/comp_edit.h"

#include "schematic/core/edits.h"
#include "schematic/core/hittest.h"

#include <algorithm>
#include <iterator>

namespace comp {

namespace {

using world::Clamp32;

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

void Add(int32_t& v, int64_t d) { v = Clamp32(int64_t{v} + d); }

} // namespace

int32_t Snap(int64_t p) { return Clamp32((p + 2) / 4 * 4); }
int32_t Unit(int64_t p) { return Clamp32((p - Origin) / PixelsPerUnit); }
int32_t Tenth(int64_t p) { return Clamp32((p - Origin) * 10 / PixelsPerUnit); }

std::optional<TShapeRec> PlacedShape(int32_t tool, int32_t sx, int32_t sy, int32_t ex, int32_t ey, int32_t arrowType)
{
    const bool same = sx == ex && sy == ey;
    TShapeRec s;
    s.Kind = tool;
    s.X1 = Unit(sx);
    s.Y1 = Unit(sy);
    s.X2 = Unit(ex);
    s.Y2 = Unit(ey);
    switch (tool) {
    case 1:
    case 5:
        if (same)
            return std::nullopt;
        return s;
    case 2:
    case 3:
        if (sx == ex || sy == ey)
            return std::nullopt;
        if (s.X1 > s.X2)
            std::swap(s.X1, s.X2);
        if (s.Y1 > s.Y2)
            std::swap(s.Y1, s.Y2);
        return s;
    case 4: {
        const int64_t r = std::max(Abs64(int64_t{sx} - ex), Abs64(int64_t{sy} - ey));
        if (r < 1)
            return std::nullopt;
        // Four times the radius in half units is the radius in pixels.
        s.X2 = s.Y2 = Clamp32(r);
        return s;
    }
    case 6:
        if (same)
            return std::nullopt;
        s.Style = 1;
        return s;
    case 11:
        if (same)
            return std::nullopt;
        s.Style = Clamp32(int64_t{arrowType} * 256 + 1);
        return s;
    default:
        return std::nullopt;
    }
}

TShapeRec Dot(int32_t sx, int32_t sy)
{
    TShapeRec s;
    s.Kind = 4;
    s.X1 = Unit(sx);
    s.Y1 = Unit(sy);
    s.X2 = s.Y2 = 4;
    s.Style = 1;
    return s;
}

void AddPolyline(const TPointList& v, TShapeList& shapes)
{
    edits::AddPolylineLines(v, shapes, [](int32_t x) { return Unit(x); }, [](int32_t y) { return Unit(y); });
}

void MoveShape(TShapeRec& s, int64_t dx, int64_t dy)
{
    switch (s.Kind) {
    case 4:
        Add(s.X1, dx);
        Add(s.Y1, dy);
        break;
    case 1: case 2: case 3: case 5: case 6: case 11:
        Add(s.X1, dx);
        Add(s.Y1, dy);
        Add(s.X2, dx);
        Add(s.Y2, dy);
        break;
    default:
        break;
    }
}

void MoveText(TCompTextRec& t, int64_t dx, int64_t dy)
{
    Add(t.X, dx);
    Add(t.Y, dy);
}

void MoveSelected(TCompModel& m, int64_t dx, int64_t dy)
{
    for (TShapeRec& s : m.ShapeList)
        if (s.Selected > 0)
            MoveShape(s, dx, dy);
    for (TCompTextRec& t : m.TextList)
        if (t.Selected > 0)
            MoveText(t, dx * 10, dy * 10);
}

void NudgeSelected(TCompModel& m, int direction)
{
    int64_t dx = 0, dy = 0;
    if (!edits::StepOf(direction, dx, dy))
        return;
    for (TShapeRec& s : m.ShapeList)
        if (s.Selected > 0)
            edits::MoveShape(s, dx, dy);   // a circle by its centre
    for (TCompTextRec& t : m.TextList)
        if (t.Selected > 0)
            MoveText(t, dx * 2, dy * 2);
}

void UnselectAll(TCompModel& m)
{
    for (TShapeRec& s : m.ShapeList)
        s.Selected = 0;
    for (TCompTextRec& t : m.TextList)
        t.Selected = 0;
}

void SelectAll(TCompModel& m)
{
    for (TShapeRec& s : m.ShapeList)
        s.Selected = 1;
    for (TCompTextRec& t : m.TextList)
        t.Selected = 1;
}

void SelectInBand(TCompModel& m, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const TBand b = MakeBand(Unit(x1), Unit(y1), Unit(x2), Unit(y2));
    for (TShapeRec& s : m.ShapeList) {
        // A circle's second pair is its size, not a point.
        const bool in = b.Inside(s.X1, s.Y1) || (s.Kind != 4 && b.Inside(s.X2, s.Y2));
        if (in)
            s.Selected = 1;
    }
    const TBand t{b.LoX * 10, b.LoY * 10, b.HiX * 10, b.HiY * 10};
    for (TCompTextRec& x : m.TextList)
        if (t.Inside(x.X, x.Y))
            x.Selected = 1;
}

void SelectShapeBut(TCompModel& m, PShapeRec& hit, int tag)
{
    for (TShapeRec& s : m.ShapeList)
        s.Selected = 0;
    auto it = std::find_if(m.ShapeList.begin(), m.ShapeList.end(), [&](const TShapeRec& s) { return &s == hit; });
    if (it == m.ShapeList.end())
        hit = nullptr;
    switch (tag) {
    case 1:
        hit = m.ShapeList.empty() ? nullptr : &m.ShapeList.front();
        break;
    case 2:
        if (hit && std::next(it) != m.ShapeList.end())
            hit = &*std::next(it);
        break;
    case 3:
        if (hit && it != m.ShapeList.begin())
            hit = &*std::prev(it);
        break;
    default:
        break;
    }
    if (hit)
        hit->Selected = 1;
}

bool Holds(const TShapeList& list, const TShapeRec* rec)
{
    return rec && std::any_of(list.begin(), list.end(), [rec](const TShapeRec& r) { return &r == rec; });
}

bool Holds(const TCompTextList& list, const TCompTextRec* rec)
{
    return rec && std::any_of(list.begin(), list.end(), [rec](const TCompTextRec& r) { return &r == rec; });
}

uint8_t FontOf(int sizeIndex, bool symbol)
{
    // The dialog offers eight sizes; anything else keeps the byte's size field in range.
    const int step = std::clamp(sizeIndex + 1, 0, 15);
    return static_cast<uint8_t>(step * 16 + (symbol ? 1 : 0));
}

} // namespace comp
