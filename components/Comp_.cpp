#include "components/Comp_.h"

#include "components/CompFiles.h"
#include "components/CompMouse.h"
#include "components/CompPaint.h"
#include "components/core/comp_edit.h"
#include "platform/msgbox.h"
#include "schematic/render/render.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

namespace {

const QString ModifiedMark = QStringLiteral(" Modified");
constexpr int kClientWidth = 929;
constexpr int kClientHeight = 558;

} // namespace

// ---------------------------------------------------------------- paint boxes

TCompPaintBox::TCompPaintBox(TCompWin& win, QWidget* parent) : QWidget(parent), win_(win)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TCompPaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, win_.View.Surface());
}

void TCompPaintBox::mousePressEvent(QMouseEvent* e)
{
    if (win_.Gestures && !win_.Closed())
        win_.Gestures->MousePress(e);
    e->accept();
}

void TCompPaintBox::mouseMoveEvent(QMouseEvent* e)
{
    if (win_.Gestures && !win_.Closed())
        win_.Gestures->MouseMove(e);
    e->accept();
}

void TCompPaintBox::mouseReleaseEvent(QMouseEvent* e)
{
    if (win_.Gestures && !win_.Closed())
        win_.Gestures->MouseRelease(e);
    e->accept();
}

void TCompPaintBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (win_.Gestures && !win_.Closed())
        win_.Gestures->DoubleClick(e);
    e->accept();
}

