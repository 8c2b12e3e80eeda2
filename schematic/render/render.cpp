#include "schematic/render/render.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

inline bool Fits(int64_t v) { return v >= kMin32 && v <= kMax32; }
// The same as one unsigned comparison, for code without branches.
inline bool FitsU(int64_t v) { return static_cast<uint64_t>(v - kMin32) <= static_cast<uint64_t>(kMax32 - kMin32); }

// Round half to even, in 64 bits; nullopt when the value is not a 32-bit pixel.
inline std::optional<int64_t> RoundPix(double v)
{
    if (!(v >= static_cast<double>(kMin32) && v <= static_cast<double>(kMax32)))
        return std::nullopt;
    return static_cast<int64_t>(std::nearbyint(v));
}

// The fields above the fill are (Style div 2^k) and 15, division truncating toward zero:
// for a negative Style from a file that differs from shifting the bits out.
inline int32_t StyleField(int32_t style, int32_t divisor) { return (style / divisor) & 15; }
inline int32_t PenWidthOf(int32_t style) { return StyleField(style, 16); }
inline int32_t ArrowTypeOf(int32_t style)
{
    const int32_t t = StyleField(style, 256);
    return (t >= 1 && t <= 6) ? t : 1;
}

TPenStyle PenStyleFor(int32_t style)
{
    switch (StyleField(style, 4096)) {
    case 2: return TPenStyle::Dash;
    case 3: return TPenStyle::DashDot;
    case 4: return TPenStyle::DashDotDot;
    case 5: return TPenStyle::Dot;
    default: return TPenStyle::Solid;
    }
}

// The visible area widened by a margin, for cheap rejection.
struct Cull {
    int64_t l, t, r, b;   // inclusive bounds
    Cull(const TCanvas& c, int64_t margin)
        : l(-margin), t(-margin), r(c.Width() - 1 + margin), b(c.Height() - 1 + margin) {}
    bool Misses(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const
    {
        return std::max(x1, x2) < l || std::min(x1, x2) > r || std::max(y1, y2) < t || std::min(y1, y2) > b;
    }
};

inline int32_t I32(int64_t v) { return static_cast<int32_t>(v); }

// A line of Kind 1 with the end shortening of the raw width field.
void DrawLineShape(TCanvas& c, int64_t sx1, int64_t sy1, int64_t sx2, int64_t sy2, int32_t w)
{
    bool drawn = false;
    if (sy1 == sy2) {
        if (sx1 > sx2)
            std::swap(sx1, sx2);
        const int64_t end = sx2 + 1 - w;
        if (!Fits(end))
            return;
        c.MoveTo(I32(sx1), I32(sy1));
        c.LineTo(I32(end), I32(sy1));
        drawn = true;
    }
    if (sx1 == sx2) {
        if (sy1 > sy2)
            std::swap(sy1, sy2);
        const int64_t end = sy2 + 1 - w;
        if (!Fits(end))
            return;
        c.MoveTo(I32(sx1), I32(sy1));
        c.LineTo(I32(sx1), I32(end));
        drawn = true;
    }
    if (!drawn) {
        c.MoveTo(I32(sx1), I32(sy1));
        c.LineTo(I32(sx2), I32(sy2));
    }
}

void DrawArcShape(TCanvas& c, int64_t sx1, int64_t sy1, int64_t sx2, int64_t sy2, int32_t radius,
                  const Cull& cull)
{
    int64_t l, t, r, b;
    double a1, a2;
    if (sx2 > sx1 && sy1 < sy2) {
        l = 2 * sx1 - sx2; t = sy1; r = sx2 + 1; b = 2 * sy2 - sy1 + 1; a1 = 0; a2 = 0.5 * kPi;
    } else if (sx2 > sx1) {
        l = sx1; t = sy2; r = 2 * sx2 - sx1 + 1; b = 2 * sy1 - sy2 + 1; a1 = 0.5002 * kPi; a2 = kPi;
    } else if (sy1 < sy2) {
        l = 2 * sx2 - sx1; t = 2 * sy1 - sy2; r = sx1 + 1; b = sy2 + 1; a1 = 1.5002 * kPi; a2 = 2 * kPi;
    } else {
        l = sx2; t = 2 * sy2 - sy1; r = 2 * sx1 - sx2 + 1; b = sy1 + 1; a1 = 1.0002 * kPi; a2 = 1.5 * kPi;
    }
    if (!Fits(l) || !Fits(t) || !Fits(r) || !Fits(b))
        return;
    if (cull.Misses(l, t, r, b))
        return;
    const double cx = (static_cast<double>(l) + static_cast<double>(r)) / 2.0;
    const double cy = (static_cast<double>(t) + static_cast<double>(b)) / 2.0;
    const auto x3 = RoundPix(cx + radius * std::cos(a1)), y3 = RoundPix(cy - radius * std::sin(a1));
    const auto x4 = RoundPix(cx + radius * std::cos(a2)), y4 = RoundPix(cy - radius * std::sin(a2));
    if (!x3 || !y3 || !x4 || !y4)
        return;
    c.Arc(I32(l), I32(t), I32(r), I32(b), I32(*x3), I32(*y3), I32(*x4), I32(*y4));
}

// The picker's quarter arc: from the ray through P2 counter-clockwise to the ray through P1,
// in a box chosen by where P2 lies against P1; nothing when the points share a line.
void DrawPickerArc(TCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const Cull& cull)
{
    if (x1 == x2 || y1 == y2)
        return;
    int64_t l, t, r, b;
    if (x2 > x1 && y2 < y1) {
        l = x1; t = y2; r = 2 * x2 - x1 + 1; b = 2 * y1 - y2;
    } else if (x2 > x1) {
        l = 2 * x1 - x2; t = y1; r = x2 + 1; b = 2 * y2 - y1;
    } else if (y2 > y1) {
        l = 2 * x2 - x1; t = 2 * y1 - y2; r = x1 + 1; b = y2 + 1;
    } else {
        l = x2; t = 2 * y2 - y1; r = 2 * x1 - x2; b = y1 + 1;
    }
    if (!Fits(l) || !Fits(t) || !Fits(r) || !Fits(b) || cull.Misses(l, t, r, b))
        return;
    c.Arc(I32(l), I32(t), I32(r), I32(b), I32(x2), I32(y2), I32(x1), I32(y1));
}

void DrawTriangle(TCanvas& c, const TShapeRec& s, int64_t offX, int64_t offY, const TShapeParams& p,
                  int64_t sx1, int64_t sy1, const Cull& cull)
{
    const int32_t scale = p.Scale;
    const double ox = p.OriginX, oy = p.OriginY;
    const double dx = static_cast<double>(s.X1) - s.X2, dy = static_cast<double>(s.Y1) - s.Y2;
    const double h = std::sqrt(dx * dx + dy * dy) / 2.0;
    const double bx = static_cast<double>(s.X2) + static_cast<double>(offX);
    const double by = static_cast<double>(s.Y2) + static_cast<double>(offY);
    std::optional<int64_t> c1x, c1y, c2x, c2y;
    if (s.X2 != s.X1) {
        const double a = std::atan((static_cast<double>(s.Y2) - s.Y1) / (static_cast<double>(s.X2) - s.X1));
        c1x = RoundPix((bx + h * std::cos(a + kPi / 2)) * scale + ox);
        c1y = RoundPix((by + h * std::sin(a + kPi / 2)) * scale + oy);
        c2x = RoundPix((bx + h * std::cos(a - kPi / 2)) * scale + ox);
        c2y = RoundPix((by + h * std::sin(a - kPi / 2)) * scale + oy);
    } else {
        c1x = RoundPix((bx + h) * scale + ox);
        c2x = RoundPix((bx - h) * scale + ox);
        c1y = c2y = RoundPix(by * scale + oy);
    }
    if (!c1x || !c1y || !c2x || !c2y)
        return;
    const int64_t minX = std::min({sx1, *c1x, *c2x}), maxX = std::max({sx1, *c1x, *c2x});
    const int64_t minY = std::min({sy1, *c1y, *c2y}), maxY = std::max({sy1, *c1y, *c2y});
    if (cull.Misses(minX, minY, maxX, maxY))
        return;
    const TPoint pts[3] = {{I32(sx1), I32(sy1)}, {I32(*c1x), I32(*c1y)}, {I32(*c2x), I32(*c2y)}};
    c.Polygon(pts, 3);
}

// One arrow head with its tip at (tx, ty) pointing along direction d (screen radians).
void DrawHead(TCanvas& c, int64_t tx, int64_t ty, double d, double len, double k, bool notched)
{
    const auto b1x = RoundPix(tx - len * std::cos(d - kPi / 8)), b1y = RoundPix(ty - len * std::sin(d - kPi / 8));
    const auto b2x = RoundPix(tx - len * std::cos(d + kPi / 8)), b2y = RoundPix(ty - len * std::sin(d + kPi / 8));
    const auto nx = RoundPix(tx - k * len * std::cos(d)), ny = RoundPix(ty - k * len * std::sin(d));
    if (!b1x || !b1y || !b2x || !b2y || !nx || !ny)
        return;
    if (notched) {
        const TPoint pts[4] = {{I32(tx), I32(ty)}, {I32(*b1x), I32(*b1y)}, {I32(*nx), I32(*ny)}, {I32(*b2x), I32(*b2y)}};
        c.Polygon(pts, 4);
    } else {
        const TPoint pts[3] = {{I32(tx), I32(ty)}, {I32(*b1x), I32(*b1y)}, {I32(*b2x), I32(*b2y)}};
        c.Polygon(pts, 3);
    }
}

// Vertical shaft: barbs exactly L back along the shaft and 1.5 * Scale to each side; each
// barb's x is rounded as a whole (at scale 1 the half pixel goes to the even neighbour).
void DrawVerticalHead(TCanvas& c, int64_t tx, int64_t ty, int64_t back, int32_t scale, double k, bool notched)
{
    const auto left = RoundPix(static_cast<double>(tx) - 1.5 * scale);
    const auto right = RoundPix(static_cast<double>(tx) + 1.5 * scale);
    const auto ny = RoundPix(static_cast<double>(ty) + k * static_cast<double>(back));
    const int64_t by = ty + back;
    if (!left || !right || !ny || !Fits(by))
        return;
    const TPoint b1{I32(*left), I32(by)}, b2{I32(*right), I32(by)};
    if (notched) {
        const TPoint pts[4] = {{I32(tx), I32(ty)}, b1, {I32(tx), I32(*ny)}, b2};
        c.Polygon(pts, 4);
    } else {
        const TPoint pts[3] = {{I32(tx), I32(ty)}, b1, b2};
        c.Polygon(pts, 3);
    }
}

void DrawArrowLine(TCanvas& c, const TShapeRec& s, const TShapeParams& p, int64_t sx1, int64_t sy1,
                   int64_t sx2, int64_t sy2, int32_t w)
{
    if (!p.HeadsFirst)
        DrawLineShape(c, sx1, sy1, sx2, sy2, w);
    if (style::Filled(s.Style))
        c.SetBrushColor(p.FillColor);
    const int32_t type = ArrowTypeOf(s.Style);
    const double len = 4.0 * p.Scale;
    const bool notched = !(type == 1 || type == 4);
    const double k = (type == 2 || type == 5) ? 2.0 / 3.0 : (type == 3 || type == 6) ? 0.25 : 0.0;
    const bool both = type >= 4;
    if (sx1 != sx2) {
        double a = std::atan(static_cast<double>(sy2 - sy1) / static_cast<double>(sx2 - sx1));
        if (sx2 < sx1)
            a += kPi;
        DrawHead(c, sx2, sy2, a, len, k, notched);
        if (both)
            DrawHead(c, sx1, sy1, a + kPi, len, k, notched);
    } else {
        const int64_t d = sy2 > sy1 ? -4 * static_cast<int64_t>(p.Scale) : 4 * static_cast<int64_t>(p.Scale);
        DrawVerticalHead(c, sx2, sy2, d, p.Scale, k, notched);
        if (both)
            DrawVerticalHead(c, sx1, sy1, -d, p.Scale, k, notched);
    }
    if (p.HeadsFirst)
        DrawLineShape(c, sx1, sy1, sx2, sy2, w);
}

// One period over [sx1, sx2], sampled at every pixel column; only the columns that can be
// seen are walked, so a wave from a file spanning 10^9 pixels costs no more than the view.
void DrawSine(TCanvas& c, int64_t sx1, int64_t sy1, int64_t sx2, int64_t sy2, int64_t margin,
              bool styled)
{
    if (sx1 > sx2)
        std::swap(sx1, sx2);
    if (sx1 == sx2)
        return;   // no period to draw
    const int64_t amp = sy1 - sy2;
    if (!Fits(sy1 + amp))
        return;
    const double span = static_cast<double>(sx2 - sx1);
    auto yAt = [&](int64_t x) {
        const double v = static_cast<double>(sy1)
                         - static_cast<double>(amp) * std::sin(static_cast<double>(2 * (x - sx1)) * kPi / span);
        return static_cast<int32_t>(std::nearbyint(v));
    };
    // A segment ending at column x touches columns x - 1 and x.
    const int64_t firstVisible = -margin, lastVisible = c.Width() - 1 + margin;
    int64_t xs = std::max(sx1, firstVisible - 1);
    const int64_t xe = std::min(sx2, lastVisible + 1);
    if (xs > xe)
        return;
    // Dash patterns run on along the curve: walk a short skipped prefix so the phase matches.
    constexpr int64_t kPhaseWalk = 1 << 16;
    if (styled && xs - sx1 <= kPhaseWalk)
        xs = sx1;
    c.MoveTo(I32(xs), xs == sx1 ? I32(sy1) : yAt(xs));
    for (int64_t x = xs; x <= xe; ++x)
        c.LineTo(I32(x), yAt(x));
}

bool g_quickReject = true;

// The view as the quick test of shapes needs it, taken out of the loop.
struct TShapeView {
    int64_t OffX, OffY, Scale, OriginX, OriginY, Width, Height;
};

// Whether DrawShape draws nothing of s, judged from the record alone and without a branch on
// its kind: one box holds every kind's reach (the span of the two points in each direction
// covers arcs, arrow heads' bases and sine amplitudes, 5 units the arrow heads, 20 pixels any
// pen, and a circle adds its radius). In 64 bits nothing overflows; a shape whose pixels do
// not fit 32 bits draws nothing anyway, and a kind DrawShape does not know neither.
// Where a shape's pixels can lie: the span of its two points on the screen and how far its
// kind reaches beyond them in X and in Y.
struct TShapeReach {
    int64_t LoX, HiX, LoY, HiY, Reach, ReachY;
};
inline TShapeReach ShapeReachOf(const TShapeRec& s, const TShapeView& v)
{
    const int64_t sx1 = (s.X1 + v.OffX) * v.Scale + v.OriginX, sy1 = (s.Y1 + v.OffY) * v.Scale + v.OriginY;
    const int64_t sx2 = (s.X2 + v.OffX) * v.Scale + v.OriginX, sy2 = (s.Y2 + v.OffY) * v.Scale + v.OriginY;
    const int64_t loX = sx1 < sx2 ? sx1 : sx2, hiX = sx1 < sx2 ? sx2 : sx1;
    const int64_t loY = sy1 < sy2 ? sy1 : sy2, hiY = sy1 < sy2 ? sy2 : sy1;
    const int64_t rr = v.Scale * s.Y2;   // four times a circle's radius in pixels
    const int64_t radius = s.Kind == 4 ? (rr < 0 ? -rr : rr) / 4 + 1 : 0;
    const int64_t fixed = 5 * v.Scale + 20 + radius;
    const int64_t reach = (hiX - loX) + (hiY - loY) + fixed;
    // Vertically only an arrow head's base (half the head's length to each side) takes the
    // horizontal span; arcs and sine waves reach the vertical span beyond their points.
    const int64_t reachY = (hiY - loY) + (s.Kind == 6 ? hiX - loX : 0) + fixed;
    return {loX, hiX, loY, hiY, reach, reachY};
}

// Whether DrawShape draws nothing of s, judged from the record alone and without a branch on
// its kind: one box holds every kind's reach (the span of the two points in each direction
// covers arcs, arrow heads' bases and sine amplitudes, 5 units the arrow heads, 20 pixels any
// pen, and a circle adds its radius). In 64 bits nothing overflows; a shape whose pixels do
// not fit 32 bits draws nothing anyway, and a kind DrawShape does not know neither.
inline bool ShapeSurelyOff(const TShapeRec& s, const TShapeView& v)
{
    const TShapeReach b = ShapeReachOf(s, v);
    // Without short cuts: which side a record lies on is random, so branches would mispredict.
    return (b.HiX + b.Reach < 0) | (b.LoX - b.Reach >= v.Width) | (b.HiY + b.Reach < 0) |
           (b.LoY - b.Reach >= v.Height);
}

// The pen and brush DrawShape leaves behind for a shape it draws nothing of: the pen from the
// Style word, the brush clear, and for a filled arrow head whose pixels fit, the fill brush.
void ShapeStateOnly(TCanvas& canvas, const TShapeRec& s, const TShapeParams& p, const TShapeView& v)
{
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.SetPenStyle(PenStyleFor(s.Style));
    const int32_t w = PenWidthOf(s.Style);
    canvas.SetPenWidth(w > 1 ? w : 1);
    if (s.Kind == 6 && style::Filled(s.Style) && Fits((s.X1 + v.OffX) * v.Scale + v.OriginX) &&
        Fits((s.Y1 + v.OffY) * v.Scale + v.OriginY) && Fits((s.X2 + v.OffX) * v.Scale + v.OriginX) &&
        Fits((s.Y2 + v.OffY) * v.Scale + v.OriginY))
        canvas.SetBrushColor(p.FillColor);
}

// Where the selected records of a list lie: from the first to just past the last; the pass
// that draws only selected records walks that run alone.
template <class It>
struct TSelRun {
    It First{}, End{};
    bool Any = false;
    void Note(It it)
    {
        if (!Any) {
            First = it;
            Any = true;
        }
        End = std::next(it);
    }
};

// Draws a run of shapes, passing over those surely off the canvas without a call; only the
// state the last one would have left is set, as every drawn shape sets its own first.
template <class It>
void DrawShapes(TCanvas& canvas, It first, It end, int64_t offX, int64_t offY, const TShapeParams& p,
                bool selectedOnly, TSelRun<It>* sel = nullptr)
{
    const TShapeView v{offX, offY, p.Scale, p.OriginX, p.OriginY, canvas.Width(), canvas.Height()};
    const bool quick = g_quickReject;
    const TShapeRec* skipped = nullptr;
    for (It it = first; it != end; ++it) {
        const TShapeRec& s = *it;
        if (s.Selected > 0) {
            if (sel != nullptr)
                sel->Note(it);
        } else if (selectedOnly) {
            continue;
        }
        if (quick && ShapeSurelyOff(s, v)) {
            skipped = &s;
            continue;
        }
        skipped = nullptr;
        DrawShape(canvas, &s, offX, offY, p);
    }
    if (skipped != nullptr)
        ShapeStateOnly(canvas, *skipped, p, v);
}

template <class List>
void DrawShapes(TCanvas& canvas, const List& shapes, int64_t offX, int64_t offY, const TShapeParams& p,
                bool selectedOnly)
{
    DrawShapes(canvas, shapes.begin(), shapes.end(), offX, offY, p, selectedOnly);
}

} // namespace

void SetQuickReject(bool on) { g_quickReject = on; }

int32_t PrimaryScreenWidth()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        if (const QScreen* s = QGuiApplication::primaryScreen())
            if (s->geometry().width() > 0)
                return s->geometry().width();
    return 1920;
}

void DrawShape(TCanvas& canvas, const TShapeRec* shape, int64_t offX, int64_t offY, const TShapeParams& p)
{
    if (shape == nullptr)
        return;
    const TShapeRec& s = *shape;
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.SetPenStyle(PenStyleFor(s.Style));
    const int32_t w = PenWidthOf(s.Style);
    canvas.SetPenWidth(1);
    if (w > 1)
        canvas.SetPenWidth(w);
    const int32_t k = s.Kind;
    if (!(k >= 1 && k <= 6) && k != 11 && k != 12)
        return;

    const int64_t sc = p.Scale;
    const int64_t sx1 = (s.X1 + offX) * sc + p.OriginX, sy1 = (s.Y1 + offY) * sc + p.OriginY;
    const int64_t sx2 = (s.X2 + offX) * sc + p.OriginX, sy2 = (s.Y2 + offY) * sc + p.OriginY;
    if (!Fits(sx1) || !Fits(sy1))
        return;
    // Circles only read the first point.
    if (k != 4 && (!Fits(sx2) || !Fits(sy2)))
        return;
    const bool filled = style::Filled(s.Style);
    const int64_t pen = std::max<int32_t>(w, 1);
    switch (k) {
    case 1: {
        const Cull cull(canvas, pen + 1);
        if (cull.Misses(sx1, sy1, sx2, sy2))
            return;
        DrawLineShape(canvas, sx1, sy1, sx2, sy2, w);
        break;
    }
    case 2:
    case 3: {
        const int64_t l = std::min(sx1, sx2), r = std::max(sx1, sx2) + 1;
        const int64_t t = std::min(sy1, sy2), b = std::max(sy1, sy2) + 1;
        if (!Fits(r) || !Fits(b))
            return;
        if (Cull(canvas, pen + 1).Misses(l, t, r, b))
            return;
        if (filled)
            canvas.SetBrushColor(p.FillColor);
        if (k == 2)
            canvas.Rectangle(I32(l), I32(t), I32(r), I32(b));
        else
            canvas.Ellipse(I32(l), I32(t), I32(r), I32(b));
        break;
    }
    case 4: {
        const int64_t rr = sc * s.Y2 / 4;
        const int64_t r = rr < 0 ? -rr : rr;
        const int64_t l = sx1 - r, t = sy1 - r, rgt = sx1 + r + 1, b = sy1 + r + 1;
        if (!Fits(l) || !Fits(t) || !Fits(rgt) || !Fits(b))
            return;
        if (Cull(canvas, pen + 1).Misses(l, t, rgt, b))
            return;
        if (filled)
            canvas.SetBrushColor(p.FillColor);
        canvas.Ellipse(I32(l), I32(t), I32(rgt), I32(b));
        break;
    }
    case 5:
        if (p.ArcRule == TArcRule::Picker)
            DrawPickerArc(canvas, sx1, sy1, sx2, sy2, Cull(canvas, pen + 1));
        else
            DrawArcShape(canvas, sx1, sy1, sx2, sy2, p.ArcRadius, Cull(canvas, pen + 1));
        break;
    case 6:
        if (filled)
            canvas.SetBrushColor(p.FillColor);
        DrawTriangle(canvas, s, offX, offY, p, sx1, sy1, Cull(canvas, pen + 1));
        break;
    case 11: {
        const Cull cull(canvas, pen + 1 + 5 * sc);
        if (cull.Misses(sx1, sy1, sx2, sy2))
            return;
        DrawArrowLine(canvas, s, p, sx1, sy1, sx2, sy2, w);
        break;
    }
    case 12: {
        if (!p.DrawSine)
            return;
        const int64_t amp = sy1 - sy2 < 0 ? sy2 - sy1 : sy1 - sy2;
        if (Cull(canvas, pen + 1).Misses(sx1, sy1 - amp, sx2, sy1 + amp))
            return;
        DrawSine(canvas, sx1, sy1, sx2, sy2, pen + 1, canvas.Pen().Style != TPenStyle::Solid && w <= 1);
        break;
    }
    default:
        break;
    }
}

