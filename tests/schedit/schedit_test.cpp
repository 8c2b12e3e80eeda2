// Moving, panning, turning, the keys and the handle boxes through the schematic window's
// real handlers, offscreen.
#include "app/Main_.h"
#include "platform/msgbox.h"
#include "schematic/SchHandles.h"
#include "schematic/SchKeys.h"
#include "schematic/SchMouse.h"
#include "schematic/Schem_.h"
#include "tests/support/modal.h"
#include "tests/support/schwin_fixture.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>

namespace {

using testutil::Shape;

class SchEditTest : public testutil::SchWinFixture {
protected:
    // Press, move or release on a handle box or another control, in its own pixels.
    static void SendMouse(QWidget* to, QEvent::Type type, Qt::MouseButton b, int x, int y)
    {
        SendTo(to, type, type == QEvent::MouseMove ? Qt::NoButton : b,
               type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b), x, y);
    }
    void Wheel()
    {
        QWheelEvent e(QPointF(10, 10), win->Client->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(win->Client, &e);
    }
    int Undos() const { return win->UndoList.UndoIndex; }
    // Undo states stored since `before` (the ring's index wraps after ten).
    int Since(int before) const { return ((Undos() - before) % TUndoRing::SlotCount + TUndoRing::SlotCount) % TUndoRing::SlotCount; }
    bool SurfaceClean() const { return win->View.Surface() == win->View.DrawBmp(); }
    // Makes the first shape the hit item, selected, with its boxes placed.
    void HitFirstShape()
    {
        win->Model.ShapeList.front().Selected = 1;
        win->HitShape = &win->Model.ShapeList.front();
        win->FullRedraw();
    }
};

TCompRec Comp(int32_t x, int32_t y, int32_t selected)
{
    TCompRec c;
    c.X = x;
    c.Y = y;
    c.Selected = selected;
    c.Shapes.push_back(Shape(1, 2, 0, 4, 0));
    c.Texts.push_back({"R", 6, -2, 0x10, 0});
    return c;
}

// Whether any pixel of a window box shows the colour.
bool AnyPixel(const QImage& img, QRect box, QRgb rgb)
{
    box &= img.rect();
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF))
                return true;
    return false;
}

// ---------------------------------------------------------------- right-button move

TEST_F(SchEditTest, RightDragMovesTheSelectionByWholeCells)
{
    win->Model.ShapeList = {Shape(1, 0, 0, 5, 5, 0, 1), Shape(4, 20, 20, 8, 8, 1, 1), Shape(2, 1, 1, 3, 3)};
    win->Model.CompList.push_back(Comp(30, 30, 1));
    win->Model.TextList.push_back({"Tx", 100, 100, 0x20, 1});
    win->FullRedraw();
    const int before = Undos();
    Press(12, 12, Qt::RightButton);   // world cell (3, 3)
    EXPECT_EQ(Panel(2), "  (3,3) - ");
    Move(20, 8, Qt::RightButton);     // (5, 2)
    EXPECT_EQ(Panel(2), "  (3,3) - (5,2)");
    Release(20, 8, Qt::RightButton);
    EXPECT_EQ(Since(before), 1);
    EXPECT_EQ(Panel(0), " Modified");
    auto s = win->Model.ShapeList.begin();
    EXPECT_EQ(*s++, Shape(1, 2, -1, 7, 4, 0, 1));
    EXPECT_EQ(*s++, Shape(4, 22, 19, 8, 8, 1, 1));   // the centre only
    EXPECT_EQ(*s, Shape(2, 1, 1, 3, 3));             // not selected
    EXPECT_EQ(win->Model.CompList.front().X, 32);
    EXPECT_EQ(win->Model.CompList.front().Shapes.front(), Shape(1, 2, 0, 4, 0));   // relative, unchanged
    EXPECT_EQ(win->Model.TextList.front().X, 120);
    EXPECT_EQ(win->Model.TextList.front().Y, 90);
    EXPECT_EQ(win->MouseState, 0);
    EXPECT_TRUE(SurfaceClean());

    // With nothing selected the release stores a state, marks nothing and only repaints.
    win->Gestures->Machine.UnSelectALL();
    win->ClearModified();
    Press(12, 12, Qt::RightButton);
    Move(40, 40, Qt::RightButton);
    Release(40, 40, Qt::RightButton);
    EXPECT_EQ(Since(before), 2);
    EXPECT_TRUE(Panel(0).isEmpty());
    EXPECT_EQ(win->Model.ShapeList.front(), Shape(1, 2, -1, 7, 4));
}

