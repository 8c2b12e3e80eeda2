#pragma once
// The frame's picture services: printing a bitmap on one page and putting a bitmap on the
// clipboard; the printer setup and print commands. The layout and title rules are plain
// functions so they can be checked without a printer.
#include <QImage>
#include <QString>

class QPrintDialog;
class QPrinter;
class QWidget;

// Picture box on the page, in printer pixels: a half-inch margin on every side, the
// picture as wide as the page allows or, when that is too high, as high as it allows.
struct TPrintLayout {
    int Margin = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TPrintLayout&) const = default;
};
TPrintLayout PrintLayoutFor(int pageWidth, int pageHeight, int dpi, int bmpWidth, int bmpHeight);

// The print job's title: the part of the caption after its last "/", "\" or ":".
QString PrintJobTitle(const QString& caption);

// Prints the bitmap on one page of printer with the caption above it. False with a
// reason when the printer could not start, finish or reported an error.
bool PrintBitmap(QPrinter& printer, const QImage& bmp, const QString& caption, QString& error);

// Puts the bitmap on the clipboard at 8 bits per pixel (an 8-bit indexed bitmap as it is,
// any other reduced to a palette first): as an image and as a
// whole BMP file ("image/bmp"). False, with the clipboard untouched, when the picture is
// null or there is not enough memory to convert it.
bool StoreBitmapOnClipboard(const QImage& bmp);

// The toolkit's print dialog, with no file-system completer on any of its boxes: its
// output-file completer reads what lies in a typed folder on this thread, and in /proc/
// that blocks for good. The box stays for typing and its browse button for choosing.
// Owned by parent.
QPrintDialog* MakePrintDialog(QPrinter& printer, QWidget* parent);
