#pragma once
// The schematic child window: one drawing with its ten undo slots and autosave file, the
// Edit, Modify and View menus, scroll bars, the file and clipboard-text commands, and
// the close protocol. Mouse gestures, keys and the style commands plug in from their own
// units through the public fields and calls below.
#include "windows/ChildWin.h"
#include "platform/canvas.h"
#include "schematic/core/autosave.h"
#include "schematic/core/records.h"
#include "schematic/core/undo_ring.h"
#include "schematic/render/surface.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QStatusBar;
class TRowSource;
class TSchWin;
class TSchWinGestures;
class TSchWinHandles;
class TSchWinKeys;

// The client area: shows the window surface and hands mouse, wheel and size changes to
// the window.
class TSchClient : public TChildSurface {
    Q_OBJECT
public:
    explicit TSchClient(TSchWin& win);
    QSize sizeHint() const override { return {688, 434}; }

protected:
    const QImage& SurfaceImage() const override;
    TSurfaceMouse* Mouse() const override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TSchWin& win_;
};

class TSchWin : public TChildWin {
    Q_OBJECT
public:
    // Runs the creation steps (registers the tab with the frame, makes the autosave name).
    explicit TSchWin(QWidget* parent = nullptr);
    // Removes the tab and frees the undo slots and bitmaps.
    ~TSchWin() override;

    TKind Kind() const override { return TKind::Sch; }

    // ---- Drawing and hit pointers (null when nothing was hit)
    TSchModel Model;
    PShapeRec HitShape = nullptr;
    PCompRec HitComp = nullptr;
    PTextRec HitText = nullptr;
    // The library component loaded for placing, or null.
    std::unique_ptr<TCompRec> PlaceComp;

    // ---- Undo ring and autosave file
    TUndoRing UndoList;
    TAutoSaveFile UndoFile;
    QString UndoFileName() const;

    // ---- View
    int32_t Scale = 4;
    int32_t HalfScale = 2;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    int32_t MouseState = 0;
    // The mouse gestures (press, move, release, double-click press, Escape); SchMouse.h.
    std::unique_ptr<TSchWinGestures> Gestures;
    // 0, or the handle drag running: 1 a shape, 2 HitComp, 3 HitText (SchHandles.h).
    int32_t BoxDragging = 0;
    std::unique_ptr<TSchWinHandles> Handles;
    // The window's keys (SchKeys.h).
    std::unique_ptr<TSchWinKeys> Keys;
    TColor LineColor = clNavy;
    TColor FillColor = clNavy;
    TColor TextColor = clBlack;
    TColor SelColor = clRed;
    // DrawBmp, GridBmp and the window surface.
    TSchSurface View;
    TRenderView RenderView() const;

    // ---- Controls
    TSchClient* Client = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* Panels[3] = {nullptr, nullptr, nullptr};
    QWidget* BotPanel = nullptr;
    QScrollBar* HScrollBar = nullptr;
    QWidget* LeftPanel = nullptr;
    QScrollBar* VScrollBar = nullptr;
    QLineEdit* KeyInEdit = nullptr;
    QWidget* ReszeBox1 = nullptr;
    QWidget* ReszeBox2 = nullptr;
    QWidget* MoveBox = nullptr;

    // ---- Menus (merged into the frame's menu bar while active)
    QMenu* mnEdit = nullptr;
    QMenu* mnModCircuit = nullptr;
    QMenu* mnViewMenu = nullptr;
    QAction* mnUndo = nullptr;
    QAction* mnViewUndoInfo = nullptr;
    QAction* mnCopyText = nullptr;
    QAction* mnPasteText = nullptr;
    QAction* mnDelete = nullptr;
    QAction* mnDupShape = nullptr;
    QAction* mnSelAll = nullptr;
    QAction* mnCopyBMP = nullptr;
    QAction* mnCopyMeta = nullptr;
    QAction* mnRedraw = nullptr;
    QAction* mnFlip = nullptr;
    QAction* mnMirror = nullptr;
    QAction* mnRotateClock = nullptr;
    QAction* mnRotateAnti = nullptr;
    QAction* mnAlterPenSze = nullptr;
    QAction* mnAlterPenType = nullptr;
    QAction* mnAlterArrow = nullptr;
    QAction* mnCorrFonts = nullptr;
    QAction* mnAlterText = nullptr;
    QAction* mnToggleFill = nullptr;
    QAction* mnZOrder = nullptr;
    QAction* mnPanTopMost = nullptr;
    QAction* mnSmall = nullptr;
    QAction* mnNormal = nullptr;
    QAction* mnLarge = nullptr;
    QAction* mnCheckNodes = nullptr;
    QList<QMenu*> ChildMenus() override;

