#include "schematic/Schem_.h"

#include "schematic/SchHandles.h"
#include "schematic/SchKeys.h"
#include "schematic/SchMouse.h"

#include "platform/cp1252.h"
#include "platform/file_dialogs.h"
#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/path_text.h"
#include "platform/sys/files.h"
#include "components/CompFiles.h"
#include "components/core/comp_text.h"
#include "schematic/core/sch_clip.h"
#include "schematic/core/sch_menus.h"
#include "schematic/core/sch_text.h"
#include "schematic/render/render.h"
#include "schematic/render/view_scale.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QWheelEvent>

#include <algorithm>
#include <optional>

namespace {

constexpr int BarThickness = 17;
const QString ModifiedMark = QStringLiteral(" Modified");

template <class List, class Rec>
bool Holds(const List& list, const Rec* rec)
{
    return std::any_of(list.begin(), list.end(), [rec](const auto& r) { return &r == rec; });
}

// The whole file through the one reader, into the string the line list then keeps: never waits on a FIFO or a device, and says why
// a file could not be read.
bool ReadWholeFile(const QString& path, sys::TByteBuf& out, QString& why)
{
    std::string error;
    if (sys::ReadRegularFile(PathBytes(path), out, error))
        return true;
    why = QString::fromLocal8Bit(error.data(), static_cast<qsizetype>(error.size()));
    return false;
}

// Panel notes for a text whose end was cut off by a crash.
const QString CutShortBefore = QStringLiteral(" Last state cut short: the one before is shown");
const QString CutShortOnly = QStringLiteral(" State cut short: its end is missing");

// The state to show of a text read from a file: wanted, unless that is a state whose end a
// crash cut off and a whole one comes before it. note gets the panel text when the cut matters.
std::size_t WholeStateFor(const TStateList& states, std::size_t wanted, QString& note)
{
    if (!states.LastTorn || wanted < states.Starts.back())
        return wanted;
    const long long whole = states.NewestWhole();
    if (whole < 0) {
        note = CutShortOnly;
        return wanted;
    }
    note = CutShortBefore;
    return static_cast<std::size_t>(whole);
}
std::size_t WholeStateFor(const TLines& slot, bool endsTorn, const TStateRecord& record, std::size_t wanted,
                          QString& note)
{
    return WholeStateFor(ListStates(slot, endsTorn, record), wanted, note);
}

} // namespace

// ---------------------------------------------------------------- client area

TSchClient::TSchClient(TSchWin& win) : TChildSurface(win), win_(win)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

const QImage& TSchClient::SurfaceImage() const { return win_.View.Surface(); }

TSurfaceMouse* TSchClient::Mouse() const { return win_.Gestures.get(); }

void TSchClient::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    win_.FormResize();
}

void TSchClient::wheelEvent(QWheelEvent* event)
{
    // Scrolling under a running gesture or handle drag would shift what its outlines were
    // drawn against.
    if (win_.MouseState == 0 && win_.BoxDragging == 0)
        win_.WMMouseWheel(event->angleDelta().y());
    event->accept();
}

void TSchClient::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The command first, then its flagged press: a dialog that ate the release cannot leave
    // the state at 100.
    // Only the left button's double click is the window's command.
    QPointer<TSchWin> win(&win_);
    if (event->button() == Qt::LeftButton)
        win_.FormDblClick();
    if (win && !win->Closed() && win->Gestures)
        win->Gestures->DoubleClickPress(event);
    event->accept();
}

// ---------------------------------------------------------------- creation and destruction

TSchWin::TSchWin(QWidget* parent) : TChildWin(parent)
{
    setWindowTitle(QStringLiteral("Schematic:"));
    setFont(QFont(QStringLiteral("Times New Roman")));
    BuildControls();
    BuildMenus();

    // 1-2: empty ring (UndoIndex 1), no file, then the tab.
    FileName.clear();
    HitShape = nullptr;
    RegisterTab();
    // 3: the autosave file name.
    UndoFile.MakeName(AutoSaveFolderBytes());
    // 4: colours.
    TakeColors();
    // 7-9: view, tile and the empty picture.
    OffsetX = OffsetY = 0;
    Scale = 4;
    HalfScale = 2;
    MouseState = 0;
    View.RebuildGrid(Scale, DrawDotsOn());
    Client->resize(Client->sizeHint());
    LayoutPanels();
    View.Resize(Client->width(), Client->height());
    FullRedraw();
    Gestures = std::make_unique<TSchWinGestures>(*this);
    Handles = std::make_unique<TSchWinHandles>(*this);
    Keys = std::make_unique<TSchWinKeys>(*this);
    if (!OnAlterText)
        OnAlterText = [this](PTextRec t) { Gestures->Machine.AlterText(t); };
    FollowActivation();
}

