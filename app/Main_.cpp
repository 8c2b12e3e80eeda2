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
#include <QFileDialog>
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
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

#include <sys/stat.h>

#include "app/AssociateDlg_.h"
#include "app/ColorDlg_.h"
#include "platform/file_dialogs.h"
#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/path_text.h"
#include "platform/single_instance.h"
#include "platform/profile.h"
#include "platform/sys/handover.h"
#include "platform/sys/spawn.h"
#include "schematic/Schem_.h"

static void InitOstrinResources()
{
    Q_INIT_RESOURCE(ostrin);
}

TMainWin* MainWin = nullptr;

QFont FrameFont()
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    return f;
}

QIcon ProgramIcon()
{
    InitOstrinResources();
    return QIcon(QStringLiteral(":/icons/ostrin.xpm"));
}

namespace {



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

} // namespace

// By the path's own bytes, so that a name that is not valid UTF-8 is found too.
static bool PathIs(const QString& path, bool fileOnly)
{
    const std::string bytes = PathBytes(path);
    struct stat st {};
    if (bytes.empty() || bytes.find('\0') != std::string::npos || ::stat(bytes.c_str(), &st) != 0)
        return false;
    return !fileOnly || S_ISREG(st.st_mode);
}

QString GetLongPath(const QString& path, QString* error)
{
    // No wildcards: the name is looked up exactly as it stands.
    if (path.isEmpty() || !PathIs(path, false)) {
        if (error)
            *error = QStringLiteral("Path %1 does not exist!").arg(path);
        return {};
    }
    return path;
}

QString LongFileName(const QString& name, QString* error)
{
    return GetLongPath(QDir::cleanPath(QDir::current().absoluteFilePath(name)), error);
}

QStringList& EarlyHandOvers()
{
    static QStringList q;
    return q;
}

