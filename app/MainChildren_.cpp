// The frame's child windows: the tab bar, activation and the Window menu.
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
#include "app/AssociateDlg_.h"
#include "app/ColorDlg_.h"
#include "platform/file_dialogs.h"
#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/sys/handover.h"
#include "schematic/Schem_.h"

// ---- Child windows

QList<TChildWin*> TMainWin::Children() const
{
    QList<TChildWin*> out;
    // Topmost first, as the frame's child list runs.
    const auto subs = MdiClient->subWindowList(QMdiArea::StackingOrder);
    for (auto it = subs.crbegin(); it != subs.crend(); ++it)
        if (auto* c = qobject_cast<TChildWin*>(*it))
            out.push_back(c);
    return out;
}

TChildWin* TMainWin::ActiveChild() const
{
    return qobject_cast<TChildWin*>(MdiClient->activeSubWindow());
}

void TMainWin::AddChildTab(QWidget* handle)
{
    if (!handle)
        return;
    const int i = TabChild->addTab(handle->windowTitle());
    TabChild->setTabData(i, QVariant::fromValue(reinterpret_cast<quintptr>(handle)));
    TabChild->setCurrentIndex(TabChild->count() - 1);
}

int TMainWin::FindChildTab(QWidget* handle) const
{
    const auto key = reinterpret_cast<quintptr>(handle);
    for (int i = 0; i < TabChild->count(); ++i)
        if (TabChild->tabData(i).value<quintptr>() == key)
            return i;
    return -1;
}

void TMainWin::RemoveChildTab(QWidget* handle)
{
    const int i = FindChildTab(handle);
    if (i < 0)
        return;
    TabChild->Tag = -1;
    TabChild->removeTab(i);
    TabChild->Tag = 0;
}

void TMainWin::RenameChildTab(QWidget* handle, const QString& text)
{
    const int i = FindChildTab(handle);
    if (i < 0)
        return;
    TabChild->Tag = -1;
    TabChild->setTabText(i, text);
    TabChild->Tag = 0;
}

bool TMainWin::NameChildTab(QWidget* handle, const QString& text, bool select)
{
    const int i = FindChildTab(handle);
    if (i < 0)
        return false;
    TabChild->Tag = -1;
    if (select)
        TabChild->setCurrentIndex(i);
    TabChild->setTabText(i, text);
    TabChild->Tag = 0;
    return true;
}

TChildSettings TMainWin::ChildSettings() const
{
    TChildSettings s;
    s.SchemFolder = SchemFolder;
    s.AutoSaveFolder = AutoSaveFolder;
    s.DefaultArrow = DefaultArrow;
    s.LineColor = LineColor;
    s.FillColor = FillColor;
    s.TextColor = TextColor;
    s.SelColor = SelColor;
    s.DrawDots = mnDrawDots && mnDrawDots->isChecked();
    s.AutoSave = mnAutoSave && mnAutoSave->isChecked();
    return s;
}

void TMainWin::SetDefaultArrow(int32_t type) { DefaultArrow = type; }

void TMainWin::PressSelectTool()
{
    if (SelectTBut)
        SelectTBut->setChecked(true);
}

void TMainWin::SetUndoButton(bool enabled)
{
    if (UndoTBut)
        UndoTBut->setEnabled(enabled);
}

void TMainWin::TabChildChange(int index)
{
    if (TabChild->Tag == -1 || index < 0 || index >= TabChild->count())
        return;
    const auto key = TabChild->tabData(index).value<quintptr>();
    for (TChildWin* c : Children())
        if (reinterpret_cast<quintptr>(static_cast<QWidget*>(c)) == key) {
            if (c->isMinimized())
                c->showNormal();
            MdiClient->setActiveSubWindow(c);
            c->raise();
            c->TakeKeys();
            return;
        }
}

void TMainWin::ShowChild(TChildWin* child, bool maximise)
{
    if (!child)
        return;
    if (child->mdiArea() != MdiClient)
        MdiClient->addSubWindow(child);
    if (maximise)
        child->showMaximized();
    else
        child->show();
    MdiClient->setActiveSubWindow(child);
    child->TakeKeys();
}

TChildWin* TMainWin::CreateSchWin()
{
    if (!SchWinFactory)
        return nullptr;
    return SchWinFactory();
}

