// Mouse moves during a drag (exclusive-or overlay only) and the click hit test on a large
// drawing.
#include "bench/benchutil.h"
#include "schematic/SchGestureCanvas.h"
#include "schematic/render/surface.h"

#include <benchmark/benchmark.h>

namespace {

struct BenchHost : TCanvasGestureHost {
    TSchModel model;
    TSchSurface surface;
    TRenderView view;
    int32_t drawMode = 0;
    PShapeRec hitShape = nullptr;
    PCompRec hitComp = nullptr;
    PTextRec hitText = nullptr;
    TCompRec ghost;
    bool redraws = true;

    explicit BenchHost(TSchModel m) : model(std::move(m))
    {
        surface.Resize(1600, 1000);
        for (int k = 0; k < 6; ++k)
            ghost.Shapes.push_back({1 + k % 3, -8 + 2 * k, -4, 8, 4 + k, 0, 0});
    }
    TCanvas& OverlayCanvas() override { return surface.WindowCanvas(); }
    TColor FillColor() const override { return view.FillColor; }
    TSchModel& Model() override { return model; }
    int32_t Scale() const override { return view.Scale; }
    int32_t OffsetX() const override { return view.OffsetX; }
    int32_t OffsetY() const override { return view.OffsetY; }
    int32_t DrawMode() const override { return drawMode; }
    PShapeRec& HitShape() override { return hitShape; }
    PCompRec& HitComp() override { return hitComp; }
    PTextRec& HitText() override { return hitText; }
    const TCompRec* PlaceComp() const override { return &ghost; }
    void StoreUndo() override {}
    void SetModified() override {}
    void SetStatus2(const std::string& s) override { benchmark::DoNotOptimize(s.data()); }
    void FullRedraw() override
    {
        if (redraws)
            surface.FullRedraw(model, view, hitShape, hitText, hitComp);
    }
    void BitmapRepaint() override { surface.BitmapRepaint(); }
    int32_t HScrollPos() const override { return 0; }
    int32_t VScrollPos() const override { return 0; }
    void SetHScrollPos(int32_t) override {}
    void SetVScrollPos(int32_t) override {}
    void SetScreenCursor(int) override {}
    void SetWindowCursor(int) override {}
    void SaveWindowCursor() override {}
    void RestoreWindowCursor() override {}
    int32_t DefaultArrow() const override { return 1; }
    void SetDefaultArrow(int32_t) override {}
    bool AskArrowType(int32_t&, bool&) override { return true; }
    bool AskText(TCharDlgValues&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowMessage(const std::string&) override {}
};

// Tool codes; -1 is the rubber band of the select tool.
void BM_DragMove(benchmark::State& state)
{
    BenchHost h(benchutil::MakeDrawing(10000, 500, 2000, 400));
    TSchGestures g(h);
    const int tool = static_cast<int>(state.range(0));
    h.drawMode = tool < 0 ? 0 : tool;
    TShiftState ctrl;
    ctrl.Ctrl = tool < 0;
    g.FormMouseDown(TMouseBtn::Left, ctrl, 400, 300);
    int i = 0;
    for (auto _ : state) {
        ++i;
        g.FormMouseMove({}, 400 + (i * 37) % 900, 300 + (i * 53) % 600);
    }
    g.FormMouseUp(TMouseBtn::Right, {}, 0, 0);
}
BENCHMARK(BM_DragMove)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Arg(6)->Arg(11)->Arg(12)->Arg(8)->Arg(10)->Arg(-1)
    ->Unit(benchmark::kMicrosecond);

// The search of one click (the redraws it causes are the renderer's cost, not this one's).
void BM_ClickHitTest(benchmark::State& state)
{
    BenchHost h(benchutil::MakeDrawing(10000, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 400));
    h.redraws = false;
    TSchGestures g(h);
    int i = 0;
    for (auto _ : state) {
        ++i;
        // Toggle keeps the click from clearing the selection; a miss walks every list.
        g.DoSelect(3000 + i % 7, 3000, true);
        benchmark::DoNotOptimize(h.hitShape);
    }
}
BENCHMARK(BM_ClickHitTest)->Args({0, 0})->Args({500, 2000})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }
