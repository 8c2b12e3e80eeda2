#include "schematic/SchKeys.h"

#include "schematic/SchMouse.h"
#include "schematic/Schem_.h"
#include "schematic/core/edits.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>

TSchWinKeys::TSchWinKeys(TSchWin& win) : W(win)
{
    for (QWidget* w : {static_cast<QWidget*>(W.Client), static_cast<QWidget*>(W.HScrollBar),
                       static_cast<QWidget*>(W.VScrollBar), static_cast<QWidget*>(W.KeyInEdit)})
        if (w)
            w->installEventFilter(this);
    if (W.KeyInEdit) {
        // Neither a paste from its menu nor a drop may fill it.
        W.KeyInEdit->setReadOnly(true);
        W.KeyInEdit->setContextMenuPolicy(Qt::NoContextMenu);
        W.KeyInEdit->setAcceptDrops(false);
    }
}

int TSchWinKeys::VirtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Enter;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_F:
        return vk::F;
    case Qt::Key_M:
        return vk::M;
    case Qt::Key_R:
        return vk::R;
    case Qt::Key_Z:
        return vk::Z;
    default:
        return 0;
    }
}

bool TSchWinKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        TShiftState s;
        s.Shift = e->modifiers() & Qt::ShiftModifier;
        s.Ctrl = e->modifiers() & Qt::ControlModifier;
        s.Alt = e->modifiers() & Qt::AltModifier;
        QPointer<QObject> guard(this);
        FormKeyDown(VirtualKey(e->key()), s);
        return guard ? KeyInEditKeyPress(e) : true;
    }
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool TSchWinKeys::KeyInEditKeyPress(QKeyEvent*) { return true; }

void TSchWinKeys::FormKeyDown(int Key, TShiftState Shift)
{
    if (Key == vk::Shift)
        return;
    if (Key == vk::Escape) {
        W.Gestures->EscapeKey();
    } else if (Shift.Ctrl || Shift.Alt || W.BoxDragging > 0) {
        // Chords belong to the menus, and a handle drag owns the window until its release.
        return;
    }
    TSchGestures& g = W.Gestures->Machine;
    if (W.MouseState == 3) {
        // The component held for placing turns in place: erase its ghost, turn, draw again.
        g.DrawGhost();
        if (Key == vk::F)
            W.DoRotate(edits::Flip);
        else if (Key == vk::M)
            W.DoRotate(edits::Mirror);
        else if (Key == vk::R)
            W.DoRotate(edits::Clockwise);
        g.DrawGhost();
        return;
    }
    if (W.MouseState > 0)
        return;
    QPointer<TSchWin> self(&W);
    switch (Key) {
    case vk::Delete:
        W.mnDeleteClick();
        break;
    case vk::Z:
        W.mnZOrderClick();
        break;
    case vk::Left:
        MoveSelected(1, Shift.Shift);
        break;
    case vk::Right:
        MoveSelected(2, Shift.Shift);
        break;
    case vk::Up:
        MoveSelected(3, Shift.Shift);
        break;
    case vk::Down:
        MoveSelected(4, Shift.Shift);
        break;
    case vk::R:
    case vk::F:
    case vk::M:
        if (W.HitComp)
            W.DoRotate(Key == vk::R ? edits::Clockwise : Key == vk::F ? edits::Flip : edits::Mirror);
        break;
    case vk::Enter:
        if (!W.EditHitItem(false))
            return;
        break;
    default:
        break;
    }
    if (self && !self->Closed())
        W.KeyInEdit->setFocus();
}

void TSchWinKeys::MoveSelected(int Direction, bool Shift)
{
    W.StoreUndo();
    if (edits::NudgeSelection(W.Model, Direction, Shift) > 0) {
        W.SetModified();
        W.FullRedraw();
    } else {
        W.BitmapRepaint();
    }
}