void TMainWin::ChildActivated()
{
    TChildWin* c = ActiveChild();
    if (static_cast<QObject*>(c) == LastActive.data() && !MergedMenus.isEmpty())
        return;
    for (const QPointer<QAction>& a : MergedMenus)
        if (a)
            menuBar()->removeAction(a);
    MergedMenus.clear();
    LastActive = c;
    if (c) {
        for (QMenu* m : c->ChildMenus()) {
            menuBar()->insertMenu(mnLibrary->menuAction(), m);
            MergedMenus.push_back(m->menuAction());
        }
    }
    // Shortcuts act on what is active now, not on the last opening of the menu.
    mnFileClick();
    mnLibraryClick();
}

void TMainWin::FillWindowList()
{
    for (QAction* a : WindowListActions) {
        mnWindow->removeAction(a);
        a->deleteLater();
    }
    WindowListActions.clear();
    const QList<QMdiSubWindow*> subs = MdiClient->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    WindowListActions.push_back(mnWindow->addSeparator());
    int n = 0;
    for (QMdiSubWindow* s : subs) {
        ++n;
        QAction* a = mnWindow->addAction(QStringLiteral("&%1 %2").arg(n).arg(s->windowTitle()));
        a->setCheckable(true);
        a->setChecked(s == MdiClient->activeSubWindow());
        QPointer<QMdiSubWindow> target(s);
        connect(a, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isMinimized())
                target->showNormal();
            MdiClient->setActiveSubWindow(target);
            if (auto* c = qobject_cast<TChildWin*>(target.data()))
                c->TakeKeys();
        });
        WindowListActions.push_back(a);
    }
}

// ---- Window menu

void TMainWin::mnNextPrevWinClick(int tag)
{
    // The MDI walk over the stacking order (topmost first): Tag 1 brings up the bottom
    // window; Tag 2 activates the window under the active one and sends the active one
    // to the bottom.
    TChildWin* cur = ActiveChild();
    const QList<TChildWin*> kids = Children();
    const qsizetype n = kids.size();
    const qsizetype i = kids.indexOf(cur);
    if (!cur || i < 0 || n < 2)
        return;
    if (tag == 1) {
        TChildWin* w = kids.back() != cur ? kids.back() : kids[n - 2];
        MdiClient->setActiveSubWindow(w);
        w->raise();
        w->TakeKeys();
    } else if (tag == 2) {
        TChildWin* w = kids[(i + 1) % n];
        MdiClient->setActiveSubWindow(w);
        w->raise();
        cur->lower();
        w->TakeKeys();
    }
}

void TMainWin::TileChildren(bool horizontal)
{
    QList<TChildWin*> wins;
    const QList<TChildWin*> kids = Children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it)
        if (!(*it)->isMinimized())
            wins.push_back(*it);
    const int n = static_cast<int>(wins.size());
    if (n == 0)
        return;
    const QSize area = MdiClient->viewport()->size();
    // Up to three windows share one column (horizontal) or one row (vertical); more make a grid.
    int lines = n <= 3 ? 1 : static_cast<int>(std::sqrt(static_cast<double>(n)));
    int per = (n + lines - 1) / lines;
    int k = 0;
    for (int line = 0; line < lines; ++line) {
        const int inLine = std::min(per, n - k);
        for (int j = 0; j < inLine; ++j, ++k) {
            TChildWin* w = wins[k];
            if (w->isMaximized())
                w->showNormal();
            QRect r;
            if (horizontal) {
                const int cw = area.width() / lines, ch = area.height() / inLine;
                r = QRect(line * cw, j * ch, cw, ch);
            } else {
                const int cw = area.width() / inLine, ch = area.height() / lines;
                r = QRect(j * cw, line * ch, cw, ch);
            }
            w->setGeometry(r);
        }
    }
}

void TMainWin::ArrangeIcons()
{
    const QSize area = MdiClient->viewport()->size();
    int x = 0, y = area.height();
    for (TChildWin* w : Children()) {
        if (!w->isMinimized())
            continue;
        const QSize s = w->size();
        if (x + s.width() > area.width() && x > 0) {
            x = 0;
            y -= s.height();
        }
        w->move(x, y - s.height());
        x += s.width();
    }
}

void TMainWin::mnWindMenuClick(int tag)
{
    switch (tag) {
    case 1: TileChildren(true); break;
    case 2: TileChildren(false); break;
    case 3: MdiClient->cascadeSubWindows(); break;
    case 4: ArrangeIcons(); break;
    case 5: {
        const QList<TChildWin*> kids = Children();
        for (auto it = kids.crbegin(); it != kids.crend(); ++it)
            (*it)->showMinimized();
        ArrangeIcons();
        break;
    }
    default: break;
    }
}
