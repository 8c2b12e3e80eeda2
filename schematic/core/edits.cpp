#include "schematic/core/edits.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace edits {

namespace {

using world::Clamp32;
using world::Fits32;

void Add(int32_t& v, int64_t d) { v = Clamp32(int64_t{v} + d); }

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

} // namespace

bool TwoPointKind(int32_t kind)
{
    switch (kind) {
    case 1: case 2: case 3: case 5: case 6: case 11: case 12:
        return true;
    default:
        return false;
    }
}

bool MoveShape(TShapeRec& s, int64_t dx, int64_t dy)
{
    if (s.Kind == 4) {
        Add(s.X1, dx);
        Add(s.Y1, dy);
        return true;
    }
    if (!TwoPointKind(s.Kind))
        return false;
    Add(s.X1, dx);
    Add(s.X2, dx);
    Add(s.Y1, dy);
    Add(s.Y2, dy);
    return true;
}

void MoveComp(TCompRec& c, int64_t dx, int64_t dy)
{
    Add(c.X, dx);
    Add(c.Y, dy);
}

void MoveText(TTextRec& t, int64_t dx, int64_t dy)
{
    Add(t.X, dx);
    Add(t.Y, dy);
}

int64_t MoveSelection(TSchModel& m, int64_t dx, int64_t dy)
{
    int64_t n = 0;
    for (TCompRec& c : m.CompList)
        if (c.Selected > 0) {
            MoveComp(c, dx, dy);
            ++n;
        }
    for (TShapeRec& s : m.ShapeList)
        if (s.Selected > 0) {
            MoveShape(s, dx, dy);
            ++n;
        }
    for (TTextRec& t : m.TextList)
        if (t.Selected > 0) {
            MoveText(t, dx * 10, dy * 10);
            ++n;
        }
    return n;
}

int64_t NudgeSelection(TSchModel& m, int direction, bool fine)
{
    int64_t dx = 0, dy = 0;
    switch (direction) {
    case 1: dx = -1; break;
    case 2: dx = 1; break;
    case 3: dy = -1; break;
    case 4: dy = 1; break;
    default: return 0;
    }
    int64_t n = 0;
    for (TShapeRec& s : m.ShapeList) {
        if (s.Selected != 1)
            continue;
        Add(s.X1, dx);
        Add(s.Y1, dy);
        if (s.Kind != 4) {
            Add(s.X2, dx);
            Add(s.Y2, dy);
        }
        ++n;
    }
    for (TCompRec& c : m.CompList)
        if (c.Selected == 1) {
            MoveComp(c, dx, dy);
            ++n;
        }
    const int64_t step = fine ? 1 : 10;
    for (TTextRec& t : m.TextList)
        if (t.Selected == 1) {
            MoveText(t, dx * step, dy * step);
            ++n;
        }
    return n;
}

void AddPolylineLines(const TPointList& v, TShapeList& shapes, const std::function<int32_t(int32_t)>& toX,
                      const std::function<int32_t(int32_t)>& toY)
{
    for (auto p = v.begin(); p != v.end() && std::next(p) != v.end(); ++p) {
        const TPointRec& q = *std::next(p);
        TShapeRec s;
        s.Kind = 1;
        s.X1 = toX(p->X);
        s.Y1 = toY(p->Y);
        s.X2 = toX(q.X);
        s.Y2 = toY(q.Y);
        shapes.push_front(s);
    }
}

bool StepOf(int direction, int64_t& dx, int64_t& dy)
{
    dx = dy = 0;
    switch (direction) {
    case 1: dy = -1; return true;
    case 2: dy = 1; return true;
    case 3: dx = -1; return true;
    case 4: dx = 1; return true;
    default: return false;
    }
}

void TurnPoint(int mode, int32_t& x, int32_t& y)
{
    const int64_t X = x, Y = y;
    switch (mode) {
    case Mirror: x = Clamp32(-X); break;
    case Flip: y = Clamp32(-Y); break;
    case Clockwise: x = Clamp32(-Y); y = static_cast<int32_t>(X); break;
    case Anti: x = static_cast<int32_t>(Y); y = Clamp32(-X); break;
    default: break;
    }
}

