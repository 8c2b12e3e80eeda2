// The streamed line splitter against the whole-text splitter, and its bounds.
#include "schematic/core/line_stream.h"
#include "schematic/core/lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Hands out text in pieces of at most `piece` bytes.
struct TPieces {
    std::string Text;
    std::size_t Piece;
    std::size_t Pos = 0;
    int64_t operator()(char* buf, std::size_t n)
    {
        const std::size_t k = std::min({n, Piece, Text.size() - Pos});
        std::copy_n(Text.data() + Pos, k, buf);
        Pos += k;
        return static_cast<int64_t>(k);
    }
};

std::vector<std::string> Streamed(const std::string& text, std::size_t piece, std::size_t chunk)
{
    TLineStream::TLimits lim;
    lim.Chunk = chunk;
    TLineStream s(TPieces{text, piece}, lim);
    std::vector<std::string> out;
    // Ask for several lines at a time, as the grammar does, then step one on.
    while (s.Has(1)) {
        s.Has(7);
        out.emplace_back(s.Line(0));
        s.Advance(1);
    }
    EXPECT_EQ(s.End(), TLineStream::TEnd::Text);
    return out;
}

std::vector<std::string> Whole(const std::string& text)
{
    const TLines l = TLines::FromText(text);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < l.Count(); ++i)
        out.emplace_back(l[i]);
    return out;
}

TEST(LineStream, SameLinesAsWholeTextForEveryChunkSize)
{
    using namespace std::string_literals;
    std::vector<std::string> texts = {
        "", "\r\n", "\r", "\n", "a", "a\r\nb", "a\r\nb\r\n", "a\rb\nc\r\nd", "\r\r\n\n\r",
        "SCHEMATIC\r\n<SHAPE>\r\n1\r\n", "x\r"s + "\0"s + "y"s, "ab\0\r\ncd"s, "\0"s, "a\r\n\0"s,
        "line\r", "\n\n\n", std::string(300, 'q') + "\r\n" + std::string(5, 'w'),
    };
    // Random texts rich in terminators, so CR LF pairs fall across piece edges.
    std::mt19937 rng(14);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', '5', ' '};
    for (int t = 0; t < 40; ++t) {
        std::string s(rng() % 200, ' ');
        for (char& c : s)
            c = alphabet[rng() % sizeof alphabet];
        texts.push_back(s);
    }
    for (const std::string& text : texts) {
        const auto want = Whole(text);
        for (std::size_t piece = 1; piece <= text.size() + 1; ++piece)
            for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, piece, std::size_t{64} << 10})
                ASSERT_EQ(Streamed(text, piece, chunk), want) << "piece " << piece << " chunk " << chunk;
    }
}

TEST(LineStream, BoundsEndTheText)
{
    TLineStream::TLimits lim;
    lim.MaxLine = 1000;
    lim.MaxBytes = 10000;
    lim.Chunk = 256;
    uint64_t served = 0;
    // An endless line: reading stops soon after the line cap.
    TLineStream endless([&](char* buf, std::size_t n) {
        std::fill_n(buf, n, 'x');
        served += n;
        return static_cast<int64_t>(n);
    }, lim);
    EXPECT_FALSE(endless.Has(1));
    EXPECT_EQ(endless.End(), TLineStream::TEnd::LongLine);
    EXPECT_LE(served, lim.MaxLine + 2 * lim.Chunk);

    // Endless short lines: the byte cap ends them, and the line it cut is dropped.
    const std::string unit = "12345\r\n";
    uint64_t pos = 0;
    TLineStream lines([&](char* buf, std::size_t n) {
        for (std::size_t k = 0; k < n; ++k)
            buf[k] = unit[(pos++) % unit.size()];
        return static_cast<int64_t>(n);
    }, lim);
    std::size_t count = 0;
    while (lines.Has(1)) {
        EXPECT_EQ(lines.Line(0), "12345");
        lines.Advance(1);
        ++count;
    }
    EXPECT_EQ(lines.End(), TLineStream::TEnd::Bytes);
    EXPECT_EQ(count, lim.MaxBytes / unit.size());
    EXPECT_EQ(lines.BytesRead(), lim.MaxBytes);

    // A read error: the lines before it stay readable, then the text ends.
    int calls = 0;
    TLineStream failing([&](char* buf, std::size_t n) -> int64_t {
        if (calls++ > 0)
            return -1;
        const std::string first = "a\r\nb\r\nc";
        std::copy(first.begin(), first.end(), buf);
        return static_cast<int64_t>(first.size());
    }, lim);
    ASSERT_TRUE(failing.Has(2));
    EXPECT_EQ(failing.Line(1), "b");
    EXPECT_FALSE(failing.Has(3));
    EXPECT_EQ(failing.End(), TLineStream::TEnd::Error);
}

} // namespace
