#include "app/HelpWin_.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

#include <array>

#include "app/Main_.h"

namespace {

struct THelpPage {
    const char* Picture;
    int Left, Top;
    const char* Text;   // \r breaks the line
};

const std::array<THelpPage, 12> kPages = {{
    {"HELPBMP", 80, 4,
     "\rUse the NEXT and PREVIOUS buttons to navigate to new help topics. \rThe CLOSE button will hide this "
     "window.\rUse the mouse to relocate the Window."},
    {"FILENEW", 235, 5,
     "Start a new Circuit Schematic by \rselecting the FILE - NEW menu \ritem.\rOr load a saved Circuit "
     "Schematic by \rselecting the FILE - OPEN menu item."},
    {"TOOLBAR", 120, 7,
     "Use the top  \rTool Bar to select the desired shape to \rplace on the schematic.\rThe location and size "
     "of the shape is set \rby mouse cursor \"click and drag\". "},
    {"COMP", 186, 14,
     "USING  COMPONENTS \r  First activate the Select \r  button, to choose desired \r  component. Then use the "
     "Place button, \r  and mouse click, to place Components."},
    {"ROTFLP", 220, 27,
     "FLIP/ROTATE COMPONENTS \r  A selected component can be \r  flipped, rotated, and mirrored. \r  This can "
     "be achieved by the \r  toolbar buttons, or the keys F, R, & M."},
    {"MOUSEL", 227, 7,
     "SELECTING  OBJECTS \r  First activate the Arrow toolbar\r  button, then use the left Mouse \r  Button to "
     "select shapes.  Use the \r  SHIFT key to select multiple shapes."},
    {"MOVEC", 218, 15,
     "MOVING  OBJECTS \r  Once an object is selected \r  a blue \"Move Box\" displays.\r  Left mouse click and "
     "drag of the \r  \"Move Box\" will allow repositioning. "},
    {"RESZE", 220, 27,
     "RE-SIZE  SHAPES \r  When a shape is selected \r  a red \"Resize Box\" displays.\r  Left mouse click and "
     "drag of the \r  \"Resize Box\" will allow re-sizing. "},
    {"SELREC", 223, 30,
     "SELECTING  MANY  SHAPES \r  Left mouse click and drag, in \r  an empty space, will produce \r  the "
     "\"Select Area\" box. \r  All objects in the box will be selected."},
    {"MOUSER", 223, 30,
     "MOVING MANY SHAPES \r  When objects are selected the \r  Right Mouse Button can be\r  used to move all the "
     "selected \r  objects, by right click and drag."},
    {"KEYPD", 223, 18,
     "MOVING MANY SHAPES \r  The Arrow Keys can also be \r  used to move selected objects.\r  Any selected "
     "object will move in the, \r  corresponding arrow key direction."},
    {"CPYPRT", 200, 18,
     "EDITING OBJECTS \r  Selected objects can be \r  copied, pasted, deleted, \r  and duplicated. \r  Printing "
     "of schematic is also possible."},
}};

bool HasPicture(int32_t page) { return page >= 0 && page < static_cast<int32_t>(kPages.size()); }

QRect PrimaryScreen()
{
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->geometry();
    return {0, 0, 1024, 768};
}

} // namespace