TSchWin::~TSchWin()
{
    // Out of the frame first, then the undo slots and bitmaps (members, in reverse order).
    LeaveFrame();
    HitShape = nullptr;
    HitComp = nullptr;
    HitText = nullptr;
}

void TSchWin::BuildControls()
{
    Client = new TSchClient(*this);
    setWidget(Client);

    StatusBar = MakeStatusBar(Client, {55, 115, 50}, Panels);
    Panels[1]->setText(QStringLiteral(" Shape Count :  0"));

    BotPanel = new QWidget(Client);
    HScrollBar = new QScrollBar(Qt::Horizontal, BotPanel);
    LeftPanel = new QWidget(Client);
    // The strips lie over the picture; they paint their own background, and presses on
    // them (panels, the corner beside the bars) are not the drawing's: only the drawing
    // area may start a gesture.
    for (QWidget* w : {static_cast<QWidget*>(StatusBar), BotPanel, LeftPanel}) {
        w->setAutoFillBackground(true);
        w->setAttribute(Qt::WA_NoMousePropagation);
    }
    VScrollBar = new QScrollBar(Qt::Vertical, LeftPanel);
    for (QScrollBar* bar : {HScrollBar, VScrollBar}) {
        bar->setRange(0, 1000);
        bar->setPageStep(10);
        connect(bar, &QScrollBar::valueChanged, this, [this] { ScrollBarChange(); });
        connect(bar, &QScrollBar::actionTriggered, this, [this] { ScrollBarScroll(); });
    }

    // Keeps the focus so that key presses reach the window; out of sight.
    KeyInEdit = MakeKeyBox(Client);

    auto box = [this](TColor c) {
        QWidget* w = new QWidget(Client);
        w->setAutoFillBackground(true);
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, QColor::fromRgb(ColorToRgb(c)));
        w->setPalette(pal);
        w->setGeometry(0, 0, 6, 6);
        w->setAttribute(Qt::WA_NoMousePropagation);
        w->hide();
        return w;
    };
    MoveBox = box(clBlue);
    ReszeBox1 = box(clRed);
    ReszeBox2 = box(clRed);
}

