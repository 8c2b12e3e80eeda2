// Fill, width, line style and arrow type of the selection, and duplicate, through the
// schematic window's real handlers with their dialogs answered, offscreen.
#include "app/Main_.h"
#include "windows/TypeArrowDlg_.h"
#include "windows/ValueDlg.h"
#include "schematic/Schem_.h"
#include "tests/support/modal.h"
#include "tests/support/schwin_fixture.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMouseEvent>

#include <optional>

namespace {

using testutil::Shape;

class SchStyleTest : public testutil::SchWinFixture {
protected:
    int Undos() const { return win->UndoList.UndoIndex; }
    int Since(int before) const
    {
        return ((Undos() - before) % TUndoRing::SlotCount + TUndoRing::SlotCount) % TUndoRing::SlotCount;
    }
    // Answers the next value dialog: records the number it opened with, then sets `value`
    // (and the arrow dialog's check box) and confirms, or cancels when `value` is empty.
    void Answer(std::optional<int32_t> value, bool tick = false)
    {
        shown = -1;
        testutil::WhenModal([this, value, tick](QWidget* w) {
            auto* d = qobject_cast<TValueDialog*>(w);
            ASSERT_NE(d, nullptr);
            shown = d->Value();
            if (!value) {
                d->reject();
                return;
            }
            d->Value() = *value;
            if (auto* a = qobject_cast<TTypeArrowDialog*>(w))
                a->CboxSetDefault->setChecked(tick);
            d->accept();
        });
    }
    int32_t shown = -1;
};

TEST_F(SchStyleTest, ToggleFillFlipsTheFillOfTheSelection)
{
    win->Model.ShapeList = {Shape(2, 0, 0, 5, 5, 0x1235 | 0x10000, 1), Shape(1, 0, 0, 5, 5, 0x1235),
                            Shape(4, 9, 9, 8, 8, 0, 1)};
    const int before = Undos();
    frame->ClearFillTButClick();
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x1230);   // bit 16 cleared with the fill
    EXPECT_EQ(std::next(win->Model.ShapeList.begin())->Style, 0x1235);
    EXPECT_EQ(win->Model.ShapeList.back().Style, 1);
    win->mnToggleFillClick();
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x1231);
    EXPECT_EQ(win->Model.ShapeList.back().Style, 0);
    EXPECT_EQ(Since(before), 2);
    EXPECT_EQ(Panel(0), " Modified");

    // Nothing selected: only the note.
    for (TShapeRec& s : win->Model.ShapeList)
        s.Selected = 0;
    win->ClearModified();
    const TSchModel model = win->Model;
    win->mnToggleFillClick();
    EXPECT_EQ(Panel(2), "  No Shapes Selected");
    EXPECT_EQ(win->Model, model);
    EXPECT_EQ(Since(before), 2);
    EXPECT_TRUE(Panel(0).isEmpty());
}

