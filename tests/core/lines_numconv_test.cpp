#include "schematic/core/lines.h"
#include "schematic/core/numconv.h"

#include <gtest/gtest.h>

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
        {"0x-1", false, 0},
    };
    for (const Case& c : cases) {
        const TNumConv r = ConvertNumber(c.in);
        EXPECT_EQ(r.Ok, c.ok) << '"' << c.in << '"';
        EXPECT_EQ(r.Value, c.value) << '"' << c.in << '"';
    }
}
