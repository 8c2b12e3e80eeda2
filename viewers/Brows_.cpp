#include "viewers/Brows_.h"

#include "windows/PrintOut.h"
#include "platform/canvas.h"
#include "platform/folder_widgets.h"
#include "platform/msgbox.h"
#include "platform/sys/files.h"
#include "platform/sys/trash.h"
#include "viewers/render/preview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kPanelWidth = 201;
constexpr int kScrollWidth = 16;
constexpr TColor kHighlight = 0x000080;   // red 128, drawn exclusive-or

// "&" in a file name stands for itself in a menu caption.
QString MenuText(const std::string& name) { return PathText(name).replace(QLatin1Char('&'), QStringLiteral("&&")); }

// The upper-cased extension is ".SCH".
bool HasSchExtension(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return ext == ".SCH";
}

TFontSpec WindowFont()
{
    TFontSpec f;
    f.Name = "Times New Roman";
    f.Size = 8;
    f.Color = clBlack;
    return f;
}

} // namespace

int32_t TBrowsWin::ColsFor(int width)
{
    // Whole numbers n from 1 up with 233 + 250 n below the width; a narrow window keeps one.
    int32_t n = 0;
    while (233 + static_cast<int64_t>(CellWidth) * (n + 1) < width)
        ++n;
    return std::max<int32_t>(n, 1);
}

int32_t TBrowsWin::RowsFor(int height)
{
    int32_t n = 0;
    while (34 + static_cast<int64_t>(CellHeight) * (n + 1) < height)
        ++n;
    return std::max<int32_t>(n, 1);
}

int32_t TBrowsWin::ScrollRows(std::size_t n, int32_t cols, int32_t rows)
{
    const std::size_t page = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
    if (n <= page)
        return 0;
    return static_cast<int32_t>((n - page - 1) / static_cast<std::size_t>(cols) + 1);
}

TBrowsWin::TBrowsWin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BrowsWin"));
    setWindowTitle(QStringLiteral("Browse for Schematics"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    PanelLeft = new QWidget(this);
    PanelTop = new QWidget(PanelLeft);
    PanelTop->setFocusPolicy(Qt::StrongFocus);
    DriveComboBox = new TDriveComboBox(PanelTop);
    DriveComboBox->setGeometry(2, 1, 197, 22);
    DirectoryListBox = new TDirectoryListBox(PanelLeft);
    DriveComboBox->SetDirList(DirectoryListBox);
    ScrollBar = new QScrollBar(Qt::Vertical, this);
    ScrollBar->setRange(0, 100);
    ScrollBar->setSingleStep(1);
    ScrollBar->setPageStep(3);
    ScrollBar->setEnabled(false);

    PopupMenu = new QMenu(this);
    mnOpenFile = PopupMenu->addAction(QStringLiteral("&Open File"), this, [this] { mnOpenFileClick(); });
    PopupMenu->addSeparator();
    mnDeleteFile = PopupMenu->addAction(QStringLiteral("&Delete File"), this, [this] { mnDeleteFileClick(); });
    mnCopyName = PopupMenu->addAction(QStringLiteral("&Copy File Name"), this, [this] { mnCopyNameClick(); });
    PopupMenu->addSeparator();
    mnCopy = PopupMenu->addAction(QStringLiteral("Copy Screen &Image"), this, [this] { mnCopyClick(); });
    PopupMenu->addSeparator();
    mnClose = PopupMenu->addAction(QStringLiteral("C&lose Browser"), this, [this] { mnCloseClick(); });

    connect(DirectoryListBox, &TDirectoryListBox::Change, this, [this] { DirListBoxChange(); });
    connect(DirectoryListBox, &TDirectoryListBox::Click, this, [this] { DirectoryListBoxClick(); });
    connect(ScrollBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChange(); });

    // Resizing lists the folder again once the size has settled, not at every step.
    ResizeTimer = new QTimer(this);
    ResizeTimer->setSingleShot(true);
    ResizeTimer->setInterval(50);
    connect(ResizeTimer, &QTimer::timeout, this, [this] { DirListBoxChange(); });

    // The window sees keys before its controls.
    for (QWidget* w : {static_cast<QWidget*>(PanelTop), static_cast<QWidget*>(DriveComboBox),
                       static_cast<QWidget*>(DirectoryListBox), static_cast<QWidget*>(ScrollBar)})
        w->installEventFilter(this);

    QRect screen(0, 0, 1024, 768);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        screen = s->geometry();
    Cols = ColsFor(screen.width());
    Rows = RowsFor(screen.height());
    resize(CellWidth * Cols + 235, CellHeight * Rows + 36);
    move(screen.center() - rect().center());
    BigBmp = QImage(preview::BigWidth, preview::BigHeight, QImage::Format_RGB32);
    Thumb = QImage(preview::ThumbWidth, preview::ThumbHeight, QImage::Format_RGB32);
}

