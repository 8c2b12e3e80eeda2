#include "viewers/BackupView_.h"

#include "platform/canvas.h"
#include "platform/folder_widgets.h"
#include "platform/msgbox.h"
#include "viewers/render/preview.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <unistd.h>

namespace {
constexpr TColor kAqua = 0xFFFF00;
constexpr TColor kGrey = 0x808080;
} // namespace

void TBackupPaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!Surface.isNull())
        p.drawImage(0, 0, Surface);
}

void TBackupPaintBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (OnResize)
        OnResize();
}

TBackupView::TBackupView(const QString& autoSaveFolder, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BackupView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    PanelTop = new QWidget(this);
    PanelTop->setFixedHeight(26);
    auto* top = new QHBoxLayout(PanelTop);
    top->setContentsMargins(2, 1, 2, 1);
    BitBtnCancel = new QPushButton(QStringLiteral("&Close"), PanelTop);
    SpButScaleUP = new QToolButton(PanelTop);
    SpButScaleUP->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    SpButScaleUP->setToolTip(QStringLiteral("Scale up"));
    SpButScaleDWN = new QToolButton(PanelTop);
    SpButScaleDWN->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    SpButScaleDWN->setToolTip(QStringLiteral("Scale down"));
    BitBtnEditImage = new QPushButton(QStringLiteral("&Send to Editor"), PanelTop);
    BitBtnEditImage->setToolTip(QStringLiteral("Send Current Backup to NEW Schematic Window"));
    BitBtnEraseFile = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("&Erase File"),
                                      PanelTop);
    BitBtnEraseFile->setToolTip(QStringLiteral("Erase the current selected file!"));
    BitBtnEraseFile->hide();
    for (QWidget* w : {static_cast<QWidget*>(BitBtnCancel), static_cast<QWidget*>(SpButScaleUP),
                       static_cast<QWidget*>(SpButScaleDWN), static_cast<QWidget*>(BitBtnEditImage),
                       static_cast<QWidget*>(BitBtnEraseFile)})
        top->addWidget(w);
    top->addStretch(1);
    outer->addWidget(PanelTop);

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    PanelLeft = new QWidget(this);
    PanelLeft->setFixedWidth(169);
    auto* left = new QVBoxLayout(PanelLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    FileListBox = new TFileListBox(PanelLeft);
    FileListBox->setFixedHeight(132);
    FileListBox->setToolTip(QStringLiteral("Select AutoSave File ..."));
    SchemList = new QListWidget(PanelLeft);
    SchemList->setToolTip(QStringLiteral("Select Backup circuit.  Double click to load into Editor."));
    left->addWidget(FileListBox);
    left->addWidget(SchemList, 1);
    body->addWidget(PanelLeft);
    PaintBox = new TBackupPaintBox(this);
    PaintBox->setAttribute(Qt::WA_OpaquePaintEvent);
    body->addWidget(PaintBox, 1);
    outer->addLayout(body, 1);

    PopupMenu = new QMenu(this);
    mnScaleSmall = PopupMenu->addAction(QStringLiteral("Scale &Small"), this, [this] { mnScaleClick(2); });
    mnScaleNormal = PopupMenu->addAction(QStringLiteral("Scale &Normal"), this, [this] { mnScaleClick(4); });
    mnScaleLarge = PopupMenu->addAction(QStringLiteral("Scale &Large"), this, [this] { mnScaleClick(8); });
    for (QAction* a : {mnScaleSmall, mnScaleNormal, mnScaleLarge})
        a->setCheckable(true);
    PopupMenu->addSeparator();
    mnSendEditor = PopupMenu->addAction(QStringLiteral("Send to &Editor"), this, [this] { SchemListDblClick(); });

    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpButScaleUP, &QToolButton::clicked, this, [this] { SpButScaleUPClick(); });
    connect(SpButScaleDWN, &QToolButton::clicked, this, [this] { SpButScaleDWNClick(); });
    connect(BitBtnEditImage, &QPushButton::clicked, this, [this] { SchemListDblClick(); });
    connect(BitBtnEraseFile, &QPushButton::clicked, this, [this] { BitBtnEraseFileClick(); });
    connect(FileListBox, &TFileListBox::Click, this, [this] { FileListBoxClick(); });
    connect(SchemList, &QListWidget::currentRowChanged, this, [this] { SchemListClick(); });
    connect(SchemList, &QListWidget::itemDoubleClicked, this, [this] { SchemListDblClick(); });
    PaintBox->OnResize = [this] { PaintBoxPaint(); };

    // 10 pixels inside the frame.
    if (parent != nullptr) {
        const QRect f = parent->geometry();
        setGeometry(f.left() + 10, f.top() + 10, std::max(400, f.width() - 20), std::max(300, f.height() - 20));
    } else {
        resize(800, 600);
    }
    FileListBox->SetMask("*.sch");
    FileListBox->SetDirectory(autoSaveFolder);
    Scale = 2;
    setWindowTitle(QStringLiteral("View Backup Files in: ") + PathText(FileListBox->DirectoryBytes()));
}

