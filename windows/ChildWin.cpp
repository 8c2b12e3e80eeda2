#include "windows/ChildWin.h"

#include "platform/file_dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QShortcut>

#include <array>

namespace {

std::array<QCursor, 8>& CursorTable()
{
    static std::array<QCursor, 8> table;
    return table;
}
std::array<bool, 8>& CursorLoaded()
{
    static std::array<bool, 8> loaded{};
    return loaded;
}
TChildHost* theHost = nullptr;
} // namespace

QCursor ScreenCursor(int number)
{
    if (number >= 0 && number < 8 && CursorLoaded()[static_cast<std::size_t>(number)])
        return CursorTable()[static_cast<std::size_t>(number)];
    return QCursor(Qt::ArrowCursor);
}

void LoadScreenCursor(int number, const QCursor& cursor)
{
    if (number < 0 || number >= 8)
        return;
    CursorTable()[static_cast<std::size_t>(number)] = cursor;
    CursorLoaded()[static_cast<std::size_t>(number)] = true;
}

TChildWin::TChildWin(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

TChildWin::~TChildWin() = default;

TChildHost* TChildWin::Host() { return theHost; }

void TChildWin::SetHost(TChildHost* host) { theHost = host; }

void TChildWin::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QMdiSubWindow::closeEvent(event);
}

void TChildWin::SetDrawCursor(const QCursor& cursor)
{
    if (widget())
        widget()->setCursor(cursor);
    else
        setCursor(cursor);
}

bool TChildWin::eventFilter(QObject* watched, QEvent* event)
{
    // The edit box would take Ctrl+Z, Ctrl+C, Ctrl+V ... for itself; they are the window's.
    if (keyBox_ && watched == keyBox_ && event->type() == QEvent::ShortcutOverride) {
        event->ignore();
        return true;
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void TChildWin::TakeKeys()
{
    if (keyBox_)
        keyBox_->setFocus(Qt::OtherFocusReason);
}

void TChildWin::RegisterTab()
{
    if (Host())
        Host()->AddChildTab(this);
}

void TChildWin::UnregisterTab()
{
    if (Host())
        Host()->RemoveChildTab(this);
}

void TChildWin::LeaveFrame()
{
    if (QMdiArea* area = mdiArea(); area && area->subWindowList().contains(this))
        area->removeSubWindow(this);
    UnregisterTab();
}

void TChildWin::NameTab(const QString& defaultName)
{
    if (!Host())
        return;
    QString name = QFileInfo(FileName).fileName();
    if (name.size() < 4)
        name = defaultName;
    Host()->NameChildTab(this, ' ' + name + ' ', true);
}

void TChildWin::RenameTab()
{
    if (Host())
        Host()->NameChildTab(this, ' ' + QFileInfo(FileName).fileName() + ' ', false);
}

void TChildWin::WatchActivation(std::function<void()> onActivated)
{
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [onActivated = std::move(onActivated)](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (!(oldState & Qt::WindowActive) && (newState & Qt::WindowActive))
                    onActivated();
            });
}

QLineEdit* TChildWin::MakeKeyBox(QWidget* parent)
{
    keyBox_ = new QLineEdit(parent);
    keyBox_->setGeometry(-40, 0, 20, 20);
    keyBox_->installEventFilter(this);
    return keyBox_;
}

QString TChildWin::AskSaveFile(const QString& folder, const QString& name, const QString& suffix,
                               const std::vector<TFileFilter>& filters,
                               std::function<QString(const QString&)> writtenPath)
{
    return AskFile(this, {true, folder, name, suffix, filters, std::move(writtenPath)});
}

QStatusBar* TChildWin::MakeStatusBar(QWidget* parent, const int (&widths)[3], QLabel* (&panels)[3])
{
    auto* bar = new QStatusBar(parent);
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        panels[i] = new QLabel(bar);
        if (i < 2) {
            panels[i]->setFixedWidth(widths[i]);
            bar->addWidget(panels[i]);
        } else {
            panels[i]->setMinimumWidth(widths[i]);
            bar->addWidget(panels[i], 1);
        }
    }
    return bar;
}

QAction* TChildWin::ShortcutItem(QMenu* menu, const QString& caption, const QKeySequence& key,
                                 std::function<void()> opened, std::function<bool()> blocked)
{
    QAction* a = menu->addAction(key.isEmpty() ? caption : caption + '\t' + key.toString(QKeySequence::NativeText));
    if (!key.isEmpty()) {
        auto* sc = new QShortcut(key, this);
        sc->setContext(Qt::WidgetWithChildrenShortcut);
        connect(sc, &QShortcut::activated, this, [a, opened, blocked] {
            if (blocked && blocked())
                return;
            if (opened)
                opened();
            if (a->isEnabled())
                a->trigger();
        });
    }
    return a;
}