namespace {
// The size rule of TextPointSize with a step of any size, in 64 bits.
int64_t PointSizeForStep(int64_t n, int32_t scale, int current)
{
    switch (scale) {
    case 1: return 2 * n + 2;
    case 2: return 3 * n + 4;
    case 4: return 6 * n + 6;
    case 8: return 12 * n + 12;
    default: return current;
    }
}
} // namespace

namespace {
// TextPointSize where the loops over many texts can inline it.
inline int PointsOf(int32_t fontWord, int32_t scale, int current)
{
    return static_cast<int>(PointSizeForStep(font::SizeStep(fontWord), scale, current));
}
} // namespace

int TextPointSize(int32_t fontWord, int32_t scale, int current) { return PointsOf(fontWord, scale, current); }

int32_t TextAngle(int32_t fontWord)
{
    const int32_t a = font::Angle(fontWord) % 360;
    return a < 0 ? a + 360 : a;
}

const char* TextFontName(int32_t fontWord) { return font::IsSymbol(fontWord) ? "Symbol" : "Times New Roman"; }

namespace {
// The font name of a text, written only when it changes: most texts share one.
inline void SetTextFontName(TFontSpec& f, int32_t fontWord)
{
    const std::string_view name = font::IsSymbol(fontWord) ? std::string_view("Symbol") : std::string_view("Times New Roman");
    if (std::string_view(f.Name) != name)
        f.Name.assign(name.data(), name.size());
}
} // namespace

