#include "platform/canvas.h"
#include "platform/fonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr TColor kInk = 0x123456;

struct Img {
    QImage image = NewBitmap(64, 48);
    TImageCanvas c{image};
    Img() { c.SetPenColor(kInk); }
    bool Ink(int x, int y) const { return c.Pixel(x, y) == kInk; }
    // Inked pixels of a row as a string of '#' and '.'.
    std::string Row(int y, int from, int to) const
    {
        std::string s;
        for (int x = from; x <= to; ++x)
            s += c.Pixel(x, y) == clWhite ? '.' : '#';
        return s;
    }
    int Count(TColor col) const
    {
        int n = 0;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.Pixel(x, y) == col;
        return n;
    }
};

} // namespace

TEST(Canvas, ColoursAreBlueGreenRed)
{
    EXPECT_EQ(ColorToRgb(0x0000FF), 0xFFFF0000u);
    EXPECT_EQ(ColorToRgb(0x800000), 0xFF000080u);
    EXPECT_EQ(RgbToColor(0xFFFF0000u), 0x0000FFu);
    Img m;
    m.c.SetBrushColor(0x800000);
    m.c.FillRect({0, 0, 1, 1});
    EXPECT_EQ(m.image.pixel(0, 0), 0xFF000080u);
}

TEST(Canvas, LineToLeavesOutTheEndPixel)
{
    struct Case { int x0, y0, x1, y1; std::vector<std::pair<int, int>> on, off; };
    const Case cases[] = {
        {2, 5, 8, 5, {{2, 5}, {7, 5}}, {{1, 5}, {8, 5}}},
        {8, 5, 2, 5, {{8, 5}, {3, 5}}, {{2, 5}, {9, 5}}},
        {3, 1, 3, 9, {{3, 1}, {3, 8}}, {{3, 9}, {3, 0}}},
        {0, 0, 6, 6, {{0, 0}, {3, 3}, {5, 5}}, {{6, 6}}},
        {0, 0, 6, 3, {{0, 0}, {2, 1}, {5, 3}}, {{6, 3}}},   // halves round toward the end
    };
    for (const Case& k : cases) {
        Img m;
        m.c.MoveTo(k.x0, k.y0);
        m.c.LineTo(k.x1, k.y1);
        for (auto [x, y] : k.on)
            EXPECT_TRUE(m.Ink(x, y)) << k.x0 << "," << k.y0 << "->" << k.x1 << "," << k.y1 << " at " << x << "," << y;
        for (auto [x, y] : k.off)
            EXPECT_FALSE(m.Ink(x, y)) << k.x0 << "," << k.y0 << "->" << k.x1 << "," << k.y1 << " at " << x << "," << y;
        EXPECT_EQ(m.c.PenPos(), (TPoint{k.x1, k.y1}));
    }
    Img m;   // one pixel per major step, none twice
    m.c.MoveTo(1, 1);
    m.c.LineTo(40, 20);
    EXPECT_EQ(m.Count(kInk), 39);
}

TEST(Canvas, FarAwayLineEndsAreClippedNotWalked)
{
    Img m;
    m.c.MoveTo(-2000000000, 7);
    m.c.LineTo(2000000000, 7);
    EXPECT_EQ(m.Row(7, 0, 63), std::string(64, '#'));
    EXPECT_EQ(m.Count(kInk), 64);
    // A steep line crossing the image: the same pixels as when drawn from nearby.
    Img far, near;
    far.c.MoveTo(-1000000000, -2000000000);
    far.c.LineTo(1000000000, 2000000000);
    near.c.MoveTo(-10, -20);
    near.c.LineTo(30, 60);
    EXPECT_EQ(far.image, near.image);
}

TEST(Canvas, RectangleLeavesOutRightAndBottomEdges)
{
    Img m;
    m.c.SetBrushColor(0x00FF00);
    m.c.Rectangle(4, 4, 11, 11);
    EXPECT_EQ(m.Row(4, 3, 11), ".#######.");
    EXPECT_EQ(m.Row(7, 3, 11), ".#######.");
    EXPECT_TRUE(m.Ink(4, 7));
    EXPECT_TRUE(m.Ink(10, 7));
    EXPECT_EQ(m.c.Pixel(7, 7), 0x00FF00u);
    EXPECT_TRUE(m.Ink(7, 10));
    EXPECT_FALSE(m.Ink(7, 11));
    EXPECT_EQ(m.Count(kInk), 24);

    Img hollow;
    hollow.c.SetBrushStyle(TBrushStyle::Clear);
    hollow.c.Rectangle(4, 4, 11, 11);
    EXPECT_EQ(hollow.c.Pixel(7, 7), clWhite);
    EXPECT_EQ(hollow.Count(kInk), 24);
}

