// Full redraw of a generated drawing into a window-sized bitmap.
#include "bench/benchutil.h"
#include "schematic/render/surface.h"
#include "schematic/render/view_scale.h"

#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"

#include "platform/sys/files.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 10,000 shapes, 500 components, 2,000 texts at scale 4 into 1600 x 1000; range(0) is the
// world extent the drawing is spread over (1000 is the target case; 250 puts all of it in view).
void BM_FullRedraw(benchmark::State& state)
{
    const TSchModel m = benchutil::MakeDrawing(10000, 500, 2000, static_cast<int>(state.range(0)));
    TSchSurface s;
    s.Resize(1600, 1000);
    s.RebuildGrid(4, true);
    TRenderView v;
    for (auto _ : state) {
        const TComposeResult r = s.FullRedraw(m, v);
        benchmark::DoNotOptimize(r.ShapeCount);
    }
}
BENCHMARK(BM_FullRedraw)->Arg(1000)->Arg(250)->Unit(benchmark::kMillisecond);

// The same count of records all lying outside the view: only the culling costs.
void BM_FullRedrawOutsideView(benchmark::State& state)
{
    TSchModel m = benchutil::MakeDrawing(10000, 500, 2000, 1000);
    for (auto& sh : m.ShapeList) { sh.X1 += 5000; sh.X2 += 5000; }
    for (auto& c : m.CompList) c.X += 5000;
    for (auto& t : m.TextList) t.X += 50000;
    TSchSurface s;
    s.Resize(1600, 1000);
    s.RebuildGrid(4, true);
    TRenderView v;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.FullRedraw(m, v).ShapeCount);
}
BENCHMARK(BM_FullRedrawOutsideView)->Unit(benchmark::kMillisecond);

// Cost linear in the records: drawings of growing size over the same area.
void BM_FullRedrawScaling(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const TSchModel m = benchutil::MakeDrawing(n, n / 20, n / 5, 1000);
    TSchSurface s;
    s.Resize(1600, 1000);
    s.RebuildGrid(4, true);
    TRenderView v;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.FullRedraw(m, v).ShapeCount);
    state.SetComplexityN(n);
}
BENCHMARK(BM_FullRedrawScaling)->RangeMultiplier(2)->Range(2500, 40000)->Unit(benchmark::kMillisecond)->Complexity();

// A drawing of 1,000,000 records: a crowded corner (the 12,500 records of the 250 case
// above, at the origin) and the rest spread thinly over 100,000 units square. range(0) picks
// the view: 0 the crowded corner, 1 half on its edge, 2 far out where few records lie.
// Every view but the crowded part's records must cost almost nothing.
const TSchModel& HugeDrawing()
{
    static const TSchModel m = [] {
        TSchModel d = benchutil::MakeDrawing(790000, 39500, 158000, 100000);
        TSchModel crowd = benchutil::MakeDrawing(10000, 500, 2000, 250);
        d.ShapeList.splice(d.ShapeList.end(), crowd.ShapeList);
        d.CompList.splice(d.CompList.end(), crowd.CompList);
        d.TextList.splice(d.TextList.end(), crowd.TextList);
        return d;
    }();
    return m;
}

void BM_FullRedrawHuge(benchmark::State& state)
{
    const TSchModel& m = HugeDrawing();
    TSchSurface s;
    s.Resize(1600, 1000);
    s.RebuildGrid(4, true);
    TRenderView v;
    static const int32_t offsets[][2] = {{0, 0}, {200, 125}, {50000, 50000}};
    v.OffsetX = offsets[state.range(0)][0];
    v.OffsetY = offsets[state.range(0)][1];
    for (auto _ : state)
        benchmark::DoNotOptimize(s.FullRedraw(m, v).ShapeCount);
    state.counters["records"] =
        static_cast<double>(m.ShapeList.size() + m.CompList.size() + m.TextList.size());
}
BENCHMARK(BM_FullRedrawHuge)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Only rejection: 1,000,000 records, none of them in view, no background; the time per
// record is what a record outside the view costs.
void BM_RejectOutside(benchmark::State& state)
{
    const TSchModel& m = HugeDrawing();
    QImage img = NewBitmap(1600, 1000);
    TImageCanvas c(img);
    TRenderView v;
    v.OffsetX = v.OffsetY = -200000;
    const double n = static_cast<double>(m.ShapeList.size() + m.CompList.size() + m.TextList.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawCirc(c, m, v, nullptr).ShapeCount);
    state.counters["ns_per_record"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RejectOutside)->Unit(benchmark::kMillisecond);

// What sch2png does after reading: the fixture with every kind at each view scale.
void BM_ComposeFixture(benchmark::State& state)
{
    const std::string here = __FILE__;
    std::string bytes, error;
    if (!sys::ReadRegularFile(here.substr(0, here.rfind('/')) + "/../tests/data/render_all.sch", bytes, error)) {
        state.SkipWithError(("fixture not read: " + error).c_str());
        return;
    }
    TSchModel m;
    DoLoad(TLines::FromText(bytes), 0, m);
    const int32_t scale = static_cast<int32_t>(state.range(0));
    const QImage grid = MakeGridBmp(scale, true);
    QImage img = NewBitmap(1600, 1000);
    TImageCanvas c(img);
    TRenderView v;
    v.Scale = scale;
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawCirc(c, m, v, &grid).ShapeCount);
}
BENCHMARK(BM_ComposeFixture)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

// One kind at a time, all in view (range(0) is the kind; 0 stands for 2,000 free texts).
void BM_KindInView(benchmark::State& state)
{
    const int32_t kind = static_cast<int32_t>(state.range(0));
    TSchModel all = benchutil::MakeDrawing(10000, 0, 2000, 250);
    TSchModel m;
    if (kind == 0)
        m.TextList = all.TextList;
    for (const TShapeRec& sh : all.ShapeList)
        if (sh.Kind == kind)
            m.ShapeList.push_back(sh);
    QImage img = NewBitmap(1600, 1000);
    TImageCanvas c(img);
    TRenderView v;
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawCirc(c, m, v, nullptr).ShapeCount);
    state.counters["records"] = static_cast<double>(m.ShapeList.size() + m.TextList.size());
}
BENCHMARK(BM_KindInView)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Arg(6)->Arg(11)->Arg(12)->Unit(benchmark::kMillisecond);

void BM_BitmapRepaint(benchmark::State& state)
{
    TSchSurface s;
    s.Resize(1600, 1000);
    for (auto _ : state)
        s.BitmapRepaint();
}
BENCHMARK(BM_BitmapRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }
