// Large blocks: what is given back serves the next ask of about its size, and every block
// handed out is writable in whole, a reused one too.
#include "platform/sys/byte_buf.h"
#include "platform/sys/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {
// Empties the kept blocks that could serve an ask for a huge page (more asks than it keeps).
void DrainKeptPages()
{
    for (int i = 0; i < 64; ++i) {
        std::size_t size = sys::kHugePage;
        sys::UnmapLarge(sys::TakeLarge(size), size);
    }
}

} // namespace

TEST(LargeBlocks, AGivenBackBlockServesTheNextAskOfItsSize)
{
    constexpr std::size_t kMB = std::size_t{1} << 20;
    std::size_t n = 4 * kMB;
    void* a = sys::TakeLarge(n);
    ASSERT_NE(a, nullptr);
    ASSERT_GE(n, 4 * kMB);
    std::memset(a, 1, n);
    sys::GiveLarge(a, n);

    std::size_t again = 4 * kMB;
    void* b = sys::TakeLarge(again);
    EXPECT_EQ(b, a);
    EXPECT_EQ(again, n);
    std::memset(b, 2, again);
    EXPECT_EQ(static_cast<const char*>(b)[again - 1], 2);

    sys::GiveLarge(b, again);

    // A block of more than twice the ask is not handed out for it.
    std::size_t big = 8 * kMB;
    void* d = sys::TakeLarge(big);
    ASSERT_NE(d, nullptr);
    sys::GiveLarge(d, big);
    std::size_t small = 2 * kMB;
    void* c = sys::TakeLarge(small);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, d);
    EXPECT_LE(small, 4 * kMB);   // the 4 MB block given back above may serve it
    sys::GiveLarge(c, small);
}

TEST(LargeBlocks, BlocksMoveAndRoundUpToWholeHugePages)
{
    // A kept block of up to twice the ask may serve it: sizes are whole huge pages, at least
    // the ask and at most twice its rounding.
    auto fits = [](const sys::TLargeBlock& blk, std::size_t pages) {
        return blk.Size() % sys::kHugePage == 0 && blk.Size() >= pages * sys::kHugePage &&
               blk.Size() <= 2 * pages * sys::kHugePage;
    };
    sys::TLargeBlock a(1);
    EXPECT_TRUE(fits(a, 1)) << a.Size();
    std::memset(a.Data(), 7, a.Size());
    const std::size_t aSize = a.Size();
    sys::TLargeBlock b(std::move(a));
    EXPECT_EQ(a.Data(), nullptr);
    EXPECT_EQ(b.Data()[b.Size() - 1], 7);
    sys::TLargeBlock c(3 * sys::kHugePage + 1);
    EXPECT_TRUE(fits(c, 4)) << c.Size();
    c = std::move(b);
    EXPECT_EQ(c.Size(), aSize);
    EXPECT_EQ(c.Data()[0], 7);
}

namespace {
// Byte i of a test text.
char Pattern(std::size_t i)
{
    return static_cast<char>('a' + (i * 7 + i / 4099) % 26);
}

bool HoldsPattern(const sys::TByteBuf& b, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        if (b.data()[i] != Pattern(i))
            return false;
    return true;
}
} // namespace

TEST(ByteBuf, GrowsFromTheHeapIntoHugePagesKeepingItsBytes)
{
    sys::TByteBuf b;
    std::string piece;
    std::size_t at = 0;
    // Pieces of odd sizes, so growth happens at every kind of offset.
    while (at < 5 * sys::kHugePage + 123) {
        piece.clear();
        for (std::size_t k = 0; k < 1021; ++k)
            piece.push_back(Pattern(at + k));
        b.Append(piece);
        at += piece.size();
    }
    EXPECT_TRUE(b.Mapped());
    EXPECT_EQ(b.capacity() % sys::kHugePage, 0u);
    ASSERT_EQ(b.size(), at);
    EXPECT_TRUE(HoldsPattern(b, 0, at));

    // Its own bytes appended to itself while it grows.
    sys::TByteBuf self;
    self.Append("0123456789");
    for (int i = 0; i < 20; ++i)
        self.Append(self.View());
    EXPECT_EQ(self.size(), std::size_t{10} << 20);
    EXPECT_EQ(self.View().substr(self.size() - 10), "0123456789");

    // Copies and moves.
    sys::TByteBuf copy = b;
    EXPECT_TRUE(copy.View() == b.View());
    sys::TByteBuf moved = std::move(copy);
    EXPECT_TRUE(copy.empty());
    EXPECT_TRUE(moved.View() == b.View());
    b.SetSize(3);
    EXPECT_EQ(b.View(), std::string_view(moved.data(), 3));
    b.Clear();
    EXPECT_TRUE(b.empty());
}

TEST(ByteBuf, TextGivenBackServesTheNextHugePagesAndTheRestStays)
{
    sys::TByteBuf b;
    const std::size_t n = 4 * sys::kHugePage + 5000;
    b.SetSize(n);
    for (std::size_t i = 0; i < n; ++i)
        b.data()[i] = Pattern(i);
    ASSERT_TRUE(b.Mapped());
    const char* const base = b.data();

    // Read up to a point inside the third huge page: the two before it go, and serve the
    // next two asks for a huge page (as a record pool makes them), which write all over them.
    DrainKeptPages();
    b.GiveBackBefore(2 * sys::kHugePage + 777);
    void* pages[2];
    for (void*& p : pages) {
        std::size_t size = sys::kHugePage;
        p = sys::TakeLarge(size);
        ASSERT_NE(p, nullptr);
        EXPECT_GE(static_cast<const char*>(p), base);
        EXPECT_LT(static_cast<const char*>(p), base + 2 * sys::kHugePage);
        std::memset(p, 0, size);
    }
    EXPECT_NE(pages[0], pages[1]);
    EXPECT_TRUE(HoldsPattern(b, 2 * sys::kHugePage, n));

    // Giving back the same front again gives nothing twice.
    b.GiveBackBefore(sys::kHugePage);
    b.GiveBackBefore(2 * sys::kHugePage);
    std::size_t size = sys::kHugePage;
    void* other = sys::TakeLarge(size);
    EXPECT_TRUE(other < base || other >= base + 2 * sys::kHugePage);
    sys::GiveLarge(other, size);

    // A copy has zeros where the bytes were given back, and the rest.
    const sys::TByteBuf copy = b;
    EXPECT_EQ(copy.data()[0], 0);
    EXPECT_EQ(copy.data()[2 * sys::kHugePage - 1], 0);
    EXPECT_TRUE(HoldsPattern(copy, 2 * sys::kHugePage, n));

    // Cleared, it holds nothing of the old block and takes new text.
    b.Clear();
    EXPECT_EQ(b.capacity(), 0u);
    b.Append("SCHEMATIC\r\n");
    EXPECT_EQ(b.View(), "SCHEMATIC\r\n");
    for (void* p : pages)
        sys::GiveLarge(p, sys::kHugePage);
}

TEST(ByteBuf, SmallBufferGivesBackWholePagesOnly)
{
    // On the heap: pages wholly before the offset read as zeros after, the rest stays.
    sys::TByteBuf b;
    const std::size_t n = 300000;
    b.SetSize(n);
    for (std::size_t i = 0; i < n; ++i)
        b.data()[i] = Pattern(i);
    EXPECT_FALSE(b.Mapped());
    b.GiveBackBefore(200000);
    EXPECT_TRUE(HoldsPattern(b, 200000, n));
}
