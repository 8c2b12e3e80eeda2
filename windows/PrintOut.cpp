#include "windows/PrintOut.h"

#include "platform/fonts.h"
#include "platform/image_write.h"
#include "platform/msgbox.h"

#include <QClipboard>
#include <QCompleter>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

TPrintLayout PrintLayoutFor(int pageWidth, int pageHeight, int dpi, int bmpWidth, int bmpHeight)
{
    TPrintLayout l;
    l.Margin = static_cast<int>(std::nearbyint(dpi * 0.5));
    if (bmpWidth <= 0 || bmpHeight <= 0)
        return l;
    l.Width = pageWidth - 2 * l.Margin;
    l.Height = static_cast<int>(std::nearbyint(static_cast<double>(l.Width) / bmpWidth * bmpHeight));
    if (l.Height > pageHeight - 2 * l.Margin) {
        l.Height = pageHeight - 2 * l.Margin;
        l.Width = static_cast<int>(std::nearbyint(static_cast<double>(l.Height) / bmpHeight * bmpWidth));
    }
    return l;
}

QString PrintJobTitle(const QString& caption)
{
    qsizetype cut = -1;
    for (QChar c : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')})
        cut = std::max(cut, caption.lastIndexOf(c));
    return caption.mid(cut + 1);
}

bool PrintBitmap(QPrinter& printer, const QImage& bmp, const QString& caption, QString& error)
{
    if (bmp.isNull()) {
        error = QStringLiteral("There is no picture to print.");
        return false;
    }
    printer.setDocName(PrintJobTitle(caption));
    QPainter p;
    if (!p.begin(&printer)) {
        error = QStringLiteral("The printer could not be started.");
        return false;
    }
    const int dpi = printer.resolution();
    const TPrintLayout l = PrintLayoutFor(printer.width(), printer.height(), dpi, bmp.width(), bmp.height());
    QFont font(ResolveFontFamily("Times New Roman"));
    font.setPixelSize(std::max(1, static_cast<int>(std::nearbyint(12.0 * dpi / 72.0))));
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetrics fm(font, &printer);
    // The title line stands in the top margin, its cell ending where the picture starts.
    p.drawText(l.Margin, l.Margin - fm.height() + fm.ascent(), caption);
    // A line drawing: the PDF engine would otherwise store it as a JPEG.
    p.setRenderHint(QPainter::LosslessImageRendering);
    p.drawImage(QRect(l.Margin, l.Margin, l.Width, l.Height), bmp);
    if (!p.end()) {
        error = QStringLiteral("The print job could not be finished.");
        return false;
    }
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
        error = QStringLiteral("The printer reported an error.");
        return false;
    }
    return true;
}

namespace {
// The BMP file of the clipboard, made straight into the bytes the clipboard keeps.
class TByteArraySink final : public TByteSink {
public:
    explicit TByteArraySink(QByteArray& out) : out_(out) {}
    bool Put(const char* data, size_t n) override
    {
        out_.append(data, static_cast<qsizetype>(n));
        return true;
    }

private:
    QByteArray& out_;
};
} // namespace

bool StoreBitmapOnClipboard(const QImage& bmp)
{
    if (bmp.isNull())
        return false;
    try {
        // An indexed picture goes as it is; any other is reduced to 8 bits first.
        QImage img8 = bmp;
        if (bmp.format() != QImage::Format_Indexed8) {
            TImageRows rows(bmp);
            img8 = IndexedImageOf(rows);
            if (img8.isNull())
                return false;
        }
        auto data = std::make_unique<QMimeData>();
        data->setImageData(img8);
        QByteArray file;
        file.reserve(static_cast<qsizetype>((int64_t{img8.width()} + 3) / 4 * 4 * img8.height() + 1100));
        TByteArraySink sink(file);
        TImageRows rows(img8);
        std::string error;
        if (WriteBmp(rows, 8, sink, error))
            data->setData(QStringLiteral("image/bmp"), file);
        QGuiApplication::clipboard()->setMimeData(data.release());   // the clipboard owns it now
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

QPrintDialog* MakePrintDialog(QPrinter& printer, QWidget* parent)
{
    auto* dlg = new QPrintDialog(&printer, parent);
    for (QLineEdit* box : dlg->findChildren<QLineEdit*>()) {
        QCompleter* c = box->completer();
        if (!c || !qobject_cast<QFileSystemModel*>(c->model()))
            continue;
        box->setCompleter(nullptr);   // deletes it when the box owns it
    }
    return dlg;
}
