#include "components/CompMouse.h"

#include "windows/CharWin_.h"
#include "windows/TypeArrowDlg_.h"
#include "components/CompPaint.h"
#include "components/Comp_.h"
#include "platform/msgbox.h"
#include "schematic/SchMouse.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

QPoint Pos(const QMouseEvent* e) { return e->position().toPoint(); }

} // namespace

TCompWinGestures::TCompWinGestures(TCompWin& win) : Machine(*this), W(win) {}

TCompWinGestures::~TCompWinGestures()
{
    if (overrideCursor_)
        QApplication::restoreOverrideCursor();
}

void TCompWinGestures::MousePress(QMouseEvent* e)
{
    Machine.FormMouseDown(MouseBtnOf(e->button()), ShiftOf(e), Pos(e).x(), Pos(e).y());
}

void TCompWinGestures::MouseMove(QMouseEvent* e) { Machine.FormMouseMove(ShiftOf(e), Pos(e).x(), Pos(e).y()); }

void TCompWinGestures::MouseRelease(QMouseEvent* e)
{
    Machine.FormMouseUp(MouseBtnOf(e->button()), ShiftOf(e), Pos(e).x(), Pos(e).y());
}

void TCompWinGestures::DoubleClick(QMouseEvent* e)
{
    // The command first, then its flagged press, which does nothing.
    QPointer<TCompWin> win(&W);
    if (e->button() == Qt::LeftButton)
        Machine.MainPaintBoxDblClick();
    if (!win || win->Closed())
        return;
    TShiftState s = ShiftOf(e);
    s.Double = true;
    Machine.FormMouseDown(MouseBtnOf(e->button()), s, Pos(e).x(), Pos(e).y());
}

TCompModel& TCompWinGestures::Model() { return W.Model; }
int32_t TCompWinGestures::DrawMode() const { return W.DrawMode; }
PShapeRec& TCompWinGestures::HitShape() { return W.HitShape; }
PCompTextRec& TCompWinGestures::HitText() { return W.HitText; }
void TCompWinGestures::StoreUndo() { W.StoreUndo(); }
void TCompWinGestures::SetModified() { W.SetModified(); }
void TCompWinGestures::SetStatus2(const std::string& s) { W.SetStatus2(QString::fromStdString(s)); }
void TCompWinGestures::Redraw() { W.Redraw(); }
void TCompWinGestures::BitmapRepaint() { W.BitmapRepaint(); }

void TCompWinGestures::MovePreview(int32_t dx, int32_t dy)
{
    DrawMovePreview(W.WindowCanvas(), W.Model, dx, dy);
    OverlayChanged();
}

void TCompWinGestures::SetScreenCursor(int cursor)
{
    if (overrideCursor_) {
        QApplication::restoreOverrideCursor();
        overrideCursor_ = false;
    }
    if (cursor != sch_cursor::Default) {
        QApplication::setOverrideCursor(ScreenCursor(cursor));
        overrideCursor_ = true;
    }
}

void TCompWinGestures::TextExtent(const TCompTextRec& t, int32_t& w, int32_t& h)
{
    const TSize s = TextExtentOf(CompTextFont(t, false), t.Text);
    w = s.Width;
    h = s.Height;
}

bool TCompWinGestures::AskArrowType(int32_t& type)
{
    // The frame's remembered arrow type is not the component window's: no check box.
    bool setDefault = false;
    type = 1;
    return RunArrowDialog(&W, type, setDefault, false);
}

bool TCompWinGestures::AskText(TCharDlgValues& v) { return RunCharWin(&W, v, false); }

void TCompWinGestures::ShowMessage(const std::string& text) { ::ShowMessage(QString::fromStdString(text), &W); }

void TCompWinGestures::AlterPenSize() { W.mnAlterPenSzeClick(); }

void TCompWinGestures::DeleteSelected() { W.mnDeleteClick(); }

TCanvas& TCompWinGestures::OverlayCanvas() { return W.WindowCanvas(); }

void TCompWinGestures::OverlayChanged()
{
    if (W.MainPaintBox)
        W.MainPaintBox->update();
}
