// Mouse gestures through the schematic window's real event handlers, offscreen.
#include "windows/CharWin_.h"
#include "app/Main_.h"
#include "windows/TypeArrowDlg_.h"
#include "platform/msgbox.h"
#include "schematic/SchMouse.h"
#include "schematic/Schem_.h"
#include "tests/support/schwin_fixture.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include "tests/support/modal.h"

namespace {

using testutil::WhenModal;

class SchMouseTest : public testutil::SchWinFixture {
protected:
    void Drag(int tool, int x1, int y1, int x2, int y2)
    {
        win->DrawMode = tool;
        Press(x1, y1);
        Move((x1 + x2) / 2, (y1 + y2) / 2);
        Move(x2, y2);
        Release(x2, y2);
    }
};

TEST_F(SchMouseTest, DragMakesTheShapeWithUndoAndMark)
{
    win->Model.ShapeList.push_back({1, 100, 100, 101, 101, 0, 0});
    const int32_t before = win->UndoList.UndoIndex;
    Drag(2, 40, 40, 0, 8);
    EXPECT_EQ(win->UndoList.UndoIndex, before + 1);  // one state stored
    ASSERT_EQ(win->Model.ShapeList.size(), 2u);
    EXPECT_EQ(win->Model.ShapeList.back(), (TShapeRec{2, 0, 2, 10, 10, 0, 0}));
    EXPECT_EQ(Panel(0), " Modified");
    EXPECT_EQ(win->MouseState, 0);
    // The surface shows the composed picture again: no outline is left on it.
    EXPECT_EQ(win->View.Surface(), win->View.DrawBmp());
    // A press and release at one point makes nothing.
    win->ClearModified();
    Drag(3, 20, 20, 20, 20);
    EXPECT_EQ(win->UndoList.UndoIndex, before + 1);
    EXPECT_EQ(win->Model.ShapeList.size(), 2u);
    EXPECT_TRUE(Panel(0).isEmpty());
    // The dot tool places a dot with one click.
    win->DrawMode = 9;
    Press(13, 7);
    Release(13, 7);
    EXPECT_EQ(win->Model.ShapeList.back(), (TShapeRec{4, 3, 2, 4, 4, 1, 0}));
    EXPECT_EQ(Panel(2), "  (12,8) ");
}

TEST_F(SchMouseTest, ArrowQuestionRemembersTheTickedType)
{
    frame->DefaultArrow = 0;
    WhenModal([](QWidget* w) {
        auto* d = qobject_cast<TTypeArrowDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->PaintBoxMouseDown(130);  // type 5
        d->CboxSetDefault->setChecked(true);
        d->CancelBitBut->click();
    });
    Drag(11, 0, 0, 40, 40);
    EXPECT_TRUE(win->Model.ShapeList.empty());
    EXPECT_EQ(frame->DefaultArrow, 5);
    EXPECT_EQ(win->MouseState, 0);
    Drag(11, 0, 0, 40, 0);  // asks nothing now
    ASSERT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->Model.ShapeList.front().Style, 5 * 256 + 1);
}

