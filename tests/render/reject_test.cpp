// Passing over records outside the view must never change a pixel: every picture is composed
// twice, with and without the quick rejection, and compared whole, for views that put the
// records on every edge of the canvas.
#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"
#include "schematic/render/render.h"
#include "schematic/render/view_scale.h"

#include "platform/sys/files.h"

#include <gtest/gtest.h>
#include "tests/support/test_util.h"

#include <cstring>
#include <string>

namespace {

struct TQuickRejectOff {
    TQuickRejectOff() { SetQuickReject(false); }
    ~TQuickRejectOff() { SetQuickReject(true); }
};

struct TPicture {
    QImage Image;
    TPen Pen;
    TBrush Brush;
    TFontSpec Font;
};

TPicture Compose(const TSchModel& m, const TRenderView& v, int w, int h, const QImage* grid = nullptr)
{
    TPicture p{NewBitmap(w, h), {}, {}, {}};
    TImageCanvas c(p.Image);
    DrawCirc(c, m, v, grid);
    p.Pen = c.Pen();
    p.Brush = c.Brush();
    p.Font = c.Font();
    return p;
}

// Index of the first pixel that differs, or -1.
long long FirstDiff(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const uint32_t*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const uint32_t*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (ra[x] != rb[x])
                return static_cast<long long>(y) * a.width() + x;
    }
    return -1;
}

void ExpectSame(const TSchModel& m, const TRenderView& v, int w, int h, const std::string& what,
                const QImage* grid = nullptr)
{
    const TPicture fast = Compose(m, v, w, h, grid);
    TPicture full;
    {
        TQuickRejectOff off;
        full = Compose(m, v, w, h, grid);
    }
    const long long at = FirstDiff(fast.Image, full.Image);
    EXPECT_EQ(at, -1) << what << " first differing pixel at x " << (at % w) << " y " << (at / w);
    // The canvas is left as the full path leaves it, for callers that draw on.
    EXPECT_TRUE(fast.Pen.Color == full.Pen.Color && fast.Pen.Width == full.Pen.Width &&
                fast.Pen.Style == full.Pen.Style && fast.Pen.Mode == full.Pen.Mode)
        << what;
    EXPECT_TRUE(fast.Brush.Color == full.Brush.Color && fast.Brush.Style == full.Brush.Style) << what;
    EXPECT_EQ(fast.Font, full.Font) << what;
}

uint32_t g_seed = 99;
int32_t Rnd(int32_t lo, int32_t hi)
{
    g_seed = g_seed * 1103515245u + 12345u;
    return lo + static_cast<int32_t>((g_seed >> 8) % static_cast<uint32_t>(hi - lo + 1));
}

int32_t RandomStyle()
{
    // Fill, pen width 0..15, arrow type 0..7 and line style 0..6 (out-of-range ones included).
    return Rnd(0, 1) + 16 * Rnd(0, 15) * Rnd(0, 1) + 256 * Rnd(0, 7) + 4096 * Rnd(0, 6);
}

