#pragma once
// The schematic window's side of the gesture machine: it adapts TSchWin (model, view,
// undo, status panels, redraws, the window surface, scroll bars, cursors, the frame's
// remembered arrow type and the dialogs) to TSchGestureHost, and turns the client area's
// mouse events and the Escape key into calls of the machine.
#include <QCursor>
#include <QObject>

#include "schematic/SchGestureCanvas.h"
#include "windows/ChildWin.h"

class QMouseEvent;
class TSchWin;

// A widget's mouse event as the gesture machines take it.
TMouseBtn MouseBtnOf(Qt::MouseButton b);
TShiftState ShiftOf(const QMouseEvent* e);

class TSchWinGestures : public QObject, public TCanvasGestureHost, public TSurfaceMouse {
public:
    explicit TSchWinGestures(TSchWin& win);
    ~TSchWinGestures() override;

    TSchGestures Machine;

    // Client-area events.
    void MousePress(QMouseEvent* e) override;
    void MouseMove(QMouseEvent* e) override;
    void MouseRelease(QMouseEvent* e) override;
    // After the window's double-click command: the flagged second press.
    void DoubleClickPress(QMouseEvent* e);
    // Escape, from the window's key handler.
    void EscapeKey();

    // TSchGestureHost
    TSchModel& Model() override;
    int32_t Scale() const override;
    int32_t OffsetX() const override;
    int32_t OffsetY() const override;
    int32_t DrawMode() const override;
    PShapeRec& HitShape() override;
    PCompRec& HitComp() override;
    PTextRec& HitText() override;
    const TCompRec* PlaceComp() const override;
    void StoreUndo() override;
    void SetModified() override;
    void SetStatus2(const std::string& s) override;
    void FullRedraw() override;
    void BitmapRepaint() override;
    void ProcessMessages() override;
    TCanvas& OverlayCanvas() override;
    void OverlayChanged() override;
    TColor FillColor() const override;
    int32_t HScrollPos() const override;
    int32_t VScrollPos() const override;
    void SetHScrollPos(int32_t v) override;
    void SetVScrollPos(int32_t v) override;
    void SetScreenCursor(int cursor) override;
    void SetWindowCursor(int cursor) override;
    void SaveWindowCursor() override;
    void RestoreWindowCursor() override;
    int32_t DefaultArrow() const override;
    void SetDefaultArrow(int32_t v) override;
    bool AskArrowType(int32_t& type, bool& setDefault) override;
    bool AskText(TCharDlgValues& v) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void ShowMessage(const std::string& text) override;
    void SetBoxDragging(int v) override;
    void DoingMoving(int32_t X, int32_t Y) override;
    void EndShapeMove() override;

private:
    TSchWin& W;
    bool overrideCursor_ = false;
    QCursor savedCursor_;
    bool savedOwnCursor_ = false;
};
