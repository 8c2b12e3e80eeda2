// The pixels our own code decides for 1-pixel ellipses, arcs and polygons, and the text
// drawn from cached glyph runs, checked against the shape's rules and against Qt's text path.
#include "platform/canvas.h"
#include "platform/raster.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr TColor kInk = 0x123456;
constexpr TColor kFill = 0x80C020;

struct Box {
    int64_t l, t, r, b;
};

// Ink and fill read back from an image, with the bounding box of the ink.
struct Picture {
    QImage image;
    explicit Picture(int w, int h) : image(NewBitmap(w, h)) {}
    TColor At(int x, int y) const { return RgbToColor(image.pixel(x, y)); }
    bool Ink(int x, int y) const { return At(x, y) == kInk; }
};

void DrawEllipse(QImage& img, const Box& b, bool filled, int dx = 0, int dy = 0)
{
    TImageCanvas c(img);
    c.SetPenColor(kInk);
    if (filled)
        c.SetBrushColor(kFill);
    else
        c.SetBrushStyle(TBrushStyle::Clear);
    c.Ellipse(static_cast<int32_t>(b.l + dx), static_cast<int32_t>(b.t + dy), static_cast<int32_t>(b.r + dx),
              static_cast<int32_t>(b.b + dy));
}

} // namespace

// Every box, tiny or thin, is touched by the outline on its outermost rows and columns and
// nowhere outside; every row of the box has ink (no gaps), the outline is mirror-symmetric
// and a filled ellipse is one run of ink and fill per row.
TEST(Raster, EllipseOutlineFitsItsBoxWithoutGaps)
{
    const Box boxes[] = {{10, 10, 11, 11}, {10, 10, 12, 12}, {10, 10, 13, 13}, {10, 10, 14, 12},
                         {10, 10, 60, 11}, {10, 10, 11, 40}, {10, 10, 60, 12}, {10, 10, 12, 40},
                         {5, 7, 70, 20},   {5, 5, 22, 60},   {3, 4, 75, 59},   {20, 20, 37, 37}};
    for (const Box& b : boxes) {
        for (bool filled : {false, true}) {
            Picture p(80, 64);
            DrawEllipse(p.image, b, filled);
            const std::string what = std::to_string(b.l) + "," + std::to_string(b.t) + " " + std::to_string(b.r) +
                                     "," + std::to_string(b.b) + (filled ? " filled" : "");
            int minX = 999, maxX = -1, minY = 999, maxY = -1;
            for (int y = 0; y < 64; ++y) {
                int runs = 0;
                bool in = false;
                for (int x = 0; x < 80; ++x) {
                    const bool any = p.At(x, y) != clWhite;
                    if (any && !in)
                        ++runs;
                    in = any;
                    if (any) {
                        EXPECT_NE(p.At(x, y) == kFill, p.Ink(x, y)) << what;
                        EXPECT_EQ(p.Ink(static_cast<int>(b.l + b.r - 1 - x), y), p.Ink(x, y)) << what << " x " << x;
                        EXPECT_EQ(p.Ink(x, static_cast<int>(b.t + b.b - 1 - y)), p.Ink(x, y)) << what << " y " << y;
                    }
                    if (p.Ink(x, y)) {
                        minX = std::min(minX, x); maxX = std::max(maxX, x);
                        minY = std::min(minY, y); maxY = std::max(maxY, y);
                    }
                }
                if (y >= b.t && y < b.b) {
                    EXPECT_GE(runs, 1) << what << " row " << y;
                    if (filled) {
                        EXPECT_EQ(runs, 1) << what << " row " << y;
                    }
                }
            }
            EXPECT_EQ(minX, b.l) << what;
            EXPECT_EQ(maxX, b.r - 1) << what;
            EXPECT_EQ(minY, b.t) << what;
            EXPECT_EQ(maxY, b.b - 1) << what;
        }
    }
}

// The outline is one pixel thin: a circle's ring holds no 2x2 block of ink, and its inside
// is untouched when hollow.
TEST(Raster, CircleOutlineIsThinAndLeavesItsInside)
{
    for (int r : {3, 8, 20}) {
        Picture p(64, 64);
        DrawEllipse(p.image, {30 - r, 30 - r, 31 + r, 31 + r}, false);
        for (int y = 0; y + 1 < 64; ++y)
            for (int x = 0; x + 1 < 64; ++x)
                EXPECT_FALSE(p.Ink(x, y) && p.Ink(x + 1, y) && p.Ink(x, y + 1) && p.Ink(x + 1, y + 1))
                    << "r " << r << " at " << x << "," << y;
        EXPECT_EQ(p.At(30, 30), clWhite);
        // The four extreme pixels on the axes.
        EXPECT_TRUE(p.Ink(30 - r, 30) && p.Ink(30 + r, 30) && p.Ink(30, 30 - r) && p.Ink(30, 30 + r)) << r;
    }
}

