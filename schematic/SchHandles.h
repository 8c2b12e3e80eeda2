#pragma once
// The three handle boxes of a schematic window: the two red resize handles of the hit
// shape and the blue move handle of the hit shape, component or text. A left drag on a
// handle shows the changed item on the window (green exclusive-or outline, or the text
// itself) and its release stores an undo state and applies the whole-unit delta to that
// one item. The boxes are placed by every full redraw.
#include <QCursor>
#include <QObject>

#include <cstdint>

class QWidget;
class TSchWin;
class TCanvas;

class TSchWinHandles : public QObject {
public:
    enum TBox { None = 0, Resize1 = 1, Resize2 = 2, Move = 3 };

    explicit TSchWinHandles(TSchWin& win);
    ~TSchWinHandles() override;

    // Positions in pixels relative to the pressed box; left = whether the button is the
    // left one.
    void BoxMouseDown(TBox box, bool left, int32_t X, int32_t Y);
    void BoxMouseMove(TBox box, int32_t X, int32_t Y);
    void BoxMouseUp(TBox box);
    // Ends a running drag without a change: the cursors its press hid come back.
    void Abandon();

    // The drag delta in whole units (0 at the press).
    int32_t EndX = 0, EndY = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TBox BoxOf(QObject* o) const;
    QWidget* Widget(TBox box) const;
    // The item the drag started on, if it is still in the drawing.
    bool GrabbedAlive() const;
    void Outline();
    void HandleOutline(TCanvas& c);
    void RestoreCursors();

    TSchWin& W;
    TBox box_ = None;
    int32_t pressValue_ = 0;           // BoxDragging as the press set it
    int32_t startX_ = 0, startY_ = 0;  // press point in box pixels
    int32_t left_ = 0, top_ = 0;       // the pressed box's edges in window pixels
    const void* grabbed_ = nullptr;
    bool cursorSaved_ = false;
    bool ownCursor_ = false;
    QCursor savedCursor_;
};
