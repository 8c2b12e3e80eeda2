// The component window's arithmetic and gesture machine, without a window.
#include "fake_comp_host.h"

#include "components/core/comp_edit.h"
#include "schematic/core/hittest.h"

#include <gtest/gtest.h>

#include <climits>


namespace {

TShapeRec S(int32_t kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t style = 0, int32_t sel = 0)
{
    return TShapeRec{kind, x1, y1, x2, y2, style, sel};
}

class CompGestures : public ::testing::Test {
protected:
    TFakeCompHost host;
    TCompGestures m{host};

    void Drag(TMouseBtn b, int x1, int y1, int x2, int y2)
    {
        m.FormMouseDown(b, {}, x1, y1);
        m.FormMouseMove({}, x2, y2);
        m.FormMouseUp(b, {}, x2, y2);
    }
};

} // namespace

TEST(CompConversions, SnapUnitsAndTenthsTruncateTowardZero)
{
    struct Row {
        int64_t p;
        int32_t s, u, t;
    } rows[] = {
        {0, 0, -50, -500},   {1, 0, -49, -497},   {2, 4, -49, -495},     {199, 200, 0, -2},
        {200, 200, 0, 0},    {201, 200, 0, 2},    {203, 204, 0, 7},      {401, 400, 50, 502},
        {-3, 0, -50, -507},  {-6, -4, -51, -515},
        {INT32_MAX, INT32_MAX, 536870861, INT32_MAX},
        {INT32_MIN, -2147483644, -536870962, INT32_MIN},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.p);
        EXPECT_EQ(comp::Snap(r.p), r.s);
        EXPECT_EQ(comp::Unit(r.p), r.u);
        EXPECT_EQ(comp::Tenth(r.p), r.t);
    }
}

TEST_F(CompGestures, ToolsTheWindowDoesNotHaveAreRefusedWithTheirMessage)
{
    const std::pair<int, const char*> rows[] = {
        {8, "Placing Components is NOT available in Components!"},
        {12, "Sinewaves are NOT available in Components!"},
        {20, "Panning is NOT available in Components!"},
    };
    for (const auto& [tool, text] : rows) {
        host.messages.clear();
        host.drawMode = tool;
        Drag(TMouseBtn::Left, 200, 200, 240, 240);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], text);
        EXPECT_EQ(m.MouseState, 0);
    }
    EXPECT_TRUE(host.model.Empty());
    EXPECT_EQ(host.undoStores, 0);
    EXPECT_FALSE(host.modified);
}

TEST_F(CompGestures, PlacingTableStoresOrRefusesEachTool)
{
    struct Row {
        int tool;
        int x1, y1, x2, y2;
        bool made;
        TShapeRec want;
    } rows[] = {
        {1, 200, 200, 200, 200, false, {}},
        {1, 200, 200, 240, 220, true, S(1, 0, 0, 10, 5)},
        {5, 200, 200, 240, 220, true, S(5, 0, 0, 10, 5)},
        {2, 200, 200, 240, 200, false, {}},          // flat: a horizontal line
        {3, 200, 200, 200, 240, false, {}},
        {2, 220, 180, 180, 220, true, S(2, -5, -5, 5, 5)},   // corners sorted
        {3, 240, 240, 200, 160, true, S(3, 0, -10, 10, 10)},
        {4, 200, 200, 208, 212, true, S(4, 0, 0, 12, 12)},   // radius 3 half units
        {4, 200, 200, 201, 201, false, {}},          // snaps onto the centre
        {6, 200, 200, 220, 200, true, S(6, 0, 0, 5, 0, 1)},
        {6, 200, 200, 200, 200, false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.tool);
        host.model.Clear();
        host.undoStores = 0;
        host.modified = false;
        host.drawMode = r.tool;
        Drag(TMouseBtn::Left, r.x1, r.y1, r.x2, r.y2);
        EXPECT_EQ(host.undoStores, r.made ? 1 : 0);
        EXPECT_EQ(host.modified, r.made);
        ASSERT_EQ(host.model.ShapeList.size(), r.made ? 1u : 0u);
        if (r.made)
            EXPECT_EQ(host.model.ShapeList.front(), r.want);
        // Every release leaves the outline wiped.
        EXPECT_EQ(host.Marked(), 0);
    }
}