// Shapes of every kind (and one the renderer does not know) scattered over and around a view
// of about 24 x 16 units at offset 0: many cross an edge, some are far out, a few are huge.
TSchModel Scattered(int shapes, int comps, int texts)
{
    static const int32_t kinds[] = {1, 2, 3, 4, 5, 6, 11, 12, 7};
    TSchModel m;
    for (int i = 0; i < shapes; ++i) {
        TShapeRec s;
        s.Kind = kinds[i % 9];
        s.X1 = Rnd(-40, 60);
        s.Y1 = Rnd(-40, 50);
        const int32_t span = (i % 17 == 0) ? 3000 : 25;
        s.X2 = s.X1 + Rnd(-span, span);
        s.Y2 = s.Y1 + Rnd(-span, span);
        if (i % 23 == 0)
            s.X2 = s.X1;   // vertical shafts and flat boxes
        if (i % 29 == 0)
            s.Y2 = s.Y1;
        s.Style = RandomStyle();
        s.Selected = Rnd(0, 3) == 0;
        m.ShapeList.push_back(s);
    }
    for (int i = 0; i < comps; ++i) {
        TCompRec c;
        c.X = Rnd(-30, 50);
        c.Y = Rnd(-30, 40);
        c.Selected = Rnd(0, 2) == 0;
        for (int k = 0; k < 4; ++k) {
            const int32_t x1 = Rnd(-20, 20), y1 = Rnd(-20, 20);
            c.Shapes.push_back({kinds[(i + k) % 9], x1, y1, x1 + Rnd(-30, 30), y1 + Rnd(-30, 30), RandomStyle(), 0});
        }
        c.Texts.push_back({"R" + std::to_string(i), Rnd(-200, 200), Rnd(-200, 200), Rnd(0, 0xFF), 0});
        m.CompList.push_back(std::move(c));
    }
    for (int i = 0; i < texts; ++i) {
        TTextRec t;
        t.Text = (i % 3 == 0) ? "A longer text of words" : "T" + std::to_string(i);
        t.X = Rnd(-400, 600);
        t.Y = Rnd(-400, 500);
        t.Font = Rnd(0, 1) + 16 * Rnd(0, 15) + 256 * (i % 4 == 0 ? Rnd(0, 359) : 0);
        t.Selected = Rnd(0, 3) == 0;
        m.TextList.push_back(t);
    }
    return m;
}

} // namespace

TEST(QuickReject, EveryViewComposesTheSamePicture)
{
    const TSchModel m = Scattered(900, 40, 120);
    struct TCase {
        int32_t Scale;
        int W, H;
    };
    // A small canvas puts most records across or near its edges.
    const TCase cases[] = {{2, 96, 64}, {4, 96, 64}, {8, 96, 64}, {4, 1, 1}, {1, 40, 30}};
    for (const TCase& tc : cases)
        for (int32_t ox = -45; ox <= 60; ox += 7)
            for (int32_t oy = -45; oy <= 50; oy += 9) {
                TRenderView v;
                v.Scale = tc.Scale;
                v.OffsetX = ox;
                v.OffsetY = oy;
                ExpectSame(m, v, tc.W, tc.H,
                           "scale " + std::to_string(tc.Scale) + " view " + std::to_string(ox) + "," +
                               std::to_string(oy));
                if (HasFailure())
                    return;
            }
}

TEST(QuickReject, ExtremeValuesComposeTheSamePicture)
{
    // Coordinates at the ends of 32 bits, where pixel values overflow or just fit.
    TSchModel m;
    const int32_t big[] = {INT32_MIN, INT32_MIN / 8, -1000000, 1000000, INT32_MAX / 8, INT32_MAX};
    const int32_t kinds[] = {1, 2, 3, 4, 5, 6, 11, 12};
    for (int32_t k : kinds)
        for (int32_t a : big) {
            m.ShapeList.push_back(testutil::Shape(k, a, 5, 10, 5, 0x31));
            m.ShapeList.push_back(testutil::Shape(k, 5, 5, a, a, 0x2F1));
            m.ShapeList.push_back(testutil::Shape(k, 10, 8, 20, a, 0x1000 * 2));
        }
    m.TextList.push_back({"far", INT32_MAX, 0, 0x30, 1});
    m.TextList.push_back({"near", -5, 20, 0x30 + 256 * 90, 0});
    for (int32_t scale : {2, 4, 8})
        for (int32_t off : {0, -20, 20, INT32_MAX / 16}) {
            TRenderView v;
            v.Scale = scale;
            v.OffsetX = off;
            v.OffsetY = -off / 2;
            ExpectSame(m, v, 120, 80, "scale " + std::to_string(scale) + " offset " + std::to_string(off));
        }
}

