#pragma once
// The grammar of one snapshot of the schematic text, walked once from top to bottom and fed
// to a sink: the model reader, the clipboard reader, the header finder (which only walks)
// and the previews (which draw each block as it is read). Keeping one walk for all of them
// keeps the rules of where a snapshot ends identical everywhere.
//
// A source is a cursor over lines:
//   bool Has(std::size_t k)            at least k lines from the cursor on
//   std::string_view Line(std::size_t k) const   line k from the cursor (k below what Has gave)
//   void Advance(std::size_t k)        moves the cursor k lines on
// A sink takes each block while the cursor is on its keyword line:
//   Shape(src), Comp(src), CompShape(src), CompText(src), Text(src)
// and reads the block's own lines through src.Line(1..).
#include "schematic/core/lines.h"
#include "schematic/core/numconv.h"
#include "schematic/core/records.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace schtext {

inline constexpr std::string_view kHeader = "SCHEMATIC";
inline constexpr std::string_view kShape = "<SHAPE>";
inline constexpr std::string_view kCShape = "<CSHAPE>";
inline constexpr std::string_view kComp = "<COMPONENT>";
inline constexpr std::string_view kCText = "<CTEXT>";
inline constexpr std::string_view kText = "<TEXT>";

inline constexpr std::size_t kShapeLines = 7;
inline constexpr std::size_t kCompLines = 3;
inline constexpr std::size_t kTextLines = 5;

// Lines held in memory, from line `from` on.
class TLinesCursor {
public:
    TLinesCursor(const TLines& lines, std::size_t from) : L_(lines), i_(from), n_(lines.Count()) {}
    // The lines from from up to end (at most the last line).
    TLinesCursor(const TLines& lines, std::size_t from, std::size_t end)
        : L_(lines), i_(from), n_(end < lines.Count() ? end : lines.Count()) {}
    // k is a block's length and i_ a line index: the sum cannot wrap.
    bool Has(std::size_t k) const { return i_ + k <= n_; }
    std::string_view Line(std::size_t k) const { return L_[i_ + k]; }
    void Advance(std::size_t k) { i_ += k; }
    std::size_t Pos() const { return i_; }

private:
    const TLines& L_;
    std::size_t i_;
    std::size_t n_;
};

