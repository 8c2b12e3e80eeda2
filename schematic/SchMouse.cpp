#include "schematic/SchMouse.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include "windows/CharWin_.h"
#include "windows/ChildWin.h"
#include "windows/TypeArrowDlg_.h"
#include "platform/msgbox.h"
#include "schematic/SchHandles.h"
#include "schematic/Schem_.h"

TMouseBtn MouseBtnOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::RightButton:
        return TMouseBtn::Right;
    case Qt::LeftButton:
        return TMouseBtn::Left;
    default:
        return TMouseBtn::Middle;
    }
}

TShiftState ShiftOf(const QMouseEvent* e)
{
    TShiftState s;
    s.Shift = e->modifiers() & Qt::ShiftModifier;
    s.Ctrl = e->modifiers() & Qt::ControlModifier;
    s.Alt = e->modifiers() & Qt::AltModifier;
    return s;
}

namespace {

TMouseBtn Btn(Qt::MouseButton b) { return MouseBtnOf(b); }

QPoint Pos(const QMouseEvent* e) { return e->position().toPoint(); }

} // namespace

TSchWinGestures::TSchWinGestures(TSchWin& win) : Machine(*this, win.MouseState), W(win)
{
    // The selection and text commands of the window's menus.
    if (W.mnSelAll)
        connect(W.mnSelAll, &QAction::triggered, this, [this] { Machine.mnSelAllClick(); });
    if (W.mnCorrFonts)
        connect(W.mnCorrFonts, &QAction::triggered, this, [this] { Machine.mnCorrFontsClick(); });
    if (W.mnAlterText)
        connect(W.mnAlterText, &QAction::triggered, this, [this] {
            if (W.HitText)
                Machine.AlterText(W.HitText);
        });
}

TSchWinGestures::~TSchWinGestures()
{
    if (overrideCursor_)
        QApplication::restoreOverrideCursor();
}

void TSchWinGestures::SetBoxDragging(int v)
{
    W.BoxDragging = v;
    if (v == 0 && W.Handles)
        W.Handles->Abandon();
}

void TSchWinGestures::DoingMoving(int32_t X, int32_t Y) { W.DoingMoving(X, Y); }
void TSchWinGestures::EndShapeMove() { W.EndShapeMove(); }

void TSchWinGestures::MousePress(QMouseEvent* e)
{
    Machine.FormMouseDown(Btn(e->button()), ShiftOf(e), Pos(e).x(), Pos(e).y());
}

void TSchWinGestures::MouseMove(QMouseEvent* e) { Machine.FormMouseMove(ShiftOf(e), Pos(e).x(), Pos(e).y()); }

void TSchWinGestures::MouseRelease(QMouseEvent* e)
{
    Machine.FormMouseUp(Btn(e->button()), ShiftOf(e), Pos(e).x(), Pos(e).y());
}

void TSchWinGestures::DoubleClickPress(QMouseEvent* e)
{
    TShiftState s = ShiftOf(e);
    s.Double = true;
    Machine.FormMouseDown(Btn(e->button()), s, Pos(e).x(), Pos(e).y());
}

void TSchWinGestures::EscapeKey()
{
    Machine.Escape();
    W.DrawMode = 0;
    if (TChildWin::Host())
        TChildWin::Host()->PressSelectTool();
    if (W.Client)
        W.Client->setCursor(Qt::ArrowCursor);
}

TSchModel& TSchWinGestures::Model() { return W.Model; }
int32_t TSchWinGestures::Scale() const { return W.Scale; }
int32_t TSchWinGestures::OffsetX() const { return W.OffsetX; }
int32_t TSchWinGestures::OffsetY() const { return W.OffsetY; }
int32_t TSchWinGestures::DrawMode() const { return W.DrawMode; }
PShapeRec& TSchWinGestures::HitShape() { return W.HitShape; }
PCompRec& TSchWinGestures::HitComp() { return W.HitComp; }
PTextRec& TSchWinGestures::HitText() { return W.HitText; }
const TCompRec* TSchWinGestures::PlaceComp() const { return W.PlaceComp.get(); }
void TSchWinGestures::StoreUndo() { W.StoreUndo(); }
void TSchWinGestures::SetModified() { W.SetModified(); }
void TSchWinGestures::SetStatus2(const std::string& s) { W.SetStatus2(QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()))); }
void TSchWinGestures::FullRedraw() { W.FullRedraw(); }
void TSchWinGestures::BitmapRepaint() { W.BitmapRepaint(); }
void TSchWinGestures::ProcessMessages() { QCoreApplication::processEvents(); }
TCanvas& TSchWinGestures::OverlayCanvas() { return W.WindowCanvas(); }
void TSchWinGestures::OverlayChanged() { W.UpdateWindow(); }
TColor TSchWinGestures::FillColor() const { return W.FillColor; }
int32_t TSchWinGestures::HScrollPos() const { return W.HScrollBar->value(); }
int32_t TSchWinGestures::VScrollPos() const { return W.VScrollBar->value(); }
void TSchWinGestures::SetHScrollPos(int32_t v) { W.HScrollBar->setValue(v); }
void TSchWinGestures::SetVScrollPos(int32_t v) { W.VScrollBar->setValue(v); }

void TSchWinGestures::SetScreenCursor(int cursor)
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

void TSchWinGestures::SetWindowCursor(int cursor)
{
    if (W.Client)
        W.Client->setCursor(ScreenCursor(cursor));
}

void TSchWinGestures::SaveWindowCursor()
{
    if (!W.Client)
        return;
    savedOwnCursor_ = W.Client->testAttribute(Qt::WA_SetCursor);
    savedCursor_ = W.Client->cursor();
}

void TSchWinGestures::RestoreWindowCursor()
{
    if (!W.Client)
        return;
    if (savedOwnCursor_)
        W.Client->setCursor(savedCursor_);
    else
        W.Client->unsetCursor();
}

int32_t TSchWinGestures::DefaultArrow() const
{
    return TChildWin::Host() ? TChildWin::Host()->ChildSettings().DefaultArrow : 0;
}

void TSchWinGestures::SetDefaultArrow(int32_t v)
{
    if (TChildWin::Host())
        TChildWin::Host()->SetDefaultArrow(v);
}

bool TSchWinGestures::AskArrowType(int32_t& type, bool& setDefault) { return RunArrowDialog(&W, type, setDefault); }

bool TSchWinGestures::AskText(TCharDlgValues& v) { return RunCharWin(&W, v); }

bool TSchWinGestures::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    QString text = QString::fromLatin1(value.c_str());
    if (!::InputQuery(QString::fromLatin1(caption.c_str()), QString::fromLatin1(prompt.c_str()), text, &W))
        return false;
    value = text.toStdString();
    return true;
}

void TSchWinGestures::ShowMessage(const std::string& text) { ::ShowMessage(QString::fromLatin1(text.c_str()), &W); }
