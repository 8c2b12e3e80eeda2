#include <gtest/gtest.h>

#include "fake_host.h"
#include "tests/support/test_util.h"

namespace {

const TShiftState kNone{};
TShiftState Shifted()
{
    TShiftState s;
    s.Shift = true;
    return s;
}

struct Rig {
    FakeHost host;
    TSchGestures g{host};
    void Drag(int tool, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        host.drawMode = tool;
        g.FormMouseDown(TMouseBtn::Left, kNone, x1, y1);
        g.FormMouseMove(kNone, (x1 + x2) / 2, (y1 + y2) / 2);
        g.FormMouseMove(kNone, x2, y2);
        g.FormMouseUp(TMouseBtn::Left, kNone, x2, y2);
    }
    void Click(int32_t x, int32_t y, TShiftState s = {})
    {
        g.FormMouseDown(TMouseBtn::Left, s, x, y);
        g.FormMouseUp(TMouseBtn::Left, s, x, y);
    }
};


TEST(Gestures, SnappingWithNegativePixels)
{
    struct Case {
        int32_t scale, px, world;
    };
    const Case cases[] = {
        {2, 0, 0},  {2, 1, 1},   {2, -1, 0},  {2, -2, 0},  {2, -3, -1}, {4, 1, 0},  {4, 2, 1},  {4, -2, 0},
        {4, -3, 0}, {4, -6, -1}, {4, -7, -1}, {8, 3, 0},   {8, 4, 1},   {8, 13, 2}, {8, -4, 0}, {8, -5, 0},
        {8, -12, -1}, {8, -13, -1},
    };
    for (const Case& c : cases) {
        Rig r;
        r.host.scale = c.scale;
        r.host.drawMode = 9;  // a dot lands on the snapped press
        r.Click(c.px, c.px);
        ASSERT_EQ(r.host.model.ShapeList.size(), 1u);
        EXPECT_EQ(r.host.model.ShapeList.back().X1, c.world) << "scale " << c.scale << " pixel " << c.px;
        EXPECT_EQ(r.host.model.ShapeList.back().Y1, c.world);
    }
    // The press read-out is in window units; the dot's in snapped pixels.
    Rig r;
    r.host.scale = 8;
    r.host.drawMode = 1;
    r.g.FormMouseDown(TMouseBtn::Left, kNone, 13, 3);
    EXPECT_EQ(r.g.StartX, 16);
    EXPECT_EQ(r.g.StartY, 0);
    EXPECT_EQ(r.host.status2, "  (2,0) ");
    Rig d;
    d.host.drawMode = 9;
    d.Click(13, 7);
    EXPECT_EQ(d.host.status2, "  (12,8) ");
}

TEST(Gestures, EveryToolMakesItsRecordOrRefuses)
{
    struct Case {
        int tool;
        int32_t x1, y1, x2, y2;
        bool made;
        TShapeRec rec;
    };
    const Case cases[] = {
        {1, 0, 0, 40, 20, true, testutil::Shape(1, 0, 0, 10, 5)},
        {1, 10, 10, 11, 11, false, {}},
        {2, 40, 40, 0, 0, true, testutil::Shape(2, 0, 0, 10, 10)},
        {2, 0, 0, 40, 1, false, {}},
        {3, 40, 0, 0, 40, true, testutil::Shape(3, 0, 0, 10, 10)},
        {3, 0, 0, 0, 40, false, {}},
        {4, 40, 40, 52, 44, true, testutil::Shape(4, 10, 10, 12, 12)},
        {4, 40, 40, 40, 40, false, {}},
        {5, 0, 0, 40, 0, true, testutil::Shape(5, 0, 0, 10, 0)},
        {5, 8, 8, 8, 8, false, {}},
        {6, 40, 40, 0, 0, true, testutil::Shape(6, 10, 10, 0, 0, 1)},
        {6, 0, 0, 1, 1, false, {}},
        {12, 40, 20, 0, 8, true, testutil::Shape(12, 0, 5, 10, 8)},
        {12, 0, 20, 40, 20, false, {}},
        {12, 20, 0, 20, 40, false, {}},
        {7 + 100, 0, 0, 40, 40, false, {}},
    };
    for (const Case& c : cases) {
        Rig r;
        r.host.model.ShapeList.push_back(testutil::Shape(1, 100, 100, 101, 101));
        r.Drag(c.tool, c.x1, c.y1, c.x2, c.y2);
        SCOPED_TRACE("tool " + std::to_string(c.tool));
        EXPECT_EQ(r.g.MouseState, 0);
        if (c.tool < 100) {
            EXPECT_GE(r.host.fullRedraws, 2);  // press deselects, release redraws
        }
        EXPECT_TRUE(r.host.Showing().empty());
        if (!c.made) {
            EXPECT_EQ(r.host.model.ShapeList.size(), 1u);
            EXPECT_EQ(r.host.undoCount, 0);
            EXPECT_EQ(r.host.modified, 0);
            continue;
        }
        ASSERT_EQ(r.host.model.ShapeList.size(), 2u);
        EXPECT_EQ(r.host.model.ShapeList.back(), c.rec);  // appended at the tail
        EXPECT_EQ(r.host.undoCount, 1);
        EXPECT_EQ(r.host.modified, 1);
    }
    // World values take the scroll offset.
    Rig r;
    r.host.offX = 7;
    r.host.offY = -3;
    r.host.scale = 2;
    r.Drag(2, 0, 0, 9, 9);
    EXPECT_EQ(r.host.model.ShapeList.back(), testutil::Shape(2, 7, -3, 12, 2));
}

TEST(Gestures, OutlinesFollowThePointerAndEraseThemselves)
{
    // After each move exactly the current crosshair and outline remain on the surface.
    Rig r;
    r.host.drawMode = 2;
    r.g.FormMouseDown(TMouseBtn::Left, kNone, 8, 8);
    for (int x : {20, 33, 47}) {
        r.g.FormMouseMove(kNone, x, 30);
        const int32_t ex = ((x + 2) / 4) * 4;
        std::vector<std::string> expect{
            "xor 008000 rect 8,8 " + FakeHost::P(ex + 1, 33),
            "xor FF00FF line " + FakeHost::P(ex, 0) + " " + FakeHost::P(ex, 400),
            "xor FF00FF line 0,32 688,32",
        };
        std::sort(expect.begin(), expect.end());
        EXPECT_EQ(r.host.Showing(), expect) << x;
    }
    // The arc and arrow-head outlines obey the same bookkeeping.
    for (int tool : {3, 4, 5, 6, 11, 12}) {
        Rig a;
        a.host.drawMode = tool;
        a.g.FormMouseDown(TMouseBtn::Left, kNone, 40, 40);
        const auto atPress = a.host.Showing();
        a.g.FormMouseMove(kNone, 60, 20);
        a.g.FormMouseMove(kNone, 20, 64);
        EXPECT_NE(a.host.Showing(), atPress) << tool;
        a.g.FormMouseMove(kNone, 40, 40);
        // Back at the press: the surface shows what it showed after the press.
        EXPECT_EQ(a.host.Showing(), atPress) << tool;
    }
}

TEST(Gestures, ArcOutlinePerQuadrant)
{
    struct Case {
        int32_t sx, sy, ex, ey;
        std::string arc;
    };
    const Case cases[] = {
        {0, 40, 20, 20, "arc 0,20 41,60 20,20 0,40"},
        {0, 0, 20, 20, "arc -20,0 21,40 20,20 0,0"},
        {20, 0, 0, 20, "arc -20,-20 21,21 0,20 20,0"},
        {20, 20, 0, 0, "arc 0,-20 40,21 0,0 20,20"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.host.drawMode = 5;
        r.g.FormMouseDown(TMouseBtn::Left, kNone, c.sx, c.sy);
        r.g.FormMouseMove(kNone, c.ex, c.ey);
        EXPECT_EQ(r.host.overlay.back(), "xor 008000 " + c.arc);
    }
}

TEST(Gestures, ArrowQuestion)
{
    // Remembered type: nothing is asked.
    {
        Rig r;
        r.host.defaultArrow = 3;
        r.Drag(11, 0, 0, 40, 0);
        EXPECT_EQ(r.host.arrowAsked, 0);
        EXPECT_EQ(r.host.model.ShapeList.back(), testutil::Shape(11, 0, 0, 10, 0, 3 * 256 + 1));
    }
    // Asked, confirmed with type 4, box clear: made, remembered type stays 0.
    {
        Rig r;
        r.host.arrowDlg = [](int32_t& t, bool& def) {
            EXPECT_EQ(t, 1);
            t = 4;
            def = false;
            return true;
        };
        r.Drag(11, 0, 0, 40, 40);
        EXPECT_EQ(r.host.arrowAsked, 1);
        EXPECT_EQ(r.host.defaultArrow, 0);
        EXPECT_EQ(r.host.model.ShapeList.back().Style, 4 * 256 + 1);
        EXPECT_EQ(r.host.undoCount, 1);
    }
    // Cancelled: nothing made, nothing stored.
    {
        Rig r;
        r.host.arrowDlg = [](int32_t& t, bool&) { return false; };
        r.Drag(11, 0, 0, 40, 40);
        EXPECT_TRUE(r.host.model.ShapeList.empty());
        EXPECT_EQ(r.host.undoCount, 0);
        EXPECT_EQ(r.host.defaultArrow, 0);
    }
    // Cancelled with the box ticked: no line, but the type shown becomes the default and the
    // next arrow line is made without asking.
    {
        Rig r;
        r.host.arrowDlg = [](int32_t& t, bool& def) {
            t = 5;
            def = true;
            return false;
        };
        r.Drag(11, 0, 0, 40, 40);
        EXPECT_TRUE(r.host.model.ShapeList.empty());
        EXPECT_EQ(r.host.defaultArrow, 5);
        r.Drag(11, 0, 0, 8, 40);
        EXPECT_EQ(r.host.arrowAsked, 1);
        EXPECT_EQ(r.host.model.ShapeList.back(), testutil::Shape(11, 0, 0, 2, 10, 5 * 256 + 1));
    }
    // A click without movement is refused before anything is asked.
    {
        Rig r;
        r.Drag(11, 20, 20, 21, 19);
        EXPECT_EQ(r.host.arrowAsked, 0);
        EXPECT_TRUE(r.host.model.ShapeList.empty());
    }
    // Tool, start and end are latched before the dialog: a tool change inside it is ignored.
    {
        Rig r;
        r.host.arrowDlg = [&](int32_t& t, bool&) {
            r.host.drawMode = 2;
            r.g.StartX = 400;
            return true;
        };
        r.Drag(11, 0, 0, 40, 40);
        EXPECT_EQ(r.host.model.ShapeList.back(), testutil::Shape(11, 0, 0, 10, 10, 257));
    }
}

TEST(Gestures, ClickCyclesThroughStackedShapes)
{
    Rig r;
    auto& l = r.host.model.ShapeList;
    l.push_back(testutil::Shape(1, 0, 10, 20, 10));
    l.push_back(testutil::Shape(2, 5, 5, 15, 10));
    l.push_back(testutil::Shape(4, 10, 14, 16, 16));
    l.push_back(testutil::Shape(1, 50, 50, 60, 60));  // not under the click
    std::vector<TShapeRec*> order;
    for (auto& s : l)
        order.push_back(&s);
    // Pixel (40, 40) at scale 4 is world (10, 10).
    for (int i = 0; i < 4; ++i) {
        r.Click(41, 42);
        ASSERT_EQ(r.host.hitShape, order[i % 3]) << "click " << i;
        int selected = 0;
        for (auto& s : l)
            selected += s.Selected;
        EXPECT_EQ(selected, 1);
        EXPECT_EQ(r.g.MouseState, 0);
    }
    EXPECT_EQ(r.host.undoCount, 0);
}

TEST(Gestures, ShiftToggleFallsThroughToComponentAndText)
{
    Rig r;
    TCompRec c;
    c.X = 10;
    c.Y = 10;
    c.Shapes.push_back(testutil::Shape(1, -4, 0, 4, 0));  // world (8,10)-(12,10)
    r.host.model.CompList.push_back(c);
    r.host.model.ShapeList.push_back(testutil::Shape(1, 0, 10, 20, 10));
    TShapeRec& line = r.host.model.ShapeList.front();
    TCompRec& comp = r.host.model.CompList.front();

    r.Click(40, 40);  // plain click: the shape
    EXPECT_EQ(r.host.hitShape, &line);
    EXPECT_EQ(line.Selected, 1);
    EXPECT_EQ(comp.Selected, 0);
    EXPECT_EQ(r.host.hitComp, nullptr);

    r.Click(40, 40, Shifted());  // deselects the shape and toggles the component beneath
    EXPECT_EQ(line.Selected, 0);
    EXPECT_EQ(r.host.hitShape, nullptr);
    EXPECT_EQ(comp.Selected, 1);
    EXPECT_EQ(r.host.hitComp, &comp);

    r.host.model.ShapeList.clear();
    r.host.hitShape = nullptr;
    r.Click(40, 40, Shifted());  // a selected component is deselected but stays the hit one
    EXPECT_EQ(comp.Selected, 0);
    EXPECT_EQ(r.host.hitComp, &comp);

    // Nothing under a shift-click: no band, nothing changes.
    r.Click(400, 300, Shifted());
    EXPECT_EQ(r.g.MouseState, 0);
    EXPECT_EQ(r.host.hitComp, nullptr);

    // Texts come last, by the measured box.
    TTextRec t;
    t.Text = "abcd";  // 24 by 10 pixels: 61 by 26 tenths at scale 4
    t.X = 300;
    t.Y = 300;
    r.host.model.TextList.push_back(t);
    r.Click(4 * 35, 4 * 31);
    EXPECT_EQ(r.host.hitText, &r.host.model.TextList.front());
    EXPECT_EQ(r.host.model.TextList.front().Selected, 1);
    r.g.FormMouseDown(TMouseBtn::Left, kNone, 4 * 37, 4 * 31);  // x 370 is past the right edge 361
    EXPECT_EQ(r.host.hitText, nullptr);
    EXPECT_EQ(r.g.MouseState, 4);  // empty spot: band
}

TEST(Gestures, RubberBandFivePixelRule)
{
    // Scale 2: a 4-pixel side spans two units, so it still encloses the unit between them.
    struct Band {
        int32_t x1, y1, x2, y2;
        int dot, text;
    };
    const Band bands[] = {
        {20, 20, 24, 60, 1, 1}, {20, 20, 60, 24, 1, 1}, {20, 20, 24, 24, 0, 0}, {24, 24, 20, 20, 0, 0},
        {60, 60, 20, 20, 1, 1}, {22, 22, 40, 40, 0, 1},
    };
    for (const Band& b : bands) {
        Rig r;
        r.host.scale = 2;
        r.host.model.ShapeList.push_back(testutil::Shape(4, 11, 11, 4, 4));
        r.host.model.ShapeList.front().Selected = 1;
        r.host.model.ShapeList.push_back(testutil::Shape(1, 30, 30, 40, 40));
        r.host.model.TextList.push_back(TTextRec{"t", 115, 115, 0, 0});
        TCompRec comp;
        comp.X = 11;
        comp.Y = 11;
        r.host.model.CompList.push_back(comp);
        r.host.drawMode = 0;
        TShiftState ctrl;
        ctrl.Ctrl = true;
        r.g.FormMouseDown(TMouseBtn::Left, ctrl, b.x1, b.y1);
        ASSERT_EQ(r.g.MouseState, 4);
        r.g.FormMouseMove(kNone, b.x2 + 30, b.y2 + 30);
        r.g.FormMouseMove(kNone, b.x2, b.y2);
        r.g.FormMouseUp(TMouseBtn::Left, kNone, b.x2, b.y2);
        SCOPED_TRACE(std::to_string(b.x1) + "," + std::to_string(b.y1) + " " + std::to_string(b.x2) + ","
                     + std::to_string(b.y2));
        const auto& m = r.host.model;
        EXPECT_EQ(m.ShapeList.front().Selected, b.dot);
        EXPECT_EQ(m.CompList.front().Selected, b.dot);
        EXPECT_EQ(m.TextList.front().Selected, b.text);
        EXPECT_EQ(m.ShapeList.back().Selected, 0);
        EXPECT_EQ(r.host.hitShape, nullptr);
        EXPECT_EQ(r.g.MouseState, 0);
        EXPECT_EQ(r.host.undoCount, 0);
        EXPECT_TRUE(r.host.Showing().empty());
    }
    // A click on an empty spot starts the band from the snapped press point.
    Rig r;
    r.host.model.ShapeList.push_back(testutil::Shape(1, 50, 50, 60, 60));
    r.g.FormMouseDown(TMouseBtn::Left, kNone, 41, 41);
    EXPECT_EQ(r.g.MouseState, 4);
    r.g.FormMouseMove(kNone, 81, 63);
    EXPECT_EQ(r.host.status2, "  (10,10)-(20,16) ");
    EXPECT_EQ(r.host.Showing(), std::vector<std::string>{"xor 808080 path 40,40 80,40 80,64 40,64 40,40"});
}

TEST(Gestures, PolylineOrderAndDirection)
{
    Rig r;
    r.host.model.ShapeList.push_back(testutil::Shape(2, 0, 0, 1, 1));
    r.host.drawMode = 10;
    r.g.FormMouseDown(TMouseBtn::Left, kNone, 0, 0);
    r.g.FormMouseMove(kNone, 40, 0);   // along one axis: no vertex
    r.g.FormMouseMove(kNone, 40, 40);  // diagonal from (0,0): vertex (40,40)
    r.g.FormMouseMove(kNone, 80, 80);  // vertex (80,80)
    r.g.FormMouseMove(kNone, 80, 120); // vertical only: none
    EXPECT_EQ(r.g.PolyPoints.size(), 3u);
    r.g.FormMouseUp(TMouseBtn::Left, kNone, 80, 120);  // the end point is added
    EXPECT_TRUE(r.g.PolyPoints.empty());
    EXPECT_EQ(r.host.undoCount, 1);
    EXPECT_EQ(r.host.modified, 1);
    std::vector<TShapeRec> got(r.host.model.ShapeList.begin(), r.host.model.ShapeList.end());
    // First segment first, each from the later vertex to the earlier, all before the old shapes.
    const std::vector<TShapeRec> want{testutil::Shape(1, 10, 10, 0, 0), testutil::Shape(1, 20, 20, 10, 10), testutil::Shape(1, 20, 30, 20, 20),
                                      testutil::Shape(2, 0, 0, 1, 1)};
    EXPECT_EQ(got, want);

    // A click without movement stores and marks but adds no line.
    Rig c;
    c.host.drawMode = 10;
    c.Click(20, 20);
    EXPECT_TRUE(c.host.model.ShapeList.empty());
    EXPECT_EQ(c.host.undoCount, 1);
    EXPECT_EQ(c.host.modified, 1);

    // A press and a release along one axis give one straight line.
    Rig s;
    s.host.drawMode = 10;
    s.g.FormMouseDown(TMouseBtn::Left, kNone, 0, 0);
    s.g.FormMouseMove(kNone, 20, 0);
    s.g.FormMouseMove(kNone, 40, 0);
    s.g.FormMouseUp(TMouseBtn::Left, kNone, 40, 0);
    ASSERT_EQ(s.host.model.ShapeList.size(), 1u);
    EXPECT_EQ(s.host.model.ShapeList.front(), testutil::Shape(1, 10, 0, 0, 0));
}

TEST(Gestures, EveryExitCancelsWithoutChange)
{
    TCompRec pc;
    pc.Shapes.push_back(testutil::Shape(1, 0, 0, 4, 0));
    enum Exit { RightPress, LeftPress, MiddlePress, Esc, Abandon };
    struct Start {
        int tool;
        TMouseBtn btn;
        int state;
    };
    const Start starts[] = {{1, TMouseBtn::Left, 1}, {8, TMouseBtn::Left, 3}, {0, TMouseBtn::Left, 4},
                            {10, TMouseBtn::Left, 5}, {0, TMouseBtn::Right, 2}, {20, TMouseBtn::Left, 20}};
    for (const Start& st : starts)
        for (Exit e : {RightPress, LeftPress, MiddlePress, Esc, Abandon}) {
            Rig r;
            r.host.placeComp = &pc;
            r.host.drawMode = st.tool;
            r.host.windowCursor = sch_cursor::HandOpen;
            const TShiftState ctrl{false, true, false, false};
            r.g.FormMouseDown(st.btn, ctrl, 100, 100);
            ASSERT_EQ(r.g.MouseState, st.state);
            r.g.FormMouseMove(kNone, 140, 160);
            r.g.FormMouseMove(kNone, 180, 120);
            const int redraws = r.host.fullRedraws;
            switch (e) {
            case RightPress:
                r.g.FormMouseDown(TMouseBtn::Right, kNone, 180, 120);
                if (st.state <= 12) {
                    EXPECT_EQ(r.host.fullRedraws, redraws + 1);
                }
                break;
            case LeftPress:
                r.g.FormMouseDown(TMouseBtn::Left, kNone, 180, 120);
                EXPECT_EQ(r.host.fullRedraws, redraws);
                break;
            case MiddlePress:
                r.g.FormMouseDown(TMouseBtn::Middle, kNone, 180, 120);
                break;
            case Esc:
                r.g.Escape();
                break;
            case Abandon:
                r.g.Abandon();
                break;
            }
            SCOPED_TRACE("state " + std::to_string(st.state) + " exit " + std::to_string(e));
            EXPECT_EQ(r.g.MouseState, 0);
            EXPECT_TRUE(r.g.PolyPoints.empty());
            EXPECT_EQ(r.host.screenCursor, sch_cursor::Default);
            EXPECT_EQ(r.host.windowCursor, sch_cursor::HandOpen);
            // The release that follows finds nothing to end.
            r.g.FormMouseUp(st.btn, kNone, 180, 120);
            EXPECT_TRUE(r.host.model.Empty());
            EXPECT_EQ(r.host.undoCount, 0);
            EXPECT_EQ(r.host.modified, 0);
        }
}

TEST(Gestures, DoubleClickPressStartsNothing)
{
    Rig r;
    r.host.model.ShapeList.push_back(testutil::Shape(1, 50, 50, 60, 60));
    r.host.drawMode = 0;
    r.Click(8, 8);  // first click: empty spot, band from the press, ended by the release
    EXPECT_EQ(r.g.MouseState, 0);
    // The window's double-click command sets 100; the flagged press that follows clears it.
    r.g.MouseState = 100;
    TShiftState dbl;
    dbl.Double = true;
    r.g.FormMouseDown(TMouseBtn::Left, dbl, 8, 8);
    EXPECT_EQ(r.g.MouseState, 0);
    r.host.drawMode = 9;
    r.g.FormMouseDown(TMouseBtn::Left, dbl, 8, 8);
    EXPECT_EQ(r.g.MouseState, 0);
    EXPECT_EQ(r.host.model.ShapeList.size(), 1u);
    r.g.FormMouseUp(TMouseBtn::Left, kNone, 8, 8);
    EXPECT_EQ(r.host.undoCount, 0);
}

TEST(Gestures, PanMovesTheScrollBarsAndRestoresTheCursor)
{
    Rig r;
    r.host.drawMode = 20;
    r.host.hPos = r.host.vPos = 50;
    r.g.FormMouseDown(TMouseBtn::Left, kNone, 100, 100);
    EXPECT_EQ(r.host.screenCursor, sch_cursor::HandClosed);
    r.g.FormMouseMove(kNone, 140, 60);
    EXPECT_EQ(r.host.hPos, 40);
    EXPECT_EQ(r.host.vPos, 60);
    r.g.FormMouseUp(TMouseBtn::Left, kNone, 140, 60);
    EXPECT_EQ(r.host.screenCursor, sch_cursor::Default);
    EXPECT_EQ(r.host.undoCount, 0);
}

TEST(Gestures, ComponentPlacingMakesIndependentCopies)
{
    Rig none;
    none.Drag(8, 0, 0, 40, 40);  // nothing loaded: nothing happens
    EXPECT_EQ(none.g.MouseState, 0);
    EXPECT_EQ(none.host.fullRedraws, 0);
    EXPECT_TRUE(none.host.model.Empty());

    TCompRec pc;
    pc.Selected = 1;
    pc.Shapes.push_back(testutil::Shape(2, -2, -2, 2, 2));
    TTextRec t;
    t.Text = "R1";
    t.Font = 48;
    t.X = 20;
    t.Y = -10;
    t.Selected = 1;
    pc.Texts.push_back(t);
    Rig r;
    r.host.placeComp = &pc;
    r.host.offX = 3;
    for (int i = 0; i < 3; ++i)
        r.Drag(8, 0, 0, 40 + 8 * i, 42);
    ASSERT_EQ(r.host.model.CompList.size(), 3u);
    EXPECT_EQ(r.host.undoCount, 3);
    auto it = r.host.model.CompList.begin();
    EXPECT_EQ(it->X, 13);
    EXPECT_EQ(it->Y, 11);
    EXPECT_EQ(it->Selected, 0);
    EXPECT_EQ(it->Shapes.front().Selected, 0);
    EXPECT_EQ(it->Texts.front().Text, "R1");
    EXPECT_EQ(it->Texts.front().Selected, 0);
    EXPECT_EQ(std::next(it)->X, 15);
    it->Shapes.front().X1 = 99;
    EXPECT_EQ(std::next(it)->Shapes.front().X1, -2);
    EXPECT_EQ(pc.Shapes.front().X1, -2);
}

TEST(Texts, EnterTextPositionAndFontWord)
{
    struct Case {
        int32_t scale, offX, offY, px, py;
        TCharDlgValues answer;
        int32_t x, y, font;
    };
    const Case cases[] = {
        {4, 0, 0, 100, 60, {"R1", false, 2, 0}, 250, 110, 48},
        {4, 0, 0, 100, 60, {"a", true, 4, 1}, 250, 110, 23121},
        {2, 5, 1, 3, 7, {"", false, 0, 3}, 65, 25, 16 + 270 * 256},
        {8, 0, 0, -5, -5, {"x", false, 7, 2}, -6, -86, 128 + 180 * 256},
    };
    for (const Case& c : cases) {
        Rig r;
        r.host.scale = c.scale;
        r.host.offX = c.offX;
        r.host.offY = c.offY;
        r.host.drawMode = 7;
        r.host.textDlg = [&](TCharDlgValues& v) {
            EXPECT_EQ(v.SizeIndex, 2);
            EXPECT_EQ(v.AngleIndex, 0);
            EXPECT_TRUE(v.Text.empty());
            v = c.answer;
            return true;
        };
        r.Click(c.px, c.py);
        ASSERT_EQ(r.host.model.TextList.size(), 1u);
        const TTextRec& t = r.host.model.TextList.back();
        EXPECT_EQ(t.X, c.x);
        EXPECT_EQ(t.Y, c.y);
        EXPECT_EQ(t.Font, c.font);
        EXPECT_EQ(t.Text, c.answer.Text);
        EXPECT_EQ(r.host.undoCount, 1);
        EXPECT_EQ(r.g.MouseState, 0);
    }
    // Long and broken input is cut and cleaned; a cancel stores nothing but redraws.
    Rig r;
    r.host.drawMode = 7;
    r.host.textDlg = [](TCharDlgValues& v) {
        v.Text = std::string(60, 'a') + "\r\n" + std::string(1, '\0') + std::string(60, 'b');
        return true;
    };
    r.Click(0, 0);
    EXPECT_EQ(r.host.model.TextList.back().Text, std::string(60, 'a') + std::string(40, 'b'));
    r.host.textDlg = [](TCharDlgValues&) { return false; };
    const int redraws = r.host.fullRedraws;
    r.Click(0, 0);
    EXPECT_EQ(r.host.model.TextList.size(), 1u);
    EXPECT_EQ(r.host.undoCount, 1);
    EXPECT_GT(r.host.fullRedraws, redraws);
}

TEST(Texts, AlterTextPresetsAndRepacks)
{
    struct Case {
        int32_t font;
        TCharDlgValues preset;
    };
    const Case cases[] = {
        {1 + 5 * 16 + 90 * 256, {"", true, 4, 1}},
        {0, {"", false, 2, 0}},  // step 0 opens as "3"
        {9 * 16 + 180 * 256, {"", false, 8, 2}},
        {2 + 3 * 16 + 45 * 256, {"", true, 2, 0}},
        {16 + 270 * 256, {"", false, 0, 3}},
    };
    for (const Case& c : cases) {
        Rig r;
        TTextRec t;
        t.Text = "\xB5\xA5 p";
        t.Font = c.font;
        t.X = 12;
        t.Y = 34;
        t.Selected = 1;
        r.host.model.TextList.push_back(t);
        TCharDlgValues seen;
        r.host.textDlg = [&](TCharDlgValues& v) {
            seen = v;
            return true;  // confirmed without edits
        };
        r.g.AlterText(&r.host.model.TextList.front());
        EXPECT_EQ(seen.Symbol, c.preset.Symbol);
        EXPECT_EQ(seen.SizeIndex, c.preset.SizeIndex);
        EXPECT_EQ(seen.AngleIndex, c.preset.AngleIndex);
        const TTextRec& a = r.host.model.TextList.front();
        EXPECT_EQ(a.Text, t.Text);
        EXPECT_EQ(a.X, 12);
        EXPECT_EQ(a.Y, 34);
        EXPECT_EQ(a.Selected, 1);
        EXPECT_EQ(a.Font, (seen.Symbol ? 1 : 0) + (seen.SizeIndex + 1) * 16 + seen.AngleIndex * 23040);
        EXPECT_EQ(r.host.undoCount, 1);
    }
    // The text vanishing while the dialog runs leaves the model alone.
    Rig r;
    r.host.model.TextList.push_back(TTextRec{"x", 0, 0, 48, 0});
    r.host.textDlg = [&](TCharDlgValues& v) {
        r.host.model.TextList.clear();
        return true;
    };
    r.g.AlterText(&r.host.model.TextList.front());
    EXPECT_EQ(r.host.undoCount, 0);
}

TEST(Texts, FontSizeCommand)
{
    struct Case {
        const char* answer;
        bool ok;
    };
    for (const Case c : {Case{"9", true}, Case{"1", true}, Case{" 4", true}, Case{"10", false}, Case{"0", false},
                         Case{"abc", false}, Case{"", false}, Case{nullptr, false}}) {
        Rig r;
        r.host.model.TextList.push_back(TTextRec{"a", 0, 0, 1 + 3 * 16 + 90 * 256, 1});
        r.host.model.TextList.push_back(TTextRec{"b", 0, 0, 3 * 16, 0});
        r.host.inputDlg = [&](std::string& v) {
            EXPECT_TRUE(v.empty());
            if (!c.answer)
                return false;
            v = c.answer;
            return true;
        };
        r.g.mnCorrFontsClick();
        const auto& a = r.host.model.TextList.front();
        const auto& b = r.host.model.TextList.back();
        if (c.ok) {
            const int n = std::atoi(c.answer);
            EXPECT_EQ(a.Font, 1 + n * 16 + 90 * 256);
            EXPECT_EQ(b.Font, 48);
            EXPECT_EQ(r.host.undoCount, 1);
            EXPECT_EQ(r.host.modified, 1);
            EXPECT_TRUE(r.host.messages.empty());
        } else {
            EXPECT_EQ(a.Font, 1 + 3 * 16 + 90 * 256);
            EXPECT_EQ(r.host.undoCount, 0);
            EXPECT_EQ(r.host.messages, std::vector<std::string>{"Selected font size is invalid!"});
        }
    }
    Rig r;
    r.g.mnCorrFontsClick();
    EXPECT_EQ(r.host.messages, std::vector<std::string>{"No Text in current circuit!"});
}

TEST(Selection, SelectAllAndNone)
{
    Rig r;
    r.g.mnSelAllClick();
    EXPECT_EQ(r.host.fullRedraws, 0);
    r.host.model.ShapeList.push_back(testutil::Shape(1, 0, 0, 1, 1));
    TCompRec c;
    c.Shapes.push_back(testutil::Shape(1, 0, 0, 1, 1));
    r.host.model.CompList.push_back(c);
    r.host.model.TextList.push_back(TTextRec{"a", 0, 0, 0, 0});
    r.host.hitShape = &r.host.model.ShapeList.front();
    r.g.mnSelAllClick();
    EXPECT_EQ(r.host.model.ShapeList.front().Selected, 1);
    EXPECT_EQ(r.host.model.CompList.front().Selected, 1);
    EXPECT_EQ(r.host.model.CompList.front().Shapes.front().Selected, 0);
    EXPECT_EQ(r.host.model.TextList.front().Selected, 1);
    EXPECT_NE(r.host.hitShape, nullptr);
    r.g.UnSelectALL();
    EXPECT_EQ(r.host.model.ShapeList.front().Selected, 0);
    EXPECT_EQ(r.host.model.CompList.front().Selected, 0);
    EXPECT_EQ(r.host.model.TextList.front().Selected, 0);
    EXPECT_EQ(r.host.hitShape, nullptr);
    EXPECT_EQ(r.host.fullRedraws, 2);
}

} // namespace
