// The frame's menu bar and tool bar: the tool pictures, the items and buttons with their
// handlers, and the enabling of the menus as they open.
#include "app/Main_.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QIcon>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>


#include "app/AssociateDlg_.h"
#include "app/ColorDlg_.h"
#include "platform/file_dialogs.h"
#include "platform/folders.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"

// Tool-button pictures, drawn here so the program ships no image files for them.
QIcon ToolIcon(const QString& what)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(0, 0, 128), 1.6);
    p.setPen(pen);
    auto arrowHead = [&](QPointF tip, QPointF from) {
        const QPointF d = tip - from;
        const double len = std::hypot(d.x(), d.y());
        if (len <= 0)
            return;
        const QPointF u = d / len, n(-u.y(), u.x());
        QPolygonF tri({tip, tip - u * 6 + n * 3, tip - u * 6 - n * 3});
        p.setBrush(p.pen().color());
        p.drawPolygon(tri);
        p.setBrush(Qt::NoBrush);
    };
    if (what == "new") {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({{4, 2}, {12, 2}, {16, 6}, {16, 18}, {4, 18}}));
    } else if (what == "open") {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(2, 6, 16, 11));
        p.drawRect(QRectF(2, 4, 7, 3));
    } else if (what == "save") {
        p.setPen(Qt::black);
        p.setBrush(QColor(60, 60, 160));
        p.drawRect(QRectF(3, 3, 14, 14));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 8, 5));
    } else if (what == "copy") {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 9, 11));
        p.drawRect(QRectF(8, 7, 9, 11));
    } else if (what == "paste") {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(220, 180, 90));
        p.drawRect(QRectF(3, 4, 12, 14));
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 8, 8, 10));
    } else if (what == "delete") {
        p.setPen(QPen(Qt::red, 2.5));
        p.drawLine(QPointF(4, 4), QPointF(16, 16));
        p.drawLine(QPointF(16, 4), QPointF(4, 16));
    } else if (what == "dupli") {
        p.drawRect(QRectF(3, 3, 9, 7));
        p.drawRect(QRectF(8, 10, 9, 7));
    } else if (what == "undo") {
        p.drawArc(QRectF(4, 5, 12, 11), 0, 180 * 16);
        arrowHead(QPointF(4, 13), QPointF(4, 9));
    } else if (what == "zoomin" || what == "zoomout") {
        p.setPen(QPen(Qt::black, 1.6));
        p.drawEllipse(QRectF(2, 2, 11, 11));
        p.drawLine(QPointF(12, 12), QPointF(18, 18));
        p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
        if (what == "zoomin")
            p.drawLine(QPointF(7.5, 5), QPointF(7.5, 10));
    } else if (what == "mirror") {
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        arrowHead(QPointF(10, 3), QPointF(10, 8));
        arrowHead(QPointF(10, 17), QPointF(10, 12));
    } else if (what == "flip") {
        p.drawLine(QPointF(10, 2), QPointF(10, 18));
        arrowHead(QPointF(3, 10), QPointF(8, 10));
        arrowHead(QPointF(17, 10), QPointF(12, 10));
    } else if (what == "rotc" || what == "rota") {
        p.drawArc(QRectF(4, 4, 12, 12), 90 * 16, what == "rotc" ? -270 * 16 : 270 * 16);
        if (what == "rotc")
            arrowHead(QPointF(10, 4), QPointF(6, 4));
        else
            arrowHead(QPointF(10, 4), QPointF(14, 4));
    } else if (what == "zorder") {
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(2, 2, 10, 10));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 8, 10, 10));
    } else if (what == "fill") {
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(QRectF(3, 3, 7, 14));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(10, 3, 7, 14));
    } else if (what == "width") {
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(QColor(0, 0, 128), 1 + i * 1.5));
            p.drawLine(QPointF(3, 4 + i * 6), QPointF(17, 4 + i * 6));
        }
    } else if (what == "ltype") {
        QPen dp = pen;
        dp.setStyle(Qt::DashLine);
        p.setPen(dp);
        p.drawLine(QPointF(2, 6), QPointF(18, 6));
        dp.setStyle(Qt::DotLine);
        p.setPen(dp);
        p.drawLine(QPointF(2, 14), QPointF(18, 14));
    } else if (what == "arrows") {
        p.drawLine(QPointF(3, 10), QPointF(17, 10));
        arrowHead(QPointF(2, 10), QPointF(8, 10));
        arrowHead(QPointF(18, 10), QPointF(12, 10));
    } else if (what == "hand") {
        p.setPen(Qt::black);
        p.setBrush(QColor(250, 220, 180));
        p.drawRoundedRect(QRectF(5, 8, 11, 10), 3, 3);
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(5 + i * 2.8, 2 + (i == 0 || i == 3 ? 2 : 0), 2.6, 8), 1, 1);
    } else if (what == "select") {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({{5, 2}, {5, 16}, {8.5, 12.5}, {11, 18}, {13, 17}, {10.5, 11.5}, {15, 11.5}}));
    } else if (what == "line") {
        p.drawLine(QPointF(3, 17), QPointF(17, 3));
    } else if (what == "lines") {
        p.drawPolyline(QPolygonF({{2, 16}, {7, 5}, {12, 14}, {18, 3}}));
    } else if (what == "rect") {
        p.drawRect(QRectF(3, 5, 14, 10));
    } else if (what == "ellipse") {
        p.drawEllipse(QRectF(2, 5, 16, 10));
    } else if (what == "circle") {
        p.drawEllipse(QRectF(3, 3, 14, 14));
    } else if (what == "arc") {
        p.drawArc(QRectF(-10, 3, 28, 28), 0, 90 * 16);
    } else if (what == "sine") {
        QPolygonF wave;
        for (int x = 2; x <= 18; ++x)
            wave << QPointF(x, 10 - 6 * std::sin((x - 2) * 3.14159265 / 8));
        p.drawPolyline(wave);
    } else if (what == "dimen") {
        p.drawLine(QPointF(4, 10), QPointF(16, 10));
        arrowHead(QPointF(2, 10), QPointF(8, 10));
        arrowHead(QPointF(18, 10), QPointF(12, 10));
    } else if (what == "arrowhead") {
        arrowHead(QPointF(17, 10), QPointF(3, 10));
    } else if (what == "dot") {
        p.setBrush(QColor(0, 0, 128));
        p.drawEllipse(QRectF(6, 6, 8, 8));
    } else if (what == "text") {
        QFont f("Times New Roman");
        f.setPixelSize(16);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, "A");
    } else if (what == "comp") {
        p.drawRect(QRectF(6, 4, 8, 12));
        p.drawLine(QPointF(2, 7), QPointF(6, 7));
        p.drawLine(QPointF(2, 13), QPointF(6, 13));
        p.drawLine(QPointF(14, 10), QPointF(18, 10));
    } else if (what == "getcomp") {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(2, 8, 16, 10));
        p.setPen(QColor(0, 0, 128));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(7, 2, 6, 9));
    }
    p.end();
    return QIcon(pm);
}

