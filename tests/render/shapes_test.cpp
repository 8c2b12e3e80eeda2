#include "schematic/render/render.h"

#include <gtest/gtest.h>

#include <string>
#include "tests/support/test_util.h"

namespace {

constexpr TColor kPen = 0x112233;
constexpr TColor kFill = 0x800000;

struct Pic {
    QImage image;
    TImageCanvas c;
    explicit Pic(int w = 120, int h = 100) : image(NewBitmap(w, h)), c(image) { c.SetPenColor(kPen); }
    void Draw(const TShapeRec& s, int32_t scale, int64_t offX = 0, int64_t offY = 0)
    {
        DrawShape(c, &s, offX, offY, {scale, kFill, 1920});
    }
    std::string Row(int y, int from, int to) const
    {
        std::string r;
        for (int x = from; x <= to; ++x)
            r += c.Pixel(x, y) == kPen ? '#' : c.Pixel(x, y) == clWhite ? '.' : 'o';
        return r;
    }
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
    int Count(TColor col) const
    {
        int n = 0;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.Pixel(x, y) == col;
        return n;
    }
};


} // namespace

TEST(DrawShape, HorizontalAndVerticalLineEndsFollowTheWidthField)
{
    // From X 10 to X 3 at scale 4: pixels 12..40 with w 0, 12..39 with w 1.
    struct Case { int32_t style; int last; };
    for (const Case k : {Case{0x00, 40}, Case{0x10, 39}}) {
        Pic p;
        p.Draw(testutil::Shape(1, 10, 2, 3, 2, k.style), 4);
        EXPECT_EQ(p.Row(8, 11, 41), "." + std::string(static_cast<size_t>(k.last - 11), '#') +
                                        std::string(static_cast<size_t>(41 - k.last), '.'))
            << "style " << k.style;
    }
    Pic v;
    v.Draw(testutil::Shape(1, 2, 10, 2, 3), 4);
    EXPECT_EQ(v.Box(kPen), (TRect{8, 12, 8, 40}));
    // A single point: drawn with w 0, nothing with w 1.
    Pic dot, none;
    dot.Draw(testutil::Shape(1, 5, 5, 5, 5, 0x00), 2);
    none.Draw(testutil::Shape(1, 5, 5, 5, 5, 0x10), 2);
    EXPECT_EQ(dot.Count(kPen), 1);
    EXPECT_EQ(none.Count(kPen), 0);
}

TEST(DrawShape, RectangleBoxIncludesBothCorners)
{
    Pic p;
    p.Draw(testutil::Shape(2, 5, 5, 2, 2, 1), 2);
    EXPECT_EQ(p.Box(kPen), (TRect{4, 4, 10, 10}));
    EXPECT_EQ(p.c.Pixel(7, 7), kFill);
    EXPECT_EQ(p.c.Brush().Style, TBrushStyle::Solid);
    Pic hollow;
    hollow.Draw(testutil::Shape(2, 5, 5, 2, 2, 0), 2);
    EXPECT_EQ(hollow.c.Pixel(7, 7), clWhite);
}

TEST(DrawShape, UnknownKindsAndNullDrawNothing)
{
    for (int32_t kind : {0, 7, 8, 9, 10, 13, -1}) {
        Pic p;
        p.Draw(testutil::Shape(kind, 1, 1, 10, 10, 0x11), 4);
        EXPECT_EQ(p.image, NewBitmap(120, 100)) << kind;
    }
    Pic p;
    DrawShape(p.c, nullptr, 0, 0, {4, kFill, 1920});
    EXPECT_EQ(p.image, NewBitmap(120, 100));
}

TEST(DrawCirc, CountsShapesAndComponentsAndDrawsSelectionOverFill)
{
    TSchModel m;
    m.ShapeList.push_back(testutil::Shape(2, 2, 2, 10, 10, 1));
    m.ShapeList.back().Selected = 1;
    m.ShapeList.push_back(testutil::Shape(1, 0, 15, 20, 15));
    m.ShapeList.push_back(testutil::Shape(2, 14, 2, 20, 8, 1));
    for (int i = 0; i < 2; ++i) {
        TCompRec c;
        c.X = 5 + 5 * i;
        c.Y = 20;
        m.CompList.push_back(c);
    }
    for (int i = 0; i < 5; ++i)
        m.TextList.push_back({"t", 10 * i, 10, 0, 0});
    TRenderView v;
    v.LineColor = 0x00AA00;
    v.SelColor = clRed;
    v.FillColor = kFill;
    Pic p;
    const TComposeResult r = DrawCirc(p.c, m, v, nullptr);
    EXPECT_EQ(r.ShapeCount, 5);
    EXPECT_EQ(ShapeCountText(r.ShapeCount), " Shape Count:  5");
    EXPECT_EQ(p.c.Pixel(8, 20), clRed);        // selected outline
    EXPECT_EQ(p.c.Pixel(20, 20), kFill);       // its inside keeps the fill colour
    EXPECT_EQ(p.c.Pixel(56, 20), 0x00AA00u);   // unselected outline
    EXPECT_EQ(p.c.Pixel(64, 20), kFill);

    TSchModel empty;
    Pic e;
    EXPECT_EQ(ShapeCountText(DrawCirc(e.c, empty, v, nullptr).ShapeCount), " Shape Count:  0");
}
