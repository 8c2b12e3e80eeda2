// Region checks for the shapes Qt rasterises (circles, arcs, arrow heads, triangles) and
// the sine sampling, plus records from files that are far too large.
#include "schematic/render/render.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>
#include "tests/support/test_util.h"
#include "tests/render/shape_pic.h"

namespace {

using testutil::kFill;
using testutil::kPen;
using testutil::Pic;


void ExpectNear(const TRect& got, const TRect& want, int tol, const char* what)
{
    EXPECT_NEAR(got.Left, want.Left, tol) << what;
    EXPECT_NEAR(got.Top, want.Top, tol) << what;
    EXPECT_NEAR(got.Right, want.Right, tol) << what;
    EXPECT_NEAR(got.Bottom, want.Bottom, tol) << what;
}

} // namespace

TEST(Geometry, CircleBoxFollowsFourTimesTheRadiusInY2)
{
    // Y2 = 4 is one unit: r = 8 at scale 8, box (cx-8, cy-8) .. (cx+8, cy+8); X2 is not read.
    for (int32_t x2 : {4, 0, 999}) {
        Pic p;
        p.Draw(testutil::Shape(4, 5, 5, x2, 4, 1), 8);
        ExpectNear(p.Box(kPen), {32, 32, 48, 48}, 1, "circle outline");
        EXPECT_EQ(p.c.Pixel(40, 40), kFill);
    }
    Pic neg;   // a negative size draws the same circle
    neg.Draw(testutil::Shape(4, 5, 5, 0, -4, 0), 8);
    ExpectNear(neg.Box(kPen), {32, 32, 48, 48}, 1, "negative size");
}

TEST(Geometry, QuarterArcBulgesClockwiseFromPointOneToPointTwo)
{
    // (0,0) -> (10,10): centre (0,10), bulging to the upper right; reversed: centre (10,0),
    // bulging to the lower left. Scale 4 with offsets 2 puts the points at 8 and 48.
    Pic a;
    a.Draw(testutil::Shape(5, 0, 0, 10, 10), 4, 2, 2);
    EXPECT_TRUE(a.Any(33, 17, 39, 23, kPen));   // (8 + 40 cos 45, 48 - 40 sin 45)
    EXPECT_FALSE(a.Any(17, 33, 23, 39, kPen));
    EXPECT_TRUE(a.Any(6, 6, 10, 10, kPen));     // passes through both ends
    EXPECT_TRUE(a.Any(46, 46, 50, 50, kPen));
    Pic b;
    b.Draw(testutil::Shape(5, 10, 10, 0, 0), 4, 2, 2);
    EXPECT_TRUE(b.Any(17, 33, 23, 39, kPen));
    EXPECT_FALSE(b.Any(33, 17, 39, 23, kPen));
    // Never filled, and only a quarter: the opposite side of the ellipse stays white.
    Pic f;
    f.Draw(testutil::Shape(5, 0, 0, 10, 10, 1), 4, 12, 12);
    EXPECT_EQ(f.Count(kFill, 0, 0, 159, 159), 0);
    EXPECT_FALSE(f.Any(48, 88, 60, 130, kPen));
}

TEST(Geometry, ArrowHeadsByType)
{
    // Horizontal arrow to the right, (2,10) -> (30,10) at scale 4: tip at x 120, head 16 long.
    // Filled area of the head at point 2: the notch at 2/3 takes a little, at 1/4 most of it.
    auto head = [](int32_t type, int* tail) {
        Pic p;
        p.Draw(testutil::Shape(11, 2, 10, 30, 10, type * 256 + 1), 4);
        EXPECT_TRUE(p.Any(103, 33, 107, 35, kFill) || p.Any(103, 33, 107, 35, kPen)) << type;
        EXPECT_TRUE(p.Any(103, 45, 107, 47, kFill) || p.Any(103, 45, 107, 47, kPen)) << type;
        *tail = p.Count(kFill, 0, 30, 30, 50);
        return p.Count(kFill, 90, 20, 130, 60);
    };
    int tail[7] = {};
    const int area[7] = {0, head(1, &tail[1]), head(2, &tail[2]), head(3, &tail[3]),
                         head(4, &tail[4]), head(5, &tail[5]), head(6, &tail[6])};
    EXPECT_NEAR(area[1], 90, 25);
    EXPECT_NEAR(area[2], 65, 20);
    EXPECT_LT(area[3], area[2] / 2);   // thin barbs, mostly outline
    EXPECT_LT(area[2], area[1]);
    for (int t = 1; t <= 3; ++t) {
        EXPECT_EQ(tail[t], 0) << t;
        EXPECT_EQ(area[t + 3], area[t]) << t;
        EXPECT_NEAR(tail[t + 3], area[t], 8) << t;   // the same head at point 1
    }
    int dummy = 0;
    for (int32_t other : {0, 7, 9, 15})
        EXPECT_EQ(head(other, &dummy), area[1]) << other;
    // A hollow arrow: outline only.
    Pic h;
    h.Draw(testutil::Shape(11, 2, 10, 30, 10, 0x100), 4);
    EXPECT_EQ(h.Count(kFill, 0, 0, 159, 159), 0);
    EXPECT_TRUE(h.Any(103, 33, 107, 35, kPen));
}

