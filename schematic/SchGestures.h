#pragma once
// The mouse state machine of a schematic window: click and band selection, shape, dot,
// polyline and component placing, panning, and the text commands. It holds no widget:
// presses, moves, releases and keys come in as calls, and everything it does to the
// window (model, undo, status panels, redraws, the exclusive-or overlay, cursors,
// scroll bars, dialogs) goes out through TSchGestureHost, so it runs without a display.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "schematic/core/records.h"
#include "windows/CharDlgValues.h"

enum class TMouseBtn { Left, Right, Middle };

struct TShiftState {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
    bool Double = false;  // the flagged press of a double click
};

// Cursor codes, as the frame loads them.
namespace sch_cursor {
constexpr int Default = 0;
constexpr int Arrow = -2;
constexpr int Move = 5;
constexpr int HandOpen = 6;
constexpr int HandClosed = 7;
} // namespace sch_cursor

// The exclusive-or overlay a gesture draws its outlines with (on the window surface, never
// into the picture). Shared by the schematic and the component gestures.
class TOutlinePen {
public:
    virtual ~TOutlinePen() = default;
    virtual void OvXorMode(bool xorMode) = 0;       // false: copy
    virtual void OvPenColor(uint32_t bbggrr) = 0;
    virtual void OvPenDotted(bool dotted) = 0;      // width 1, dotted or solid; brush hollow
    virtual void OvLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;  // end pixel excluded
    // Open path through the points in order (one MoveTo, then LineTo each).
    virtual void OvPolyline(const TPointList& pts) = 0;
    virtual void OvRectangle(int32_t l, int32_t t, int32_t r, int32_t b) = 0; // right/bottom excluded
    virtual void OvEllipse(int32_t l, int32_t t, int32_t r, int32_t b) = 0;
    // Counter-clockwise from the ray through (sx, sy) to the ray through (ex, ey).
    virtual void OvArc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t sx, int32_t sy, int32_t ex,
                       int32_t ey) = 0;
};

// The rubber outline of a new shape of a drawing tool (1 line ... 6 arrow head, 11 line with
// arrow, 12 sine wave) dragged from (sx, sy) to (ex, ey), in pixels. Drawing it twice
// erases it.
void ToolOutline(TOutlinePen& pen, int32_t tool, int64_t sx, int64_t sy, int64_t ex, int64_t ey);

class TSchGestureHost : public virtual TOutlinePen {
public:
    ~TSchGestureHost() override = default;

    // Model and view.
    virtual TSchModel& Model() = 0;
    virtual int32_t Scale() const = 0;
    virtual int32_t OffsetX() const = 0;
    virtual int32_t OffsetY() const = 0;
    virtual int32_t DrawMode() const = 0;
    virtual PShapeRec& HitShape() = 0;
    virtual PCompRec& HitComp() = 0;
    virtual PTextRec& HitText() = 0;
    virtual const TCompRec* PlaceComp() const = 0;
    virtual void SetBoxDragging(int) {}

    // Editing and feedback.
    virtual void StoreUndo() = 0;
    virtual void SetModified() = 0;                  // panel 0 := " Modified"
    virtual void SetStatus2(const std::string&) = 0; // panel 2
    virtual void FullRedraw() = 0;
    virtual void BitmapRepaint() = 0;
    virtual void ProcessMessages() {}

    // The window surface: outlines are drawn here, never into the picture.
    virtual int32_t ClientWidth() const = 0;
    virtual int32_t ClientHeight() const = 0;
    // The component's shapes with its origin at window world point (ox, oy), current pen.
    virtual void OvCompShapes(const TCompRec& comp, int32_t ox, int32_t oy) = 0;

    // Scroll bars (0..1000) and cursors.
    virtual int32_t HScrollPos() const = 0;
    virtual int32_t VScrollPos() const = 0;
    virtual void SetHScrollPos(int32_t) = 0;
    virtual void SetVScrollPos(int32_t) = 0;
    virtual void SetScreenCursor(int cursor) = 0;   // application-wide; Default restores
    virtual void SetWindowCursor(int cursor) = 0;
    // SavedCursor1 of the right-button move: the window's cursor kept and put back.
    virtual void SaveWindowCursor() = 0;
    virtual void RestoreWindowCursor() = 0;

