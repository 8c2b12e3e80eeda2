// The metafile back end: records walked from the header to the end record, checking their
// sizes, the header's totals, the object handles and the fields a reader relies on.
#include "platform/emf_canvas.h"
#include "schematic/render/export.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace {

uint32_t U32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}
int32_t I32(const std::string& s, size_t at) { return static_cast<int32_t>(U32(s, at)); }

struct Record {
    uint32_t Type;
    size_t At;
    uint32_t Size;
};

// Walks every record, checking the framing and the object handles on the way.
std::vector<Record> Walk(const std::string& emf)
{
    std::vector<Record> recs;
    EXPECT_GE(emf.size(), 108u);
    EXPECT_EQ(U32(emf, 0), emr::Header);
    EXPECT_EQ(U32(emf, 40), 0x464D4520u);
    EXPECT_EQ(U32(emf, 48), emf.size());
    const uint32_t handles = U32(emf, 56) & 0xFFFF;
    std::set<uint32_t> live;
    size_t at = 0;
    while (at + 8 <= emf.size()) {
        const Record r{U32(emf, at), at, U32(emf, at + 4)};
        EXPECT_GE(r.Size, 8u);
        EXPECT_EQ(r.Size % 4, 0u);
        EXPECT_LE(at + r.Size, emf.size());
        if (r.Size < 8 || at + r.Size > emf.size())
            break;
        if (r.Type == emr::CreatePen || r.Type == emr::CreateBrushIndirect || r.Type == emr::ExtCreateFontIndirectW) {
            const uint32_t slot = U32(emf, at + 8);
            EXPECT_GT(slot, 0u);
            EXPECT_LT(slot, handles);
            EXPECT_TRUE(live.insert(slot).second) << "slot " << slot << " created twice";
        } else if (r.Type == emr::SelectObject) {
            const uint32_t h = U32(emf, at + 8);
            EXPECT_TRUE((h & 0x80000000u) || live.count(h)) << "selects " << h;
        } else if (r.Type == emr::DeleteObject) {
            EXPECT_EQ(live.erase(U32(emf, at + 8)), 1u);
        }
        recs.push_back(r);
        at += r.Size;
    }
    EXPECT_EQ(at, emf.size());
    EXPECT_EQ(U32(emf, 52), recs.size());
    EXPECT_FALSE(recs.empty());
    if (!recs.empty()) {
        EXPECT_EQ(recs.back().Type, emr::Eof);
        EXPECT_EQ(recs.back().Size, 20u);
    }
    return recs;
}

std::vector<uint32_t> Types(const std::vector<Record>& recs)
{
    std::vector<uint32_t> t;
    for (const Record& r : recs)
        t.push_back(r.Type);
    return t;
}

std::map<uint32_t, int> Counts(const std::vector<Record>& recs)
{
    std::map<uint32_t, int> n;
    for (const Record& r : recs)
        ++n[r.Type];
    return n;
}

} // namespace

