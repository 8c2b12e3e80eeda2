#include "platform/canvas.h"

#include "platform/fonts.h"
#include "platform/glyph_runs.h"
#include "platform/raster.h"
#include "platform/sys/memory.h"

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
        std::shared_ptr<TGlyphSet> glyphs;
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
        QRawFont raw = QRawFont::fromFont(q);
        std::array<char16_t, 256> chars{};
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            chars[static_cast<size_t>(b)] = FontText(key, std::string_view(&c, 1))[0].unicode();
        }
        entries.push_back({key, q, QFontMetrics(q), raw, std::make_shared<TGlyphSet>(raw, chars)});
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

namespace {
// The block's size is kept in its first page; the pixels start page-aligned on the next.
constexpr size_t kMapHeader = 4096;

void ReleaseMapping(void* base)
{
    sys::GiveLarge(base, *static_cast<const size_t*>(base));
}
} // namespace

QImage NewImageRgb32(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    const uint64_t bytes = uint64_t{static_cast<uint32_t>(width)} * 4u * static_cast<uint32_t>(height);
    if (bytes >= sys::kHugePage && bytes <= (uint64_t{1} << 40)) {
        size_t span = static_cast<size_t>((bytes + kMapHeader + sys::kHugePage - 1) & ~(sys::kHugePage - 1));
        if (void* base = sys::TakeLarge(span)) {
            *static_cast<size_t*>(base) = span;
            QImage img(static_cast<uchar*>(base) + kMapHeader, width, height, qsizetype{width} * 4,
                       QImage::Format_RGB32, ReleaseMapping, base);
            if (!img.isNull())
                return img;
            sys::GiveLarge(base, span);
        }
    }
    return QImage(width, height, QImage::Format_RGB32);
}

QImage NewBitmap(int width, int height, TColor fill)
{
    QImage img = NewImageRgb32(width, height);
    img.fill(ColorToRgb(fill));
    return img;
}

struct TImageCanvas::Impl {
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int w = 0;
    int h = 0;
    QPainter painter;
    // Scratch of the polygon rows, kept to spare an allocation per arrow head.
    std::vector<uint8_t> mask;
    std::vector<int64_t> polyX, polyY;
    std::vector<double> crossings;
    std::vector<raster::TSpan> spans;
    std::vector<int64_t> bounds;   // ellipse row boundaries

    // What the painter was last given, so unchanged pens and brushes are not set again.
    struct PainterState {
        TColor penColor = 0;
        int width = -1;
        TPenStyle style = TPenStyle::Solid;
        bool brush = false;
        TColor brushColor = 0;
        TPenMode mode = TPenMode::Copy;
        bool operator==(const PainterState&) const = default;
    };
    PainterState applied;
    bool appliedValid = false;

    uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(bits + stride * y); }

    QPainter& Begin(QImage& img)
    {
        if (!painter.isActive()) {
            painter.begin(&img);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setRenderHint(QPainter::TextAntialiasing, false);
            appliedValid = false;
        }
        return painter;
    }

    // Sets the painter up for the current pen and brush; styled pens of width 1 are cosmetic
    // dash patterns, wider pens draw solid with round caps and joins.
    void ApplyPen(const TPen& pen, bool useBrush, const TBrush& brush, bool forceSolid, TColor solidColor)
    {
        const int w = EffectiveWidth(pen.Width);
        PainterState want;
        want.penColor = forceSolid ? solidColor : pen.Color;
        want.width = w;
        want.style = (w <= 1 && !forceSolid) ? pen.Style : TPenStyle::Solid;
        want.brush = useBrush && brush.Style == TBrushStyle::Solid;
        want.brushColor = want.brush ? brush.Color : 0;
        want.mode = pen.Mode;
        if (appliedValid && want == applied)
            return;
        QPen qp(QColor::fromRgb(ColorToRgb(want.penColor)));
        if (w <= 1) {
            qp.setWidth(0);
            qp.setCosmetic(true);
            if (want.style != TPenStyle::Solid)
                qp.setDashPattern(QtDashes(want.style));
        } else {
            qp.setWidth(w);
            qp.setCapStyle(Qt::RoundCap);
            qp.setJoinStyle(Qt::RoundJoin);
        }
        painter.setPen(qp);
        if (want.brush)
            painter.setBrush(QColor::fromRgb(ColorToRgb(want.brushColor)));
        else
            painter.setBrush(Qt::NoBrush);
        painter.setCompositionMode(QtMode(want.mode));
        applied = want;
        appliedValid = true;
    }
    // Any other change of the painter's state (text, image copies) calls this.
    void Touched() { appliedValid = false; }

    void PolygonThin(const TPen& pen, const TBrush& brush, const TPoint* pts, int count, int64_t originY);
};