TEST_F(SchEditTest, MovePreviewFollowsThePointer)
{
    // Shapes only: each step erases the last outline (a few one by one, many by copying
    // the picture again), so coming back to a spot gives the same surface as before, and
    // Escape leaves the picture as it was.
    for (int extra : {0, 300}) {
        win->Model.EraseMem();
        win->Model.ShapeList = {Shape(1, 10, 10, 30, 20, 0x2010, 1), Shape(4, 40, 40, 16, 16, 1, 1),
                                Shape(2, 50, 10, 70, 30, 1, 1)};
        for (int i = 0; i < extra; ++i)
            win->Model.ShapeList.push_back(Shape(1 + i % 6, i % 97, i % 53, i % 97 + 5, i % 53 + 3, 0, 1));
        win->Model.CompList.push_back(Comp(20, 60, 1));
        win->FullRedraw();
        Press(100, 100, Qt::RightButton);
        Move(120, 108, Qt::RightButton);
        const QImage at = win->View.Surface().copy();
        EXPECT_NE(at, win->View.DrawBmp());
        Move(300, 200, Qt::RightButton);
        Move(120, 108, Qt::RightButton);
        EXPECT_EQ(win->View.Surface(), at) << extra;
        Move(100, 100, Qt::RightButton);   // delta 0: the outline lies on the shapes
        Key(Qt::Key_Escape);
        EXPECT_TRUE(SurfaceClean());
        const TSchModel model = win->Model;
        Release(300, 200, Qt::RightButton);
        EXPECT_EQ(win->Model, model);
    }

    // Texts are drawn at the pointer's delta of this step, not of the one before.
    win->Gestures->Machine.UnSelectALL();
    win->Model.TextList.push_back({"M", 100, 400, 0x10, 1});   // world (10, 40)
    win->FullRedraw();
    const QRgb sel = qRgb(255, 0, 0);
    Press(40, 160, Qt::RightButton);
    Move(80, 160, Qt::RightButton);    // +10 units
    Move(200, 160, Qt::RightButton);   // +40 units
    EXPECT_TRUE(AnyPixel(win->View.Surface(), QRect(200, 160, 30, 20), sel));
    EXPECT_FALSE(AnyPixel(win->View.Surface(), QRect(80, 160, 30, 20), sel));
    Release(200, 160, Qt::RightButton);
    EXPECT_EQ(win->Model.TextList.back().X, 500);
}

TEST_F(SchEditTest, AnotherPressDuringADragErasesWhatWasDrawn)
{
    win->Model.ShapeList = {Shape(1, 10, 10, 30, 20, 0, 1)};
    win->FullRedraw();
    struct Case {
        int tool;
        Qt::MouseButton start, other;
    };
    const Case cases[] = {{2, Qt::LeftButton, Qt::MiddleButton},
                          {10, Qt::LeftButton, Qt::MiddleButton},
                          {0, Qt::RightButton, Qt::LeftButton}};
    for (const Case& c : cases) {
        win->DrawMode = c.tool;
        win->Model.ShapeList.front().Selected = 1;
        Press(200, 200, c.start);
        Move(260, 240, c.start);
        ASSERT_FALSE(SurfaceClean()) << c.tool;
        Press(260, 240, c.other);
        EXPECT_EQ(win->MouseState, 0);
        EXPECT_TRUE(SurfaceClean()) << c.tool;
        Release(260, 240, c.other);
        Release(260, 240, c.start);
    }
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->Model.ShapeList.front().X1, 10);
}

TEST_F(SchEditTest, OnlyTheDrawingAreaStartsAGesture)
{
    // Presses and double clicks on the status bar, its panels and the corner beside the bars
    // are not the drawing's: the dot tool adds nothing there.
    win->DrawMode = 9;
    win->ClearModified();
    QWidget* corner = win->BotPanel;
    const QPoint cornerAt(corner->width() - 4, 4);
    for (QWidget* to : {static_cast<QWidget*>(win->Panels[2]), static_cast<QWidget*>(win->Panels[0]),
                        static_cast<QWidget*>(win->StatusBar), corner}) {
        const QPoint at = to == corner ? cornerAt : QPoint(3, 3);
        SendTo(to, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at.x(), at.y());
        SendTo(to, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at.x(), at.y());
        SendTo(to, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, at.x(), at.y());
        SendTo(to, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at.x(), at.y());
    }
    EXPECT_TRUE(win->Model.Empty());
    EXPECT_TRUE(Panel(0).isEmpty());
    EXPECT_EQ(win->MouseState, 0);
    // The drawing itself still takes the tool.
    Press(40, 40);
    Release(40, 40);
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
}

