// The frame's viewer commands: the folder browser, the backup viewer (for all autosave files
// and for one schematic window's own file), and the autosave settings dialog.
#include "app/Main_.h"

#include "app/AutoSveWin_.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"
#include "viewers/BackupView_.h"
#include "viewers/Brows_.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "platform/folder_widgets.h"

void TMainWin::BuildViewerCommands()
{
    // The autosave item's mark is put back by its own handler in BuildMenus; the dialog sets it.
    connect(mnAutoSave, &QAction::triggered, this, [this] { mnAutoSaveClick(); });
    connect(mnViewBackup, &QAction::triggered, this, [this] { mnViewBackupClick(); });
    TSchWin::ShowUndoInfo = [self = QPointer<TMainWin>(this)](TSchWin& w) {
        if (self)
            self->ShowUndoViewer(w);
    };
}

void TMainWin::mnBrowseClick()
{
    QPointer<TBrowsWin> b = new TBrowsWin(this);
    b->DirectoryListBox->SetDirectory(SchemFolder);
    const int result = b->exec();
    if (!b)
        return;
    const QString name = b->FileName;
    delete b;
    if (result == QDialog::Accepted && !name.isEmpty())
        OpenFile(name);
}

void TMainWin::SendBackupToEditor(const QString& path, int startLine)
{
    TChildWin* c = CreateSchWin();
    if (!c)
        return;
    // Loading may show messages, and their event loops may close the window.
    QPointer<TChildWin> w(c);
    ShowChild(c, mnMaxWin->isChecked());
    if (!w)
        return;
    if (auto* s = qobject_cast<TSchWin*>(w.data()))
        s->OpenBackUp(path, startLine);
}

void TMainWin::mnViewBackupClick()
{
    QPointer<TBackupView> v = new TBackupView(AutoSaveFolder, this);
    v->BitBtnEraseFile->show();
    v->BitBtnEraseFile->setEnabled(false);
    v->SendToEditor = [this](const QString& path, int start) { SendBackupToEditor(path, start); };
    v->exec();
    delete v.data();
}

void TMainWin::ShowUndoViewer(TSchWin& w)
{
    const QString undoFile = w.UndoFileName();
    QPointer<TBackupView> v = new TBackupView(AutoSaveFolder, this);
    v->setWindowTitle(QStringLiteral("View stored Undo Information for:  ") + w.FileName + QStringLiteral(" (") +
                      QFileInfo(undoFile).fileName() + QStringLiteral(")"));
    v->FileListBox->hide();
    v->SendToEditor = [this](const QString& path, int start) { SendBackupToEditor(path, start); };
    v->LoadBackup(undoFile);
    v->exec();
    delete v.data();
}

void TMainWin::mnAutoSaveClick()
{
    QPointer<TAutoSveWin> d = new TAutoSveWin(this);
    d->ChkBoxDoAutoSave->setChecked(mnAutoSave->isChecked());
    d->Folder = AutoSaveFolder;
    d->ShowFolder();
    const int result = d->exec();
    if (d && result == QDialog::Accepted) {
        mnAutoSave->setChecked(d->ChkBoxDoAutoSave->isChecked());
        AutoSaveFolder = d->Folder;
        if (!QFileInfo(AutoSaveFolder).isDir()) {
            AutoSaveFolder = GetTempFolder();
            ShowMessage(QStringLiteral("Specified Path was invalid, using Windows Temporary Directory!"), this);
        }
    }
    delete d.data();
    mnAutoSave->setText(mnAutoSave->isChecked() ? QStringLiteral("Do A&utoSave of Undo files...")
                                                : QStringLiteral("NOT A&utoSaving Undo files..."));
}
