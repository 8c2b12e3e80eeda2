#include "bench/benchutil.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace benchutil {

TSchModel MakeDrawing(int shapes, int comps, int texts, int extent)
{
    static const int32_t kinds[] = {1, 2, 3, 4, 5, 6, 11, 12};
    TSchModel m;
    uint32_t seed = 12345;
    auto rnd = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(n));
    };
    for (int i = 0; i < shapes; ++i) {
        TShapeRec s;
        s.Kind = kinds[i % 8];
        s.X1 = rnd(extent);
        s.Y1 = rnd(extent);
        if (s.Kind == 4) {
            s.X2 = s.Y2 = 4 + 4 * rnd(5);
        } else {
            s.X2 = s.X1 + 1 + rnd(20);
            s.Y2 = s.Y1 + 1 + rnd(20);
        }
        s.Style = (s.Kind == 11) ? 0x201 : rnd(2) * 16;
        m.ShapeList.push_back(s);
    }
    for (int i = 0; i < comps; ++i) {
        TCompRec c;
        c.X = rnd(extent);
        c.Y = rnd(extent);
        for (int k = 0; k < 6; ++k)
            c.Shapes.push_back({1 + k % 3, -8 + 2 * k, -4, 8, 4 + k, 0, 0});
        c.Texts.push_back({"R" + std::to_string(i), 20, -40, 0x30, 0});
        m.CompList.push_back(std::move(c));
    }
    for (int i = 0; i < texts; ++i)
        m.TextList.push_back({"Text " + std::to_string(i), rnd(extent) * 10, rnd(extent) * 10, 0x30, 0});
    return m;
}

int RunWithGui(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);  // widgets too (the picker)
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace benchutil