// ---------------------------------------------------------------- pan

TEST_F(SchEditTest, PanToTheTopLeft)
{
    win->Model.ShapeList = {Shape(1, 10, 20, 30, -4), Shape(4, 40, 40, -8, -8)};
    win->Model.TextList.push_back({"t", 300, 300, 0, 0});
    win->FullRedraw();
    const int before = Undos();
    win->mnPanTopMost->trigger();
    EXPECT_EQ(Panel(2), "Minimum Positions were: X = 9  , Y = -5");
    EXPECT_EQ(Panel(0), " Modified");
    EXPECT_EQ(Since(before), 1);
    EXPECT_EQ(win->Model.ShapeList.front(), Shape(1, 1, 25, 21, 1));
    EXPECT_EQ(win->Model.TextList.front().X, 210);

    // A circle counts from its rim, whatever the sign of Y2.
    win->Model.EraseMem();
    win->Model.ShapeList = {Shape(4, 10, 10, 8, -8)};
    win->mnPanTopMost->trigger();
    EXPECT_EQ(Panel(2), "Minimum Positions were: X = 7  , Y = 7");
    EXPECT_EQ(win->Model.ShapeList.front(), Shape(4, 3, 3, 8, -8));

    // A shift that would push a point past the 32-bit end is refused: nothing stored or marked.
    win->Model.ShapeList = {Shape(1, -10, 0, INT32_MAX - 5, 0)};
    win->ClearModified();
    const int refused = Undos();
    win->mnPanTopMost->trigger();
    EXPECT_EQ(win->Model.ShapeList.front(), Shape(1, -10, 0, INT32_MAX - 5, 0));
    EXPECT_EQ(Since(refused), 0);
    EXPECT_TRUE(Panel(0).isEmpty());
    EXPECT_FALSE(Panel(2).startsWith("Minimum"));
    EXPECT_FALSE(Panel(2).isEmpty());

    // Nothing measurable: left alone.
    win->Model.ShapeList = {Shape(7, 5, 5, 5, 5)};
    win->SetStatus2({});
    win->mnPanTopMost->trigger();
    EXPECT_EQ(Since(refused), 0);
    EXPECT_TRUE(Panel(0).isEmpty());
    EXPECT_TRUE(Panel(2).isEmpty());
}

// ---------------------------------------------------------------- flip, mirror, rotate

TEST_F(SchEditTest, TurnCommandsByMenuItem)
{
    struct Case {
        QAction* TSchWin::*item;
        TShapeRec shape;
        TTextRec text;
        int32_t freeFont;
    };
    const Case cases[] = {
        {&TSchWin::mnFlip, Shape(1, 2, 0, 4, 3), {"R", 6, 2, 0x10, 0}, 0},
        {&TSchWin::mnMirror, Shape(1, -2, 0, -4, -3), {"R", -6, -2, 0x10, 0}, 0},
        {&TSchWin::mnRotateClock, Shape(1, 0, 2, 3, 4), {"R", 2, 6, 0x10, 0}, 270 * 256},
        {&TSchWin::mnRotateAnti, Shape(1, 0, -2, -3, -4), {"R", -2, -6, 0x10, 0}, 90 * 256},
    };
    for (const Case& c : cases) {
        win->Model.EraseMem();
        win->Model.CompList.push_back(Comp(30, 30, 1));
        win->Model.CompList.front().Shapes.front() = Shape(1, 2, 0, 4, -3);
        win->Model.ShapeList = {Shape(1, 2, 0, 4, -3, 0, 1)};
        win->Model.TextList.push_back({"free", 10, 10, 0, 1});
        win->ClearModified();
        const int before = Undos();
        (win->*c.item)->trigger();
        EXPECT_EQ(win->Model.CompList.front().Shapes.front(), c.shape);
        EXPECT_EQ(win->Model.CompList.front().Texts.front(), c.text);
        EXPECT_EQ(win->Model.CompList.front().X, 30);
        EXPECT_EQ(win->Model.ShapeList.front(), Shape(1, 2, 0, 4, -3, 0, 1));   // free shapes stay
        EXPECT_EQ(win->Model.TextList.front().Font, c.freeFont);
        EXPECT_EQ(win->Model.TextList.front().X, 10);
        EXPECT_EQ(Since(before), 1);
        EXPECT_EQ(Panel(0), " Modified");
    }
    // Nothing selected: a state is stored, nothing marked; the component loaded for placing
    // turns all the same.
    win->Model.CompList.front().Selected = 0;
    win->Model.TextList.front().Selected = 0;
    win->PlaceComp = std::make_unique<TCompRec>(Comp(0, 0, 0));
    win->ClearModified();
    const int before = Undos();
    win->DoRotate(3);
    EXPECT_EQ(Since(before), 1);
    EXPECT_TRUE(Panel(0).isEmpty());
    EXPECT_EQ(win->PlaceComp->Shapes.front(), Shape(1, 0, 2, 0, 4));
}