TEST(Geometry, VerticalArrowBarbsSitOneHeadLengthBackAndOneAndAHalfUnitsAside)
{
    // Pointing down at scale 4: point 2 at (80, 120); barbs 16 above the tip, 6 to each side.
    Pic p;
    p.Draw(testutil::Shape(11, 20, 5, 20, 30, 0x101), 4);
    EXPECT_EQ(p.Box(kFill).Bottom <= 120 && p.Box(kFill).Top >= 104, true);
    ExpectNear(p.Box(kPen), {74, 20, 86, 120}, 1, "down");
    EXPECT_TRUE(p.Any(73, 103, 75, 105, kPen));
    EXPECT_TRUE(p.Any(85, 103, 87, 105, kPen));
    // Coinciding points take the vertical construction with the head opening downward.
    Pic d;
    d.Draw(testutil::Shape(11, 20, 20, 20, 20, 0x101), 4);
    ExpectNear(d.Box(kPen), {74, 80, 86, 96}, 1, "point");
}

TEST(Geometry, TriangleTipAndBase)
{
    // Tip (10,10), base middle (10,30) at scale 4: base 20 units long, from x 0 to 20 at y 120.
    Pic p(160, 160);
    p.Draw(testutil::Shape(6, 10, 10, 10, 30, 1), 4);
    ExpectNear(p.Box(kPen), {0, 40, 80, 120}, 1, "vertical");
    EXPECT_EQ(p.c.Pixel(40, 100), kFill);
    // Slanted: tip (0,0), base middle (20,20): corners at (20,20) +- 14.1 along (-1,1).
    Pic s(200, 200);
    s.Draw(testutil::Shape(6, 2, 2, 22, 22, 0), 4);
    ExpectNear(s.Box(kPen), {8, 8, 128, 128}, 2, "slanted");
    // All three points the same: collapses to the tip.
    Pic c;
    c.Draw(testutil::Shape(6, 5, 5, 5, 5, 1), 4);
    EXPECT_LE(c.Count(kPen, 0, 0, 159, 159) + c.Count(kFill, 0, 0, 159, 159), 1);
}

TEST(Geometry, SineCoversEveryColumnOnce)
{
    // 0..20 units at scale 2: columns 0..40, first extreme at Y2, second mirrored about Y1.
    Pic p(60, 80);
    p.Draw(testutil::Shape(12, 2, 20, 22, 10), 2);   // Y1 40 px, Y2 20 px, columns 4..44
    for (int x = 4; x <= 43; ++x)
        EXPECT_TRUE(p.Any(x, 0, x, 79, kPen)) << x;
    EXPECT_FALSE(p.Any(0, 0, 3, 79, kPen));
    EXPECT_FALSE(p.Any(46, 0, 59, 79, kPen));
    EXPECT_EQ(p.Box(kPen).Top, 20);
    EXPECT_EQ(p.Box(kPen).Bottom, 60);
    EXPECT_TRUE(p.Any(13, 20, 15, 20, kPen));   // crest at a quarter period (x 14)
    EXPECT_TRUE(p.Any(33, 60, 35, 60, kPen));
    // Equal X1 and X2: nothing, and no failure.
    Pic e(60, 80);
    e.Draw(testutil::Shape(12, 5, 20, 5, 10), 2);
    EXPECT_EQ(e.image, NewBitmap(60, 80));
}

