#include "search/SearchWin_.h"

#include "platform/association.h"
#include "platform/folder_widgets.h"
#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/sys/trash.h"
#include "search/About_.h"
#include "search/DirSelect_.h"
#include "search/core/grid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

// ---- Paint box

TSearchPaintBox::TSearchPaintBox(QWidget* parent) : QWidget(parent)
{
    // Every pixel comes from the surface: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TSearchPaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(ColorToRgb(clBtnFace)));
    p.drawImage(0, 0, Surface);
}

void TSearchPaintBox::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    emit MouseDown(event->button(), at.x(), at.y());
    QWidget::mousePressEvent(event);
}

void TSearchPaintBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit DoubleClick();
}

// ---- Window

int32_t TSearchWin::ColsFor(int width) { return search::GridCols(width); }
int32_t TSearchWin::RowsFor(int height) { return search::GridRows(height); }

TSearchWin::TSearchWin(const QStringList& args, QWidget* parent) : QMainWindow(parent), Args(args)
{
    setObjectName(QStringLiteral("SearchWin"));
    setWindowTitle(QStringLiteral("Search for Schematics"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(ColorToRgb(clBtnFace)));
    setPalette(pal);
    BuildMenus();
    BuildControls();
    FormCreate();
    DirSelect = new TDirSelect(this);
    qApp->installEventFilter(this);
}

TSearchWin::~TSearchWin()
{
    qApp->removeEventFilter(this);
    Searching = false;
}

void TSearchWin::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* m, const char* caption, void (TSearchWin::*h)()) {
        QAction* a = m->addAction(QString::fromLatin1(caption));
        connect(a, &QAction::triggered, this, [this, h] { (this->*h)(); });
        return a;
    };
    mnFile = bar->addMenu(QStringLiteral("&File"));
    mnSearch = item(mnFile, "Start &Search", &TSearchWin::BtnGoClick);
    mnSelectDir = item(mnFile, "Select Start &Directory ...", &TSearchWin::SpButDirectClick);
    mnFile->addSeparator();
    mnExit = item(mnFile, "E&xit", &TSearchWin::mnExitClick);

    mnEdit = bar->addMenu(QStringLiteral("&Edit"));
    mnCopyFilename = item(mnEdit, "&Copy Selected Filename", &TSearchWin::mnCopyFilenameClick);
    mnEditFile = item(mnEdit, "&Edit Selected Scematic File ...", &TSearchWin::PaintBoxDblClick);
    mnViewFile = item(mnEdit, "&View Selected File (as Text) ...", &TSearchWin::mnViewFileClick);
    mnEdit->addSeparator();
    mnCopyScrn = item(mnEdit, "Copy Screen &Image", &TSearchWin::mnCopyScrnClick);
    connect(mnEdit, &QMenu::aboutToShow, this, &TSearchWin::mnEditClick);

    mnOptions = bar->addMenu(QStringLiteral("&Options"));
    mnShowErrorFiles = mnOptions->addAction(QStringLiteral("&Do NOT remove Error files."));
    mnShowErrorFiles->setCheckable(true);
    // The handler does the one flip.
    connect(mnShowErrorFiles, &QAction::triggered, this, [this](bool checked) {
        mnShowErrorFiles->setChecked(!checked);
        mnShowErrorFilesClick();
    });

    mnHelp = bar->addMenu(QStringLiteral("&Help"));
    mnAbout = item(mnHelp, "&About ...", &TSearchWin::mnAboutClick);

    PopupMenu = new QMenu(this);
    pmCopyFilename = item(PopupMenu, "&Copy Filename", &TSearchWin::mnCopyFilenameClick);
    pmEditFile = item(PopupMenu, "Schematic &Edit File", &TSearchWin::PaintBoxDblClick);
    pmViewFile = item(PopupMenu, "&View File", &TSearchWin::mnViewFileClick);
}