TCompPreviewBox::TCompPreviewBox(TCompWin& win, QWidget* parent) : QWidget(parent), win_(win)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCompPreviewBox::paintEvent(QPaintEvent*)
{
    picture_ = NewBitmap(kCompPreviewSize, kCompPreviewSize);
    TImageCanvas c(picture_);
    DrawSmallPicture(c, win_.Model);
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

// ---------------------------------------------------------------- creation and destruction

TCompWin::TCompWin(QWidget* parent) : TChildWin(parent)
{
    setWindowTitle(QStringLiteral("Component: NewComp.cmp"));
    BuildControls();
    BuildMenus();
    RegisterTab();
    DrawBackGrid();
    HitShape = nullptr;
    HitText = nullptr;
    UndoList.Clear();
    View.Resize(kCompSurfaceSize, kCompSurfaceSize, kCompBmpSize, kCompBmpSize);
    Gestures = std::make_unique<TCompWinGestures>(*this);
    Redraw();
    WatchActivation([this] {
        WMMDIActivate();
        FormActivate();
    });
}

TCompWin::~TCompWin()
{
    LeaveFrame();
    HitShape = nullptr;
    HitText = nullptr;
}

void TCompWin::BuildControls()
{
    Client = new QWidget;
    Client->setFixedSize(kClientWidth, kClientHeight);
    setWidget(Client);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    MainPaintBox = new TCompPaintBox(*this, Client);
    MainPaintBox->setGeometry(0, 0, kCompSurfaceSize, kCompSurfaceSize);
    PaintBox = new TCompPreviewBox(*this, Client);
    PaintBox->setGeometry(408, 2, kCompPreviewSize, kCompPreviewSize);

    auto arrow = [this](Qt::ArrowType a, int x, int y, int tag) {
        auto* b = new QToolButton(Client);
        b->setArrowType(a);
        b->setGeometry(x, y, 24, 24);
        b->setProperty("Tag", tag);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    auto* l1 = new QLabel(QStringLiteral("Move Entire Component"), Client);
    l1->setGeometry(520, 4, 150, 16);
    CompMveUpSBut = arrow(Qt::UpArrow, 570, 22, 1);
    CompMveDnSBut = arrow(Qt::DownArrow, 570, 70, 2);
    CompMveLtSBut = arrow(Qt::LeftArrow, 546, 46, 3);
    CompMveRtSBut = arrow(Qt::RightArrow, 594, 46, 4);
    auto* l2 = new QLabel(QStringLiteral("Move Shape"), Client);
    l2->setGeometry(700, 4, 120, 16);
    ShapeUpSBut = arrow(Qt::UpArrow, 724, 22, 1);
    ShapeDownSBut = arrow(Qt::DownArrow, 724, 70, 2);
    ShapeLeftSBut = arrow(Qt::LeftArrow, 700, 46, 3);
    ShapeRightSBut = arrow(Qt::RightArrow, 748, 46, 4);
    for (QToolButton* b : {CompMveUpSBut, CompMveDnSBut, CompMveLtSBut, CompMveRtSBut})
        connect(b, &QToolButton::clicked, this, [this, b] { ComponetMoveButClick(b->property("Tag").toInt()); });
    for (QToolButton* b : {ShapeUpSBut, ShapeDownSBut, ShapeLeftSBut, ShapeRightSBut})
        connect(b, &QToolButton::clicked, this, [this, b] { ShapeMoveButClick(b->property("Tag").toInt()); });

    auto button = [this](const char* caption, int x, int y, int w, int tag) {
        auto* b = new QPushButton(QString::fromLatin1(caption), Client);
        b->setGeometry(x, y, w, 25);
        b->setProperty("Tag", tag);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    SelFirstShapeBut = button("Select First Shape", 408, 112, 130, 1);
    SelPrevShapeBut = button("Select Prev Shape", 408, 142, 130, 3);
    SelNextShapeBut = button("Select Next Shape", 408, 172, 130, 2);
    for (QPushButton* b : {SelFirstShapeBut, SelPrevShapeBut, SelNextShapeBut})
        connect(b, &QPushButton::clicked, this, [this, b] { SelectShapeButClick(b->property("Tag").toInt()); });
    ButRescale = button("Re-Scale Component ...", 408, 212, 160, 0);
    connect(ButRescale, &QPushButton::clicked, this, [this] { ButRescaleClick(); });

    PanelRot = new QWidget(Client);
    PanelRot->setGeometry(408, 250, 300, 70);
    ScrollBar = new QScrollBar(Qt::Horizontal, PanelRot);
    ScrollBar->setGeometry(8, 8, 284, 17);
    ScrollBar->setRange(-180, 180);
    ScrollBar->setValue(0);
    ScrollBar->setFocusPolicy(Qt::NoFocus);
    connect(ScrollBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChange(); });
    LabelAng = new QLabel(QStringLiteral("0 deg"), PanelRot);
    LabelAng->setGeometry(8, 36, 80, 16);
    ButRotate = new QPushButton(QStringLiteral("Do Rotation"), PanelRot);
    ButRotate->setGeometry(190, 32, 100, 25);
    ButRotate->setFocusPolicy(Qt::NoFocus);
    connect(ButRotate, &QPushButton::clicked, this, [this] { ButRotateClick(); });

    KeyInEdit = MakeKeyBox(Client);
    KeyInEdit->installEventFilter(this);

    StatusBar = MakeStatusBar(Client, {55, 150, 50}, Panels);
    const int sh = StatusBar->sizeHint().height();
    StatusBar->setGeometry(0, kClientHeight - sh, kClientWidth, sh);
}

void TCompWin::BuildMenus()
{
    auto item = [this](QMenu* menu, const char* caption, const char* key, void (TCompWin::*opened)()) {
        return ShortcutItem(menu, QString::fromLatin1(caption), key ? QKeySequence(QString::fromLatin1(key)) : QKeySequence(),
                            [this, opened] { (this->*opened)(); },
                            [this] { return Gestures && Gestures->Machine.InGesture(); });
    };
    mnEdit = new QMenu(QStringLiteral("&Edit"), this);
    connect(mnEdit, &QMenu::aboutToShow, this, [this] { mnEditClick(); });
    const auto E = &TCompWin::mnEditClick;
    mnUndo = item(mnEdit, "&Undo", "Ctrl+Z", E);
    mnCopyText = item(mnEdit, "&Copy", "Ctrl+C", E);
    mnPasteText = item(mnEdit, "&Paste", "Ctrl+V", E);
    mnDelete = item(mnEdit, "&Delete", "Ctrl+Del", E);
    mnDupShape = item(mnEdit, "D&uplicate", "Ctrl+D", E);
    mnFlip = item(mnEdit, "&Flip", "Ctrl+F", E);
    mnRotate = item(mnEdit, "&Rotate", "Ctrl+R", E);
    mnSelAll = item(mnEdit, "Select &All", "Ctrl+A", E);
    mnRedraw = item(mnEdit, "&Redraw", "Ctrl+L", E);
    connect(mnUndo, &QAction::triggered, this, [this] { mnUndoClick(); });
    connect(mnCopyText, &QAction::triggered, this, [this] { mnCopyTextClick(); });
    connect(mnPasteText, &QAction::triggered, this, [this] { mnPasteTextClick(); });
    connect(mnDelete, &QAction::triggered, this, [this] { mnDeleteClick(); });
    connect(mnDupShape, &QAction::triggered, this, [this] { mnDupShapeClick(); });
    connect(mnFlip, &QAction::triggered, this, [this] { mnFlipRotateClick(1); });
    connect(mnRotate, &QAction::triggered, this, [this] { mnFlipRotateClick(3); });
    connect(mnSelAll, &QAction::triggered, this, [this] { mnSelAllClick(); });
    connect(mnRedraw, &QAction::triggered, this, [this] { BitmapRepaint(); });

    mnModify = new QMenu(QStringLiteral("&Modify"), this);
    connect(mnModify, &QMenu::aboutToShow, this, [this] { mnModifyClick(); });
    const auto M = &TCompWin::mnModifyClick;
    mnAlterText = item(mnModify, "Alter Selected &Text Properties ...", nullptr, M);
    mnAlterPenSze = item(mnModify, "Alter Selected &Line Width ...", nullptr, M);
    mnAlterPenType = item(mnModify, "Alter Selected Line &Style ...", nullptr, M);
    mnAlterArrow = item(mnModify, "Alter Selected &Arrow Types ...", nullptr, M);
    mnToggleFill = item(mnModify, "Toggle Selections &Fill/Transparent State", nullptr, M);
    mnDoRotation = item(mnModify, "&Do Rotation with Selected Degrees", nullptr, M);
    mnRescale = item(mnModify, "&Rescale Entire Compnent ...", nullptr, M);
    connect(mnAlterText, &QAction::triggered, this, [this] { mnAlterTextClick(); });
    connect(mnAlterPenSze, &QAction::triggered, this, [this] { mnAlterPenSzeClick(); });
    connect(mnAlterPenType, &QAction::triggered, this, [this] { mnAlterPenTypeClick(); });
    connect(mnAlterArrow, &QAction::triggered, this, [this] { mnAlterArrowClick(); });
    connect(mnToggleFill, &QAction::triggered, this, [this] { mnToggleFillClick(); });
    connect(mnDoRotation, &QAction::triggered, this, [this] { ButRotateClick(); });
    connect(mnRescale, &QAction::triggered, this, [this] { ButRescaleClick(); });
}

QList<QMenu*> TCompWin::ChildMenus() { return {mnEdit, mnModify}; }

bool TCompWin::eventFilter(QObject* watched, QEvent* event)
{
    // Every key reaches the window's handler; typed characters are discarded.
    if (watched == KeyInEdit && event->type() == QEvent::KeyPress) {
        FormKeyDown(static_cast<QKeyEvent*>(event)->key());
        return true;
    }
    return TChildWin::eventFilter(watched, event);
}

int32_t TCompWin::MouseState() const { return Gestures ? Gestures->Machine.MouseState : 0; }

// ---------------------------------------------------------------- status and pictures

QString TCompWin::ModifiedPanel() const { return Panels[0]->text(); }
void TCompWin::SetModified() { Panels[0]->setText(ModifiedMark); }
void TCompWin::ClearModified() { Panels[0]->clear(); }
void TCompWin::SetStatus2(const QString& text) { Panels[2]->setText(text); }

void TCompWin::DrawBackGrid() { ::DrawBackGrid(GridBmp); }

void TCompWin::DrawCirc()
{
    const int count = DrawCompPicture(View.DrawCanvas(), Model, GridBmp);
    Panels[1]->setText(QString::fromStdString(ShapeCountText(count)));
}

void TCompWin::DrawSmallCirc() { PaintBox->update(); }

void TCompWin::Redraw()
{
    RecheckHits();
    DrawCirc();
    View.BitmapRepaint();
    MainPaintBox->update();
    DrawSmallCirc();
}

void TCompWin::BitmapRepaint()
{
    View.BitmapRepaint();
    MainPaintBox->update();
    DrawSmallCirc();
}

void TCompWin::RecheckHits()
{
    if (HitShape && !comp::Holds(Model.ShapeList, HitShape))
        HitShape = nullptr;
    if (HitText && !comp::Holds(Model.TextList, HitText))
        HitText = nullptr;
}

// ---------------------------------------------------------------- lifecycle

void TCompWin::FormActivate()
{
    if (Host()) {
        Host()->PressSelectTool();
        UpdateUndoButton();
    }
    MainPaintBox->setCursor(Qt::ArrowCursor);
    DrawMode = 0;
    TakeKeys();
}

void TCompWin::WMMDIActivate() { NameTab(QStringLiteral("NewComp.cmp")); }

bool TCompWin::FormCloseQuery()
{
    UnSelectALL();
    Redraw();   // nothing may look selected while the question is up, nor after a No
    if (ModifiedPanel() != ModifiedMark)
        return true;
    QPointer<TCompWin> self(this);
    const int answer = MessageDlg(QStringLiteral("Component: ") + QFileInfo(FileName).fileName()
                                      + QStringLiteral(" has changed!\rDo you wish to save?"),
                                  TMsgDlgType::mtConfirmation, mbYesNoCancel, this);
    if (!self || closed_)
        return false;
    if (answer == mrYes)
        return SaveComp();   // a cancelled dialog or a failed write keeps the window and the work
    return answer == mrNo;
}

void TCompWin::FormClose()
{
    closed_ = true;
    EraseMem();
    UndoList.Clear();
}

// ---------------------------------------------------------------- model and undo

void TCompWin::EraseMem()
{
    if (Gestures)
        Gestures->Machine.Abandon();
    HitShape = nullptr;
    HitText = nullptr;
    Model.Clear();
}

void TCompWin::UnSelectALL()
{
    HitShape = nullptr;
    comp::UnselectAll(Model);
}

void TCompWin::mnSelAllClick()
{
    comp::SelectAll(Model);
    Redraw();
}

void TCompWin::UpdateUndoButton()
{
    const bool can = UndoList.Count() >= 6;
    if (mnUndo)
        mnUndo->setEnabled(can);
    if (Host())
        Host()->SetUndoButton(can);
}

void TCompWin::StoreUndo()
{
    if (Model.Empty())
        return;
    SetModified();
    WriteComp(Model, UndoList);
    UpdateUndoButton();
}

void TCompWin::mnUndoClick()
{
    if (UndoList.Count() < 6)
        return;
    EraseMem();
    ReadCompUndo(UndoList, Model);
    UndoList.Clear();
    UpdateUndoButton();
    Redraw();
}

// ---------------------------------------------------------------- files

void TCompWin::SetCaptionFile() { setWindowTitle(QStringLiteral("Component: ") + FileName); }

bool TCompWin::SaveComp()
{
    UnSelectALL();
    HitText = nullptr;
    Redraw();
    if (Model.Empty())
        return true;
    if (FileName.size() < 3)
        return SaveCompAs();
    StoreUndo();
    QString why;
    if (!WriteCompLines(FileName, UndoList, why)) {
        MessageDlg(QStringLiteral("Error! The file could not be saved:\r") + FileName + '\r' + why,
                   TMsgDlgType::mtError, mbOK, this);
        return false;
    }
    ClearModified();
    SetCaptionFile();
    return true;
}

bool TCompWin::SaveCompAs()
{
    if (Model.Empty())
        return true;
    QPointer<TCompWin> self(this);
    const QString chosen = AskSaveFile(LibraryFolder(), QFileInfo(FileName).fileName(), QStringLiteral("cmp"),
                                       {{QStringLiteral("Component Files (*.cmp)"), QStringLiteral("*.cmp")},
                                        {QStringLiteral("All Files (*.*)"), QStringLiteral("*")}},
                                       CompSavePath);
    if (!self || closed_ || chosen.isEmpty())
        return false;
    const QString old = FileName;
    FileName = chosen;
    if (!SaveComp()) {
        if (self)
            FileName = old;   // the window still names the file it really came from
        return false;
    }
    RenameTab();
    return true;
}

void TCompWin::OpenComp()
{
    UnSelectALL();
    EraseMem();
    if (FileName.size() < 3) {
        ShowMessage(QStringLiteral("Error! Filename is invalid: \r") + FileName, this);
        return;
    }
    QPointer<TCompWin> self(this);
    TLines lines;
    QString error;
    if (!ReadCompLines(FileName, lines, error)) {
        MessageDlg(QStringLiteral("Error! The file could not be read:\r") + FileName + '\r' + error,
                   TMsgDlgType::mtError, mbOK, this);
        if (!self)
            return;
        FileName.clear();
    } else if (const TCompStop stop = ReadComp(lines, Model); stop != TCompStop::Ok) {
        Model.Clear();
        MessageDlg(QString::fromLatin1(CompStopMessage(stop)), TMsgDlgType::mtError, mbOK, this);
        if (!self)
            return;
        FileName.clear();
    }
    ClearModified();
    Redraw();
}

// ---------------------------------------------------------------- mouse and keys

void TCompWin::FormKeyDown(int key)
{
    TCompKey k = TCompKey::Other;
    switch (key) {
    case Qt::Key_Delete: k = TCompKey::Delete; break;
    case Qt::Key_Left: k = TCompKey::Left; break;
    case Qt::Key_Right: k = TCompKey::Right; break;
    case Qt::Key_Up: k = TCompKey::Up; break;
    case Qt::Key_Down: k = TCompKey::Down; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: k = TCompKey::Enter; break;
    default: return;
    }
    Gestures->Machine.FormKeyDown(k);
}

void TCompWin::SelectShapeButClick(int tag)
{
    Gestures->Machine.SelectShapeButClick(tag);
    KeyInEdit->setFocus();
}

void TCompWin::mnAlterTextClick() { Gestures->Machine.mnAlterTextClick(); }
