#include "schematic/SchGestureCanvas.h"

#include "schematic/render/render.h"

#include <QFontMetrics>

#include <algorithm>

int32_t TCanvasGestureHost::ClientWidth() const
{
    return const_cast<TCanvasGestureHost*>(this)->OverlayCanvas().Width();
}

int32_t TCanvasGestureHost::ClientHeight() const
{
    return const_cast<TCanvasGestureHost*>(this)->OverlayCanvas().Height();
}

void TCanvasOutline::OvXorMode(bool xorMode)
{
    OverlayCanvas().SetPenMode(xorMode ? TPenMode::Xor : TPenMode::Copy);
}

void TCanvasOutline::OvPenColor(uint32_t c) { OverlayCanvas().SetPenColor(c); }

void TCanvasOutline::OvPenDotted(bool dotted)
{
    TCanvas& c = OverlayCanvas();
    c.SetPenWidth(1);
    c.SetPenStyle(dotted ? TPenStyle::Dot : TPenStyle::Solid);
    c.SetBrushStyle(TBrushStyle::Clear);
}

void TCanvasOutline::OvLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    TCanvas& c = OverlayCanvas();
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
    OverlayChanged();
}

void TCanvasOutline::OvPolyline(const TPointList& pts)
{
    if (pts.empty())
        return;
    TCanvas& c = OverlayCanvas();
    c.MoveTo(pts.front().X, pts.front().Y);
    for (auto it = std::next(pts.begin()); it != pts.end(); ++it)
        c.LineTo(it->X, it->Y);
    OverlayChanged();
}

void TCanvasOutline::OvRectangle(int32_t l, int32_t t, int32_t r, int32_t b)
{
    TCanvas& c = OverlayCanvas();
    c.SetBrushStyle(TBrushStyle::Clear);
    c.Rectangle(l, t, r, b);
    OverlayChanged();
}

void TCanvasOutline::OvEllipse(int32_t l, int32_t t, int32_t r, int32_t b)
{
    TCanvas& c = OverlayCanvas();
    c.SetBrushStyle(TBrushStyle::Clear);
    c.Ellipse(l, t, r, b);
    OverlayChanged();
}

void TCanvasOutline::OvArc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t sx, int32_t sy, int32_t ex,
                               int32_t ey)
{
    OverlayCanvas().Arc(l, t, r, b, sx, sy, ex, ey);
    OverlayChanged();
}

void TCanvasGestureHost::OvCompShapes(const TCompRec& comp, int32_t ox, int32_t oy)
{
    TCanvas& c = OverlayCanvas();
    const TPen pen = c.Pen();
    DrawComp(c, &comp, ox, oy, false, Scale() / 2, FillColor(), PrimaryScreenWidth());
    // The shapes' own widths and styles must not leak into the next outline.
    c.Pen() = pen;
    c.SetBrushStyle(TBrushStyle::Clear);
    OverlayChanged();
}

void TCanvasGestureHost::TextExtent(const TTextRec& t, int32_t scale, int32_t& w, int32_t& h)
{
    const TSize s = FreeTextExtent(t, scale);
    w = s.Width;
    h = s.Height;
}

int32_t TCanvasGestureHost::TextReach(const TTextRec& t, int32_t scale)
{
    const TFontSpec f = FreeTextFont(t, scale);
    const auto key = std::make_pair(font::IsSymbol(t.Font), f.Size);
    auto it = fontBounds_.find(key);
    if (it == fontBounds_.end()) {
        // The font's own maximum is not a bound: some glyphs and the tab reach further. The
        // widest byte as measured, plus one for the rounding of each advance, is.
        const QFontMetrics fm(MakeQFont(f));
        int32_t widest = fm.maxWidth();
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            widest = std::max(widest, static_cast<int32_t>(fm.horizontalAdvance(FontText(f, std::string_view(&c, 1)))));
        }
        it = fontBounds_.emplace(key, std::make_pair(widest + 1, fm.ascent() + fm.descent())).first;
    }
    const int64_t w = static_cast<int64_t>(it->second.first) * static_cast<int64_t>(t.Text.size());
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(w, it->second.second) + 1,
                                                  std::numeric_limits<int32_t>::max() / 20));
}