void TSchWin::BuildMenus()
{
    // Shortcuts first run the menu's own enabling, as opening the menu would.
    // A handle drag owns the window until its release.
    auto item = [this](QMenu* menu, const QString& caption, const QKeySequence& key, void (TSchWin::*opened)()) {
        return ShortcutItem(menu, caption, key, [this, opened] { (this->*opened)(); },
                            [this] { return BoxDragging > 0; });
    };

    mnEdit = new QMenu(QStringLiteral("&Edit"), this);
    connect(mnEdit, &QMenu::aboutToShow, this, [this] { mnEditClick(); });
    const auto E = &TSchWin::mnEditClick;
    mnUndo = item(mnEdit, "&Undo", QKeySequence("Ctrl+Z"), E);
    mnViewUndoInfo = item(mnEdit, "&View stored Undo ...", {}, E);
    mnCopyText = item(mnEdit, "&Copy", QKeySequence("Ctrl+C"), E);
    mnPasteText = item(mnEdit, "&Paste", QKeySequence("Ctrl+V"), E);
    mnDelete = item(mnEdit, "&Delete", QKeySequence("Ctrl+Del"), E);
    mnDupShape = item(mnEdit, "Dup&licate", QKeySequence("Ctrl+D"), E);
    mnSelAll = item(mnEdit, "Select &All", QKeySequence("Ctrl+A"), E);
    mnCopyBMP = item(mnEdit, "Copy Image to &Bitmap", QKeySequence("Ctrl+B"), E);
    mnCopyMeta = item(mnEdit, "Copy Image to &Metafile", QKeySequence("Ctrl+E"), E);
    mnRedraw = item(mnEdit, "&Redraw", QKeySequence("Ctrl+L"), E);
    connect(mnUndo, &QAction::triggered, this, [this] { mnUndoClick(); });
    connect(mnCopyText, &QAction::triggered, this, [this] { mnCopyTextClick(); });
    connect(mnPasteText, &QAction::triggered, this, [this] { mnPasteTextClick(); });
    connect(mnDelete, &QAction::triggered, this, [this] { mnDeleteClick(); });
    connect(mnDupShape, &QAction::triggered, this, [this] { mnDupShapeClick(); });
    connect(mnRedraw, &QAction::triggered, this, [this] { mnRedrawClick(); });
    connect(mnCopyBMP, &QAction::triggered, this, [this] { mnCopyBMPClick(); });
    connect(mnCopyMeta, &QAction::triggered, this, [this] { mnCopyMetaClick(); });
    connect(mnViewUndoInfo, &QAction::triggered, this, [this] { mnViewUndoInfoClick(); });

    mnModCircuit = new QMenu(QStringLiteral("&Modify"), this);
    connect(mnModCircuit, &QMenu::aboutToShow, this, [this] { mnModCircuitClick(); });
    const auto M = &TSchWin::mnModCircuitClick;
    mnFlip = item(mnModCircuit, "&Flip Components Horizontal", QKeySequence("Ctrl+F"), M);
    mnMirror = item(mnModCircuit, "&Mirror Components Vertical", QKeySequence("Ctrl+M"), M);
    mnRotateClock = item(mnModCircuit, "&Rotate Components Clockwise", QKeySequence("Ctrl+R"), M);
    mnRotateAnti = item(mnModCircuit, "Rotate Components A&nti-Clockwise", {}, M);
    mnAlterPenSze = item(mnModCircuit, "Alter Selected Line &Widths ...", {}, M);
    mnAlterPenType = item(mnModCircuit, "Alter Selected Line &Styles ...", {}, M);
    mnAlterArrow = item(mnModCircuit, "Alter Selected &Arrow Types ...", {}, M);
    mnCorrFonts = item(mnModCircuit, "Alter Selected &Text Font Sizes to  ...", {}, M);
    mnAlterText = item(mnModCircuit, "Alter Selected Text &Properties ...", {}, M);
    mnToggleFill = item(mnModCircuit, "T&oggle Selections Fill/Transparent State", {}, M);
    mnZOrder = item(mnModCircuit, "&Move Selected Shape to Back (&Z-order)", {}, M);
    mnPanTopMost = item(mnModCircuit, "Pan ALL &Circuit to Top-Left most position", {}, M);
    const std::pair<QAction*, int> turns[] = {{mnFlip, 2}, {mnMirror, 1}, {mnRotateClock, 3}, {mnRotateAnti, 4}};
    for (const auto& [a, tag] : turns) {
        a->setData(tag);
        connect(a, &QAction::triggered, this, [this, a] { mnFlipRotateClick(a); });
    }
    connect(mnPanTopMost, &QAction::triggered, this, [this] { mnPanTopMostClick(); });
    connect(mnAlterPenSze, &QAction::triggered, this, [this] { mnAlterPenSzeClick(); });
    connect(mnAlterPenType, &QAction::triggered, this, [this] { mnAlterPenTypeClick(); });
    connect(mnAlterArrow, &QAction::triggered, this, [this] { mnAlterArrowClick(); });
    connect(mnToggleFill, &QAction::triggered, this, [this] { mnToggleFillClick(); });
    connect(mnZOrder, &QAction::triggered, this, [this] { mnZOrderClick(); });

    mnViewMenu = new QMenu(QStringLiteral("&View"), this);
    connect(mnViewMenu, &QMenu::aboutToShow, this, [this] { mnViewClick(); });
    auto* scales = new QActionGroup(this);
    auto scaleItem = [&](const char* caption, int tag) {
        QAction* a = mnViewMenu->addAction(QString::fromLatin1(caption));
        a->setCheckable(true);
        a->setData(tag);
        scales->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag] { mnScaleClick(tag); });
        return a;
    };
    mnSmall = scaleItem("&Small Scale", 2);
    mnNormal = scaleItem("&Normal Scale", 4);
    mnLarge = scaleItem("&Large Scale", 8);
    mnNormal->setChecked(true);
    mnCheckNodes = mnViewMenu->addAction(QStringLiteral("Show Connection &Nodes"));
    connect(mnCheckNodes, &QAction::triggered, this, [this] { mnCheckNodesClick(); });
}

QList<QMenu*> TSchWin::ChildMenus() { return {mnEdit, mnModCircuit, mnViewMenu}; }

void TSchWin::LayoutPanels()
{
    const int w = Client->width();
    const int h = Client->height();
    const int sh = StatusBar->sizeHint().height();
    StatusBar->setGeometry(0, h - sh, w, sh);
    BotPanel->setGeometry(0, h - sh - BarThickness, w, BarThickness);
    LeftPanel->setGeometry(w - BarThickness, 0, BarThickness, std::max(0, h - sh - BarThickness));
    VScrollBar->setGeometry(0, 0, BarThickness, std::max(0, LeftPanel->height() - 1));
    HScrollBar->setGeometry(0, 0, std::max(0, BotPanel->width() - 16), BarThickness);
}

// ---------------------------------------------------------------- frame settings

bool TSchWin::AutoSaveOn() const { return Host() && Host()->ChildSettings().AutoSave; }

bool TSchWin::DrawDotsOn() const { return Host() && Host()->ChildSettings().DrawDots; }

void TSchWin::TakeColors()
{
    if (!Host())
        return;
    const TChildSettings s = Host()->ChildSettings();
    LineColor = s.LineColor;
    FillColor = s.FillColor;
    TextColor = s.TextColor;
    SelColor = s.SelColor;
}

std::string TSchWin::AutoSaveFolderBytes() const
{
    const QString folder = Host() ? Host()->ChildSettings().AutoSaveFolder : QString();
    return PathBytes(folder.isEmpty() ? QDir::tempPath() : folder);
}

QString TSchWin::UndoFileName() const { return QFile::decodeName(QByteArray::fromStdString(UndoFile.FileName())); }

// ---------------------------------------------------------------- status and redraws

QString TSchWin::ModifiedPanel() const { return Panels[0]->text(); }
void TSchWin::SetModified() { Panels[0]->setText(ModifiedMark); }
void TSchWin::ClearModified() { Panels[0]->clear(); }
void TSchWin::SetStatus2(const QString& text) { Panels[2]->setText(text); }

TRenderView TSchWin::RenderView() const
{
    TRenderView v;
    v.Scale = Scale;
    v.OffsetX = OffsetX;
    v.OffsetY = OffsetY;
    v.LineColor = LineColor;
    v.FillColor = FillColor;
    v.TextColor = TextColor;
    v.SelColor = SelColor;
    v.ArcRadius = PrimaryScreenWidth();
    return v;
}

void TSchWin::FullRedraw()
{
    // Redraws follow dialogs and other nested event loops: the boxes are placed only on hit
    // items still in the drawing.
    RecheckHits();
    const TComposeResult r = View.FullRedraw(Model, RenderView(), HitShape, HitText, HitComp);
    Panels[1]->setText(QString::fromStdString(ShapeCountText(r.ShapeCount)));
    auto place = [](QWidget* w, const THandleBox& b) {
        if (b.Visible) {
            w->move(b.Left, b.Top);
            w->show();
            w->raise();
        } else {
            w->hide();
        }
    };
    place(MoveBox, r.Boxes.MoveBox);
    place(ReszeBox1, r.Boxes.ReszeBox1);
    place(ReszeBox2, r.Boxes.ReszeBox2);
    UpdateWindow();
}

void TSchWin::BitmapRepaint()
{
    View.BitmapRepaint();
    UpdateWindow();
}

TImageCanvas& TSchWin::WindowCanvas() { return View.WindowCanvas(); }

void TSchWin::UpdateWindow() { Client->update(); }

void TSchWin::mnRedrawClick() { BitmapRepaint(); }

// ---------------------------------------------------------------- activation, scrolling, resizing

QString TSchWin::NewFileName() const { return QStringLiteral("NewFile.sch"); }

void TSchWin::UpdateUndoButton()
{
    if (Host())
        Host()->SetUndoButton(UndoList.CanUndo());
}

QWidget* TSchWin::DrawSurface() const { return Client; }