void AngleTextOut(TCanvas& canvas, int32_t angle, int32_t x, int32_t y, std::string_view text)
{
    int32_t a = angle % 360;
    if (a < 0)
        a += 360;
    const int saved = canvas.Font().Escapement;
    canvas.Font().Escapement = 10 * a;
    canvas.TextOut(x, y, text);
    canvas.Font().Escapement = saved;
}

bool FreeTextPos(const TTextRec& t, int32_t scale, int32_t offsetX, int32_t offsetY, TPoint& out)
{
    const int64_t x = (static_cast<int64_t>(t.X) - 10 * static_cast<int64_t>(offsetX)) * scale / 10;
    const int64_t y = (static_cast<int64_t>(t.Y) - 10 * static_cast<int64_t>(offsetY)) * scale / 10;
    if (!Fits(x) || !Fits(y))
        return false;
    out = {I32(x), I32(y)};
    return true;
}

TFontSpec FreeTextFont(const TTextRec& t, int32_t scale)
{
    TFontSpec f;
    f.Name = TextFontName(t.Font);
    f.Size = TextPointSize(t.Font, scale, f.Size);
    return f;
}

TSize FreeTextExtent(const TTextRec& t, int32_t scale) { return TextExtentOf(FreeTextFont(t, scale), t.Text); }

TRect FreeTextPixelBox(const TTextRec& t, const TRenderView& view)
{
    TPoint p;
    if (!FreeTextPos(t, view.Scale, view.OffsetX, view.OffsetY, p))
        return {};
    const TSize sz = FreeTextExtent(t, view.Scale);
    const int32_t a = TextAngle(t.Font);
    // Corners of the cell rotated counter-clockwise on the screen (y down) about p.
    const double rad = a * kPi / 180.0;
    const double c = std::cos(rad), s = std::sin(rad);
    const double xs[4] = {0.0, static_cast<double>(sz.Width), static_cast<double>(sz.Width), 0.0};
    const double ys[4] = {0.0, 0.0, static_cast<double>(sz.Height), static_cast<double>(sz.Height)};
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        const double rx = xs[i] * c + ys[i] * s;
        const double ry = -xs[i] * s + ys[i] * c;
        minX = std::min(minX, rx); maxX = std::max(maxX, rx);
        minY = std::min(minY, ry); maxY = std::max(maxY, ry);
    }
    const int64_t l = p.X + static_cast<int64_t>(std::floor(minX + 1e-9));
    const int64_t r = p.X + static_cast<int64_t>(std::ceil(maxX - 1e-9));
    const int64_t tp = p.Y + static_cast<int64_t>(std::floor(minY + 1e-9));
    const int64_t b = p.Y + static_cast<int64_t>(std::ceil(maxY - 1e-9));
    if (!Fits(l) || !Fits(r) || !Fits(tp) || !Fits(b))
        return {};
    return {I32(l), I32(tp), I32(r), I32(b)};
}

namespace {
// A text can reach at most this far from its reference point in any direction.
bool TextMisses(const TCanvas& c, int64_t x, int64_t y, const TFontSpec& f, size_t len)
{
    const int64_t px = FontPixelSize(std::abs(f.Size));
    const int64_t reach = 2 * px * (static_cast<int64_t>(len) + 1);
    return x + reach < 0 || y + reach < 0 || x - reach >= c.Width() || y - reach >= c.Height();
}
} // namespace