TEST(Canvas, XorDrawnTwiceRestoresTheImage)
{
    Img m;
    // Something under the outlines.
    m.c.SetBrushColor(0x3366CC);
    m.c.FillRect({5, 5, 40, 30});
    const QImage before = m.image.copy();
    auto draw = [](TCanvas& c) {
        c.SetBrushStyle(TBrushStyle::Clear);
        for (int w : {1, 3}) {
            c.SetPenWidth(w);
            c.MoveTo(2, 3);
            c.LineTo(50, 40);
            c.LineTo(10, 44);
            c.Rectangle(3, 3, 30, 20);
            c.Ellipse(10, 8, 45, 40);
            c.Arc(0, 0, 40, 40, 40, 0, 0, 40);
            const TPoint tri[3] = {{5, 5}, {30, 10}, {12, 35}};
            c.Polygon(tri, 3);
        }
        c.SetPenWidth(1);
        c.SetPenStyle(TPenStyle::DashDot);
        c.MoveTo(0, 46);
        c.LineTo(63, 20);
        c.SetPenStyle(TPenStyle::Solid);
    };
    for (TPenMode mode : {TPenMode::Xor, TPenMode::Not}) {
        m.c.SetPenMode(mode);
        m.c.SetPenColor(0x00A0F0);
        draw(m.c);
        EXPECT_NE(m.image, before);
        draw(m.c);
        EXPECT_EQ(m.image, before) << "mode " << static_cast<int>(mode);
    }
}

TEST(Canvas, DashPhaseRunsOnAcrossLineToAndRestartsAtMoveTo)
{
    Img m;
    m.c.SetBrushStyle(TBrushStyle::Clear);
    m.c.SetPenStyle(TPenStyle::Dash);
    m.c.MoveTo(0, 1);
    m.c.LineTo(10, 1);
    m.c.LineTo(40, 1);
    EXPECT_EQ(m.Row(1, 0, 39), std::string(18, '#') + std::string(6, '.') + std::string(16, '#'));
    m.c.MoveTo(0, 3);
    m.c.LineTo(20, 3);
    m.c.MoveTo(20, 3);
    m.c.LineTo(40, 3);
    EXPECT_EQ(m.Row(3, 0, 39), std::string(18, '#') + "..##" + std::string(16, '#') + "..");

    struct Case { TPenStyle s; const char* row; };
    for (const Case k : {Case{TPenStyle::Dot, "###...###...###...###..."},
                         Case{TPenStyle::DashDot, "#########......###......"},
                         Case{TPenStyle::DashDotDot, "#########...###...###..."}}) {
        Img d;
        d.c.SetBrushStyle(TBrushStyle::Clear);
        d.c.SetPenStyle(k.s);
        d.c.MoveTo(0, 0);
        d.c.LineTo(24, 0);
        EXPECT_EQ(d.Row(0, 0, 23), k.row);
    }
}

TEST(Canvas, StyledGapsTakeTheBrushColourOnlyWhenTheBrushIsSolid)
{
    Img m;
    m.c.SetPenStyle(TPenStyle::Dot);
    m.c.SetBrushColor(0x00FF00);   // solid: opaque background
    m.c.MoveTo(0, 0);
    m.c.LineTo(6, 0);
    EXPECT_EQ(m.c.Pixel(4, 0), 0x00FF00u);
    m.c.SetBrushStyle(TBrushStyle::Clear);
    m.c.MoveTo(0, 2);
    m.c.LineTo(6, 2);
    EXPECT_EQ(m.c.Pixel(4, 2), clWhite);
    // A styled pen wider than one pixel draws solid.
    m.c.SetPenWidth(3);
    m.c.MoveTo(2, 20);
    m.c.LineTo(50, 20);
    EXPECT_EQ(m.Row(20, 4, 48), std::string(45, '#'));
}

TEST(Canvas, EllipseFitsItsBoxWithoutRightAndBottomEdges)
{
    Img m;
    m.c.SetBrushStyle(TBrushStyle::Clear);
    m.c.Ellipse(10, 5, 31, 26);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (m.Ink(x, y)) {
                minX = std::min(minX, x); maxX = std::max(maxX, x);
                minY = std::min(minY, y); maxY = std::max(maxY, y);
            }
    EXPECT_NEAR(minX, 10, 1);
    EXPECT_NEAR(maxX, 30, 1);
    EXPECT_NEAR(minY, 5, 1);
    EXPECT_NEAR(maxY, 25, 1);
    EXPECT_EQ(m.c.Pixel(20, 15), clWhite);
}

