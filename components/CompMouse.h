#pragma once
// The component window's side of its gesture machine: it adapts TCompWin (model, undo,
// status panels, redraws, the surface, cursors and the dialogs) to TCompGestureHost.
#include "components/CompGestures.h"
#include "schematic/SchGestureCanvas.h"
#include "windows/ChildWin.h"

class QMouseEvent;
class TCompWin;

class TCompWinGestures : public TCompGestureHost, public TCanvasOutline, public TSurfaceMouse {
public:
    explicit TCompWinGestures(TCompWin& win);
    ~TCompWinGestures() override;

    TCompGestures Machine;

    void MousePress(QMouseEvent* e) override;
    void MouseMove(QMouseEvent* e) override;
    void MouseRelease(QMouseEvent* e) override;
    void DoubleClick(QMouseEvent* e);

    // TCompGestureHost
    TCompModel& Model() override;
    int32_t DrawMode() const override;
    PShapeRec& HitShape() override;
    PCompTextRec& HitText() override;
    void StoreUndo() override;
    void SetModified() override;
    void SetStatus2(const std::string& s) override;
    void Redraw() override;
    void BitmapRepaint() override;
    void MovePreview(int32_t dx, int32_t dy) override;
    void SetScreenCursor(int cursor) override;
    void TextExtent(const TCompTextRec& t, int32_t& w, int32_t& h) override;
    bool AskArrowType(int32_t& type) override;
    bool AskText(TCharDlgValues& v) override;
    void ShowMessage(const std::string& text) override;
    void AlterPenSize() override;
    void DeleteSelected() override;
    // TCanvasOutline
    TCanvas& OverlayCanvas() override;
    void OverlayChanged() override;

private:
    TCompWin& W;
    bool overrideCursor_ = false;
};
