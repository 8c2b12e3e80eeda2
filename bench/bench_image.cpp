// Pictures out: composing the export picture and encoding it in every format.
#include "bench/benchutil.h"
#include "platform/emf_canvas.h"
#include "platform/image_write.h"
#include "schematic/render/export.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 3,000 shapes, 150 components and 600 texts composed into 1600 x 1000 at scale 4.
const TSchModel& Drawing()
{
    static const TSchModel m = benchutil::MakeDrawing(3000, 150, 600, 300);
    return m;
}

TRenderView View()
{
    TRenderView v;
    v.Scale = 4;
    return v;
}

QImage Compose()
{
    QImage img = NewBitmap(1600, 1000);
    TImageCanvas c(img);
    DrawCirc(c, Drawing(), View(), nullptr);
    return img;
}

const QImage& Picture()
{
    static const QImage img = Compose();
    return img;
}

void BM_ComposeExport(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Compose().constBits());
}
BENCHMARK(BM_ComposeExport)->Unit(benchmark::kMillisecond);

void BM_EncodePng(benchmark::State& state)
{
    std::string out, error;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodePng(Picture(), out, error));
    state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);

void BM_EncodeJpeg100(benchmark::State& state)
{
    std::string out, error;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeJpeg(Picture(), 100, out, error));
    state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_EncodeJpeg100)->Unit(benchmark::kMillisecond);

void BM_EncodeGif(benchmark::State& state)
{
    std::string out, error;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeGif(Picture(), out, error));
    state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_EncodeGif)->Unit(benchmark::kMillisecond);

// The palette path when the picture has more than 256 colours.
void BM_EncodeGifManyColours(benchmark::State& state)
{
    QImage img = Picture().copy();
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 7)
            img.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
    std::string out, error;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeGif(img, out, error));
}
BENCHMARK(BM_EncodeGifManyColours)->Unit(benchmark::kMillisecond);

void BM_EncodeBmp(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    std::string out, error;
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeBmp(Picture(), bits, out, error));
}
BENCHMARK(BM_EncodeBmp)->Arg(24)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_Metafile(benchmark::State& state)
{
    size_t bytes = 0;
    for (auto _ : state) {
        TEmfCanvas c(1600, 1000);
        DrawCirc(c, Drawing(), View(), nullptr);
        bytes = c.Finish().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Metafile)->Unit(benchmark::kMillisecond);

// A whole 10,000-object drawing exported at scale 2 to PNG: compose, then encode.
void BM_ExportWholeDrawingPng(benchmark::State& state)
{
    const TSchModel m = benchutil::MakeDrawing(7500, 500, 2000, 1000);
    TRenderView v;
    v.Scale = 2;
    std::string out, error;
    for (auto _ : state) {
        const QImage bmp = ComposeExportBitmap(m, v);
        benchmark::DoNotOptimize(EncodePng(bmp, out, error));
        state.counters["width"] = bmp.width();
        state.counters["height"] = bmp.height();
    }
}
BENCHMARK(BM_ExportWholeDrawingPng)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }
