#include "components/CompPaint.h"

#include "schematic/render/render.h"

#include <limits>

namespace {

constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGridLight = 0xF0F4FF;
constexpr TColor clGridStrong = 0xB0E0FF;

bool Fits(int64_t v) { return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max(); }

void Line(TCanvas& c, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// A text at ((X + 500) * num div 10, (Y + 500) * num div 10), skipped when that does not fit.
void DrawText(TCanvas& c, const TCompTextRec& t, int64_t num, bool preview)
{
    const int64_t x = (int64_t{t.X} + 500) * num / 10;
    const int64_t y = (int64_t{t.Y} + 500) * num / 10;
    if (!Fits(x) || !Fits(y))
        return;
    const TColor color = c.Font().Color;
    TFontSpec f = CompTextFont(t, preview);
    f.Color = color;
    c.SetFont(f);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.TextOut(static_cast<int32_t>(x), static_cast<int32_t>(y), t.Text);
}

void SetTextColor(TCanvas& c, TColor color)
{
    TFontSpec f = c.Font();
    f.Color = color;
    f.Bold = f.Italic = f.Underline = false;
    c.SetFont(f);
}

} // namespace

TFontSpec CompTextFont(const TCompTextRec& t, bool preview)
{
    int n = (t.Font >> 4) & 0xF;
    if (n == 0)
        n = 1;
    TFontSpec f;
    f.Name = (t.Font & 0xF) != 0 ? "Symbol" : "Times New Roman";
    f.Size = preview ? n + 4 : 6 * n + 6;
    f.Color = clBlack;
    return f;
}

void DrawCompShape(TCanvas& canvas, const TShapeRec* shape, int32_t scale, int32_t offX, int32_t offY)
{
    TShapeParams p;
    p.Scale = scale;
    p.FillColor = clNavy;
    p.ArcRule = TArcRule::Picker;
    p.DrawSine = false;
    DrawShape(canvas, shape, offX, offY, p);
}

void DrawBackGrid(QImage& gridBmp)
{
    gridBmp = NewBitmap(200, 200);
    TImageCanvas c(gridBmp);
    const int w = gridBmp.width(), h = gridBmp.height();
    c.SetPenColor(clGridLight);
    for (int i = 0; i <= w / 8; ++i) {
        Line(c, 8 * i, 0, 8 * i, h);
        Line(c, 0, 8 * i, w, 8 * i);
    }
    c.SetPenColor(clGridStrong);
    for (int i = 0; i <= w / 40; ++i) {
        Line(c, 40 * i, 0, 40 * i, h);
        Line(c, 0, 40 * i, w, 40 * i);
    }
}

int DrawCompPicture(TCanvas& c, const TCompModel& m, const QImage& gridBmp)
{
    c.SetPenWidth(1);
    c.SetPenMode(TPenMode::Copy);
    c.SetPenStyle(TPenStyle::Solid);
    c.SetBrushStyle(TBrushStyle::Clear);
    for (int y : {0, 200})
        for (int x : {0, 200})
            c.Draw(x, y, gridBmp);
    c.SetPenColor(clSilver);
    Line(c, 0, 200, 400, 200);
    Line(c, 200, 0, 200, 400);
    c.SetPenColor(clBlack);
    c.MoveTo(0, 0);
    c.LineTo(400, 0);
    c.LineTo(400, 400);
    c.LineTo(0, 400);
    c.LineTo(0, 0);

    int count = 0;
    c.SetPenColor(clNavy);
    for (const TShapeRec& s : m.ShapeList) {
        DrawCompShape(c, &s, 4, kCompOffset, kCompOffset);
        ++count;
    }
    SetTextColor(c, clBlack);
    for (const TCompTextRec& t : m.TextList)
        if (t.Selected == 0)
            DrawText(c, t, 4, false);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.SetPenColor(clRed);
    for (const TShapeRec& s : m.ShapeList)
        if (s.Selected > 0)
            DrawCompShape(c, &s, 4, kCompOffset, kCompOffset);
    SetTextColor(c, clRed);
    for (const TCompTextRec& t : m.TextList)
        if (t.Selected > 0)
            DrawText(c, t, 4, false);
    return count;
}

void DrawSmallPicture(TCanvas& canvas, const TCompModel& m)
{
    QImage bmp = NewBitmap(kCompPreviewSize, kCompPreviewSize);
    {
        TImageCanvas c(bmp);
        c.SetPenWidth(1);
        c.SetPenMode(TPenMode::Copy);
        c.SetPenColor(clBlack);
        c.SetBrushColor(clWhite);
        c.Rectangle(0, 0, 101, 101);
        c.SetBrushStyle(TBrushStyle::Clear);
        c.SetPenColor(clGridLight);
        for (int k = 1; k <= 9; ++k) {
            const int p = 10 * k;
            Line(c, p, 1, p, 100);
            Line(c, 1, p, 100, p);
        }
        c.SetPenColor(clGridStrong);
        Line(c, 50, 1, 50, 100);
        Line(c, 1, 50, 100, 50);
        c.SetPenColor(clNavy);
        for (const TShapeRec& s : m.ShapeList)
            DrawCompShape(c, &s, 1, kCompOffset, kCompOffset);
        SetTextColor(c, clBlack);
        for (const TCompTextRec& t : m.TextList)
            DrawText(c, t, 1, true);
    }
    canvas.Draw(0, 0, bmp);
}

void DrawMovePreview(TCanvas& c, const TCompModel& m, int64_t dx, int64_t dy)
{
    const TPen pen = c.Pen();
    for (const TShapeRec& s : m.ShapeList) {
        if (s.Selected <= 0)
            continue;
        TShapeRec moved = s;
        // One pixel wide and hollow, whatever the shape's own style.
        moved.Style = s.Style & ~0xFF;
        const int64_t nx1 = int64_t{s.X1} + dx, ny1 = int64_t{s.Y1} + dy;
        const int64_t nx2 = int64_t{s.X2} + dx, ny2 = int64_t{s.Y2} + dy;
        if (!Fits(nx1) || !Fits(ny1) || !Fits(nx2) || !Fits(ny2))
            continue;
        moved.X1 = static_cast<int32_t>(nx1);
        moved.Y1 = static_cast<int32_t>(ny1);
        if (s.Kind != 4) {
            moved.X2 = static_cast<int32_t>(nx2);
            moved.Y2 = static_cast<int32_t>(ny2);
        }
        DrawCompShape(c, &moved, 4, kCompOffset, kCompOffset);
        c.Pen() = pen;
    }
    SetTextColor(c, clSilver);
    for (const TCompTextRec& t : m.TextList) {
        if (t.Selected <= 0)
            continue;
        TCompTextRec moved = t;
        moved.X = world::Clamp32(int64_t{t.X} + dx * 10);
        moved.Y = world::Clamp32(int64_t{t.Y} + dy * 10);
        const TPen keep = c.Pen();
        c.SetPenMode(TPenMode::Copy);
        DrawText(c, moved, 4, false);
        c.Pen() = keep;
    }
    c.SetBrushStyle(TBrushStyle::Clear);
}
