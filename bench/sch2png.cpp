// sch2png FILE.sch OUT.png [SCALE]: reads a schematic and saves the picture a new window
// would show (white background with the grid, default colours, offsets 0) as a PNG.
#include "platform/sys/files.h"
#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"
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
    if (argc < 3 || argc > 4)
        return Fail("usage: sch2png FILE.sch OUT.png [SCALE]  (SCALE 2, 4 or 8; 4 by default)");
    int scale = 4;
    if (argc == 4) {
        const std::string s = argv[3];
        if (s == "2" || s == "4" || s == "8")
            scale = s[0] - '0';
        else
            return Fail("SCALE must be 2, 4 or 8, not \"" + s + "\"");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    // Through the one reader: a FIFO or a device never blocks, and the reason is told.
    std::string bytes, error;
    if (!sys::ReadRegularFile(argv[1], bytes, error))
        return Fail(std::string("cannot read ") + argv[1] + ": " + error);

    TSchModel model;
    const TLoadReport rep = DoLoad(TLines::FromText(bytes), 0, model);
    if (!rep.Ok)
        return Fail(Lines(rep.Message));
    if (!rep.Message.empty())
        std::fprintf(stderr, "%s\n", Lines(rep.Message).c_str());

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
    if (!picture.save(QString::fromLocal8Bit(argv[2]), "PNG"))
        return Fail(std::string("cannot write ") + argv[2]);
    std::printf("%s\n", ShapeCountText(res.ShapeCount).c_str());
    return 0;
}