QByteArray HandOverRequest(const QStringList& args)
{
    if (args.isEmpty() || args.first().isEmpty())
        return QByteArrayLiteral("R");
    // The path's own bytes, whatever they are: the running copy opens exactly this file.
    const std::string path = PathBytes(QDir::cleanPath(QDir::current().absoluteFilePath(args.first())));
    return "O" + QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

int HandOverToRunningCopy(TSingleInstance& instance, const QStringList& args, int queueTimeoutMs)
{
    if (instance.Send(HandOverRequest(args), queueTimeoutMs))
        return 0;
    if (!args.isEmpty() && !args.first().isEmpty())
        MessageDlg(QStringLiteral("The file could not be handed over to the running program:\r") +
                       QDir::cleanPath(QDir::current().absoluteFilePath(args.first())),
                   TMsgDlgType::mtError, mbOK);
    return 1;
}

void ReceiveHandOver(const QByteArray& request)
{
    const handover::TRequest r =
        handover::ParseRequest(std::string_view(request.constData(), static_cast<std::size_t>(request.size())));
    if (r.Kind == handover::TRequest::TKind::Invalid)
        return;
    const QString path = PathText(r.Path);
    if (!MainWin) {
        if (!path.isEmpty())
            EarlyHandOvers().append(path);
        return;
    }
    MainWin->RestoreAndRaise();
    if (path.isEmpty())
        return;
    if (!MainWin->StartupDone)
        MainWin->PendingOpens.append(path);
    else
        MainWin->WMOpenFile(path);
}

// ---------------------------------------------------------------------------

TMainWin::TMainWin(const QStringList& args, QWidget* parent) : QMainWindow(parent), Args(args)
{
    InitOstrinResources();
    setWindowIcon(ProgramIcon());
    MainWin = this;
    TChildWin::SetHost(this);
    PendingOpens = std::exchange(EarlyHandOvers(), {});
    setObjectName(QStringLiteral("TMainWin"));
    setWindowTitle(QStringLiteral("Circuit Drawing"));
    setFont(FrameFont());

    auto* central = new QWidget(this);
    auto* lay = new QVBoxLayout(central);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    MdiClient = new QMdiArea(central);
    MdiClient->setBackground(QColor(128, 128, 128));
    MdiClient->setViewMode(QMdiArea::SubWindowView);
    lay->addWidget(MdiClient, 1);
    TabChild = new TTabBar(central);
    TabChild->setObjectName(QStringLiteral("TabChild"));
    TabChild->setShape(QTabBar::RoundedSouth);
    TabChild->setExpanding(false);
    TabChild->setDrawBase(false);
    TabChild->setFixedHeight(18);
    QFont tf(QStringLiteral("MS Sans Serif"));
    tf.setPointSize(8);
    tf.setBold(true);
    TabChild->setFont(tf);
    lay->addWidget(TabChild);
    setCentralWidget(central);
    // A pick by mouse or keyboard; changes made under the Tag guard are ignored.
    connect(TabChild, &QTabBar::currentChanged, this, [this](int index) { TabChildChange(index); });
    connect(TabChild, &QTabBar::tabBarClicked, this, [this](int index) { TabChildChange(index); });
    connect(MdiClient, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { ChildActivated(); });

    OpenDialog = new TFileDialog(this);

    SchWinFactory = [] { return new TSchWin(); };
    BuildToolBars();
    BuildMenus();
    BuildCompCommands();
    BuildViewerCommands();
    FormCreate();
}

TMainWin::~TMainWin()
{
    ClosingDown = true;
    // Children go first, while the tab bar still exists.
    for (TChildWin* c : Children())
        delete c;
    if (MainWin == this)
        MainWin = nullptr;
    if (TChildWin::Host() == this)
        TChildWin::SetHost(nullptr);
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

// ---- Creation, settings

void TMainWin::FormCreate()
{
    FirstActivate = true;
    QRect screen(0, 0, 1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen())
        screen = s->geometry();
    SetOuterGeometry(QRect(5, 5, std::max(640, screen.width() - 10), std::max(480, screen.height() - 40)));
    mnDrawDots->setChecked(true);
    ReadSettings();
    mnShowTabs->setChecked(!TabChild->isHidden());
    if (mnAutoSave->isChecked()) {
        if (!QFileInfo(AutoSaveFolder).isDir())
            AutoSaveFolder = GetTempFolder();
        mnAutoSave->setText(QStringLiteral("Do A&utoSave of Undo files..."));
    } else {
        mnAutoSave->setText(QStringLiteral("NOT A&utoSaving Undo files..."));
    }
    static const std::array<std::pair<int, const char*>, 3> cursors = {
        {{crMove, ":/cursors/MOVE.xpm"}, {crHandO, ":/cursors/HANDO.xpm"}, {crHandC, ":/cursors/HANDC.xpm"}}};
    for (const auto& [n, file] : cursors) {
        QPixmap pm(QString::fromLatin1(file));
        if (!pm.isNull())
            LoadScreenCursor(n, QCursor(pm, pm.width() / 2, pm.height() / 2));
    }
    SchemFolder = GetDocsFolder();
    OpenDialog->setDirectory(DialogStartFolder(SchemFolder));
}

void TMainWin::FormClose()
{
    WriteSettings();
}

bool TMainWin::FormCloseQuery()
{
    for (TChildWin* c : Children()) {
        QPointer<TChildWin> guard(c);
        if (guard && !guard->FormCloseQuery())
            return false;
    }
    return true;
}

void TMainWin::closeEvent(QCloseEvent* event)
{
    if (ClosingDown) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    ClosingDown = true;
    for (TChildWin* c : Children())
        delete c;
    event->accept();
}

// ---- Start and activation

void TMainWin::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FitOuterGeometry();
    WatchFraming();
    // The start-up open must not hang on a window manager that never activates us.
    if (FirstActivate)
        QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TMainWin::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FitOuterGeometry();   // the window manager may have framed the window by now
        FormActivate();
    }
}