TEST(Canvas, FontsResolveToTheInstalledStandIns)
{
    struct Case { const char* name; const char* family; };
    for (const Case k : {Case{"Times New Roman", "Liberation Serif"}, Case{"Symbol", "Standard Symbols PS"},
                         Case{"MS Sans Serif", "Liberation Sans"}, Case{"Arial", "Liberation Sans"},
                         Case{"Courier New", "Liberation Mono"}}) {
        TFontSpec f;
        f.Name = k.name;
        f.Size = 12;
        // Qt may add the foundry in brackets when two packages carry the family.
        EXPECT_TRUE(QFontInfo(MakeQFont(f)).family().startsWith(QString::fromLatin1(k.family)))
            << k.name << " -> " << QFontInfo(MakeQFont(f)).family().toStdString();
    }
    // Widgets that ask Qt for the names directly get the same families.
    InstallFontSubstitutes();
    EXPECT_TRUE(QFontInfo(QFont("MS Sans Serif")).family().startsWith("Liberation Sans"));
    EXPECT_TRUE(QFontInfo(QFont("Times New Roman")).family().startsWith("Liberation Serif"));
    EXPECT_EQ(FontPixelSize(12), 16);
    EXPECT_EQ(FontPixelSize(7), 9);
}

TEST(Canvas, TextBytesAreWindows1252OrSymbolCodePoints)
{
    TFontSpec text;
    text.Name = "Times New Roman";
    EXPECT_EQ(FontText(text, "\x80\xE9"), QString::fromUtf8("\xE2\x82\xAC\xC3\xA9"));
    TFontSpec sym;
    sym.Name = "Symbol";
    EXPECT_EQ(FontText(sym, "a\x80"), QString(QChar(u'a')) + QChar(char16_t(0x80)));
}

// The symbol font has no Latin letters: 'a' comes out as its alpha, not as a Latin a
// from some other font.
TEST(Canvas, SymbolFontDrawsItsOwnGlyphsForLatinLetters)
{
    auto draw = [](const char* name) {
        QImage img = NewBitmap(60, 50);
        TImageCanvas c(img);
        c.SetBrushStyle(TBrushStyle::Clear);
        c.Font().Name = name;
        c.Font().Size = 24;
        c.TextOut(5, 5, "a");
        return img;
    };
    const QImage sym = draw("Symbol");
    EXPECT_NE(sym, NewBitmap(60, 50));
    EXPECT_NE(sym, draw("Times New Roman"));
    EXPECT_NE(sym, draw("Arial"));
}