TEST(EmfCanvas, CallsBecomeRecordsWithObjectsOnlyWhenTheStateChanges)
{
    TEmfCanvas c(300, 200, 1920, 1080);
    c.SetPenColor(0x0000FF);
    c.MoveTo(1, 2);
    c.LineTo(10, 2);
    c.LineTo(10, 20);                 // same pen: no new object
    c.SetPenColor(0xFF0000);
    c.SetPenStyle(TPenStyle::Dash);
    c.LineTo(30, 20);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.Rectangle(5, 6, 50, 60);
    const TPoint tri[3] = {{0, 0}, {8, 0}, {4, 7}};
    c.SetBrushColor(0x800000);
    c.Polygon(tri, 3);
    c.Arc(0, 0, 40, 40, 40, 20, 0, 20);
    c.SetPenMode(TPenMode::Xor);
    c.Ellipse(1, 1, 9, 9);
    const std::string emf = c.Finish();

    const std::vector<Record> recs = Walk(emf);
    using namespace emr;
    const std::vector<uint32_t> want = {
        Header, SetPolyFillMode, SetTextAlign,
        MoveToEx, CreatePen, SelectObject, SetRop2, SetBkMode, SetBkColor, LineTo, LineTo,
        CreatePen, SelectObject, DeleteObject, LineTo,
        CreateBrushIndirect, SelectObject, SetBkMode, Rectangle,
        CreateBrushIndirect, SelectObject, DeleteObject, SetBkMode, SetBkColor, Polygon,
        Arc,
        SetRop2, Ellipse,
        Eof,
    };
    EXPECT_EQ(Types(recs), want);

    // Header: the picture's pixels, its size at 96 dpi in 0.01 mm, the reference screen.
    EXPECT_EQ(I32(emf, 8), 0);
    EXPECT_EQ(I32(emf, 16), 299);
    EXPECT_EQ(I32(emf, 20), 199);
    EXPECT_EQ(I32(emf, 32), 300 * 2540 / 96 - 1);
    EXPECT_EQ(U32(emf, 72), 1920u);
    EXPECT_EQ(U32(emf, 76), 1080u);
    EXPECT_EQ(recs[0].Size, 108u);

    // The second pen: dashed, blue ($BBGGRR kept), width 1.
    const Record& pen2 = recs[11];
    EXPECT_EQ(pen2.Size, 28u);
    EXPECT_EQ(U32(emf, pen2.At + 12), 1u);
    EXPECT_EQ(U32(emf, pen2.At + 16), 1u);
    EXPECT_EQ(U32(emf, pen2.At + 24), 0xFF0000u);
    // A clear brush is the null brush and a transparent background.
    EXPECT_EQ(U32(emf, recs[15].At + 12), 1u);
    EXPECT_EQ(U32(emf, recs[17].At + 8), 1u);
    // The polygon: bounds and points.
    const Record& poly = recs[24];
    EXPECT_EQ(poly.Size, 28u + 3 * 8);
    EXPECT_EQ(I32(emf, poly.At + 16), 8);    // right
    EXPECT_EQ(I32(emf, poly.At + 20), 7);    // bottom
    EXPECT_EQ(U32(emf, poly.At + 24), 3u);
    EXPECT_EQ(I32(emf, poly.At + 28 + 2 * 8 + 4), 7);
    // Exclusive-or pen.
    EXPECT_EQ(U32(emf, recs[26].At + 8), 7u);

    // Nothing is recorded once finished.
    c.LineTo(0, 0);
    EXPECT_TRUE(c.Finish().empty());
}

TEST(EmfCanvas, StyledPensWiderThanOnePixelAreSolid)
{
    struct Case {
        TPenStyle style;
        int width;
        uint32_t code;
    };
    const Case cases[] = {{TPenStyle::Dash, 1, 1}, {TPenStyle::Dot, 0, 2}, {TPenStyle::DashDot, 2, 0},
                          {TPenStyle::DashDotDot, 3, 0}, {TPenStyle::Solid, 4, 0}};
    for (const Case& k : cases) {
        TEmfCanvas c(50, 50);
        c.SetPenStyle(k.style);
        c.SetPenWidth(k.width);
        c.MoveTo(0, 0);
        c.LineTo(40, 0);
        const std::string emf = c.Finish();
        bool seen = false;
        for (const Record& r : Walk(emf))
            if (r.Type == emr::CreatePen) {
                seen = true;
                EXPECT_EQ(U32(emf, r.At + 12), k.code) << k.width;
                EXPECT_EQ(U32(emf, r.At + 16), static_cast<uint32_t>(std::max(1, k.width)));
            }
        EXPECT_TRUE(seen);
    }
}

