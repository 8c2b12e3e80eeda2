// Storing undo states (with the autosave append) and the memory the ten slots take.
#include "bench/benchutil.h"
#include "schematic/core/autosave.h"
#include "schematic/core/sch_text.h"
#include "schematic/core/undo_ring.h"
#include "schematic/Schem_.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string TempFolder()
{
    static std::string folder = [] {
        char tmpl[] = "/tmp/ostrin-bench-XXXXXX";
        const char* d = mkdtemp(tmpl);
        return std::string(d ? d : "/tmp");
    }();
    return folder;
}

} // namespace

// One store of the whole drawing into the ring, plus its append to the autosave file.
// The file is removed after each store, outside the timing, so every store writes a new
// file of one state (a 100,000-shape state is 700,000 lines).
static void BM_StoreUndoWithAutosave(benchmark::State& state)
{
    const TSchModel m = benchutil::MakeDrawing(static_cast<int>(state.range(0)), 0, 0);
    TUndoRing ring;
    for (int i = 0; i < TUndoRing::SlotCount; ++i)
        ring.Store(m);   // an editing session: every slot has held a state already
    TAutoSaveFile file;
    file.MakeName(TempFolder());
    for (auto _ : state) {
        const std::string name = file.FileName();
        ring.Store(m);
        if (!file.Append(ring.Newest(), TempFolder()).Ok)
            state.SkipWithError("append failed");
        state.PauseTiming();
        ::unlink(name.c_str());
        state.ResumeTiming();
    }
    ::unlink(file.FileName().c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ring.Newest().TextView().size()));
}
BENCHMARK(BM_StoreUndoWithAutosave)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The first ten stores of a new window write into slots that never held anything, so
// their memory is fresh and the page faults show. The freed slots are handed back to the
// system between runs, or the next ring would reuse them. The time is that of all ten
// stores.
static void BM_StoreUndoFreshSlots(benchmark::State& state)
{
    const TSchModel m = benchutil::MakeDrawing(static_cast<int>(state.range(0)), 0, 0);
    for (auto _ : state) {
        state.PauseTiming();
        auto ring = std::make_unique<TUndoRing>();
        state.ResumeTiming();
        for (int i = 0; i < TUndoRing::SlotCount; ++i)
            ring->Store(m);
        state.PauseTiming();
        ring.reset();
        ::malloc_trim(0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StoreUndoFreshSlots)->Arg(100000)->Unit(benchmark::kMillisecond);

// Appending a small state to an autosave file that already holds `lines` lines: the cost
// must not grow with the file.
static void BM_AutosaveAppendToLongFile(benchmark::State& state)
{
    TAutoSaveFile file;
    file.MakeName(TempFolder());
    TLines prefill;
    prefill.Append("SCHEMATIC");
    for (int64_t i = 1; i < state.range(0); ++i)
        prefill.Append("<SHAPE>");
    if (state.range(0) > 0)
        file.Append(prefill, TempFolder());
    TSchModel small = benchutil::MakeDrawing(1, 0, 0);
    TLines slot;
    WriteSnapshot(small, slot);
    for (auto _ : state)
        if (!file.Append(slot, TempFolder()).Ok)
            state.SkipWithError("append failed");
    ::unlink(file.FileName().c_str());
}
BENCHMARK(BM_AutosaveAppendToLongFile)->Arg(0)->Arg(150000)->Arg(290000)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// Ten slots of a 100,000-shape drawing: bytes held against the bytes of their text.
static void BM_TenSlotsMemory(benchmark::State& state)
{
    TSchModel m = benchutil::MakeDrawing(100000, 0, 0);
    TUndoRing ring;
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i) {
            m.ShapeList.front().X1 = i;   // states of the same size, as edits make them
            ring.Store(m);
        }
    }
    std::size_t text = 0;
    for (int i = 1; i <= TUndoRing::SlotCount; ++i)
        text += ring.Slot(i).TextView().size();
    state.counters["held_MB"] = static_cast<double>(ring.ByteSize()) / 1e6;
    state.counters["text_MB"] = static_cast<double>(text) / 1e6;
    state.counters["ratio"] = static_cast<double>(ring.ByteSize()) / static_cast<double>(text);
}
BENCHMARK(BM_TenSlotsMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Opening a 100,000-shape file in a window: reading, finding the newest snapshot, building
// the lists and composing the picture into DrawBmp.
static void BM_OpenSchem(benchmark::State& state)
{
    const TSchModel m = benchutil::MakeDrawing(static_cast<int>(state.range(0)), 0, 0);
    TLines text;
    WriteSnapshot(m, text);
    const std::string path = TempFolder() + "/open.sch";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.TextView().data(), 1, text.TextView().size(), f);
        std::fclose(f);
    }
    auto win = std::make_unique<TSchWin>();
    for (auto _ : state) {
        win->OpenSchem(QString::fromStdString(path));
        if (win->Model.ShapeList.size() != m.ShapeList.size())
            state.SkipWithError("not loaded");
    }
    win->FormClose();
    ::unlink(path.c_str());
}
BENCHMARK(BM_OpenSchem)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ::rmdir(TempFolder().c_str());
    return 0;
}