// ---------------------------------------------------------------- keys

TEST_F(SchEditTest, ArrowKeysNudgeTheSelection)
{
    win->Model.ShapeList = {Shape(1, 10, 10, 20, 20, 0, 1), Shape(4, 30, 30, 8, 8, 0, 1)};
    win->Model.CompList.push_back(Comp(5, 5, 1));
    win->Model.TextList.push_back({"t", 100, 100, 0, 1});
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        TShapeRec line;
        int32_t circleX1, compY, textX, textY;
    };
    const Case cases[] = {
        {Qt::Key_Left, Qt::NoModifier, Shape(1, 9, 10, 19, 20, 0, 1), 29, 5, 90, 100},
        {Qt::Key_Left, Qt::ShiftModifier, Shape(1, 8, 10, 18, 20, 0, 1), 28, 5, 89, 100},
        {Qt::Key_Down, Qt::ShiftModifier, Shape(1, 8, 11, 18, 21, 0, 1), 28, 6, 89, 101},
        {Qt::Key_Up, Qt::NoModifier, Shape(1, 8, 10, 18, 20, 0, 1), 28, 5, 89, 91},
        {Qt::Key_Right, Qt::NoModifier, Shape(1, 9, 10, 19, 20, 0, 1), 29, 5, 99, 91},
    };
    for (const Case& c : cases) {
        const int before = Undos();
        Key(c.key, c.mods);
        EXPECT_EQ(win->Model.ShapeList.front(), c.line) << c.key;
        EXPECT_EQ(win->Model.ShapeList.back().X1, c.circleX1);
        EXPECT_EQ(win->Model.ShapeList.back().X2, 8);   // the radius stays
        EXPECT_EQ(win->Model.CompList.front().Y, c.compY);
        EXPECT_EQ(win->Model.TextList.front().X, c.textX);
        EXPECT_EQ(win->Model.TextList.front().Y, c.textY);
        EXPECT_EQ(Since(before), 1);
    }
    EXPECT_EQ(Panel(0), " Modified");

    // Keys reaching a scroll bar act on the drawing and do not also scroll it.
    win->HScrollBar->setValue(50);
    Key(Qt::Key_Right, Qt::NoModifier, win->HScrollBar);
    Key(Qt::Key_PageDown, Qt::NoModifier, win->VScrollBar);
    EXPECT_EQ(win->HScrollBar->value(), 50);
    EXPECT_EQ(win->VScrollBar->value(), 0);
    EXPECT_EQ(win->Model.ShapeList.front().X1, 10);

    // Nothing selected: a state is stored and nothing is marked.
    win->Gestures->Machine.UnSelectALL();
    win->ClearModified();
    const int before = Undos();
    Key(Qt::Key_Up);
    EXPECT_EQ(Since(before), 1);
    EXPECT_TRUE(Panel(0).isEmpty());
}