TEST_F(SchMouseTest, WindowClosedWhileADialogOfAGestureIsOpen)
{
    // An untouched window can be closed under its open dialog (a file handed over by a second
    // start takes its place): the gesture stops there instead of using the window again.
    struct Case {
        int tool;
        bool drag;
    };
    for (const Case c : {Case{11, true}, Case{7, false}}) {
        SCOPED_TRACE(c.tool);
        if (!win) {
            win = new TSchWin();
            frame->ShowChild(win, false);
        }
        frame->DefaultArrow = 0;
        WhenModal([this](QWidget*) {
            win->CloseWindow();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
        if (c.drag) {
            Drag(c.tool, 0, 0, 40, 40);
        } else {
            win->DrawMode = c.tool;
            Press(40, 40);
        }
        EXPECT_TRUE(win.isNull());
    }
}

TEST_F(SchMouseTest, TextToolEntersATypedText)
{
    WhenModal([](QWidget* w) {
        auto* c = qobject_cast<TCharWin*>(w);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->FontComBox->currentText(), "3");
        c->StrEdit->setText("R1");
        c->OKBut->click();
    });
    win->DrawMode = 7;
    Press(100, 60);
    Release(100, 60);
    ASSERT_EQ(win->Model.TextList.size(), 1u);
    const TTextRec& t = win->Model.TextList.front();
    EXPECT_EQ(t.X, 250);
    EXPECT_EQ(t.Y, 110);
    EXPECT_EQ(t.Font, 48);
    EXPECT_EQ(t.Text, "R1");
    EXPECT_EQ(Panel(0), " Modified");
}

TEST_F(SchMouseTest, DoubleClickOnSymbolTextAltersItAndEndsIdle)
{
    // A symbol text at world (10, 10) with bytes only the symbol font shows.
    win->Model.TextList.push_back({"\xB5\x61\xFF", 100, 100, 1 + 3 * 16, 0});
    win->FullRedraw();
    WhenModal([](QWidget* w) {
        auto* c = qobject_cast<TCharWin*>(w);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->SymCheckBox->isChecked());
        c->OKBut->click();  // no edits
    });
    // The dialog takes the double click's last release: none reaches the window.
    Press(42, 44);
    Release(42, 44);
    Send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, 42, 44);
    EXPECT_EQ(win->MouseState, 0);
    const TTextRec& t = win->Model.TextList.front();
    EXPECT_EQ(t.Text, "\xB5\x61\xFF");
    EXPECT_EQ(t.Font, 1 + 3 * 16);
    EXPECT_EQ(Panel(0), " Modified");
    // A right double click is no command: it only ends the state.
    win->Model.TextList.front().Text = "x";
    win->HitText = &win->Model.TextList.front();
    Press(42, 44, Qt::RightButton);
    Release(42, 44, Qt::RightButton);
    Send(QEvent::MouseButtonDblClick, Qt::RightButton, Qt::RightButton, 42, 44);
    EXPECT_EQ(win->MouseState, 0);
    EXPECT_EQ(win->Model.TextList.front().Text, "x");
    // The second press of the double click started nothing: a click on empty space next
    // begins a band as usual.
    Press(400, 300);
    EXPECT_EQ(win->MouseState, 4);
    Release(400, 300);
}

