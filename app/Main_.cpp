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