TImageCanvas::TImageCanvas(QImage& image, int32_t originY)
    : image_(image), originY_(std::max<int32_t>(originY, 0)), d_(std::make_unique<Impl>())
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
    const int64_t dy = int64_t{y} - originY_;
    if (x < 0 || dy < 0 || x >= d_->w || dy >= d_->h)
        return 0;
    return RgbToColor(d_->Row(static_cast<int>(dy))[x]);
}

void TImageCanvas::SetPixel(int32_t x, int32_t y, TColor c)
{
    const int64_t dy = int64_t{y} - originY_;
    if (x < 0 || dy < 0 || x >= d_->w || dy >= d_->h)
        return;
    d_->Row(static_cast<int>(dy))[x] = ColorToRgb(c);
}

void TImageCanvas::LineTo(int32_t x, int32_t y)
{
    const TPoint from = pos_;
    pos_ = {x, y};
    const int w = EffectiveWidth(pen_.Width);
    // Pixel rows of the image: the picture's rows less the origin.
    const int64_t x0 = from.X, y0 = int64_t{from.Y} - originY_, x1 = x, y1 = int64_t{y} - originY_;
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
        d_->ApplyPen(pen_, false, brush_, false, 0);
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

    raster::WalkLine(x0, y0, x1, y1, d_->w, d_->h, [&](int64_t px, int64_t py, int64_t i) {
        uint32_t* dst = d_->Row(static_cast<int>(py)) + px;
        if (!styled || pat.on[static_cast<size_t>((phase0 + i) % pat.period)])
            Plot(dst, pen_.Mode, fg);
        else if (opaque)
            Plot(dst, pen_.Mode, bg);
    });
}

void TImageCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    int64_t l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1)
        return;
    // The outline goes through LineTo in the picture's rows; the inside and the painter work
    // in the image's rows.
    const int32_t logicalT = static_cast<int32_t>(t), logicalB = static_cast<int32_t>(b - 1);
    t -= originY_;
    b -= originY_;
    const int w = EffectiveWidth(pen_.Width);
    if (w > 1) {
        // Cut to the view widened by the pen so the edges we invent lie outside it.
        const int64_t m = w + 4;
        const int64_t cl = std::max<int64_t>(l, -m), ct = std::max<int64_t>(t, -m);
        const int64_t cr = std::min<int64_t>(r, d_->w + m), cb = std::min<int64_t>(b, d_->h + m);
        if (cl >= cr || ct >= cb)
            return;
        QPainter& p = d_->Begin(image_);
        d_->ApplyPen(pen_, true, brush_, false, 0);
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
    const auto L = static_cast<int32_t>(l), T = logicalT;
    const auto R = static_cast<int32_t>(r - 1), B = logicalB;
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
bool CurveBox(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int w, int h, int64_t& l, int64_t& t,
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

namespace {
// Plots [x0, x1] of a row, cut to [0, w).
inline void PlotSpan(uint32_t* row, int64_t x0, int64_t x1, int64_t w, TPenMode mode, uint32_t rgb)
{
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, w - 1);
    if (x0 > x1)
        return;
    if (mode == TPenMode::Copy) {
        std::fill(row + x0, row + x1 + 1, rgb);
        return;
    }
    for (int64_t x = x0; x <= x1; ++x)
        Plot(row + x, mode, rgb);
}
} // namespace

void TImageCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    int64_t l, t, r, b;
    if (!CurveBox(x1, int64_t{y1} - originY_, x2, int64_t{y2} - originY_, d_->w, d_->h, l, t, r, b))
        return;
    const int w = EffectiveWidth(pen_.Width);
    if (w <= 1 && pen_.Style == TPenStyle::Solid) {
        // Our own rows: each pixel is touched once, so XOR drawn twice restores.
        const raster::EllipseRows rows(l, t, r, b, 0, d_->h, d_->bounds);
        const uint32_t fg = ColorToRgb(pen_.Color);
        const uint32_t bg = ColorToRgb(brush_.Color);
        const bool fill = brush_.Style == TBrushStyle::Solid;
        for (int64_t y = rows.First(); y < rows.Last(); ++y) {
            const raster::EllipseRow e = rows.Row(y);
            uint32_t* row = d_->Row(static_cast<int>(y));
            PlotSpan(row, e.a0, e.a1, d_->w, pen_.Mode, fg);
            if (fill)
                PlotSpan(row, e.a1 + 1, e.b0 - 1, d_->w, pen_.Mode, bg);
            PlotSpan(row, e.b0, e.b1, d_->w, pen_.Mode, fg);
        }
        return;
    }
    QPainter& p = d_->Begin(image_);
    const bool styled = w <= 1 && pen_.Style != TPenStyle::Solid;
    const QRectF box(l + 0.5, t + 0.5, static_cast<double>(r - l - 1), static_cast<double>(b - t - 1));
    if (styled && brush_.Style == TBrushStyle::Solid) {
        d_->ApplyPen(pen_, true, brush_, true, brush_.Color);
        p.drawEllipse(box);
        d_->ApplyPen(pen_, false, brush_, false, 0);
    } else {
        d_->ApplyPen(pen_, true, brush_, false, 0);
    }
    p.drawEllipse(box);
}

void TImageCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3in,
                       int32_t x4, int32_t y4in)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    int64_t l, t, r, b;
    if (!CurveBox(x1, int64_t{y1} - originY_, x2, int64_t{y2} - originY_, d_->w, d_->h, l, t, r, b))
        return;
    const int64_t y3 = int64_t{y3in} - originY_, y4 = int64_t{y4in} - originY_;
    const int w = EffectiveWidth(pen_.Width);
    if (w <= 1 && pen_.Style == TPenStyle::Solid) {
        // Pixels of the ellipse outline whose direction from the centre lies on the sweep;
        // doubled coordinates keep the half-pixel centre exact.
        const int64_t sx = l + r - 1, sy = t + b - 1;
        const raster::ArcSweep sweep(2 * int64_t{x3} - sx, sy - 2 * y3, 2 * int64_t{x4} - sx, sy - 2 * y4);
        // Rows the sweep reaches: its end points on the ellipse and the top or bottom between.
        int64_t yLo = t, yHi = b;
        const double a = static_cast<double>(r - 1 - l) / 2.0, bs = static_cast<double>(b - 1 - t) / 2.0;
        if (a > 0.0 && bs > 0.0) {
            auto yOn = [&](double dx, double dy) {
                const double k = 1.0 / std::sqrt((dx / a) * (dx / a) + (dy / bs) * (dy / bs));
                return std::isfinite(k) ? k * dy : 0.0;   // y up, from the centre
            };
            const double ys = yOn(2.0 * x3 - sx, static_cast<double>(sy - 2 * y3)),
                         ye = yOn(2.0 * x4 - sx, static_cast<double>(sy - 2 * y4));
            double hi = std::max(ys, ye), lo = std::min(ys, ye);
            if (sweep.Holds(0, 1))
                hi = bs;
            if (sweep.Holds(0, -1))
                lo = -bs;
            const double cy = static_cast<double>(sy) / 2.0;
            yLo = std::max<int64_t>(t, static_cast<int64_t>(std::floor(cy - hi)) - 1);
            yHi = std::min<int64_t>(b, static_cast<int64_t>(std::ceil(cy - lo)) + 2);
        }
        const raster::EllipseRows rows(l, t, r, b, std::max<int64_t>(yLo, 0), std::min<int64_t>(yHi, d_->h),
                                       d_->bounds);
        const uint32_t fg = ColorToRgb(pen_.Color);
        auto part = [&](uint32_t* row, int64_t y, int64_t from, int64_t to) {
            from = std::max<int64_t>(from, 0);
            to = std::min<int64_t>(to, d_->w - 1);
            for (int64_t x = from; x <= to; ++x)
                if (sweep.Holds(2 * x - sx, sy - 2 * y))
                    Plot(row + x, pen_.Mode, fg);
        };
        for (int64_t y = rows.First(); y < rows.Last(); ++y) {
            const raster::EllipseRow e = rows.Row(y);
            uint32_t* row = d_->Row(static_cast<int>(y));
            part(row, y, e.a0, e.a1);
            part(row, y, e.b0, e.b1);
        }
        return;
    }
    const QRectF box(l + 0.5, t + 0.5, static_cast<double>(r - l - 1), static_cast<double>(b - t - 1));
    const double cx = (static_cast<double>(l) + static_cast<double>(r)) / 2.0;
    const double cy = (static_cast<double>(t) + static_cast<double>(b)) / 2.0;
    const double a = box.width() / 2.0, bb = box.height() / 2.0;
    // Ray angles (y up) turned into the ellipse's own parameter, which the path takes.
    auto param = [&](double px, double py) {
        const double dx = px - cx, dy = cy - py;
        return std::atan2(dy * a, dx * bb) * 180.0 / M_PI;
    };
    const double start = param(x3, static_cast<double>(y3));
    double sweep = param(x4, static_cast<double>(y4)) - start;
    while (sweep <= 0.0)
        sweep += 360.0;
    while (sweep > 360.0)
        sweep -= 360.0;
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    QPainter& p = d_->Begin(image_);
    if (w <= 1 && pen_.Style != TPenStyle::Solid && brush_.Style == TBrushStyle::Solid) {
        d_->ApplyPen(pen_, false, brush_, true, brush_.Color);
        p.drawPath(path);
    }
    d_->ApplyPen(pen_, false, brush_, false, 0);
    p.drawPath(path);
}

