#include "schematic/render/render.h"
#include "schematic/render/surface.h"
#include "schematic/render/view_scale.h"

#include <gtest/gtest.h>
#include "tests/support/test_util.h"

namespace {


TRenderView View()
{
    TRenderView v;
    v.LineColor = 0x00AA00;
    v.FillColor = 0x800000;
    v.TextColor = 0x000080;
    v.SelColor = 0x0000FF;
    return v;
}

THandleBox At(int32_t px, int32_t py) { return {true, px - 2, py - 2}; }

} // namespace

TEST(Compose, LaterRecordsCoverEarlierOnes)
{
    TSchModel m;
    m.ShapeList.push_back(testutil::Shape(2, 2, 2, 10, 10, 1));
    m.ShapeList.push_back(testutil::Shape(1, 0, 6, 12, 6));   // across the filled rectangle
    TRenderView v = View();
    QImage img = NewBitmap(80, 60);
    TImageCanvas c(img);
    DrawCirc(c, m, v, nullptr);
    EXPECT_EQ(c.Pixel(20, 24), v.LineColor);
    EXPECT_EQ(c.Pixel(20, 20), v.FillColor);
    // Reversed order: the rectangle's fill hides the line inside it.
    m.ShapeList.reverse();
    QImage img2 = NewBitmap(80, 60);
    TImageCanvas c2(img2);
    DrawCirc(c2, m, v, nullptr);
    EXPECT_EQ(c2.Pixel(20, 24), v.FillColor);
    EXPECT_EQ(c2.Pixel(4, 24), v.LineColor);
}

TEST(Compose, ComponentsAtHalfScaleInTheCallersColours)
{
    // A component at (10, 5) with a line from half unit 0 to 8 and a text: at scale 4 the
    // line runs from pixel 40 to 56 on row 20.
    TSchModel m;
    TCompRec comp;
    comp.X = 10;
    comp.Y = 5;
    comp.Shapes.push_back(testutil::Shape(1, 0, 0, 8, 0));
    comp.Texts.push_back({"R1", 0, 40, 0x10, 0});
    m.CompList.push_back(comp);
    TRenderView v = View();
    for (int sel : {0, 1}) {
        m.CompList.front().Selected = sel;
        QImage img = NewBitmap(120, 80);
        TImageCanvas c(img);
        DrawCirc(c, m, v, nullptr);
        const TColor want = sel ? v.SelColor : v.LineColor;
        EXPECT_EQ(c.Pixel(40, 20), want);
        EXPECT_EQ(c.Pixel(56, 20), want);
        EXPECT_EQ(c.Pixel(57, 20), clWhite);
        // Text below the line in TextColor, or SelColor when the component is selected.
        int text = 0, other = 0;
        for (int y = 22; y < 60; ++y)
            for (int x = 36; x < 80; ++x) {
                text += c.Pixel(x, y) == (sel ? v.SelColor : v.TextColor);
                other += c.Pixel(x, y) == (sel ? v.TextColor : v.SelColor);
            }
        EXPECT_GT(text, 5) << sel;
        EXPECT_EQ(other, 0) << sel;
    }
    // Without texts only the shapes; a null component draws nothing.
    QImage img = NewBitmap(120, 80);
    TImageCanvas c(img);
    c.SetPenColor(0x123456);
    DrawComp(c, &m.CompList.front(), 10, 5, false, 2, v.FillColor);
    DrawComp(c, nullptr, 0, 0, true, 2, v.FillColor);
    int n = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            n += c.Pixel(x, y) != clWhite;
    EXPECT_EQ(n, 17);
}