namespace {
// Farther than any glyph of a text of len bytes at points can reach from its reference point:
// TextMisses's reach with the pixel size rounded up.
inline bool TextSurelyOff(int64_t x, int64_t y, int points, std::size_t len, int64_t width, int64_t height)
{
    const int64_t px = static_cast<int64_t>(std::abs(points)) * 4 / 3 + 1;
    const int64_t reach = 2 * px * (static_cast<int64_t>(len) + 1);
    return (x + reach < 0) | (y + reach < 0) | (x - reach >= width) | (y - reach >= height);
}

// Whether DrawFreeText would draw nothing of t; false when its position does not fit, as
// DrawFreeText then returns before it sets the font.
inline bool FreeTextSurelyOff(const TTextRec& t, const TRenderView& v, int points, int64_t width, int64_t height)
{
    const int64_t x = (static_cast<int64_t>(t.X) - 10 * static_cast<int64_t>(v.OffsetX)) * v.Scale / 10;
    const int64_t y = (static_cast<int64_t>(t.Y) - 10 * static_cast<int64_t>(v.OffsetY)) * v.Scale / 10;
    if (!Fits(x) || !Fits(y))
        return false;
    return t.Text.empty() || TextSurelyOff(x, y, PointsOf(t.Font, v.Scale, points), t.Text.size(), width, height);
}

// The font and brush DrawFreeText leaves behind for a text it draws nothing of.
void FreeTextStateOnly(TCanvas& canvas, const TTextRec& t, const TRenderView& view)
{
    TFontSpec& f = canvas.Font();
    SetTextFontName(f, t.Font);
    f.Bold = f.Italic = f.Underline = false;
    f.Size = TextPointSize(t.Font, view.Scale, f.Size);
    f.Color = t.Selected != 0 ? view.SelColor : view.TextColor;
    canvas.SetBrushStyle(TBrushStyle::Clear);
}

// Whether DrawCompText (by the editor's steps) would draw nothing of t.
inline bool CompTextSurelyOff(const TTextRec& t, int64_t cx, int64_t cy, int32_t halfScale, int points,
                              int64_t width, int64_t height)
{
    const int64_t x = (static_cast<int64_t>(t.X) + 20 * cx) * halfScale / 10;
    const int64_t y = (static_cast<int64_t>(t.Y) + 20 * cy) * halfScale / 10;
    return !Fits(x) || !Fits(y) || t.Text.empty() ||
           TextSurelyOff(x, y, PointsOf(t.Font, halfScale, points), t.Text.size(), width, height);
}

// Whether DrawComp would draw nothing of c: every shape and text surely off. It starts its
// texts at 12 points, and a skipped text leaves the size as it was.
bool CompSurelyOff(const TCompRec& c, int64_t ox, int64_t oy, int32_t halfScale, const TShapeParams& p,
                   int64_t width, int64_t height)
{
    const TShapeView v{2 * ox, 2 * oy, p.Scale, p.OriginX, p.OriginY, width, height};
    for (const TShapeRec& s : c.Shapes)
        if (!ShapeSurelyOff(s, v))
            return false;
    for (const TTextRec& t : c.Texts)
        if (!CompTextSurelyOff(t, ox, oy, halfScale, 12, width, height))
            return false;
    return true;
}
} // namespace

void DrawFreeText(TCanvas& canvas, const TTextRec& t, const TRenderView& view)
{
    TPoint p;
    if (!FreeTextPos(t, view.Scale, view.OffsetX, view.OffsetY, p))
        return;
    FreeTextStateOnly(canvas, t, view);
    const TFontSpec& f = canvas.Font();
    if (t.Text.empty() || TextMisses(canvas, p.X, p.Y, f, t.Text.size()))
        return;
    AngleTextOut(canvas, TextAngle(t.Font), p.X, p.Y, t.Text);
}

void DrawCompText(TCanvas& canvas, const TTextRec& t, int64_t cx, int64_t cy, int32_t halfScale,
                  TCompTextSteps steps)
{
    const int64_t x = (static_cast<int64_t>(t.X) + 20 * cx) * halfScale / 10;
    const int64_t y = (static_cast<int64_t>(t.Y) + 20 * cy) * halfScale / 10;
    TFontSpec& f = canvas.Font();
    SetTextFontName(f, t.Font);
    f.Bold = f.Italic = f.Underline = false;
    if (steps == TCompTextSteps::AllBits) {
        const int64_t size = PointSizeForStep(std::max<int32_t>(t.Font / 16, 1), halfScale, f.Size);
        if (size > kMaxCompTextPoints)
            return;
        f.Size = static_cast<int>(size);
    } else {
        f.Size = TextPointSize(t.Font, halfScale, f.Size);
    }
    if (!Fits(x) || !Fits(y) || t.Text.empty() || TextMisses(canvas, x, y, f, t.Text.size()))
        return;
    const int saved = f.Escapement;
    f.Escapement = 0;
    canvas.TextOut(I32(x), I32(y), t.Text);
    canvas.Font().Escapement = saved;
}

void DrawComp(TCanvas& canvas, const TCompRec* comp, int64_t ox, int64_t oy, bool drawTexts,
              int32_t halfScale, TColor fillColor, int32_t arcRadius)
{
    if (comp == nullptr)
        return;
    const TShapeParams p{halfScale, fillColor, arcRadius};
    // Each shape sets the brush clear first, as the loop did before drawing it.
    DrawShapes(canvas, comp->Shapes, 2 * ox, 2 * oy, p, false);
    if (!drawTexts)
        return;
    TFontSpec& f = canvas.Font();
    f.Size = 12;
    f.Bold = f.Italic = f.Underline = false;
    canvas.SetBrushStyle(TBrushStyle::Clear);
    const int64_t width = canvas.Width(), height = canvas.Height();
    const TTextRec* skipped = nullptr;
    for (const TTextRec& t : comp->Texts) {
        // A text passed over only sets the font; the next one drawn sets it again.
        if (g_quickReject && CompTextSurelyOff(t, ox, oy, halfScale, f.Size, width, height)) {
            skipped = &t;
            continue;
        }
        skipped = nullptr;
        DrawCompText(canvas, t, ox, oy, halfScale);
    }
    if (skipped != nullptr) {
        SetTextFontName(f, skipped->Font);
        f.Size = TextPointSize(skipped->Font, halfScale, f.Size);
    }
}

namespace {
// Top-left of a 6-pixel box centred near the pixel of a world point; hidden on overflow.
THandleBox BoxAtWorld(int64_t x, int64_t y, const TRenderView& v)
{
    const int64_t px = (x - v.OffsetX) * v.Scale - 2, py = (y - v.OffsetY) * v.Scale - 2;
    if (!Fits(px) || !Fits(py))
        return {};
    return {true, I32(px), I32(py)};
}
} // namespace

THandleBoxes HandleBoxesFor(const TShapeRec* hitShape, const TTextRec* hitText, const TCompRec* hitComp,
                            const TRenderView& view)
{
    THandleBoxes b;
    if (hitShape != nullptr) {
        const TShapeRec& s = *hitShape;
        if (s.Selected < 1)
            return b;
        switch (s.Kind) {
        case 1: case 2: case 3: case 5: case 11:
            b.MoveBox = BoxAtWorld((static_cast<int64_t>(s.X1) + s.X2) / 2, (static_cast<int64_t>(s.Y1) + s.Y2) / 2, view);
            b.ReszeBox1 = BoxAtWorld(s.X2, s.Y2, view);
            b.ReszeBox2 = BoxAtWorld(s.X1, s.Y1, view);
            break;
        case 6: case 12:
            b.MoveBox = BoxAtWorld(s.X1, s.Y1, view);
            b.ReszeBox1 = BoxAtWorld(s.X2, s.Y2, view);
            break;
        case 4: {
            b.MoveBox = BoxAtWorld(s.X1, s.Y1, view);
            const bool dot = (s.X2 > -5 && s.X2 < 5) && style::Filled(s.Style);
            if (!dot) {
                const int64_t q = s.Y2 / 4;
                b.ReszeBox1 = BoxAtWorld(s.X1 + (q < 0 ? -q : q), s.Y1, view);
            }
            break;
        }
        default:
            break;
        }
        return b;
    }
    if (hitText != nullptr) {
        if (hitText->Selected > 0) {
            const int64_t px = (static_cast<int64_t>(hitText->X) - 10 * static_cast<int64_t>(view.OffsetX)) * view.Scale / 10 - 2;
            const int64_t py = (static_cast<int64_t>(hitText->Y) - 10 * static_cast<int64_t>(view.OffsetY)) * view.Scale / 10 - 2;
            if (Fits(px) && Fits(py))
                b.MoveBox = {true, I32(px), I32(py)};
        }
        return b;
    }
    if (hitComp != nullptr && hitComp->Selected > 0)
        b.MoveBox = BoxAtWorld(hitComp->X, hitComp->Y, view);
    return b;
}

std::string ShapeCountText(int count) { return " Shape Count:  " + std::to_string(count); }

TComposeResult DrawCirc(TCanvas& canvas, const TSchModel& model, const TRenderView& view,
                        const QImage* background, const TShapeRec* hitShape, const TTextRec* hitText,
                        const TCompRec* hitComp)
{
    TComposeResult res;
    if (background != nullptr && !background->isNull() && background->width() > 0 && background->height() > 0) {
        for (int y = 0; y < canvas.Height(); y += 80)
            for (int x = 0; x < canvas.Width(); x += 80)
                canvas.Draw(x, y, *background);
    }
    canvas.SetPenWidth(1);
    canvas.SetPenMode(TPenMode::Copy);
    canvas.SetPenStyle(TPenStyle::Solid);
    canvas.SetPenColor(view.LineColor);
    canvas.SetBrushColor(view.FillColor);
    canvas.SetBrushStyle(TBrushStyle::Clear);

    const TShapeParams sp = view.Shape();
    const int64_t offX = -static_cast<int64_t>(view.OffsetX), offY = -static_cast<int64_t>(view.OffsetY);
    TSelRun<TShapeList::const_iterator> selShapes;
    DrawShapes(canvas, model.ShapeList.begin(), model.ShapeList.end(), offX, offY, sp, false, &selShapes);
    res.ShapeCount += static_cast<int>(model.ShapeList.size());

    const int32_t half = view.Scale / 2;
    canvas.SetPenColor(view.LineColor);
    canvas.Font().Color = view.TextColor;
    canvas.Font().Bold = canvas.Font().Italic = canvas.Font().Underline = false;
    canvas.SetBrushStyle(TBrushStyle::Clear);
    TSelRun<TCompList::const_iterator> selComps;
    {
        // A component drawing nothing is passed over; of a run of them only the state is owed,
        // and each piece of it comes from the last one that sets it: the pen from the last with
        // shapes, the font's name from the last with texts, the rest from the last of all (the
        // brush colour is the fill colour throughout). Those are composed, in order, before the
        // next component drawn and at the end; none of them draws a pixel.
        const TShapeParams cp{half, view.FillColor, view.ArcRadius};
        const int64_t width = canvas.Width(), height = canvas.Height();
        struct TOwed {
            const TCompRec* Comp = nullptr;
            std::size_t Seq = 0;
        };
        TOwed owed[3];   // the last passed over with shapes, with texts, and of all
        auto drawComp = [&](const TCompRec& c) {
            DrawComp(canvas, &c, static_cast<int64_t>(c.X) + offX, static_cast<int64_t>(c.Y) + offY, true, half,
                     view.FillColor, view.ArcRadius);
        };
        auto settle = [&] {
            if (owed[2].Comp == nullptr)
                return;
            // Oldest first; one owed twice is composed once.
            std::sort(owed, owed + 3, [](const TOwed& x, const TOwed& y) { return x.Seq < y.Seq; });
            for (int i = 0; i < 3; ++i)
                if (owed[i].Comp != nullptr && (i == 0 || owed[i].Comp != owed[i - 1].Comp))
                    drawComp(*owed[i].Comp);
            owed[0] = owed[1] = owed[2] = TOwed{};
        };
        const bool quick = g_quickReject;
        std::size_t seq = 0;
        for (auto it = model.CompList.begin(); it != model.CompList.end(); ++it, ++seq) {
            const TCompRec& c = *it;
            if (c.Selected > 0)
                selComps.Note(it);
            ++res.ShapeCount;
            if (quick && CompSurelyOff(c, static_cast<int64_t>(c.X) + offX, static_cast<int64_t>(c.Y) + offY, half, cp,
                                       width, height)) {
                const TOwed o{&c, seq};
                if (!c.Shapes.empty())
                    owed[0] = o;
                if (!c.Texts.empty())
                    owed[1] = o;
                owed[2] = o;
                continue;
            }
            settle();
            drawComp(c);
        }
        settle();
    }

    canvas.Font().Bold = canvas.Font().Italic = canvas.Font().Underline = false;
    canvas.SetBrushStyle(TBrushStyle::Clear);
    {
        const int64_t width = canvas.Width(), height = canvas.Height();
        const TTextRec* skipped = nullptr;
        for (const TTextRec& t : model.TextList) {
            if (g_quickReject && FreeTextSurelyOff(t, view, canvas.Font().Size, width, height)) {
                skipped = &t;
                continue;
            }
            skipped = nullptr;
            DrawFreeText(canvas, t, view);
        }
        if (skipped != nullptr)
            FreeTextStateOnly(canvas, *skipped, view);
    }

    canvas.SetPenWidth(1);
    canvas.SetPenColor(view.SelColor);
    canvas.SetBrushColor(view.FillColor);
    if (!g_quickReject)
        selShapes = {model.ShapeList.begin(), model.ShapeList.end(), true};
    if (selShapes.Any)
        DrawShapes(canvas, selShapes.First, selShapes.End, offX, offY, sp, true);

    canvas.SetPenWidth(1);
    canvas.SetPenColor(view.SelColor);
    canvas.Font().Color = view.SelColor;
    canvas.Font().Bold = canvas.Font().Italic = canvas.Font().Underline = false;
    // Every component clears the brush before the selected ones draw: outside the selected
    // run that leaves nothing but a clear brush.
    if (!model.CompList.empty())
        canvas.SetBrushStyle(TBrushStyle::Clear);
    if (!g_quickReject)
        selComps = {model.CompList.begin(), model.CompList.end(), true};
    if (selComps.Any) {
        for (auto it = selComps.First; it != selComps.End; ++it) {
            const TCompRec& c = *it;
            canvas.SetBrushStyle(TBrushStyle::Clear);
            if (c.Selected > 0)
                DrawComp(canvas, &c, static_cast<int64_t>(c.X) + offX, static_cast<int64_t>(c.Y) + offY, true, half,
                         view.FillColor, view.ArcRadius);
        }
        if (selComps.End != model.CompList.end())
            canvas.SetBrushStyle(TBrushStyle::Clear);
    }

    res.Boxes = HandleBoxesFor(hitShape, hitText, hitComp, view);
    return res;
}

