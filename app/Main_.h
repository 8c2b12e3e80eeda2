#pragma once
// The frame window of the drawing program: menus, the two tool-bar rows, the MDI area
// with its child windows, the bottom tab bar, and the settings read at start and
// written at shutdown. Children read the public fields and check marks directly.
#include <QCursor>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTabBar>
#include <QToolButton>

#include <cstdint>
#include <functional>
#include <memory>

#include "windows/ChildWin.h"
#include "platform/folders.h"

class QAction;
class QIcon;
class QComboBox;
class QImage;
class QMdiArea;
class QMenu;
class QPrinter;
class QToolBar;
class TSingleInstance;

// Tab bar with a guard flag: Tag is -1 while a tab's text is being replaced.
class TTabBar : public QTabBar {
    Q_OBJECT
public:
    using QTabBar::QTabBar;
    int Tag = 0;
};

// Tool button carrying an integer Tag (tool code, zoom or rotation selector).
class TToolBut : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;
    int Tag = 0;
};



// Absolute, cleaned path of Name against the current folder, the path checked to exist
// exactly as given (no wildcards). Empty, with error set to "Path %s does not exist!"
// (the path in place of %s), when it does not.
QString LongFileName(const QString& name, QString* error = nullptr);
// The worker for a full path: the path itself when it exists as given, else empty with
// the error set. Names are stored as typed here, so there is no long form to look up.
QString GetLongPath(const QString& path, QString* error = nullptr);

// Hand-over between copies. A later copy sends "O" + the UTF-8 path, made absolute
// against its own working folder, or "R" (no argument) to only raise the running copy.
QByteArray HandOverRequest(const QStringList& args);
// The whole of a later copy's work: hands args over to the running copy and waits until
// it has handled them. When that cannot be done in time, a file's path is named to the user
// in an error box. The result is the later copy's exit status: 0 once handed over, else 1.
int HandOverToRunningCopy(TSingleInstance& instance, const QStringList& args, int queueTimeoutMs = 20000);
// In the running copy: raises the frame and opens the file. Files that come before the
// frame exists, or before its start-up open has run, wait and are opened by it.
void ReceiveHandOver(const QByteArray& request);
// Files handed over before the frame existed; the frame takes them when it is created.
QStringList& EarlyHandOvers();

// The font of the frame and of every label and button of the program's windows.
QFont FrameFont();

// The program's own icon, for every window and dialog (set on the application before the
// first window exists).
QIcon ProgramIcon();

class TMainWin : public QMainWindow, public TChildHost {
    Q_OBJECT
public:
    // Runs FormCreate (reads the settings file). args: the command-line arguments after
    // the program name.
    explicit TMainWin(const QStringList& args = {}, QWidget* parent = nullptr);
    ~TMainWin() override;

    // ---- Settings read by the children and dialogs
    QString SchemFolder;     // ends in "/"; documents folder at start, then the last opened file's
    QString AutoSaveFolder;  // folder of the autosave files
    int32_t DefaultArrow = 0;  // 0 ask, 1..6 that arrow type
    uint32_t LineColor = 0x800000;  // $BBGGRR
    uint32_t FillColor = 0x800000;
    uint32_t TextColor = 0x000000;
    uint32_t SelColor = 0x0000FF;
    bool FirstActivate = true;

    // ---- Frame parts
    QMdiArea* MdiClient = nullptr;
    TTabBar* TabChild = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;

    // First tool-bar row (commands).
    TToolBut* NewTBut = nullptr;
    TToolBut* OpenTBut = nullptr;
    TToolBut* SaveTBut = nullptr;
    TToolBut* CopyTBut = nullptr;
    TToolBut* PasteTBut = nullptr;
    TToolBut* DeleteTBut = nullptr;
    TToolBut* DupliTBut = nullptr;
    TToolBut* UndoTBut = nullptr;
    TToolBut* ScaleUPTBut = nullptr;
    TToolBut* ScaleDWNTBut = nullptr;
    TToolBut* MirrorTBut = nullptr;
    TToolBut* FlipTBut = nullptr;
    TToolBut* RotcTBut = nullptr;
    TToolBut* RotaTBut = nullptr;
    TToolBut* TButZorder = nullptr;
    TToolBut* ClearFillTBut = nullptr;
    TToolBut* SizeLineTBut = nullptr;
    TToolBut* TypeLineTBut = nullptr;
    TToolBut* ArrowBut = nullptr;

