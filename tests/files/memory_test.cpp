// Large blocks: what is given back serves the next ask of about its size, and every block
// handed out is writable in whole, a reused one too.
#include "platform/sys/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

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
    sys::TLargeBlock a(1);
    EXPECT_EQ(a.Size(), sys::kHugePage);
    std::memset(a.Data(), 7, a.Size());
    sys::TLargeBlock b(std::move(a));
    EXPECT_EQ(a.Data(), nullptr);
    EXPECT_EQ(b.Data()[b.Size() - 1], 7);
    sys::TLargeBlock c(3 * sys::kHugePage + 1);
    EXPECT_EQ(c.Size(), 4 * sys::kHugePage);
    c = std::move(b);
    EXPECT_EQ(c.Size(), sys::kHugePage);
    EXPECT_EQ(c.Data()[0], 7);
}
