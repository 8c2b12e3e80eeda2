// The schematic window's commands that edit the selection as a group: fill, pen width,
// line style and arrow type of the selected shapes, and the duplicate of every selected
// shape, component and text.
#include "schematic/Schem_.h"

#include "windows/SizeDlg_.h"
#include "windows/TypeArrowDlg_.h"
#include "windows/TypeLineDlg_.h"
#include "schematic/core/edits.h"

#include <QPointer>

bool TSchWin::StillHere(const QPointer<TSchWin>& self)
{
    if (!self || self->closed_)
        return false;
    self->RecheckHits();
    return true;
}

void TSchWin::mnToggleFillClick()
{
    if (!edits::AnySelected(Model.ShapeList)) {
        SetStatus2(QStringLiteral("  No Shapes Selected"));
        return;
    }
    StoreUndo();
    edits::ToggleFillSelected(Model.ShapeList);
    SetModified();
    FullRedraw();
}

void TSchWin::AlterStyle(TStyleField field)
{
    const bool width = field == TStyleField::PenWidth, arrow = field == TStyleField::ArrowType;
    if (Model.ShapeList.empty()) {
        MouseState = 0;
        return;
    }
    const int32_t preset = width   ? edits::PenWidthPreset(Model.ShapeList)
                           : arrow ? edits::ArrowTypePreset(Model.ShapeList)
                                   : edits::LineStylePreset(Model.ShapeList);
    if (preset == 0) {
        SetStatus2(arrow ? QStringLiteral(" No Arrows Selected") : QStringLiteral(" No Lines Selected"));
        MouseState = 0;
        return;
    }
    int32_t value = preset;
    bool setDefault = false;
    QPointer<TSchWin> self(this);
    bool ok;
    if (width)
        ok = RunValueDialog<TSizeDialog>(this, value);
    else if (arrow)
        ok = RunArrowDialog(this, value, setDefault);
    else
        ok = RunValueDialog<TTypeLineDialog>(this, value);
    // The dialog ran an event loop of its own.
    if (!StillHere(self))
        return;
    if (ok) {
        if (arrow && Host())
            Host()->SetDefaultArrow(setDefault ? value : 0);
        StoreUndo();
        if (width)
            edits::SetPenWidthSelected(Model.ShapeList, value);
        else if (arrow)
            edits::SetArrowTypeSelected(Model.ShapeList, value);
        else
            edits::SetLineStyleSelected(Model.ShapeList, value);
        SetModified();
    }
    FullRedraw();
    MouseState = 0;
}

void TSchWin::mnAlterPenSzeClick() { AlterStyle(TStyleField::PenWidth); }
void TSchWin::mnAlterPenTypeClick() { AlterStyle(TStyleField::LineStyle); }
void TSchWin::mnAlterArrowClick() { AlterStyle(TStyleField::ArrowType); }

void TSchWin::mnDupShapeClick()
{
    if (Model.Empty())
        return;
    StoreUndo();
    edits::DuplicateSelection(Model, 2 * int64_t{HalfScale});
    SetModified();
    FullRedraw();
}
