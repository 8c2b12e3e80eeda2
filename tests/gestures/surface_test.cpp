// The gesture machine on a real window surface: outlines are exclusive-or drawings that
// leave the picture exactly as it was when drawn a second time.
#include <gtest/gtest.h>

#include "schematic/SchGestureCanvas.h"
#include "schematic/render/surface.h"
#include "tests/support/test_util.h"

namespace {

struct SurfaceHost : TCanvasGestureHost {
    TSchModel model;
    TSchSurface surface;
    TRenderView view;
    int32_t drawMode = 0, hPos = 0, vPos = 0;
    PShapeRec hitShape = nullptr;
    PCompRec hitComp = nullptr;
    PTextRec hitText = nullptr;
    const TCompRec* placeComp = nullptr;
    int undo = 0;

    SurfaceHost() { surface.Resize(320, 240); }
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
    const TCompRec* PlaceComp() const override { return placeComp; }
    void StoreUndo() override { ++undo; }
    void SetModified() override {}
    void SetStatus2(const std::string&) override {}
    void FullRedraw() override { surface.FullRedraw(model, view, hitShape, hitText, hitComp); }
    void BitmapRepaint() override { surface.BitmapRepaint(); }
    int32_t HScrollPos() const override { return hPos; }
    int32_t VScrollPos() const override { return vPos; }
    void SetHScrollPos(int32_t v) override { hPos = v; }
    void SetVScrollPos(int32_t v) override { vPos = v; }
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


TEST(GestureSurface, OutlinesRestoreThePictureBitForBit)
{
    TCompRec comp;
    comp.Shapes.push_back(testutil::Shape(2, -6, -6, 6, 6, 1));
    comp.Shapes.push_back(testutil::Shape(4, 0, 0, 8, 8));
    for (int tool : {1, 2, 3, 4, 5, 6, 8, 10, 11, 12, 0}) {
        SurfaceHost h;
        h.model.ShapeList.push_back(testutil::Shape(1, 2, 2, 70, 50));
        h.model.ShapeList.push_back(testutil::Shape(2, 10, 10, 30, 20, 1));
        h.placeComp = &comp;
        h.drawMode = tool;
        TSchGestures g(h);
        h.FullRedraw();
        const QImage picture = h.surface.Surface().copy();
        TShiftState ctrl;
        ctrl.Ctrl = true;
        g.FormMouseDown(TMouseBtn::Left, ctrl, 101, 99);
        const QImage atPress = h.surface.Surface().copy();
        if (tool != 0) {
            EXPECT_NE(atPress, picture) << tool;  // a crosshair or the ghost shows at the press
        }
        for (auto [x, y] : {std::pair{150, 60}, {30, 200}, {250, 230}, {60, 20}})
            g.FormMouseMove({}, x, y);
        if (tool == 10) {
            // The polyline's segments stay; only its crosshair follows. Escape wipes both.
            g.Escape();
            EXPECT_EQ(h.surface.Surface(), picture);
            continue;
        }
        EXPECT_NE(h.surface.Surface(), atPress) << tool;
        g.FormMouseMove({}, 101, 99);
        EXPECT_EQ(h.surface.Surface(), atPress) << "tool " << tool;
        g.Escape();
        EXPECT_EQ(h.surface.Surface(), picture) << tool;
        EXPECT_EQ(h.undo, 0);
    }
}

TEST(GestureSurface, TextIsHitInsideItsMeasuredBox)
{
    // Tabs and some symbol glyphs reach further than the font's stated widest character.
    const struct {
        const char* text;
        bool symbol;
        int32_t step;
    } cases[] = {
        {"Hello world", false, 3},
        {"\t\t\t\t", false, 3},
        {"\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB\xAB", true, 15},
    };
    for (const auto& c : cases) {
        SurfaceHost h;
        TTextRec t;
        t.Text = c.text;
        t.Font = font::Make(c.symbol, c.step, 0);
        t.X = 100;
        t.Y = 100;
        h.model.TextList.push_back(t);
        TSchGestures g(h);
        const TSize px = FreeTextExtent(t, 4);
        ASSERT_GT(px.Width, 40) << c.text;
        ASSERT_GT(px.Height, 10) << c.text;
        // The last world unit inside the box, and the first beyond it.
        const int32_t lastX = static_cast<int32_t>((100 + px.Width * 10 / 4 + 1 - 1) / 10);
        g.FormMouseDown(TMouseBtn::Left, {}, lastX * 4 + 1, 12 * 4);
        EXPECT_EQ(h.hitText, &h.model.TextList.front()) << c.text;
        g.FormMouseUp(TMouseBtn::Left, {}, lastX * 4 + 1, 12 * 4);
        const int32_t beyond = static_cast<int32_t>((100 + px.Width * 10 / 4 + 1 + 9) / 10);
        g.FormMouseDown(TMouseBtn::Left, {}, beyond * 4 + 1, 12 * 4);
        EXPECT_EQ(h.hitText, nullptr) << c.text;
        EXPECT_EQ(g.MouseState, 4) << c.text;
        g.FormMouseUp(TMouseBtn::Left, {}, beyond * 4 + 1, 12 * 4);
    }
}

} // namespace