    // Second row: the tool group (exactly one down), Tag = tool code.
    TToolBut* HandBut = nullptr;
    TToolBut* SelectTBut = nullptr;
    TToolBut* LineTBut = nullptr;
    TToolBut* DrawTBut = nullptr;
    TToolBut* SquareTBut = nullptr;
    TToolBut* EllipseTBut = nullptr;
    TToolBut* CircTBut = nullptr;
    TToolBut* ArcTBut = nullptr;
    TToolBut* SineTBut = nullptr;
    TToolBut* DimenTBut = nullptr;
    TToolBut* ArrowTBut = nullptr;
    TToolBut* DotTBut = nullptr;
    TToolBut* TextTBut = nullptr;
    TToolBut* CompTBut = nullptr;
    QComboBox* DeviceCBox = nullptr;  // recent components
    TToolBut* SelCompTBut = nullptr;

    // Menus and their items.
    QMenu* mnFile = nullptr;
    QMenu* mnLibrary = nullptr;
    QMenu* mnWindow = nullptr;
    QMenu* mnOptions = nullptr;
    QMenu* mnHelp = nullptr;
    QAction* mnNew = nullptr;
    QAction* mnOpen = nullptr;
    QAction* mnBrowse = nullptr;
    QAction* mnFullSearch = nullptr;
    QAction* mnSave = nullptr;
    QAction* mnSaveAs = nullptr;
    QAction* mnSavePic = nullptr;
    QAction* mnPrintSetup = nullptr;
    QAction* mnPrint = nullptr;
    QAction* mnClose = nullptr;
    QAction* mnCloseAll = nullptr;
    QAction* mnExit = nullptr;
    QAction* mnGetComponent = nullptr;
    QAction* mnCreateComp = nullptr;
    QAction* mnEditComp = nullptr;
    QAction* mnSaveComp = nullptr;
    QAction* mnSaveCompAs = nullptr;
    QAction* mnNextWin = nullptr;   // Tag 1
    QAction* mnPrevWin = nullptr;   // Tag 2
    QAction* mnTileHor = nullptr;   // Tag 1
    QAction* mnTileVer = nullptr;   // Tag 2
    QAction* mnCascade = nullptr;   // Tag 3
    QAction* mnArrangeIcons = nullptr;  // Tag 4
    QAction* mnMinimiseIcons = nullptr; // Tag 5
    QAction* mnDrawDots = nullptr;
    QAction* mnShowTabs = nullptr;
    QAction* mnMaxWin = nullptr;
    QAction* mnAltOpen = nullptr;
    QAction* mnShowHintStart = nullptr;
    QAction* mnSetColors = nullptr;
    QAction* mnAssociate = nullptr;
    QAction* mnAutoSave = nullptr;
    QAction* mnViewBackup = nullptr;
    QAction* mnShowHelp = nullptr;
    QAction* mnAbout = nullptr;

    // The frame's one file dialog (schematic open, and the component open).
    TFileDialog* OpenDialog = nullptr;

    // The help window, once one exists; "&Show Hint ..." shows and hides it.
    QPointer<QWidget> HelpWin;

    // ---- Child windows
    // Called by each child's creation: a tab with the child's caption, then the last tab selected.
    void AddChildTab(QWidget* handle) override;
    // Called by each child's destruction; nothing when it has no tab.
    void RemoveChildTab(QWidget* handle) override;
    // Index of the tab carrying handle, or -1.
    int FindChildTab(QWidget* handle) const;
    // Replaces a child's tab text by " name " under the Tag guard.
    void RenameChildTab(QWidget* handle, const QString& text);
    // TChildHost
    bool NameChildTab(QWidget* handle, const QString& text, bool select) override;
    TChildSettings ChildSettings() const override;
    void SetDefaultArrow(int32_t type) override;
    void PressSelectTool() override;
    void SetUndoButton(bool enabled) override;
    // Active child, or null.
    TChildWin* ActiveChild() const;
    // Runs a command on the active child, when there is one.
    template <class F>
    void ToActive(F f)
    {
        if (TChildWin* c = ActiveChild())
            (c->*f)();
    }
    // Every child, in the frame's child list order (oldest first).
    QList<TChildWin*> Children() const;
    // Puts a newly created child into the frame and shows it (maximised when asked).
    void ShowChild(TChildWin* child, bool maximise);
    // Creates a schematic window through SchWinFactory; null when none can be made.
    TChildWin* CreateSchWin();
    // Makes the schematic windows (TSchWin; tests may set a fake).
    std::function<TChildWin*()> SchWinFactory;

    // Opens a schematic file in a new schematic window (the already-open test first).
    void OpenFile(const QString& name);

    // ---- Start and hand-over
    void WMStartup();
    // A file name handed over by a second copy (or queued at start).
    void WMOpenFile(const QString& name);
    // Restores a minimised frame and brings it to the front.
    void RestoreAndRaise();
    // Set once the start-up open has run; requests before it wait in PendingOpens.
    bool StartupDone = false;
    // Requests handed over before the frame existed; opened by WMStartup.
    QStringList PendingOpens;
    // Splash window to free on the first activation.
    QPointer<QWidget> SplashWin;
    // Runs the first-activation work once (also called when the frame is shown but
    // never activated).
    void FormActivate();