TEST_F(SchEditTest, KeysWithCtrlOrAltAndTypedCharactersDoNothing)
{
    win->Model.ShapeList = {Shape(1, 10, 10, 20, 20, 0, 1)};
    win->Model.CompList.push_back(Comp(5, 5, 1));
    win->HitShape = &win->Model.ShapeList.front();
    win->HitComp = &win->Model.CompList.front();
    const TSchModel model = win->Model;
    const int before = Undos();
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
    } cases[] = {{Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}, {Qt::Key_R, Qt::AltModifier},
                 {Qt::Key_Left, Qt::ControlModifier}, {Qt::Key_Delete, Qt::AltModifier},
                 {Qt::Key_F, Qt::ControlModifier | Qt::AltModifier}};
    for (const auto& c : cases)
        Key(c.key, c.mods);
    for (QWidget* to : {static_cast<QWidget*>(win->KeyInEdit), static_cast<QWidget*>(win->Client)})
        for (const auto& [key, text] : {std::pair{Qt::Key_A, "a"}, std::pair{Qt::Key_Q, "q"}, std::pair{Qt::Key_1, "1"}})
            Key(key, Qt::NoModifier, to, QString::fromLatin1(text));
    EXPECT_EQ(win->Model, model);
    EXPECT_EQ(Since(before), 0);
    EXPECT_TRUE(win->KeyInEdit->text().isEmpty());
}

TEST_F(SchEditTest, TurnKeysNeedAClickedComponent)
{
    win->Model.CompList.push_back(Comp(5, 5, 1));
    win->Model.CompList.push_back(Comp(9, 9, 1));
    win->FullRedraw();
    const TSchModel model = win->Model;
    Key(Qt::Key_R);
    Key(Qt::Key_F);
    EXPECT_EQ(win->Model, model);
    win->HitComp = &win->Model.CompList.back();
    // F flips up-down, M mirrors left-right, R turns clockwise: every selected component.
    const struct {
        int key;
        TShapeRec want;
    } cases[] = {{Qt::Key_F, Shape(1, 2, 0, 4, 0)},
                 {Qt::Key_M, Shape(1, -2, 0, -4, 0)},
                 {Qt::Key_R, Shape(1, 0, -2, 0, -4)}};
    for (const auto& c : cases) {
        Key(c.key);
        EXPECT_EQ(win->Model.CompList.front().Shapes.front(), c.want) << c.key;
        EXPECT_EQ(win->Model.CompList.back().Shapes.front(), c.want) << c.key;
    }
    // Enter after clicking a component turns the selection clockwise too.
    Key(Qt::Key_Return);
    EXPECT_EQ(win->Model.CompList.front().Shapes.front(), Shape(1, 2, 0, 4, 0));
    // Delete removes the selection.
    Key(Qt::Key_Delete);
    EXPECT_TRUE(win->Model.CompList.empty());
    EXPECT_EQ(win->HitComp, nullptr);
}

TEST_F(SchEditTest, KeysWhilePlacingTurnTheGhost)
{
    const QString file = tmp.path() + "/R.cmp";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(),
                                    testutil::CrLf({"COMPONENT", "<SHAPE>", "1", "2", "0", "8", "4", "0"})));
    win->LoadComp(file);
    ASSERT_TRUE(win->PlaceComp);
    win->DrawMode = 8;
    Press(100, 100);
    ASSERT_EQ(win->MouseState, 3);
    const QImage ghost = win->View.Surface().copy();
    Key(Qt::Key_F);
    EXPECT_EQ(win->PlaceComp->Shapes.front(), Shape(1, 2, 0, 8, -4));
    EXPECT_NE(win->View.Surface(), ghost);
    Key(Qt::Key_F);   // flipped back: the ghost is drawn where it first was, nothing else is left
    EXPECT_EQ(win->View.Surface(), ghost);
    Key(Qt::Key_R);
    Key(Qt::Key_Left);   // other keys only draw the ghost again
    Release(100, 100);
    ASSERT_EQ(win->Model.CompList.size(), 1u);
    EXPECT_EQ(win->Model.CompList.front().Shapes.front(), Shape(1, 0, 2, -4, 8));
    EXPECT_TRUE(SurfaceClean());
}