TEST(QuickReject, FixtureAtEveryScaleAndAcrossItsEdges)
{
    sys::TByteBuf bytes;
    std::string error;
    ASSERT_TRUE(sys::ReadRegularFile(std::string(OSTRIN_TEST_DATA) + "/render_all.sch", bytes, error)) << error;
    TSchModel m;
    ASSERT_TRUE(DoLoad(TLines::FromBytes(std::move(bytes)), 0, m).Ok);
    for (int32_t scale : {2, 4, 8}) {
        const QImage grid = MakeGridBmp(scale, true);
        for (int32_t ox : {0, 13, 57, 120})
            for (int32_t oy : {0, 9, 41}) {
                TRenderView v;
                v.Scale = scale;
                v.OffsetX = ox;
                v.OffsetY = oy;
                ExpectSame(m, v, 400, 260, "scale " + std::to_string(scale), &grid);
            }
    }
}

TEST(QuickReject, SelectionAnywhereComposesTheSamePicture)
{
    // The pass over selected records walks only from the first selected to the last: none,
    // one at either end or inside, and all of them, for shapes and components alike.
    struct TCase {
        const char* What;
        int FirstSel, LastSel;   // indices selected, inclusive; -1 none
    };
    const TCase cases[] = {{"none", -1, -1}, {"first only", 0, 0}, {"last only", 39, 39},
                           {"one inside", 17, 17}, {"a run inside", 5, 30}, {"all", 0, 39}};
    for (const TCase& tc : cases) {
        g_seed = 7;
        TSchModel m = Scattered(360, 40, 20);
        int i = 0;
        for (TShapeRec& s : m.ShapeList) {
            const int k = i++ / 9;   // nine shapes share each index
            s.Selected = (k >= tc.FirstSel && k <= tc.LastSel && (k == tc.FirstSel || k == tc.LastSel || k % 3 == 0));
        }
        i = 0;
        for (TCompRec& c : m.CompList) {
            const int k = i++;
            c.Selected = (k >= tc.FirstSel && k <= tc.LastSel && (k == tc.FirstSel || k == tc.LastSel || k % 3 == 0));
        }
        for (int32_t scale : {2, 8})
            for (int32_t ox : {-30, 0, 20}) {
                TRenderView v;
                v.Scale = scale;
                v.OffsetX = ox;
                v.OffsetY = ox / 2;
                ExpectSame(m, v, 96, 64, std::string(tc.What) + " scale " + std::to_string(scale));
            }
    }
}

TEST(QuickReject, ComponentsPassedOverLeaveTheStateTheyWouldHave)
{
    // Components wholly out of view are passed over and only their state settled; each piece
    // of it must come from the right one. Letters: s shapes only (dashed, wide pen), t texts
    // only (symbol font, large), e empty, b both with a plain pen and font, V one in view.
    auto make = [](char kind, int i) {
        TCompRec c;
        c.X = kind == 'V' ? 5 : 400 + 37 * i;
        c.Y = kind == 'V' ? 5 : -300 - 11 * i;
        if (kind == 's' || kind == 'b' || kind == 'V') {
            const int32_t style = kind == 's' ? 0x2000 + 16 * (3 + i % 5) + (i % 2) : 0;
            c.Shapes.push_back(testutil::Shape(1 + i % 6, -4, -4, 6, 8, style));
            c.Shapes.push_back(testutil::Shape(6, 2, 2, 10, 14, style | 1));
        }
        if (kind == 't' || kind == 'b' || kind == 'V')
            c.Texts.push_back({"R" + std::to_string(i), 20, -40, kind == 't' ? 0x71 + 16 * (i % 4) : 0x30, 0});
        return c;
    };
    const char* runs[] = {"s", "t", "e", "ste", "tse", "se", "te", "bse", "sbt", "Vste", "steV", "sVt", "eVe",
                          "tVse", "ssttee"};
    for (const char* run : runs) {
        TSchModel m;
        m.ShapeList.push_back(testutil::Shape(2, 1, 1, 8, 6, 0x31));
        int i = 0;
        for (const char* k = run; *k != 0; ++k)
            m.CompList.push_back(make(*k, i++));
        for (int32_t scale : {1, 2, 4, 8}) {
            TRenderView v;
            v.Scale = scale;
            ExpectSame(m, v, 80, 60, std::string("components ") + run + " scale " + std::to_string(scale));
        }
    }
}