// With a solid brush the text cell is filled in the brush colour; with a clear brush only
// the glyphs are drawn. The cell starts at the reference point.
TEST(Canvas, TextCellFromTheTopLeftOpaqueOnlyWithASolidBrush)
{
    TFontSpec f;
    f.Name = "Times New Roman";
    f.Size = 18;
    f.Color = 0x000080;
    const TSize ext = TextExtentOf(f, "Hig");
    ASSERT_GT(ext.Width, 10);
    ASSERT_GE(ext.Height, FontPixelSize(18));
    QImage img = NewBitmap(100, 60);
    TImageCanvas c(img);
    c.SetFont(f);
    c.SetBrushColor(0x00FF00);
    c.TextOut(10, 5, "Hig");
    EXPECT_EQ(c.Pixel(10, 5), 0x00FF00u);
    EXPECT_EQ(c.Pixel(10 + ext.Width - 1, 5 + ext.Height - 1), 0x00FF00u);
    EXPECT_EQ(c.Pixel(10 + ext.Width, 5), clWhite);
    EXPECT_EQ(c.Pixel(10, 5 + ext.Height), clWhite);
    EXPECT_EQ(c.Pixel(9, 5), clWhite);
    int ink = 0, top = 99, bottom = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            if (c.Pixel(x, y) == 0x000080) {
                ++ink;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GT(ink, 20);
    EXPECT_GT(top, 5);                       // the ascent holds some room above the capitals
    EXPECT_LT(bottom, 5 + ext.Height);       // the descender of g stays inside the cell
    EXPECT_GT(bottom, 5 + ext.Height * 2 / 3);

    QImage clear = NewBitmap(100, 60);
    TImageCanvas t(clear);
    t.SetFont(f);
    t.SetBrushStyle(TBrushStyle::Clear);
    t.TextOut(10, 5, "Hig");
    EXPECT_EQ(t.Pixel(10, 5), clWhite);
    // Texts ignore the pen's raster operation.
    t.SetPenMode(TPenMode::Xor);
    t.TextOut(10, 5, "Hig");
    int after = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            after += t.Pixel(x, y) == 0x000080;
    EXPECT_EQ(after, ink);
}

TEST(Canvas, WidePensDrawRoundEndsCentredOnTheLine)
{
    QImage img = NewBitmap(60, 40);
    TImageCanvas c(img);
    c.SetPenColor(0x000080);
    c.SetPenWidth(5);
    c.MoveTo(10, 20);
    c.LineTo(40, 20);
    // Five rows centred on 20; the round caps reach about 2 pixels past both ends.
    for (int y = 18; y <= 22; ++y)
        EXPECT_EQ(c.Pixel(25, y), 0x000080u) << y;
    EXPECT_EQ(c.Pixel(25, 17), clWhite);
    EXPECT_EQ(c.Pixel(25, 23), clWhite);
    EXPECT_EQ(c.Pixel(8, 20), 0x000080u);
    EXPECT_EQ(c.Pixel(42, 20), 0x000080u);
    EXPECT_EQ(c.Pixel(6, 20), clWhite);
    EXPECT_EQ(c.Pixel(44, 20), clWhite);
    EXPECT_EQ(c.Pixel(8, 18), clWhite);   // rounded, not square
}

TEST(Canvas, AnEmptyImageTakesEveryCallQuietly)
{
    QImage empty;
    TImageCanvas c(empty);
    EXPECT_EQ(c.Width(), 0);
    c.MoveTo(0, 0);
    c.LineTo(10, 10);
    c.SetPenWidth(4);
    c.LineTo(0, 10);
    c.Rectangle(0, 0, 5, 5);
    c.Ellipse(0, 0, 5, 5);
    c.Arc(0, 0, 5, 5, 5, 0, 0, 5);
    const TPoint p[3] = {{0, 0}, {4, 0}, {0, 4}};
    c.Polygon(p, 3);
    c.TextOut(0, 0, "x");
    c.FillRect({0, 0, 3, 3});
    c.Draw(0, 0, NewBitmap(3, 3));
    EXPECT_EQ(c.Pixel(0, 0), 0u);
}

// Texts are drawn glyph by glyph from the character map; the result must be what Qt's own
// text drawing gives for the same font, unturned and turned.
TEST(Canvas, TextGlyphsMatchQtTextDrawing)
{
    struct Case { const char* font; int size; const char* bytes; int esc; };
    for (const Case k : {Case{"Times New Roman", 24, "Wave Vcc 12k", 0}, Case{"Times New Roman", 7, "R12 \xe9\x80", 0},
                         Case{"Symbol", 18, "abgW m", 0}, Case{"Times New Roman", 18, "Up text", 900},
                         Case{"Arial", 12, "AV To", 2700}}) {
        TFontSpec f;
        f.Name = k.font;
        f.Size = k.size;
        f.Escapement = k.esc;
        QImage mine = NewBitmap(240, 240), qt = NewBitmap(240, 240);
        {
            TImageCanvas c(mine);
            c.SetFont(f);
            c.SetBrushStyle(TBrushStyle::Clear);
            c.TextOut(120, 120, k.bytes);
        }
        {
            const QFont q = MakeQFont(f);
            QPainter p(&qt);
            p.setFont(q);
            p.setPen(Qt::black);
            p.translate(120, 120);
            p.rotate(-k.esc / 10.0);
            p.drawText(QPointF(0, QFontMetrics(q).ascent()), FontText(f, k.bytes));
        }
        EXPECT_EQ(mine, qt) << k.font << " " << k.bytes << " " << k.esc;
    }
}

// Bitmaps of 2 MB and more live in their own mapping: they must behave as any image, shared
// until written and independent after.
TEST(Canvas, LargeBitmapsAreOrdinaryImages)
{
    for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(724, 724), QSize(725, 725), QSize(1600, 1000)}) {
        SCOPED_TRACE(size.width());
        QImage a = NewBitmap(size.width(), size.height(), clRed);
        ASSERT_EQ(a.size(), size);
        if (size.isEmpty())
            continue;
        EXPECT_EQ(a.format(), QImage::Format_RGB32);
        EXPECT_EQ(a.bytesPerLine(), size.width() * 4);
        QImage b = a;
        b.setPixel(0, 0, 0xFF000000u);
        EXPECT_EQ(a.pixel(0, 0), ColorToRgb(clRed) | 0xFF000000u);
        EXPECT_EQ(b.pixel(0, 0), 0xFF000000u);
        const QImage last = a.copy(size.width() - 1, size.height() - 1, 1, 1);
        EXPECT_EQ(last.pixel(0, 0), ColorToRgb(clRed) | 0xFF000000u);
        a = QImage();   // gives the mapping back while b lives on
        if (size.width() > 1) {
            EXPECT_EQ(b.pixel(size.width() - 1, size.height() - 1), ColorToRgb(clRed) | 0xFF000000u);
        }
    }
}
