#pragma once
// The folder browser: every schematic file of one folder as a grey thumbnail in a grid, with
// the drive and folder lists on the left. Modal; it ends with OK and the chosen file's full
// path in FileName, or with Cancel. Besides opening, it copies a file's name or a picture of
// the grid to the clipboard and moves a file to the trash.
//
// The grid is composed into a retained image (GridBmp) when the listing, the scroll
// position, the size or the folder changes; a paint only copies that image, so a paint can
// never start another grid drawing.
#include <QDialog>
#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QScrollBar;
class QTimer;
class TDirectoryListBox;
class TDriveComboBox;

class TBrowsWin : public QDialog {
    Q_OBJECT
public:
    explicit TBrowsWin(QWidget* parent = nullptr);
    ~TBrowsWin() override;

    // Grid geometry: the frame box of cell (col, row) of the visible grid.
    static constexpr int GridLeft = 205;
    static constexpr int CellWidth = 250;
    static constexpr int CellHeight = 150;
    static int CellLeft(int col) { return GridLeft + CellWidth * col; }
    static int CellTop(int row) { return 2 + CellHeight * row; }
    // Columns and rows that fit a width or height (at least 1 each).
    static int32_t ColsFor(int width);
    static int32_t RowsFor(int height);
    // Rows beyond the visible ones for n names; 0 when all fit.
    static int32_t ScrollRows(std::size_t n, int32_t cols, int32_t rows);

    QWidget* PanelLeft = nullptr;
    QWidget* PanelTop = nullptr;
    TDriveComboBox* DriveComboBox = nullptr;
    TDirectoryListBox* DirectoryListBox = nullptr;
    QScrollBar* ScrollBar = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* mnOpenFile = nullptr;
    QAction* mnDeleteFile = nullptr;
    QAction* mnCopyName = nullptr;
    QAction* mnCopy = nullptr;
    QAction* mnClose = nullptr;

    // Bare names of the listed files (bytes as stored), without regard to case, a.sch and
    // A.sch both.
    std::vector<std::string> Files;
    QImage BigBmp;
    QImage Thumb;
    // What the grid area shows; the paint handler copies it.
    QImage GridBmp;
    int32_t Scale = 2;
    int32_t Cols = 1;
    int32_t Rows = 1;
    int32_t Busy = 0;
    // Frame-box origin of the cell whose highlight is on the grid; -100 when none.
    int32_t HiLeft = -100;
    int32_t HiTop = -100;
    int32_t SelIndex = -100;
    QString FileName;
    // Grid compositions so far (each reads every visible file once).
    int GridPaints = 0;

    // Folder as listed, with one trailing "/".
    std::string FolderBytes() const;
    // Full path of the selected file; empty without a valid selection.
    std::string SelectedPath() const;

    void FormResize();
    void DirListBoxChange();
    // Composes the grid into GridBmp and shows it.
    void WMDrawPics();
    void FormMouseDown(Qt::MouseButton button, int x, int y);
    void FormDblClick();
    void FormKeyDown(int key);
    void WMMouseWheel(int delta);
    void ScrollBarChange();
    void DirectoryListBoxClick();
    void PopupMenuPopup();
    void mnOpenFileClick();
    void mnCopyNameClick();
    void mnDeleteFileClick();
    void mnCopyClick();
    void mnCloseClick();

protected:
    void paintEvent(class QPaintEvent* event) override;
    void resizeEvent(class QResizeEvent* event) override;
    void mousePressEvent(class QMouseEvent* event) override;
    void mouseDoubleClickEvent(class QMouseEvent* event) override;
    void wheelEvent(class QWheelEvent* event) override;
    void contextMenuEvent(class QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Asks for one grid composition from the event loop; requests meanwhile are merged.
    void RequestGrid();
    void DrawCell(class QPainter& p, int col, int row, const std::string& name);
    void XorHighlight(int left, int top);
    void ClearHighlight();

    QTimer* ResizeTimer = nullptr;
    bool GridPending = false;
};