void TSchWin::WMMouseWheel(int delta)
{
    // A touchpad sends many small deltas: they add up to a notch before the bar moves. One
    // message moves it one step at most, however large its delta.
    wheelAccum_ += delta;
    if (wheelAccum_ >= 120) {
        VScrollBar->setValue(VScrollBar->value() - 5);
        wheelAccum_ = 0;
    } else if (wheelAccum_ <= -120) {
        VScrollBar->setValue(VScrollBar->value() + 5);
        wheelAccum_ = 0;
    }
    KeyInEdit->setFocus();
}

void TSchWin::ScrollBarChange()
{
    OffsetX = HScrollBar->value();
    OffsetY = VScrollBar->value();
    KeyInEdit->setFocus();
    FullRedraw();
}

void TSchWin::ScrollBarScroll() { KeyInEdit->setFocus(); }

void TSchWin::FormResize()
{
    if (!StatusBar)
        return;
    LayoutPanels();
    View.Resize(std::max(1, Client->width()), std::max(1, Client->height()));
    FullRedraw();
}

void TSchWin::ChangeColors()
{
    TakeColors();
    FullRedraw();
}

// ---------------------------------------------------------------- double click

void TSchWin::RecheckHits()
{
    if (HitShape && !Holds(Model.ShapeList, HitShape))
        HitShape = nullptr;
    if (HitComp && !Holds(Model.CompList, HitComp))
        HitComp = nullptr;
    if (HitText && !Holds(Model.TextList, HitText))
        HitText = nullptr;
}

bool TSchWin::EditHitItem(bool pump)
{
    // Each step may run a nested event loop (pending events, the step's own dialog) that
    // closes this window or changes the drawing: both are checked again after each.
    QPointer<TSchWin> self(this);
    auto alive = [&] { return self && !self->closed_; };
    auto settle = [&] {
        if (pump)
            QCoreApplication::processEvents();
        if (!alive())
            return false;
        RecheckHits();
        return true;
    };
    if (HitShape) {
        if (!settle())
            return false;
        if (HitShape)
            mnAlterPenSzeClick();
        if (!alive())
            return false;
        RecheckHits();
    }
    if (HitComp) {
        if (!settle())
            return false;
        if (HitComp)
            DoRotate(3);
        if (!alive())
            return false;
        RecheckHits();
    }
    if (HitText) {
        if (!settle())
            return false;
        if (HitText && OnAlterText)
            OnAlterText(HitText);
        if (!alive())
            return false;
        RecheckHits();
    }
    return true;
}

void TSchWin::FormDblClick()
{
    MouseState = 100;
    if (EditHitItem(true))
        MouseState = 100;
}

// ---------------------------------------------------------------- closing

bool TSchWin::FormCloseQuery()
{
    ClearHits();
    FullRedraw();   // no handle boxes left for hits that are gone
    if (ModifiedPanel() != ModifiedMark)
        return true;
    QPointer<TSchWin> self(this);
    const int answer = MessageDlg(windowTitle() + "\rCircuit has changed.\rDo you wish to save changes?",
                                  TMsgDlgType::mtConfirmation, mbYesNoCancel, this);
    if (!self)
        return false;
    if (answer == mrYes) {
        // An empty drawing has nothing to save: the save says so and the window closes.
        if (Model.Empty()) {
            SaveSchem();
            return true;
        }
        return SaveSchem();   // a cancelled dialog or a failed write keeps the window and the work
    }
    return answer == mrNo;
}

void TSchWin::FormClose()
{
    closed_ = true;
    if (Gestures)
        Gestures->Machine.Abandon();
    if (Handles)
        Handles->Abandon();
    ClearHits();
    Model.EraseMem();
    PlaceComp.reset();
}

void TSchWin::CloseWindow()
{
    // With WA_DeleteOnClose the deletion is deferred to the event loop, after our callers.
    if (!closed_)
        close();
}

// ---------------------------------------------------------------- menus

void TSchWin::mnEditClick()
{
    TEditMenuFacts f;
    f.NewestSlotLines = UndoList.Newest().Count();
    f.AutoSaveOn = AutoSaveOn();
    f.UndoFileExists = QFileInfo::exists(UndoFileName());
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    f.ClipboardHasText = mime && mime->hasText();
    const TEditMenuState s = EditMenuState(Model, f);
    mnUndo->setEnabled(s.Undo);
    mnViewUndoInfo->setEnabled(s.ViewUndoInfo);
    mnCopyText->setEnabled(s.CopyText);
    mnPasteText->setEnabled(s.PasteText);
    mnDelete->setEnabled(s.Delete);
    mnDupShape->setEnabled(s.DupShape);
    mnSelAll->setEnabled(s.SelAll);
    mnCopyBMP->setEnabled(s.CopyBMP);
    mnCopyMeta->setEnabled(s.CopyMeta);
    mnRedraw->setEnabled(s.Redraw);
}

