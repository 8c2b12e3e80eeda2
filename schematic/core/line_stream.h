#pragma once
// Lines of a text read piece by piece, for readers that stop early (a preview needs only
// the first snapshot of a file): the same lines as TLines::FromText gives for the whole
// text, but only as far as they are asked for. Reading is bounded: a line longer than
// MaxLine, or the text past MaxBytes, ends the text there.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TLineStream {
public:
    // Up to n bytes into buf: the count, 0 at the end, -1 on an error.
    using TRead = std::function<int64_t(char* buf, std::size_t n)>;

    struct TLimits {
        std::size_t MaxLine = std::size_t{64} << 10;   // bytes of one line, terminator excluded
        uint64_t MaxBytes = uint64_t{16} << 20;        // bytes read in all
        std::size_t Chunk = std::size_t{64} << 10;     // bytes asked for per read
    };

    // Why the lines ended (None while more may come).
    enum class TEnd { None, Text, LongLine, Bytes, Error };

    explicit TLineStream(TRead read) : TLineStream(std::move(read), TLimits{}) {}
    TLineStream(TRead read, TLimits limits);

    // The grammar's cursor: at least k lines from the cursor on (reads as needed).
    bool Has(std::size_t k);
    // Line k from the cursor; k below a count Has confirmed. Valid until the next Has.
    std::string_view Line(std::size_t k) const
    {
        const TSpan& s = ahead_[head_ + k];
        return std::string_view(buf_.data() + s.Begin, s.End - s.Begin);
    }
    void Advance(std::size_t k) { head_ += k; }

    TEnd End() const { return end_; }
    // Bytes taken from the reader so far.
    uint64_t BytesRead() const { return total_; }

private:
    struct TSpan {
        std::size_t Begin;
        std::size_t End;
    };
    // Splits one more line off the buffer, reading when it holds no whole line; false at the end.
    bool NextLine();
    // Reads one more piece after moving what is still needed to the front; false at the end.
    bool Fill();
    void Finish(TEnd why) { end_ = why; }

    TRead read_;
    TLimits lim_;
    std::string buf_;
    std::size_t len_ = 0;        // bytes of buf_ in use
    std::size_t lineStart_ = 0;  // start of the line not yet split off
    std::size_t scan_ = 0;       // bytes before this hold no terminator of that line
    std::vector<TSpan> ahead_;   // lines split off; those from head_ on are not yet passed
    std::size_t head_ = 0;
    uint64_t total_ = 0;
    bool eof_ = false;           // the reader has no more, or the byte cap was reached
    bool capped_ = false;        // the text goes on past the byte cap
    TEnd end_ = TEnd::None;
};
