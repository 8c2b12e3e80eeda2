#include "schematic/core/sch_menus.h"

#include <algorithm>

bool AnyShapeSelected(const TSchModel& m)
{
    return std::any_of(m.ShapeList.begin(), m.ShapeList.end(), [](const TShapeRec& s) { return s.Selected > 0; });
}

bool AnyCompSelected(const TSchModel& m)
{
    return std::any_of(m.CompList.begin(), m.CompList.end(), [](const TCompRec& c) { return c.Selected > 0; });
}

bool AnyTextSelected(const TSchModel& m)
{
    return std::any_of(m.TextList.begin(), m.TextList.end(), [](const TTextRec& t) { return t.Selected > 0; });
}

bool AnySelected(const TSchModel& m) { return AnyShapeSelected(m) || AnyCompSelected(m) || AnyTextSelected(m); }

TEditMenuState EditMenuState(const TSchModel& m, const TEditMenuFacts& f)
{
    TEditMenuState s;
    const bool sel = AnySelected(m);
    const bool any = !m.Empty();
    s.Undo = f.NewestSlotLines > 5;
    s.ViewUndoInfo = f.AutoSaveOn && f.UndoFileExists;
    s.CopyText = sel;
    s.PasteText = f.ClipboardHasText;
    s.Delete = sel;
    s.DupShape = sel;
    s.SelAll = any;
    s.CopyBMP = any;
    s.CopyMeta = any;
    s.Redraw = true;
    return s;
}

TModifyMenuState ModifyMenuState(const TSchModel& m, bool hitShapeSet, bool hitTextSet)
{
    TModifyMenuState s;
    if (m.Empty())
        return s;
    const bool comp = AnyCompSelected(m);
    const bool shape = AnyShapeSelected(m);
    s.Flip = s.Mirror = s.RotateClock = s.RotateAnti = comp;
    s.AlterPenSze = s.AlterPenType = s.ToggleFill = shape;
    s.AlterArrow = std::any_of(m.ShapeList.begin(), m.ShapeList.end(),
                               [](const TShapeRec& r) { return r.Selected > 0 && r.Kind == 11; });
    s.CorrFonts = AnyTextSelected(m);
    s.AlterText = hitTextSet;
    s.ZOrder = hitShapeSet;
    s.PanTopMost = true;
    return s;
}

void DeleteSelected(TSchModel& m)
{
    m.ShapeList.remove_if([](const TShapeRec& s) { return s.Selected > 0; });
    m.CompList.remove_if([](const TCompRec& c) { return c.Selected > 0; });
    m.TextList.remove_if([](const TTextRec& t) { return t.Selected > 0; });
}

void MoveShapeToBack(TShapeList& shapes, const TShapeRec* hit)
{
    if (shapes.empty() || hit == nullptr || &shapes.front() == hit)
        return;
    for (auto it = shapes.begin(); it != shapes.end(); ++it) {
        if (&*it == hit) {
            it->Selected = 0;
            shapes.splice(shapes.begin(), shapes, it);
            return;
        }
    }
}

void SelectAll(TSchModel& m)
{
    for (TShapeRec& s : m.ShapeList)
        s.Selected = 1;
    for (TCompRec& c : m.CompList)
        c.Selected = 1;
    for (TTextRec& t : m.TextList)
        t.Selected = 1;
}

void SelectNone(TSchModel& m)
{
    for (TShapeRec& s : m.ShapeList)
        s.Selected = 0;
    for (TCompRec& c : m.CompList) {
        c.Selected = 0;
        for (TShapeRec& s : c.Shapes)
            s.Selected = 0;
        for (TTextRec& t : c.Texts)
            t.Selected = 0;
    }
    for (TTextRec& t : m.TextList)
        t.Selected = 0;
}