QString THelpWin::PageText(int32_t page)
{
    QString text;
    if (HasPicture(page))
        text = QString::fromLatin1(kPages[static_cast<std::size_t>(page)].Text);
    else if (page == kLastPage)
        text = QStringLiteral("The help topic is complete.");
    else
        text = QStringLiteral("No Help Topic for number - ") + QString::number(page);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString THelpWin::PagePicture(int32_t page)
{
    if (!HasPicture(page))
        return {};
    return QStringLiteral(":/help/") + QString::fromLatin1(kPages[static_cast<std::size_t>(page)].Picture) +
           QStringLiteral(".png");
}

QPoint THelpWin::FirstPlace(QSize screen, QSize window)
{
    if (screen.width() < 700)
        return {screen.width() - window.width(), screen.height() - window.height()};
    return {screen.width() - window.width() - 20, screen.height() - window.height() - 25};
}

// It never takes the keyboard: a click on it leaves the frame active (a deactivated frame
// would take its child's menus off the menu bar).
THelpWin::THelpWin(TMainWin* frame)
    : QFrame(frame, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      frame_(frame)
{
    setObjectName(QStringLiteral("HelpWin"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    // Its texts are labels like any other: the drawing canvas's font (no smoothing, no
    // kerning, pixel-exact sizes) spaces the letters of running text unevenly.
    setFont(FrameFont());
    setToolTip(QStringLiteral("Drag this window to the best location."));
    resize(kWidth, kHeight);

    HelpLabel = new QLabel(this);
    HelpLabel->setGeometry(8, 8, 285, 95);
    HelpLabel->setWordWrap(true);
    HelpLabel->setTextFormat(Qt::PlainText);
    HelpLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image = new QLabel(this);
    // Presses on the text and the picture drag the window like the rest of it.
    HelpLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto button = [this](const char* caption, int left) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setGeometry(left, 110, 89, 26);
        b->installEventFilter(this);
        return b;
    };
    PrevBut = button("Previous", 8);
    NextBtn = button("Next", 104);
    CloseBtn = button("Close", 200);
    PrevBut->setEnabled(false);
    connect(PrevBut, &QPushButton::clicked, this, [this] { PrevButClick(); });
    connect(NextBtn, &QPushButton::clicked, this, [this] { NextBtnClick(); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CloseBtnClick(); });
    NextBtn->setFocus();

    if (frame_)
        frame_->HelpWin = this;
    FormCreate();
}

void THelpWin::FormCreate()
{
    Page = 0;
    AltHint();
    const QRect screen = PrimaryScreen();
    move(screen.topLeft() + FirstPlace(screen.size(), size()));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 192));
    setPalette(pal);
    setAutoFillBackground(true);
    if (frame_ && frame_->mnShowHintStart && frame_->mnShowHintStart->isChecked()) {
        show();
        // The mark says whether the window is shown; a shown window with a clear mark
        // would take two choices of the item to hide.
        if (frame_->mnShowHelp)
            frame_->mnShowHelp->setChecked(true);
    }
    GiveFocusToFrame();
}

void THelpWin::FormResize()
{
    const QRect screen = PrimaryScreen();
    move(screen.right() + 1 - width(), screen.bottom() + 1 - height());
}

void THelpWin::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // The resize Qt sends when the window is first shown (no old size, or the same size)
    // would override the first placement.
    if (event->oldSize().isValid() && event->oldSize() != event->size())
        FormResize();
}

void THelpWin::AltHint()
{
    Image->setGeometry(246, 4, 43, 43);
    Image->clear();
    Image->hide();
    const QString picture = PagePicture(Page);
    if (!picture.isEmpty()) {
        const QPixmap pm(picture);
        const THelpPage& p = kPages[static_cast<std::size_t>(Page)];
        Image->setPixmap(pm);
        Image->setGeometry(p.Left, p.Top, pm.width(), pm.height());
        Image->show();
        Image->raise();
    }
    HelpLabel->setText(PageText(Page));
}

void THelpWin::NextBtnClick()
{
    raise();
    PrevBut->setEnabled(true);
    if (Page < kLastPage + 1)
        ++Page;
    if (Page > kLastPage - 1)
        NextBtn->setEnabled(false);
    AltHint();
    GiveFocusToFrame();
}

void THelpWin::PrevButClick()
{
    raise();
    NextBtn->setEnabled(true);
    if (Page >= 0)
        --Page;
    if (Page < 1)
        PrevBut->setEnabled(false);
    AltHint();
    GiveFocusToFrame();
}

void THelpWin::CloseBtnClick()
{
    if (frame_ && frame_->mnShowHelp)
        frame_->mnShowHelp->setChecked(false);
    hide();
    GiveFocusToFrame();
}

void THelpWin::FormKeyDown() { GiveFocusToFrame(); }

void THelpWin::GiveFocusToFrame()
{
    if (frame_ && frame_->isVisible())
        frame_->activateWindow();
}

void THelpWin::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown();
    event->accept();
}

bool THelpWin::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees keys before its buttons; the keyboard goes back to the frame.
    if (event->type() == QEvent::KeyPress && watched->parent() == this) {
        FormKeyDown();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void THelpWin::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && StartMove()) {
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

bool THelpWin::StartMove()
{
    QWindow* w = windowHandle();
    return w && w->startSystemMove();
}
