// sch2png FILE.sch OUT.png [SCALE]: reads a schematic and saves the picture a new window
// would show (white background with the grid, default colours, offsets 0) as a PNG.
// sch2png --whole FILE.sch OUT.png|jpg|gif|bmp [SCALE]: the whole drawing as the image
// export writes it (extent, export view, banded composition, the writer the extension
// picks; BMP at 24 bits, JPEG at quality 100), for timing the program's own export path.
// OUT "clipboard" makes what the bitmap clipboard holds (the 8-bit image and its BMP file)
// and writes nothing, for its time and memory.
#include "platform/image_write.h"
#include "platform/sys/files.h"
#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"
#include "schematic/render/export.h"
#include "schematic/render/render.h"
#include "schematic/render/view_scale.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

int Fail(const std::string& msg)
{
    std::fprintf(stderr, "sch2png: %s\n", msg.c_str());
    return 1;
}

// A message text with its "\r" line breaks shown as new lines.
std::string Lines(std::string s)
{
    for (char& c : s)
        if (c == '\r')
            c = '\n';
    return s;
}
} // namespace

int main(int argc, char** argv)
{
    const bool whole = argc > 1 && std::strcmp(argv[1], "--whole") == 0;
    const int first = whole ? 2 : 1;
    if (argc < first + 2 || argc > first + 3)
        return Fail("usage: sch2png [--whole] FILE.sch OUT.png [SCALE]  (SCALE 2, 4 or 8; 4 by default;\n"
                    "       with --whole OUT may also end in .jpg, .gif or .bmp)");
    const char* in = argv[first];
    const char* out = argv[first + 1];
    int scale = 4;
    if (argc == first + 3) {
        const std::string s = argv[first + 2];
        if (s == "2" || s == "4" || s == "8")
            scale = s[0] - '0';
        else
            return Fail("SCALE must be 2, 4 or 8, not \"" + s + "\"");
    }
    const TImageFormat format = ImageFormatOfName(QString::fromLocal8Bit(out));
    const bool clipboard = whole && std::strcmp(out, "clipboard") == 0;
    if (whole && !clipboard && format == TImageFormat::None)
        return Fail(std::string("OUT must end in .png, .jpg, .gif or .bmp, not \"") + out + "\"");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    // As the window reads: through the one reader (a FIFO or a device never blocks, and the
    // reason is told), the bytes moved into the line list without a second copy.
    TSchModel model;
    {
        sys::TByteBuf bytes;
        std::string error;
        if (!sys::ReadRegularFile(in, bytes, error))
            return Fail(std::string("cannot read ") + in + ": " + error);
        const TLoadReport rep = DoLoadTaking(TLines::FromBytes(std::move(bytes)), 0, model);
        if (!rep.Ok)
            return Fail(Lines(rep.Message));
        if (!rep.Message.empty())
            std::fprintf(stderr, "%s\n", Lines(rep.Message).c_str());
    }

    if (whole) {
        TRenderView view;
        view.Scale = scale;
        view.ArcRadius = PrimaryScreenWidth();
        const TExportSize size = ExportPixelSize(ExportExtent(model, scale), scale);
        if (!ExportSizeFits(size))
            return Fail(Lines(BitmapTooLargeText(size)));
        TExportBands bands(model, view);
        std::string why;
        if (clipboard) {
            const QImage img8 = IndexedImageOf(bands);
            if (img8.isNull())
                return Fail(Lines(BitmapTooLargeText(size)));
            std::string bmp;
            TStringSink sink(bmp);
            TImageRows rows(img8);
            bmp.reserve(static_cast<size_t>((int64_t{img8.width()} + 3) / 4 * 4 * img8.height() + 1100));
            if (!WriteBmp(rows, 8, sink, why))
                return Fail("cannot make the clipboard bitmap: " + why);
            std::printf("%dx%d, %d colours, %zu bytes of BMP\n", img8.width(), img8.height(), img8.colorCount(),
                        bmp.size());
            return 0;
        }
        if (!SaveImageFile(bands, format, 24, 100, out, why))
            return Fail(std::string("Unable to save the image to: ") + out + ": " + why);
        std::printf("%dx%d\n", bands.Width(), bands.Height());
        return 0;
    }

    QImage picture = NewBitmap(kWidth, kHeight);
    const QImage grid = MakeGridBmp(scale, true);
    TComposeResult res;
    {
        TImageCanvas canvas(picture);
        TRenderView view;
        view.Scale = scale;
        view.ArcRadius = PrimaryScreenWidth();
        res = DrawCirc(canvas, model, view, &grid);
    }
    // Through the program's own PNG writer, as the image export writes.
    std::string why;
    TImageRows rows(picture);
    if (!SaveImageFile(rows, TImageFormat::Png, 24, 100, out, why))
        return Fail(std::string("cannot write ") + out + ": " + why);
    std::printf("%s\n", ShapeCountText(res.ShapeCount).c_str());
    return 0;
}
