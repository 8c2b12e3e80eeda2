// The banded export against the whole bitmap: every pixel the same whatever the band
// height, shapes that cross band edges included; the writers fed by bands; a failing
// write says the system's reason.
#include "platform/canvas.h"
#include "platform/image_write.h"
#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"
#include "schematic/render/export.h"
#include "schematic/render/render.h"
#include "tests/support/test_util.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <vector>
#include <sys/resource.h>

namespace {

// The rows of a source gathered into one image, in the order asked for.
QImage Gather(TRowSource& src, bool bottomUp = false)
{
    QImage img(src.Width(), src.Height(), QImage::Format_RGB32);
    int expect = bottomUp ? src.Height() - 1 : 0;
    const bool ok = src.Rows(bottomUp, [&](int y, const uint32_t* row) {
        EXPECT_EQ(y, expect);
        expect += bottomUp ? -1 : 1;
        std::memcpy(img.scanLine(y), row, static_cast<size_t>(src.Width()) * 4);
        return true;
    });
    EXPECT_TRUE(ok);
    return img;
}

// The first differing pixel, for a readable failure.
std::string FirstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF))
                return std::to_string(x) + "," + std::to_string(y);
    return "";
}

// Shapes and texts placed so that odd band heights cut through all of them. Wide pens,
// styled curves and rotated texts are drawn by the toolkit's painter; they come only with
// painterDrawn.
TSchModel CrossingModel(bool painterDrawn = false)
{
    TSchModel m;
    auto shape = [&](int kind, int x1, int y1, int x2, int y2, int style) {
        m.ShapeList.push_back({kind, x1, y1, x2, y2, style, 0});
    };
    shape(1, 2, 3, 90, 57, 0);              // diagonal line
    shape(1, 5, 10, 5, 70, 0x2000);         // dashed vertical
    shape(1, 8, 4, 80, 66, 0x5000);         // dotted diagonal
    if (painterDrawn) {
        shape(1, 3, 20, 95, 21, 0x3000 | 0x40); // wide pen, styled (drawn solid)
        shape(1, 10, 60, 60, 12, 0x90);         // wide diagonal
    }
    shape(2, 12, 7, 40, 33, 0x1);           // filled box
    if (painterDrawn) {
        shape(2, 14, 9, 44, 41, 0x4050);        // dash-dot-dot box, wide
        shape(3, 20, 5, 70, 45, 0x2001);        // dashed filled ellipse
    }
    shape(4, 50, 30, 80, 80, 0);            // circle of radius 20
    shape(4, 30, 40, 4, 4, 1);              // connection dot
    if (painterDrawn) {
        shape(4, 60, 20, 40, 40, 0x30);         // wide circle
    }
    for (int q = 0; q < 4; ++q) {           // the four quarter arcs
        const int dx = q & 1 ? -15 : 15, dy = q & 2 ? -15 : 15;
        shape(5, 45, 45, 45 + dx, 45 + dy, painterDrawn && q == 3 ? 0x20 : 0);
    }
    if (painterDrawn) {
        shape(5, 70, 10, 90, 50, 0x2000);       // dashed arc
    }
    shape(6, 30, 50, 40, 62, 1);            // arrow head
    shape(11, 10, 75, 70, 35, 0x301);       // line with arrows
    shape(11, 85, 10, 85, 70, 0x601);       // vertical with both heads
    shape(12, 5, 30, 95, 15, 0);            // sine wave
    shape(12, 5, 50, 60, 40, 0x2000);       // dashed sine
    // Texts: unrotated, every right angle and an odd one, at tenths that do not fall on pixels.
    const int angles[] = {0, 180, 90, 270, 45};
    for (int i = 0; i < (painterDrawn ? 5 : 2); ++i)
        m.TextList.push_back({"Crossing " + std::to_string(i), 153 + 97 * i, 207 + 113 * i,
                              0x30 + angles[i] * 256, 0});
    m.TextList.push_back({"Big", 400, 333, 0x70, 0});
    TCompRec c;
    c.X = 60;
    c.Y = 50;
    c.Shapes.push_back({1, -10, -10, 30, 25, 0, 0});
    c.Shapes.push_back({4, 0, 0, 20, 20, 1, 0});
    c.Texts.push_back({"U7", 13, -37, 0x30, 0});
    if (painterDrawn) {
        c.Shapes.push_back({1, -30, 40, 50, -20, 0x40, 0});     // wide, at half the scale
        c.Shapes.push_back({4, 10, 10, 60, 60, 0x2000, 0});     // dashed circle
        c.Shapes.push_back({11, -40, 30, 40, 34, 0x2301, 0});   // dashed heads
    }
    m.CompList.push_back(std::move(c));
    // A selected shape is drawn again in the selection colour.
    shape(2, 22, 24, 66, 58, 0);
    m.ShapeList.back().Selected = 1;
    return m;
}

