#pragma once
// The component child window: one library component (shapes and texts around its origin)
// at a fixed scale, one level of undo, the Edit and Modify menus, the move, select, rescale
// and rotation controls, and the ".cmp" file commands. Its mouse gestures and keys run in
// TCompGestures (CompGestures.h); its pictures come from CompPaint.h.
#include "windows/ChildWin.h"
#include "components/core/comp_text.h"
#include "schematic/render/surface.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QToolButton;
class TCompWin;
class TCompWinGestures;

// The drawing surface (402 by 402): blits the window surface, hands mouse events on.
class TCompPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TCompPaintBox(TCompWin& win, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TCompWin& win_;
};

// The small preview (101 by 101), rebuilt on every repaint.
class TCompPreviewBox : public QWidget {
    Q_OBJECT
public:
    explicit TCompPreviewBox(TCompWin& win, QWidget* parent);
    // What the last repaint drew.
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TCompWin& win_;
    QImage picture_;
};

class TCompWin : public TChildWin {
    Q_OBJECT
public:
    // Runs the creation steps (tab, grid tile, empty picture).
    explicit TCompWin(QWidget* parent = nullptr);
    ~TCompWin() override;

    TKind Kind() const override { return TKind::Comp; }

    // ---- Model
    TCompModel Model;           // ShapeList, TextList
    PShapeRec HitShape = nullptr;
    PCompTextRec HitText = nullptr;
    TLines UndoList;            // the one undo state, in the component text
    std::unique_ptr<TCompWinGestures> Gestures;
    int32_t MouseState() const;

    // ---- Pictures
    QImage GridBmp;             // 200 by 200 tile
    TDrawSurface View;          // DrawBmp 401 by 401 on a 402 by 402 surface
    QImage& DrawBmp() { return View.DrawBmp(); }

    // ---- Controls
    QWidget* Client = nullptr;
    TCompPaintBox* MainPaintBox = nullptr;
    TCompPreviewBox* PaintBox = nullptr;
    QToolButton* CompMveUpSBut = nullptr;
    QToolButton* CompMveDnSBut = nullptr;
    QToolButton* CompMveLtSBut = nullptr;
    QToolButton* CompMveRtSBut = nullptr;
    QToolButton* ShapeUpSBut = nullptr;
    QToolButton* ShapeDownSBut = nullptr;
    QToolButton* ShapeLeftSBut = nullptr;
    QToolButton* ShapeRightSBut = nullptr;
    QPushButton* SelFirstShapeBut = nullptr;
    QPushButton* SelPrevShapeBut = nullptr;
    QPushButton* SelNextShapeBut = nullptr;
    QPushButton* ButRescale = nullptr;
    QWidget* PanelRot = nullptr;
    QScrollBar* ScrollBar = nullptr;
    QLabel* LabelAng = nullptr;
    QPushButton* ButRotate = nullptr;
    QLineEdit* KeyInEdit = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* Panels[3] = {nullptr, nullptr, nullptr};

    // ---- Menus
    QMenu* mnEdit = nullptr;
    QMenu* mnModify = nullptr;
    QAction* mnUndo = nullptr;
    QAction* mnCopyText = nullptr;
    QAction* mnPasteText = nullptr;
    QAction* mnDelete = nullptr;
    QAction* mnDupShape = nullptr;
    QAction* mnFlip = nullptr;
    QAction* mnRotate = nullptr;
    QAction* mnSelAll = nullptr;
    QAction* mnRedraw = nullptr;
    QAction* mnAlterText = nullptr;
    QAction* mnAlterPenSze = nullptr;
    QAction* mnAlterPenType = nullptr;
    QAction* mnAlterArrow = nullptr;
    QAction* mnToggleFill = nullptr;
    QAction* mnDoRotation = nullptr;
    QAction* mnRescale = nullptr;
    QList<QMenu*> ChildMenus() override;

    // ---- Status bar
    QString ModifiedPanel() const override;
    void SetModified();
    void ClearModified();
    void SetStatus2(const QString& text);

    // ---- Lifecycle
    void FormActivate();
    void WMMDIActivate();
    bool FormCloseQuery() override;
    void FormClose() override;
    bool Closed() const { return closed_; }

    // ---- Model and undo
    void DrawBackGrid();
    // Frees every record; both lists and both hit links become empty, any gesture ends.
    void EraseMem();
    // HitShape empty, everything unselected (HitText stays).
    void UnSelectALL();
    void mnSelAllClick();
    void StoreUndo();
    void mnUndoClick() override;

    // ---- Pictures
    void DrawCirc();
    void DrawSmallCirc();
    // After every change: the picture, the surface and the preview.
    void Redraw();
    // Copies DrawBmp to the surface again.
    void BitmapRepaint();
    TImageCanvas& WindowCanvas() { return View.WindowCanvas(); }

    // ---- Files
    // False when the work was not written (dialog cancelled, write failed); true also when
    // there was nothing to write.
    bool SaveComp();
    bool SaveCompAs();
    void SaveDoc() override { SaveComp(); }
    void SaveDocAs() override { SaveCompAs(); }
    void OpenComp() override;

    // ---- Mouse and keys
    void FormKeyDown(int key);
    void SelectShapeButClick(int tag);
    void mnAlterTextClick();

    // ---- Modification commands
    void mnEditClick();
    void mnModifyClick();
    void mnFlipRotateClick(int tag);
    void DoRotate(int tag) override;
    void mnToggleFillClick() override;
    void mnAlterPenSzeClick() override;
    void mnAlterPenTypeClick() override;
    void mnAlterArrowClick() override;
    void mnDeleteClick() override;
    void mnDupShapeClick() override;
    void ShapeMoveButClick(int tag);
    void ComponetMoveButClick(int tag);
    void ButRescaleClick();
    void ScrollBarChange();
    void ButRotateClick();
    void mnCopyTextClick() override;
    void mnPasteTextClick() override;

    // The rescale answer, asked by an input box; tests may answer it. False when cancelled.
    std::function<bool(QString& answer)> AskRescale;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void UpdateUndoButton();
    void SetCaptionFile();
    // The three style dialogs: preset from the first selected shape's field, on OK every
    // selected shape (of kind 11 for arrows) gets the new value; `none` when nothing fits.
    void AlterStyle(int32_t mask, bool arrowsOnly, const QString& none, const std::function<bool(int32_t&)>& ask,
                    int32_t (*set)(int32_t, int32_t));
    // Hit links after a nested event loop: empty unless still in the lists.
    void RecheckHits();

    bool closed_ = false;
};