// The same lines read straight from the list's bytes in one pass: every line of a TLines is
// followed by CR LF, so a keyword is matched, a number converted and the start of the next
// line found all while the line's bytes are read once. Only the starts of the few lines of
// the block at the cursor are kept. For the readers that take every line in order.
class TTextCursor {
public:
    TTextCursor(const TLines& lines, std::size_t from) : i_(from), n_(lines.Count())
    {
        const std::string_view all = lines.TextView();
        end_ = all.data() + all.size();
        st_[0] = from < n_ ? lines[from].data() : end_;
        dropped_ = st_[0];
    }
    // Reading a list that is used once: the memory of the lines passed is given back as the
    // cursor moves on, a few megabytes at a time.
    TTextCursor(TLines& lines, std::size_t from, bool dropBehind) : TTextCursor(static_cast<const TLines&>(lines), from)
    {
        if (dropBehind)
            drop_ = &lines;
    }
    bool Has(std::size_t k) const { return i_ + k <= n_; }
    std::string_view Line(std::size_t k) const
    {
        Know(k + 1);
        return std::string_view(st_[k], static_cast<std::size_t>(st_[k + 1] - 2 - st_[k]));
    }
    // Whether line k is exactly word (a keyword without CR or LF).
    bool LineIs(std::size_t k, std::string_view word) const
    {
        Know(k);
        const char* p = st_[k];
        if (static_cast<std::size_t>(end_ - p) < word.size() + 2 || std::memcmp(p, word.data(), word.size()) != 0 ||
            p[word.size()] != '\r')
            return false;
        if (known_ == k + 1 && k + 1 < kRoom) {
            st_[k + 1] = p + word.size() + 2;
            ++known_;
        }
        return true;
    }
    // Line k as a number, as ConvertNumber gives it. The writers' form, "-" and one to seven
    // digits, is converted inline as the line is found; anything else goes the long way.
    [[gnu::always_inline]] TNumConv Number(std::size_t k) const
    {
        Know(k);
        const char* p = st_[k];
        const char* q = p + (*p == '-');
        if (end_ - q >= 8) {
            // Eight bytes at once: the digits before the first other byte (a borrow from a byte
            // below '0' only reaches the bytes after it), then their value by pairs.
            uint64_t w;
            std::memcpy(&w, q, 8);
            const uint64_t t = w - 0x3030303030303030ull;
            const uint64_t other = (t | (t + 0x7676767676767676ull)) & 0x8080808080808080ull;
            const unsigned len = other ? static_cast<unsigned>(__builtin_ctzll(other)) / 8 : 8;
            if (len >= 1 && len < 8 && q[len] == '\r') [[likely]] {
                uint64_t d = t << (8 * (8 - len));   // the digits in the top bytes, zeros below
                d = ((d & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
                d = ((d & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
                d = ((d & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
                const uint32_t v = static_cast<uint32_t>(d);
                if (known_ == k + 1 && k + 1 < kRoom) {
                    st_[k + 1] = q + len + 2;
                    ++known_;
                }
                return {*p == '-' ? -static_cast<int32_t>(v) : static_cast<int32_t>(v), true};
            }
        }
        return NumberSlow(k);
    }
    // Lines first .. first + N - 1 as numbers into v, as Number gives each; returns how many
    // failed. The line ends come from one mask of the LFs in the next 64 bytes, so finding
    // the next line never waits for the line before it to be converted.
    template <std::size_t N>
    [[gnu::always_inline]] int Numbers(std::size_t first, int32_t (&v)[N]) const
    {
        static_assert(N + 1 < kRoom);
        Know(first);
        const char* const p = st_[first];
        // Eight bytes are read from each number's first digit, at most 65 bytes on.
        if (end_ - p < 73) [[unlikely]]
            return NumbersOneByOne(first, v);
        uint64_t lf = LfMask64(p);
        const char* s = p;
        int fails = 0;
#pragma GCC unroll 8
        for (std::size_t j = 0; j < N; ++j) {
            if (lf == 0) [[unlikely]]
                return NumbersOneByOne(first, v);   // long lines: not all within the 64 bytes
            const char* const e = p + __builtin_ctzll(lf);   // the LF after the line's CR
            lf &= lf - 1;
            st_[first + j] = s;
            const unsigned neg = *s == '-';
            const char* const q = s + neg;
            const std::size_t len = static_cast<std::size_t>(e - 1 - q);
            uint64_t w;
            std::memcpy(&w, q, 8);
            const uint64_t t = w - 0x3030303030303030ull;
            const uint64_t other = (t | (t + 0x7676767676767676ull)) & 0x8080808080808080ull;
            const unsigned shift = static_cast<unsigned>(64 - 8 * len) & 63;
            if (len - 1 < 8 && (other << shift) == 0) [[likely]] {
                v[j] = Digits(t, len, shift, neg);
            } else {
                const TNumConv r = ConvertLine(s, e - 1);
                v[j] = r.Value;
                fails += !r.Ok;
            }
            s = e + 1;
        }
        st_[first + N] = s;
        if (known_ < first + N + 1)
            known_ = first + N + 1;
        return fails;
    }
    // The same, each line's end found from the bytes of its digits.
    template <std::size_t N>
    int NumbersOneByOne(std::size_t first, int32_t (&v)[N]) const
    {
        static_assert(N + 1 < kRoom);
        Know(first);
        const char* p = st_[first];
        int fails = 0;
        for (std::size_t j = 0; j < N; ++j) {
            st_[first + j] = p;
            if (end_ - p >= 8) [[likely]] {
                uint64_t w;
                std::memcpy(&w, p, 8);
                // The first CR among the eight bytes (the line's own: lines hold no CR).
                const uint64_t x = w ^ 0x0D0D0D0D0D0D0D0Dull;
                const uint64_t cr = (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
                const unsigned pos = static_cast<unsigned>(__builtin_ctzll(cr | (uint64_t{1} << 63))) / 8;
                const unsigned neg = (w & 0xFF) == '-';
                const unsigned len = pos - neg;   // digits, when pos is the CR
                const uint64_t t = (w >> (8 * neg)) - 0x3030303030303030ull;
                const uint64_t other = (t | (t + 0x7676767676767676ull)) & 0x8080808080808080ull;
                const unsigned shift = (64 - 8 * len) & 63;
                if (cr != 0 && len - 1 < 7 && (other << shift) == 0) [[likely]] {
                    v[j] = Digits(t, len, shift, neg);
                    p += pos + 2;
                    continue;
                }
            }
            const TNumConv r = LongNumber(p);
            v[j] = r.Value;
            fails += !r.Ok;
        }
        st_[first + N] = p;
        if (known_ < first + N + 1)
            known_ = first + N + 1;
        return fails;
    }
    void Advance(std::size_t k)
    {
        i_ += k;
        if (drop_ != nullptr && st_[0] - dropped_ >= kDropStep) {
            // Only lines before the current one go; the cursor never looks back.
            drop_->DropBefore(st_[0]);
            dropped_ = st_[0];
        }
        if (k < known_) {
            for (std::size_t j = k; j < known_; ++j)
                st_[j - k] = st_[j];
            known_ -= k;
            return;
        }
        st_[0] = SkipLines(st_[known_ > 0 ? known_ - 1 : 0], k - known_ + 1);
        known_ = 1;
    }
    std::size_t Pos() const { return i_; }

private:
    // Number's other cases: near the end of the text, eight or nine digits, or not the
    // writers' form at all.
    [[gnu::noinline]] TNumConv NumberSlow(std::size_t k) const
    {
        const char* p = st_[k];
        const char* q = p + (*p == '-');
        const char* const digits = q;
        uint32_t v = 0;
        while (q - digits < 9) {
            const uint32_t d = static_cast<uint32_t>(static_cast<unsigned char>(*q)) - '0';
            if (d > 9)
                break;
            v = v * 10 + d;
            ++q;
        }
        if (*q == '\r' && q != digits) {
            if (known_ == k + 1 && k + 1 < kRoom) {
                st_[k + 1] = q + 2;
                ++known_;
            }
            return {*p == '-' ? -static_cast<int32_t>(v) : static_cast<int32_t>(v), true};
        }
        return ConvertAnyNumber(Line(k));
    }
    // The value of len (1 to 8) digits held as bytes 0 to 9 in the low bytes of t (shift is
    // 64 - 8 * len), negated when neg: the digits moved to the top bytes, zeros below, then
    // summed by pairs. Up to four digits, most numbers of a drawing, take one step less.
    [[gnu::always_inline]] static int32_t Digits(uint64_t t, std::size_t len, unsigned shift, unsigned neg)
    {
        uint32_t value;
        if (len <= 4) {
            uint32_t d = static_cast<uint32_t>(t) << (shift - 32);
            d = ((d & 0x0F0F0F0Fu) * 2561) >> 8;
            value = ((d & 0x00FF00FFu) * 6553601) >> 16;
        } else {
            uint64_t d = t << shift;
            d = ((d & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
            d = ((d & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
            value = static_cast<uint32_t>(((d & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32);
        }
        const uint32_t m = 0u - neg;
        return static_cast<int32_t>((value ^ m) + neg);
    }
    [[gnu::noinline]] static TNumConv ConvertLine(const char* b, const char* e)
    {
        return ConvertNumber(std::string_view(b, static_cast<std::size_t>(e - b)));
    }
    // The LFs among the 64 bytes at b.
    static uint64_t LfMask64(const char* b)
    {
        uint64_t m = 0;
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        for (int j = 0; j < 4; ++j) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16 * j));
            m |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, lf)))) << (16 * j);
        }
#else
        for (int j = 0; j < 64; ++j)
            m |= static_cast<uint64_t>(b[j] == '\n') << j;
#endif
        return m;
    }
    // Numbers' other cases: the line at p as ConvertNumber takes it, p moved to the next line.
    [[gnu::noinline]] TNumConv LongNumber(const char*& p) const
    {
        const char* e = SkipLines(p, 1);
        const TNumConv r = ConvertNumber(std::string_view(p, static_cast<std::size_t>(e - 2 - p)));
        p = e;
        return r;
    }
    // Start of the count-th line after the one at p (count >= 1): past count LFs, 16 bytes
    // at a time, as lines are short.
    const char* SkipLines(const char* p, std::size_t count) const
    {
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        while (end_ - p >= 16) {
            unsigned m = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
            for (; m != 0; m &= m - 1)
                if (--count == 0)
                    return p + __builtin_ctz(m) + 1;
            p += 16;
        }
#endif
        for (; p < end_; ++p)
            if (*p == '\n' && --count == 0)
                return p + 1;
        return end_;
    }
    void Know(std::size_t k) const
    {
        // known_ is at least 1 and k below the room kept; the bounds are kept for the compiler.
        while (known_ <= k && known_ < kRoom) {
            st_[known_] = SkipLines(st_[known_ > 0 ? known_ - 1 : 0], 1);
            ++known_;
        }
    }

    std::size_t i_;
    std::size_t n_;
    const char* end_;
    // Starts of lines i_ .. i_ + known_ - 1; a block has at most 7 lines, plus the next.
    static constexpr std::size_t kRoom = kShapeLines + 2;
    static constexpr std::ptrdiff_t kDropStep = std::ptrdiff_t{4} << 20;
    TLines* drop_ = nullptr;
    const char* dropped_ = nullptr;
    mutable const char* st_[kRoom] = {};
    mutable std::size_t known_ = 1;
};

// Line k of the cursor is exactly word; a cursor over bytes matches it in place.
template <class S>
inline bool LineIs(const S& src, std::size_t k, std::string_view word)
{
    if constexpr (requires { src.LineIs(k, word); })
        return src.LineIs(k, word);
    else
        return src.Line(k) == word;
}

// Line k of the cursor converted as a number.
template <class S>
[[gnu::always_inline]] inline TNumConv NumberAt(const S& src, std::size_t k)
{
    if constexpr (requires { src.Number(k); })
        return src.Number(k);
    else
        return ConvertNumber(src.Line(k));
}

// Walks the blocks after a header: shapes, components (each with its shapes and texts),
// free texts. A block is taken only when all of its lines are there; the walk ends at the
// end or at the first line that is not the keyword expected at that point, which the
// cursor is left on. compShape is "<CSHAPE>" for the clipboard form.
template <class Src, class Sink>
void WalkBody(Src& src, Sink& sink, std::string_view compShape = kShape)
{
    while (src.Has(kShapeLines) && LineIs(src, 0, kShape)) {
        sink.Shape(src);
        src.Advance(kShapeLines);
    }
    while (src.Has(kCompLines) && LineIs(src, 0, kComp)) {
        sink.Comp(src);
        src.Advance(kCompLines);
        while (src.Has(kShapeLines) && LineIs(src, 0, compShape)) {
            sink.CompShape(src);
            src.Advance(kShapeLines);
        }
        while (src.Has(kTextLines) && LineIs(src, 0, kCText)) {
            sink.CompText(src);
            src.Advance(kTextLines);
        }
    }
    while (src.Has(kTextLines) && LineIs(src, 0, kText)) {
        sink.Text(src);
        src.Advance(kTextLines);
    }
}

// A sink that takes nothing: walking alone finds where a snapshot ends.
struct TNullSink {
    template <class S> void Shape(const S&) {}
    template <class S> void Comp(const S&) {}
    template <class S> void CompShape(const S&) {}
    template <class S> void CompText(const S&) {}
    template <class S> void Text(const S&) {}
};

// Number lines into fields. Counting: errors grows by one per failed line.
inline int32_t Num(std::string_view line, int& errors)
{
    const TNumConv r = ConvertNumber(line);
    errors += !r.Ok;
    return r.Value;
}
// Silent: a failed line gives the digits read before the fault.
inline int32_t Num(std::string_view line) { return ConvertNumber(line).Value; }

// Line k of the cursor into a field, counting a failure as Num does.
template <class S>
[[gnu::always_inline]] inline int32_t NumAt(const S& src, std::size_t k, int& errors)
{
    const TNumConv r = NumberAt(src, k);
    errors += !r.Ok;
    return r.Value;
}
template <class S>
inline int32_t NumAt(const S& src, std::size_t k)
{
    return NumberAt(src, k).Value;
}

// Lines first .. first + N - 1 of the cursor into v, counting failures as NumAt does; a
// cursor over bytes reads them in one run.
template <class S, std::size_t N, class... E>
[[gnu::always_inline]] inline void NumbersAt(const S& src, std::size_t first, int32_t (&v)[N], E&... errors)
{
    if constexpr (requires { src.Numbers(first, v); }) {
        const int fails = src.Numbers(first, v);
        ((errors += fails), ...);
    } else {
        for (std::size_t j = 0; j < N; ++j)
            v[j] = NumAt(src, first + j, errors...);
    }
}

// Kind, X1, Y1, X2, Y2, Style of the shape block at the cursor.
template <class S, class... E>
void ShapeValues(const S& src, TShapeRec& s, E&... errors)
{
    int32_t v[6];
    NumbersAt(src, 1, v, errors...);
    s.Kind = v[0];
    s.X1 = v[1];
    s.Y1 = v[2];
    s.X2 = v[3];
    s.Y2 = v[4];
    s.Style = v[5];
}

// Text (cut to 100 bytes), Font, X, Y of the text block at the cursor.
template <class S, class... E>
void TextValues(const S& src, TTextRec& t, E&... errors)
{
    const std::string_view text = src.Line(1);
    t.Text.assign(text.data(), text.size() < MaxTextLen ? text.size() : MaxTextLen);
    int32_t v[3];
    NumbersAt(src, 2, v, errors...);
    t.Font = v[0];
    t.X = v[1];
    t.Y = v[2];
}

} // namespace schtext