TBackupView::~TBackupView() = default;

// ---- Loading

void TBackupView::ListStates()
{
    {
        const QSignalBlocker block(SchemList);
        SchemList->clear();
        for (std::size_t k = 0; k < Backup.Starts.size(); ++k)
            SchemList->addItem(QString::fromStdString(
                BackupEntry(Backup.Starts[k], Backup.TornTail && k + 1 == Backup.Starts.size())));
        SchemList->setCurrentRow(SchemList->count() - 1);
    }
    PaintBoxPaint();
}

void TBackupView::FileListBoxClick()
{
    {
        const QSignalBlocker block(SchemList);
        SchemList->clear();
    }
    const std::string path = FileListBox->FileNameBytes();
    if (path.empty())
        return;
    std::string error;
    const TBackupLoad r = LoadBackupFile(path, Backup, error);
    if (r != TBackupLoad::Ok) {
        PaintBoxPaint();   // the list is empty now
        QString text = QStringLiteral("Error: Not a Schematic file!");
        if (r == TBackupLoad::Unreadable)
            text += QStringLiteral("\r") + PathText(path) + QStringLiteral("\r") + QString::fromLocal8Bit(error);
        ShowMessage(text, this);
        return;
    }
    FileName = PathText(path);
    FilePath = path;
    BitBtnEraseFile->setEnabled(true);
    ListStates();
}

void TBackupView::LoadBackup(const QString& path)
{
    {
        const QSignalBlocker block(SchemList);
        SchemList->clear();
    }
    std::string error;
    if (LoadBackupFile(PathBytes(path), Backup, error) != TBackupLoad::Ok) {
        PaintBoxPaint();
        return;
    }
    FileName = path;
    FilePath = PathBytes(path);
    ListStates();
}

bool TBackupView::SelectedStart(std::size_t& start) const
{
    const QListWidgetItem* item = SchemList->currentItem();
    return item != nullptr && SchemList->currentRow() >= 0 && BackupEntryLine(item->text().toStdString(), start);
}

// ---- Drawing

void TBackupView::EmptyBox()
{
    QImage img(std::max(1, PaintBox->width()), std::max(1, PaintBox->height()), QImage::Format_RGB32);
    {
        TImageCanvas c(img);
        c.SetPenColor(kGrey);
        c.SetBrushColor(kAqua);
        c.Rectangle(0, 0, img.width(), img.height());
    }
    PaintBox->Surface = img;
    PaintBox->update();
}

void TBackupView::PaintBoxPaint()
{
    std::size_t start = 0;
    if (!SelectedStart(start)) {
        EmptyBox();
        return;
    }
    QImage img;
    // A state too short to draw leaves the picture as it was.
    if (DrawSnapshot(Backup.Lines, start, Scale, PaintBox->width(), PaintBox->height(), img)) {
        PaintBox->Surface = img;
        PaintBox->update();
    }
}

void TBackupView::SchemListClick() { PaintBoxPaint(); }

// ---- Scale

void TBackupView::mnScaleClick(int tag)
{
    if (tag == 2 || tag == 4 || tag == 8)
        Scale = tag;
    PaintBoxPaint();
}

void TBackupView::SpButScaleUPClick()
{
    Scale = std::min(Scale * 2, 8);
    PaintBoxPaint();
}

void TBackupView::SpButScaleDWNClick()
{
    Scale = std::max(Scale / 2, 2);
    PaintBoxPaint();
}

void TBackupView::PopupMenuPopup()
{
    mnScaleSmall->setChecked(Scale == 2);
    mnScaleNormal->setChecked(Scale == 4);
    mnScaleLarge->setChecked(Scale == 8);
}

void TBackupView::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenuPopup();
    PopupMenu->exec(event->globalPos());
}

// ---- Commands

void TBackupView::SchemListDblClick()
{
    std::size_t start = 0;
    if (SelectedStart(start) && SendToEditor && start <= static_cast<std::size_t>(INT32_MAX)) {
        QPointer<TBackupView> self(this);
        SendToEditor(FileName, static_cast<int>(start));
        if (!self)
            return;
    }
    reject();
}

void TBackupView::BitBtnEraseFileClick()
{
    if (FilePath.empty())
        return;
    QPointer<TBackupView> self(this);
    const int answer = MessageDlg(QStringLiteral("Do you want to permanently delete the file: \"") +
                                      QFileInfo(FileName).fileName() + QStringLiteral("\"?"),
                                  TMsgDlgType::mtConfirmation, mbYesNo, this);
    if (!self || answer != mrYes)
        return;
    EraseBackupFile(FilePath);   // a failure is not reported: the lists below tell
    // No file is current any more: a second Erase must not ask about a file that is gone.
    FileName.clear();
    FilePath.clear();
    Backup = TBackupFile{};
    BitBtnEraseFile->setEnabled(false);
    FileListBox->Update();
    {
        const QSignalBlocker block(SchemList);
        SchemList->clear();
    }
    EmptyBox();
}
