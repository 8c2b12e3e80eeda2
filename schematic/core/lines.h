#pragma once
// A list of single-byte text lines held in one byte buffer with line offsets, so that an
// autosave file of 300001 lines costs one allocation for its text, not one per line.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class TLines {
public:
    TLines() = default;

    // Splits text into lines ended by CR LF, LF alone or CR alone. A NUL ends the text;
    // a final terminator adds no empty line; "" is zero lines. Text past 2 GiB is dropped
    // (offsets are 32 bits).
    static TLines FromText(std::string_view text);

    std::size_t Count() const { return starts_.size(); }
    bool Empty() const { return Count() == 0; }
    // Line i without its terminator; i must be below Count().
    std::string_view operator[](std::size_t i) const
    {
        const std::size_t b = starts_[i];
        const std::size_t e = (i + 1 < starts_.size() ? starts_[i + 1] : buf_.size()) - 2;
        return std::string_view(buf_.data() + b, e - b);
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
        void Start() { out_.starts_.push_back(static_cast<uint32_t>(p_ - out_.buf_.data())); }
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
    std::string buf_;               // each line followed by CR LF
    std::vector<uint32_t> starts_;  // offset of each line in buf_
    // Offset in buf_ from which its block was never written (pages not yet mapped in).
    std::size_t fresh_ = 0;
};
