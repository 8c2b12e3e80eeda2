// "Show Connection Nodes" on a real schematic window, offscreen: the numbers on the window
// surface, the model left alone, and the next redraw wiping them.
#include "app/Main_.h"
#include "schematic/Schem_.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QScrollBar>

#include <climits>

namespace {

using testutil::Shape;

class CheckNodesWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = std::make_unique<TMainWin>();
        frame->mnAutoSave->setChecked(false);
        win = new TSchWin();
        frame->ShowChild(win, false);
        win->Client->resize(400, 300);
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        win->ClearModified();
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // DrawBmp with the numbers written where they belong, as the window should show it.
    QImage Expected(const std::vector<std::tuple<int, int, const char*>>& numbers)
    {
        QImage img = win->View.DrawBmp().copy();
        {
            TImageCanvas c(img);
            TFontSpec f;
            f.Color = win->SelColor;
            c.SetFont(f);
            c.SetBrushStyle(TBrushStyle::Clear);
            for (const auto& [x, y, text] : numbers)
                c.TextOut(x, y, text);
        }
        return img;
    }

    std::unique_ptr<TMainWin> frame;
    TSchWin* win = nullptr;
};

} // namespace

TEST_F(CheckNodesWin, NumbersBothEndsOfStraightLinesOnly)
{
    TCompRec comp;
    comp.X = 60;
    comp.Y = 10;
    comp.Shapes.push_back(Shape(1, 0, 0, 20, 0));       // a component's own line
    win->Model.CompList.push_back(comp);
    win->Model.ShapeList = {
        Shape(1, 10, 10, 30, 10, 0, 1),                  // selected: cleared by the command
        Shape(1, 30, 10, 30, 40),                        // touches the first
        Shape(11, 40, 50, 80, 50),                       // line with arrow heads
        Shape(1, 50, 20, 50, 30),                        // alone, drawn last: net 1
    };
    win->Model.TextList.push_back({"t", 0, 0, 0, 1});
    win->OffsetX = 5;
    win->OffsetY = 5;
    win->Scale = 4;
    win->FullRedraw();
    ASSERT_TRUE(win->mnCheckNodes);

    win->mnViewClick();
    ASSERT_TRUE(win->mnCheckNodes->isEnabled());
    win->mnCheckNodes->trigger();

    EXPECT_EQ(win->Model.ShapeList.front().Selected, 0);
    EXPECT_EQ(win->Model.TextList.front().Selected, 0);
    EXPECT_EQ(win->Model.ShapeList.size(), 4u);
    const QImage expected = Expected({{180, 60, "1"}, {180, 100, "1"},
                                      {20, 20, "2"}, {100, 20, "2"},
                                      {100, 20, "2"}, {100, 140, "2"}});
    EXPECT_EQ(win->View.Surface(), expected);
    EXPECT_NE(win->View.Surface(), win->View.DrawBmp());

    // Edit, Redraw wipes them; so does a scroll.
    win->mnRedraw->trigger();
    EXPECT_EQ(win->View.Surface(), win->View.DrawBmp());
    win->mnCheckNodes->trigger();
    EXPECT_NE(win->View.Surface(), win->View.DrawBmp());
    win->HScrollBar->setValue(win->HScrollBar->value() + 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(win->View.Surface(), win->View.DrawBmp());
}

TEST_F(CheckNodesWin, FarAndOverflowingEndsAreSkipped)
{
    struct Case {
        const char* name;
        TShapeList shapes;
        std::vector<std::tuple<int, int, const char*>> numbers;
    };
    const std::vector<Case> cases = {
        {"no straight line", {Shape(11, 0, 0, 10, 0), Shape(2, 0, 0, 10, 10)}, {}},
        {"second end beyond 32-bit pixels", {Shape(1, 10, 10, INT32_MAX, 10)}, {{40, 40, "1"}}},
        {"both ends beyond 32-bit pixels", {Shape(1, INT32_MIN, 10, INT32_MAX, 10)}, {}},
        {"second end off the window", {Shape(1, 10, 10, 10, 100000)}, {{40, 40, "1"}}},
        {"first end just left of the window, its text still seen", {Shape(1, -1, 10, -1, 20)},
         {{-4, 40, "1"}, {-4, 80, "1"}}},
    };
    for (const Case& c : cases) {
        win->Model.ShapeList = c.shapes;
        win->FullRedraw();
        win->mnCheckNodesClick();
        EXPECT_EQ(win->View.Surface(), Expected(c.numbers)) << c.name;
    }
}
