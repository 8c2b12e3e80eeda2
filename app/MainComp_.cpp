// The frame's component commands: the picker, its tool button, and the recent-components box.
#include "app/Main_.h"

#include "components/CompFiles.h"
#include "components/Comp_.h"
#include "components/SelComp_.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Keys pressed in the recent list go to the schematic window and stay there.
class TDeviceKeys : public QObject {
public:
    explicit TDeviceKeys(TMainWin& frame) : QObject(&frame), frame_(frame) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && frame_.DeviceCBoxKeyDown(static_cast<QKeyEvent*>(event)))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    TMainWin& frame_;
};

constexpr int kRecentMax = 10;

} // namespace

void TMainWin::BuildCompCommands()
{
    SelCompWin = new TSelCompWin(this);
    SelCompWin->hide();
    connect(mnGetComponent, &QAction::triggered, this, [this] { mnGetComponentClick(); });
    connect(SelCompTBut, &QToolButton::clicked, this, [this] { mnGetComponentClick(); });
    // Only the user's choice loads a component, never a change made by the program.
    connect(DeviceCBox, &QComboBox::activated, this, [this](int index) { DeviceCBoxClick(index); });
    DeviceCBox->installEventFilter(new TDeviceKeys(*this));
    if (!CompWinFactory)
        CompWinFactory = [] { return new TCompWin(); };
    connect(mnCreateComp, &QAction::triggered, this, [this] { mnCreateCompClick(); });
    connect(mnEditComp, &QAction::triggered, this, [this] { mnEditCompClick(); });
}

TChildWin* TMainWin::CreateCompWin() { return CompWinFactory ? CompWinFactory() : nullptr; }

void TMainWin::OpenCompWin(const QString& path)
{
    TChildWin* w = CreateCompWin();
    if (!w)
        return;
    QPointer<TChildWin> guard(w);
    ShowChild(w, false);
    if (!guard)
        return;
    w->FileName = path;
    w->setWindowTitle(QStringLiteral("Component: ") + path);
    QThread::msleep(100);
    w->OpenComp();
    if (guard)
        RenameChildTab(guard, QStringLiteral(" ") + QFileInfo(path).fileName() + QStringLiteral(" "));
}

void TMainWin::mnCreateCompClick()
{
    TChildWin* w = CreateCompWin();
    if (!w)
        return;
    w->setWindowTitle(QStringLiteral("Component: NewComp.cmp"));
    w->FileName.clear();
    ShowChild(w, mnMaxWin && mnMaxWin->isChecked());
}

void TMainWin::mnEditCompClick()
{
    const QString file = OpenDialog->Run({false, LibraryFolder(), {}, QStringLiteral("cmp"),
                                          {{QStringLiteral("Component File (*.cmp)"), QStringLiteral("*.cmp")},
                                           {QStringLiteral("All files (*.*)"), QStringLiteral("*")}}});
    if (!file.isEmpty())
        OpenCompWin(file);
}

void TMainWin::mnGetComponentClick()
{
    if (!SelCompWin)
        return;
    TSelCompWin& p = *SelCompWin;
    p.CompNmeEdit->setText(QStringLiteral("*"));
    p.CompNmeEdit->setFocus();
    p.PathEdit->setText(LibraryFolder());
    p.EditCompBBut->setEnabled(false);
    p.OkayBBut->setEnabled(false);
    const int result = p.exec();
    // The frame may have changed meanwhile (a hand-over opens files from the dialog's loop).
    if (!SelCompWin)
        return;
    if (result == mrOk) {
        DeviceCBox->insertItem(0, SelCompWin->ChosenName);
        DeviceCBox->setCurrentIndex(0);
        while (DeviceCBox->count() > kRecentMax)
            DeviceCBox->removeItem(kRecentMax);
        if (auto* sch = dynamic_cast<TSchWin*>(ActiveChild())) {
            CompTBut->setChecked(true);
            sch->DrawMode = CompTBut->Tag;
            sch->SetDrawCursor(QCursor(Qt::DragMoveCursor));
            sch->LoadComp(SelCompWin->FileName);
        }
    }
    if (result == mrRetry) {
        const QString path = SelCompWin->FileName;
        if (!path.isEmpty() && QFileInfo(path).isFile())
            OpenCompWin(path);
    }
}

void TMainWin::DeviceCBoxClick(int index)
{
    if (index < 0 || index >= DeviceCBox->count())
        return;
    auto* sch = dynamic_cast<TSchWin*>(ActiveChild());
    if (!sch)
        return;
    const QString path = LibraryFolder() + QLatin1Char('/') + DeviceCBox->itemText(index) + QStringLiteral(".cmp");
    CompTBut->setChecked(true);
    sch->DrawMode = CompTBut->Tag;
    sch->SetDrawCursor(QCursor(Qt::CrossCursor));
    QPointer<TSchWin> guard(sch);
    sch->LoadComp(path);
    if (guard)
        guard->setFocus();
}

bool TMainWin::DeviceCBoxKeyDown(QKeyEvent* key)
{
    auto* sch = dynamic_cast<TSchWin*>(ActiveChild());
    if (!sch)
        return false;
    sch->setFocus();
    QWidget* target = sch->focusWidget() ? sch->focusWidget() : sch;
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   static_cast<ushort>(key->count()));
    QCoreApplication::sendEvent(target, &copy);
    return true;
}