TEST_F(CompGestures, LineWithArrowsAsksItsTypeEveryTime)
{
    host.drawMode = 11;
    host.arrowAnswer = 3;
    Drag(TMouseBtn::Left, 200, 200, 240, 200);
    ASSERT_EQ(host.model.ShapeList.size(), 1u);
    EXPECT_EQ(host.model.ShapeList.front().Style, 3 * 256 + 1);
    host.arrowOk = false;
    Drag(TMouseBtn::Left, 200, 200, 240, 200);
    EXPECT_EQ(host.model.ShapeList.size(), 1u);
    // A click in place is refused before any dialog.
    Drag(TMouseBtn::Left, 200, 200, 200, 200);
    EXPECT_EQ(host.arrowAsks, 2);
}

TEST_F(CompGestures, PolylineAddsVerticesOnlyOffBothAxesAndKeepsDrawingOrder)
{
    host.drawMode = 10;
    m.FormMouseDown(TMouseBtn::Left, {}, 200, 200);
    m.FormMouseMove({}, 240, 200);   // same row: no vertex
    EXPECT_EQ(m.PolyPoints.size(), 1u);
    m.FormMouseMove({}, 240, 240);
    m.FormMouseMove({}, 280, 200);
    EXPECT_EQ(m.PolyPoints.size(), 3u);
    EXPECT_GT(host.Marked(), 0);
    m.FormMouseUp(TMouseBtn::Left, {}, 280, 200);
    const std::vector<TShapeRec> got(host.model.ShapeList.begin(), host.model.ShapeList.end());
    const std::vector<TShapeRec> want{S(1, 10, 10, 0, 0), S(1, 20, 0, 10, 10)};
    EXPECT_EQ(got, want);
    EXPECT_TRUE(m.PolyPoints.empty());
    EXPECT_EQ(host.undoStores, 1);
}

TEST_F(CompGestures, AnotherButtonDuringAGestureOnlyEndsIt)
{
    // A right press during a polyline, a left press during a move, a right press during a
    // new shape: each frees the vertices, wipes the outline and restores the cursor.
    struct Row {
        int tool;
        TMouseBtn first, second;
    } rows[] = {
        {10, TMouseBtn::Left, TMouseBtn::Right},
        {0, TMouseBtn::Right, TMouseBtn::Left},
        {2, TMouseBtn::Left, TMouseBtn::Right},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.tool);
        host.model.Clear();
        host.model.ShapeList.push_back(S(1, 0, 0, 10, 0, 0, 1));
        host.undoStores = 0;
        host.drawMode = r.tool;
        m.FormMouseDown(r.first, {}, 200, 200);
        m.FormMouseMove({}, 240, 240);
        m.FormMouseMove({}, 280, 200);
        m.FormMouseDown(r.second, {}, 280, 200);
        EXPECT_EQ(m.MouseState, 0);
        EXPECT_TRUE(m.PolyPoints.empty());
        EXPECT_EQ(host.Marked(), 0);
        EXPECT_EQ(host.cursor, sch_cursor::Default);
        // The releases that follow commit nothing.
        m.FormMouseUp(r.second, {}, 280, 200);
        m.FormMouseUp(r.first, {}, 280, 200);
        EXPECT_EQ(host.model.ShapeList.size(), 1u);
        EXPECT_EQ(host.model.ShapeList.front().X1, 0);
        EXPECT_EQ(host.undoStores, 0);
    }
}

TEST_F(CompGestures, KeysWaitWhileAGestureRuns)
{
    host.model.ShapeList.push_back(S(1, 0, 0, 10, 0));
    host.hitShape = &host.model.ShapeList.front();
    host.drawMode = 1;
    m.FormMouseDown(TMouseBtn::Left, {}, 100, 100);
    // The press unselected everything and emptied the link; give it back to see Enter refuse.
    host.hitShape = &host.model.ShapeList.front();
    host.model.ShapeList.front().Selected = 1;
    for (TCompKey k : {TCompKey::Enter, TCompKey::Left, TCompKey::Delete})
        m.FormKeyDown(k);
    EXPECT_EQ(host.penSizeRuns, 0);
    EXPECT_EQ(host.deletes, 0);
    EXPECT_EQ(host.model.ShapeList.front().X1, 0);
    m.FormMouseUp(TMouseBtn::Left, {}, 100, 100);
    host.hitShape = &host.model.ShapeList.front();
    m.FormKeyDown(TCompKey::Enter);
    m.FormKeyDown(TCompKey::Left);
    m.FormKeyDown(TCompKey::Delete);
    EXPECT_EQ(host.penSizeRuns, 1);
    EXPECT_EQ(host.model.ShapeList.front().X1, -1);
    EXPECT_EQ(host.deletes, 1);
}

