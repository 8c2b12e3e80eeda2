// The schematic window's commands that change where selected items lie: the right-button
// move with its preview, the pan of the whole drawing to the top-left corner, and flip,
// mirror and rotate.
#include "schematic/Schem_.h"

#include "schematic/SchMouse.h"
#include "schematic/SchOutline.h"
#include "schematic/core/edits.h"

#include <QAction>

#include <algorithm>

namespace {

QString Num(int64_t v) { return QString::number(v); }

// Above this many outlined items a step copies the picture again instead of erasing them.
constexpr std::ptrdiff_t MaxXorErase = 200;

} // namespace

void TSchWin::DoingMoving(int32_t X, int32_t Y)
{
    TSchGestures& g = Gestures->Machine;
    TImageCanvas& c = WindowCanvas();
    const TRenderView v = RenderView();
    const bool texts = std::any_of(Model.TextList.begin(), Model.TextList.end(),
                                   [](const TTextRec& t) { return t.Selected > 0; });
    const auto selected = [](const auto& r) { return r.Selected > 0; };
    const auto outlined = std::count_if(Model.ShapeList.begin(), Model.ShapeList.end(), selected)
                          + std::count_if(Model.CompList.begin(), Model.CompList.end(), selected);
    auto outline = [&](int64_t dx, int64_t dy) {
        for (const TShapeRec& s : Model.ShapeList)
            if (s.Selected > 0)
                OutlineShape(c, s, v, dx, dy);
        for (const TCompRec& comp : Model.CompList)
            if (comp.Selected > 0)
                OutlineComp(c, comp, v, dx, dy);
    };
    // Texts are drawn, not exclusive-or'ed: with any of them the picture is copied again
    // instead of erasing the outlines one by one. So it is for a large selection, where the
    // copy costs less than drawing every outline once more; both leave the same picture.
    if (texts || outlined > MaxXorErase)
        View.BitmapRepaint();
    else
        outline(int64_t{g.EndX} - g.StartX, int64_t{g.EndY} - g.StartY);
    g.EndX = g.WinUnit(X);
    g.EndY = g.WinUnit(Y);
    const int64_t dx = int64_t{g.EndX} - g.StartX, dy = int64_t{g.EndY} - g.StartY;
    if (texts) {
        const TPen pen = c.Pen();
        c.SetPenMode(TPenMode::Copy);
        for (const TTextRec& t : Model.TextList)
            if (t.Selected > 0)
                PreviewText(c, t, v, dx * 10, dy * 10);
        c.Pen() = pen;
    }
    outline(dx, dy);
    SetStatus2("  (" + Num(g.StartX) + "," + Num(g.StartY) + ") - (" + Num(g.EndX) + "," + Num(g.EndY) + ")");
    UpdateWindow();
}

void TSchWin::EndShapeMove()
{
    StoreUndo();
    const TSchGestures& g = Gestures->Machine;
    const int64_t moved =
        edits::MoveSelection(Model, int64_t{g.EndX} - g.StartX, int64_t{g.EndY} - g.StartY);
    if (moved > 0) {
        SetModified();
        FullRedraw();
    } else {
        BitmapRepaint();
    }
}

void TSchWin::mnPanTopMostClick()
{
    const edits::TPanPlan plan = edits::PlanPan(Model);
    if (plan.State == edits::TPanPlan::Nothing)
        return;
    if (plan.State == edits::TPanPlan::TooLarge) {
        SetStatus2(QStringLiteral(" Pan refused: the drawing would not fit"));
        return;
    }
    StoreUndo();
    edits::ApplyPan(Model, plan.DX, plan.DY);
    SetStatus2("Minimum Positions were: X = " + Num(plan.DX) + "  , Y = " + Num(plan.DY));
    SetModified();
    FullRedraw();
}

void TSchWin::mnFlipRotateClick(QAction* Sender)
{
    if (Sender)
        DoRotate(Sender->data().toInt());
}

void TSchWin::DoRotate(int Mode)
{
    StoreUndo();
    const edits::TTurnResult r = edits::TurnSelection(Model, Mode, PlaceComp.get());
    if (r.Comps > 0 || r.Texts > 0) {
        SetModified();
        FullRedraw();
    }
}