void TImageCanvas::Polygon(const TPoint* pts, int count)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    if (count < 2 || pts == nullptr)
        return;
    const int w = EffectiveWidth(pen_.Width);
    if (w <= 1 && pen_.Style == TPenStyle::Solid) {
        d_->PolygonThin(pen_, brush_, pts, count, originY_);
        return;
    }
    QPolygonF poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i)
        poly.append(QPointF(pts[i].X + 0.5, static_cast<double>(int64_t{pts[i].Y} - originY_) + 0.5));
    QPainter& p = d_->Begin(image_);
    if (w <= 1 && pen_.Style != TPenStyle::Solid && brush_.Style == TBrushStyle::Solid) {
        d_->ApplyPen(pen_, true, brush_, true, brush_.Color);
        p.drawPolygon(poly, Qt::OddEvenFill);
        d_->ApplyPen(pen_, false, brush_, false, 0);
    } else {
        d_->ApplyPen(pen_, true, brush_, false, 0);
    }
    p.drawPolygon(poly, Qt::OddEvenFill);
}

void TImageCanvas::Impl::PolygonThin(const TPen& pen, const TBrush& brush, const TPoint* pts, int count,
                                     int64_t originY)
{
    // Corners in the image's rows.
    polyX.resize(static_cast<size_t>(count));
    polyY.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        polyX[static_cast<size_t>(i)] = pts[i].X;
        polyY[static_cast<size_t>(i)] = int64_t{pts[i].Y} - originY;
    }
    int64_t minX = polyX[0], maxX = polyX[0], minY = polyY[0], maxY = polyY[0];
    bool any = false;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, polyX[static_cast<size_t>(i)]);
        maxX = std::max(maxX, polyX[static_cast<size_t>(i)]);
        minY = std::min(minY, polyY[static_cast<size_t>(i)]);
        maxY = std::max(maxY, polyY[static_cast<size_t>(i)]);
        any = any || pts[i] != pts[0];
    }
    const int64_t bx0 = std::max<int64_t>(minX, 0), by0 = std::max<int64_t>(minY, 0);
    const int64_t bx1 = std::min<int64_t>(maxX, w - 1), by1 = std::min<int64_t>(maxY, h - 1);
    if (bx0 > bx1 || by0 > by1)
        return;
    const uint32_t fg = ColorToRgb(pen.Color);
    const uint32_t bg = ColorToRgb(brush.Color);
    if (!any) {   // all corners on one point: that pixel
        Plot(Row(static_cast<int>(polyY[0])) + polyX[0], pen.Mode, fg);
        return;
    }
    // In copy mode the outline simply covers the inside drawn first. Other modes must touch
    // each pixel once (XOR drawn twice restores), so the outline is marked in a mask over the
    // visible box first and the inside leaves it out.
    const bool once = pen.Mode != TPenMode::Copy;
    const int64_t bw = bx1 - bx0 + 1;
    auto outline = [&](auto&& fn) {
        for (int i = 0; i < count; ++i) {
            const size_t a = static_cast<size_t>(i), b = static_cast<size_t>(i + 1 == count ? 0 : i + 1);
            raster::WalkLine(polyX[a], polyY[a], polyX[b], polyY[b], w, h, fn);
        }
    };
    auto maskAt = [&](int64_t px, int64_t py) -> uint8_t& {
        return mask[static_cast<size_t>((py - by0) * bw + (px - bx0))];
    };
    if (once) {
        mask.assign(static_cast<size_t>(bw * (by1 - by0 + 1)), 0);
        outline([&](int64_t px, int64_t py, int64_t) { maskAt(px, py) = 1; });
    }
    if (brush.Style == TBrushStyle::Solid) {
        for (int64_t y = by0; y <= by1; ++y) {
            uint32_t* row = Row(static_cast<int>(y));
            raster::PolygonRowSpans(polyX.data(), polyY.data(), count, y, crossings, spans);
            for (const raster::TSpan& s : spans) {
                const int64_t x0 = std::max(s.x0, bx0), x1 = std::min(s.x1, bx1);
                for (int64_t x = x0; x <= x1; ++x)
                    if (!once || !maskAt(x, y))
                        Plot(row + x, pen.Mode, bg);
            }
        }
    }
    outline([&](int64_t px, int64_t py, int64_t) {
        if (once) {
            uint8_t& m = maskAt(px, py);
            if (m == 2)
                return;
            m = 2;
        }
        Plot(Row(static_cast<int>(py)) + px, pen.Mode, fg);
    });
}

