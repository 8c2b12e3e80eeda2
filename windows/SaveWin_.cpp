#include "windows/SaveWin_.h"

#include "platform/folder_widgets.h"
#include "platform/msgbox.h"

#include <algorithm>

#include <QComboBox>
#include <QSignalBlocker>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kBits[] = {1, 4, 8, 15, 16, 24, 32};

struct TTypeRow {
    const char* Name;
    const char* Mask;
    const char* Ext;
};
constexpr TTypeRow kTypes[] = {
    {"Bitmap", "*.bmp", ".BMP"},
    {"JPeg", "*.jpg", ".JPG"},
    {"GIF", "*.gif", ".GIF"},
    {"PNG", "*.png", ".PNG"},
};

// The name part of a path (after the last "/").
QString NamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// path with the extension of its name part replaced by ext (or ext added).
QString ChangeExt(const QString& path, const QString& ext)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot >= nameStart)
        return path.left(dot) + ext;
    return path + ext;
}

} // namespace

TSaveWin::TSaveWin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SaveWin"));
    setWindowTitle(QStringLiteral("Save the Circuit image as:"));

    DriveComboBox = new TDriveComboBox(this);
    DirectoryListBox = new TDirectoryListBox(this);
    DirLabText = new QLabel(this);
    FileListBox = new TFileListBox(this);
    NameEdit = new QLineEdit(this);
    TypeComBox = new QComboBox(this);
    for (const TTypeRow& t : kTypes)
        TypeComBox->addItem(QString::fromLatin1(t.Name));
    BitsComBox = new QComboBox(this);
    for (const char* b : {" 1 bit", " 4 bit", " 8 bit", "15 bit", "16 bit", "24 bit", "32 bit"})
        BitsComBox->addItem(QString::fromLatin1(b));
    QualSBar = new QScrollBar(Qt::Horizontal, this);
    QualSBar->setRange(1, 100);
    ExtLabel = new QLabel(this);
    MinLabel = new QLabel(QStringLiteral("MIN"), this);
    MAXLabel = new QLabel(QStringLiteral("MAX"), this);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    OkBtn->setDefault(true);

    DriveComboBox->SetDirList(DirectoryListBox);
    FileListBox->SetDirList(DirectoryListBox);

    auto* grid = new QGridLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("File Name:"), this));
    left->addWidget(NameEdit);
    left->addWidget(FileListBox, 1);
    left->addWidget(new QLabel(QStringLiteral("File Type:"), this));
    left->addWidget(TypeComBox);
    auto* right = new QVBoxLayout;
    right->addWidget(DirLabText);
    right->addWidget(DirectoryListBox, 1);
    right->addWidget(DriveComboBox);
    right->addWidget(ExtLabel);
    right->addWidget(BitsComBox);
    auto* bar = new QHBoxLayout;
    bar->addWidget(MinLabel);
    bar->addWidget(QualSBar, 1);
    bar->addWidget(MAXLabel);
    right->addLayout(bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    DirectoryListBox->setMinimumHeight(180);
    FileListBox->setMinimumHeight(180);
    resize(560, 380);
    setFixedSize(size());

    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    connect(TypeComBox, &QComboBox::currentIndexChanged, this, [this] { TypeComBoxChange(); });
    connect(QualSBar, &QScrollBar::valueChanged, this, [this] { QualSBarChange(); });
    connect(DirectoryListBox, &TDirectoryListBox::Change, this, [this] { FolderChanged(); });
    NameEdit->setFocus();
    FormCreate();
}

void TSaveWin::FormCreate()
{
    const QSignalBlocker block(TypeComBox);
    TypeComBox->setCurrentIndex(0);
    BitsComBox->setCurrentIndex(5);
    QualSBar->setValue(100);
    Cancelled = 1;
    NameEdit->clear();
    // The controls of "Bitmap" without touching FileName.
    ExtLabel->setText(QStringLiteral("Bits per Pixel:"));
    ExtLabel->show();
    BitsComBox->show();
    QualSBar->hide();
    MinLabel->hide();
    MAXLabel->hide();
    FileListBox->SetMask(kTypes[0].Mask);
    FolderChanged();
}

void TSaveWin::SetFolder(const QString& folder)
{
    if (!folder.isEmpty())
        DirectoryListBox->SetDirectory(folder);
    FolderChanged();
}

QString TSaveWin::Folder() const { return DirectoryListBox->Directory(); }

void TSaveWin::FolderChanged() { DirLabText->setText(Folder()); }

int TSaveWin::Bits() const
{
    const int i = BitsComBox->currentIndex();
    return i >= 0 && i < 7 ? kBits[i] : 24;
}

void TSaveWin::OkBtnClick()
{
    Cancelled = 0;
    accept();
}

void TSaveWin::CancelBtnClick()
{
    Cancelled = 1;
    reject();
}

void TSaveWin::done(int result)
{
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
}

bool TSaveWin::FormCloseQuery()
{
    if (Cancelled == 1)
        return true;
    Cancelled = 1;   // a refused OK must be pressed again
    const QString name = NameEdit->text();
    FileName = name;
    if (name.isEmpty()) {
        MessageDlg(QStringLiteral("Filename is blank."), TMsgDlgType::mtError, mbOK, this);
        return false;
    }
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar c : name)
        if (forbidden.contains(c)) {
            MessageDlg(QStringLiteral("Filename:\r\r") + name + QStringLiteral("\r\rCannot Contain letters - \\/:?\"<>|"),
                       TMsgDlgType::mtError, mbOK, this);
            return false;
        }
    const QString folder = Folder();
    FileName = folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
    if (!name.contains(QLatin1Char('.'))) {
        const int t = TypeComBox->currentIndex();
        FileName += QString::fromLatin1(kTypes[t >= 0 && t < 4 ? t : 0].Ext);
    }
    if (QFileInfo::exists(FileName))
        return MessageDlg(QStringLiteral("Filename:\r\r") + FileName +
                              QStringLiteral("\r\rAlready Exists, Overwrite existing file?"),
                          TMsgDlgType::mtWarning, mbYesNo, this) == mrYes;
    return true;
}

void TSaveWin::TypeComBoxChange()
{
    const int t = std::clamp(TypeComBox->currentIndex(), 0, 3);
    const bool bitmap = t == 0, jpeg = t == 1;
    ExtLabel->setVisible(bitmap || jpeg);
    if (bitmap)
        ExtLabel->setText(QStringLiteral("Bits per Pixel:"));
    BitsComBox->setVisible(bitmap);
    QualSBar->setVisible(jpeg);
    MinLabel->setVisible(jpeg);
    MAXLabel->setVisible(jpeg);
    if (jpeg)
        QualSBarChange();
    FileListBox->SetMask(kTypes[t].Mask);
    FileName = ChangeExt(FileName, QString::fromLatin1(kTypes[t].Ext));
    NameEdit->setText(NamePart(FileName));
}

void TSaveWin::QualSBarChange()
{
    ExtLabel->setText(QStringLiteral("Quality ") + QString::number(QualSBar->value()) + QLatin1Char('%'));
}