    // ---- Settings file
    QString IniFileName() const;
    void ReadSettings();
    // Writes every stored key at once; failures stay silent.
    void WriteSettings();

    // ---- Handlers
    void FormCreate();
    void FormClose();
    // Asks every child; false when one refuses.
    bool FormCloseQuery();

    void mnFileClick();
    void mnLibraryClick();
    void mnNewClick();
    void mnOpenClick();
    void mnBrowseClick();
    void mnFullSearchClick();
    void mnSaveClick();
    void mnSaveAsClick();
    void mnSavePicClick();
    // Printing and the bitmap clipboard (PrintOut.cpp): one printer for the session.
    std::shared_ptr<QPrinter> Printer;
    QPrinter& ThePrinter();
    void PrintBmp(const QImage& bmp, const QString& title) override;
    void StoreBMPClip(const QImage& bmp) override;
    void mnPrintSetupClick();
    void mnPrintClick();
    void mnCloseClick();
    void mnCloseAllClick();
    void mnExitClick();
    void mnNextPrevWinClick(int tag);
    void mnWindMenuClick(int tag);
    void mnMaxWinClick();
    void mnDrawDotsClick();
    void mnShowTabsClick();
    void mnShowHelpClick();
    void mnShowHintStartClick();
    void mnAltOpenClick();
    void mnSetColorsClick();
    void mnReAssociateClick();
    void mnAboutClick();

    void SelectTButClick();
    void HandButClick();
    void ShapeButClick(TToolBut* button);
    void OpenTButClick();
    void UndoTButClick();
    void CopyTButClick();
    void PasteTButClick();
    void DeleteTButClick();
    void DupliTButClick();
    void RotateButClick(TToolBut* button);
    void ClearFillTButClick();
    void SizeLineTButClick();
    void TypeLineTButClick();
    void ArrowButClick();
    void TButZorderClick();
    void ScaleTButClick(TToolBut* button);
    void TabChildChange(int index);

    // ---- Library components (MainComp_.cpp)
    // The resident component picker, created with the frame.
    QPointer<class TSelCompWin> SelCompWin;
    void BuildCompCommands();
    void mnGetComponentClick();
    void DeviceCBoxClick(int index);
    // A key pressed in the recent list; true when the schematic window took it.
    bool DeviceCBoxKeyDown(class QKeyEvent* key);
    void mnCreateCompClick();
    void mnEditCompClick();
    // A component window for an existing file: caption, a short pause, the reading, the tab.
    void OpenCompWin(const QString& path);
    // Makes the component windows (TCompWin; tests may set a fake).
    std::function<TChildWin*()> CompWinFactory;
    TChildWin* CreateCompWin();

    // ---- Viewers and autosave settings (MainView_.cpp)
    void BuildViewerCommands();
    void mnAutoSaveClick();
    void mnViewBackupClick();
    // The backup viewer on a schematic window's own autosave file.
    void ShowUndoViewer(class TSchWin& w);
    // A new schematic window holding the state at startLine of an autosave file.
    void SendBackupToEditor(const QString& path, int startLine);

    // Path of the search program beside this program file.
    static QString PelfindPath();
    // The search program started by mnFullSearchClick (PelfindPath; tests may point elsewhere).
    QString SearchProgram = PelfindPath();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Position, size and minimum size are those of the outer frame (with the window
    // border), as the settings file stores them. The border is known only once a window
    // manager has framed the shown window, some time after the show: until then the
    // wanted outer rectangle is fitted again whenever the border changes, and from then on
    // the frame is the user's.
    void SetOuterGeometry(const QRect& outer);
    void FitOuterGeometry();
    void WatchFraming();
    QRect wantedOuter_;
    QSize fittedBorder_;
    bool framed_ = false;
    class QTimer* framingTimer_ = nullptr;
    int framingPolls_ = 0;
    void BuildToolBars();
    void BuildMenus();
    void ChildActivated();
    void FillWindowList();
    void TileChildren(bool horizontal);
    void ArrangeIcons();

    QStringList Args;
    QList<QPointer<QAction>> MergedMenus;  // owned by the child, which may be gone
    QList<QAction*> WindowListActions;
    QPointer<QObject> LastActive;  // compared only: it may be mid-destruction
    bool ClosingDown = false;
};

// Where a stored frame goes, given the work areas of the screens (the primary first): where
// it stands when it lies wholly on one of them; else onto the one it overlaps most (the
// nearest when it overlaps none), wholly when it fits there, and otherwise with its top-left
// corner, and so its title bar, on it.
QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& areas);

// The frame; null before it is created.
extern TMainWin* MainWin;