void TImageCanvas::FillRect(const TRect& r)
{
    const int l = std::max(r.Left, 0), rr = std::min(r.Right, d_->w);
    const int64_t t = std::max<int64_t>(int64_t{r.Top} - originY_, 0);
    const int64_t b = std::min<int64_t>(int64_t{r.Bottom} - originY_, d_->h);
    if (l >= rr || t >= b)
        return;
    const uint32_t c = ColorToRgb(brush_.Color);
    for (int64_t y = t; y < b; ++y)
        std::fill(d_->Row(static_cast<int>(y)) + l, d_->Row(static_cast<int>(y)) + rr, c);
}

void TImageCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    if (!d_->painter.isActive())
        return;   // an empty image
    if (text.empty())
        return;
    const auto& fe = Fonts().Get(font_);
    const bool rotated = (font_.Escapement % 3600) != 0;
    const int64_t dy = int64_t{y} - originY_;
    if (!rotated && !font_.Underline && TextFromGlyphs(x, dy, text, fe.glyphs.get(), fe.metrics))
        return;
    const QString s = FontText(font_, text);
    QPainter& p = d_->Begin(image_);
    d_->Touched();
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
    QPointF origin(x, static_cast<double>(dy));
    if (rotated) {
        p.translate(x, static_cast<double>(dy));
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

bool TImageCanvas::TextFromGlyphs(int64_t x, int64_t y, std::string_view text, TGlyphSet* set,
                                  const QFontMetrics& metrics)
{
    if (set == nullptr)
        return false;
    for (char c : text)
        if (!set->Get(static_cast<unsigned char>(c)).usable)
            return false;
    if (brush_.Style == TBrushStyle::Solid) {
        const int64_t width = metrics.horizontalAdvance(FontText(font_, text));
        const int64_t l = std::max<int64_t>(x, 0), t = std::max<int64_t>(y, 0);
        const int64_t r = std::min<int64_t>(x + width, d_->w);
        const int64_t b = std::min<int64_t>(y + metrics.ascent() + metrics.descent(), d_->h);
        const uint32_t bg = ColorToRgb(brush_.Color);
        for (int64_t yy = t; yy < b; ++yy)
            if (l < r)
                std::fill(d_->Row(static_cast<int>(yy)) + l, d_->Row(static_cast<int>(yy)) + r, bg);
    }
    const uint32_t fg = ColorToRgb(font_.Color);
    const int64_t base = y + metrics.ascent();
    double pen = 0;
    for (char c : text) {
        const TGlyph& g = set->Get(static_cast<unsigned char>(c));
        // Glyphs sit where the painter puts them: the pen position taken to 1/64 pixels the
        // way its fixed point does (halves up), then floored to the pixel.
        const int64_t gx = x + (static_cast<int64_t>(std::floor(pen * 64.0 + 0.5)) >> 6);
        pen += g.advance;
        for (const TGlyphRun& r : g.runs) {
            const int64_t yy = base + r.dy;
            if (yy < 0 || yy >= d_->h)
                continue;
            const int64_t x0 = std::max<int64_t>(gx + r.dx0, 0), x1 = std::min<int64_t>(gx + r.dx1, d_->w - 1);
            if (x0 <= x1) {
                uint32_t* row = d_->Row(static_cast<int>(yy));
                std::fill(row + x0, row + x1 + 1, fg);
            }
        }
    }
    return true;
}

void TImageCanvas::Draw(int32_t x, int32_t yin, const QImage& src)
{
    const int64_t y = int64_t{yin} - originY_;
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
    const int64_t b = std::min<int64_t>(y + s->height(), d_->h);
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
    const QRect d(dst.Left, dst.Top - originY_, dst.Right - dst.Left, dst.Bottom - dst.Top);
    const QRect sr(srcRect.Left, srcRect.Top, srcRect.Right - srcRect.Left, srcRect.Bottom - srcRect.Top);
    if (d.isEmpty() || sr.isEmpty())
        return;
    if (d.size() == sr.size()) {
        Draw(dst.Left, dst.Top, src.copy(sr));
        return;
    }
    QPainter& p = d_->Begin(image_);
    d_->Touched();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(d, src, sr);
}
