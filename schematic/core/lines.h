#pragma once
// A list of single-byte text lines held in one byte buffer, each line followed by CR LF.
// Only every 64th line's offset is kept; a line is found from there, or from the line read
// last, by scanning for its CR. Reading in order (what every reader of these lists does)
// costs one short scan per line, and the list takes hardly more than its text: a file of a
// million shapes is held in its own bytes, without a second copy or a table of 7 million
// offsets.
#include "platform/sys/byte_buf.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class TLines {
public:
    TLines() = default;
    TLines(const TLines&) = default;
    TLines& operator=(const TLines&) = default;
    // The list moved from is left empty.
    TLines(TLines&& o) noexcept;
    TLines& operator=(TLines&& o) noexcept;

    // Splits text into lines ended by CR LF, LF alone or CR alone. A NUL ends the text;
    // a final terminator adds no empty line; "" is zero lines. Text past 2 GiB is dropped
    // (offsets are 32 bits).
    static TLines FromText(std::string_view text);
    // The same lines, keeping bytes as the buffer when every line already ends with CR LF
    // (as every file we write does), so a file read is never copied.
    static TLines FromBytes(sys::TByteBuf&& bytes);

    std::size_t Count() const { return count_; }
    bool Empty() const { return Count() == 0; }
    // Line i without its terminator; i must be below Count(). The view stays valid until
    // the list changes. Not for use from two threads at once (it moves a read position).
    std::string_view operator[](std::size_t i) const
    {
        if (i != at_.Line) {
            if (i == at_.Line + 1)
                StepTo(i, at_.End + 2);   // past the CR LF of the line read last
            else
                Seek(i);
        }
        return std::string_view(buf_.data() + at_.Begin, at_.End - at_.Begin);
    }

    // Appends one line; CR, LF and NUL in it are dropped so the text stays one value per line.
    // Appending past 4 GiB throws std::length_error.
    void Append(std::string_view line);
    void Append(const TLines& other);
    // A number line in plain decimal, "-" when negative (the writers' hot path).
    void AppendNumber(int32_t v);
    // Room for about `bytes` of text and exactly `lines` lines, to avoid regrowth while
    // writing. New room for the lines is mapped in at once, as it is all written next.
    void Reserve(std::size_t bytes, std::size_t lines);
    void Clear();

    // Every line followed by CR LF, as files and the clipboard are written.
    std::string Text() const;
    // The same bytes without a copy; valid until the list changes.
    std::string_view TextView() const;
    // Bytes held, for memory checks.
    std::size_t ByteSize() const;
    // Gives back the memory of the bytes before p (a position in TextView()) for a list that
    // is read once from front to back: those lines must never be read again; Clear() it after.
    // Pages of a large text go on to serve the record pools that are filled meanwhile.
    void DropBefore(const char* p);

    bool operator==(const TLines& o) const;

    // Fast appending for the writers: lines go straight into the buffer. While a Writer
    // lives, its list must not be used otherwise; the destructor finishes the list.
    class Writer {
    public:
        explicit Writer(TLines& out);
        ~Writer();
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

        // A line of trusted bytes (keywords): no CR, LF or NUL in it.
        void Keyword(std::string_view s)
        {
            Room(s.size() + 2);
            Start();
            std::memcpy(p_, s.data(), s.size());
            p_ += s.size();
            End();
        }
        // Any bytes; CR, LF and NUL are dropped.
        void Line(std::string_view s);
        void Number(int32_t v)
        {
            Room(16);
            Start();
            p_ = std::to_chars(p_, p_ + 11, v).ptr;
            End();
        }

    private:
        void Room(std::size_t n)
        {
            if (static_cast<std::size_t>(end_ - p_) < n)
                Grow(n);
        }
        void Start() { out_.AddLine(static_cast<uint32_t>(p_ - out_.buf_.data())); }
        void End()
        {
            p_[0] = '\r';
            p_[1] = '\n';
            p_ += 2;
        }
        void Grow(std::size_t n);
        void OpenTo(std::size_t size);

        TLines& out_;
        char* p_ = nullptr;
        char* end_ = nullptr;
    };

private:
    static constexpr std::size_t kMarkEvery = 64;

    // A new line at offset begin of buf_.
    void AddLine(uint32_t begin)
    {
        if (count_ % kMarkEvery == 0)
            marks_.push_back(begin);
        ++count_;
    }
    // Capacity for bytes of text; a new block is given huge pages where it can.
    void Room(std::size_t bytes);
    // Counts and marks the lines of text that already ends every line with CR LF; false
    // (nothing counted) for any other text, or one holding a NUL.
    bool TakeCrLf(const char* p, std::size_t n);
    // Counts and marks the lines of buf_ from offset from, where line count_ begins.
    void MarkFrom(std::size_t from);
    void Seek(std::size_t i) const;
    void StepTo(std::size_t i, std::size_t begin) const
    {
        at_.Line = i;
        at_.Begin = begin;
        at_.End = FindCr(begin);
    }
    // Offset of the first CR at or after from; every line is followed by one.
    std::size_t FindCr(std::size_t from) const
    {
        const char* const base = buf_.data();
        const char* p = base + from;
#if defined(__SSE2__)
        const char* const end = base + buf_.size();
        const __m128i cr = _mm_set1_epi8('\r');
        while (end - p >= 16) {
            const int m = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), cr));
            if (m != 0)
                return static_cast<std::size_t>(p - base) + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(m)));
            p += 16;
        }
#endif
        while (*p != '\r')
            ++p;
        return static_cast<std::size_t>(p - base);
    }

    // The line read last: its index, and where it begins and ends in buf_. The start
    // position makes line 0 follow it, as if a line ended with CR LF just before the buffer.
    struct TAt {
        std::size_t Line = static_cast<std::size_t>(-1);
        std::size_t Begin = 0;
        std::size_t End = static_cast<std::size_t>(-2);
    };

    sys::TByteBuf buf_;             // each line followed by CR LF
    std::vector<uint32_t> marks_;   // offset of lines 0, 64, 128, ... in buf_
    std::size_t count_ = 0;
    // Offset in buf_ from which its block was never written (pages not yet mapped in).
    std::size_t fresh_ = 0;
    mutable TAt at_;
};
