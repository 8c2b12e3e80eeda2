#include "platform/canvas.h"

#include "platform/fonts.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest is Latin-1. Unassigned bytes stay as their code.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Cosmetic dash patterns, pixels on then off, repeating.
struct DashPattern {
    std::array<bool, 24> on{};
    int period = 1;
};

DashPattern MakePattern(std::initializer_list<int> runs)
{
    DashPattern p;
    int n = 0;
    bool on = true;
    for (int r : runs) {
        for (int i = 0; i < r; ++i)
            p.on[static_cast<size_t>(n++)] = on;
        on = !on;
    }
    p.period = n;
    return p;
}

const DashPattern& PatternFor(TPenStyle s)
{
    static const DashPattern solid = MakePattern({1});
    static const DashPattern dash = MakePattern({18, 6});
    static const DashPattern dot = MakePattern({3, 3});
    static const DashPattern dashDot = MakePattern({9, 6, 3, 6});
    static const DashPattern dashDotDot = MakePattern({9, 3, 3, 3, 3, 3});
    switch (s) {
    case TPenStyle::Dash: return dash;
    case TPenStyle::Dot: return dot;
    case TPenStyle::DashDot: return dashDot;
    case TPenStyle::DashDotDot: return dashDotDot;
    case TPenStyle::Solid: break;
    }
    return solid;
}

QList<qreal> QtDashes(TPenStyle s)
{
    switch (s) {
    case TPenStyle::Dash: return {18, 6};
    case TPenStyle::Dot: return {3, 3};
    case TPenStyle::DashDot: return {9, 6, 3, 6};
    case TPenStyle::DashDotDot: return {9, 3, 3, 3, 3, 3};
    case TPenStyle::Solid: break;
    }
    return {};
}

inline void Plot(uint32_t* p, TPenMode mode, uint32_t rgb)
{
    switch (mode) {
    case TPenMode::Copy: *p = rgb; break;
    case TPenMode::Xor: *p ^= (rgb & 0x00FFFFFFu); break;
    case TPenMode::Not: *p = ~*p | 0xFF000000u; break;
    }
}

QPainter::CompositionMode QtMode(TPenMode m)
{
    switch (m) {
    case TPenMode::Xor: return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::Not: return QPainter::RasterOp_NotDestination;
    case TPenMode::Copy: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

int EffectiveWidth(int w) { return std::clamp(w, 1, 255); }

// Clips the segment p0-p1 to the box by Liang-Barsky; false when nothing is left.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double minX, double minY,
                 double maxX, double maxY)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - minX, maxX - x0, y0 - minY, maxY - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
    const double nx1 = x0 + t1 * dx, ny1 = y0 + t1 * dy;
    x0 = nx0; y0 = ny0; x1 = nx1; y1 = ny1;
    return true;
}

// Floor division for 64-bit values with a positive divisor.
inline int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

int FontPixelSize(int points)
{
    return static_cast<int>(std::lrint(static_cast<double>(points) * 96.0 / 72.0));
}

QFont MakeQFont(const TFontSpec& f)
{
    QFont q(ResolveFontFamily(f.Name));
    q.setPixelSize(std::max(1, FontPixelSize(std::abs(f.Size))));
    q.setBold(f.Bold);
    q.setItalic(f.Italic);
    q.setUnderline(f.Underline);
    q.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    q.setKerning(false);
    return q;
}

QString FontText(const TFontSpec& f, std::string_view bytes)
{
    QString s;
    s.resize(static_cast<qsizetype>(bytes.size()));
    const bool symbol = IsSymbolFontName(f.Name);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char16_t c = b;
        if (!symbol && b >= 0x80 && b < 0xA0)
            c = kCp1252High[b - 0x80];
        s[static_cast<qsizetype>(i)] = QChar(c);
    }
    return s;
}