TEST_F(CompGestures, ArrowKeysMoveShapesOneHalfUnitAndTextsTwoTenths)
{
    host.model.ShapeList.push_back(S(4, 0, 0, 8, 8, 0, 1));
    host.model.ShapeList.push_back(S(2, 0, 0, 4, 4, 0, 0));
    host.model.TextList.push_back(TCompTextRec{"R", 48, 30, 40, 1});
    m.FormKeyDown(TCompKey::Right);
    m.FormKeyDown(TCompKey::Up);
    EXPECT_EQ(host.model.ShapeList.front(), S(4, 1, -1, 8, 8, 0, 1));   // the centre only
    EXPECT_EQ(host.model.ShapeList.back(), S(2, 0, 0, 4, 4));
    EXPECT_EQ(host.model.TextList.front().X, 32);
    EXPECT_EQ(host.model.TextList.front().Y, 38);
    EXPECT_EQ(host.undoStores, 2);
}

TEST_F(CompGestures, RightDragMovesTheSelectionInGridSteps)
{
    host.model.ShapeList.push_back(S(1, 0, 0, 10, 0, 0, 1));
    host.model.ShapeList.push_back(S(4, 0, 0, 8, 8, 0, 1));
    host.model.ShapeList.push_back(S(12, 0, 0, 8, 8, 0, 1));   // a sine from a file stays
    host.model.TextList.push_back(TCompTextRec{"R", 48, 30, 40, 1});
    m.FormMouseDown(TMouseBtn::Right, {}, 200, 200);
    EXPECT_EQ(host.cursor, sch_cursor::Move);
    m.FormMouseMove({}, 208, 201);
    EXPECT_EQ(host.status2, "(50,50) - (52,50)");
    m.FormMouseUp(TMouseBtn::Right, {}, 208, 201);
    EXPECT_EQ(host.cursor, sch_cursor::Default);
    auto it = host.model.ShapeList.begin();
    EXPECT_EQ(*it++, S(1, 2, 0, 12, 0, 0, 1));
    EXPECT_EQ(*it++, S(4, 2, 0, 8, 8, 0, 1));
    EXPECT_EQ(*it++, S(12, 0, 0, 8, 8, 0, 1));
    EXPECT_EQ(host.model.TextList.front().X, 50);
    EXPECT_EQ(host.undoStores, 1);
}

TEST_F(CompGestures, RepeatedClicksStepThroughCrossingLines)
{
    host.model.ShapeList.push_back(S(1, -10, -10, 10, 10));
    host.model.ShapeList.push_back(S(1, -10, 10, 10, -10));
    m.FormMouseDown(TMouseBtn::Left, {}, 200, 200);
    m.FormMouseUp(TMouseBtn::Left, {}, 200, 200);
    EXPECT_EQ(host.hitShape, &host.model.ShapeList.front());
    EXPECT_EQ(host.status2, "(-10,-10) - (10,10)");
    m.FormMouseDown(TMouseBtn::Left, {}, 200, 200);
    m.FormMouseUp(TMouseBtn::Left, {}, 200, 200);
    EXPECT_EQ(host.hitShape, &host.model.ShapeList.back());
    EXPECT_EQ(host.model.ShapeList.front().Selected, 0);
    EXPECT_EQ(host.model.ShapeList.back().Selected, 1);
}

TEST_F(CompGestures, ClickOnATextSelectsItAndMissesStartTheBand)
{
    host.model.TextList.push_back(TCompTextRec{"R1", 48, 0, 0, 0});
    // 40 by 20 pixels: 101 by 51 tenths from its corner.
    m.FormMouseDown(TMouseBtn::Left, {}, 212, 208);
    m.FormMouseUp(TMouseBtn::Left, {}, 212, 208);
    EXPECT_EQ(host.hitText, &host.model.TextList.front());
    EXPECT_EQ(host.model.TextList.front().Selected, 1);
    m.FormMouseDown(TMouseBtn::Left, {}, 300, 300);
    EXPECT_EQ(m.MouseState, 4);
    EXPECT_EQ(host.hitText, nullptr);
    EXPECT_EQ(host.model.TextList.front().Selected, 0);
    m.FormMouseUp(TMouseBtn::Left, {}, 300, 300);
}