void TurnBody(TShapeList& shapes, TTextList& texts, int mode)
{
    for (TShapeRec& s : shapes) {
        TurnPoint(mode, s.X1, s.Y1);
        TurnPoint(mode, s.X2, s.Y2);
        if (s.Kind == 5 && (mode == Mirror || mode == Flip)) {
            std::swap(s.X1, s.X2);
            std::swap(s.Y1, s.Y2);
        }
    }
    for (TTextRec& t : texts)
        TurnPoint(mode, t.X, t.Y);
}

int32_t TurnTextFont(int32_t font, int mode)
{
    if (mode != Clockwise && mode != Anti)
        return font;
    const int32_t angle = font / 256;
    int32_t turned;
    switch (angle) {
    case 0: turned = mode == Clockwise ? 270 : 90; break;
    case 90: turned = mode == Clockwise ? 0 : 180; break;
    case 180: turned = mode == Clockwise ? 90 : 270; break;
    case 270: turned = mode == Clockwise ? 180 : 0; break;
    default: return font;
    }
    return Clamp32(int64_t{turned} * 256 + font % 256);
}

TTurnResult TurnSelection(TSchModel& m, int mode, TCompRec* placing)
{
    TTurnResult r;
    for (TCompRec& c : m.CompList)
        if (c.Selected > 0) {
            TurnComp(c, mode);
            ++r.Comps;
        }
    if (placing)
        TurnComp(*placing, mode);
    if (mode == Clockwise || mode == Anti)
        for (TTextRec& t : m.TextList)
            if (t.Selected > 0) {
                t.Font = TurnTextFont(t.Font, mode);
                ++r.Texts;
            }
    return r;
}

TPanPlan PlanPan(const TSchModel& m)
{
    bool any = false;
    int64_t minX = INT32_MAX, minY = INT32_MAX;
    auto measure = [&](int64_t x, int64_t y) {
        any = true;
        minX = std::min(minX, x);
        minY = std::min(minY, y);
    };
    for (const TCompRec& c : m.CompList)
        measure(c.X, c.Y);
    for (const TShapeRec& s : m.ShapeList) {
        if (s.Kind == 4) {
            // The radius as drawn: from the magnitude of Y2.
            const int64_t r = Abs64(s.Y2 / 4);
            measure(int64_t{s.X1} - r, int64_t{s.Y1} - r);
        } else if (TwoPointKind(s.Kind)) {
            measure(s.X1, s.Y1);
            measure(s.X2, s.Y2);
        }
    }
    for (const TTextRec& t : m.TextList)
        measure(t.X / 10, t.Y / 10);

    TPanPlan plan;
    if (!any)
        return plan;
    plan.DX = minX - 1;
    plan.DY = minY - 1;
    // Every result must fit before anything moves: a refused shift leaves the drawing whole.
    bool fits = true;
    auto check = [&](int64_t x, int64_t y, int64_t f) {
        fits = fits && Fits32(x - plan.DX * f) && Fits32(y - plan.DY * f);
    };
    for (const TCompRec& c : m.CompList)
        check(c.X, c.Y, 1);
    for (const TShapeRec& s : m.ShapeList) {
        if (s.Kind == 4) {
            check(s.X1, s.Y1, 1);
        } else if (TwoPointKind(s.Kind)) {
            check(s.X1, s.Y1, 1);
            check(s.X2, s.Y2, 1);
        }
    }
    for (const TTextRec& t : m.TextList)
        check(t.X, t.Y, 10);
    plan.State = fits ? TPanPlan::Shift : TPanPlan::TooLarge;
    return plan;
}

void ApplyPan(TSchModel& m, int64_t dX, int64_t dY)
{
    for (TCompRec& c : m.CompList)
        MoveComp(c, -dX, -dY);
    for (TShapeRec& s : m.ShapeList)
        MoveShape(s, -dX, -dY);
    for (TTextRec& t : m.TextList)
        MoveText(t, -dX * 10, -dY * 10);
}

