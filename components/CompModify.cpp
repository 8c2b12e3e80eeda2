// The component window's modification commands: menus, turns, styles, delete, duplicate,
// nudging, rescaling, free rotation, and the clipboard text.
#include "components/Comp_.h"

#include "windows/SizeDlg_.h"
#include "windows/TypeArrowDlg_.h"
#include "windows/TypeLineDlg_.h"
#include "components/CompMouse.h"
#include "components/core/comp_modify.h"
#include "platform/cp1252.h"
#include "platform/msgbox.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>

namespace {

bool ClipboardHasText()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime && mime->hasText();
}

// A value dialog preset with `value`, read back on OK; false on Cancel.
template <class Dlg>
bool AskValue(QWidget* parent, int32_t& value)
{
    Dlg d(parent);
    d.Value() = value;
    if (d.exec() != QDialog::Accepted)
        return false;
    value = d.Value();
    return true;
}

} // namespace

void TCompWin::mnEditClick()
{
    const comp::TCompMenus s = comp::MenuState(Model, UndoList.Count(), ClipboardHasText(), HitText != nullptr);
    mnUndo->setEnabled(s.Undo);
    mnCopyText->setEnabled(s.Copy);
    mnPasteText->setEnabled(s.Paste);
    mnDelete->setEnabled(s.Delete);
    mnSelAll->setEnabled(s.SelAll);
    mnDupShape->setEnabled(s.Dup);
    mnFlip->setEnabled(s.Flip);
    mnRotate->setEnabled(s.Rotate);
}

void TCompWin::mnModifyClick()
{
    const comp::TCompMenus s = comp::MenuState(Model, UndoList.Count(), false, HitText != nullptr);
    mnAlterText->setEnabled(s.AlterText);
    mnAlterPenSze->setEnabled(s.PenSze);
    mnAlterPenType->setEnabled(s.PenType);
    mnAlterArrow->setEnabled(s.Arrow);
    mnToggleFill->setEnabled(s.Fill);
    mnRescale->setEnabled(s.Rescale);
    mnDoRotation->setEnabled(true);
}

void TCompWin::mnFlipRotateClick(int tag) { DoRotate(tag); }

void TCompWin::DoRotate(int tag)
{
    if (Model.Empty())
        return;
    StoreUndo();
    comp::TurnSelected(Model, tag);
    SetModified();
    Redraw();
}

void TCompWin::mnToggleFillClick()
{
    if (Model.ShapeList.empty())
        return;
    StoreUndo();
    for (TShapeRec& s : Model.ShapeList)
        if (s.Selected > 0)
            s.Style = style::ToggleFill(s.Style);
    SetModified();
    Redraw();
}

void TCompWin::AlterStyle(int32_t mask, bool arrowsOnly, const QString& none,
                          const std::function<bool(int32_t&)>& ask, int32_t (*set)(int32_t, int32_t))
{
    if (Model.ShapeList.empty())
        return;
    const auto preset = comp::FirstSelectedField(Model, mask, arrowsOnly);
    if (!preset) {
        SetStatus2(none);
        return;
    }
    QPointer<TCompWin> self(this);
    int32_t value = *preset;
    const bool ok = ask(value);
    if (!self || closed_)
        return;
    if (ok) {
        StoreUndo();
        for (TShapeRec& s : Model.ShapeList)
            if (s.Selected > 0 && (!arrowsOnly || s.Kind == 11))
                s.Style = set(s.Style, value);
        SetModified();
    }
    Redraw();
}

void TCompWin::mnAlterPenSzeClick()
{
    AlterStyle(0x00F0, false, QStringLiteral("No Lines Selected"), [this](int32_t& v) { return AskValue<TSizeDialog>(this, v); },
               style::SetPenWidth);
}

void TCompWin::mnAlterPenTypeClick()
{
    AlterStyle(0xF000, false, QStringLiteral("No Lines Selected"),
               [this](int32_t& v) { return AskValue<TTypeLineDialog>(this, v); }, style::SetLineStyle);
}

