#include "schematic/core/hittest.h"

#include <gtest/gtest.h>

#include <climits>
#include "tests/support/test_util.h"

namespace {

struct HitCase {
    TShapeRec shape;
    int64_t x, y;
    bool hit;
};


TEST(ChkShape, ToleranceTable)
{
    const HitCase cases[] = {
        // rectangle: near an edge, the other axis strictly between the corners
        {testutil::Shape(2, 10, 10, 20, 20), 10, 10, false}, {testutil::Shape(2, 10, 10, 20, 20), 10, 11, true},
        {testutil::Shape(2, 10, 10, 20, 20), 11, 10, true},  {testutil::Shape(2, 10, 10, 20, 20), 15, 15, false},
        {testutil::Shape(2, 20, 20, 10, 10), 21, 15, true},  {testutil::Shape(2, 10, 10, 20, 20), 8, 15, false},
        // slanted line: vertical distance below 2, inside the box
        {testutil::Shape(1, 0, 0, 10, 10), 5, 6, true}, {testutil::Shape(1, 0, 0, 10, 10), 5, 7, false},
        {testutil::Shape(1, 0, 0, 10, 10), 11, 11, false}, {testutil::Shape(11, 10, 10, 0, 0), 5, 4, true},
        // axis-parallel lines only hit on their own row or column
        {testutil::Shape(1, 10, 5, 20, 5), 15, 5, true}, {testutil::Shape(1, 10, 5, 20, 5), 15, 6, false},
        {testutil::Shape(1, 10, 5, 20, 5), 9, 5, false}, {testutil::Shape(1, 10, 5, 20, 5), 20, 5, true},
        {testutil::Shape(1, 10, 5, 10, 20), 10, 12, true}, {testutil::Shape(1, 10, 5, 10, 20), 11, 12, false},
        // circle: |distance - radius| < 2, radius from Y2 / 4
        {testutil::Shape(4, 10, 10, 20, 20), 15, 10, true}, {testutil::Shape(4, 10, 10, 20, 20), 13, 14, true},
        {testutil::Shape(4, 10, 10, 20, 20), 10, 10, false}, {testutil::Shape(4, 10, 10, 0, -20), 10, 16, true},
        // ellipse: normalised value 81..109
        {testutil::Shape(3, 0, 0, 20, 10), 20, 5, true}, {testutil::Shape(3, 0, 0, 20, 10), 19, 5, true},
        {testutil::Shape(3, 0, 0, 20, 10), 18, 5, false}, {testutil::Shape(3, 0, 0, 20, 10), 10, 5, false},
        {testutil::Shape(3, 0, 0, 1, 10), 1, 7, true},
        // arc: the centre follows the drag direction
        {testutil::Shape(5, 0, 0, 10, 10), 7, 3, true}, {testutil::Shape(5, 0, 0, 10, 10), 3, 7, false},
        {testutil::Shape(5, 10, 10, 0, 0), 3, 7, true}, {testutil::Shape(5, 10, 10, 0, 0), 7, 3, false},
        {testutil::Shape(5, 0, 10, 10, 0), 3, 3, true}, {testutil::Shape(5, 0, 10, 10, 0), 7, 7, false},
        {testutil::Shape(5, 0, 0, 10, 0), 6, 0, true},
        // arrow head: box widened by one
        {testutil::Shape(6, 10, 10, 20, 14), 9, 9, true}, {testutil::Shape(6, 10, 10, 20, 14), 21, 15, true},
        {testutil::Shape(6, 10, 10, 20, 14), 8, 10, false},
        // sine: within one of a sampled column
        {testutil::Shape(12, 0, 0, 20, 10), 5, 10, true}, {testutil::Shape(12, 0, 0, 20, 10), 5, 9, true},
        {testutil::Shape(12, 0, 0, 20, 10), 15, -10, true}, {testutil::Shape(12, 0, 0, 20, 10), 10, 0, true},
        {testutil::Shape(12, 0, 0, 20, 10), 5, 0, false}, {testutil::Shape(12, 0, 0, 20, 10), 10, 5, false},
        {testutil::Shape(12, 0, 0, 20, 10), 21, 0, false},
        // a wave without width is never hit
        {testutil::Shape(12, 5, 0, 5, 10), 5, 5, false}, {testutil::Shape(12, 5, 0, 5, 10), 5, 0, false},
        // other kinds never
        {testutil::Shape(7, 0, 0, 10, 10), 5, 5, false}, {testutil::Shape(0, 0, 0, 10, 10), 0, 0, false},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(ChkShape(c.shape, c.x, c.y), c.hit)
            << "kind " << c.shape.Kind << " (" << c.shape.X1 << "," << c.shape.Y1 << ")-(" << c.shape.X2 << ","
            << c.shape.Y2 << ") at " << c.x << "," << c.y;
}

TEST(ChkShape, ReadoutOnlyOnHit)
{
    std::string note = "untouched";
    EXPECT_FALSE(ChkShape(testutil::Shape(1, 0, 0, 10, 10), 5, 9, &note));
    EXPECT_EQ(note, "untouched");
    const std::pair<TShapeRec, std::string> cases[] = {
        {testutil::Shape(1, 10, 10, 0, 0), "  (10,10) - (0,0)"},
        {testutil::Shape(2, 20, 20, 10, 10), "  (10,10) - (20,20)"},
        {testutil::Shape(4, 10, 10, 20, 20), "  (10,10) - 5"},
        {testutil::Shape(12, 0, 0, 20, 10), "  (0,0) - (20,10)"},
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
    EXPECT_TRUE(ChkShape(testutil::Shape(1, INT_MIN, INT_MIN, INT_MAX, INT_MAX), 0, 0));
    EXPECT_FALSE(ChkShape(testutil::Shape(1, INT_MIN, INT_MIN, INT_MAX, INT_MAX), 0, 5));
    EXPECT_FALSE(ChkShape(testutil::Shape(4, INT_MAX, 0, 8, 8), INT_MIN, 0));
    EXPECT_TRUE(ChkShape(testutil::Shape(2, INT_MIN, 0, INT_MAX, 10), INT_MAX, 5));
    EXPECT_TRUE(ChkShape(testutil::Shape(6, INT_MAX, INT_MAX, INT_MAX, INT_MAX), int64_t(INT_MAX) + 1, INT_MAX));
    // A wave spanning the whole axis is tested in constant time.
    EXPECT_TRUE(ChkShape(testutil::Shape(12, INT_MIN, 0, INT_MAX, 1000), INT_MIN, 0));
    EXPECT_FALSE(ChkShape(testutil::Shape(12, INT_MIN, 0, INT_MAX, 1000), 0, 900));
    EXPECT_TRUE(ChkShape(testutil::Shape(3, INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX, 0));
}

TEST(Band, EnclosureRulesPerKind)
{
    const TBand b = MakeBand(10, 10, 0, 0);
    EXPECT_TRUE(ShapeInBand(testutil::Shape(1, 5, 5, 50, 50), b));
    EXPECT_TRUE(ShapeInBand(testutil::Shape(2, 50, 50, 5, 5), b));
    EXPECT_FALSE(ShapeInBand(testutil::Shape(1, 0, 5, 50, 50), b));  // on the edge is not inside
    EXPECT_TRUE(ShapeInBand(testutil::Shape(4, 5, 5, 400, 400), b));
    EXPECT_FALSE(ShapeInBand(testutil::Shape(4, 20, 5, 4, 4), b));
    EXPECT_FALSE(ShapeInBand(testutil::Shape(7, 5, 5, 5, 5), b));
    // sine: start, end, middle, crest and trough
    EXPECT_TRUE(ShapeInBand(testutil::Shape(12, 8, 5, 40, 40), b));        // start
    EXPECT_TRUE(ShapeInBand(testutil::Shape(12, -20, 5, 5, 40), b));       // end (X2, Y1)
    EXPECT_TRUE(ShapeInBand(testutil::Shape(12, -20, 5, 30, 40), b));      // middle 5
    EXPECT_TRUE(ShapeInBand(testutil::Shape(12, 0, 20, 20, 5), b));        // crest (5, 5)
    EXPECT_TRUE(ShapeInBand(testutil::Shape(12, -12, 12, 12, 17), b));     // trough (6, 7)
    EXPECT_FALSE(ShapeInBand(testutil::Shape(12, -12, 15, 12, 20), b));    // trough (6, 10) on the edge
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
