#include "schematic/core/sch_clip.h"
#include "schematic/core/sch_text.h"
#include "components/core/comp_text.h"

#include <gtest/gtest.h>

#include "tests/support/test_util.h"

using testutil::Split;

namespace {

// Two shapes (one a circle), a component with a shape and a text, two texts.
TSchModel Selection()
{
    TSchModel m;
    m.ShapeList.push_back({1, 10, 20, 30, 40, 0, 1});
    m.ShapeList.push_back({4, 50, 60, 8, 8, 1, 1});
    TCompRec c;
    c.X = 100;
    c.Y = 200;
    c.Selected = 1;
    c.Shapes.push_back({2, -4, -4, 4, 4, 0, 0});
    c.Texts.push_back({"R1", 20, 30, 16, 0});
    m.CompList.push_back(c);
    m.TextList.push_back({"first", 300, 400, 16, 1});
    m.TextList.push_back({"second", 500, 600, 16, 1});
    return m;
}

} // namespace

// Pasted items are displaced by d units (texts by 10 d tenths), selected, put beneath the
// drawing, and come in reverse order; a circle keeps its size.
TEST(Paste, DisplacementOrderAndSelectionAtEachScale)
{
    for (int32_t halfScale : {1, 2, 4}) {
        const int32_t d = 2 * halfScale;
        TLines clip;
        WriteClipboard(Selection(), clip);
        TSchModel m;
        m.ShapeList.push_back({1, 0, 0, 1, 1, 0, 0});   // existing, not selected
        int stores = 0;
        const TPasteResult r = PasteText(clip, d, m, [&] {
            ++stores;
            EXPECT_EQ(m.ShapeList.size(), 1u);   // called before anything went in
        });
        EXPECT_FALSE(r.NoSchematic);
        EXPECT_EQ(r.Added, 5);
        EXPECT_EQ(stores, 1);
        ASSERT_EQ(m.ShapeList.size(), 3u);
        auto s = m.ShapeList.begin();
        EXPECT_EQ(*s, (TShapeRec{4, 50 + d, 60 + d, 8, 8, 1, 1}));
        ++s;
        EXPECT_EQ(*s, (TShapeRec{1, 10 + d, 20 + d, 30 + d, 40 + d, 0, 1}));
        ++s;
        EXPECT_EQ(s->Selected, 0);
        ASSERT_EQ(m.CompList.size(), 1u);
        const TCompRec& c = m.CompList.front();
        EXPECT_EQ(c.X, 100 + d);
        EXPECT_EQ(c.Y, 200 + d);
        EXPECT_EQ(c.Selected, 1);
        EXPECT_EQ(c.Shapes.front(), (TShapeRec{2, -4, -4, 4, 4, 0, 0}));
        EXPECT_EQ(c.Texts.front(), (TTextRec{"R1", 20, 30, 16, 0}));
        ASSERT_EQ(m.TextList.size(), 2u);
        EXPECT_EQ(m.TextList.front(), (TTextRec{"second", 500 + 10 * d, 600 + 10 * d, 16, 1}));
        EXPECT_EQ(m.TextList.back().Text, "first");
    }
}

TEST(Paste, RejectsShortTextsWithoutHeaderAndReportsNothingAdded)
{
    struct Case {
        TLines text;
        bool noSchematic;
    };
    const Case cases[] = {
        {Split({}), true},
        {Split({"hello", "world"}), true},
        {Split({"schematic", "<TEXT>", "a", "0", "1"}), true},
        {Split({"SCHEMATIC", "<TEXT>", "a", "0", "1"}), false},          // block cut off
        {Split({"anything", "<TEXT>", "a", "0", "1", "2"}), false},       // 6 lines: no header check
        {Split({"SCHEMATIC", "<TEXT>", "a", "0", "1", "2"}), false},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        TSchModel m;
        bool stored = false;
        const TPasteResult r = PasteText(cases[k].text, 4, m, [&] { stored = true; });
        EXPECT_EQ(r.NoSchematic, cases[k].noSchematic) << k;
        EXPECT_EQ(r.Added > 0, stored) << k;
    }
    TSchModel m;
    EXPECT_EQ(PasteText(Split({"anything", "<TEXT>", "a", "0", "1", "2"}), 4, m).Added, 1);
}

// File text has "<SHAPE>" inside components: such a component pastes without shapes and
// the reading stops there.
TEST(Paste, FileFormComponentStopsAtItsShapes)
{
    TSchModel src = Selection();
    TLines file;
    WriteSnapshot(src, file);
    TSchModel m;
    const TPasteResult r = PasteText(file, 4, m);
    EXPECT_EQ(m.ShapeList.size(), 2u);
    ASSERT_EQ(m.CompList.size(), 1u);
    EXPECT_TRUE(m.CompList.front().Shapes.empty());
    EXPECT_TRUE(m.TextList.empty());
    EXPECT_EQ(r.Added, 3);
}

// Clipboard texts and component files come from outside: any mix of keywords, numbers and
// junk, cut anywhere, is read without touching a line that is not there.
TEST(Paste, RandomTextsNeverReadPastTheEnd)
{
    const char* vocab[] = {"SCHEMATIC", "<SHAPE>", "<COMPONENT>", "<CSHAPE>", "<CTEXT>", "<TEXT>", "COMPONENT",
                           "1", "-7", "x", "", "2147483648", "$ff"};
    uint32_t seed = 7;
    auto rnd = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 3000; ++round) {
        TLines l;
        const uint32_t n = rnd(40);
        for (uint32_t i = 0; i < n; ++i)
            l.Append(vocab[rnd(std::size(vocab))]);
        TSchModel m;
        const TPasteResult r = PasteText(l, 8, m);
        EXPECT_EQ(static_cast<std::size_t>(r.Added), m.ShapeList.size() + m.CompList.size() + m.TextList.size());
        TCompRec c;
        ReadCompInto(l, c);
    }
}