namespace {
// Fonts and their metrics are built once per distinct description.
struct FontCache {
    struct Entry {
        TFontSpec spec;
        QFont font;
        QFontMetrics metrics;
        QRawFont raw;   // glyphs looked up straight from the font's character map
    };
    std::vector<Entry> entries;
    const Entry& Get(const TFontSpec& f)
    {
        TFontSpec key = f;
        key.Color = 0;
        key.Escapement = 0;
        for (const Entry& e : entries)
            if (e.spec == key)
                return e;
        if (entries.size() >= 64)
            entries.erase(entries.begin());
        QFont q = MakeQFont(key);
        entries.push_back({key, q, QFontMetrics(q), QRawFont::fromFont(q)});
        return entries.back();
    }
};
FontCache& Fonts()
{
    static FontCache cache;
    static const bool hooked = [] {
        // Fonts must go before the application does.
        qAddPostRoutine([] { Fonts().entries.clear(); });
        return true;
    }();
    (void)hooked;
    return cache;
}
} // namespace

TSize TextExtentOf(const TFontSpec& f, std::string_view bytes)
{
    const auto& e = Fonts().Get(f);
    return {e.metrics.horizontalAdvance(FontText(f, bytes)), e.metrics.ascent() + e.metrics.descent()};
}

QImage NewBitmap(int width, int height, TColor fill)
{
    QImage img(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
    img.fill(ColorToRgb(fill));
    return img;
}

struct TImageCanvas::Impl {
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int w = 0;
    int h = 0;
    QPainter painter;

    uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(bits + stride * y); }

    QPainter& Begin(QImage& img)
    {
        if (!painter.isActive()) {
            painter.begin(&img);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setRenderHint(QPainter::TextAntialiasing, false);
        }
        return painter;
    }
};

TImageCanvas::TImageCanvas(QImage& image) : image_(image), d_(std::make_unique<Impl>())
{
    if (image_.format() != QImage::Format_RGB32)
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    d_->bits = image_.bits();
    d_->stride = image_.bytesPerLine();
    d_->w = image_.width();
    d_->h = image_.height();
    // Painting stays active for the canvas's life: copies of the image taken meanwhile are
    // then deep copies, so our direct pixel writes never reach them.
    if (d_->w > 0 && d_->h > 0)
        d_->Begin(image_);
}

TImageCanvas::~TImageCanvas()
{
    if (d_->painter.isActive())
        d_->painter.end();
}

TColor TImageCanvas::Pixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= d_->w || y >= d_->h)
        return 0;
    return RgbToColor(d_->Row(y)[x]);
}

void TImageCanvas::SetPixel(int32_t x, int32_t y, TColor c)
{
    if (x < 0 || y < 0 || x >= d_->w || y >= d_->h)
        return;
    d_->Row(y)[x] = ColorToRgb(c);
}

namespace {

// Sets the painter up for the current pen and brush; styled pens of width 1 are cosmetic
// dash patterns, wider pens draw solid with round caps and joins.
void ApplyPen(QPainter& p, const TPen& pen, bool useBrush, const TBrush& brush, bool forceSolid,
              TColor solidColor)
{
    const int w = EffectiveWidth(pen.Width);
    QPen qp(QColor::fromRgb(ColorToRgb(forceSolid ? solidColor : pen.Color)));
    if (w <= 1) {
        qp.setWidth(0);
        qp.setCosmetic(true);
        if (!forceSolid && pen.Style != TPenStyle::Solid)
            qp.setDashPattern(QtDashes(pen.Style));
    } else {
        qp.setWidth(w);
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::RoundJoin);
    }
    p.setPen(qp);
    if (useBrush && brush.Style == TBrushStyle::Solid)
        p.setBrush(QColor::fromRgb(ColorToRgb(brush.Color)));
    else
        p.setBrush(Qt::NoBrush);
    p.setCompositionMode(QtMode(pen.Mode));
}

} // namespace