TEST_F(SchEditTest, EscapeEndsEachGestureWithoutAChange)
{
    win->Model.ShapeList = {Shape(1, 10, 10, 30, 20, 0, 1)};
    win->FullRedraw();
    const TSchModel model = win->Model;
    const int before = Undos();
    // Right-button move, shape drag, band: the release after Escape changes nothing.
    const struct {
        int tool;
        Qt::MouseButton button;
    } cases[] = {{0, Qt::RightButton}, {2, Qt::LeftButton}, {0, Qt::LeftButton}};
    for (const auto& c : cases) {
        win->DrawMode = c.tool;
        Press(300, 300, c.button);
        Move(360, 340, c.button);
        Key(Qt::Key_Escape);
        EXPECT_EQ(win->MouseState, 0);
        EXPECT_EQ(win->DrawMode, 0);
        EXPECT_TRUE(SurfaceClean());
        Release(360, 340, c.button);
        win->Model.ShapeList.front().Selected = 1;
    }
    EXPECT_EQ(win->Model, model);
    EXPECT_EQ(Since(before), 0);
    // With Ctrl held Escape still acts.
    win->DrawMode = 2;
    Press(300, 300);
    Key(Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(win->MouseState, 0);
    Release(300, 300);
}

// ---------------------------------------------------------------- handle boxes

TEST_F(SchEditTest, HandleDragsCommitPerKind)
{
    struct Case {
        const char* name;
        TShapeRec shape;
        QWidget* TSchWin::*box;
        int mx, my;   // pointer movement in pixels at scale 4
        TShapeRec want;
        const char* pressNote;
        const char* moveNote;
    };
    const Case cases[] = {
        {"line end", Shape(1, 0, 0, 10, 10), &TSchWin::ReszeBox1, 9, -5, Shape(1, 0, 0, 12, 9, 0, 1), "  (10,10) ",
         "  (10,10)-(12,9)"},
        {"less than a cell", Shape(1, 0, 0, 10, 10), &TSchWin::ReszeBox1, -3, 3, Shape(1, 0, 0, 10, 10, 0, 1),
         "  (10,10) ", "  (10,10)-(10,10)"},
        {"line start", Shape(11, 4, 6, 10, 10, 0x101), &TSchWin::ReszeBox2, -8, 4, Shape(11, 2, 7, 10, 10, 0x101, 1),
         "  (4,6) ", "  (4,6)-(2,7)"},
        {"rectangle past its corner", Shape(2, 4, 4, 10, 10), &TSchWin::ReszeBox1, -40, 0,
         Shape(2, 4, 4, 0, 10, 0, 1), "  (10,10) ", "  (10,10)-(0,10)"},
        {"ellipse moved", Shape(3, 4, 4, 10, 12, 1), &TSchWin::MoveBox, 12, 8, Shape(3, 7, 6, 13, 14, 1, 1),
         "  (7,8) ", "  (7,8)-(10,10)"},
        {"arc start", Shape(5, 20, 4, 10, 12), &TSchWin::ReszeBox2, 4, 4, Shape(5, 21, 5, 10, 12, 0, 1), "  (20,4) ",
         "  (20,4)-(21,5)"},
        {"circle radius", Shape(4, 20, 20, 8, 8), &TSchWin::ReszeBox1, 12, 30, Shape(4, 20, 20, 20, 20, 0, 1),
         "  (22,20) ", "  (22,20)-(25,27)"},
        {"circle radius past the centre", Shape(4, 20, 20, 8, 8), &TSchWin::ReszeBox1, -20, 0,
         Shape(4, 20, 20, 12, 12, 0, 1), "  (22,20) ", "  (22,20)-(17,20)"},
        {"circle with negative size", Shape(4, 20, 20, -20, -20), &TSchWin::ReszeBox1, 4, 0,
         Shape(4, 20, 20, 24, 24, 0, 1), "  (25,20) ", "  (25,20)-(26,20)"},
        {"dot moved", Shape(4, 20, 20, 4, 4, 1), &TSchWin::MoveBox, -8, 8, Shape(4, 18, 22, 4, 4, 1, 1), "  (20,20) ",
         "  (20,20)-(18,22)"},
        {"arrow head tip", Shape(6, 10, 10, 20, 10, 1), &TSchWin::ReszeBox1, 0, 8, Shape(6, 10, 10, 20, 12, 1, 1),
         "  (20,10) ", "  (20,10)-(20,12)"},
        {"sine moved", Shape(12, 10, 20, 30, 26), &TSchWin::MoveBox, 4, -4, Shape(12, 11, 19, 31, 25, 0, 1),
         "  (10,20) ", "  (10,20)-(11,19)"},
        {"sine end", Shape(12, 10, 20, 30, 26), &TSchWin::ReszeBox1, 8, 4, Shape(12, 10, 20, 32, 27, 0, 1),
         "  (30,26) ", "  (30,26)-(32,27)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win->Model.EraseMem();
        win->Model.ShapeList = {c.shape, Shape(1, 0, 30, 5, 30, 0, 1)};   // a second selected shape stays
        HitFirstShape();
        QWidget* box = win->*c.box;
        ASSERT_FALSE(box->isHidden());
        win->ClearModified();
        const int before = Undos();
        SendMouse(box, QEvent::MouseButtonPress, Qt::LeftButton, 2, 2);
        EXPECT_EQ(win->BoxDragging, 1);
        EXPECT_EQ(Panel(2), c.pressNote);
        // The outline drawn twice restores the surface: moving away and back gives it again.
        const QImage atPress = win->View.Surface().copy();
        EXPECT_NE(atPress, win->View.DrawBmp());
        SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 2 + c.mx, 2 + c.my);
        SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 2, 2);
        EXPECT_EQ(win->View.Surface(), atPress);
        SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 2 + c.mx, 2 + c.my);
        EXPECT_EQ(Panel(2), c.moveNote);
        SendMouse(box, QEvent::MouseButtonRelease, Qt::LeftButton, 2 + c.mx, 2 + c.my);
        EXPECT_EQ(win->Model.ShapeList.front(), c.want);
        EXPECT_EQ(win->Model.ShapeList.back(), Shape(1, 0, 30, 5, 30, 0, 1));
        EXPECT_EQ(Since(before), 1);   // also when nothing changed
        EXPECT_EQ(Panel(0), " Modified");
        EXPECT_EQ(win->BoxDragging, 0);
        EXPECT_EQ(win->HitShape, &win->Model.ShapeList.front());
        EXPECT_TRUE(SurfaceClean());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST_F(SchEditTest, MoveHandleOfComponentsAndTexts)
{
    win->Model.CompList.push_back(Comp(20, 20, 1));
    win->HitComp = &win->Model.CompList.front();
    win->HScrollBar->setValue(5);   // the outline follows the scrolled view
    ASSERT_FALSE(win->MoveBox->isHidden());
    EXPECT_EQ(win->MoveBox->pos(), QPoint(58, 78));
    SendMouse(win->MoveBox, QEvent::MouseButtonPress, Qt::LeftButton, 2, 2);
    EXPECT_EQ(win->BoxDragging, 2);
    const QImage atPress = win->View.Surface().copy();
    // The component's own shape (2,0)-(4,0) in half units lies at pixels 64..67, 80.
    EXPECT_NE(atPress.pixel(65, 80), win->View.DrawBmp().pixel(65, 80));
    SendMouse(win->MoveBox, QEvent::MouseMove, Qt::LeftButton, 11, -6);
    SendMouse(win->MoveBox, QEvent::MouseMove, Qt::LeftButton, 2, 2);
    EXPECT_EQ(win->View.Surface(), atPress);
    SendMouse(win->MoveBox, QEvent::MouseMove, Qt::LeftButton, 11, -6);
    SendMouse(win->MoveBox, QEvent::MouseButtonRelease, Qt::LeftButton, 11, -6);
    EXPECT_EQ(win->Model.CompList.front().X, 22);
    EXPECT_EQ(win->Model.CompList.front().Y, 18);
    EXPECT_EQ(win->MoveBox->pos(), QPoint(66, 70));

    // A text moves in whole units, keeping its tenths.
    win->HScrollBar->setValue(0);
    win->Model.EraseMem();
    win->HitComp = nullptr;
    win->Model.TextList.push_back({"Tx", 103, 57, 0x20, 1});
    win->HitText = &win->Model.TextList.front();
    win->FullRedraw();
    ASSERT_FALSE(win->MoveBox->isHidden());
    SendMouse(win->MoveBox, QEvent::MouseButtonPress, Qt::LeftButton, 2, 2);
    EXPECT_EQ(win->BoxDragging, 3);
    SendMouse(win->MoveBox, QEvent::MouseMove, Qt::LeftButton, 14, 2);
    SendMouse(win->MoveBox, QEvent::MouseButtonRelease, Qt::LeftButton, 14, 2);
    EXPECT_EQ(win->Model.TextList.front().X, 133);
    EXPECT_EQ(win->Model.TextList.front().Y, 57);
    EXPECT_TRUE(SurfaceClean());
}

TEST_F(SchEditTest, HandleDragOwnsTheWindowUntilItEnds)
{
    win->Model.ShapeList = {Shape(1, 10, 10, 20, 20)};
    HitFirstShape();
    win->Client->setCursor(Qt::CrossCursor);
    const int before = Undos();
    QWidget* box = win->ReszeBox1;
    // A right press starts nothing; its release still redraws and ends the state.
    SendMouse(box, QEvent::MouseButtonPress, Qt::RightButton, 2, 2);
    EXPECT_EQ(win->BoxDragging, 0);
    SendMouse(box, QEvent::MouseButtonRelease, Qt::RightButton, 2, 2);
    EXPECT_EQ(Since(before), 0);
    EXPECT_EQ(win->Client->cursor().shape(), Qt::CrossCursor);

    // Keys (but Escape) and the wheel do nothing mid-drag; the press never reached the window.
    win->DrawMode = 9;
    SendMouse(box, QEvent::MouseButtonPress, Qt::LeftButton, 2, 2);
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);   // no dot from the dot tool
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 10, 10);
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    Wheel();
    EXPECT_EQ(win->VScrollBar->value(), 0);
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(Since(before), 0);
    // Escape: the outline goes, the pointer comes back, the release changes nothing.
    Key(Qt::Key_Escape);
    EXPECT_EQ(win->BoxDragging, 0);
    EXPECT_TRUE(SurfaceClean());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(win->Client->cursor().shape(), Qt::ArrowCursor);
    SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 30, 30);
    EXPECT_TRUE(SurfaceClean());
    SendMouse(box, QEvent::MouseButtonRelease, Qt::LeftButton, 30, 30);
    EXPECT_EQ(win->Model.ShapeList.front(), Shape(1, 10, 10, 20, 20, 0, 1));
    EXPECT_EQ(Since(before), 0);
    // The release does not bring back a cursor its press did not save.
    EXPECT_EQ(win->Client->cursor().shape(), Qt::ArrowCursor);

    // The grabbed item gone before the release: nothing is committed.
    HitFirstShape();
    SendMouse(box, QEvent::MouseButtonPress, Qt::LeftButton, 2, 2);
    SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 10, 10);
    win->Model.ShapeList.clear();
    win->HitShape = nullptr;   // as every command that frees records does
    win->Model.ShapeList.push_back(Shape(1, 0, 0, 1, 1));
    SendMouse(box, QEvent::MouseMove, Qt::LeftButton, 20, 20);
    SendMouse(box, QEvent::MouseButtonRelease, Qt::LeftButton, 20, 20);
    EXPECT_EQ(win->Model.ShapeList.front(), Shape(1, 0, 0, 1, 1));
    EXPECT_EQ(Since(before), 0);
    EXPECT_EQ(win->BoxDragging, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SchEditTest, RedrawAfterADialogSkipsAHitItemThatWentAway)
{
    win->Model.TextList.push_back({"a", 100, 100, 0x20, 1});
    win->HitText = &win->Model.TextList.front();
    win->FullRedraw();
    ASSERT_FALSE(win->MoveBox->isHidden());
    // The text is freed while its dialog is open; the redraw after it must not place a box on it.
    testutil::WhenModal([this](QWidget* w) {
        win->Model.TextList.clear();
        static_cast<QDialog*>(w)->reject();
    });
    win->mnAlterText->trigger();
    EXPECT_EQ(win->HitText, nullptr);
    EXPECT_TRUE(win->MoveBox->isHidden());
}

TEST_F(SchEditTest, ArrowHeadOutlineRoundsHalvesToEven)
{
    // Axis of one unit: the base corners fall on x = 10 +- 0.5, both rounding to 10, so
    // the outline never reaches x = 11.
    win->Model.ShapeList = {Shape(6, 10, 10, 10, 11, 1)};
    HitFirstShape();
    SendMouse(win->ReszeBox1, QEvent::MouseButtonPress, Qt::LeftButton, 2, 2);
    const QImage& s = win->View.Surface();
    const QImage& d = win->View.DrawBmp();
    EXPECT_NE(s.pixel(40, 40), d.pixel(40, 40));   // the apex
    EXPECT_EQ(s.pixel(44, 44), d.pixel(44, 44));
    SendMouse(win->ReszeBox1, QEvent::MouseButtonRelease, Qt::LeftButton, 2, 2);
}

} // namespace
