#include "search/DirSelect_.h"

#include "platform/folder_widgets.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TDirSelect::TDirSelect(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DirSelect"));
    setWindowTitle(QStringLiteral("Directory Selection"));
    setFixedSize(297, 404);
    DirLabel = new QLabel(this);
    DirLabel->setGeometry(8, 6, 281, 17);
    DriveComboBox = new TDriveComboBox(this);
    DriveComboBox->setGeometry(8, 26, 281, 22);
    DirectoryListBox = new TDirectoryListBox(this);
    DirectoryListBox->setGeometry(8, 54, 281, 306);
    DriveComboBox->SetDirList(DirectoryListBox);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(118, 368, 80, 27);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setGeometry(208, 368, 80, 27);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(DirectoryListBox, &TDirectoryListBox::Click, this, &TDirSelect::DirectoryListBoxClick);
    connect(DirectoryListBox, &TDirectoryListBox::Change, this,
            [this] { DirLabel->setText(DirectoryListBox->Directory()); });
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
}

void TDirSelect::SetFolder(const std::string& folder)
{
    std::string f = CleanFolder(folder.empty() ? std::string("/") : folder);
    while (f.size() > 1 && !IsFolder(f)) {
        const std::size_t slash = f.rfind('/');
        f = slash == 0 || slash == std::string::npos ? std::string("/") : f.substr(0, slash);
    }
    DriveComboBox->SetDriveFor(f);
    DirectoryListBox->SetDirectoryBytes(f);
    DirLabel->setText(DirectoryListBox->Directory());
}

void TDirSelect::DirectoryListBoxClick() { DirectoryListBox->OpenCurrent(); }