void TSearchWin::BuildControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    PanelTop = new QWidget(central);
    PanelTop->setObjectName(QStringLiteral("PanelTop"));
    PanelTop->setFixedHeight(29);
    PanelTop->setFocusPolicy(Qt::StrongFocus);
    auto* top = new QHBoxLayout(PanelTop);
    top->setContentsMargins(4, 2, 4, 2);
    top->setSpacing(6);
    BtnGo = new QPushButton(QStringLiteral(" Do Search  "), PanelTop);
    BtnStopIt = new QPushButton(QStringLiteral("End Search"), PanelTop);
    BtnStopIt->hide();
    LabelFolder = new QLabel(QStringLiteral("In Folder of:"), PanelTop);
    EditFolderStart = new QLineEdit(PanelTop);
    EditFolderStart->setToolTip(QStringLiteral("Note: ALL folders within this folder is also searched!"));
    SpButDirect = new QToolButton(PanelTop);
    SpButDirect->setText(QString::fromUtf8("\xE2\x80\xA2 \xE2\x80\xA2 \xE2\x80\xA2"));
    SpButDirect->setToolTip(QStringLiteral("Change the 'Start Folder'"));
    SpButDirect->setAutoRaise(true);
    top->addWidget(BtnGo);
    top->addWidget(BtnStopIt);
    top->addWidget(LabelFolder);
    top->addWidget(EditFolderStart, 1);
    top->addWidget(SpButDirect);
    connect(BtnGo, &QPushButton::clicked, this, &TSearchWin::BtnGoClick);
    connect(BtnStopIt, &QPushButton::clicked, this, &TSearchWin::BtnStopItClick);
    connect(SpButDirect, &QToolButton::clicked, this, &TSearchWin::SpButDirectClick);
    connect(EditFolderStart, &QLineEdit::returnPressed, this, &TSearchWin::EditFolderStartKeyPress);

    PanelMessages = new QWidget(central);
    PanelMessages->setFixedHeight(19);
    PanelMessages->setAutoFillBackground(true);
    QPalette mp = PanelMessages->palette();
    mp.setColor(QPalette::Window, QColor::fromRgb(ColorToRgb(0xC0FFFF)));
    mp.setColor(QPalette::WindowText, QColor::fromRgb(ColorToRgb(clRed)));
    PanelMessages->setPalette(mp);
    auto* msg = new QHBoxLayout(PanelMessages);
    msg->setContentsMargins(0, 0, 2, 0);
    MessagesText = new QLabel(PanelMessages);
    MessagesText->setFont(MakeQFont(TFontSpec{"Arial", 8, clRed}));
    ButHideErrorPanel = new QToolButton(PanelMessages);
    ButHideErrorPanel->setText(QStringLiteral("X"));
    ButHideErrorPanel->setToolTip(QStringLiteral("Hide Error Caption bar."));
    ButHideErrorPanel->setFixedSize(17, 17);
    msg->addWidget(MessagesText, 1);
    msg->addWidget(ButHideErrorPanel);
    PanelMessages->hide();
    connect(ButHideErrorPanel, &QToolButton::clicked, this, &TSearchWin::ButHideErrorPanelClick);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    PaintBox = new TSearchPaintBox(central);
    PaintBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    PanelScroll = new QWidget(central);
    PanelScroll->setFixedWidth(17);
    ScrollBar = new QScrollBar(Qt::Vertical, PanelScroll);
    ScrollBar->setGeometry(0, 0, 17, 100);
    ScrollBar->setPageStep(3);
    body->addWidget(PaintBox, 1);
    body->addWidget(PanelScroll);
    connect(PaintBox, &TSearchPaintBox::MouseDown, this, [this](Qt::MouseButton, int x, int y) { PaintBoxMouseDown(x, y); });
    connect(PaintBox, &TSearchPaintBox::DoubleClick, this, &TSearchWin::PaintBoxDblClick);
    connect(ScrollBar, &QScrollBar::valueChanged, this, &TSearchWin::ScrollBarChange);

    column->addWidget(PanelTop);
    column->addWidget(PanelMessages);
    column->addLayout(body, 1);
    setCentralWidget(central);

    StatusBar = new QLabel(this);
    statusBar()->addWidget(StatusBar, 1);
    statusBar()->setSizeGripEnabled(false);

    Timer = new QTimer(this);
    Timer->setSingleShot(true);
    Timer->setInterval(200);
    connect(Timer, &QTimer::timeout, this, &TSearchWin::TimerTimer);
}

void TSearchWin::FormCreate()
{
    Found.clear();
    Searching = false;
    Scale = 2;
    HiLeft = HiTop = -100;
    SelIndex = -100;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                          : QRect(0, 0, 1024, 768);
    Cols = ColsFor(screen.width());
    Rows = RowsFor(screen.height());
    // A window too small for one cell has nothing to show or select.
    setMinimumSize(search::CellWidth + 30, search::CellHeight + 98);
    // The sizes are those of the whole window, its frame included.
    const int w = Cols * search::CellWidth + 30;
    const int h = Rows * search::CellHeight + 98;
    SetOuterGeometry(QRect(screen.left() + (screen.width() - w) / 2, screen.top() + (screen.height() - h) / 2, w, h));
    BigBmp = NewBitmap(486, 264);
    Thumb = NewBitmap(243, 132);
    BackBmp = NewBitmap(std::max(1, PaintBox->width()), std::max(1, PaintBox->height()), clBtnFace);
    RedrawPage();
    EditFolderStart->setText(GetDocsFolder());
    Timer->start();
}

void TSearchWin::SetOuterGeometry(const QRect& outer)
{
    WantedOuter = outer;
    FittedBorder = QSize(-1, -1);
    FitOuterGeometry();
}