void TCompWin::mnAlterArrowClick()
{
    // The frame's remembered arrow type stays as it is: no check box.
    AlterStyle(0x0F00, true, QStringLiteral("No Arrows Selected"),
               [this](int32_t& v) {
                   bool setDefault = false;
                   return RunArrowDialog(this, v, setDefault, false);
               },
               style::SetArrowType);
}

void TCompWin::mnDeleteClick()
{
    StoreUndo();
    comp::DeleteSelected(Model);
    HitShape = nullptr;
    HitText = nullptr;
    UnSelectALL();
    SetModified();
    Redraw();
}

void TCompWin::mnDupShapeClick()
{
    StoreUndo();
    comp::DuplicateSelected(Model);
    SetModified();
    Redraw();
}

void TCompWin::ShapeMoveButClick(int tag)
{
    SetStatus2(QString());
    StoreUndo();
    comp::NudgeSelected(Model, tag);
    SetModified();
    Redraw();
    KeyInEdit->setFocus();
}

void TCompWin::ComponetMoveButClick(int tag)
{
    SetStatus2(QString());
    if (Model.Empty())
        return;
    StoreUndo();
    comp::MoveAll(Model, tag);
    SetModified();
    Redraw();
    KeyInEdit->setFocus();
}

void TCompWin::ButRescaleClick()
{
    QString answer;
    QPointer<TCompWin> self(this);
    bool ok = false;
    if (AskRescale) {
        ok = AskRescale(answer);
    } else {
        ok = InputQuery(QStringLiteral("Rescale Shapes"),
                        QStringLiteral("Increase Scale (x2.5) or Decrease Scale (/2.5)"), answer, this);
    }
    if (!self || closed_ || !ok || answer.isEmpty())
        return;
    const comp::TScale s = comp::ParseScale(ToCp1252(answer));
    // The results are checked before anything changes, the undo state included.
    TCompModel scaled = Model;
    if (!s.Ok || !comp::Rescale(scaled, s)) {
        ShowMessage(FromCp1252(comp::ScaleError(s)), this);
        return;
    }
    StoreUndo();
    HitShape = nullptr;
    Model.ShapeList.swap(scaled.ShapeList);
    SetModified();
    Redraw();
}

void TCompWin::ScrollBarChange()
{
    SetStatus2(QString());
    LabelAng->setText(QString::number(ScrollBar->value()) + QStringLiteral(" deg"));
    KeyInEdit->setFocus();
}

void TCompWin::ButRotateClick()
{
    if (Model.Empty())
        return;
    TCompModel turned = Model;
    if (!comp::RotateLines(turned, ScrollBar->value())) {
        SetStatus2(QStringLiteral(" Too far out to rotate"));
        return;
    }
    StoreUndo();
    Model.ShapeList.swap(turned.ShapeList);
    SetModified();
    Redraw();
}

void TCompWin::mnCopyTextClick()
{
    const std::string text = comp::CopyText(Model);
    if (!text.empty())
        QGuiApplication::clipboard()->setText(FromCp1252(text));
}

void TCompWin::mnPasteTextClick()
{
    if (!ClipboardHasText())
        return;
    const std::string text = ToCp1252(QGuiApplication::clipboard()->mimeData()->text());
    UnSelectALL();
    HitShape = nullptr;
    const TLines lines = TLines::FromText(text);
    QPointer<TCompWin> self(this);
    // One undo state before the first item goes in, so Undo takes back only the paste.
    const int added = comp::PasteText(lines, Model, [this] { StoreUndo(); });
    if (added < 0) {
        ShowMessage(QStringLiteral("ERROR: Clipboard does NOT have a Schematic!"), this);
        if (self)
            Redraw();
        return;
    }
    if (added > 0)
        SetModified();
    else
        ShowMessage(QStringLiteral("Note: Clipboard did NOT contain any shapes!"), this);
    if (self)
        Redraw();
}