    // ---- Status bar
    QString ModifiedPanel() const override;
    void SetModified();       // panel 0 := " Modified"
    void ClearModified();
    void SetStatus2(const QString& text);

    // ---- Redraws
    // Composes the picture into DrawBmp, copies it to the window and places the boxes.
    void FullRedraw();
    // Copies DrawBmp to the window again (wipes outlines drawn on the window).
    void BitmapRepaint();
    // Drawing straight on the window; call UpdateWindow() after.
    TImageCanvas& WindowCanvas();
    void UpdateWindow();

    // ---- Lifecycle
    QString NewFileName() const override;
    void UpdateUndoButton() override;
    QWidget* DrawSurface() const override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void FormResize();
    void FormDblClick();
    // The editor that fits the hit item, as the double click and Enter run it: the
    // line-width command for HitShape, a clockwise turn for HitComp, the text editor for
    // HitText. Dialogs run nested event loops; after each the window and the hit pointers
    // are checked again. `pump` lets pending events run before each step. False when the
    // window went away.
    bool EditHitItem(bool pump);
    // Wheel delta in eighths of a degree (120 per notch); a notch moves the bar by 5, one
    // step per message at most.
    void WMMouseWheel(int delta);
    void ScrollBarChange();
    void ScrollBarScroll();
    void ChangeColors() override;
    // Closes the window; it is destroyed once the callers have returned to the event loop.
    void CloseWindow();

    // ---- Menus and model commands
    void mnEditClick();
    void mnModCircuitClick();
    void mnViewClick();
    void mnDeleteClick() override;
    void mnZOrderClick() override;
    // Moving, panning and turning (SchMove.cpp).
    void DoingMoving(int32_t X, int32_t Y);
    void EndShapeMove();
    void mnPanTopMostClick();
    void mnFlipRotateClick(QAction* Sender);
    void DoRotate(int Mode) override;
    // Style edits and duplicate (SchStyle.cpp).
    void mnToggleFillClick() override;
    void mnAlterPenSzeClick() override;
    void mnAlterPenTypeClick() override;
    void mnAlterArrowClick() override;
    void mnDupShapeClick() override;
    void mnRedrawClick();
    void mnViewUndoInfoClick();
    // Writes each straight line's net number at its two ends on the window (SchNodes.cpp).
    void mnCheckNodesClick();
    void mnScaleClick(int tag);
    void AltScale(int up) override;
    void AltBackDots() override;

    // ---- Undo
    // Stores the model as the newest state (and appends it to the autosave file).
    void StoreUndo();
    void DoUndo();
    void mnUndoClick() override;

    // ---- Files and clipboard text
    // False when nothing was written (empty drawing, dialog cancelled, write failed).
    bool SaveSchem();
    bool SaveSchemAs();
    void SaveDoc() override { SaveSchem(); }
    void SaveDocAs() override { SaveSchemAs(); }
    void OpenSchem(const QString& name) override;
    void OpenBackUp(const QString& name, int startLine);
    void LoadComp(const QString& name);
    // Reads the snapshot at startLine of the newest slot, with the reader's messages.
    void DoLoad(int startLine);
    void mnCopyTextClick() override;
    void mnPasteTextClick() override;

    // ---- Pictures out (SchImage.cpp): clipboard bitmap and metafile, printing, image files
    void DetermineMaxXY(int64_t& MaxX, int64_t& MaxY) const;
    // 0 clipboard, 1 printer, 2 image file.
    void CopyBMP(int action) override;
    // Runs the export dialog, then writes the picture's rows in the chosen format.
    void ConvertSaveAs(TRowSource& bitmap);
    void mnCopyBMPClick();
    void mnCopyMetaClick();

    // The text editor of a double-clicked text; set by the text commands' unit.
    std::function<void(PTextRec)> OnAlterText;
    // Shows the backup viewer on this window's autosave file; set by the viewer's unit.
    static inline std::function<void(TSchWin&)> ShowUndoInfo;

private:
    void BuildControls();
    void BuildMenus();
    void LayoutPanels();
    void UpdateUndoEnabled();
    void ShowLoadReport(const struct TLoadReport& r);
    void ClearHits();
    bool AutoSaveOn() const;
    bool DrawDotsOn() const;
    // The frame's four colours.
    void TakeColors();
    std::string AutoSaveFolderBytes() const;
    // The hit pointers after a nested event loop: null unless still in the drawing.
    void RecheckHits();
    // After a nested event loop: false when the window went away, else the hit pointers
    // are checked again.
    static bool StillHere(const QPointer<TSchWin>& self);
    enum class TStyleField { PenWidth, LineStyle, ArrowType };
    // The pen width, line style and arrow type commands: preset, dialog, commit.
    void AlterStyle(TStyleField field);
    void SetCaptionFile();

    int wheelAccum_ = 0;
};
