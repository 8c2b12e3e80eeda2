#include "schematic/core/lines.h"

#include "platform/sys/memory.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

// Offsets are 32 bits. Lone CR or LF grow into CR LF, so the input is capped at half.
constexpr std::size_t kMaxBuf = std::numeric_limits<uint32_t>::max();
constexpr std::size_t kMaxInput = kMaxBuf / 2 - 2;

// Bit k set when p[k] is CR or LF, for the 64 bytes at p.
inline uint64_t BreakMask64(const char* p)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
        m |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(hit))) << (16 * k);
    }
    return m;
#else
    uint64_t m = 0;
    for (int k = 0; k < 64; ++k)
        m |= static_cast<uint64_t>(p[k] == '\r' || p[k] == '\n') << k;
    return m;
#endif
}

inline uint64_t BreakMaskTail(const char* p, std::size_t n)
{
    uint64_t m = 0;
    for (std::size_t k = 0; k < n; ++k)
        m |= static_cast<uint64_t>(p[k] == '\r' || p[k] == '\n') << k;
    return m;
}


// Bit k set when p[k] is c, for the 64 bytes at p (or the n < 64 bytes at p).
inline uint64_t ByteMask64(const char* p, char c)
{
#if defined(__SSE2__)
    const __m128i v0 = _mm_set1_epi8(c);
    uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        m |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, v0)))) << (16 * k);
    }
    return m;
#else
    uint64_t m = 0;
    for (int k = 0; k < 64; ++k)
        m |= static_cast<uint64_t>(p[k] == c) << k;
    return m;
#endif
}

inline uint64_t ByteMaskTail(const char* p, std::size_t n, char c)
{
    uint64_t m = 0;
    for (std::size_t k = 0; k < n; ++k)
        m |= static_cast<uint64_t>(p[k] == c) << k;
    return m;
}

// Set bits of m. The builtin becomes a library call without the POPCNT instruction.
inline unsigned Popcount(uint64_t m)
{
#if defined(__POPCNT__)
    return static_cast<unsigned>(__builtin_popcountll(m));
#else
    m = m - ((m >> 1) & 0x5555555555555555ull);
    m = (m & 0x3333333333333333ull) + ((m >> 2) & 0x3333333333333333ull);
    m = (m + (m >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<unsigned>((m * 0x0101010101010101ull) >> 56);
#endif
}

// Position of the k-th set bit of m (k from 1); m has at least k bits set.
inline unsigned NthBit(uint64_t m, unsigned k)
{
    while (--k)
        m &= m - 1;
    return static_cast<unsigned>(__builtin_ctzll(m));
}

// Marks the lines that begin after the LFs of one block (bits of lf, block at offset base of
// a text of n bytes) whose number is a multiple of every; line is the number of the line the
// block begins in, and is moved on.
inline void MarkBlock(uint64_t lf, std::size_t base, std::size_t n, std::size_t every, std::size_t& line,
                      std::vector<uint32_t>& marks)
{
    const unsigned c = Popcount(lf);
    // The k-th LF of the block begins line line + k.
    for (unsigned k = static_cast<unsigned>(every - line % every); k <= c; k += every) {
        const std::size_t next = base + NthBit(lf, k) + 1;
        if (next < n)
            marks.push_back(static_cast<uint32_t>(next));
    }
    line += c;
}

// The NUL-free part of text, cut to what 32-bit offsets can hold.
std::size_t UsableLength(const char* p, std::size_t n)
{
    if (n == 0)
        return 0;
    if (const void* z = std::memchr(p, '\0', n))
        n = static_cast<std::size_t>(static_cast<const char*>(z) - p);
    return std::min(n, kMaxInput);
}

} // namespace

TLines::TLines(TLines&& o) noexcept
    : buf_(std::move(o.buf_)), marks_(std::move(o.marks_)), count_(o.count_), fresh_(o.fresh_), at_(o.at_)
{
    o.Clear();
    o.fresh_ = 0;
}

TLines& TLines::operator=(TLines&& o) noexcept
{
    if (this != &o) {
        buf_ = std::move(o.buf_);
        marks_ = std::move(o.marks_);
        count_ = o.count_;
        fresh_ = o.fresh_;
        at_ = o.at_;
        o.Clear();
        o.fresh_ = 0;
    }
    return *this;
}

bool TLines::TakeCrLf(const char* p, std::size_t n)
{
    // One pass: the text is checked (every CR followed by LF, every LF after a CR, CR LF at
    // the end, no NUL) while its lines are counted and marked.
    if (n < 2 || p[n - 2] != '\r' || p[n - 1] != '\n')
        return false;
    // Room for the marks of lines of two characters or more (a drawing's lines are longer),
    // so the list is not copied while it grows; text of shorter lines grows it as before.
    // Room for every possible line would take a fresh mapping for texts of a few megabytes.
    marks_.reserve(n / (4 * kMarkEvery) + 2);
    marks_.push_back(0);
    std::size_t line = 0;
    uint64_t carry = 0;  // a CR in the last byte of the block before
    for (std::size_t base = 0; base < n; base += 64) {
        uint64_t cr, lf, nul;
        if (n - base >= 64) {
#if defined(__SSE2__)
            const __m128i vcr = _mm_set1_epi8('\r');
            const __m128i vlf = _mm_set1_epi8('\n');
            const __m128i vnul = _mm_setzero_si128();
            __m128i z = _mm_setzero_si128();
            cr = lf = 0;
            for (int k = 0; k < 4; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + base + 16 * k));
                cr |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr)))) << (16 * k);
                lf |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf)))) << (16 * k);
                z = _mm_or_si128(z, _mm_cmpeq_epi8(v, vnul));
            }
            nul = static_cast<uint64_t>(_mm_movemask_epi8(z));
#else
            cr = ByteMask64(p + base, '\r');
            lf = ByteMask64(p + base, '\n');
            nul = ByteMask64(p + base, '\0');
#endif
        } else {
            cr = ByteMaskTail(p + base, n - base, '\r');
            lf = ByteMaskTail(p + base, n - base, '\n');
            nul = ByteMaskTail(p + base, n - base, '\0');
        }
        if (((cr << 1) | carry) != lf || nul != 0) {
            marks_.clear();
            return false;
        }
        carry = cr >> 63;
        MarkBlock(lf, base, n, kMarkEvery, line, marks_);
    }
    count_ = line;
    return true;
}

TLines TLines::FromText(std::string_view text)
{
    TLines t;
    const char* p = text.data();
    const std::size_t n = UsableLength(p, text.size());
    if (n == 0)
        return t;
    // Text in our own line ends is copied as it is.
    if (t.TakeCrLf(p, n)) {
        t.Room(n);
        t.buf_.Append(p, n);
        return t;
    }

    // CR LF pairs are kept as they are, so text written by us is copied in long runs; only a
    // lone CR or LF ends a run and is replaced by CR LF.
    // Reserve for the worst case (every break a lone CR or LF); pages that are reserved but
    // never written cost nothing.
    std::size_t breaks = 0;
    for (std::size_t base = 0; base < n; base += 64)
        breaks += Popcount(n - base >= 64 ? BreakMask64(p + base) : BreakMaskTail(p + base, n - base));
    t.Room(n + breaks + 2);
    std::size_t run = 0;  // input offset where the current uncopied run begins
    std::size_t skip = std::numeric_limits<std::size_t>::max();  // LF of a CR LF pair
    for (std::size_t base = 0; base < n; base += 64) {
        uint64_t m = (n - base >= 64) ? BreakMask64(p + base) : BreakMaskTail(p + base, n - base);
        while (m) {
            const std::size_t i = base + static_cast<std::size_t>(__builtin_ctzll(m));
            m &= m - 1;
            if (i == skip)
                continue;
            if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') {
                skip = i + 1;
            } else {
                t.buf_.Append(p + run, i - run);
                t.buf_.Append("\r\n", 2);
                run = i + 1;
            }
        }
    }
    t.buf_.Append(p + run, n - run);
    const char last = p[n - 1];
    if (last != '\r' && last != '\n')
        t.buf_.Append("\r\n", 2);  // the last line had no terminator
    t.MarkFrom(0);
    return t;
}

TLines TLines::FromBytes(sys::TByteBuf&& bytes)
{
    // The check finds a NUL as well, so text of ours is read once; anything else (a NUL, a
    // text too large, other line ends) is cut and split as FromText does.
    TLines t;
    if (bytes.size() > kMaxInput || !t.TakeCrLf(bytes.data(), bytes.size()))
        return FromText(bytes.View());
    t.buf_ = std::move(bytes);
    return t;
}

void TLines::MarkFrom(std::size_t from)
{
    // Each LF ends a line; the line after it begins one byte on.
    const char* p = buf_.data();
    const std::size_t n = buf_.size();
    if (from >= n)
        return;
    std::size_t line = count_;
    if (line % kMarkEvery == 0)
        marks_.push_back(static_cast<uint32_t>(from));
    for (std::size_t base = from; base < n; base += 64) {
        const uint64_t lf = n - base >= 64 ? ByteMask64(p + base, '\n') : ByteMaskTail(p + base, n - base, '\n');
        MarkBlock(lf, base, n, kMarkEvery, line, marks_);
    }
    count_ = line;
}

void TLines::Seek(std::size_t i) const
{
    // From the line read last when it lies before i in the same stretch, else from the mark.
    std::size_t line = i / kMarkEvery * kMarkEvery;
    std::size_t begin = marks_[i / kMarkEvery];
    if (at_.Line < i && at_.Line >= line) {
        line = at_.Line + 1;
        begin = at_.End + 2;
    }
    for (; line < i; ++line)
        begin = FindCr(begin) + 2;
    StepTo(i, begin);
}

