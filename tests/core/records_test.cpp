#include "schematic/core/records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(Records, StyleCommandsChangeOneFieldAndClearHighBits)
{
    const int32_t s = 0x12345;   // bit 16 set, fill 5, width 4, arrow 3, line style 2
    EXPECT_EQ(style::ToggleFill(s), 0x2340);
    EXPECT_EQ(style::ToggleFill(0x2340), 0x2341);
    EXPECT_EQ(style::SetPenWidth(s, 7), 0x2375);
    EXPECT_EQ(style::SetArrowType(s, 6), 0x2645);
    EXPECT_EQ(style::SetLineStyle(s, 5), 0x5345);
}

TEST(Records, StyleFieldsFallBackToDefaults)
{
    EXPECT_EQ(style::PenWidth(0), 1);
    EXPECT_EQ(style::ArrowType(0x700), 1);
    EXPECT_EQ(style::ArrowType(0x600), 6);
    EXPECT_EQ(style::LineStyle(0x6000), 1);
    EXPECT_EQ(style::LineStyle(0x5000), 5);
    EXPECT_EQ(font::SizeStep(0x100), 1);
    EXPECT_EQ(font::Angle(font::Make(true, 3, 270)), 270);
}

TEST(Records, SnapAndCircleSize)
{
    struct Case { int32_t p, scale, want; };
    for (const Case c : {Case{3, 8, 0}, Case{4, 8, 8}, Case{1, 2, 2}, Case{5, 4, 4}, Case{6, 4, 8},
                         Case{-3, 8, 0}, Case{-5, 8, 0}, Case{-12, 8, -8}, Case{-13, 8, -8}})
        EXPECT_EQ(world::SnapPixel(c.p, c.scale), c.want) << c.p << " at " << c.scale;
    EXPECT_EQ(world::CircleSize(12, 4), 12);
    EXPECT_EQ(world::ToWorld(16, 8, 3), 5);
    // File values at the ends of the 32-bit range must not wrap when mapped to pixels.
    EXPECT_EQ(world::ToPixel(2147483647, -1000, 8), (2147483647LL + 1000) * 8);
    EXPECT_EQ(world::ToPixel(5, 2, 4), 12);
    EXPECT_EQ(world::TextToPixel(-2147483647 - 1, 1000, 8), (-2147483648LL - 10000) * 8 / 10);
    EXPECT_EQ(world::TextToPixel(-5, 0, 2), -1);  // truncates toward zero
}

TEST(Records, StoredTextCutsAndDropsLineBreaks)
{
    EXPECT_EQ(StoredText(std::string(150, 'a')).size(), 100u);
    EXPECT_EQ(StoredText(std::string("a\r\nb\0c", 6)), "abc");
}

TEST(Records, EraseMemEmptiesTheModel)
{
    TSchModel m;
    m.ShapeList.push_back({});
    TCompRec c;
    c.Texts.push_back({"R1", 0, 0, 0, 0});
    m.CompList.push_back(c);
    EXPECT_FALSE(m.Empty());
    m.EraseMem();
    EXPECT_TRUE(m.Empty());
}

TEST(Records, PooledListsKeepOrderAddressesAndSplices)
{
    // Enough nodes to fill many chunks, freed and refilled, with addresses taken between.
    TShapeList a, b;
    std::vector<const TShapeRec*> addr;
    for (int32_t i = 0; i < 200000; ++i) {
        (i % 2 ? a : b).push_back({1, i, 0, 0, 0, 0, 0});
    }
    for (const TShapeRec& s : a)
        addr.push_back(&s);
    b.clear();                        // frees blocks in the middle of the chunks
    for (int32_t i = 0; i < 1000; ++i)
        b.push_front({2, i, 0, 0, 0, 0, 0});
    a.splice(a.begin(), b, b.begin(), std::next(b.begin(), 10));
    ASSERT_EQ(a.size(), 100010u);
    ASSERT_EQ(b.size(), 990u);
    auto it = a.begin();
    for (int32_t i = 999; i > 989; --i, ++it)
        ASSERT_EQ(it->X1, i);
    for (std::size_t k = 0; k < addr.size(); ++k, ++it) {
        ASSERT_EQ(&*it, addr[k]);
        ASSERT_EQ(it->X1, static_cast<int32_t>(2 * k + 1));
    }
    // A copy and its original share nothing.
    TShapeList c = a;
    c.front().X1 = -1;
    EXPECT_EQ(a.front().X1, 999);
    a.clear();
    b.clear();
    EXPECT_EQ(c.size(), 100010u);
    EXPECT_EQ(c.back().X1, 199999);
}

TEST(Records, EmptiedPoolIsFilledAgainFromItsChunks)
{
    TNodePool pool(48, 8);
    std::vector<void*> first;
    for (int i = 0; i < 100000; ++i)
        first.push_back(pool.Take());
    const std::size_t held = pool.HeldBytes();
    EXPECT_GE(held, 100000u * 48);
    EXPECT_LT(held, 100000u * 48 + (std::size_t{4} << 20));
    for (void* p : first)
        pool.Give(p);
    EXPECT_EQ(pool.Live(), 0u);
    // The same blocks, in the same order, and nothing more held.
    for (std::size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(pool.Take(), first[i]) << i;
    EXPECT_EQ(pool.HeldBytes(), held);
    for (void* p : first) {
        std::memset(p, 0xAB, 48);     // every block is whole and writable
        pool.Give(p);
    }
}