// Drawn partly or wholly outside the image (huge boxes included), every pixel that lands in
// the image is the one the same shape gives on a large image: clipping changes nothing.
TEST(Raster, ClippedShapesKeepTheirPixels)
{
    struct Case {
        const char* what;
        std::function<void(TCanvas&, int, int)> draw;
    };
    const Case cases[] = {
        {"ellipse", [](TCanvas& c, int dx, int dy) { c.Ellipse(20 + dx, 30 + dy, 170 + dx, 110 + dy); }},
        {"filled ellipse",
         [](TCanvas& c, int dx, int dy) {
             c.SetBrushColor(kFill);
             c.Ellipse(40 + dx, 10 + dy, 150 + dx, 140 + dy);
         }},
        {"arc across the edge", [](TCanvas& c, int dx, int dy) {
             c.Arc(20 + dx, 20 + dy, 181 + dx, 141 + dy, 2000 + dx, 80 + dy, 100 + dx, -2000 + dy);
         }},
        {"long arc", [](TCanvas& c, int dx, int dy) {
             c.Arc(30 + dx, 30 + dy, 171 + dx, 131 + dy, 100 + dx, -2000 + dy, 2000 + dx, 100 + dy);
         }},
        {"polygon",
         [](TCanvas& c, int dx, int dy) {
             c.SetBrushColor(kFill);
             const TPoint pts[] = {{10 + dx, 150 + dy}, {100 + dx, 5 + dy}, {190 + dx, 120 + dy}, {90 + dx, 60 + dy}};
             c.Polygon(pts, 4);
         }},
    };
    for (const Case& k : cases) {
        QImage big = NewBitmap(200, 160);
        {
            TImageCanvas c(big);
            c.SetPenColor(kInk);
            c.SetBrushStyle(TBrushStyle::Clear);
            k.draw(c, 0, 0);
        }
        for (const auto& [ox, oy] : {std::pair{0, 0}, std::pair{140, 0}, std::pair{70, 110}, std::pair{150, 120}}) {
            QImage small = NewBitmap(50, 40);
            {
                TImageCanvas c(small);
                c.SetPenColor(kInk);
                c.SetBrushStyle(TBrushStyle::Clear);
                k.draw(c, -ox, -oy);
            }
            EXPECT_EQ(small, big.copy(ox, oy, 50, 40)) << k.what << " window " << ox << "," << oy;
        }
    }
    // A circle billions of pixels wide whose top crosses the view is a straight row there.
    QImage huge = NewBitmap(64, 48);
    TImageCanvas c(huge);
    c.SetPenColor(kInk);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.Ellipse(-1000000000, 10, 1000000064, 2000000010);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(c.Pixel(x, 10), kInk) << x;
    for (int y = 12; y < 48; ++y)
        EXPECT_EQ(c.Pixel(20, y), clWhite) << y;
}

// An arc covers the part of its ellipse between the two rays, counter-clockwise, and
// nothing else; rays in one direction give the whole ellipse.
TEST(Raster, ArcIsThePartOfItsEllipseBetweenTheRays)
{
    const Box b{10, 10, 51, 41};   // centre (30, 25)
    QImage whole = NewBitmap(64, 48);
    DrawEllipse(whole, b, false);
    struct Case {
        int x3, y3, x4, y4;
        std::vector<std::pair<int, int>> in;   // pixels on the sweep
        int outX, outY;                        // a pixel of the ellipse off the sweep
    };
    const Case cases[] = {
        {100, 25, 30, -100, {{45, 14}}, 15, 36},                    // right to top: upper right
        {30, -100, 100, 25, {{15, 36}, {15, 14}, {45, 36}}, 45, 14},  // top to right: three quarters
        {-100, 25, 100, 25, {{30, 40}, {12, 30}, {48, 30}}, 30, 10},  // left to right: lower half
        {100, 25, 100, 25, {{30, 40}}, -1, -1},                       // one ray: whole ellipse
    };
    for (const Case& k : cases) {
        QImage img = NewBitmap(64, 48);
        TImageCanvas c(img);
        c.SetPenColor(kInk);
        c.SetBrushColor(kFill);   // arcs are never filled
        c.Arc(10, 10, 51, 41, k.x3, k.y3, k.x4, k.y4);
        int arc = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool ink = c.Pixel(x, y) == kInk;
                arc += ink;
                if (ink) {
                    EXPECT_EQ(RgbToColor(whole.pixel(x, y)), kInk) << "off the ellipse at " << x << "," << y;
                }
                EXPECT_NE(c.Pixel(x, y), kFill);
            }
        auto near = [&](int x, int y) {
            for (int v = y - 1; v <= y + 1; ++v)
                for (int u = x - 1; u <= x + 1; ++u)
                    if (c.Pixel(u, v) == kInk)
                        return true;
            return false;
        };
        for (const auto& [x, y] : k.in)
            EXPECT_TRUE(near(x, y)) << k.x3 << "," << k.y3 << " at " << x << "," << y;
        if (k.outX >= 0)
            EXPECT_FALSE(near(k.outX, k.outY)) << k.x3 << "," << k.y3;
        else
            EXPECT_EQ(img, whole);
        EXPECT_GT(arc, 0);
    }
}