TBrowsWin::~TBrowsWin() = default;

std::string TBrowsWin::FolderBytes() const { return WithSlash(DirectoryListBox->DirectoryBytes()); }

std::string TBrowsWin::SelectedPath() const
{
    if (SelIndex < 0 || static_cast<std::size_t>(SelIndex) >= Files.size())
        return {};
    return FolderBytes() + Files[static_cast<std::size_t>(SelIndex)];
}

// ---- Size and listing

void TBrowsWin::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TBrowsWin::FormResize()
{
    PanelLeft->setGeometry(0, 0, kPanelWidth, height());
    PanelTop->setGeometry(0, 0, kPanelWidth, 24);
    DirectoryListBox->setGeometry(0, 24, kPanelWidth, std::max(0, height() - 24));
    ScrollBar->setGeometry(width() - kScrollWidth, 1, kScrollWidth, std::max(0, height() - 1));
    Cols = ColsFor(width());
    Rows = RowsFor(height());
    ResizeTimer->start();
}

void TBrowsWin::DirListBoxChange()
{
    ResizeTimer->stop();
    Busy = 1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ScrollBar->blockSignals(true);
    ScrollBar->setValue(0);
    ScrollBar->blockSignals(false);

    const std::string folder = FolderBytes();
    Files.clear();
    std::vector<sys::TDirEntry> entries;
    std::string error;
    if (sys::ListFolder(folder, entries, error)) {
        // Every entry named like a schematic, whatever it is; drawing sorts out the rest.
        for (sys::TDirEntry& e : entries)
            if (MaskMatch("*.sch", e.Name))
                Files.push_back(std::move(e.Name));
    }
    SortFileNames(Files);
    setWindowTitle(QStringLiteral("Browse for Schematics in ") + PathText(folder) + QStringLiteral(" [") +
                   QString::number(Files.size()) + QStringLiteral(" Schematics]"));

    const int32_t extra = ScrollRows(Files.size(), Cols, Rows);
    if (extra > 0) {
        ScrollBar->blockSignals(true);
        ScrollBar->setRange(0, extra);
        ScrollBar->blockSignals(false);
        ScrollBar->setEnabled(true);
    } else {
        ScrollBar->setEnabled(false);   // its range stays as it was
    }
    QApplication::restoreOverrideCursor();
    Busy = 0;
    WMDrawPics();
    PanelTop->setFocus();
}

// ---- The grid

void TBrowsWin::RequestGrid()
{
    if (Busy != 0 || GridPending)
        return;
    GridPending = true;
    QTimer::singleShot(0, this, [this] {
        GridPending = false;
        WMDrawPics();
    });
}

