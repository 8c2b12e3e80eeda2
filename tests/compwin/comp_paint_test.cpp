// The component window's pictures: the surface and the small preview.
#include "components/CompPaint.h"

#include "comp_model.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clLight = 0xF0F4FF;
constexpr TColor clStrong = 0xB0E0FF;

struct Pictures {
    QImage grid;
    QImage surface = NewBitmap(kCompBmpSize, kCompBmpSize, 0x123456);
    QImage preview = NewBitmap(kCompPreviewSize, kCompPreviewSize, 0x123456);
    int count = -1;

    explicit Pictures(const TCompModel& m)
    {
        DrawBackGrid(grid);
        TImageCanvas s(surface);
        count = DrawCompPicture(s, m, grid);
        TImageCanvas p(preview);
        DrawSmallPicture(p, m);
    }
    static TColor At(const QImage& img, int x, int y) { return RgbToColor(img.pixel(x, y) & 0xFFFFFF); }
    static int Count(const QImage& img, TColor c)
    {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += At(img, x, y) == c;
        return n;
    }
};


} // namespace

TEST(CompPaint, EmptyComponentShowsGridAxesAndBorder)
{
    const Pictures p(TCompModel{});
    EXPECT_EQ(p.count, 0);
    struct Row {
        int x, y;
        TColor c;
    } surface[] = {
        {0, 0, clBlack},    {400, 400, clBlack}, {400, 17, clBlack},  {17, 400, clBlack},
        {200, 100, clSilver}, {100, 200, clSilver}, {8, 4, clLight},  {4, 16, clLight},
        {40, 3, clStrong},  {3, 360, clStrong},  {3, 3, clWhite},     {203, 203, clWhite},
    };
    for (const Row& r : surface)
        EXPECT_EQ(Pictures::At(p.surface, r.x, r.y), r.c) << r.x << "," << r.y;
    Row preview[] = {
        {0, 0, clBlack},  {100, 100, clBlack}, {10, 5, clLight}, {5, 90, clLight},
        {50, 20, clStrong}, {20, 50, clStrong}, {5, 5, clWhite},
    };
    for (const Row& r : preview)
        EXPECT_EQ(Pictures::At(p.preview, r.x, r.y), r.c) << r.x << "," << r.y;
}

TEST(CompPaint, ShapesCountAndDrawByKind)
{
    struct Row {
        const char* what;
        TShapeRec s;
        bool drawn;
    } rows[] = {
        {"dot", {4, 0, 0, 4, 4, 1, 0}, true},
        {"sine", {12, -20, 0, 20, 10, 0, 0}, false},
        {"flat arc", {5, -10, 5, 10, 5, 0, 0}, false},
        {"arc", {5, -10, 0, 0, 10, 0, 0}, true},
        {"line", {1, -10, -10, 10, 10, 0, 0}, true},
        {"unknown", {9, -10, -10, 10, 10, 0, 0}, false},
    };
    for (const Row& r : rows) {
        const Pictures p(With({r.s}));
        EXPECT_EQ(p.count, 1) << r.what;
        EXPECT_EQ(Pictures::Count(p.surface, clNavy) > 0, r.drawn) << r.what;
        EXPECT_EQ(Pictures::Count(p.preview, clNavy) > 0, r.drawn) << r.what;
    }
}

TEST(CompPaint, DotIsANavyDiscAtTheOrigin)
{
    const Pictures p(With({{4, 0, 0, 4, 4, 1, 0}}));
    for (int d : {-3, 0, 3}) {
        EXPECT_EQ(Pictures::At(p.surface, 200 + d, 200), clNavy) << d;
        EXPECT_EQ(Pictures::At(p.surface, 200, 200 + d), clNavy) << d;
    }
    EXPECT_NE(Pictures::At(p.surface, 206, 200), clNavy);
    EXPECT_NE(Pictures::At(p.surface, 200, 194), clNavy);
    EXPECT_EQ(Pictures::At(p.preview, 50, 50), clNavy);
    EXPECT_NE(Pictures::At(p.preview, 53, 50), clNavy);
}

TEST(CompPaint, SelectionIsRedOnTheSurfaceOnly)
{
    // A selected line and a selected filled rectangle: red outline, the fill stays navy.
    const Pictures p(With({{1, -40, -30, 40, -30, 0, 1}, {2, 0, 0, 20, 20, 1, 1}}));
    EXPECT_EQ(Pictures::At(p.surface, 200, 80), clRed);
    EXPECT_EQ(Pictures::At(p.surface, 200, 240), clRed);     // rectangle's left edge
    EXPECT_EQ(Pictures::At(p.surface, 240, 240), clNavy);    // its inside
    EXPECT_EQ(Pictures::Count(p.preview, clRed), 0);
    EXPECT_EQ(Pictures::At(p.preview, 50, 20), clNavy);
}

TEST(CompPaint, TextSizesFollowTheSizeStep)
{
    const std::tuple<uint8_t, int, int, const char*> rows[] = {
        {0, 12, 5, "Times New Roman"}, {0x30, 24, 7, "Times New Roman"},
        {0xF0, 96, 19, "Times New Roman"}, {0x31, 24, 7, "Symbol"},
    };
    for (const auto& [font, surface, preview, name] : rows) {
        const TCompTextRec t{"A", font, 0, 0, 0};
        EXPECT_EQ(CompTextFont(t, false).Size, surface) << int(font);
        EXPECT_EQ(CompTextFont(t, true).Size, preview) << int(font);
        EXPECT_EQ(CompTextFont(t, false).Name, name);
    }
}

TEST(CompPaint, TextsLandAtTheirTenthsAndFarOnesAreSkipped)
{
    // At -500,-500 the text's cell starts at the top-left corner of both pictures; one whose
    // pixel would not fit 32 bits is left out without harm.
    const Pictures p(With({}, {{"WWW", 0x30, -500, -500, 0}, {"far", 0x30, INT32_MAX, INT32_MIN, 0},
                               {"sel", 0x30, 0, 0, 1}}));
    int ink = 0, red = 0;
    for (int y = 1; y < 30; ++y)
        for (int x = 1; x < 30; ++x)
            ink += Pictures::At(p.surface, x, y) == clBlack;
    for (int y = 200; y < 240; ++y)
        for (int x = 200; x < 240; ++x)
            red += Pictures::At(p.surface, x, y) == clRed;
    EXPECT_GT(ink, 0);
    EXPECT_GT(red, 0);
    int small = 0;
    for (int y = 1; y < 10; ++y)
        for (int x = 1; x < 12; ++x)
            small += Pictures::At(p.preview, x, y) == clBlack;
    EXPECT_GT(small, 0);
}