// Triangles whose corners coincide or line up: no fill leaks out of the outline, and a
// triangle of one point is that pixel.
TEST(Raster, DegenerateTrianglesDrawTheirOutlineOnly)
{
    struct Case {
        TPoint p[3];
        int ink;   // pixels expected
    };
    const Case cases[] = {
        {{{20, 20}, {20, 20}, {20, 20}}, 1},
        {{{10, 20}, {30, 20}, {10, 20}}, 21},   // flat: there and back
        {{{10, 10}, {20, 20}, {30, 30}}, 21},   // collinear diagonal
        {{{10, 30}, {10, 5}, {10, 30}}, 26},    // vertical, two corners on one point
    };
    for (const Case& k : cases)
        for (TPenMode mode : {TPenMode::Copy, TPenMode::Xor}) {
            QImage img = NewBitmap(48, 40, clBlack);
            TImageCanvas c(img);
            c.SetPenColor(kInk);
            c.SetPenMode(mode);
            c.SetBrushColor(kFill);
            c.Polygon(k.p, 3);
            int ink = 0, other = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 48; ++x) {
                    ink += c.Pixel(x, y) == kInk;
                    other += c.Pixel(x, y) != kInk && c.Pixel(x, y) != clBlack;
                }
            EXPECT_EQ(ink, k.ink) << k.p[1].X << "," << k.p[1].Y;
            EXPECT_EQ(other, 0) << k.p[1].X << "," << k.p[1].Y;
        }
}

// The alternate rule: the middle of a five-pointed star and the crossing of a bow tie lie
// outside, the points inside.
TEST(Raster, PolygonRowsUseTheAlternateRule)
{
    std::vector<double> scratch;
    std::vector<raster::TSpan> spans;
    // Star through (50,0) (79,90) (2,35) (98,35) (21,90); row 50 crosses it in the middle.
    const int64_t sx[] = {50, 79, 2, 98, 21}, sy[] = {0, 90, 35, 35, 90};
    raster::PolygonRowSpans(sx, sy, 5, 50, scratch, spans);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_LT(spans[0].x1, 40);
    EXPECT_GT(spans[1].x0, 60);
    // Bow tie (0,0) (40,20) (40,0) (0,20): at row 10 the crossing point only.
    const int64_t bx[] = {0, 40, 40, 0}, by[] = {0, 20, 0, 20};
    raster::PolygonRowSpans(bx, by, 4, 5, scratch, spans);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].x0, 0);
    EXPECT_EQ(spans[0].x1, 10);
    EXPECT_EQ(spans[1].x0, 30);
    EXPECT_EQ(spans[1].x1, 40);
    raster::PolygonRowSpans(bx, by, 4, 25, scratch, spans);
    EXPECT_TRUE(spans.empty());
}