TEST_F(SchStyleTest, WidthStyleAndArrowDialogs)
{
    using Handler = void (TSchWin::*)();
    struct Case {
        const char* name;
        Handler handler;
        std::vector<TShapeRec> shapes;
        int32_t defaultArrow;
        std::optional<int32_t> answer;
        bool tick;
        int32_t wantShown;   // -1: no dialog
        std::vector<int32_t> wantStyles;
        const char* wantNote;
        int32_t wantDefaultArrow;
    };
    const Case cases[] = {
        // Preset from the first selected shape in list order; the field is replaced, bits
        // above 15 are cleared, shapes not selected keep theirs.
        {"width", &TSchWin::mnAlterPenSzeClick,
         {Shape(1, 0, 0, 5, 5, 0x7071), Shape(1, 0, 0, 5, 5, 0x10021, 1), Shape(2, 0, 0, 5, 5, 0x1245, 1)}, 0, 3,
         false, 2, {0x7071, 0x31, 0x1235}, "", 0},
        {"width field 0 presets 1", &TSchWin::mnAlterPenSzeClick, {Shape(1, 0, 0, 5, 5, 0x1005, 1)}, 0, 15, false, 1,
         {0x10F5}, "", 0},
        {"width cancelled", &TSchWin::mnAlterPenSzeClick, {Shape(1, 0, 0, 5, 5, 0x10021, 1)}, 0, std::nullopt, false,
         2, {0x10021}, "", 0},
        {"width, nothing selected", &TSchWin::mnAlterPenSzeClick, {Shape(1, 0, 0, 5, 5, 0x21)}, 0, 3, false, -1,
         {0x21}, " No Lines Selected", 0},
        {"line style", &TSchWin::mnAlterPenTypeClick,
         {Shape(3, 0, 0, 5, 5, 0x3011, 1), Shape(1, 0, 0, 5, 5, 0x20000, 1)}, 0, 4, false, 3, {0x4011, 0x4000}, "",
         0},
        {"line style, nothing selected", &TSchWin::mnAlterPenTypeClick, {Shape(1, 0, 0, 5, 5)}, 0, 4, false, -1, {0},
         " No Lines Selected", 0},
        // Only lines with arrows take the type; the check box sets or clears the default.
        {"arrow ticked", &TSchWin::mnAlterArrowClick,
         {Shape(1, 0, 0, 5, 5, 0x0101, 1), Shape(11, 0, 0, 5, 5, 0x10301, 1), Shape(11, 0, 0, 5, 5, 0x0201)}, 0, 5,
         true, 3, {0x0101, 0x0501, 0x0201}, "", 5},
        {"arrow not ticked clears the default", &TSchWin::mnAlterArrowClick, {Shape(11, 0, 0, 5, 5, 0x0001, 1)}, 4,
         6, false, 1, {0x0601}, "", 0},
        {"arrow cancelled keeps the default", &TSchWin::mnAlterArrowClick, {Shape(11, 0, 0, 5, 5, 0x0401, 1)}, 4,
         std::nullopt, true, 4, {0x0401}, "", 4},
        {"arrow, only plain lines", &TSchWin::mnAlterArrowClick, {Shape(1, 0, 0, 5, 5, 0, 1)}, 4, 2, false, -1, {0},
         " No Arrows Selected", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win->Model.EraseMem();
        win->Model.ShapeList.assign(c.shapes.begin(), c.shapes.end());
        win->HitShape = &win->Model.ShapeList.back();   // the hit shape does not decide the preset
        frame->DefaultArrow = c.defaultArrow;
        win->ClearModified();
        win->SetStatus2({});
        win->MouseState = 100;
        const int before = Undos();
        shown = -1;
        if (c.wantShown >= 0)
            Answer(c.answer, c.tick);
        (win->*c.handler)();
        EXPECT_EQ(shown, c.wantShown);
        std::vector<int32_t> styles;
        for (const TShapeRec& s : win->Model.ShapeList)
            styles.push_back(s.Style);
        EXPECT_EQ(styles, c.wantStyles);
        EXPECT_EQ(Panel(2), c.wantNote);
        const bool changed = c.wantShown >= 0 && c.answer;
        EXPECT_EQ(Since(before), changed ? 1 : 0);
        EXPECT_EQ(Panel(0), changed ? " Modified" : "");
        EXPECT_EQ(frame->DefaultArrow, c.wantDefaultArrow);
        EXPECT_EQ(win->MouseState, 0);
    }
    // An empty drawing asks nothing and notes nothing.
    win->Model.EraseMem();
    win->HitShape = nullptr;
    win->SetStatus2({});
    win->MouseState = 100;
    win->mnAlterPenSzeClick();
    EXPECT_EQ(win->MouseState, 0);
    EXPECT_TRUE(Panel(2).isEmpty());
}

TEST_F(SchStyleTest, DoubleClickOnAShapeOpensTheWidthDialog)
{
    win->Model.ShapeList = {Shape(1, 10, 10, 30, 10)};
    win->FullRedraw();
    Press(80, 40);   // world (20, 10), on the line
    Release(80, 40);
    ASSERT_EQ(win->HitShape, &win->Model.ShapeList.front());
    Answer(7);
    Send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, 80, 40);
    Release(80, 40);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x70);
    EXPECT_EQ(win->MouseState, 0);
    // Enter runs the same command.
    Answer(2);
    Key(Qt::Key_Return);
    EXPECT_EQ(shown, 7);
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x20);
}

