#include "bench/benchutil.h"

#include <benchmark/benchmark.h>

static void BM_MakeDrawing(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(benchutil::MakeDrawing(static_cast<int>(state.range(0)), 100, 100));
}
BENCHMARK(BM_MakeDrawing)->Arg(10000);
BENCHMARK_MAIN();