void TImageCanvas::LineTo(int32_t x, int32_t y)
{
    const TPoint from = pos_;
    pos_ = {x, y};
    const int w = EffectiveWidth(pen_.Width);
    const int64_t x0 = from.X, y0 = from.Y, x1 = x, y1 = y;
    const int64_t adx = x1 >= x0 ? x1 - x0 : x0 - x1;
    const int64_t ady = y1 >= y0 ? y1 - y0 : y0 - y1;
    const int64_t steps = std::max(adx, ady);
    if (steps == 0)
        return;

    if (!d_->painter.isActive())
        return;   // an empty image
    if (w > 1) {
        dashPhase_ += steps;
        // Cut the segment to the view widened by the pen, so far-away ends cost nothing.
        double fx0 = static_cast<double>(x0) + 0.5, fy0 = static_cast<double>(y0) + 0.5;
        double fx1 = static_cast<double>(x1) + 0.5, fy1 = static_cast<double>(y1) + 0.5;
        const double m = w + 2.0;
        if (!ClipSegment(fx0, fy0, fx1, fy1, -m, -m, d_->w + m, d_->h + m))
            return;
        QPainter& p = d_->Begin(image_);
        ApplyPen(p, pen_, false, brush_, false, 0);
        p.drawLine(QPointF(fx0, fy0), QPointF(fx1, fy1));
        return;
    }

    const DashPattern& pat = PatternFor(pen_.Style);
    const bool styled = pen_.Style != TPenStyle::Solid;
    const bool opaque = brush_.Style == TBrushStyle::Solid;
    const uint32_t fg = ColorToRgb(pen_.Color);
    const uint32_t bg = ColorToRgb(brush_.Color);
    const int64_t phase0 = dashPhase_;
    dashPhase_ += steps;

    // Pixel i (0 <= i < steps) lies i steps along the major axis; the minor coordinate is
    // the nearest to the exact line, halves toward the end point.
    const bool xMajor = adx >= ady;
    const int64_t sMaj = xMajor ? (x1 >= x0 ? 1 : -1) : (y1 >= y0 ? 1 : -1);
    const int64_t sMin = xMajor ? (y1 >= y0 ? 1 : -1) : (x1 >= x0 ? 1 : -1);
    const int64_t dMaj = xMajor ? adx : ady;
    const int64_t dMin = xMajor ? ady : adx;
    const int64_t maj0 = xMajor ? x0 : y0;
    const int64_t min0 = xMajor ? y0 : x0;
    const int64_t majLimit = xMajor ? d_->w : d_->h;
    const int64_t minLimit = xMajor ? d_->h : d_->w;

    // Visible range of i along the major axis.
    int64_t iLo, iHi;   // inclusive
    if (sMaj > 0) {
        iLo = -maj0;
        iHi = majLimit - 1 - maj0;
    } else {
        iLo = maj0 - (majLimit - 1);
        iHi = maj0;
    }
    iLo = std::max<int64_t>(iLo, 0);
    iHi = std::min<int64_t>(iHi, steps - 1);
    if (iLo > iHi)
        return;
    // Narrow further by the minor axis: minor offset m(i) = floor((2 i dMin + dMaj) / (2 dMaj))
    // grows with i, so the visible i form one range; find it by bisection on the offset.
    auto minorAt = [&](int64_t i) {
        // 2 * i * dMin fits: i and dMin are below 2^33.
        const __int128 num = static_cast<__int128>(2) * i * dMin + dMaj;
        return min0 + sMin * static_cast<int64_t>(num / (2 * static_cast<__int128>(dMaj)));
    };
    auto visibleMinor = [&](int64_t v) { return v >= 0 && v < minLimit; };
    // First i whose minor value has reached the view, and last i before it leaves it.
    auto firstWhere = [&](int64_t lo, int64_t hi, auto pred) {
        // smallest i in [lo, hi] with pred(i) true, pred monotone false->true; hi + 1 if none
        while (lo <= hi) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (pred(mid))
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        return lo;
    };
    const int64_t minEnd = min0 + sMin * dMin;
    const bool minorInside = visibleMinor(min0) && visibleMinor(minEnd);
    if (dMin > 0 && !minorInside) {
        if (sMin > 0) {
            iLo = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) >= 0; });
            iHi = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) >= minLimit; }) - 1;
        } else {
            iLo = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) < minLimit; });
            iHi = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) < 0; }) - 1;
        }
    } else if (dMin == 0 && !visibleMinor(min0)) {
        return;
    }
    if (iLo > iHi)
        return;
    // Walk incrementally: the remainder of (2 i dMin + dMaj) / (2 dMaj) grows by 2 dMin a step.
    const int64_t twoMaj = 2 * dMaj, twoMin = 2 * dMin;
    int64_t mn = minorAt(iLo);
    int64_t rem = static_cast<int64_t>((static_cast<__int128>(2) * iLo * dMin + dMaj) % twoMaj);
    int64_t maj = maj0 + sMaj * iLo;
    for (int64_t i = iLo; i <= iHi; ++i) {
        const int64_t px = xMajor ? maj : mn;
        const int64_t py = xMajor ? mn : maj;
        if (px >= 0 && py >= 0 && px < d_->w && py < d_->h) {
            uint32_t* dst = d_->Row(static_cast<int>(py)) + px;
            if (!styled || pat.on[static_cast<size_t>((phase0 + i) % pat.period)])
                Plot(dst, pen_.Mode, fg);
            else if (opaque)
                Plot(dst, pen_.Mode, bg);
        }
        maj += sMaj;
        rem += twoMin;
        if (rem >= twoMaj) {
            rem -= twoMaj;
            mn += sMin;
        }
    }
}

void TImageCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    int64_t l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1)
        return;
    const int w = EffectiveWidth(pen_.Width);
    if (w > 1) {
        // Cut to the view widened by the pen so the edges we invent lie outside it.
        const int64_t m = w + 4;
        const int64_t cl = std::max<int64_t>(l, -m), ct = std::max<int64_t>(t, -m);
        const int64_t cr = std::min<int64_t>(r, d_->w + m), cb = std::min<int64_t>(b, d_->h + m);
        if (cl >= cr || ct >= cb)
            return;
        QPainter& p = d_->Begin(image_);
        ApplyPen(p, pen_, true, brush_, false, 0);
        p.drawRect(QRectF(cl + 0.5, ct + 0.5, static_cast<double>(cr - cl - 1), static_cast<double>(cb - ct - 1)));
        return;
    }
    const TPoint savePos = pos_;
    const int64_t savePhase = dashPhase_;
    // Inside first, then the outline with each pixel touched once (XOR drawn twice restores).
    if (brush_.Style == TBrushStyle::Solid && r - l > 2 && b - t > 2) {
        const int64_t fl = std::max<int64_t>(l + 1, 0), fr = std::min<int64_t>(r - 1, d_->w);
        const int64_t ft = std::max<int64_t>(t + 1, 0), fb = std::min<int64_t>(b - 1, d_->h);
        const uint32_t bg = ColorToRgb(brush_.Color);
        for (int64_t yy = ft; yy < fb; ++yy) {
            uint32_t* row = d_->Row(static_cast<int>(yy));
            for (int64_t xx = fl; xx < fr; ++xx)
                Plot(row + xx, pen_.Mode, bg);
        }
    }
    // The corners are within 32 bits since the box came in as 32-bit values.
    const auto L = static_cast<int32_t>(l), T = static_cast<int32_t>(t);
    const auto R = static_cast<int32_t>(r - 1), B = static_cast<int32_t>(b - 1);
    if (R == L || B == T) {
        // A one-pixel-wide box is a single line including both ends.
        MoveTo(L, T);
        if (R == L && B == T) {
            LineTo(L + 1, T);
        } else if (R == L) {
            LineTo(L, B + 1);
        } else {
            LineTo(R + 1, T);
        }
    } else {
        MoveTo(L, T);
        LineTo(R, T);
        LineTo(R, B);
        LineTo(L, B);
        LineTo(L, T);
    }
    pos_ = savePos;
    dashPhase_ = savePhase;
}

namespace {
// The normalised box of an ellipse or arc; false when it is empty or lies well outside the
// image (a margin keeps wide pens at the edge).
bool CurveBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int w, int h, int64_t& l, int64_t& t,
              int64_t& r, int64_t& b)
{
    l = std::min(x1, x2);
    r = std::max(x1, x2);
    t = std::min(y1, y2);
    b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1)
        return false;
    return !(r <= -256 || b <= -256 || l >= w + 256 || t >= h + 256);
}
} // namespace

void TImageCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    int64_t l, t, r, b;
    if (!CurveBox(x1, y1, x2, y2, d_->w, d_->h, l, t, r, b))
        return;
    QPainter& p = d_->Begin(image_);
    const int w = EffectiveWidth(pen_.Width);
    const bool styled = w <= 1 && pen_.Style != TPenStyle::Solid;
    const QRectF box(l + 0.5, t + 0.5, static_cast<double>(r - l - 1), static_cast<double>(b - t - 1));
    if (styled && brush_.Style == TBrushStyle::Solid) {
        ApplyPen(p, pen_, true, brush_, true, brush_.Color);
        p.drawEllipse(box);
        ApplyPen(p, pen_, false, brush_, false, 0);
    } else {
        ApplyPen(p, pen_, true, brush_, false, 0);
    }
    p.drawEllipse(box);
}

void TImageCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                       int32_t x4, int32_t y4)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    int64_t l, t, r, b;
    if (!CurveBox(x1, y1, x2, y2, d_->w, d_->h, l, t, r, b))
        return;
    const QRectF box(l + 0.5, t + 0.5, static_cast<double>(r - l - 1), static_cast<double>(b - t - 1));
    const double cx = (static_cast<double>(l) + static_cast<double>(r)) / 2.0;
    const double cy = (static_cast<double>(t) + static_cast<double>(b)) / 2.0;
    const double a = box.width() / 2.0, bb = box.height() / 2.0;
    // Ray angles (y up) turned into the ellipse's own parameter, which the path takes.
    auto param = [&](double px, double py) {
        const double dx = px - cx, dy = cy - py;
        return std::atan2(dy * a, dx * bb) * 180.0 / M_PI;
    };
    const double start = param(x3, y3);
    double sweep = param(x4, y4) - start;
    while (sweep <= 0.0)
        sweep += 360.0;
    while (sweep > 360.0)
        sweep -= 360.0;
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    QPainter& p = d_->Begin(image_);
    const int w = EffectiveWidth(pen_.Width);
    if (w <= 1 && pen_.Style != TPenStyle::Solid && brush_.Style == TBrushStyle::Solid) {
        ApplyPen(p, pen_, false, brush_, true, brush_.Color);
        p.drawPath(path);
    }
    ApplyPen(p, pen_, false, brush_, false, 0);
    p.drawPath(path);
}

void TImageCanvas::Polygon(const TPoint* pts, int count)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    if (count < 2 || pts == nullptr)
        return;
    QPolygonF poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i)
        poly.append(QPointF(pts[i].X + 0.5, pts[i].Y + 0.5));
    QPainter& p = d_->Begin(image_);
    const int w = EffectiveWidth(pen_.Width);
    if (w <= 1 && pen_.Style != TPenStyle::Solid && brush_.Style == TBrushStyle::Solid) {
        ApplyPen(p, pen_, true, brush_, true, brush_.Color);
        p.drawPolygon(poly, Qt::OddEvenFill);
        ApplyPen(p, pen_, false, brush_, false, 0);
    } else {
        ApplyPen(p, pen_, true, brush_, false, 0);
    }
    p.drawPolygon(poly, Qt::OddEvenFill);
}

void TImageCanvas::FillRect(const TRect& r)
{
    const int l = std::max(r.Left, 0), t = std::max(r.Top, 0);
    const int rr = std::min(r.Right, d_->w), b = std::min(r.Bottom, d_->h);
    if (l >= rr || t >= b)
        return;
    const uint32_t c = ColorToRgb(brush_.Color);
    for (int y = t; y < b; ++y)
        std::fill(d_->Row(y) + l, d_->Row(y) + rr, c);
}

void TImageCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    if (text.empty())
        return;
    const auto& fe = Fonts().Get(font_);
    const QString s = FontText(font_, text);
    QPainter& p = d_->Begin(image_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // One glyph per byte at its advance, as the single-byte text is meant: no shaping.
    QGlyphRun run;
    bool useRun = fe.raw.isValid();
    QList<QPointF> positions;
    if (useRun) {
        const QList<quint32> glyphs = fe.raw.glyphIndexesForString(s);
        const QList<QPointF> advances = fe.raw.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances);
        useRun = glyphs.size() == s.size() && advances.size() == glyphs.size();
        if (useRun) {
            positions.reserve(glyphs.size());
            qreal pen = 0;
            for (const QPointF& a : advances) {
                positions.append(QPointF(pen, 0));
                pen += a.x();
            }
            run.setRawFont(fe.raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
        }
    }
    const bool rotated = (font_.Escapement % 3600) != 0;
    QPointF origin(x, y);
    if (rotated) {
        p.translate(x, y);
        p.rotate(-font_.Escapement / 10.0);
        origin = QPointF(0, 0);
    }
    if (brush_.Style == TBrushStyle::Solid) {
        const int width = fe.metrics.horizontalAdvance(s);
        p.fillRect(QRectF(origin, QSizeF(width, fe.metrics.ascent() + fe.metrics.descent())),
                   QColor::fromRgb(ColorToRgb(brush_.Color)));
    }
    p.setPen(QColor::fromRgb(ColorToRgb(font_.Color)));
    if (useRun) {
        p.drawGlyphRun(origin + QPointF(0, fe.metrics.ascent()), run);
    } else {
        p.setFont(fe.font);
        p.drawText(origin + QPointF(0, fe.metrics.ascent()), s);
    }
    if (rotated)
        p.resetTransform();
}

void TImageCanvas::Draw(int32_t x, int32_t y, const QImage& src)
{
    if (src.isNull())
        return;
    const QImage* s = &src;
    QImage converted;
    if (src.format() != QImage::Format_RGB32 && src.format() != QImage::Format_ARGB32) {
        converted = src.convertToFormat(QImage::Format_RGB32);
        s = &converted;
    }
    const int64_t l = std::max<int64_t>(x, 0), t = std::max<int64_t>(y, 0);
    const int64_t r = std::min<int64_t>(static_cast<int64_t>(x) + s->width(), d_->w);
    const int64_t b = std::min<int64_t>(static_cast<int64_t>(y) + s->height(), d_->h);
    if (l >= r || t >= b)
        return;
    const bool opaque = s->format() == QImage::Format_RGB32;
    for (int64_t yy = t; yy < b; ++yy) {
        const auto* srow = reinterpret_cast<const uint32_t*>(s->constScanLine(static_cast<int>(yy - y)));
        uint32_t* drow = d_->Row(static_cast<int>(yy));
        if (opaque) {
            std::memcpy(drow + l, srow + (l - x), static_cast<size_t>(r - l) * 4);
        } else {
            for (int64_t xx = l; xx < r; ++xx)
                drow[xx] = srow[xx - x] | 0xFF000000u;
        }
    }
}

void TImageCanvas::CopyRect(const TRect& dst, const QImage& src, const TRect& srcRect)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    if (src.isNull())
        return;
    const QRect d(dst.Left, dst.Top, dst.Right - dst.Left, dst.Bottom - dst.Top);
    const QRect sr(srcRect.Left, srcRect.Top, srcRect.Right - srcRect.Left, srcRect.Bottom - srcRect.Top);
    if (d.isEmpty() || sr.isEmpty())
        return;
    if (d.size() == sr.size()) {
        Draw(dst.Left, dst.Top, src.copy(sr));
        return;
    }
    QPainter& p = d_->Begin(image_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(d, src, sr);
}
