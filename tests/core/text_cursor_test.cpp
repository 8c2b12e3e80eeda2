// The loader's one-pass cursor must read every line exactly as the line list gives it: the
// same views, the same keyword matches and the same numbers as ConvertNumber, wherever the
// line lies in the buffer (its fast paths read eight bytes ahead, so the end matters).
#include "schematic/core/sch_grammar.h"
#include "schematic/core/sch_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::string> kNumberLines = {
    "0", "7", "-7", "12", "-12", "1234567", "12345678", "-12345678", "123456789", "-123456789",
    "1234567890", "2147483647", "-2147483648", "2147483648", "-2147483649", "99999999999",
    "", "-", "+5", " 5", "5 ", "$FF", "0x1A", "x10", "-$10", "12a", "1-2", "--1", "0009",
    "00000000012", "9/", ":9", "\xB5" "5", "5\xB9", "1.5", "<SHAPE>", "\x80",
};

} // namespace

TEST(TextCursor, NumbersAndLinesAsTheLineListGivesThem)
{
    for (const std::string& probe : kNumberLines) {
        // The probe in the middle of longer lines, and as the very last line.
        for (const bool last : {false, true}) {
            TLines lines;
            lines.Append("<SHAPE>");
            lines.Append(probe);
            if (!last) {
                lines.Append("-3");
                lines.Append("A text line that is longer than sixteen bytes");
            }
            schtext::TTextCursor cur(lines, 0);
            ASSERT_TRUE(cur.Has(lines.Count()));
            EXPECT_TRUE(cur.LineIs(0, "<SHAPE>"));
            EXPECT_EQ(cur.LineIs(1, "<SHAPE>"), probe == "<SHAPE>") << probe;
            const TNumConv want = ConvertNumber(probe);
            const TNumConv got = cur.Number(1);
            EXPECT_EQ(got.Ok, want.Ok) << "[" << probe << "] last " << last;
            EXPECT_EQ(got.Value, want.Value) << "[" << probe << "] last " << last;
            // The line after it is found from where the number ended.
            for (std::size_t k = 0; k < lines.Count(); ++k)
                EXPECT_EQ(cur.Line(k), lines[k]) << "[" << probe << "] line " << k;
        }
    }
}

TEST(TextCursor, NumberRunsAsConvertNumberGivesEachLine)
{
    // A run of six numbers read at once: each probe in every place of the run, between
    // lines of the writers' form, with the run at the very end of the text, just before it
    // or far from it (the run is read differently near the end), and with lines too long
    // for one look ahead; the values, the count of failures and the lines after the run
    // must all match.
    std::vector<std::string> probes = kNumberLines;
    probes.push_back(std::string(70, '5'));
    probes.push_back(std::string(60, '0') + "12");
    for (const std::string& probe : probes) {
        for (std::size_t at = 0; at < 6; ++at) {
            for (const int tail : {0, 1, 4}) {
                std::vector<std::string> run = {"1", "-22", "333", "4444", "-55555", "0"};
                run[at] = probe;
                TLines lines;
                lines.Append("<SHAPE>");
                for (const std::string& r : run)
                    lines.Append(r);
                if (tail > 0)
                    lines.Append("7");
                for (int k = 0; k < tail; ++k)
                    lines.Append("A text line that is longer than sixteen bytes");
                const std::string where = "[" + probe + "] at " + std::to_string(at) + " tail " + std::to_string(tail);
                schtext::TTextCursor cur(lines, 0);
                ASSERT_TRUE(cur.LineIs(0, "<SHAPE>"));
                int32_t v[6];
                const int fails = cur.Numbers(1, v);
                int wantFails = 0;
                for (std::size_t k = 0; k < 6; ++k) {
                    const TNumConv want = ConvertNumber(run[k]);
                    wantFails += !want.Ok;
                    EXPECT_EQ(v[k], want.Value) << where << " line " << k;
                }
                EXPECT_EQ(fails, wantFails) << where;
                for (std::size_t k = 0; k < 7; ++k)
                    EXPECT_EQ(cur.Line(k), lines[k]) << where << " line " << k;
                cur.Advance(7);
                if (tail > 0) {
                    EXPECT_EQ(cur.Number(0).Value, 7) << where;
                    EXPECT_EQ(cur.Line(1), lines[8]) << where;
                }
            }
        }
    }
}

TEST(TextCursor, AdvanceOverKnownAndUnknownLines)
{
    TLines lines;
    for (int i = 0; i < 40; ++i)
        lines.Append(i % 3 == 0 ? std::string(i * 3, 'x') : std::to_string(i * 1000 - 7));
    // Steps of every block length, reading some lines of each block before moving on.
    for (std::size_t step : {1u, 3u, 5u, 7u}) {
        for (std::size_t read : {0u, 1u, 4u, 8u}) {
            schtext::TTextCursor cur(lines, 2);
            std::size_t at = 2;
            while (cur.Has(step)) {
                for (std::size_t k = 0; k < read && k < step; ++k) {
                    EXPECT_EQ(cur.Line(k), lines[at + k]) << step << " " << read << " at " << at;
                    EXPECT_EQ(cur.Number(k).Value, ConvertNumber(lines[at + k]).Value);
                }
                cur.Advance(step);
                at += step;
                EXPECT_EQ(cur.Pos(), at);
            }
            if (at < lines.Count()) {
                EXPECT_EQ(cur.Line(0), lines[at]);
            }
        }
    }
}

TEST(TextCursor, LoadTakingGivesTheSameDrawingAndEmptiesTheSlot)
{
    // Large enough that memory behind the reader is given back several times while reading.
    TSchModel m;
    for (int i = 0; i < 150000; ++i)
        m.ShapeList.push_back({1 + i % 12, i, -i, i * 7, 123456789 - i, i % 4096, 0});
    for (int i = 0; i < 2000; ++i) {
        TCompRec c;
        c.X = i;
        c.Y = -i;
        c.Shapes.push_back({2, -4, -4, 4, 4, 0x11, 0});
        c.Texts.push_back({"U" + std::to_string(i), 20, -40, 0x30, 0});
        m.CompList.push_back(std::move(c));
    }
    for (int i = 0; i < 20000; ++i)
        m.TextList.push_back({"Text " + std::to_string(i), i * 10, i, 0x30, 0});
    TLines one;
    WriteSnapshot(m, one);
    ASSERT_GT(one.TextView().size(), std::size_t{8} << 20);
    // Two states one after another, read at the second one's header.
    TLines two = one;
    two.Append(one);
    for (const std::size_t start : {std::size_t{0}, one.Count()}) {
        TSchModel want, got;
        const TLoadReport a = DoLoad(two, static_cast<int>(start), want);
        TLines slot = two;
        const TLoadReport b = DoLoadTaking(std::move(slot), static_cast<int>(start), got);
        EXPECT_TRUE(a.Ok && b.Ok);
        EXPECT_EQ(b.Message, a.Message);
        EXPECT_TRUE(got == want) << "start " << start;
        EXPECT_TRUE(got == m) << "start " << start;
        EXPECT_EQ(slot.Count(), 0u);
    }
}