TEST(EmfCanvas, TextsAreUtf16WithAdvanceWidths)
{
    TEmfCanvas c(100, 100);
    TFontSpec f;
    f.Name = "Times New Roman";
    f.Size = 12;
    f.Escapement = 900;
    f.Color = 0x0000FF;
    c.SetFont(f);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.TextOut(5, 7, "A\x80z");
    f.Name = "Symbol";
    f.Escapement = 0;
    c.SetFont(f);
    c.TextOut(1, 2, "a");
    const std::string emf = c.Finish();
    const std::vector<Record> recs = Walk(emf);
    std::vector<Record> fonts, texts;
    for (const Record& r : recs) {
        if (r.Type == emr::ExtCreateFontIndirectW)
            fonts.push_back(r);
        if (r.Type == emr::ExtTextOutW)
            texts.push_back(r);
        if (r.Type == emr::SetTextColor)
            EXPECT_EQ(U32(emf, r.At + 8), 0x0000FFu);
    }
    ASSERT_EQ(fonts.size(), 2u);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(Counts(recs)[emr::SetTextColor], 1);

    const Record& font = fonts[0];
    EXPECT_EQ(font.Size, 104u);
    EXPECT_EQ(I32(emf, font.At + 12), -FontPixelSize(12));
    EXPECT_EQ(I32(emf, font.At + 20), 900);   // escapement
    EXPECT_EQ(I32(emf, font.At + 24), 900);   // orientation
    std::u16string face(15, u'\0');
    std::memcpy(face.data(), emf.data() + font.At + 40, 30);
    EXPECT_EQ(face, u"Times New Roman");
    EXPECT_EQ(static_cast<uint8_t>(emf[fonts[1].At + 12 + 20 + 3]), 2);   // symbol charset

    const Record& t = texts[0];
    EXPECT_EQ(I32(emf, t.At + 36), 5);        // reference point
    EXPECT_EQ(I32(emf, t.At + 40), 7);
    EXPECT_EQ(U32(emf, t.At + 44), 3u);       // characters
    EXPECT_EQ(U32(emf, t.At + 48), 76u);
    const uint32_t offDx = U32(emf, t.At + 72);
    EXPECT_EQ(offDx, 76u + 8);                // three UTF-16 units padded to 8 bytes
    EXPECT_EQ(t.Size, offDx + 3 * 4);
    std::u16string s(3, u'\0');
    std::memcpy(s.data(), emf.data() + t.At + 76, 6);
    EXPECT_EQ(s, u"A\u20ACz");
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(I32(emf, t.At + offDx + 4 * i), 0);
    char16_t sym = 0;
    std::memcpy(&sym, emf.data() + texts[1].At + 76, 2);
    EXPECT_EQ(sym, 0xF061);
}

TEST(EmfCanvas, TheExportedDrawingIsWholeAndSized)
{
    TSchModel m;
    m.ShapeList = {{1, 0, 0, 100, 50, 0, 0},   {2, 10, 10, 30, 20, 0x10, 0}, {3, 40, 10, 60, 30, 0, 0},
                   {4, 20, 30, 0, 20, 1, 0},   {5, 50, 40, 60, 45, 0, 0},    {6, 70, 10, 80, 20, 0, 0},
                   {12, 0, 20, 40, 10, 0, 0},  {11, 5, 45, 60, 45, 0, 0}};
    TCompRec comp;
    comp.X = 60;
    comp.Y = 5;
    comp.Shapes = {{1, 0, 0, 20, 0, 0, 0}};
    comp.Texts = {{"R1", 0, 0, 0, 0}};
    m.CompList = {comp};
    m.TextList = {{"Hello", 100, 300, 0x20, 0}, {"Up", 200, 200, (90 << 8) | 0x10, 0}};
    TRenderView v;
    v.Scale = 2;
    const std::string emf = ComposeExportMetafile(m, v, 1600, 900);
    const std::vector<Record> recs = Walk(emf);
    std::map<uint32_t, int> n = Counts(recs);
    EXPECT_EQ(n[emr::ExtTextOutW], 3);   // two free texts and the component's
    EXPECT_GE(n[emr::Ellipse], 2);
    EXPECT_GE(n[emr::Rectangle], 1);
    EXPECT_GE(n[emr::Arc], 1);
    EXPECT_GE(n[emr::Polygon], 1);
    const TExportSize size = ExportPixelSize(ExportExtent(m, 2), 2);
    EXPECT_EQ(I32(emf, 16), size.Width - 1);
    EXPECT_EQ(I32(emf, 20), size.Height - 1);
}
