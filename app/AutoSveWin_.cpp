#include "app/AutoSveWin_.h"

#include "platform/folder_widgets.h"
#include "platform/folders.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const char* const kExplain[] = {
    "Every change to a schematic is stored as an undo state. With AutoSave on, each state",
    "is also appended to an autosave file, so a drawing can be restored after a crash.",
    "Each schematic window writes its own file, named after the time the window was made.",
    "That is:  Sch<year><month><day><hour><min><sec>.sch ",
    "A file is closed off once it holds 300001 lines or more; the next state starts a new one.",
    "The files are never deleted by the editor: use \"View ALL autosaved Backup Files ...\"",
    "to look through the stored states, send one back to the editor, or erase a file.",
    "Choose the folder for these files below.",
};
} // namespace

TAutoSveWin::TAutoSveWin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AutoSveWin"));
    setWindowTitle(QStringLiteral("Set AutoSave Properties"));
    setFixedSize(585, 485);
    auto* outer = new QVBoxLayout(this);
    for (const char* line : kExplain)
        outer->addWidget(new QLabel(QString::fromLatin1(line), this));
    ChkBoxDoAutoSave = new QCheckBox(QStringLiteral("Do AutoSave of Undo files to above directory folder"), this);
    outer->addWidget(ChkBoxDoAutoSave);

    GroupBoxFolder = new QGroupBox(QStringLiteral(" Select Directory for Autosave / Undo Files "), this);
    auto* grid = new QGridLayout(GroupBoxFolder);
    RButTempFolder = new QRadioButton(QStringLiteral("Select Windows Temporary Directory"), GroupBoxFolder);
    RButDocsDir = new QRadioButton(QStringLiteral("Select User Documents Directory"), GroupBoxFolder);
    RButSelDir = new QRadioButton(QStringLiteral("User Selected Directory"), GroupBoxFolder);
    EditWinTemp = new QLineEdit(GroupBoxFolder);
    EditUserDocs = new QLineEdit(GroupBoxFolder);
    EditSelFolder = new QLineEdit(GroupBoxFolder);
    for (QLineEdit* e : {EditWinTemp, EditUserDocs, EditSelFolder})
        e->setReadOnly(true);
    SpButFolder = new QToolButton(GroupBoxFolder);
    SpButFolder->setText(QStringLiteral("..."));
    grid->addWidget(RButTempFolder, 0, 0);
    grid->addWidget(EditWinTemp, 0, 1);
    grid->addWidget(RButDocsDir, 1, 0);
    grid->addWidget(EditUserDocs, 1, 1);
    grid->addWidget(RButSelDir, 2, 0);
    grid->addWidget(EditSelFolder, 2, 1);
    grid->addWidget(SpButFolder, 2, 2);
    outer->addWidget(GroupBoxFolder);
    outer->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OkBitBut = new QPushButton(QStringLiteral("Ok"), this);
    OkBitBut->setDefault(true);
    CancelBitBut = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(OkBitBut);
    buttons->addWidget(CancelBitBut);
    outer->addLayout(buttons);

    connect(OkBitBut, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBitBut, &QPushButton::clicked, this, &QDialog::reject);
    // Only a click by the user picks a folder; checking the button from code does not.
    connect(SpButFolder, &QToolButton::clicked, this, [this] { SpButFolderClick(); });
    connect(RButSelDir, &QRadioButton::clicked, this, [this] { RButSelDirClick(); });

    BrowseForFolder = [](QWidget* owner, const QString& title) {
        return QFileDialog::getExistingDirectory(owner, title, QString(),
                                                 QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    };

    // FormCreate.
    EditWinTemp->setText(GetTempFolder());
    EditUserDocs->setText(GetDocsFolder());
    RButSelDir->setChecked(true);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

bool TAutoSveWin::SameFolder(const QString& a, const QString& b)
{
    if (a.trimmed().isEmpty() || b.trimmed().isEmpty())
        return false;
    return WithSlash(CleanFolder(PathBytes(a))) == WithSlash(CleanFolder(PathBytes(b)));
}

void TAutoSveWin::ShowFolder()
{
    if (SameFolder(Folder, EditWinTemp->text()))
        RButTempFolder->setChecked(true);
    if (SameFolder(Folder, EditUserDocs->text()))
        RButDocsDir->setChecked(true);
    if (RButSelDir->isChecked())
        EditSelFolder->setText(Folder);
}

void TAutoSveWin::FormCloseQuery()
{
    if (RButTempFolder->isChecked())
        Folder = EditWinTemp->text();
    else if (RButDocsDir->isChecked())
        Folder = EditUserDocs->text();
    else
        Folder = EditSelFolder->text();
}

void TAutoSveWin::done(int result)
{
    FormCloseQuery();
    QDialog::done(result);
}

void TAutoSveWin::SpButFolderClick()
{
    const QString chosen = BrowseForFolder ? BrowseForFolder(this, QStringLiteral("Pick a Folder where backup are stored.."))
                                           : QString();
    EditSelFolder->setText(chosen);
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir())
        RButTempFolder->setChecked(true);
}