TRenderView ViewAt(int scale)
{
    TRenderView v;
    v.Scale = scale;
    v.OffsetX = 17;   // the window's offsets play no part in the export
    v.OffsetY = 9;
    v.ArcRadius = 1920;
    return v;
}

} // namespace

TEST(ExportBands, EveryBandHeightGivesTheWholeBitmap)
{
    TSchModel fixture;
    ASSERT_TRUE(DoLoad(TLines::FromText(testutil::ReadFile(testutil::DataPath("render_all.sch"))), 0, fixture).Ok);
    const TSchModel crossing = CrossingModel();
    const TSchModel painter = CrossingModel(true);
    struct Case {
        const char* name;
        const TSchModel* model;
        int scale;
    };
    const Case cases[] = {{"fixture", &fixture, 2},   {"fixture", &fixture, 8},   {"crossing", &crossing, 2},
                          {"crossing", &crossing, 4}, {"crossing", &crossing, 8}, {"painter", &painter, 2},
                          {"painter", &painter, 4},   {"painter", &painter, 8}};
    for (const Case& c : cases) {
        const TRenderView view = ViewAt(c.scale);
        const QImage whole = ComposeExportBitmap(*c.model, view);
        ASSERT_FALSE(whole.isNull());
        for (int rows : {1, 3, 7, 10, 33, 80, 211}) {
            SCOPED_TRACE(std::string(c.name) + " scale " + std::to_string(c.scale) + " rows " + std::to_string(rows));
            TExportBands bands(*c.model, view, int64_t{rows} * 4 * whole.width());
            EXPECT_EQ(FirstDifference(whole, Gather(bands)), "");
            EXPECT_EQ(FirstDifference(whole, Gather(bands, true)), "");
        }
    }
}

TEST(ExportBands, PainterDrawnRecordsAreNeverCutAndTheRestKeepsTheBudget)
{
    // One tall wide circle among thin lines: the band that holds it grows, the others do not.
    TSchModel m;
    for (int y = 0; y < 400; y += 13)
        m.ShapeList.push_back({1, 0, y, 99, y + 5, 0, 0});
    m.ShapeList.push_back({4, 50, 200, 0, 4 * 60, 0x30, 0});   // radius 60, pen 3
    const TRenderView view = ViewAt(2);
    const QImage whole = ComposeExportBitmap(m, view);
    const int budget = 40;
    TExportBands bands(m, view, int64_t{budget} * 4 * whole.width());
    const std::vector<int>& tops = bands.BandTops();
    ASSERT_FALSE(tops.empty());
    EXPECT_EQ(tops.front(), 0);
    // The circle covers rows 280..520 at scale 2: no cut inside, one band holds it all.
    for (int t : tops)
        EXPECT_FALSE(t > 280 - 20 && t <= 521 + 20) << "cut at " << t;
    EXPECT_GE(bands.BandRows(), 240);
    EXPECT_LT(bands.BandRows(), whole.height());
    int atBudget = 0;
    for (size_t i = 0; i + 1 < tops.size(); ++i)
        atBudget += tops[i + 1] - tops[i] == budget;
    EXPECT_GE(atBudget, static_cast<int>(tops.size()) - 4);
    EXPECT_EQ(FirstDifference(whole, Gather(bands)), "");
}

