#include "schematic/core/lines.h"
#include "schematic/core/numconv.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {
std::vector<std::string> Split(std::string_view text)
{
    const TLines l = TLines::FromText(text);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < l.Count(); ++i)
        out.emplace_back(l[i]);
    return out;
}
} // namespace

TEST(Lines, SplitsOnEveryTerminator)
{
    using V = std::vector<std::string>;
    struct Case { std::string in; V want; };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},                      // final terminator adds no line
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"\n\r", {"", ""}},                     // LF then CR: two terminators
        {"\r\r\n", {"", ""}},
        {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // NUL ends the text
        {std::string("\0a", 2), {}},
        {" x \t", {" x \t"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.in), c.want) << testing::PrintToString(c.in);
}

TEST(Lines, TextIsCrLfAndAppendKeepsOneValuePerLine)
{
    TLines l = TLines::FromText("a\nb\rc");
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\n");
    l.Append(std::string_view("x\r\ny\0z", 6));
    l.AppendNumber(-2147483647 - 1);
    TLines other = TLines::FromText("q\r\n");
    l.Append(other);
    ASSERT_EQ(l.Count(), 6u);
    EXPECT_EQ(l[3], "xyz");
    EXPECT_EQ(l[4], "-2147483648");
    EXPECT_EQ(l[5], "q");
    EXPECT_EQ(TLines::FromText(l.Text()), l);
}

namespace {
// Lines of every length from 0 to 40 (so some cross the 16-byte scan steps), enough of
// them to span several 64-line marks.
std::vector<std::string> Varied(std::size_t count, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(std::string(rng() % 41, static_cast<char>('a' + i % 26)));
    return out;
}

std::string CrLf(const std::vector<std::string>& lines)
{
    std::string t;
    for (const std::string& l : lines)
        t += l + "\r\n";
    return t;
}
} // namespace

TEST(Lines, AnyOrderOfReadingGivesTheSameLines)
{
    const std::vector<std::string> want = Varied(300, 7);
    TLines l = TLines::FromText(CrLf(want));
    ASSERT_EQ(l.Count(), want.size());
    // Backwards, forwards with gaps, single jumps across marks, the same line twice.
    std::vector<std::size_t> order;
    for (std::size_t i = want.size(); i-- > 0;)
        order.push_back(i);
    for (std::size_t i = 0; i < want.size(); i += 7)
        order.push_back(i);
    for (std::size_t i : {63u, 64u, 65u, 0u, 128u, 127u, 299u, 299u, 1u, 191u, 192u})
        order.push_back(i);
    std::mt19937 rng(11);
    for (int k = 0; k < 500; ++k)
        order.push_back(rng() % want.size());
    for (std::size_t i : order)
        ASSERT_EQ(l[i], want[i]) << i;

    // Lists built by the writer, by appending and by chaining at every offset to a mark.
    for (std::size_t head : {0u, 1u, 63u, 64u, 65u, 130u}) {
        TLines chained;
        std::vector<std::string> all(want.begin(), want.begin() + static_cast<long>(head));
        for (std::size_t i = 0; i < head; ++i)
            chained.Append(want[i]);
        chained.Append(l);
        all.insert(all.end(), want.begin(), want.end());
        ASSERT_EQ(chained.Count(), all.size()) << head;
        for (std::size_t i = all.size(); i-- > 0;)
            ASSERT_EQ(chained[i], all[i]) << head << ":" << i;
        for (std::size_t i = 0; i < all.size(); i += 3)
            ASSERT_EQ(chained[i], all[i]) << head << ":" << i;
        TLines written;
        {
            TLines::Writer w(written);
            for (const std::string& s : all)
                w.Line(s);
        }
        EXPECT_EQ(written, chained) << head;
        EXPECT_EQ(written[all.size() - 1], all.back());
        EXPECT_EQ(written[head], all[head]);
    }
}

TEST(Lines, BytesInOurOwnLineEndsAreKeptWithoutACopy)
{
    struct Case {
        std::string in;
        bool kept;   // the string itself becomes the buffer
    };
    const std::string crlf = CrLf(Varied(200, 3));
    const Case cases[] = {
        {crlf, true},
        {"SCHEMATIC\r\n\r\n", true},
        {crlf + "tail", false},                  // last line without a terminator
        {crlf.substr(0, crlf.size() - 1), false}, // ends in CR alone
        {"a\nb\r\n", false},
        {"a\r\nb\rc\r\n", false},
        {"a\r\r\n", false},
        {"\n\r\n", false},
        {std::string("a\r\nb\0c\r\n", 9), false},
        // a NUL ends the text, also deep inside a long one and right after a line end
        {crlf.substr(0, 100) + std::string(1, '\0') + crlf.substr(100), false},
        {crlf + std::string(1, '\0') + "x\r\n", false},
    };
    for (const Case& c : cases) {
        sys::TByteBuf bytes;
        bytes.Reserve(c.in.size() + 100);   // a buffer a copy would not reproduce
        bytes.Append(c.in);
        const char* at = bytes.data();
        const TLines want = TLines::FromText(c.in);
        const TLines got = TLines::FromBytes(std::move(bytes));
        EXPECT_EQ(got, want) << testing::PrintToString(c.in.substr(0, 20));
        ASSERT_EQ(got.Count(), want.Count());
        for (std::size_t i = got.Count(); i-- > 0;)
            ASSERT_EQ(got[i], want[i]);
        EXPECT_EQ(got.TextView().data() == at, c.kept) << testing::PrintToString(c.in.substr(0, 20));
    }
}

TEST(Lines, MovedFromListIsEmpty)
{
    TLines a = TLines::FromText("x\r\ny\r\n");
    EXPECT_EQ(a[1], "y");
    TLines b = std::move(a);
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_EQ(b[0], "x");
    a = std::move(b);
    EXPECT_EQ(b.Count(), 0u);
    b.Append("z");
    EXPECT_EQ(b[0], "z");
    EXPECT_EQ(a[1], "y");
}

TEST(NumConv, Table)
{
    struct Case { const char* in; bool ok; int32_t value; };
    const Case cases[] = {
        {"0", true, 0},
        {"123", true, 123},
        {"-45", true, -45},
        {"+7", true, 7},
        {"   12", true, 12},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"$1F", true, 31},
        {"xff", true, 255},
        {"X10", true, 16},
        {"0x10", true, 16},
        {"0X1a", true, 26},
        {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},
        {"007", true, 7},
        {"999999999", true, 999999999},
        {"-999999999", true, -999999999},
        {"1234567890", true, 1234567890},
        {"-0", true, 0},
        {"0000000000007", true, 7},
        // failures: value of the digits before the fault, without the sign
        {"", false, 0},
        {"   ", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"12 ", false, 12},
        {"-12a", false, 12},
        {"1.5", false, 1},
        {"\t5", false, 0},
        {"2147483648", false, 214748364},
        {"-2147483649", false, 214748364},
        {"99999999999999999999", false, 999999999},
        {"$123456789", false, 0x12345678},
        {"$1G", false, 1},
        {"--1", false, 0},
        {"12345678a", false, 12345678},
        {"-1 ", false, 1},
        {"9999999999", false, 999999999},
        {"0x-1", false, 0},
    };
    for (const Case& c : cases) {
        const TNumConv r = ConvertNumber(c.in);
        EXPECT_EQ(r.Ok, c.ok) << '"' << c.in << '"';
        EXPECT_EQ(r.Value, c.value) << '"' << c.in << '"';
    }
}