void TBrowsWin::DrawCell(QPainter& p, int col, int row, const std::string& name)
{
    const int L = CellLeft(col), T = CellTop(row);
    const int R = L + CellWidth, B = T + CellHeight;
    // Raised frame, 2 pixels: white top and left, black bottom and right.
    for (int k = 0; k < 2; ++k) {
        p.setPen(Qt::white);
        p.drawLine(L + k, T + k, R - 2 - k, T + k);
        p.drawLine(L + k, T + k, L + k, B - 2 - k);
        p.setPen(Qt::black);
        p.drawLine(L + k, B - 1 - k, R - 1 - k, B - 1 - k);
        p.drawLine(R - 1 - k, T + k, R - 1 - k, B - 1 - k);
    }
    // Another extension (a case variant cannot get here through the mask) gets the frame only.
    if (!HasSchExtension(name))
        return;
    if (MakeThumbnail(FolderBytes() + name, BigBmp, Thumb).Drawn())
        p.drawImage(L + 3, T + 3, Thumb);
    p.save();
    p.setClipRect(QRect(L + 3, T + 3, 243, 145));
    p.setFont(MakeQFont(WindowFont()));
    p.setPen(Qt::black);
    p.drawText(QRect(L + 7, T + 134, 10000, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, PathText(name));
    p.restore();
}

void TBrowsWin::WMDrawPics()
{
    ++GridPaints;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (GridBmp.size() != size())
        GridBmp = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    GridBmp.fill(palette().color(QPalette::Window));
    {
        QPainter p(&GridBmp);
        if (Files.empty()) {
            p.setFont(MakeQFont(WindowFont()));
            p.setPen(Qt::black);
            p.drawText(QRect(GridLeft, 10, 1000, 100), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("No Images"));
        }
        std::size_t i = static_cast<std::size_t>(std::max(0, ScrollBar->value())) * static_cast<std::size_t>(Cols);
        int col = 0, row = 0;
        for (; i < Files.size(); ++i) {
            DrawCell(p, col, row, Files[i]);
            if (++col == Cols) {
                col = 0;
                if (++row == Rows)
                    break;
            }
        }
    }
    // A new grid has no highlight on it.
    HiLeft = HiTop = -100;
    QApplication::restoreOverrideCursor();
    update();
}

void TBrowsWin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (GridBmp.isNull()) {
        p.fillRect(rect(), palette().color(QPalette::Window));
        RequestGrid();
        return;
    }
    p.drawImage(0, 0, GridBmp);
    // Between a resize and the relisting it waits for, the window may be larger than the grid.
    const QColor window = palette().color(QPalette::Window);
    if (width() > GridBmp.width())
        p.fillRect(GridBmp.width(), 0, width() - GridBmp.width(), height(), window);
    if (height() > GridBmp.height())
        p.fillRect(0, GridBmp.height(), GridBmp.width(), height() - GridBmp.height(), window);
}

// ---- Selection and highlight

void TBrowsWin::XorHighlight(int left, int top)
{
    {
        TImageCanvas c(GridBmp);
        c.SetPenMode(TPenMode::Xor);
        c.SetPenColor(kHighlight);
        c.SetBrushColor(kHighlight);
        c.Rectangle(left + 3, top + 3, left + 247, top + 136);
    }
    update(QRect(left + 3, top + 3, 244, 133));
}

void TBrowsWin::ClearHighlight()
{
    if (HiLeft >= 0 && HiTop >= 0)
        XorHighlight(HiLeft, HiTop);   // the same rectangle again takes it away
    HiLeft = HiTop = -100;
}

void TBrowsWin::FormMouseDown(Qt::MouseButton button, int x, int y)
{
    if (button == Qt::RightButton)
        return;   // the context menu acts on the file selected before
    SelIndex = -100;
    ClearHighlight();
    // Truncating division, so a press left of the grid gives column 0 or below.
    const int col = (x - GridLeft) / CellWidth;
    const int row = (y - 1) / CellHeight;
    const int64_t index = static_cast<int64_t>(ScrollBar->value()) * Cols + static_cast<int64_t>(row) * Cols + col;
    if (index >= static_cast<int64_t>(Files.size()) || index < 0 || col < 0 || col >= Cols || row < 0 || row >= Rows)
        return;
    SelIndex = static_cast<int32_t>(index);
    HiLeft = CellLeft(col);
    HiTop = CellTop(row);
    XorHighlight(HiLeft, HiTop);
}

void TBrowsWin::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(event->button(), event->position().toPoint().x(), event->position().toPoint().y());
}

void TBrowsWin::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press too.
    FormMouseDown(event->button(), event->position().toPoint().x(), event->position().toPoint().y());
    if (event->button() == Qt::LeftButton)
        FormDblClick();
}

// ---- Scrolling

void TBrowsWin::ScrollBarChange()
{
    SelIndex = -100;
    WMDrawPics();
    PanelTop->setFocus();
}

void TBrowsWin::WMMouseWheel(int delta)
{
    // One row per message, whatever its size; a disabled bar does not scroll.
    if (!ScrollBar->isEnabled() || delta == 0)
        return;
    ScrollBar->setValue(ScrollBar->value() + (delta > 0 ? -1 : 1));
    PanelTop->setFocus();
}

void TBrowsWin::wheelEvent(QWheelEvent* event) { WMMouseWheel(event->angleDelta().y()); }

// ---- Keys, folder list, menu

bool TBrowsWin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        FormKeyDown(Qt::Key_Delete);
        return true;
    }
    if (event->type() == QEvent::Wheel && watched == PanelTop) {
        WMMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TBrowsWin::FormKeyDown(int key)
{
    if (key == Qt::Key_Delete)
        mnDeleteFileClick();
}

void TBrowsWin::DirectoryListBoxClick() { DirectoryListBox->OpenCurrent(); }

void TBrowsWin::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenuPopup();
    PopupMenu->exec(event->globalPos());
}

void TBrowsWin::PopupMenuPopup()
{
    const bool valid = SelIndex >= 0 && static_cast<std::size_t>(SelIndex) < Files.size();
    mnOpenFile->setText(QStringLiteral("&Open File"));
    mnCopyName->setText(QStringLiteral("&Copy File Name"));
    mnDeleteFile->setText(QStringLiteral("&Delete File"));
    mnOpenFile->setEnabled(valid);
    mnCopyName->setEnabled(valid);
    mnDeleteFile->setEnabled(valid);
    if (!valid)
        return;
    const QString name = MenuText(Files[static_cast<std::size_t>(SelIndex)]);
    mnOpenFile->setText(QStringLiteral("&Open File: ") + name);
    mnCopyName->setText(QStringLiteral("&Copy File Name: ") + name);
    mnDeleteFile->setText(QStringLiteral("&Delete File: ") + name);
}

// ---- Commands

void TBrowsWin::FormDblClick() { mnOpenFileClick(); }

void TBrowsWin::mnOpenFileClick()
{
    FileName.clear();
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    FileName = PathText(path);
    done(QDialog::Accepted);
}

void TBrowsWin::mnCopyNameClick()
{
    const std::string path = SelectedPath();
    if (!path.empty())
        CopyPathToClipboard(path);
}

void TBrowsWin::mnDeleteFileClick()
{
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    QPointer<TBrowsWin> self(this);
    const int answer = MessageDlg(QStringLiteral("Delete File: ") + PathText(path), TMsgDlgType::mtConfirmation,
                                  mbYesNo, this);
    if (!self || answer != mrYes)
        return;
    std::string error;
    if (!sys::MoveToTrash(path, error)) {
        ShowMessage(QStringLiteral("Could NOT delete file:\r") + PathText(path), this);
        if (!self)
            return;
    } else {
        DirListBoxChange();
    }
    SelIndex = -100;
}

void TBrowsWin::mnCopyClick()
{
    const int w = width() - PanelLeft->width();
    if (w <= 0 || height() <= 0)
        return;
    StoreBitmapOnClipboard(grab(QRect(PanelLeft->width(), 0, w, height())).toImage());
}

void TBrowsWin::mnCloseClick() { reject(); }