TEST(ExportBands, BandPlanCutsOutsideEverySpan)
{
    struct Case {
        const char* name;
        int height, target;
        std::vector<TRowSpan> spans;
        std::vector<int> tops;
    };
    const Case cases[] = {
        {"no spans", 25, 10, {}, {0, 10, 20}},
        {"one row is no obstacle", 25, 10, {{9, 9}, {10, 10}}, {0, 10, 20}},
        {"ends where a span starts", 25, 10, {{7, 12}}, {0, 7, 17}},
        {"grows past a span from the top", 40, 10, {{0, 23}}, {0, 24, 34}},
        {"touching spans are one", 40, 10, {{5, 12}, {12, 30}}, {0, 5, 31}},
        {"overlapping, unsorted", 40, 10, {{14, 33}, {3, 16}}, {0, 3, 34}},
        {"a span over everything", 50, 10, {{-100, 1000}}, {0}},
        {"spans past the ends", 30, 10, {{-5, 4}, {28, 90}}, {0, 10, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int> tops = PlanBandTops(c.height, c.target, c.spans);
        EXPECT_EQ(tops, c.tops);
        for (size_t i = 1; i < tops.size(); ++i)   // the first top is the picture's edge, no cut
            for (const TRowSpan& s : c.spans)
                EXPECT_FALSE(s.Top < tops[i] && tops[i] <= s.Bottom) << tops[i];
    }
}

TEST(ExportBands, ExtremeExtentsAreRefusedOrKeptSmall)
{
    struct Case {
        TShapeRec shape;
        bool fits;
    };
    const Case cases[] = {
        {{1, 0, 0, 1 << 30, 10, 0, 0}, false},      // wider than 32 bits of pixels
        {{1, 0, 0, 9999, 9999, 0, 0}, false},       // more pixels than an export may have
        {{1, -5000, -5000, 3, 2, 0, 0}, true},      // the picture starts at world 0, 0
        {{12, 0, 0, 4000, -3000, 0, 0}, true},      // a sine reaching far below its points
        {{1, 0, 0, 60000, 1, 0, 0}, true},          // a very wide, very low picture
        // Drawn by the painter: the bands may grow, the pixels may not change.
        {{1, -5000, -7000, 300, 900, 0x50, 0}, true},    // a wide line from far above and left
        {{1, 20, 3, 20, 99999, 0x2040, 0}, true},        // wide dashed, far below the picture's end
        {{12, 0, 300, 500, 100, 0x30, 0}, true},         // a wide sine reaching far below its points
        {{4, 200, 200, 0, 4 * 900, 0x2000, 0}, true},    // a dashed circle larger than the picture
        {{5, 0, 900, 700, 100, 0x5000, 0}, true},        // a dotted arc taller than a band
        {{3, -900, 10, 800, 1200, 0x3020, 0}, true},     // a wide dash-dot ellipse off the left edge
    };
    for (const Case& c : cases) {
        TSchModel m;
        m.ShapeList.push_back(c.shape);
        const TRenderView view = ViewAt(2);
        TExportBands bands(m, view);
        const TExportSize size = ExportPixelSize(ExportExtent(m, 2), 2);
        EXPECT_EQ(ExportSizeFits(size), c.fits);
        if (!c.fits) {
            EXPECT_EQ(bands.Width(), 0);
            EXPECT_EQ(bands.Height(), 0);
            continue;
        }
        // The band buffer stays within its budget however tall or wide the picture.
        const bool painter = c.shape.Style >= 0x20;
        if (!painter)
            EXPECT_LE(int64_t{bands.BandRows()} * 4 * bands.Width(), std::max<int64_t>(TExportBands::kBandBytes, 4 * bands.Width()));
        if (int64_t{bands.Width()} * bands.Height() <= 40'000'000) {
            const QImage whole = ComposeExportBitmap(m, view);
            EXPECT_EQ(FirstDifference(whole, Gather(bands)), "");
            // Bands a few rows tall, so that cuts fall near the shape.
            TExportBands small(m, view, int64_t{13} * 4 * bands.Width());
            EXPECT_EQ(FirstDifference(whole, Gather(small)), "");
        }
    }
}

TEST(BandCanvas, DrawingOnABandEqualsTheSameRowsOfTheWhole)
{
    // The canvas alone, XOR and opaque styled pens included: a band is the rows it covers.
    auto draw = [](TCanvas& c) {
        c.SetPenMode(TPenMode::Xor);
        c.SetPenColor(0x00FF00);
        c.MoveTo(3, 2);
        c.LineTo(70, 61);
        c.LineTo(10, 40);
        c.SetPenMode(TPenMode::Copy);
        c.SetPenStyle(TPenStyle::Dash);
        c.SetBrushColor(0x808080);   // opaque gaps
        c.MoveTo(0, 30);
        c.LineTo(79, 33);
        c.SetPenStyle(TPenStyle::Solid);
        c.SetPenMode(TPenMode::Xor);
        c.Rectangle(5, 5, 60, 50);
        c.Ellipse(15, 8, 66, 59);
        c.SetBrushStyle(TBrushStyle::Clear);
        c.Arc(0, 0, 70, 64, 70, 10, 0, 60);
        const TPoint tri[3] = {{40, 1}, {78, 62}, {2, 50}};
        c.Polygon(tri, 3);
        c.SetPenMode(TPenMode::Copy);
        c.Font().Size = 14;
        c.TextOut(12, 21, "Band");
        c.SetBrushColor(0x0000FF);
        c.FillRect({30, 27, 44, 38});
    };
    QImage whole = NewBitmap(80, 64);
    {
        TImageCanvas c(whole);
        draw(c);
    }
    for (int rows : {1, 5, 9, 64}) {
        SCOPED_TRACE(rows);
        for (int top = 0; top < 64; top += rows) {
            QImage band = NewBitmap(80, rows);
            {
                TImageCanvas c(band, top);
                EXPECT_EQ(c.Height(), top + rows);
                draw(c);
            }
            const int inside = std::min(rows, 64 - top);
            EXPECT_EQ(FirstDifference(whole.copy(0, top, 80, inside), band.copy(0, 0, 80, inside)), "")
                << "band at " << top;
        }
    }
}

TEST(BandCanvas, PainterDrawnShapesWhollyInsideABandEqualTheWhole)
{
    // Each drawing lies in rows [Top, Bottom]; any band holding those rows whole must show
    // the same pixels as the whole image, at every offset of the band.
    struct Case {
        const char* name;
        int top, bottom;
        std::function<void(TCanvas&)> draw;
    };
    auto pen = [](TCanvas& c, int width, TPenStyle style, TPenMode mode = TPenMode::Copy) {
        c.SetPenWidth(width);
        c.SetPenStyle(style);
        c.SetPenMode(mode);
        c.SetPenColor(0x00A0FF);
    };
    const Case cases[] = {
        {"wide line", 90, 170, [&](TCanvas& c) { pen(c, 5, TPenStyle::Solid); c.MoveTo(7, 95); c.LineTo(150, 163); }},
        {"wide dashed line", 90, 170, [&](TCanvas& c) { pen(c, 3, TPenStyle::Dash); c.MoveTo(150, 96); c.LineTo(9, 164); }},
        {"wide xor box", 90, 170, [&](TCanvas& c) { pen(c, 7, TPenStyle::Solid, TPenMode::Xor); c.Rectangle(20, 97, 130, 164); }},
        {"wide filled ellipse", 90, 170, [&](TCanvas& c) {
             pen(c, 4, TPenStyle::Solid); c.SetBrushColor(0x404040); c.Ellipse(11, 96, 141, 165); }},
        {"dashed ellipse", 90, 170, [&](TCanvas& c) {
             pen(c, 1, TPenStyle::Dash); c.SetBrushStyle(TBrushStyle::Clear); c.Ellipse(13, 93, 133, 168); }},
        {"dotted opaque ellipse", 90, 170, [&](TCanvas& c) {
             pen(c, 1, TPenStyle::Dot); c.SetBrushColor(0xFFFF00); c.Ellipse(13, 93, 134, 167); }},
        {"dash-dot xor ellipse", 90, 170, [&](TCanvas& c) {
             pen(c, 1, TPenStyle::DashDot, TPenMode::Xor); c.SetBrushStyle(TBrushStyle::Clear); c.Ellipse(3, 91, 155, 169); }},
        {"dashed arc", 90, 170, [&](TCanvas& c) {
             pen(c, 1, TPenStyle::Dash); c.SetBrushStyle(TBrushStyle::Clear); c.Arc(10, 92, 150, 168, 150, 100, 10, 160); }},
        {"dotted arc", 90, 170, [&](TCanvas& c) {
             pen(c, 1, TPenStyle::Dot); c.SetBrushStyle(TBrushStyle::Clear); c.Arc(10, 92, 150, 168, 10, 92, 150, 168); }},
        {"wide arc", 90, 170, [&](TCanvas& c) {
             pen(c, 6, TPenStyle::Solid); c.SetBrushStyle(TBrushStyle::Clear); c.Arc(12, 96, 146, 164, 146, 96, 12, 164); }},
        {"dashed polygon", 90, 170, [&](TCanvas& c) {
             pen(c, 1, TPenStyle::DashDotDot); c.SetBrushColor(0x00FF00);
             const TPoint tri[3] = {{80, 92}, {150, 168}, {5, 150}}; c.Polygon(tri, 3); }},
        {"wide xor polygon", 90, 170, [&](TCanvas& c) {
             pen(c, 4, TPenStyle::Solid, TPenMode::Xor); c.SetBrushStyle(TBrushStyle::Clear);
             const TPoint tri[3] = {{80, 96}, {148, 164}, {9, 150}}; c.Polygon(tri, 3); }},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // Rotated texts about their corner: a generous row range.
    for (int angle : {90, 270, 45, 180, 135}) {
        all.push_back({"text", 12, 248, [angle](TCanvas& c) {
                           c.SetBrushStyle(TBrushStyle::Clear);
                           c.Font().Size = 18;
                           c.Font().Color = 0x0000C0;
                           AngleTextOut(c, angle, 80, 130, "Rotated 7");
                       }});
    }
    for (const Case& c : all) {
        QImage whole = NewBitmap(160, 260);
        {
            TImageCanvas canvas(whole);
            c.draw(canvas);
        }
        for (int slack : {0, 1, 5, 17}) {
            const int rows = c.bottom - c.top + 1 + slack;
            for (int origin = std::max(c.top - slack, 0); origin <= c.top && origin + rows <= 260; ++origin) {
                SCOPED_TRACE(std::string(c.name) + " origin " + std::to_string(origin) + " rows " + std::to_string(rows));
                QImage band = NewBitmap(160, rows);
                {
                    TImageCanvas canvas(band, origin);
                    c.draw(canvas);
                }
                ASSERT_EQ(FirstDifference(whole.copy(0, origin, 160, rows), band), "");
            }
        }
        // Nothing of the drawing lies outside its rows.
        EXPECT_EQ(FirstDifference(whole.copy(0, 0, 160, c.top), NewBitmap(160, c.top)), "") << c.name;
        EXPECT_EQ(FirstDifference(whole.copy(0, c.bottom + 1, 160, 259 - c.bottom), NewBitmap(160, 259 - c.bottom)), "")
            << c.name;
    }
}

TEST(ExportBands, FilesFromBandsAreTheBytesOfTheWholeBitmap)
{
    const TSchModel m = CrossingModel();
    const TRenderView view = ViewAt(4);
    const QImage whole = ComposeExportBitmap(m, view);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        TImageFormat format;
        int bits;
    };
    const Case cases[] = {{TImageFormat::Png, 24}, {TImageFormat::Gif, 24}, {TImageFormat::Jpeg, 24},
                          {TImageFormat::Bmp, 1},  {TImageFormat::Bmp, 4},  {TImageFormat::Bmp, 8},
                          {TImageFormat::Bmp, 16}, {TImageFormat::Bmp, 24}, {TImageFormat::Bmp, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.format)) + " bits " + std::to_string(c.bits));
        std::string want, error;
        switch (c.format) {
        case TImageFormat::Png: ASSERT_TRUE(EncodePng(whole, want, error)); break;
        case TImageFormat::Gif: ASSERT_TRUE(EncodeGif(whole, want, error)); break;
        case TImageFormat::Jpeg: ASSERT_TRUE(EncodeJpeg(whole, 100, want, error)); break;
        default: ASSERT_TRUE(EncodeBmp(whole, c.bits, want, error)); break;
        }
        TExportBands bands(m, view, 11 * 4 * whole.width());
        const std::string path = dir.path().toStdString() + "/out";
        ASSERT_TRUE(SaveImageFile(bands, c.format, c.bits, 100, path, error)) << error;
        EXPECT_EQ(testutil::ReadFile(path), want);
    }
}