namespace {
// Whether the toolkit's painter draws some of the shape: wide pens, and dashed or dotted
// curves and arrow heads; thin lines, boxes and solid curves are our own rows.
bool PainterDrawsShape(const TShapeRec& s)
{
    if (PenWidthOf(s.Style) > 1)
        return true;
    if (PenStyleFor(s.Style) == TPenStyle::Solid)
        return false;
    return s.Kind == 3 || s.Kind == 4 || s.Kind == 5 || s.Kind == 6 || s.Kind == 11;
}

template <class List>
void PainterShapeRows(const List& shapes, const TShapeView& v, std::vector<TRowSpan>& out)
{
    for (const TShapeRec& s : shapes) {
        if (!PainterDrawsShape(s) || ShapeSurelyOff(s, v))
            continue;
        const TShapeReach b = ShapeReachOf(s, v);
        out.push_back({b.LoY - b.ReachY, b.HiY + b.ReachY});
    }
}
} // namespace

void PainterRowSpans(const TSchModel& model, const TRenderView& view, int64_t width, int64_t height,
                     std::vector<TRowSpan>& out)
{
    constexpr TRowSpan kEverywhere{std::numeric_limits<int64_t>::min() / 4, std::numeric_limits<int64_t>::max() / 4};
    const TShapeParams sp = view.Shape();
    const int64_t offX = -static_cast<int64_t>(view.OffsetX), offY = -static_cast<int64_t>(view.OffsetY);
    PainterShapeRows(model.ShapeList, {offX, offY, sp.Scale, sp.OriginX, sp.OriginY, width, height}, out);
    const int32_t half = view.Scale / 2;
    for (const TCompRec& c : model.CompList) {
        // Component texts are never rotated; their shapes are drawn at half the scale.
        const int64_t ox = static_cast<int64_t>(c.X) + offX, oy = static_cast<int64_t>(c.Y) + offY;
        PainterShapeRows(c.Shapes, {2 * ox, 2 * oy, half, 0, 0, width, height}, out);
    }
    for (const TTextRec& t : model.TextList) {
        if (TextAngle(t.Font) % 360 == 0)
            continue;
        // At a scale without a size rule a text takes the size the one before it left.
        const int points = TextPointSize(t.Font, view.Scale, -1);
        if (points < 0) {
            out.push_back(kEverywhere);
            continue;
        }
        if (FreeTextSurelyOff(t, view, points, width, height))
            continue;
        TPoint p;
        if (!FreeTextPos(t, view.Scale, view.OffsetX, view.OffsetY, p))
            continue;   // drawn nowhere
        const TRect box = FreeTextPixelBox(t, view);
        if (box == TRect{}) {
            out.push_back(kEverywhere);
            continue;
        }
        // Glyphs may stand out of their cell by up to a pixel size.
        const int64_t margin = FontPixelSize(points) + 2;
        out.push_back({int64_t{box.Top} - margin, int64_t{box.Bottom} + margin});
    }
}
