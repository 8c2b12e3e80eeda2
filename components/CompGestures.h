#pragma once
// The mouse state machine and keys of a component window: click and band selection,
// placing shapes, dots, polylines and texts, moving the selection with the right button,
// the select buttons. It holds no widget: presses, moves, releases and keys come in as
// calls, and everything it does to the window goes out through TCompGestureHost, so it
// runs without a display.
#include "components/core/comp_edit.h"
#include "schematic/SchGestures.h"

#include <cstdint>
#include <string>

// Keys the machine takes.
enum class TCompKey { Other, Delete, Left, Right, Up, Down, Enter };

class TCompGestureHost : public virtual TOutlinePen {
public:
    ~TCompGestureHost() override = default;

    virtual TCompModel& Model() = 0;
    virtual int32_t DrawMode() const = 0;
    virtual PShapeRec& HitShape() = 0;
    virtual PCompTextRec& HitText() = 0;

    virtual void StoreUndo() = 0;
    virtual void SetModified() = 0;                   // panel 0 := " Modified"
    virtual void SetStatus2(const std::string&) = 0;  // panel 2
    // Paints the component into DrawBmp, copies it to the surface, repaints the preview.
    virtual void Redraw() = 0;
    // Copies DrawBmp to the surface again (wipes the outlines).
    virtual void BitmapRepaint() = 0;
    // The selection displaced by (dx, dy) half units, drawn on the surface.
    virtual void MovePreview(int32_t dx, int32_t dy) = 0;
    // Application-wide; sch_cursor::Default restores the normal one.
    virtual void SetScreenCursor(int cursor) = 0;

    // Width and height in pixels of a text in its font on the surface.
    virtual void TextExtent(const TCompTextRec& t, int32_t& w, int32_t& h) = 0;
    // Arrow type dialog without its check box, preset with `type`; false when cancelled.
    virtual bool AskArrowType(int32_t& type) = 0;
    // Character dialog with its angle choice disabled; false when cancelled.
    virtual bool AskText(TCharDlgValues& v) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The line-width command and the delete command of the window.
    virtual void AlterPenSize() = 0;
    virtual void DeleteSelected() = 0;
};

class TCompGestures {
public:
    explicit TCompGestures(TCompGestureHost& host) : Host(host) {}
    TCompGestures(const TCompGestures&) = delete;
    TCompGestures& operator=(const TCompGestures&) = delete;

    // Surface events, in pixels.
    void FormMouseDown(TMouseBtn Button, TShiftState Shift, int32_t X, int32_t Y);
    void FormMouseMove(TShiftState Shift, int32_t X, int32_t Y);
    void FormMouseUp(TMouseBtn Button, TShiftState Shift, int32_t X, int32_t Y);
    void MainPaintBoxDblClick();
    void FormKeyDown(TCompKey Key);
    // The window closes or its drawing is replaced: drop any gesture.
    void Abandon();
    // Whether a press-move-release gesture is running.
    bool InGesture() const { return MouseState == 1 || MouseState == 2 || MouseState == 4 || MouseState == 5; }

    void DoSelect(int32_t X, int32_t Y, bool Additive);
    void EndRubberBand();
    void UnSelectALL();
    void mnSelAllClick();
    void DoingPlaceShape(int32_t X, int32_t Y);
    void EndPlaceShape();
    void PlaceDot();
    void EnterText(int32_t X, int32_t Y);
    void AlterText(PCompTextRec T);
    void mnAlterTextClick();
    void DoingShapeMove(int32_t X, int32_t Y);
    void EndShapeMove();
    void SelectShapeButClick(int Tag);

    // 0 idle, 1 new shape, 2 moving, 4 rubber band, 5 polyline, 100 after a double click.
    int32_t MouseState = 0;
    int32_t StartX = 0, StartY = 0, EndX = 0, EndY = 0;
    TPointList PolyPoints;  // newest first

private:
    // Ends a running gesture without committing it: outline wiped, vertices freed, cursor back.
    void EndGesture();
    void BandRect();

    TCompGestureHost& Host;
};