TEST(Compose, HandleBoxesOfTheHitItem)
{
    TRenderView v;
    v.Scale = 4;
    v.OffsetX = 1;
    v.OffsetY = 2;
    const TShapeRec line = testutil::Shape(1, 3, 4, 8, 10, 0, 1);
    const TShapeRec arrow = testutil::Shape(6, 3, 4, 8, 10, 1, 1);
    const TShapeRec dot = testutil::Shape(4, 5, 6, 4, 4, 1, 1);
    const TShapeRec circle = testutil::Shape(4, 5, 6, 20, 20, 0, 1);
    const TShapeRec negLine = testutil::Shape(5, -3, -4, 0, 0, 0, 1);
    const TTextRec text{"t", 37, 55, 0, 1};
    TCompRec comp;
    comp.X = 7;
    comp.Y = 9;
    comp.Selected = 1;
    struct Case { const TShapeRec* s; const TTextRec* t; const TCompRec* c; THandleBoxes want; };
    const Case cases[] = {
        {&line, nullptr, nullptr, {At(16, 20), At(28, 32), At(8, 8)}},
        {&negLine, nullptr, nullptr, {At(-8, -16), At(-4, -8), At(-16, -24)}},   // -3 div 2 = -1
        {&arrow, &text, &comp, {At(8, 8), At(28, 32), {}}},
        {&dot, nullptr, nullptr, {At(16, 16), {}, {}}},
        {&circle, nullptr, nullptr, {At(16, 16), At(36, 16), {}}},             // radius handle 5 units right
        {nullptr, &text, &comp, {{true, (37 - 10) * 4 / 10 - 2, (55 - 20) * 4 / 10 - 2}, {}, {}}},
        {nullptr, nullptr, &comp, {At(24, 28), {}, {}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(HandleBoxesFor(cases[i].s, cases[i].t, cases[i].c, v), cases[i].want) << i;
    // Unselected or other kinds: nothing, and a hit shape hides a hit text.
    TShapeRec off = line;
    off.Selected = 0;
    EXPECT_EQ(HandleBoxesFor(&off, &text, &comp, v), THandleBoxes{});
    const TShapeRec odd = testutil::Shape(9, 1, 1, 2, 2, 0, 1);
    EXPECT_EQ(HandleBoxesFor(&odd, nullptr, nullptr, v), THandleBoxes{});
    TTextRec offText = text;
    offText.Selected = 0;
    EXPECT_EQ(HandleBoxesFor(nullptr, &offText, &comp, v), THandleBoxes{});
}

TEST(Compose, GridTilesCoverTheWindowFromTheCorner)
{
    // 170 x 90: tiles at x 0, 80, 160 and y 0, 80; the dark line of each tile is at its corner.
    QImage grid = MakeGridBmp(4, true);
    QImage img = NewBitmap(170, 90, 0x000000);
    TImageCanvas c(img);
    TSchModel empty;
    EXPECT_EQ(DrawCirc(c, empty, View(), &grid).ShapeCount, 0);
    for (int x : {0, 80, 160})
        for (int y : {0, 80})
            EXPECT_EQ(c.Pixel(x, y + 3), 0xB0E0FFu) << x << "," << y;
    EXPECT_EQ(c.Pixel(169, 89), clWhite);
    EXPECT_EQ(c.Pixel(164, 85), 0xF0F4FFu);
    // Without a background the canvas keeps what it held.
    QImage black = NewBitmap(20, 20, 0x000000);
    TImageCanvas b(black);
    DrawCirc(b, empty, View(), nullptr);
    EXPECT_EQ(black, NewBitmap(20, 20, 0x000000));
}

TEST(Surface, RedrawsWipeWhatWasDrawnOnTheWindow)
{
    TSchSurface s;
    s.Resize(100, 60);
    s.RebuildGrid(4, true);
    TSchModel m;
    m.ShapeList.push_back(testutil::Shape(2, 2, 2, 10, 10, 1, 1));
    const TShapeRec* hit = &m.ShapeList.front();
    const TComposeResult r = s.FullRedraw(m, View(), hit);
    EXPECT_EQ(r.ShapeCount, 1);
    EXPECT_EQ(r.Boxes.MoveBox, At(24, 24));
    EXPECT_EQ(s.Surface(), s.DrawBmp());
    const QImage composed = s.Surface();

    TImageCanvas& w = s.WindowCanvas();
    w.SetPenMode(TPenMode::Xor);
    w.SetPenColor(0x008000);
    w.SetBrushStyle(TBrushStyle::Clear);
    w.Rectangle(5, 5, 70, 50);
    EXPECT_NE(s.Surface(), composed);
    w.Rectangle(5, 5, 70, 50);
    EXPECT_EQ(s.Surface(), composed);   // XOR twice restores bit for bit
    w.Rectangle(5, 5, 70, 50);
    s.BitmapRepaint();
    EXPECT_EQ(s.Surface(), composed);
    // Resizing gives new images; the window canvas follows.
    s.Resize(40, 30);
    EXPECT_EQ(s.Surface().size(), QSize(40, 30));
    s.WindowCanvas().SetPixel(1, 1, 0x0000FF);
    EXPECT_EQ(s.Surface().pixel(1, 1), 0xFFFF0000u);
}
