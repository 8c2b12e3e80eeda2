#include "schematic/render/render.h"

#include <gtest/gtest.h>

#include <string>
#include "tests/support/test_util.h"
#include "tests/render/shape_pic.h"

namespace {

using testutil::kFill;
using testutil::kPen;
using testutil::Pic;


} // namespace

TEST(DrawShape, HorizontalAndVerticalLineEndsFollowTheWidthField)
{
    // From X 10 to X 3 at scale 4: pixels 12..40 with w 0, 12..39 with w 1.
    struct Case { int32_t style; int last; };
    for (const Case k : {Case{0x00, 40}, Case{0x10, 39}}) {
        Pic p(120, 100);
        p.Draw(testutil::Shape(1, 10, 2, 3, 2, k.style), 4);
        EXPECT_EQ(p.Row(8, 11, 41), "." + std::string(static_cast<size_t>(k.last - 11), '#') +
                                        std::string(static_cast<size_t>(41 - k.last), '.'))
            << "style " << k.style;
    }
    Pic v(120, 100);
    v.Draw(testutil::Shape(1, 2, 10, 2, 3), 4);
    EXPECT_EQ(v.Box(kPen), (TRect{8, 12, 8, 40}));
    // A single point: drawn with w 0, nothing with w 1.
    Pic dot(120, 100), none(120, 100);
    dot.Draw(testutil::Shape(1, 5, 5, 5, 5, 0x00), 2);
    none.Draw(testutil::Shape(1, 5, 5, 5, 5, 0x10), 2);
    EXPECT_EQ(dot.Count(kPen), 1);
    EXPECT_EQ(none.Count(kPen), 0);
}

TEST(DrawShape, RectangleBoxIncludesBothCorners)
{
    Pic p(120, 100);
    p.Draw(testutil::Shape(2, 5, 5, 2, 2, 1), 2);
    EXPECT_EQ(p.Box(kPen), (TRect{4, 4, 10, 10}));
    EXPECT_EQ(p.c.Pixel(7, 7), kFill);
    EXPECT_EQ(p.c.Brush().Style, TBrushStyle::Solid);
    Pic hollow(120, 100);
    hollow.Draw(testutil::Shape(2, 5, 5, 2, 2, 0), 2);
    EXPECT_EQ(hollow.c.Pixel(7, 7), clWhite);
}

TEST(DrawShape, UnknownKindsAndNullDrawNothing)
{
    for (int32_t kind : {0, 7, 8, 9, 10, 13, -1}) {
        Pic p(120, 100);
        p.Draw(testutil::Shape(kind, 1, 1, 10, 10, 0x11), 4);
        EXPECT_EQ(p.image, NewBitmap(120, 100)) << kind;
    }
    Pic p(120, 100);
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
    Pic p(120, 100);
    const TComposeResult r = DrawCirc(p.c, m, v, nullptr);
    EXPECT_EQ(r.ShapeCount, 5);
    EXPECT_EQ(ShapeCountText(r.ShapeCount), " Shape Count:  5");
    EXPECT_EQ(p.c.Pixel(8, 20), clRed);        // selected outline
    EXPECT_EQ(p.c.Pixel(20, 20), kFill);       // its inside keeps the fill colour
    EXPECT_EQ(p.c.Pixel(56, 20), 0x00AA00u);   // unselected outline
    EXPECT_EQ(p.c.Pixel(64, 20), kFill);

    TSchModel empty;
    Pic e(120, 100);
    EXPECT_EQ(ShapeCountText(DrawCirc(e.c, empty, v, nullptr).ShapeCount), " Shape Count:  0");
}

TEST(DrawShape, NegativeStyleFieldsAreReadByTruncatingDivision)
{
    // A Style from a file may be negative: each field above the fill is (Style div 2^k) and
    // 15, which is not the same as its bits. Each case draws exactly like its positive twin.
    struct Case { int32_t kind; int32_t style; int32_t same; };
    for (const Case k : {Case{1, -1, 0x000F},        // width 0 (bits would say 15)
                         Case{1, -209, 0x003F},      // width 3 (bits: 2)
                         Case{1, -57345, 0x200F},    // dashed, width 0 (bits: solid, 15)
                         Case{11, -3073, 0x040F}}) { // two plain heads, width 0 (bits: type 3, 15)
        Pic neg(160, 80), pos(160, 80);
        neg.Draw(testutil::Shape(k.kind, 2, 10, 30, 10, k.style), 4);
        pos.Draw(testutil::Shape(k.kind, 2, 10, 30, 10, k.same), 4);
        EXPECT_EQ(neg.image, pos.image) << k.style;
    }
}