TEST_F(SchMouseTest, TextDialogKeepsASizeItCannotShowAndTypesAfterTheText)
{
    // Size step 9 (the font-size command allows it) has no entry in the dialog: confirming
    // keeps it, picking an entry replaces it. The first key typed goes after the text.
    struct Case {
        int pick;   // -1: confirm as shown
        int32_t wantStep;
    };
    for (const Case c : {Case{-1, 9}, Case{1, 2}}) {
        win->Model.EraseMem();
        win->Model.TextList.push_back({"ab", 100, 100, 9 * 16 + 90 * 256, 1});
        bool caretAtEnd = false;
        WhenModal([&](QWidget* w) {
            auto* d = qobject_cast<TCharWin*>(w);
            ASSERT_NE(d, nullptr);
            caretAtEnd = !d->StrEdit->hasSelectedText() && d->StrEdit->cursorPosition() == 2;
            QKeyEvent k(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
            QCoreApplication::sendEvent(d->StrEdit, &k);
            if (c.pick >= 0)
                d->FontComBox->setCurrentIndex(c.pick);
            d->OKBut->click();
        });
        win->Gestures->Machine.AlterText(&win->Model.TextList.front());
        const TTextRec& t = win->Model.TextList.front();
        EXPECT_TRUE(caretAtEnd) << c.pick;
        EXPECT_EQ(t.Text, "abc") << c.pick;
        EXPECT_EQ(font::SizeStepField(t.Font), c.wantStep) << c.pick;
        EXPECT_EQ(font::Angle(t.Font), 90) << c.pick;
    }
}

TEST_F(SchMouseTest, WheelIsIgnoredWhileAGestureRuns)
{
    win->Model.ShapeList.push_back({1, 100, 100, 110, 110, 0, 0});
    auto wheel = [&] {
        QWheelEvent e(QPointF(10, 10), win->Client->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(win->Client, &e);
    };
    Press(8, 8);  // empty spot: band
    ASSERT_EQ(win->MouseState, 4);
    wheel();
    EXPECT_EQ(win->VScrollBar->value(), 0);
    Release(8, 8);
    wheel();
    EXPECT_EQ(win->VScrollBar->value(), 5);
}

TEST_F(SchMouseTest, EscapeEndsThePolylineAndResetsTheTool)
{
    win->DrawMode = 10;
    Press(0, 0);
    Move(40, 40);
    Move(80, 60);
    EXPECT_EQ(win->Gestures->Machine.PolyPoints.size(), 3u);
    Key(Qt::Key_Escape);
    EXPECT_EQ(win->MouseState, 0);
    EXPECT_TRUE(win->Gestures->Machine.PolyPoints.empty());
    EXPECT_EQ(win->DrawMode, 0);
    EXPECT_EQ(win->View.Surface(), win->View.DrawBmp());
    Release(80, 60);
    EXPECT_TRUE(win->Model.ShapeList.empty());
    EXPECT_TRUE(Panel(0).isEmpty());
    // Panning: the closed hand goes at once.
    win->DrawMode = 20;
    Press(100, 100);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    Key(Qt::Key_Escape);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SchMouseTest, MenusSelectAllAndFontSizes)
{
    win->Model.ShapeList.push_back({1, 1, 1, 5, 5, 0, 0});
    win->Model.TextList.push_back({"a", 10, 10, 48, 0});
    win->mnSelAll->trigger();
    EXPECT_EQ(win->Model.ShapeList.front().Selected, 1);
    EXPECT_EQ(win->Model.TextList.front().Selected, 1);
    WhenModal([](QWidget* w) {
        auto* d = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "Alter ALL current text to size:");
        d->setTextValue("7");
        d->accept();
    });
    win->mnCorrFonts->trigger();
    EXPECT_EQ(win->Model.TextList.front().Font, 7 * 16);
    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    win->mnCorrFonts->trigger();
    EXPECT_EQ(messages, std::vector<QString>{"Selected font size is invalid!"});
}

TEST_F(SchMouseTest, RightButtonMoveRestoresTheCursor)
{
    win->Client->setCursor(Qt::CrossCursor);
    Press(40, 40, Qt::RightButton);
    EXPECT_EQ(win->MouseState, 2);
    Press(40, 40, Qt::LeftButton);  // another press ends the move
    EXPECT_EQ(win->MouseState, 0);
    EXPECT_EQ(win->Client->cursor().shape(), Qt::CrossCursor);
}

TEST_F(SchMouseTest, LoadedComponentPlacedAtEachRelease)
{
    const QString file = tmp.path() + "/R.cmp";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(),
                                    testutil::CrLf({"COMPONENT", "<SHAPE>", "2", "-2", "-2", "2", "2", "0"})));
    win->LoadComp(file);
    ASSERT_TRUE(win->PlaceComp);
    for (int i = 0; i < 3; ++i)
        Drag(8, 0, 0, 41 + 8 * i, 22);
    ASSERT_EQ(win->Model.CompList.size(), 3u);
    auto it = win->Model.CompList.begin();
    EXPECT_EQ(it->X, 10);
    EXPECT_EQ(it->Y, 6);
    EXPECT_EQ(std::next(it)->X, 12);
    EXPECT_EQ(it->Shapes.front(), (TShapeRec{2, -2, -2, 2, 2, 0, 0}));
    it->Shapes.front().X1 = 7;  // copies are independent
    EXPECT_EQ(std::next(it)->Shapes.front().X1, -2);
    EXPECT_EQ(Panel(0), " Modified");
    EXPECT_EQ(win->View.Surface(), win->View.DrawBmp());
}

} // namespace