void TMainWin::FormActivate()
{
    if (!FirstActivate)
        return;
    FirstActivate = false;
    QCoreApplication::processEvents();
    QThread::msleep(150);
    if (SplashWin)
        SplashWin->deleteLater();
    SplashWin = nullptr;
    QMetaObject::invokeMethod(this, [this] { WMStartup(); }, Qt::QueuedConnection);
}

void TMainWin::WMStartup()
{
    if (StartupDone)
        return;
    StartupDone = true;
    bool opened = false;
    if (!Args.isEmpty()) {
        const QString arg = Args.first();
        if (PathIs(arg, true)) {
            const QString name = LongFileName(arg);
            if (!name.isEmpty())
                OpenFile(name);
        }
        opened = true;
    }
    // Files handed over while we were still starting take the place of the empty window.
    const QStringList pending = std::exchange(PendingOpens, {});
    for (const QString& p : pending) {
        WMOpenFile(p);
        opened = true;
    }
    if (!opened)
        mnNewClick();
}

void TMainWin::WMOpenFile(const QString& name)
{
    if (name.isEmpty())
        return;
    QString error;
    const QString full = LongFileName(name, &error);
    if (full.isEmpty()) {
        MessageBoxTitled(AppTitle, error, TMsgIcon::Error, mbOK, this);
        return;
    }
    if (PathIs(full, true))
        OpenFile(full);
}

void TMainWin::RestoreAndRaise()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
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

// ---- File commands

void TMainWin::mnNewClick()
{
    TChildWin* w = CreateSchWin();
    if (!w)
        return;
    QPointer<TChildWin> guard(w);
    ShowChild(w, mnMaxWin->isChecked());
    if (!guard)
        return;
    w->setWindowTitle(QStringLiteral("Schematic: NewFile.sch"));
    w->FileName.clear();
}

void TMainWin::mnOpenClick()
{
    const QString file = OpenDialog->Run({false, DialogStartFolder(SchemFolder), {}, QStringLiteral("sch"),
                                          {{QStringLiteral("Schematic File (*.sch)"), QStringLiteral("*.sch")},
                                           {QStringLiteral("All files (*.*)"), QStringLiteral("*")}}});
    if (!file.isEmpty())
        OpenFile(file);
}

void TMainWin::OpenTButClick()
{
    if (mnAltOpen->isChecked())
        mnBrowseClick();
    else
        mnOpenClick();
}

