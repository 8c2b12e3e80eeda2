#include "schematic/core/edits.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using testing::Test;

TShapeRec S(int32_t kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t style = 0, int32_t sel = 0)
{
    return {kind, x1, y1, x2, y2, style, sel};
}

} // namespace

TEST(Edits, TurnBodyPerMode)
{
    struct Case {
        int mode;
        TShapeRec in, want;
    };
    const Case cases[] = {
        // A line: each point on its own.
        {edits::Mirror, S(1, 2, 3, 4, -5), S(1, -2, 3, -4, -5)},
        {edits::Flip, S(1, 2, 3, 4, -5), S(1, 2, -3, 4, 5)},
        {edits::Clockwise, S(1, 2, 0, 4, 0), S(1, 0, 2, 0, 4)},
        {edits::Anti, S(1, 2, 0, 4, 0), S(1, 0, -2, 0, -4)},
        // An arc exchanges its points under mirror and flip, not under the turns.
        {edits::Mirror, S(5, 0, 0, 4, 6), S(5, -4, 6, 0, 0)},
        {edits::Flip, S(5, 0, 0, 4, 6), S(5, 4, -6, 0, 0)},
        {edits::Clockwise, S(5, 0, 0, 4, 6), S(5, 0, 0, -6, 4)},
        // A circle's (X2, Y2) is a point like any other.
        {edits::Clockwise, S(4, 2, 1, 8, 8, 1), S(4, -1, 2, -8, 8, 1)},
        {edits::Mirror, S(4, 2, 1, 8, 8), S(4, -2, 1, -8, 8)},
        // Unknown modes keep everything; negating the lowest value holds at the top.
        {7, S(1, 1, 2, 3, 4), S(1, 1, 2, 3, 4)},
        {edits::Mirror, S(1, INT32_MIN, 0, INT32_MAX, 0), S(1, INT32_MAX, 0, -INT32_MAX, 0)},
        {edits::Clockwise, S(1, 0, INT32_MIN, 0, 0), S(1, INT32_MAX, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        TCompRec comp;
        comp.X = 50;
        comp.Shapes.push_back(c.in);
        comp.Texts.push_back({"R1", c.in.X1, c.in.Y1, 0x30, 0});
        edits::TurnComp(comp, c.mode);
        EXPECT_EQ(comp.Shapes.front(), c.want) << "mode " << c.mode << " kind " << c.in.Kind;
        // Texts turn as points, never exchanged, and keep their font word.
        TTextRec t{"R1", c.in.X1, c.in.Y1, 0x30, 0};
        edits::TurnPoint(c.mode, t.X, t.Y);
        EXPECT_EQ(comp.Texts.front(), t);
        EXPECT_EQ(comp.X, 50);   // the origin stays
    }
}

TEST(Edits, FourQuarterTurnsAndTwoMirrorsGiveBackTheBody)
{
    TCompRec c;
    c.Shapes = {S(1, 2, 0, 4, 0), S(5, -3, 7, 9, 1), S(4, 1, 1, -8, 8, 1), S(12, -6, 2, 6, -4)};
    c.Texts = {{"Q1", 35, -12, 0x11, 0}};
    const TCompRec before = c;
    for (int mode : {edits::Clockwise, edits::Anti, edits::Mirror, edits::Flip}) {
        const int times = mode >= edits::Clockwise ? 4 : 2;
        for (int i = 0; i < times; ++i)
            edits::TurnComp(c, mode);
        EXPECT_EQ(c, before) << "mode " << mode;
    }
    edits::TurnComp(c, edits::Clockwise);
    edits::TurnComp(c, edits::Anti);
    EXPECT_EQ(c, before);
}

TEST(Edits, FreeTextAngleQuarterTurns)
{
    struct Case {
        int angle, clockwise, anti;
    };
    const Case cases[] = {{0, 270, 90}, {90, 0, 180}, {180, 90, 270}, {270, 180, 0}, {45, 45, 45}, {360, 360, 360}};
    for (const Case& c : cases) {
        const int32_t font = c.angle * 256 + 0x51;   // symbol flag 1, size step 5
        EXPECT_EQ(edits::TurnTextFont(font, edits::Clockwise), c.clockwise * 256 + 0x51) << c.angle;
        EXPECT_EQ(edits::TurnTextFont(font, edits::Anti), c.anti * 256 + 0x51) << c.angle;
        EXPECT_EQ(edits::TurnTextFont(font, edits::Mirror), font);
        EXPECT_EQ(edits::TurnTextFont(font, edits::Flip), font);
    }
}

TEST(Edits, TurnSelectionTouchesOnlySelectedComponentsTextsAndThePlacedOne)
{
    TSchModel m;
    m.ShapeList.push_back(S(1, 2, 0, 4, 0, 0, 1));   // free shapes never turn
    TCompRec c;
    c.Shapes.push_back(S(1, 2, 0, 4, 0));
    m.CompList.push_back(c);
    m.CompList.push_back(c);
    m.CompList.back().Selected = 1;
    m.TextList.push_back({"a", 5, 5, 0x10, 1});
    m.TextList.push_back({"b", 5, 5, 0x10, 0});
    TCompRec placing = c;
    const edits::TTurnResult r = edits::TurnSelection(m, edits::Clockwise, &placing);
    EXPECT_EQ(r.Comps, 1);
    EXPECT_EQ(r.Texts, 1);
    EXPECT_EQ(m.ShapeList.front(), S(1, 2, 0, 4, 0, 0, 1));
    EXPECT_EQ(m.CompList.front().Shapes.front(), S(1, 2, 0, 4, 0));
    EXPECT_EQ(m.CompList.back().Shapes.front(), S(1, 0, 2, 0, 4));
    EXPECT_EQ(placing.Shapes.front(), S(1, 0, 2, 0, 4));
    EXPECT_EQ(m.TextList.front().Font, 270 * 256 + 0x10);
    EXPECT_EQ(m.TextList.front().X, 5);   // the position stays
    EXPECT_EQ(m.TextList.back().Font, 0x10);
    // Mirror leaves free texts alone and counts none.
    EXPECT_EQ(edits::TurnSelection(m, edits::Mirror, nullptr).Texts, 0);
    EXPECT_EQ(m.TextList.front().Font, 270 * 256 + 0x10);
}

TEST(Edits, MovesClampAtTheEnds)
{
    TSchModel m;
    m.ShapeList = {S(1, 1, 1, 2, 2, 0, 1), S(4, 10, 10, 8, 8, 0, 1), S(9, 1, 1, 1, 1, 0, 1), S(1, 0, 0, 1, 1)};
    m.CompList.push_back(TCompRec{INT32_MAX - 1, 0, 1, {}, {}});
    m.TextList.push_back({"t", INT32_MIN + 5, 100, 0, 1});
    EXPECT_EQ(edits::MoveSelection(m, 3, -2), 5);
    auto it = m.ShapeList.begin();
    EXPECT_EQ(*it++, S(1, 4, -1, 5, 0, 0, 1));
    EXPECT_EQ(*it++, S(4, 13, 8, 8, 8, 0, 1));   // the circle's centre only
    EXPECT_EQ(*it++, S(9, 1, 1, 1, 1, 0, 1));    // a kind without points stays
    EXPECT_EQ(*it++, S(1, 0, 0, 1, 1));          // not selected
    EXPECT_EQ(m.CompList.front().X, INT32_MAX);
    EXPECT_EQ(m.TextList.front().X, INT32_MIN + 35);
    EXPECT_EQ(m.TextList.front().Y, 80);
    edits::MoveSelection(m, INT64_C(-5000000000), 0);
    EXPECT_EQ(m.TextList.front().X, INT32_MIN);
}

TEST(Edits, NudgeMovesMarksOfExactlyOne)
{
    TSchModel m;
    m.ShapeList = {S(1, 0, 0, 5, 5, 0, 1), S(4, 10, 10, 8, 8, 0, 1), S(1, 0, 0, 5, 5, 0, 2)};
    m.CompList.push_back(TCompRec{3, 3, 1, {}, {}});
    m.TextList.push_back({"t", 100, 100, 0, 1});
    struct Case {
        int dir;
        bool fine;
        TShapeRec line, circle;
        int32_t compX, compY, textX, textY;
    };
    const Case cases[] = {
        {1, false, S(1, -1, 0, 4, 5, 0, 1), S(4, 9, 10, 8, 8, 0, 1), 2, 3, 90, 100},
        {2, true, S(1, 0, 0, 5, 5, 0, 1), S(4, 10, 10, 8, 8, 0, 1), 3, 3, 91, 100},
        {3, true, S(1, 0, -1, 5, 4, 0, 1), S(4, 10, 9, 8, 8, 0, 1), 3, 2, 91, 99},
        {4, false, S(1, 0, 0, 5, 5, 0, 1), S(4, 10, 10, 8, 8, 0, 1), 3, 3, 91, 109},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(edits::NudgeSelection(m, c.dir, c.fine), 4);
        auto it = m.ShapeList.begin();
        EXPECT_EQ(*it++, c.line) << c.dir;
        EXPECT_EQ(*it++, c.circle) << c.dir;
        EXPECT_EQ(*it, S(1, 0, 0, 5, 5, 0, 2));   // a mark of 2 is not "exactly 1"
        EXPECT_EQ(m.CompList.front().X, c.compX);
        EXPECT_EQ(m.CompList.front().Y, c.compY);
        EXPECT_EQ(m.TextList.front().X, c.textX);
        EXPECT_EQ(m.TextList.front().Y, c.textY);
    }
    EXPECT_EQ(edits::NudgeSelection(m, 9, false), 0);
}

TEST(Edits, PanPlan)
{
    struct Case {
        const char* name;
        TSchModel m;
        edits::TPanPlan::TState state;
        int64_t dx, dy;
    };
    TSchModel lines;
    lines.ShapeList = {S(1, 10, 20, 30, -4), S(2, 12, 0, 40, 50)};
    TSchModel circle;   // centre (10, 10), radius 2: its edges count, from |Y2|
    circle.ShapeList = {S(4, 10, 10, 8, -8)};
    TSchModel mixed;
    mixed.CompList.push_back(TCompRec{-7, 30, 0, {{1, -90, -90, 0, 0, 0, 0}}, {}});   // own shapes not looked at
    mixed.TextList.push_back({"t", 55, -19, 0, 0});   // whole units: 5, -1
    mixed.ShapeList = {S(7, -100, -100, -100, -100)};   // unknown kinds are ignored
    TSchModel unknownOnly;
    unknownOnly.ShapeList = {S(7, -100, -100, -100, -100)};
    TSchModel huge;   // the shift would push the far point past the top
    huge.ShapeList = {S(1, -10, 0, INT32_MAX - 5, 0)};
    TSchModel hugeText;
    hugeText.TextList.push_back({"t", INT32_MAX - 5, 5, 0, 0});
    hugeText.ShapeList = {S(1, -1000, 0, 0, 0)};
    const Case cases[] = {
        {"lines", lines, edits::TPanPlan::Shift, 9, -5},
        {"circle", circle, edits::TPanPlan::Shift, 7, 7},
        {"mixed", mixed, edits::TPanPlan::Shift, -8, -2},
        {"empty", TSchModel{}, edits::TPanPlan::Nothing, 0, 0},
        {"unknown only", unknownOnly, edits::TPanPlan::Nothing, 0, 0},
        {"huge", huge, edits::TPanPlan::TooLarge, -11, -1},
        {"huge text", hugeText, edits::TPanPlan::TooLarge, -1001, -1},
    };
    for (const Case& c : cases) {
        const edits::TPanPlan p = edits::PlanPan(c.m);
        EXPECT_EQ(p.State, c.state) << c.name;
        if (c.state != edits::TPanPlan::Nothing) {
            EXPECT_EQ(p.DX, c.dx) << c.name;
            EXPECT_EQ(p.DY, c.dy) << c.name;
        }
    }
    // After the shift the smallest measured value on each axis is 1.
    TSchModel m = mixed;
    const edits::TPanPlan p = edits::PlanPan(m);
    edits::ApplyPan(m, p.DX, p.DY);
    EXPECT_EQ(m.CompList.front().X, 1);
    EXPECT_EQ(m.CompList.front().Shapes.front().X1, -90);
    EXPECT_EQ(m.TextList.front().X, 135);
    EXPECT_EQ(m.TextList.front().Y, 1);
    EXPECT_EQ(m.ShapeList.front(), S(7, -100, -100, -100, -100));
    TSchModel cm = circle;
    edits::ApplyPan(cm, 7, 7);
    EXPECT_EQ(cm.ShapeList.front(), S(4, 3, 3, 8, -8));
}

TEST(Edits, HandleCommitsPerKind)
{
    struct Case {
        const char* name;
        TShapeRec in;
        int dx, dy;
        TShapeRec second, first;   // after MoveSecondPoint / MoveFirstPoint
        bool firstServes;
    };
    const Case cases[] = {
        {"line", S(1, 0, 0, 10, 10), 2, -1, S(1, 0, 0, 12, 9), S(1, 2, -1, 10, 10), true},
        {"rect past its corner", S(2, 0, 0, 10, 10), -15, 0, S(2, 0, 0, -5, 10), S(2, -15, 0, 10, 10), true},
        {"arrow head", S(6, 0, 0, 10, 0, 1), 0, 3, S(6, 0, 0, 10, 3, 1), S(6, 0, 0, 10, 0, 1), false},
        {"sine", S(12, 0, 5, 10, 8), 1, 1, S(12, 0, 5, 11, 9), S(12, 0, 5, 10, 8), false},
        {"circle grows", S(4, 10, 10, 8, 8), 3, 9, S(4, 10, 10, 20, 20), S(4, 10, 10, 8, 8), false},
        {"circle past its centre", S(4, 10, 10, 8, 8), -5, 0, S(4, 10, 10, 12, 12), S(4, 10, 10, 8, 8), false},
        {"circle at the minimum", S(4, 10, 10, 8, 8), -2, 0, S(4, 10, 10, 4, 4), S(4, 10, 10, 8, 8), false},
        // The radius is read from |Y2| as drawn: a stored negative X2 does not shrink it.
        {"circle with negative X2", S(4, 10, 10, -20, -20), 1, 0, S(4, 10, 10, 24, 24), S(4, 10, 10, -20, -20), false},
        {"line at the end", S(1, 0, 0, INT32_MAX - 1, 0), 5, 0, S(1, 0, 0, INT32_MAX, 0), S(1, 5, 0, INT32_MAX - 1, 0), true},
        {"unknown kind", S(8, 1, 1, 2, 2), 1, 1, S(8, 1, 1, 2, 2), S(8, 1, 1, 2, 2), false},
    };
    for (const Case& c : cases) {
        TShapeRec a = c.in, b = c.in;
        edits::MoveSecondPoint(a, c.dx, c.dy);
        EXPECT_EQ(a, c.second) << c.name;
        EXPECT_EQ(edits::MoveFirstPoint(b, c.dx, c.dy), c.firstServes) << c.name;
        EXPECT_EQ(b, c.first) << c.name;
    }
}

TEST(Edits, DuplicateHoldsAtTheEndsAndCopiesOnlyWhatWasThere)
{
    TSchModel m;
    m.ShapeList = {S(1, INT32_MAX - 1, 0, INT32_MAX, 5, 0, 1), S(4, INT32_MAX, 0, 8, 8, 1, 1)};
    m.TextList.push_back({"t", INT32_MAX - 20, 0, 0, 1});
    const edits::TDupResult r = edits::DuplicateSelection(m, 8);
    EXPECT_EQ(r.Shapes, 2);
    EXPECT_EQ(r.Texts, 1);
    ASSERT_EQ(m.ShapeList.size(), 4u);
    auto it = std::next(m.ShapeList.begin(), 2);
    EXPECT_EQ(*it++, S(1, INT32_MAX, 8, INT32_MAX, 13, 0, 1));
    EXPECT_EQ(*it, S(4, INT32_MAX, 8, 8, 8, 1, 1));
    EXPECT_EQ(m.TextList.back().X, INT32_MAX);
    // A second duplicate copies the two copies, not the originals.
    EXPECT_EQ(edits::DuplicateSelection(m, 8).Shapes, 2);
    EXPECT_EQ(m.ShapeList.size(), 6u);
}