void TSchWin::mnModCircuitClick()
{
    const TModifyMenuState s = ModifyMenuState(Model, HitShape != nullptr, HitText != nullptr);
    mnFlip->setEnabled(s.Flip);
    mnMirror->setEnabled(s.Mirror);
    mnRotateClock->setEnabled(s.RotateClock);
    mnRotateAnti->setEnabled(s.RotateAnti);
    mnAlterPenSze->setEnabled(s.AlterPenSze);
    mnAlterPenType->setEnabled(s.AlterPenType);
    mnAlterArrow->setEnabled(s.AlterArrow);
    mnCorrFonts->setEnabled(s.CorrFonts);
    mnAlterText->setEnabled(s.AlterText);
    mnToggleFill->setEnabled(s.ToggleFill);
    mnZOrder->setEnabled(s.ZOrder);
    mnPanTopMost->setEnabled(s.PanTopMost);
}

void TSchWin::mnViewClick()
{
    mnViewUndoInfo->setEnabled(ViewUndoInfoEnabled(AutoSaveOn(), UndoList.Newest().Count(),
                                                   QFileInfo::exists(UndoFileName()), PathBytes(FileName),
                                                   FileName.size() > 3 && QFileInfo::exists(FileName)));
    mnCheckNodes->setEnabled(!Model.ShapeList.empty() && CheckNodesEnabled(Model.ShapeList));
}

void TSchWin::mnViewUndoInfoClick()
{
    if (!QFileInfo::exists(UndoFileName())) {
        ShowMessage(QStringLiteral("No Backup Information for current Schematic!"), this);
        SetStatus2(QStringLiteral(" < No Backup Information >"));
        return;
    }
    if (ShowUndoInfo)
        ShowUndoInfo(*this);
}

void TSchWin::mnScaleClick(int tag)
{
    const TViewScale v = ScaleClick(tag);
    Scale = v.Scale;
    HalfScale = v.HalfScale;
    const TScaleChecks c = ScaleChecks(Scale);
    mnSmall->setChecked(c.Small);
    mnNormal->setChecked(c.Normal);
    mnLarge->setChecked(c.Large);
    AltBackDots();
}

void TSchWin::AltScale(int up)
{
    const TViewScale v = ::AltScale(Scale, up != 0);
    mnScaleClick(v.Scale);
}

void TSchWin::AltBackDots()
{
    View.RebuildGrid(Scale, DrawDotsOn());
    FullRedraw();
}

void TSchWin::ClearHits()
{
    HitShape = nullptr;
    HitComp = nullptr;
    HitText = nullptr;
}

void TSchWin::mnDeleteClick()
{
    if (Model.Empty())
        return;
    StoreUndo();
    DeleteSelected(Model);
    ClearHits();
    SetModified();
    FullRedraw();
}

void TSchWin::mnZOrderClick()
{
    if (Model.ShapeList.empty() || !HitShape)
        return;
    StoreUndo();
    MoveShapeToBack(Model.ShapeList, HitShape);
    HitShape = nullptr;
    SetModified();
    FullRedraw();
}

// ---------------------------------------------------------------- undo

void TSchWin::UpdateUndoEnabled()
{
    const bool can = UndoList.CanUndo();
    mnUndo->setEnabled(can);
    if (Host())
        Host()->SetUndoButton(can);
}

void TSchWin::StoreUndo()
{
    if (Model.Empty())
        return;
    if (Host())
        Host()->SetUndoButton(true);
    UndoList.Store(Model);
    if (!AutoSaveOn())
        return;
    // A failed autosave never stops the edit or the save; the panel says so.
    const TAutoSaveFile::TResult r = UndoFile.Append(UndoList.Newest(), AutoSaveFolderBytes());
    if (!r.Ok)
        SetStatus2(QString::fromStdString(r.Note));
}

void TSchWin::ShowLoadReport(const TLoadReport& r)
{
    if (!r.PanelText.empty())
        SetStatus2(FromCp1252(r.PanelText));
    if (r.Message.empty())
        return;
    const QString text = FromCp1252(r.Message);
    if (r.ShapeErrors + r.CompErrors + r.TextErrors > 0)
        MessageDlg(text, TMsgDlgType::mtError, mbOK, this);
    else
        ShowMessage(text, this);
}

