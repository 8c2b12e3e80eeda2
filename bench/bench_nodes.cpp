// Numbering the nets of a long chain of touching lines.
#include "schematic/core/nodes.h"

#include <benchmark/benchmark.h>

namespace {

// A staircase of `count` lines, each touching only its neighbours; drawn from its start,
// or from its end when reversed.
TShapeList Staircase(int count, bool reversed)
{
    TShapeList shapes;
    int32_t x = 0, y = 0;
    for (int i = 0; i < count; ++i) {
        TShapeRec s{1, x, y, x, y, 0, 0};
        if (i % 2 == 0)
            s.X2 = x += 10;
        else
            s.Y2 = y += 10;
        if (reversed)
            shapes.push_front(s);
        else
            shapes.push_back(s);
    }
    return shapes;
}

void BM_NumberChain(benchmark::State& state)
{
    const TShapeList shapes = Staircase(static_cast<int>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        std::vector<TNodeLine> lines = NodeLines(shapes);
        const int32_t nets = NumberNets(lines);
        if (nets != 1)
            state.SkipWithError("chain split");
        benchmark::DoNotOptimize(lines.data());
    }
}

} // namespace

BENCHMARK(BM_NumberChain)->Args({2000, 1})->Args({2000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