TEST(Geometry, RecordsFromFilesSpanningBillionsOfPixelsDoNotHang)
{
    const auto t0 = std::chrono::steady_clock::now();
    Pic p(200, 100);
    // Sine over 10^9 pixels, crossing the view: drawn in the view only.
    p.Draw(testutil::Shape(12, -100000000, 10, 150000000, 0), 4);
    EXPECT_TRUE(p.Any(0, 0, 199, 99, kPen));
    // Huge circle whose edge crosses the view; huge lines, rectangles, ellipses, arrows.
    Pic q(200, 100);
    q.Draw(testutil::Shape(4, 25, 100000000 + 12, 0, 400000000, 0), 4);
    EXPECT_TRUE(q.Any(90, 46, 110, 50, kPen));    // its top edge at y 48
    EXPECT_FALSE(q.Any(0, 0, 199, 44, kPen));
    q.Draw(testutil::Shape(1, -500000000, 5, 500000000, 6, 0x30), 4);
    q.Draw(testutil::Shape(2, -500000000, -500000000, 500000000, 500000000, 0x31), 4);
    q.Draw(testutil::Shape(3, -500000000, -400000000, 500000000, 500000000, 0x21), 4);
    q.Draw(testutil::Shape(11, -500000000, 20, 500000000, 20, 0x601), 4);
    q.Draw(testutil::Shape(5, -500000000, -300000000, 500000000, 500000000, 0x21), 4);
    EXPECT_EQ(q.c.Pixel(150, 60), kFill);          // inside the huge filled shapes
    Pic r(200, 100);
    r.Draw(testutil::Shape(2, 10, 10, 500000000, 500000000, 0x01), 4);
    EXPECT_EQ(r.Box(kPen).Left, 40);
    EXPECT_EQ(r.Box(kPen).Top, 40);
    EXPECT_EQ(r.c.Pixel(150, 80), kFill);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 20.0);
}

TEST(Geometry, PixelsBeyond32BitsSkipTheRecordOnly)
{
    // 2^31 / 4 is the largest unit that fits at scale 4.
    TSchModel m;
    m.ShapeList.push_back(testutil::Shape(1, 2, 2, 600000000, 2));           // 2.4e9 pixels: skipped
    m.ShapeList.push_back(testutil::Shape(1, 2, 5, 20, 5));                  // drawn
    m.ShapeList.push_back(testutil::Shape(4, 10, 10, 0, 2147483647));        // radius overflows: skipped
    m.ShapeList.push_back(testutil::Shape(12, 0, 10, 30, -536870900));  // mirror of Y2 overflows: skipped
    m.TextList.push_back({"far", 2147483000, 10, 0, 0});
    TRenderView v;
    Pic p;
    EXPECT_EQ(DrawCirc(p.c, m, v, nullptr).ShapeCount, 4);
    EXPECT_FALSE(p.Any(0, 0, 159, 7, v.LineColor));
    EXPECT_TRUE(p.Any(8, 20, 79, 20, v.LineColor));
    EXPECT_EQ(p.Count(v.LineColor, 0, 0, 159, 159), 73);
}

namespace {
// Keeps the polygons the renderer hands to the platform, to check their exact corners.
class TPolygonLog final : public TCanvas {
public:
    std::vector<std::vector<TPoint>> Polygons;
    int Width() const override { return 400; }
    int Height() const override { return 400; }
    void LineTo(int32_t x, int32_t y) override { pos_ = {x, y}; }
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    void Ellipse(int32_t, int32_t, int32_t, int32_t) override {}
    void Arc(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void Polygon(const TPoint* pts, int count) override { Polygons.emplace_back(pts, pts + count); }
    void FillRect(const TRect&) override {}
    void TextOut(int32_t, int32_t, std::string_view) override {}
    void Draw(int32_t, int32_t, const QImage&) override {}
    void CopyRect(const TRect&, const QImage&, const TRect&) override {}
};
} // namespace

TEST(Geometry, VerticalArrowBarbsAreRoundedAsWholeCoordinates)
{
    // At scale 1 (a component in the small view) the barbs lie 1.5 pixels aside: x - 1.5 and
    // x + 1.5 are each rounded half to even, so an odd x gets the narrower head.
    struct Case { int32_t x; int32_t scale; int32_t style; std::vector<std::vector<TPoint>> want; };
    const Case cases[] = {
        {11, 1, 0x101, {{{11, 30}, {10, 26}, {12, 26}}}},
        {10, 1, 0x101, {{{10, 30}, {8, 26}, {12, 26}}}},
        {13, 1, 0x101, {{{13, 30}, {12, 26}, {14, 26}}}},
        {11, 2, 0x101, {{{22, 60}, {19, 52}, {25, 52}}}},
        // Both heads, notched at 2/3: the head at point 1 opens the other way.
        {11, 1, 0x501, {{{11, 30}, {10, 26}, {11, 27}, {12, 26}}, {{11, 5}, {10, 9}, {11, 8}, {12, 9}}}},
    };
    for (const Case& k : cases) {
        TPolygonLog log;
        const TShapeRec arrow = testutil::Shape(11, k.x, 5, k.x, 30, k.style);
        DrawShape(log, &arrow, 0, 0, {k.scale, kFill, 1920});
        EXPECT_EQ(log.Polygons, k.want) << k.x << " at " << k.scale << " style " << k.style;
    }
}