TEST_F(CompGestures, RubberBandTestsACircleByItsCentreOnly)
{
    host.model.ShapeList.push_back(S(4, 40, 40, 8, 8));    // far circle; its size pair lies in the band
    host.model.ShapeList.push_back(S(1, 40, 40, 2, 2));    // a line's second point does select it
    host.model.ShapeList.push_back(S(4, 1, 1, 80, 80));    // near circle, large
    host.model.TextList.push_back(TCompTextRec{"in", 48, 30, 30, 0});
    host.model.TextList.push_back(TCompTextRec{"out", 48, 30, 200, 0});
    m.FormMouseDown(TMouseBtn::Left, {}, 180, 180);   // no hit: the band begins
    ASSERT_EQ(m.MouseState, 4);
    m.FormMouseMove({}, 900, 240);   // held at 400 on each axis
    EXPECT_EQ(m.EndX, 400);
    m.FormMouseUp(TMouseBtn::Left, {}, 240, 240);
    std::vector<int> sel;
    for (const TShapeRec& s : host.model.ShapeList)
        sel.push_back(s.Selected);
    EXPECT_EQ(sel, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(host.model.TextList.front().Selected, 1);
    EXPECT_EQ(host.model.TextList.back().Selected, 0);
    EXPECT_EQ(host.undoStores, 0);
}

TEST_F(CompGestures, TextsComeInAtTheClickAndAlterAfterTheirDialog)
{
    host.drawMode = 7;
    host.textAnswer.Text = std::string(150, 'x');
    host.textAnswer.SizeIndex = 4;
    host.textAnswer.Symbol = true;
    m.FormMouseDown(TMouseBtn::Left, {}, 210, 230);
    m.FormMouseUp(TMouseBtn::Left, {}, 210, 230);
    ASSERT_EQ(host.model.TextList.size(), 1u);
    const TCompTextRec& t = host.model.TextList.front();
    EXPECT_EQ(t.X, 25);
    EXPECT_EQ(t.Y, 75 - 40);
    EXPECT_EQ(t.Font, 5 * 16 + 1);
    EXPECT_EQ(t.Text.size(), 100u);

    // The text goes away while its dialog is open: nothing is written to it.
    host.undoStores = 0;
    host.duringTextDialog = [&] { host.model.TextList.clear(); };
    m.AlterText(&host.model.TextList.front());
    EXPECT_TRUE(host.model.TextList.empty());
    EXPECT_EQ(host.undoStores, 0);
}

TEST_F(CompGestures, SelectButtonsStepThroughTheShapes)
{
    for (int i = 0; i < 3; ++i)
        host.model.ShapeList.push_back(S(1, i, 0, i, 10));
    auto nth = [&](int n) { return &*std::next(host.model.ShapeList.begin(), n); };
    const std::pair<int, int> steps[] = {{2, -1}, {1, 0}, {3, 0}, {2, 1}, {2, 2}, {2, 2}, {3, 1}};
    for (const auto& [tag, want] : steps) {
        m.SelectShapeButClick(tag);
        EXPECT_EQ(host.hitShape, want < 0 ? nullptr : nth(want)) << tag;
        int selected = 0;
        for (const TShapeRec& s : host.model.ShapeList)
            selected += s.Selected;
        EXPECT_EQ(selected, want < 0 ? 0 : 1);
    }
}

TEST(CompHitRules, EllipsesAndArcsHitByBoxSinesNever)
{
    struct Row {
        TShapeRec s;
        int64_t x, y;
        bool sch, comp;
    } rows[] = {
        {S(3, 0, 0, 20, 10), 10, 5, false, true},   // centre of an ellipse
        {S(3, 0, 0, 20, 10), 20, 5, true, true},
        {S(5, 0, 0, 20, 10), 1, 9, false, true},
        {S(12, 0, 0, 20, 5), 0, 0, true, false},
        {S(2, 10, 10, 20, 20), 15, 15, false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ChkShape(r.s, r.x, r.y), r.sch) << r.s.Kind;
        EXPECT_EQ(ChkShape(r.s, r.x, r.y, nullptr, THitRules::Component), r.comp) << r.s.Kind;
    }
    std::string note;
    ASSERT_TRUE(ChkShape(S(4, 10, 10, 20, 20), 15, 10, &note, THitRules::Component));
    EXPECT_EQ(note, "(10,10) - 5");
}
