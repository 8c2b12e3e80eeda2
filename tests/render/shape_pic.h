#pragma once
// A small bitmap with a canvas, for drawing one shape and reading its pixels back.
#include "schematic/render/render.h"

#include <algorithm>
#include <string>

namespace testutil {

constexpr TColor kPen = 0x112233;
constexpr TColor kFill = 0x800000;

struct Pic {
    QImage image;
    TImageCanvas c;
    explicit Pic(int w = 160, int h = 160) : image(NewBitmap(w, h)), c(image) { c.SetPenColor(kPen); }
    void Draw(const TShapeRec& s, int32_t scale, int64_t offX = 0, int64_t offY = 0)
    {
        DrawShape(c, &s, offX, offY, {scale, kFill, 1920});
    }
    // Pen pixels '#', white '.', anything else 'o'.
    std::string Row(int y, int from, int to) const
    {
        std::string r;
        for (int x = from; x <= to; ++x)
            r += c.Pixel(x, y) == kPen ? '#' : c.Pixel(x, y) == clWhite ? '.' : 'o';
        return r;
    }
    // Pixels of a colour in an inclusive box (the whole picture by default).
    int Count(TColor col, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const
    {
        if (x1 < 0) x1 = c.Width() - 1;
        if (y1 < 0) y1 = c.Height() - 1;
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                n += c.Pixel(x, y) == col;
        return n;
    }
    bool Any(int x0, int y0, int x1, int y1, TColor col) const { return Count(col, x0, y0, x1, y1) > 0; }
    // Bounding box of the pixels in a colour; Right/Bottom inclusive here.
    TRect Box(TColor col) const
    {
        TRect b{1 << 30, 1 << 30, -1, -1};
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                if (c.Pixel(x, y) == col) {
                    b.Left = std::min(b.Left, x); b.Right = std::max(b.Right, x);
                    b.Top = std::min(b.Top, y); b.Bottom = std::max(b.Bottom, y);
                }
        return b;
    }
};

} // namespace testutil