TEST_F(SchStyleTest, WindowClosedWhileItsDialogIsOpen)
{
    win->Model.ShapeList = {Shape(1, 0, 0, 5, 5, 0x21, 1)};
    win->ClearModified();
    testutil::WhenModal([this](QWidget*) {
        win->CloseWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    win->mnAlterPenSzeClick();
    EXPECT_TRUE(win.isNull());
}

TEST_F(SchStyleTest, DuplicateCopiesEachSelectedItemOnce)
{
    for (int scale : {2, 4, 8}) {
        SCOPED_TRACE(scale);
        win->mnScaleClick(scale);
        win->Model.EraseMem();
        win->Model.ShapeList = {Shape(1, 1, 2, 3, 4, 0x21, 1), Shape(4, 10, 10, 8, -8, 1, 1), Shape(2, 0, 0, 5, 5)};
        TCompRec comp;
        comp.X = 50;
        comp.Y = 60;
        comp.Selected = 1;
        comp.Texts.push_back({"R1", 4, -6, 0x30, 0});   // texts are copied also without shapes
        win->Model.CompList.push_back(comp);
        win->Model.TextList = {{"a", 100, 200, 0x120, 1}, {"b", 0, 0, 0, 0}};
        win->HitShape = &win->Model.ShapeList.front();
        const int before = Undos();
        win->ClearModified();
        frame->DupliTButClick();
        const int d = scale;
        const std::vector<TShapeRec> shapes(win->Model.ShapeList.begin(), win->Model.ShapeList.end());
        const std::vector<TShapeRec> wantShapes = {Shape(1, 1, 2, 3, 4, 0x21), Shape(4, 10, 10, 8, -8, 1),
                                                   Shape(2, 0, 0, 5, 5), Shape(1, 1 + d, 2 + d, 3 + d, 4 + d, 0x21, 1),
                                                   Shape(4, 10 + d, 10 + d, 8, -8, 1, 1)};
        EXPECT_EQ(shapes, wantShapes);
        ASSERT_EQ(win->Model.CompList.size(), 2u);
        EXPECT_EQ(win->Model.CompList.front().Selected, 0);
        const TCompRec& copy = win->Model.CompList.back();
        EXPECT_EQ(copy.X, 50 + d);
        EXPECT_EQ(copy.Y, 60 + d);
        EXPECT_EQ(copy.Selected, 1);
        EXPECT_EQ(copy.Texts, comp.Texts);
        EXPECT_NE(&copy.Texts.front(), &win->Model.CompList.front().Texts.front());
        ASSERT_EQ(win->Model.TextList.size(), 3u);
        const TTextRec want{"a", 100 + 10 * d, 200 + 10 * d, 0x120, 1};
        EXPECT_EQ(win->Model.TextList.back(), want);
        EXPECT_EQ(win->Model.TextList.front().Selected, 0);
        EXPECT_EQ(Since(before), 1);
        EXPECT_EQ(Panel(0), " Modified");
        // The hit shape is no longer selected: its boxes are gone.
        EXPECT_TRUE(win->ReszeBox1->isHidden());
        EXPECT_TRUE(win->MoveBox->isHidden());
    }
    // Nothing selected: a state is stored and the window marked, nothing added.
    for (TShapeRec& s : win->Model.ShapeList)
        s.Selected = 0;
    win->Model.CompList.back().Selected = 0;
    win->Model.TextList.back().Selected = 0;
    const TSchModel model = win->Model;
    win->ClearModified();
    const int before = Undos();
    win->mnDupShapeClick();
    EXPECT_EQ(win->Model, model);
    EXPECT_EQ(Since(before), 1);
    EXPECT_EQ(Panel(0), " Modified");
    // An empty drawing: nothing at all.
    win->Model.EraseMem();
    win->ClearModified();
    win->mnDupShapeClick();
    EXPECT_TRUE(Panel(0).isEmpty());
}

} // namespace

namespace {

// The frame as the children see it, with the arrow default recorded instead of kept.
class TArrowHost : public TChildHost {
public:
    explicit TArrowHost(TChildHost& real) : real_(real) {}
    std::vector<int32_t> arrows;
    void AddChildTab(QWidget* h) override { real_.AddChildTab(h); }
    void RemoveChildTab(QWidget* h) override { real_.RemoveChildTab(h); }
    bool NameChildTab(QWidget* h, const QString& t, bool s) override { return real_.NameChildTab(h, t, s); }
    TChildSettings ChildSettings() const override { return real_.ChildSettings(); }
    void SetDefaultArrow(int32_t type) override { arrows.push_back(type); }
    void PressSelectTool() override { real_.PressSelectTool(); }
    void SetUndoButton(bool e) override { real_.SetUndoButton(e); }
    void StoreBMPClip(const QImage& b) override { real_.StoreBMPClip(b); }
    void PrintBmp(const QImage& b, const QString& t) override { real_.PrintBmp(b, t); }

private:
    TChildHost& real_;
};

} // namespace

TEST_F(SchStyleTest, TheArrowDialogsDefaultGoesThroughTheChildHost)
{
    TArrowHost host(*frame);
    TChildWin::SetHost(&host);
    frame->DefaultArrow = 2;
    win->Model.ShapeList = {Shape(11, 0, 0, 5, 5, 0x0101, 1)};
    Answer(4, true);
    win->mnAlterArrowClick();
    Answer(3, false);
    win->mnAlterArrowClick();
    TChildWin::SetHost(frame.get());
    EXPECT_EQ(host.arrows, (std::vector<int32_t>{4, 0}));
    EXPECT_EQ(frame->DefaultArrow, 2);   // the frame is reached through the host only
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x0301);
}