    // Pixel extent of a free text in its font at `scale`.
    virtual void TextExtent(const TTextRec& t, int32_t scale, int32_t& w, int32_t& h) = 0;
    // An upper bound of both its width and height in pixels, cheaper than measuring.
    virtual int32_t TextReach(const TTextRec&, int32_t) { return std::numeric_limits<int32_t>::max() / 20; }

    // Frame settings and dialogs.
    virtual int32_t DefaultArrow() const = 0;
    virtual void SetDefaultArrow(int32_t) = 0;
    // Arrow-type dialog preset with `type`; returns whether it was confirmed; `type` and
    // `setDefault` are read back either way.
    virtual bool AskArrowType(int32_t& type, bool& setDefault) = 0;
    virtual bool AskText(TCharDlgValues& v) = 0;
    // Input box; false when cancelled.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    virtual void ShowMessage(const std::string& text) = 0;

    // The right-button move of the selection (its preview and commit live with the window).
    virtual void DoingMoving(int32_t X, int32_t Y) {}
    virtual void EndShapeMove() {}
};

class TSchGestures {
public:
    explicit TSchGestures(TSchGestureHost& host) : MouseState(ownState_), Host(host) {}
    // With the state kept by the window (its double-click command and keys read and set it).
    TSchGestures(TSchGestureHost& host, int32_t& mouseState) : MouseState(mouseState), Host(host) {}
    TSchGestures(const TSchGestures&) = delete;
    TSchGestures& operator=(const TSchGestures&) = delete;
    ~TSchGestures() = default;

    // Mouse, in client pixels.
    void FormMouseDown(TMouseBtn Button, TShiftState Shift, int32_t X, int32_t Y);
    void FormMouseMove(TShiftState Shift, int32_t X, int32_t Y);
    void FormMouseUp(TMouseBtn Button, TShiftState Shift, int32_t X, int32_t Y);
    // Escape: ends any gesture without committing (the window resets its tool and repaints).
    void Escape();
    // The window closes or its model is replaced: drop any gesture.
    void Abandon();

    // Selection.
    void DoSelect(int32_t X, int32_t Y, bool Toggle);
    void EndRubberBand();
    void mnSelAllClick();
    void UnSelectALL();

    // Placing.
    void DoingPlaceShape(int32_t X, int32_t Y);
    void EndPlaceShape();
    void PlaceDot();
    void DoingPlaceComp(int32_t X, int32_t Y);
    void EndPlaceComp();
    void DrawGhost();  // the component ghost at (StartX, StartY)

    // Texts.
    void EnterText(int32_t X, int32_t Y);
    void AlterText(PTextRec T);
    void mnCorrFontsClick();

    // State, as the window and the move commands read it.
    int32_t& MouseState;
    int32_t StartX = 0, StartY = 0, EndX = 0, EndY = 0;
    TPointList PolyPoints;  // newest first

    int32_t Snap(int32_t p) const;                 // snapped pixel
    int32_t WinUnit(int32_t p) const;              // (p + HalfScale) div Scale
    int32_t WorldX(int64_t pixel) const;           // pixel div Scale + OffsetX
    int32_t WorldY(int64_t pixel) const;

private:
    void LeaveState();  // frees the polyline, restores cursors of the state being left
    void Crosshair(int32_t x, int32_t y);
    void BandRect();
    void ShapeOutline(int32_t tool, int64_t sx, int64_t sy, int64_t ex, int64_t ey);
    void StartBand();
    bool InTextList(PTextRec t) const;

    // Dialogs and pending events run nested event loops in which the window (with this
    // machine) may go away: a weak copy taken before tells afterwards whether it did.
    std::weak_ptr<int> Life() const { return life_; }
    std::shared_ptr<int> life_ = std::make_shared<int>(0);

    int32_t ownState_ = 0;
    TSchGestureHost& Host;
};