void TMainWin::BuildToolBars()
{
    ToolBar1 = addToolBar(QStringLiteral("Commands"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(20, 20));
    addToolBarBreak();
    ToolBar2 = addToolBar(QStringLiteral("Tools"));
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setIconSize(QSize(20, 20));

    auto make = [this](QToolBar* bar, const char* name, const char* hint, int tag, const char* icon) {
        auto* b = new TToolBut(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setStatusTip(QString::fromLatin1(hint));
        b->setIcon(ToolIcon(QString::fromLatin1(icon)));
        b->setAutoRaise(true);
        b->Tag = tag;
        bar->addWidget(b);
        return b;
    };
    NewTBut = make(ToolBar1, "NewTBut", "Make New Schematic", 0, "new");
    OpenTBut = make(ToolBar1, "OpenTBut", "Open Schematic", 0, "open");
    SaveTBut = make(ToolBar1, "SaveTBut", "Save Schematic", 0, "save");
    ToolBar1->addSeparator();
    CopyTBut = make(ToolBar1, "CopyTBut", "Copy Shape To Clipboard", 0, "copy");
    PasteTBut = make(ToolBar1, "PasteTBut", "Paste Shape From Clipboard", 0, "paste");
    DeleteTBut = make(ToolBar1, "DeleteTBut", "Delete Selected Items", 0, "delete");
    DupliTBut = make(ToolBar1, "DupliTBut", "Duplicate Selected Shapes", 0, "dupli");
    UndoTBut = make(ToolBar1, "UndoTBut", "Undo last Change", 0, "undo");
    ToolBar1->addSeparator();
    ScaleUPTBut = make(ToolBar1, "ScaleUPTBut", "Zoom In", 1, "zoomin");
    ScaleDWNTBut = make(ToolBar1, "ScaleDWNTBut", "Zoom Out", 2, "zoomout");
    ToolBar1->addSeparator();
    MirrorTBut = make(ToolBar1, "MirrorTBut", "Mirror Vertical", 1, "mirror");
    FlipTBut = make(ToolBar1, "FlipTBut", "Flip Horizontal", 2, "flip");
    RotcTBut = make(ToolBar1, "RotcTBut", "Rotate +90 Deg", 3, "rotc");
    RotaTBut = make(ToolBar1, "RotaTBut", "Rotate -90 Deg", 4, "rota");
    ToolBar1->addSeparator();
    TButZorder = make(ToolBar1, "TButZorder", "Move Shape to Back (Z-order)", 0, "zorder");
    ClearFillTBut = make(ToolBar1, "ClearFillTBut", "Toggle Shapes Fill State", 0, "fill");
    SizeLineTBut = make(ToolBar1, "SizeLineTBut", "Set Line Width", 0, "width");
    TypeLineTBut = make(ToolBar1, "TypeLineTBut", "Set Line Type", 0, "ltype");
    ArrowBut = make(ToolBar1, "ArrowBut", "Alter Arrow Heads", 0, "arrows");
    UndoTBut->setEnabled(false);

    connect(NewTBut, &QToolButton::clicked, this, [this] { mnNewClick(); });
    connect(OpenTBut, &QToolButton::clicked, this, [this] { OpenTButClick(); });
    connect(SaveTBut, &QToolButton::clicked, this, [this] { mnSaveClick(); });
    connect(CopyTBut, &QToolButton::clicked, this, [this] { CopyTButClick(); });
    connect(PasteTBut, &QToolButton::clicked, this, [this] { PasteTButClick(); });
    connect(DeleteTBut, &QToolButton::clicked, this, [this] { DeleteTButClick(); });
    connect(DupliTBut, &QToolButton::clicked, this, [this] { DupliTButClick(); });
    connect(UndoTBut, &QToolButton::clicked, this, [this] { UndoTButClick(); });
    for (TToolBut* b : {ScaleUPTBut, ScaleDWNTBut})
        connect(b, &QToolButton::clicked, this, [this, b] { ScaleTButClick(b); });
    for (TToolBut* b : {MirrorTBut, FlipTBut, RotcTBut, RotaTBut})
        connect(b, &QToolButton::clicked, this, [this, b] { RotateButClick(b); });
    connect(TButZorder, &QToolButton::clicked, this, [this] { TButZorderClick(); });
    connect(ClearFillTBut, &QToolButton::clicked, this, [this] { ClearFillTButClick(); });
    connect(SizeLineTBut, &QToolButton::clicked, this, [this] { SizeLineTButClick(); });
    connect(TypeLineTBut, &QToolButton::clicked, this, [this] { TypeLineTButClick(); });
    connect(ArrowBut, &QToolButton::clicked, this, [this] { ArrowButClick(); });

    HandBut = make(ToolBar2, "HandBut", "Pan Circuit", 20, "hand");
    SelectTBut = make(ToolBar2, "SelectTBut", "Select Pointer", 0, "select");
    LineTBut = make(ToolBar2, "LineTBut", "Draw Line", 1, "line");
    DrawTBut = make(ToolBar2, "DrawTBut", "Draw many Lines", 10, "lines");
    SquareTBut = make(ToolBar2, "SquareTBut", "Draw Rectangle", 2, "rect");
    EllipseTBut = make(ToolBar2, "EllipseTBut", "Draw Ellipse", 3, "ellipse");
    CircTBut = make(ToolBar2, "CircTBut", "Draw Circle", 4, "circle");
    ArcTBut = make(ToolBar2, "ArcTBut", "Draw Arc", 5, "arc");
    SineTBut = make(ToolBar2, "SineTBut", "Draw Sinewave", 12, "sine");
    DimenTBut = make(ToolBar2, "DimenTBut", "Draw Line with Arrow", 11, "dimen");
    ArrowTBut = make(ToolBar2, "ArrowTBut", "Draw Arrow Head (Triangle)", 6, "arrowhead");
    DotTBut = make(ToolBar2, "DotTBut", "Draw Connection Dot", 9, "dot");
    TextTBut = make(ToolBar2, "TextTBut", "Draw Text", 7, "text");
    CompTBut = make(ToolBar2, "CompTBut", "Draw Component", 8, "comp");
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (TToolBut* b : {HandBut, SelectTBut, LineTBut, DrawTBut, SquareTBut, EllipseTBut, CircTBut, ArcTBut,
                        SineTBut, DimenTBut, ArrowTBut, DotTBut, TextTBut, CompTBut}) {
        b->setCheckable(true);
        group->addButton(b);
    }
    SelectTBut->setChecked(true);
    connect(HandBut, &QToolButton::clicked, this, [this] { HandButClick(); });
    connect(SelectTBut, &QToolButton::clicked, this, [this] { SelectTButClick(); });
    for (TToolBut* b : {LineTBut, DrawTBut, SquareTBut, EllipseTBut, CircTBut, ArcTBut, SineTBut, DimenTBut,
                        ArrowTBut, DotTBut, TextTBut, CompTBut})
        connect(b, &QToolButton::clicked, this, [this, b] { ShapeButClick(b); });

    ToolBar2->addSeparator();
    DeviceCBox = new QComboBox(ToolBar2);
    DeviceCBox->setObjectName(QStringLiteral("DeviceCBox"));
    DeviceCBox->setEditable(false);
    DeviceCBox->setMaxVisibleItems(10);
    DeviceCBox->setFixedWidth(135);
    DeviceCBox->setToolTip(QStringLiteral("Lists Past Components"));
    ToolBar2->addWidget(DeviceCBox);
    SelCompTBut = make(ToolBar2, "SelCompTBut", "Get a Component from file", 0, "getcomp");
}

void TMainWin::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* m, const char* caption, auto handler) {
        QAction* a = m->addAction(QString::fromLatin1(caption));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    mnFile = bar->addMenu(QStringLiteral("&File"));
    connect(mnFile, &QMenu::aboutToShow, this, [this] { mnFileClick(); });
    mnNew = item(mnFile, "&New Schematic", [this] { mnNewClick(); });
    mnOpen = item(mnFile, "&Open Schematic ...", [this] { mnOpenClick(); });
    mnBrowse = item(mnFile, "&Browse for Schematics ...", [this] { mnBrowseClick(); });
    mnFile->addSeparator();
    mnFullSearch = item(mnFile, "&Recursive Schematic Search ...", [this] { mnFullSearchClick(); });
    mnFile->addSeparator();
    mnSave = item(mnFile, "&Save Schematic", [this] { mnSaveClick(); });
    mnSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnSave->setShortcutContext(Qt::ApplicationShortcut);
    mnSaveAs = item(mnFile, "Save Schematic &As ...", [this] { mnSaveAsClick(); });
    mnFile->addSeparator();
    mnSavePic = item(mnFile, "Save Circuit &Image as ...", [this] { mnSavePicClick(); });
    mnFile->addSeparator();
    mnPrintSetup = item(mnFile, "Printer S&etup ...", [this] { mnPrintSetupClick(); });
    mnPrint = item(mnFile, "&Print ...", [this] { mnPrintClick(); });
    mnFile->addSeparator();
    mnClose = item(mnFile, "&Close", [this] { mnCloseClick(); });
    mnCloseAll = item(mnFile, "C&lose All", [this] { mnCloseAllClick(); });
    mnFile->addSeparator();
    mnExit = item(mnFile, "E&xit!", [this] { mnExitClick(); });

    mnLibrary = bar->addMenu(QStringLiteral("&Library"));
    connect(mnLibrary, &QMenu::aboutToShow, this, [this] { mnLibraryClick(); });
    mnGetComponent = mnLibrary->addAction(QStringLiteral("&Get Component ..."));
    mnLibrary->addSeparator();
    mnCreateComp = mnLibrary->addAction(QStringLiteral("&New Component"));
    mnEditComp = mnLibrary->addAction(QStringLiteral("&Edit Component ..."));
    mnSaveComp = item(mnLibrary, "&Save Component", [this] { mnSaveClick(); });
    mnSaveCompAs = item(mnLibrary, "Save Component &As ...", [this] { mnSaveAsClick(); });

    mnWindow = bar->addMenu(QStringLiteral("&Window"));
    connect(mnWindow, &QMenu::aboutToShow, this, [this] { FillWindowList(); });
    mnNextWin = item(mnWindow, "&Next Window", [this] { mnNextPrevWinClick(1); });
    mnNextWin->setShortcut(QKeySequence(Qt::Key_F6));
    mnNextWin->setShortcutContext(Qt::ApplicationShortcut);
    mnPrevWin = item(mnWindow, "&Previous Window", [this] { mnNextPrevWinClick(2); });
    mnWindow->addSeparator();
    mnTileHor = item(mnWindow, "Tile &Horizontal", [this] { mnWindMenuClick(1); });
    mnTileVer = item(mnWindow, "Tile &Vertical", [this] { mnWindMenuClick(2); });
    mnCascade = item(mnWindow, "&Cascade", [this] { mnWindMenuClick(3); });
    mnArrangeIcons = item(mnWindow, "&Arrange Icons", [this] { mnWindMenuClick(4); });
    mnMinimiseIcons = item(mnWindow, "&Minimise Icons", [this] { mnWindMenuClick(5); });

    mnOptions = bar->addMenu(QStringLiteral("&Options"));
    auto check = [&](const char* caption, auto) {
        QAction* a = mnOptions->addAction(QString::fromLatin1(caption));
        a->setCheckable(true);
        return a;
    };
    // Check marks flip in the handlers, not by themselves.
    mnDrawDots = check("Draw &Grid Background", [this] { mnDrawDotsClick(); });
    mnShowTabs = check("Show Bottom &Tabs", [this] { mnShowTabsClick(); });
    mnMaxWin = check("&Maximise Window on Open", [this] { mnMaxWinClick(); });
    mnAltOpen = check("Set Open Button to &Browse", [this] { mnAltOpenClick(); });
    mnShowHintStart = check("Show &Hint Window at Startup", [this] { mnShowHintStartClick(); });
    mnOptions->addSeparator();
    mnSetColors = item(mnOptions, "Set &Colours for Objects ...", [this] { mnSetColorsClick(); });
    mnOptions->addSeparator();
    mnAssociate = item(mnOptions, "Check and Set File &Association ...", [this] { mnReAssociateClick(); });
    mnOptions->addSeparator();
    mnAutoSave = mnOptions->addAction(QStringLiteral("Do A&utoSave of Undo files..."));
    mnAutoSave->setCheckable(true);
    // The mark belongs to the autosave settings dialog; a click alone does not flip it.
    connect(mnAutoSave, &QAction::triggered, this, [this](bool checked) { mnAutoSave->setChecked(!checked); });
    mnViewBackup = mnOptions->addAction(QStringLiteral("&View ALL autosaved Backup Files ..."));

    mnHelp = bar->addMenu(QStringLiteral("&Help"));
    mnShowHelp = mnHelp->addAction(QStringLiteral("&Show Hint ..."));
    mnShowHelp->setCheckable(true);
    mnHelp->addSeparator();
    mnAbout = item(mnHelp, "&About ...", [this] { mnAboutClick(); });

    // A checkable QAction flips itself before its handler runs; undo that so each
    // handler does the one flip.
    auto toggle = [this](QAction* a, void (TMainWin::*h)()) {
        connect(a, &QAction::triggered, this, [this, a, h](bool checked) {
            a->setChecked(!checked);  // back to the old mark; the handler flips it
            (this->*h)();
        });
    };
    toggle(mnDrawDots, &TMainWin::mnDrawDotsClick);
    toggle(mnShowTabs, &TMainWin::mnShowTabsClick);
    toggle(mnMaxWin, &TMainWin::mnMaxWinClick);
    toggle(mnAltOpen, &TMainWin::mnAltOpenClick);
    toggle(mnShowHintStart, &TMainWin::mnShowHintStartClick);
    toggle(mnShowHelp, &TMainWin::mnShowHelpClick);
}

// ---- Menu enabling

void TMainWin::mnFileClick()
{
    TChildWin* c = ActiveChild();
    const bool sch = c && c->Kind() == TChildWin::TKind::Sch;
    const bool comp = c && c->Kind() == TChildWin::TKind::Comp;
    mnSave->setEnabled(sch || comp);
    mnSaveAs->setEnabled(sch || comp);
    mnPrint->setEnabled(sch);
    mnSavePic->setEnabled(sch);
}

void TMainWin::mnLibraryClick()
{
    TChildWin* c = ActiveChild();
    const bool comp = c && c->Kind() == TChildWin::TKind::Comp;
    mnSaveComp->setEnabled(comp);
    mnSaveCompAs->setEnabled(comp);
}

// ---- Tool buttons

void TMainWin::SelectTButClick()
{
    if (TChildWin* c = ActiveChild()) {
        c->SetDrawCursor(QCursor(Qt::ArrowCursor));
        c->DrawMode = SelectTBut->Tag;
    }
    SelectTBut->setChecked(true);
}

void TMainWin::HandButClick()
{
    if (TChildWin* c = ActiveChild()) {
        c->SetDrawCursor(ScreenCursor(crHandO));
        c->DrawMode = HandBut->Tag;
    }
    HandBut->setChecked(true);
}

void TMainWin::ShapeButClick(TToolBut* button)
{
    if (!button)
        return;
    if (TChildWin* c = ActiveChild()) {
        QCursor cur(Qt::CrossCursor);
        if (button->Tag == 7)
            cur = QCursor(Qt::IBeamCursor);
        else if (button->Tag == 8 && c->Kind() == TChildWin::TKind::Sch)
            cur = QCursor(Qt::DragMoveCursor);
        c->SetDrawCursor(cur);
        c->DrawMode = button->Tag;
    }
    button->setChecked(true);
}

void TMainWin::UndoTButClick() { ToActive(&TChildWin::mnUndoClick); }

void TMainWin::CopyTButClick() { ToActive(&TChildWin::mnCopyTextClick); }

void TMainWin::PasteTButClick() { ToActive(&TChildWin::mnPasteTextClick); }

void TMainWin::DeleteTButClick() { ToActive(&TChildWin::mnDeleteClick); }

void TMainWin::DupliTButClick() { ToActive(&TChildWin::mnDupShapeClick); }

void TMainWin::RotateButClick(TToolBut* button)
{
    if (TChildWin* c = ActiveChild(); c && button)
        c->DoRotate(button->Tag);
}

void TMainWin::ClearFillTButClick() { ToActive(&TChildWin::mnToggleFillClick); }

void TMainWin::SizeLineTButClick() { ToActive(&TChildWin::mnAlterPenSzeClick); }

void TMainWin::TypeLineTButClick() { ToActive(&TChildWin::mnAlterPenTypeClick); }

void TMainWin::ArrowButClick() { ToActive(&TChildWin::mnAlterArrowClick); }

void TMainWin::TButZorderClick()
{
    TChildWin* c = ActiveChild();
    if (c && c->Kind() == TChildWin::TKind::Sch)
        c->mnZOrderClick();
}

void TMainWin::ScaleTButClick(TToolBut* button)
{
    TChildWin* c = ActiveChild();
    if (!c || !button || c->Kind() != TChildWin::TKind::Sch)
        return;
    if (button->Tag == 1)
        c->AltScale(1);
    else if (button->Tag == 2)
        c->AltScale(0);
}