TEST(ExportBands, ClipboardImageIsIndexedWithTheWholeBitmapsColours)
{
    const TSchModel m = CrossingModel();
    const TRenderView view = ViewAt(2);
    const QImage whole = ComposeExportBitmap(m, view);
    TExportBands bands(m, view, 5 * 4 * whole.width());
    const QImage img = IndexedImageOf(bands);
    ASSERT_EQ(img.format(), QImage::Format_Indexed8);
    EXPECT_LE(img.colorCount(), 5);
    EXPECT_EQ(FirstDifference(whole, img.convertToFormat(QImage::Format_RGB32)), "");
}

TEST(ExportBands, AFailingWriteSaysTheSystemsReasonAndLeavesNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TSchModel m = CrossingModel();
    const std::string path = dir.path().toStdString() + "/big.bmp";
    ASSERT_TRUE(testutil::WriteFile(path, "old"));
    // A file-size limit stands in for a full disk: the write fails part way with its errno.
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    TExportBands bands(m, ViewAt(8));
    const bool ok = SaveImageFile(bands, TImageFormat::Bmp, 24, 100, path, error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(testutil::ReadFile(path), "old");
    // A folder where the file should be, and a folder that does not exist.
    EXPECT_FALSE(SaveImageFile(bands, TImageFormat::Png, 24, 100, dir.path().toStdString(), error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(SaveImageFile(bands, TImageFormat::Png, 24, 100, dir.path().toStdString() + "/no/x.png", error));
    EXPECT_EQ(error, "No such file or directory");
}