void TLines::Append(std::string_view line)
{
    if (buf_.size() + line.size() + 2 > kMaxBuf)
        throw std::length_error("TLines: text too large");
    AddLine(static_cast<uint32_t>(buf_.size()));
    const char* p = line.data();
    const char* e = p + line.size();
    while (p < e) {
        const char* q = p;
        while (q < e && *q != '\r' && *q != '\n' && *q != '\0')
            ++q;
        buf_.Append(p, static_cast<std::size_t>(q - p));
        p = q < e ? q + 1 : q;
    }
    buf_.Append("\r\n", 2);
}

void TLines::AppendNumber(int32_t v)
{
    char tmp[16];
    const std::size_t len = static_cast<std::size_t>(std::to_chars(tmp, tmp + 11, v).ptr - tmp);
    if (buf_.size() + len + 2 > kMaxBuf)
        throw std::length_error("TLines: text too large");
    AddLine(static_cast<uint32_t>(buf_.size()));
    tmp[len] = '\r';
    tmp[len + 1] = '\n';
    buf_.Append(tmp, len + 2);
}

void TLines::Append(const TLines& other)
{
    if (buf_.size() + other.buf_.size() > kMaxBuf)
        throw std::length_error("TLines: text too large");
    const std::size_t base = buf_.size();
    buf_.Append(other.buf_.View());
    if (count_ % kMarkEvery == 0) {
        // The marks line up: take the other list's, moved by the offset.
        marks_.reserve(marks_.size() + other.marks_.size());
        for (uint32_t m : other.marks_)
            marks_.push_back(static_cast<uint32_t>(base + m));
        count_ += other.count_;
    } else {
        MarkFrom(base);
    }
}

void TLines::Room(std::size_t bytes)
{
    const std::size_t oldBuf = buf_.capacity();
    buf_.Reserve(std::min(bytes, kMaxBuf));
    if (buf_.capacity() != oldBuf)
        fresh_ = buf_.size();   // a new block: nothing past the text was written yet
}

void TLines::Reserve(std::size_t bytes, std::size_t lines)
{
    Room(bytes);
    marks_.reserve(lines / kMarkEvery + 1);
}

void TLines::Clear()
{
    buf_.Clear();
    marks_.clear();
    count_ = 0;
    at_ = TAt{};
}

std::string TLines::Text() const
{
    return std::string(buf_.View());
}

std::string_view TLines::TextView() const
{
    return buf_.View();
}

std::size_t TLines::ByteSize() const
{
    return buf_.capacity() + marks_.capacity() * sizeof(uint32_t);
}

void TLines::DropBefore(const char* p)
{
    const char* const base = buf_.data();
    if (p > base && p <= base + buf_.size())
        buf_.GiveBackBefore(static_cast<std::size_t>(p - base));
}

bool TLines::operator==(const TLines& o) const
{
    // Lines never hold CR or LF, so the buffer alone fixes the line offsets.
    return buf_.View() == o.buf_.View();
}

// ---- Writer: the buffer is sized ahead and written through a pointer; the buffer's size
// is set right only when the writer ends.

namespace {
// The buffer is opened in steps, so that reserved room is touched only when it is written.
constexpr std::size_t kStep = 1 << 20;
}

TLines::Writer::Writer(TLines& out) : out_(out)
{
    const std::size_t used = out_.buf_.size();
    const std::size_t open = std::max(std::min(out_.buf_.capacity(), used + kStep), used + 64);
    OpenTo(open);
    p_ = out_.buf_.data() + used;
    end_ = out_.buf_.data() + out_.buf_.size();
}

TLines::Writer::~Writer()
{
    out_.buf_.SetSize(static_cast<std::size_t>(p_ - out_.buf_.data()));
}

void TLines::Writer::OpenTo(std::size_t size)
{
    sys::TByteBuf& b = out_.buf_;
    if (size <= b.capacity()) {
        // Room of a new block is mapped in at once; room written before is left alone.
        const std::size_t from = std::max(out_.fresh_, b.size());
        if (from < size)
            sys::PopulatePages(b.data() + from, size - from);
        b.SetSize(size);
        out_.fresh_ = std::max(out_.fresh_, size);
    } else {
        b.SetSize(size);   // a new, larger block
        out_.fresh_ = size;
    }
}

void TLines::Writer::Grow(std::size_t n)
{
    const std::size_t used = static_cast<std::size_t>(p_ - out_.buf_.data());
    if (used + n > kMaxBuf) {
        out_.buf_.SetSize(used);
        p_ = end_ = out_.buf_.data() + used;
        throw std::length_error("TLines: text too large");
    }
    std::size_t want = used + std::max(n, kStep);
    if (want > out_.buf_.capacity())
        want = std::max(used + n, 2 * out_.buf_.capacity());
    OpenTo(std::min(kMaxBuf, want));
    p_ = out_.buf_.data() + used;
    end_ = out_.buf_.data() + out_.buf_.size();
}

void TLines::Writer::Line(std::string_view s)
{
    Room(s.size() + 2);
    Start();
    for (char c : s)
        if (c != '\r' && c != '\n' && c != '\0')
            *p_++ = c;
    End();
}