// Names differing only in letter case are different files here: a file is already open
// when the cleaned absolute paths match exactly.
static QString OpenKey(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void TMainWin::OpenFile(const QString& name)
{
    // 1-2: already open.
    bool found = false;
    const QString key = OpenKey(name);
    for (TChildWin* c : Children()) {
        if (c->Kind() != TChildWin::TKind::Sch || key.isEmpty() || OpenKey(c->FileName) != key)
            continue;
        if (c->isMinimized())
            c->showNormal();
        c->show();
        MdiClient->setActiveSubWindow(c);
        c->raise();
        found = true;
    }
    if (found) {
        MessageDlg(QStringLiteral("File is already open!\r") + name, TMsgDlgType::mtInformation, mbOK, this);
        return;
    }
    // 3: a lone untouched new window gives way.
    const QList<TChildWin*> kids = Children();
    if (kids.size() == 1 && kids.front()->Kind() == TChildWin::TKind::Sch && kids.front()->FileName.isEmpty() &&
        kids.front()->ModifiedPanel() != QLatin1String(" Modified")) {
        kids.front()->close();
    }
    // 4: the new window.
    TChildWin* w = CreateSchWin();
    if (!w)
        return;
    QPointer<TChildWin> guard(w);
    ShowChild(w, mnMaxWin->isChecked());
    if (!guard)
        return;
    w->FileName = name;
    w->setWindowTitle(QStringLiteral("Schematic: ") + name);
    // 5: the folder follows the file, whatever the load's outcome.
    SchemFolder = WithSlash(QFileInfo(name).absolutePath());
    // 6-7
    QThread::msleep(100);
    w->OpenSchem(name);
    // 8: a window whose load failed has closed itself.
    if (guard && guard->isVisible())
        RenameChildTab(guard, QStringLiteral(" ") + QFileInfo(name).fileName() + QStringLiteral(" "));
}

void TMainWin::mnFullSearchClick()
{
    const QString path = SearchProgram;
    if (QFileInfo(path).isFile()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        // One argument, whatever blanks or bytes the folder holds.
        std::string error;
        sys::StartDetached({PathBytes(path), PathBytes(SchemFolder)}, {}, error);
        QGuiApplication::restoreOverrideCursor();
    } else {
        MessageDlg(QStringLiteral("Ostrin Search Program \"Pelfind.exe\" not found!"), TMsgDlgType::mtError, mbOK,
                   this);
    }
}

QString TMainWin::PelfindPath()
{
    return WithSlash(QCoreApplication::applicationDirPath()) + QStringLiteral("Pelfind");
}

void TMainWin::mnSaveClick() { ToActive(&TChildWin::SaveDoc); }

void TMainWin::mnSaveAsClick() { ToActive(&TChildWin::SaveDocAs); }

void TMainWin::mnSavePicClick()
{
    TChildWin* c = ActiveChild();
    if (c && c->Kind() == TChildWin::TKind::Sch)
        c->CopyBMP(2);
}

void TMainWin::mnCloseClick() { ToActive(&TChildWin::close); }

void TMainWin::mnCloseAllClick()
{
    const QList<TChildWin*> kids = Children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
        QPointer<TChildWin> c(*it);
        if (c)
            c->close();
    }
}

void TMainWin::mnExitClick()
{
    close();
}

// ---- Options

void TMainWin::mnMaxWinClick()
{
    mnMaxWin->setChecked(!mnMaxWin->isChecked());
}

void TMainWin::mnDrawDotsClick()
{
    mnDrawDots->setChecked(!mnDrawDots->isChecked());
    TChildWin* c = ActiveChild();
    if (c && c->Kind() == TChildWin::TKind::Sch)
        c->AltBackDots();
}

void TMainWin::mnShowTabsClick()
{
    mnShowTabs->setChecked(!mnShowTabs->isChecked());
    TabChild->setVisible(mnShowTabs->isChecked());
}

void TMainWin::mnShowHelpClick()
{
    mnShowHelp->setChecked(!mnShowHelp->isChecked());
    if (HelpWin)
        HelpWin->setVisible(mnShowHelp->isChecked());
}

void TMainWin::mnShowHintStartClick()
{
    mnShowHintStart->setChecked(!mnShowHintStart->isChecked());
}

void TMainWin::mnAltOpenClick()
{
    mnAltOpen->setChecked(!mnAltOpen->isChecked());
}

void TMainWin::mnSetColorsClick()
{
    {
        TColorDlg dlg(this);
        dlg.SetColors(LineColor, FillColor, TextColor, SelColor);
        if (dlg.exec() == QDialog::Accepted)
            dlg.GetColors(LineColor, FillColor, TextColor, SelColor);
    }
    TChildWin* c = ActiveChild();
    if (c && c->Kind() == TChildWin::TKind::Sch)
        c->ChangeColors();
}

void TMainWin::mnReAssociateClick()
{
    TAssociateDlg dlg(this);
    dlg.exec();
}

void TMainWin::mnAboutClick()
{
    QDialog box(this);
    box.setWindowTitle(QStringLiteral("About"));
    auto* lay = new QHBoxLayout(&box);
    auto* icon = new QLabel(&box);
    icon->setPixmap(ToolIcon(QStringLiteral("comp")).pixmap(40, 40));
    lay->addWidget(icon);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Ostrin\nCircuit Drawing"), &box));
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    connect(ok, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    right->addWidget(ok);
    lay->addLayout(right);
    box.exec();
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
