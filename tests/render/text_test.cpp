#include "schematic/render/render.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor kText = 0x000080;

TRect InkBox(const TImageCanvas& c, TColor col)
{
    TRect b{1 << 30, 1 << 30, -1, -1};
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.Pixel(x, y) == col) {
                b.Left = std::min(b.Left, x); b.Right = std::max(b.Right, x + 1);
                b.Top = std::min(b.Top, y); b.Bottom = std::max(b.Bottom, y + 1);
            }
    return b;
}

bool Inside(const TRect& in, const TRect& out, int tol = 1)
{
    return in.Left >= out.Left - tol && in.Top >= out.Top - tol && in.Right <= out.Right + tol &&
           in.Bottom <= out.Bottom + tol;
}

} // namespace

TEST(Text, SizeRuleByStepAndScale)
{
    struct Case { int32_t font; int32_t scale; int want; };
    for (const Case k : {Case{0x00, 1, 4}, Case{0x00, 2, 7}, Case{0x00, 4, 12}, Case{0x00, 8, 24},
                         Case{0x10, 2, 7}, Case{0x30, 1, 8}, Case{0x30, 2, 13}, Case{0x30, 4, 24},
                         Case{0x30, 8, 48}, Case{0xF0, 8, 192}, Case{0x30, 3, 99}, Case{0x30, 0, 99}})
        EXPECT_EQ(TextPointSize(k.font, k.scale, 99), k.want) << k.font << " at " << k.scale;
    EXPECT_STREQ(TextFontName(0x31), "Symbol");
    EXPECT_STREQ(TextFontName(0x30), "Times New Roman");
}

TEST(Text, AngleIsTakenModulo360)
{
    struct Case { int32_t font; int32_t want; };
    for (const Case k : {Case{90 * 256, 90}, Case{270 * 256 + 0x31, 270}, Case{450 * 256, 90},
                         Case{-90 * 256, 270}, Case{70000 * 256, 70000 % 360}, Case{0x7FFFFFFF, 8388607 % 360}})
        EXPECT_EQ(TextAngle(k.font), k.want) << k.font;
}

TEST(Text, PositionTruncatesTowardZero)
{
    TPoint p;
    ASSERT_TRUE(FreeTextPos({"a", 105, -3, 0, 0}, 4, 0, 0, p));
    EXPECT_EQ(p, (TPoint{42, -1}));
    ASSERT_TRUE(FreeTextPos({"a", 105, 100, 0, 0}, 8, 5, 2, p));
    EXPECT_EQ(p, (TPoint{44, 64}));
    EXPECT_FALSE(FreeTextPos({"a", 2147483647, 0, 0, 0}, 8, -100000000, 0, p));
}

TEST(Text, FreeTextTurnsCounterClockwiseAboutItsReferencePoint)
{
    // The reference point (100, 100) is the top-left of the cell before turning.
    struct Case { int32_t angle; int dx0, dy0, dx1, dy1; };   // signs of the ink's extent
    for (const Case k : {Case{0, 0, 0, 1, 1}, Case{90, 0, -1, 1, 0}, Case{180, -1, -1, 0, 0},
                         Case{270, -1, 0, 0, 1}}) {
        QImage img = NewBitmap(200, 200);
        TImageCanvas c(img);
        TRenderView v;
        v.Scale = 4;
        v.TextColor = kText;
        const TTextRec t{"Wide text", 250, 250, k.angle * 256 + 0x20, 0};   // 18 pt at scale 4
        DrawFreeText(c, t, v);
        const TRect ink = InkBox(c, kText);
        ASSERT_GT(ink.Right, ink.Left) << k.angle;
        // Ink lies in the quadrants the cell turns into.
        const TRect want{k.dx0 < 0 ? 0 : 100, k.dy0 < 0 ? 0 : 100, k.dx1 > 0 ? 200 : 100, k.dy1 > 0 ? 200 : 100};
        EXPECT_TRUE(Inside(ink, want, 1)) << k.angle << ": " << ink.Left << "," << ink.Top << " " << ink.Right << "," << ink.Bottom;
        // The box given for hit testing holds the ink and is turned the same way.
        const TRect box = FreeTextPixelBox(t, v);
        EXPECT_TRUE(Inside(ink, box, 1)) << k.angle;
        const TSize ext = FreeTextExtent(t, 4);
        const bool upright = k.angle == 90 || k.angle == 270;
        EXPECT_EQ(box.Right - box.Left, upright ? ext.Height : ext.Width) << k.angle;
        EXPECT_EQ(box.Bottom - box.Top, upright ? ext.Width : ext.Height) << k.angle;
    }
}

TEST(Text, SelectedFreeTextTakesTheSelectionColourAndAClearBackground)
{
    QImage img = NewBitmap(200, 100);
    TImageCanvas c(img);
    c.SetBrushColor(0x00FF00);   // a solid brush left by an earlier step
    TRenderView v;
    v.TextColor = kText;
    v.SelColor = clRed;
    DrawFreeText(c, {"Sel", 100, 100, 0x30, 1}, v);
    DrawFreeText(c, {"Not", 300, 100, 0x30, 0}, v);
    EXPECT_GT(InkBox(c, clRed).Right, 0);
    EXPECT_LE(InkBox(c, clRed).Right, 80);
    EXPECT_GE(InkBox(c, kText).Left, 28);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_NE(c.Pixel(x, y), 0x00FF00u);
}

TEST(Text, ComponentTextIsNeverTurnedAndUsesHalfScale)
{
    // Angle 90 on a component text: still horizontal. At scale 8 (half 4) step 3 is 24 pt,
    // the same as a free text of step 3 at scale 4.
    auto draw = [](bool comp) {
        QImage img = NewBitmap(300, 200);
        TImageCanvas c(img);
        c.Font().Color = kText;
        if (comp) {
            TCompRec cr;
            cr.X = 10;
            cr.Y = 20;
            cr.Texts.push_back({"Resistor", 40, -100, 90 * 256 + 0x30, 0});   // 2 and -5 units
            DrawComp(c, &cr, cr.X - 5, cr.Y - 5, true, 4, clNavy);
        } else {
            TRenderView v;
            v.TextColor = kText;
            DrawFreeText(c, {"Resistor", 70, 100, 0x30, 0}, v);   // (28, 40) at scale 4
        }
        return img;
    };
    const QImage comp = draw(true), free = draw(false);
    // Component: ((40 + 20*5) * 4) div 10 = 56, ((-100 + 20*15) * 4) div 10 = 80.
    QImage shifted = NewBitmap(300, 200);
    {
        TImageCanvas c(shifted);
        c.Draw(28, 40, free.copy(0, 0, 272, 160));
    }
    EXPECT_EQ(comp, shifted);
}