void TSearchWin::FitOuterGeometry()
{
    const QSize border = frameGeometry().size() - size();
    if (WantedOuter.isNull() || border == FittedBorder || isMaximized() || isFullScreen())
        return;
    FittedBorder = border;
    resize(WantedOuter.size() - border);
    move(WantedOuter.topLeft());  // a window's position is its frame's
}

bool TSearchWin::event(QEvent* event)
{
    const bool done = QMainWindow::event(event);
    // The decorations are known only once the window manager has framed the window.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::ActivationChange:
        FitOuterGeometry();
        break;
    default:
        break;
    }
    return done;
}

void TSearchWin::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TSearchWin::FormResize()
{
    if (Thumb.isNull())
        return;
    // The layouts place the paint box only once they run; do that now.
    if (layout())
        layout()->activate();
    if (centralWidget() && centralWidget()->layout())
        centralWidget()->layout()->activate();
    BackBmp = NewBitmap(std::max(1, PaintBox->width()), std::max(1, PaintBox->height()), clBtnFace);
    ScrollBar->setGeometry(0, 0, 17, std::max(1, PanelScroll->height() - 1));
    // From the whole window, as at creation.
    Cols = ColsFor(frameGeometry().width());
    Rows = RowsFor(frameGeometry().height());
    ScrollBar->setPageStep(Rows);
    RedrawPage();
}

void TSearchWin::TimerTimer()
{
    Timer->stop();
    if (!Args.isEmpty()) {
        EditFolderStart->setText(Args.front());
        BtnGoClick();
    }
}

std::string TSearchWin::StartFolder() const
{
    const QString text = EditFolderStart->text();
    if (!ChosenFolder.empty() && text == PathText(ChosenFolder))
        return ChosenFolder;
    return PathBytes(text);
}

void TSearchWin::SpButDirectClick()
{
    DirSelect->SetFolder(PathBytes(EditFolderStart->text()));
    if (DirSelect->exec() != QDialog::Accepted)
        return;
    PanelMessages->hide();
    ChosenFolder = WithSlash(DirSelect->DirectoryListBox->DirectoryBytes());
    EditFolderStart->setText(PathText(ChosenFolder));
    BtnGoClick();
}

void TSearchWin::EditFolderStartKeyPress() { BtnGoClick(); }

void TSearchWin::mnExitClick() { close(); }

void TSearchWin::mnAboutClick()
{
    TAboutBox box(this);
    box.exec();
}

void TSearchWin::BringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TSearchWin::closeEvent(QCloseEvent* event)
{
    // The walk holds this window's lists: let it unwind first, then close.
    if (Searching) {
        Searching = false;
        CloseAfterWalk = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TSearchWin::contextMenuEvent(QContextMenuEvent* event) { PopupMenu->popup(event->globalPos()); }

bool TSearchWin::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees keys and the wheel before its controls do.
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::Wheel)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this)
        return false;
    if (event->type() == QEvent::KeyPress) {
        // Only its first receiver: a key that nobody takes goes on to the parents too.
        QWidget* focus = QApplication::focusWidget();
        if (w != (focus && focus->window() == this ? focus : this))
            return false;
        return FormKeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    FormMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
    return true;
}

// ---- File commands

bool TSearchWin::ValidSelection() const { return SelIndex >= 0 && SelIndex < static_cast<int64_t>(Found.size()); }

void TSearchWin::mnEditClick()
{
    const bool on = ValidSelection() && search::PathExists(Found[SelIndex]);
    mnCopyFilename->setEnabled(on);
    mnEditFile->setEnabled(on);
    mnViewFile->setEnabled(on);
    mnCopyScrn->setEnabled(true);
}

void TSearchWin::PaintBoxDblClick()
{
    if (!ValidSelection() || !search::PathExists(Found[SelIndex]))
        return;
    assoc::OpenDocument(Found[SelIndex]);
}

void TSearchWin::mnViewFileClick()
{
    if (!ValidSelection() || !search::PathExists(Found[SelIndex]))
        return;
    std::string error;
    if (!assoc::ViewAsText(Found[SelIndex], error))
        ShowMessage(PathText(error), this);
}

void TSearchWin::mnCopyFilenameClick() { CopyPathToClipboard(StatusPath); }

void TSearchWin::mnCopyScrnClick() { QGuiApplication::clipboard()->setImage(BackBmp); }

bool TSearchWin::FormKeyDown(int key)
{
    if (key != Qt::Key_Delete || !ValidSelection())
        return false;
    const std::string path = Found[SelIndex];
    const QString shown = PathText(path);
    if (MessageDlg(QStringLiteral("Delete File: ") + shown, TMsgDlgType::mtConfirmation, mbYesNo, this) != mrYes)
        return true;
    // To the trash only: when that is not possible the file stays.
    std::string error;
    if (!sys::MoveToTrash(path, error)) {
        ShowMessage(QStringLiteral("Could NOT delete file:\r") + shown, this);
        return true;
    }
    ScrollBarChange();
    return true;
}
