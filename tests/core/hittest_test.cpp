#include "schematic/core/hittest.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct HitCase {
    TShapeRec shape;
    int64_t x, y;
    bool hit;
};

TShapeRec S(int32_t kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    TShapeRec s;
    s.Kind = kind;
    s.X1 = x1;
    s.Y1 = y1;
    s.X2 = x2;
    s.Y2 = y2;
    return s;
}

TEST(ChkShape, ToleranceTable)
{
    const HitCase cases[] = {
        // rectangle: near an edge, the other axis strictly between the corners
        {S(2, 10, 10, 20, 20), 10, 10, false}, {S(2, 10, 10, 20, 20), 10, 11, true},
        {S(2, 10, 10, 20, 20), 11, 10, true},  {S(2, 10, 10, 20, 20), 15, 15, false},
        {S(2, 20, 20, 10, 10), 21, 15, true},  {S(2, 10, 10, 20, 20), 8, 15, false},
        // slanted line: vertical distance below 2, inside the box
        {S(1, 0, 0, 10, 10), 5, 6, true}, {S(1, 0, 0, 10, 10), 5, 7, false},
        {S(1, 0, 0, 10, 10), 11, 11, false}, {S(11, 10, 10, 0, 0), 5, 4, true},
        // axis-parallel lines only hit on their own row or column
        {S(1, 10, 5, 20, 5), 15, 5, true}, {S(1, 10, 5, 20, 5), 15, 6, false},
        {S(1, 10, 5, 20, 5), 9, 5, false}, {S(1, 10, 5, 20, 5), 20, 5, true},
        {S(1, 10, 5, 10, 20), 10, 12, true}, {S(1, 10, 5, 10, 20), 11, 12, false},
        // circle: |distance - radius| < 2, radius from Y2 / 4
        {S(4, 10, 10, 20, 20), 15, 10, true}, {S(4, 10, 10, 20, 20), 13, 14, true},
        {S(4, 10, 10, 20, 20), 10, 10, false}, {S(4, 10, 10, 0, -20), 10, 16, true},
        // ellipse: normalised value 81..109
        {S(3, 0, 0, 20, 10), 20, 5, true}, {S(3, 0, 0, 20, 10), 19, 5, true},
        {S(3, 0, 0, 20, 10), 18, 5, false}, {S(3, 0, 0, 20, 10), 10, 5, false},
        {S(3, 0, 0, 1, 10), 1, 7, true},
        // arc: the centre follows the drag direction
        {S(5, 0, 0, 10, 10), 7, 3, true}, {S(5, 0, 0, 10, 10), 3, 7, false},
        {S(5, 10, 10, 0, 0), 3, 7, true}, {S(5, 10, 10, 0, 0), 7, 3, false},
        {S(5, 0, 10, 10, 0), 3, 3, true}, {S(5, 0, 10, 10, 0), 7, 7, false},
        {S(5, 0, 0, 10, 0), 6, 0, true},
        // arrow head: box widened by one
        {S(6, 10, 10, 20, 14), 9, 9, true}, {S(6, 10, 10, 20, 14), 21, 15, true},
        {S(6, 10, 10, 20, 14), 8, 10, false},
        // sine: within one of a sampled column
        {S(12, 0, 0, 20, 10), 5, 10, true}, {S(12, 0, 0, 20, 10), 5, 9, true},
        {S(12, 0, 0, 20, 10), 15, -10, true}, {S(12, 0, 0, 20, 10), 10, 0, true},
        {S(12, 0, 0, 20, 10), 5, 0, false}, {S(12, 0, 0, 20, 10), 10, 5, false},
        {S(12, 0, 0, 20, 10), 21, 0, false},
        // a wave without width is never hit
        {S(12, 5, 0, 5, 10), 5, 5, false}, {S(12, 5, 0, 5, 10), 5, 0, false},
        // other kinds never
        {S(7, 0, 0, 10, 10), 5, 5, false}, {S(0, 0, 0, 10, 10), 0, 0, false},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(ChkShape(c.shape, c.x, c.y), c.hit)
            << "kind " << c.shape.Kind << " (" << c.shape.X1 << "," << c.shape.Y1 << ")-(" << c.shape.X2 << ","
            << c.shape.Y2 << ") at " << c.x << "," << c.y;
}

TEST(ChkShape, ReadoutOnlyOnHit)
{
    std::string note = "untouched";
    EXPECT_FALSE(ChkShape(S(1, 0, 0, 10, 10), 5, 9, &note));
    EXPECT_EQ(note, "untouched");
    const std::pair<TShapeRec, std::string> cases[] = {
        {S(1, 10, 10, 0, 0), "  (10,10) - (0,0)"},
        {S(2, 20, 20, 10, 10), "  (10,10) - (20,20)"},
        {S(4, 10, 10, 20, 20), "  (10,10) - 5"},
        {S(12, 0, 0, 20, 10), "  (0,0) - (20,10)"},
    };
    const std::pair<int64_t, int64_t> at[] = {{5, 5}, {10, 15}, {15, 10}, {0, 0}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_TRUE(ChkShape(cases[i].first, at[i].first, at[i].second, &note));
        EXPECT_EQ(note, cases[i].second);
    }
}

TEST(ChkShape, ExtremeCoordinatesDoNotWrap)
{
    // Differences of full-range values need more than 32 bits.
    EXPECT_TRUE(ChkShape(S(1, INT_MIN, INT_MIN, INT_MAX, INT_MAX), 0, 0));
    EXPECT_FALSE(ChkShape(S(1, INT_MIN, INT_MIN, INT_MAX, INT_MAX), 0, 5));
    EXPECT_FALSE(ChkShape(S(4, INT_MAX, 0, 8, 8), INT_MIN, 0));
    EXPECT_TRUE(ChkShape(S(2, INT_MIN, 0, INT_MAX, 10), INT_MAX, 5));
    EXPECT_TRUE(ChkShape(S(6, INT_MAX, INT_MAX, INT_MAX, INT_MAX), int64_t(INT_MAX) + 1, INT_MAX));
    // A wave spanning the whole axis is tested in constant time.
    EXPECT_TRUE(ChkShape(S(12, INT_MIN, 0, INT_MAX, 1000), INT_MIN, 0));
    EXPECT_FALSE(ChkShape(S(12, INT_MIN, 0, INT_MAX, 1000), 0, 900));
    EXPECT_TRUE(ChkShape(S(3, INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX, 0));
}

TEST(Band, EnclosureRulesPerKind)
{
    const TBand b = MakeBand(10, 10, 0, 0);
    EXPECT_TRUE(ShapeInBand(S(1, 5, 5, 50, 50), b));
    EXPECT_TRUE(ShapeInBand(S(2, 50, 50, 5, 5), b));
    EXPECT_FALSE(ShapeInBand(S(1, 0, 5, 50, 50), b));  // on the edge is not inside
    EXPECT_TRUE(ShapeInBand(S(4, 5, 5, 400, 400), b));
    EXPECT_FALSE(ShapeInBand(S(4, 20, 5, 4, 4), b));
    EXPECT_FALSE(ShapeInBand(S(7, 5, 5, 5, 5), b));
    // sine: start, end, middle, crest and trough
    EXPECT_TRUE(ShapeInBand(S(12, 8, 5, 40, 40), b));        // start
    EXPECT_TRUE(ShapeInBand(S(12, -20, 5, 5, 40), b));       // end (X2, Y1)
    EXPECT_TRUE(ShapeInBand(S(12, -20, 5, 30, 40), b));      // middle 5
    EXPECT_TRUE(ShapeInBand(S(12, 0, 20, 20, 5), b));        // crest (5, 5)
    EXPECT_TRUE(ShapeInBand(S(12, -12, 12, 12, 17), b));     // trough (6, 7)
    EXPECT_FALSE(ShapeInBand(S(12, -12, 15, 12, 20), b));    // trough (6, 10) on the edge
    TTextRec t;
    t.X = 55;
    t.Y = 99;
    EXPECT_TRUE(TextInBand(t, b));
    t.Y = 100;
    EXPECT_FALSE(TextInBand(t, b));
}

TEST(TextBox, AngleDecidesWhichSideOfTheAnchor)
{
    TTextRec t;
    t.X = 100;
    t.Y = 100;
    // 40 by 10 pixels at scale 4: 101 by 26 tenths
    t.Font = font::Make(false, 3, 90);
    EXPECT_TRUE(TextHitBox(t, 40, 10, 4).Hit(10, 5));   // above the anchor
    EXPECT_FALSE(TextHitBox(t, 40, 10, 4).Hit(10, 11)); // below
    t.Font = font::Make(false, 3, 0);
    EXPECT_TRUE(TextHitBox(t, 40, 10, 4).Hit(19, 12));
    EXPECT_FALSE(TextHitBox(t, 40, 10, 4).Hit(9, 12));
    EXPECT_FALSE(TextHitBox(t, 40, 10, 4).Hit(21, 12));
    t.Font = font::Make(false, 3, 180);
    EXPECT_TRUE(TextHitBox(t, 40, 10, 4).Hit(1, 8));
    EXPECT_FALSE(TextHitBox(t, 40, 10, 4).Hit(10, 10));
    t.Font = font::Make(true, 3, 270);
    EXPECT_TRUE(TextHitBox(t, 40, 10, 4).Hit(8, 19));
    EXPECT_FALSE(TextHitBox(t, 40, 10, 4).Hit(8, 9));
    EXPECT_EQ(FreeTextPointSize(font::Make(false, 0, 0), 2), 7);
    EXPECT_EQ(FreeTextPointSize(font::Make(false, 3, 0), 4), 24);
    EXPECT_EQ(FreeTextPointSize(font::Make(false, 1, 0), 8), 24);
}

} // namespace
