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
#include <QFile>
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

// The format's name in the status note.
static QString ImageKindName(TImageFormat f)
{
    switch (f) {
    case TImageFormat::Bmp: return QStringLiteral("BMP");
    case TImageFormat::Jpeg: return QStringLiteral("JPEG");
    case TImageFormat::Gif: return QStringLiteral("GIF");
    case TImageFormat::Png: return QStringLiteral("PNG");
    case TImageFormat::None: break;
    }
    return {};
}

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
    {
        THourglass wait;
        ClearSelection(*this);
    }
    // The size is checked before anything is made or asked.
    const TExportSize size = ExportPixelSize(ExportExtent(Model, Scale), Scale);
    if (!ExportSizeFits(size)) {
        MessageDlg(QString::fromStdString(BitmapTooLargeText(size)), TMsgDlgType::mtError, mbOK, this);
        return;
    }
    auto tooLarge = [&] {
        if (self)
            MessageDlg(QString::fromStdString(BitmapTooLargeText(size)), TMsgDlgType::mtError, mbOK, this);
    };
    switch (action) {
    case 0: {
        // The clipboard must get a whole picture: made at 8 bits straight from the bands.
        QImage bmp;
        {
            THourglass wait;
            TExportBands bands(Model, RenderView());
            bmp = IndexedImageOf(bands);
        }
        if (bmp.isNull()) {
            tooLarge();
            return;
        }
        if (Host())
            Host()->StoreBMPClip(bmp);
        else
            StoreBitmapOnClipboard(bmp);
        break;
    }
    case 1: {
        QImage bmp;
        {
            THourglass wait;
            bmp = ComposeExportBitmap(Model, RenderView());
        }
        if (bmp.isNull()) {
            tooLarge();
            return;
        }
        if (Host())
            Host()->PrintBmp(bmp, windowTitle());
        break;
    }
    case 2: {
        // Composed only once the dialog is confirmed, band by band into the file.
        TExportBands bands(Model, RenderView());
        ConvertSaveAs(bands);
        break;
    }
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

void TSchWin::ConvertSaveAs(TRowSource& bitmap)
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
    if (format == TImageFormat::None)
        return;

    std::string why;
    bool ok = false;
    {
        THourglass wait;
        ok = SaveImageFile(bitmap, format, bits, quality, QFile::encodeName(path).toStdString(), why);
    }
    if (!self)
        return;
    if (!ok) {
        MessageDlg(QStringLiteral("Unable to save the image to:\r") + path + QStringLiteral("\r\r") +
                       QString::fromStdString(why),
                   TMsgDlgType::mtError, mbOK, this);
        return;
    }
    SetStatus2(QStringLiteral(" Image saved to ") + ImageKindName(format) + QStringLiteral(" of: ") + path);
}