void TSchWin::DoUndo()
{
    ClearHits();
    const TLoadReport r = ::DoUndo(UndoList.Newest(), Model);
    ShowLoadReport(r);
    if (r.Ok)
        FullRedraw();
}

void TSchWin::mnUndoClick()
{
    QPointer<TSchWin> self(this);
    DoUndo();
    if (!self)
        return;
    UndoList.StepBack();
    UpdateUndoEnabled();
}

// ---------------------------------------------------------------- files

void TSchWin::SetCaptionFile() { setWindowTitle(QStringLiteral("Schematic: ") + FileName); }

bool TSchWin::SaveSchem()
{
    if (Model.Empty()) {
        ShowMessage(QStringLiteral("There are NO components in Circuit, nothing to Save!"), this);
        return false;
    }
    ClearHits();
    FullRedraw();
    if (FileName.size() < 3)
        return SaveSchemAs();
    StoreUndo();
    // Written beside the old file and renamed over it only when complete.
    std::string error;
    if (!sys::WriteFileAtomic(PathBytes(FileName), UndoList.Newest().TextView(), error)) {
        const QString why = QString::fromLocal8Bit(error.data(), static_cast<qsizetype>(error.size()));
        MessageDlg(QStringLiteral("Error! The file could not be saved:\r") + FileName + '\r' + why,
                   TMsgDlgType::mtError, mbOK, this);
        return false;
    }
    ClearModified();
    SetCaptionFile();
    return true;
}

bool TSchWin::SaveSchemAs()
{
    if (Model.Empty()) {
        ShowMessage(QStringLiteral("There are NO components in Circuit, nothing to Save!"), this);
        return false;
    }
    QPointer<TSchWin> self(this);
    const bool named = FileName.size() >= 4;
    const QString chosen =
        AskSaveFile(named ? QFileInfo(FileName).absolutePath()
                          : DialogStartFolder(Host() ? Host()->ChildSettings().SchemFolder : QString()),
                    named ? QFileInfo(FileName).fileName() : QString(), QStringLiteral("sch"),
                    {{QStringLiteral("Component Files (*.sch)"), QStringLiteral("*.sch")},
                     {QStringLiteral("All Files (*.*)"), QStringLiteral("*")}});
    if (!self || closed_ || chosen.isEmpty())
        return false;
    return SaveUnder(chosen, [this] { return SaveSchem(); });
}

void TSchWin::DoLoad(int startLine)
{
    ClearHits();
    const TLoadReport r = ::DoLoad(UndoList.Newest(), startLine, Model);
    ShowLoadReport(r);
    if (r.Ok)
        FullRedraw();
}

void TSchWin::OpenSchem(const QString& name)
{
    ClearHits();
    Model.EraseMem();
    if (name.size() < 3) {
        ShowMessage(QStringLiteral("Error in the Filename!\rFilename is: ") + name, this);
        CloseWindow();
        return;
    }
    TLines& slot = UndoList.Newest();
    sys::TByteBuf bytes;
    QString why;
    if (!ReadWholeFile(name, bytes, why)) {
        // Not the same as a file that is no schematic: say what stopped the reading.
        slot.Clear();
        QPointer<TSchWin> self(this);
        MessageDlg(QStringLiteral("Error! The file could not be read:\r") + name + '\r' + why, TMsgDlgType::mtError,
                   mbOK, this);
        if (!self)
            return;
        ClearModified();
        setWindowTitle(QStringLiteral("Schematic:"));
        CloseWindow();
        return;
    }
    const bool torn = EndsTorn(bytes.View());
    slot = TLines::FromBytes(std::move(bytes));
    if (slot.Count() >= 6 && slot[0] == "SCHEMATIC") {
        FileName = name;
        ClearModified();
        SetCaptionFile();
        // The newest snapshot: the last header found by walking the blocks, so a text
        // that reads "SCHEMATIC" is never taken for one; a state cut short by a crash is
        // passed over for the one before it.
        const TStateList states = ListStates(slot, torn, ReadStateRecord(PathBytes(name)));
        QString note;
        const std::size_t start = states.Starts.empty() ? 0 : WholeStateFor(states, states.Starts.back(), note);
        QPointer<TSchWin> self(this);
        // The slot is emptied once read: it gives its memory back while the lists grow.
        ClearHits();
        const TLoadReport r = DoLoadTaking(std::move(slot), static_cast<int>(start), Model);
        ShowLoadReport(r);
        if (!self)
            return;
        if (r.Ok)
            FullRedraw();
        UndoList.Newest().Clear();
        if (!note.isEmpty())
            SetStatus2(note);
        return;
    }
    slot.Clear();
    QPointer<TSchWin> self(this);
    MessageDlg(QStringLiteral("Error in Saved File!\r") + name + QStringLiteral("\r\rThis is NOT a Schematic File!"),
               TMsgDlgType::mtError, mbOK, this);
    if (!self)
        return;
    ClearModified();
    setWindowTitle(QStringLiteral("Schematic:"));
    CloseWindow();
}

