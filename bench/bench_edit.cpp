// Editing the selection: one step of the right-button move preview, the arrow-key nudge with
// its undo state, turning components and duplicating the selection.
#include "bench/benchutil.h"
#include "schematic/SchKeys.h"
#include "schematic/SchMouse.h"
#include "schematic/Schem_.h"
#include "schematic/core/edits.h"
#include "schematic/core/sch_menus.h"
#include "schematic/core/undo_ring.h"

#include <benchmark/benchmark.h>

namespace {

// A window of 1600 by 1000 pixels holding the drawing, everything selected.
std::unique_ptr<TSchWin> MakeWindow(TSchModel m)
{
    auto win = std::make_unique<TSchWin>();
    win->Client->resize(1600, 1000);
    win->FormResize();
    SelectAll(m);
    win->Model = std::move(m);
    win->FullRedraw();
    return win;
}

// One pointer move of the right-button drag: the last outline erased, the new one drawn.
void BM_MovePreviewStep(benchmark::State& state)
{
    auto win = MakeWindow(benchutil::MakeDrawing(static_cast<int>(state.range(0)), 0, 0, 400));
    TSchGestures& g = win->Gestures->Machine;
    g.FormMouseDown(TMouseBtn::Right, {}, 400, 300);
    int i = 0;
    for (auto _ : state) {
        ++i;
        g.FormMouseMove({}, 400 + (i * 37) % 900, 300 + (i * 53) % 600);
    }
    g.Escape();
}
BENCHMARK(BM_MovePreviewStep)->Arg(10000)->Unit(benchmark::kMillisecond);

// The model side of an arrow key: the undo state, then every selected item moved.
void BM_NudgeWithUndo(benchmark::State& state)
{
    TSchModel m = benchutil::MakeDrawing(static_cast<int>(state.range(0)), 0, 0, 400);
    SelectAll(m);
    TUndoRing ring;
    int i = 0;
    for (auto _ : state) {
        ring.Store(m);
        benchmark::DoNotOptimize(edits::NudgeSelection(m, 1 + (i++ & 1), false));
    }
}
BENCHMARK(BM_NudgeWithUndo)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole key in a window: undo state, nudge and the full redraw it ends with.
void BM_ArrowKeyInWindow(benchmark::State& state)
{
    auto win = MakeWindow(benchutil::MakeDrawing(static_cast<int>(state.range(0)), 0, 0, 400));
    int i = 0;
    for (auto _ : state)
        win->Keys->FormKeyDown((i++ & 1) ? vk::Left : vk::Right, {});
}
BENCHMARK(BM_ArrowKeyInWindow)->Arg(10000)->Unit(benchmark::kMillisecond);

// Turning selected components of 20 shapes each, model only.
void BM_TurnComponents(benchmark::State& state)
{
    TSchModel m;
    for (int i = 0; i < state.range(0); ++i) {
        TCompRec c;
        c.X = i;
        c.Selected = 1;
        for (int k = 0; k < 20; ++k)
            c.Shapes.push_back({1 + k % 5, -8 + k, -4 - k, 8 - k, 4 + k, 0, 0});
        c.Texts.push_back({"R" + std::to_string(i), 20, -40, 0x30, 0});
        m.CompList.push_back(std::move(c));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(edits::TurnSelection(m, edits::Clockwise, nullptr).Comps);
}
BENCHMARK(BM_TurnComponents)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Duplicating a selection of shapes, components and texts, model only; and with the undo
// state the command stores first.
void BM_Duplicate(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    TSchModel base = benchutil::MakeDrawing(n * 8 / 10, n / 10, n / 10, 400);
    SelectAll(base);
    const bool undo = state.range(1) != 0;
    TUndoRing ring;
    for (auto _ : state) {
        state.PauseTiming();
        TSchModel m = base;
        state.ResumeTiming();
        if (undo)
            ring.Store(m);
        benchmark::DoNotOptimize(edits::DuplicateSelection(m, 4).Shapes);
        state.PauseTiming();
        m = TSchModel();   // freeing the copies is not part of the command
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Duplicate)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }
