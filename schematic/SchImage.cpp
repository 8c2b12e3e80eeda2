// The schematic window's pictures out: the bitmap on the clipboard, the printed page and
// the image file go through one export bitmap; the metafile records the same picture.
#include "schematic/Schem_.h"

#include "windows/ChildWin.h"
#include "windows/PrintOut.h"
#include "windows/SaveWin_.h"
#include "platform/emf_canvas.h"
#include "platform/image_write.h"
#include "platform/msgbox.h"
#include "schematic/core/sch_menus.h"
#include "schematic/render/export.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QThread>

#include <memory>

namespace {

// The hourglass for the length of a command, put back on every way out.
class THourglass {
public:
    THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~THourglass() { QApplication::restoreOverrideCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// Every export starts from a picture without selection.
void ClearSelection(TSchWin& w)
{
    SelectNone(w.Model);
    w.HitShape = nullptr;
    w.HitComp = nullptr;
    w.HitText = nullptr;
    w.FullRedraw();
}

} // namespace

void TSchWin::DetermineMaxXY(int64_t& MaxX, int64_t& MaxY) const
{
    const TExportExtent e = ExportExtent(Model, Scale);
    MaxX = e.MaxX;
    MaxY = e.MaxY;
}

void TSchWin::mnCopyBMPClick() { CopyBMP(0); }

void TSchWin::CopyBMP(int action)
{
    if (Model.Empty()) {
        ShowMessage(QStringLiteral("NOTE: No action, there are NO components in Circuit!"), this);
        return;
    }
    QPointer<TSchWin> self(this);
    QImage bmp;
    {
        THourglass wait;
        ClearSelection(*this);
        bmp = ComposeExportBitmap(Model, RenderView());
    }
    if (bmp.isNull()) {
        const TExportSize size = ExportPixelSize(ExportExtent(Model, Scale), Scale);
        MessageDlg(QString::fromStdString(BitmapTooLargeText(size)), TMsgDlgType::mtError, mbOK, this);
        return;
    }
    switch (action) {
    case 0:
        if (Host())
            Host()->StoreBMPClip(bmp);
        else
            StoreBitmapOnClipboard(bmp);
        break;
    case 1:
        if (Host())
            Host()->PrintBmp(bmp, windowTitle());
        break;
    case 2:
        ConvertSaveAs(bmp);
        break;
    default:
        break;
    }
    if (self)
        QThread::yieldCurrentThread();
}

void TSchWin::mnCopyMetaClick()
{
    if (Model.Empty())
        return;
    std::string emf;
    {
        THourglass wait;
        ClearSelection(*this);
        QSize screen(1920, 1080);
        if (const QScreen* s = QGuiApplication::primaryScreen())
            screen = s->size();
        emf = ComposeExportMetafile(Model, RenderView(), screen.width(), screen.height());
    }
    if (emf.empty())
        return;
    auto* data = new QMimeData;
    SetEmfMimeData(*data, emf);
    QGuiApplication::clipboard()->setMimeData(data);
    QThread::yieldCurrentThread();
}

void TSchWin::ConvertSaveAs(const QImage& bitmap)
{
    QPointer<TSchWin> self(this);
    // Not a child of this window: closing the window under the dialog must not free it twice.
    auto dlg = std::make_unique<TSaveWin>();
    dlg->SetFolder(Host() ? Host()->ChildSettings().SchemFolder : QString());
    const QFileInfo current(FileName);
    if (!FileName.isEmpty() && current.isFile()) {
        const QString name = current.completeBaseName() + QStringLiteral(".BMP");
        dlg->FileName = name;
        dlg->NameEdit->setText(name);
    }
    // Our bitmaps are 32 bits deep, which presets "24 bit".
    dlg->BitsComBox->setCurrentIndex(5);
    const int result = dlg->exec();
    if (result != QDialog::Accepted || !self)
        return;
    const QString path = dlg->FileName;
    const TImageFormat format = ImageFormatOfName(path);
    const int bits = dlg->Bits();
    const int quality = dlg->QualSBar->value();
    dlg.reset();

    std::string bytes, why;
    bool ok = false;
    QString kind;
    {
        THourglass wait;
        switch (format) {
        case TImageFormat::None:
            return;
        case TImageFormat::Bmp:
            kind = QStringLiteral("BMP");
            ok = EncodeBmp(bitmap, bits, bytes, why);
            break;
        case TImageFormat::Jpeg:
            kind = QStringLiteral("JPEG");
            ok = EncodeJpeg(bitmap, quality, bytes, why);
            break;
        case TImageFormat::Gif:
            kind = QStringLiteral("GIF");
            ok = EncodeGif(bitmap, bytes, why);
            break;
        case TImageFormat::Png:
            kind = QStringLiteral("PNG");
            ok = EncodePng(bitmap, bytes, why);
            break;
        }
        QString writeError;
        if (ok && !WriteWholeFile(path, bytes, writeError)) {
            ok = false;
            why = writeError.toStdString();
        }
    }
    if (!self)
        return;
    if (!ok) {
        MessageDlg(QStringLiteral("Unable to save the image to:\r") + path + QStringLiteral("\r\r") +
                       QString::fromStdString(why),
                   TMsgDlgType::mtError, mbOK, this);
        return;
    }
    SetStatus2(QStringLiteral(" Image saved to ") + kind + QStringLiteral(" of: ") + path);
}
