#pragma once
// The search program's main window: a folder box over a grid of thumbnails of every
// schematic found below the folder, one page of Cols by Rows cells at a time, scrolled by
// rows. The walk runs inside the command that starts it and lets the event loop run in
// short slices, so "End Search" and closing the window keep working.
#include "platform/canvas.h"
#include "search/core/walk.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolButton;
class TDirSelect;

// The window's background colour, which the grid is drawn on.
inline constexpr TColor clBtnFace = 0xF0F0F0;

// The grid's surface: what was last drawn or highlighted, shown as it is on every paint.
class TSearchPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TSearchPaintBox(QWidget* parent);
    QImage Surface;

signals:
    void MouseDown(Qt::MouseButton button, int x, int y);
    void DoubleClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TSearchWin : public QMainWindow {
    Q_OBJECT
public:
    // args: the command-line arguments after the program name (the first is the start folder).
    explicit TSearchWin(const QStringList& args = {}, QWidget* parent = nullptr);
    ~TSearchWin() override;

    // ---- Model
    std::vector<std::string> Found;  // full paths (bytes) of the files found, in walk order
    QImage BackBmp;                  // the page as drawn, without the highlight
    QImage BigBmp;                   // one file's drawing before it is reduced
    QImage Thumb;                    // the reduced thumbnail
    int32_t Scale = 2;
    int32_t Cols = 1;
    int32_t Rows = 1;
    int32_t HiLeft = -100;
    int32_t HiTop = -100;
    int64_t SelIndex = -100;
    bool Searching = false;
    // The walk; tests may shorten its slices.
    search::TFolderWalk Walk;
    QStringList Args;

    // ---- Controls
    QWidget* PanelTop = nullptr;
    QPushButton* BtnGo = nullptr;
    QPushButton* BtnStopIt = nullptr;
    QLabel* LabelFolder = nullptr;
    QLineEdit* EditFolderStart = nullptr;
    QToolButton* SpButDirect = nullptr;
    QWidget* PanelMessages = nullptr;
    QLabel* MessagesText = nullptr;
    QToolButton* ButHideErrorPanel = nullptr;
    TSearchPaintBox* PaintBox = nullptr;
    QWidget* PanelScroll = nullptr;
    QScrollBar* ScrollBar = nullptr;
    QLabel* StatusBar = nullptr;
    std::string StatusPath;  // the bytes of the path the status bar shows
    QTimer* Timer = nullptr;

    QMenu* mnFile = nullptr;
    QMenu* mnEdit = nullptr;
    QMenu* mnOptions = nullptr;
    QMenu* mnHelp = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* mnSearch = nullptr;
    QAction* mnSelectDir = nullptr;
    QAction* mnExit = nullptr;
    QAction* mnCopyFilename = nullptr;
    QAction* mnEditFile = nullptr;
    QAction* mnViewFile = nullptr;
    QAction* mnCopyScrn = nullptr;
    QAction* mnShowErrorFiles = nullptr;
    QAction* mnAbout = nullptr;
    QAction* pmCopyFilename = nullptr;
    QAction* pmEditFile = nullptr;
    QAction* pmViewFile = nullptr;

    // The folder dialog, made once and shown modally each time.
    TDirSelect* DirSelect = nullptr;

    // ---- Start, layout, folder choice
    void FormCreate();
    void FormResize();
    void TimerTimer();
    void SpButDirectClick();
    void EditFolderStartKeyPress();
    void mnExitClick();
    void mnAboutClick();
    // A later start asked for the window: to the front, restored.
    void BringToFront();

    // ---- Walk and grid
    void BtnGoClick();
    void BtnStopItClick();
    void GetFiles(const std::string& folder);
    void DrawPics(TImageCanvas& canvas);
    // 1 for a schematic drawn into its cell, 0 otherwise.
    int DrawCircuit(TImageCanvas& canvas, const TRect& r, const std::string& path);
    // Draws the page into BackBmp and shows it (a real redraw: the selection goes).
    void RedrawPage();
    void PaintBoxPaint();
    void ScrollBarChange();
    void FormMouseWheel(int delta);
    void PaintBoxMouseDown(int x, int y);
    void ButHideErrorPanelClick();
    void mnShowErrorFilesClick();
    // Sets the scroll bar from the number of files; true when its position had to change.
    bool SetScrollRange();

    // ---- File commands
    bool ValidSelection() const;
    void mnEditClick();
    void PaintBoxDblClick();
    void mnViewFileClick();
    void mnCopyFilenameClick();
    void mnCopyScrnClick();
    // True when the key was taken (a question was asked): it goes no further.
    bool FormKeyDown(int key);

    // Grid size for a window (client) size, at least one cell each way.
    static int32_t ColsFor(int width);
    static int32_t RowsFor(int height);

    // Places the window so that its outer frame, decorations included, is outer; refitted
    // once the window manager has told the size of its decorations.
    void SetOuterGeometry(const QRect& outer);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildControls();
    // The start folder as bytes: the dialog's choice when the box still shows it.
    std::string StartFolder() const;
    std::string ChosenFolder;  // bytes of the folder the dialog gave last
    bool CloseAfterWalk = false;
    int WheelRest = 0;
    std::string WalkFolderShown;
    void FitOuterGeometry();
    QRect WantedOuter;
    QSize FittedBorder{-1, -1};
};
