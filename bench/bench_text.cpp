// Schematic text: reading (split + parse into the lists) and writing (lists to CR LF text).
#include "bench/benchutil.h"
#include "schematic/core/sch_text.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <malloc.h>

namespace {

// shapes : components : texts as 100000 : 2000 : 10000.
TSchModel Drawing(int64_t shapes)
{
    const int n = static_cast<int>(shapes);
    return benchutil::MakeDrawing(n, n / 50, n / 10);
}

// What opening a file does after reading it: the bytes read become the line list without a
// copy (FromBytes), then the lists are built. Each pass gets a fresh buffer, as a read gives;
// making it is not timed.
void BM_ReadText(benchmark::State& state)
{
    TLines lines;
    WriteSnapshot(Drawing(state.range(0)), lines);
    const std::string text = lines.Text();
    for (auto _ : state) {
        state.PauseTiming();
        sys::TByteBuf bytes;
        bytes.Append(text);
        state.ResumeTiming();
        TSchModel m;
        TLines slot = TLines::FromBytes(std::move(bytes));
        const TLoadReport r = DoLoad(slot, 0, m);
        benchmark::DoNotOptimize(r.Ok);
        benchmark::DoNotOptimize(m.ShapeList.size());
        state.PauseTiming();
        m.EraseMem();   // freeing the bytes and lists belongs to the next read, not this one
        slot.Clear();
        slot = TLines();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

// The same from text that is not ours to keep (the clipboard, an undo slot): it is copied.
void BM_ReadTextCopy(benchmark::State& state)
{
    TLines lines;
    WriteSnapshot(Drawing(state.range(0)), lines);
    const std::string text = lines.Text();
    for (auto _ : state) {
        TSchModel m;
        const TLoadReport r = DoLoad(TLines::FromText(text), 0, m);
        benchmark::DoNotOptimize(r.Ok);
        benchmark::DoNotOptimize(m.ShapeList.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_SplitLines(benchmark::State& state)
{
    TLines lines;
    WriteSnapshot(Drawing(state.range(0)), lines);
    const std::string text = lines.Text();
    for (auto _ : state)
        benchmark::DoNotOptimize(TLines::FromText(text).Count());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_WriteText(benchmark::State& state)
{
    const TSchModel m = Drawing(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        TLines out;
        WriteSnapshot(m, out);
        bytes = out.TextView().size();
        benchmark::DoNotOptimize(out.TextView().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

} // namespace

BENCHMARK(BM_ReadText)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadTextCopy)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SplitLines)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteText)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
// "--keep-memory": glibc maps blocks above 32 MB fresh at every allocation and unmaps them
// at every free, so at 1M shapes each loop pays the page faults of ~80 MB again (very slow
// on virtual machines). With the flag freed memory stays in the heap and the loop measures
// the code; without it the figures include those faults, as a single real load does.
int main(int argc, char** argv)
{
    int n = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep-memory") == 0) {
            mallopt(M_MMAP_MAX, 0);
            mallopt(M_TRIM_THRESHOLD, -1);
            continue;
        }
        argv[n++] = argv[i];
    }
    argc = n;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