void TSchWin::OpenBackUp(const QString& name, int startLine)
{
    ClearHits();
    Model.EraseMem();
    sys::TByteBuf bytes;
    QString why;
    if (name.size() >= 3 && ReadWholeFile(name, bytes, why)) {
        FileName.clear();
        TLines& slot = UndoList.Newest();
        const bool torn = EndsTorn(bytes.View());
        slot = TLines::FromBytes(std::move(bytes));
        if (startLine < 0 || static_cast<std::size_t>(startLine) >= slot.Count())
            startLine = 0;
        QString note;
        startLine = static_cast<int>(
            WholeStateFor(slot, torn, ReadStateRecord(PathBytes(name)), static_cast<std::size_t>(startLine), note));
        QPointer<TSchWin> self(this);
        DoLoad(startLine);
        if (!self)
            return;
        SetModified();
        setWindowTitle(QStringLiteral("Schematic: <Restored from BackUp File>"));
        // The slot holds the whole file, so Undo is offered at once.
        UpdateUndoEnabled();
        if (!note.isEmpty())
            SetStatus2(note);
        return;
    }
    QString text = QStringLiteral("Error! Backup file is Invalid!\r") + name;
    // A file that is there but cannot be read says why.
    if (name.size() >= 3 && QFileInfo::exists(name))
        text += '\r' + why;
    ShowMessage(text, this);
}

void TSchWin::LoadComp(const QString& name)
{
    PlaceComp.reset();
    const QString path = FindCompFile(name);
    if (path.isEmpty()) {
        MessageDlg(QStringLiteral("Component: ") + name + QStringLiteral("\rNOT FOUND!"), TMsgDlgType::mtError, mbOK,
                   this);
        return;
    }
    TLines lines;
    QString error;
    auto comp = std::make_unique<TCompRec>();
    const bool read = ReadCompLines(path, lines, error);
    if (!read || ReadCompInto(lines, *comp) != TCompStop::Ok) {
        QString msg = QStringLiteral("File: ") + path + QStringLiteral("\rHas Errors!");
        if (!read)
            msg += QStringLiteral("\r") + error;
        MessageDlg(msg, TMsgDlgType::mtError, mbOK, this);
        return;
    }
    PlaceComp = std::move(comp);
    KeyInEdit->setFocus();
}

// ---------------------------------------------------------------- clipboard text

void TSchWin::mnCopyTextClick()
{
    if (Model.Empty())
        return;
    TLines clip;
    WriteClipboard(Model, clip);
    if (clip.Count() > 4)
        QGuiApplication::clipboard()->setText(FromCp1252(clip.Text()));
}

void TSchWin::mnPasteTextClick()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        return;
    const std::string text = ToCp1252(mime->text());
    Gestures->Machine.UnSelectALL();
    ClearHits();
    const TLines lines = TLines::FromText(text);
    // One undo state before the first item goes in, as every other change stores one.
    const TPasteResult r = PasteText(lines, 2 * HalfScale, Model, [this] { StoreUndo(); });
    if (r.NoSchematic) {
        ShowMessage(QStringLiteral("NOTE: Clipboard did NOT have a Schematic!"), this);
        return;
    }
    QPointer<TSchWin> self(this);
    if (r.Added > 0)
        SetModified();
    else
        ShowMessage(QStringLiteral("NOTE: Clipboard did NOT contain any shapes!"), this);
    if (self)
        FullRedraw();
}