// XOR touches each pixel of a shape once: drawn once it changes exactly the pixels copy mode
// inks (filled shapes: ink and fill), and drawn twice it restores the picture. Tiny and
// clipped shapes included.
TEST(Raster, XorTouchesEachPixelOnce)
{
    const std::vector<std::function<void(TCanvas&)>> shapes = {
        [](TCanvas& c) { c.Ellipse(5, 5, 6, 6); },
        [](TCanvas& c) { c.Ellipse(5, 5, 8, 9); },
        [](TCanvas& c) { c.Ellipse(5, 5, 7, 6); },
        [](TCanvas& c) { c.Ellipse(-20, -10, 25, 18); },
        [](TCanvas& c) { c.Ellipse(30, 2, 80, 40); },
        [](TCanvas& c) { c.Arc(-30, 10, 30, 50, 60, 30, 0, -50); },
        [](TCanvas& c) { c.Arc(2, 2, 5, 5, 9, 3, 3, 9); },
        [](TCanvas& c) {
            const TPoint thin[] = {{3, 3}, {30, 3}, {3, 3}};
            c.Polygon(thin, 3);
        },
        [](TCanvas& c) {
            const TPoint cut[] = {{-10, 5}, {35, -8}, {20, 45}, {15, 12}};
            c.Polygon(cut, 4);
        },
        [](TCanvas& c) {
            const TPoint notch[] = {{30, 15}, {14, 8}, {19, 15}, {14, 22}};
            c.Polygon(notch, 4);
        },
    };
    for (bool filled : {false, true}) {
        auto setUp = [&](TCanvas& c, TPenMode mode) {
            c.SetPenMode(mode);
            c.SetPenColor(0x00A0F0);
            if (filled)
                c.SetBrushColor(kFill);
            else
                c.SetBrushStyle(TBrushStyle::Clear);
        };
        for (size_t i = 0; i < shapes.size(); ++i) {
            QImage copy = NewBitmap(40, 30, clBlack), once = NewBitmap(40, 30, clBlack);
            TImageCanvas cc(copy), xc(once);
            setUp(cc, TPenMode::Copy);
            setUp(xc, TPenMode::Xor);
            shapes[i](cc);
            shapes[i](xc);
            EXPECT_EQ(once, copy) << "shape " << i << (filled ? " filled" : "");
        }
    }
    QImage img = NewBitmap(40, 30);
    TImageCanvas c(img);
    c.SetBrushColor(0x3366CC);
    c.FillRect({4, 4, 30, 25});
    const QImage before = img.copy();
    c.SetPenMode(TPenMode::Xor);
    c.SetPenColor(0x00A0F0);
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& draw : shapes)
            draw(c);
        if (pass == 0) {
            EXPECT_NE(img, before);
        }
    }
    EXPECT_EQ(img, before);
}

// Texts drawn from the glyph-run cache against the painter's own glyph-run drawing of the
// same glyphs at the same positions: the same ink, give or take a few pixels.
TEST(Raster, GlyphRunTextMatchesThePainter)
{
    std::string all;
    for (int b = 0x20; b < 0x100; ++b)
        all += static_cast<char>(b);
    struct Case {
        const char* font;
        int size;
        bool bold, italic;
        int x, y;
    };
    const Case cases[] = {{"Times New Roman", 4, false, false, 3, 2},  {"Times New Roman", 7, false, false, 5, 9},
                          {"Times New Roman", 12, true, false, 2, 30}, {"Arial", 9, false, true, 1, 60},
                          {"Courier New", 10, false, false, 7, 90},    {"Symbol", 18, false, false, -13, 120},
                          {"MS Sans Serif", 8, false, false, 0, 170},  {"Times New Roman", 24, false, false, -40, 185}};
    for (const Case& k : cases) {
        TFontSpec f;
        f.Name = k.font;
        f.Size = k.size;
        f.Bold = k.bold;
        f.Italic = k.italic;
        f.Color = 0x0000C0;
        for (size_t from = 0; from < all.size(); from += 56) {
            const std::string text = all.substr(from, 56);
            QImage mine = NewBitmap(1200, 220), theirs = NewBitmap(1200, 220);
            {
                TImageCanvas c(mine);
                c.SetFont(f);
                c.SetBrushStyle(TBrushStyle::Clear);
                c.TextOut(k.x, k.y, text);
            }
            {
                const QFont q = MakeQFont(f);
                const QRawFont raw = QRawFont::fromFont(q);
                const QList<quint32> glyphs = raw.glyphIndexesForString(FontText(f, text));
                const QList<QPointF> adv = raw.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances);
                QList<QPointF> pos;
                qreal pen = 0;
                for (const QPointF& a : adv) {
                    pos.append(QPointF(pen, 0));
                    pen += a.x();
                }
                QGlyphRun run;
                run.setRawFont(raw);
                run.setGlyphIndexes(glyphs);
                run.setPositions(pos);
                QPainter p(&theirs);
                p.setPen(QColor::fromRgb(ColorToRgb(f.Color)));
                p.drawGlyphRun(QPointF(k.x, k.y + QFontMetrics(q).ascent()), run);
            }
            int ink = 0, diff = 0;
            for (int y = 0; y < 220; ++y)
                for (int x = 0; x < 1200; ++x) {
                    ink += theirs.pixel(x, y) != 0xFFFFFFFFu;
                    diff += mine.pixel(x, y) != theirs.pixel(x, y);
                }
            EXPECT_GT(ink, 0) << k.font << " " << k.size;
            EXPECT_LE(diff, ink / 100 + 2) << k.font << " " << k.size << " from byte " << from + 0x20;
        }
    }
}