bool MoveSecondPoint(TShapeRec& s, int64_t dx, int64_t dy)
{
    if (s.Kind == 4) {
        const int64_t r = std::max<int64_t>(Abs64(Abs64(s.Y2) + 4 * dx), 4);
        s.X2 = s.Y2 = Clamp32(r);
        return true;
    }
    if (!TwoPointKind(s.Kind))
        return false;
    Add(s.X2, dx);
    Add(s.Y2, dy);
    return true;
}

bool MoveFirstPoint(TShapeRec& s, int64_t dx, int64_t dy)
{
    switch (s.Kind) {
    case 1: case 2: case 3: case 5: case 11:
        Add(s.X1, dx);
        Add(s.Y1, dy);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- style edits

namespace {

template <class F>
int64_t EachSelected(TShapeList& shapes, F f)
{
    int64_t n = 0;
    for (TShapeRec& s : shapes)
        if (s.Selected > 0 && f(s))
            ++n;
    return n;
}

// The four masks keep a 16-bit word; a field value from outside is held to its four bits.
int32_t Field(int32_t v) { return v & 0xF; }

int32_t Preset(const TShapeList& shapes, bool arrowsOnly, int32_t (*field)(int32_t))
{
    for (const TShapeRec& s : shapes)
        if (s.Selected > 0 && (!arrowsOnly || s.Kind == 11)) {
            const int32_t v = field(s.Style);
            return v == 0 ? 1 : v;
        }
    return 0;
}

} // namespace

bool AnySelected(const TShapeList& shapes)
{
    return std::any_of(shapes.begin(), shapes.end(), [](const TShapeRec& s) { return s.Selected > 0; });
}

int64_t ToggleFillSelected(TShapeList& shapes)
{
    return EachSelected(shapes, [](TShapeRec& s) {
        s.Style = style::ToggleFill(s.Style);
        return true;
    });
}

int64_t SetPenWidthSelected(TShapeList& shapes, int32_t width)
{
    return EachSelected(shapes, [w = Field(width)](TShapeRec& s) {
        s.Style = style::SetPenWidth(s.Style, w);
        return true;
    });
}

int64_t SetLineStyleSelected(TShapeList& shapes, int32_t lineStyle)
{
    return EachSelected(shapes, [t = Field(lineStyle)](TShapeRec& s) {
        s.Style = style::SetLineStyle(s.Style, t);
        return true;
    });
}

int64_t SetArrowTypeSelected(TShapeList& shapes, int32_t arrowType)
{
    return EachSelected(shapes, [t = Field(arrowType)](TShapeRec& s) {
        if (s.Kind != 11)
            return false;
        s.Style = style::SetArrowType(s.Style, t);
        return true;
    });
}

int32_t PenWidthPreset(const TShapeList& shapes) { return Preset(shapes, false, style::PenWidthField); }
int32_t LineStylePreset(const TShapeList& shapes) { return Preset(shapes, false, style::LineStyleField); }
int32_t ArrowTypePreset(const TShapeList& shapes) { return Preset(shapes, true, style::ArrowTypeField); }

// ---------------------------------------------------------------- duplicate

namespace {

// Copies each selected element of the list's first `count` elements to its end, displaced.
template <class List, class Displace>
int64_t DuplicateIn(List& list, Displace displace)
{
    // Only what existed before the command: the copies go after the old last element.
    const std::size_t count = list.size();
    int64_t n = 0;
    auto it = list.begin();
    for (std::size_t i = 0; i < count; ++i, ++it) {
        if (it->Selected <= 0)
            continue;
        it->Selected = 0;
        auto copy = *it;
        copy.Selected = 1;
        displace(copy);
        list.push_back(std::move(copy));
        ++n;
    }
    return n;
}

} // namespace

TDupResult DuplicateSelection(TSchModel& m, int64_t d)
{
    TDupResult r;
    r.Shapes = DuplicateIn(m.ShapeList, [d](TShapeRec& s) {
        Add(s.X1, d);
        Add(s.Y1, d);
        if (s.Kind != 4) {
            Add(s.X2, d);
            Add(s.Y2, d);
        }
    });
    r.Comps = DuplicateIn(m.CompList, [d](TCompRec& c) { MoveComp(c, d, d); });
    r.Texts = DuplicateIn(m.TextList, [d](TTextRec& t) { MoveText(t, d * 10, d * 10); });
    return r;
}

} // namespace edits
