#include "schematic/core/line_stream.h"

#include <algorithm>
#include <cstring>

TLineStream::TLineStream(TRead read, TLimits limits) : read_(std::move(read)), lim_(limits)
{
    lim_.Chunk = std::max<std::size_t>(lim_.Chunk, 1);
    ahead_.reserve(16);
}

bool TLineStream::Has(std::size_t k)
{
    if (head_ == ahead_.size()) {
        ahead_.clear();
        head_ = 0;
    }
    while (ahead_.size() - head_ < k)
        if (!NextLine())
            return false;
    return true;
}

bool TLineStream::NextLine()
{
    for (;;) {
        if (end_ != TEnd::None)
            return false;
        const char* p = buf_.data();
        std::size_t j = scan_;
        // Bytes above CR are never a terminator: one compare for almost every byte.
        while (j < len_ && (static_cast<unsigned char>(p[j]) > '\r' || (p[j] != '\r' && p[j] != '\n' && p[j] != '\0')))
            ++j;
        if (j < len_) {
            if (j - lineStart_ > lim_.MaxLine) {
                Finish(TEnd::LongLine);
                return false;
            }
            const std::size_t b = lineStart_;
            if (p[j] == '\0') {   // the text ends here
                Finish(TEnd::Text);
                if (j == b)
                    return false;
                ahead_.push_back({b, j});
                lineStart_ = scan_ = j;
                return true;
            }
            std::size_t next = j + 1;
            if (p[j] == '\r') {
                if (j + 1 == len_ && !eof_) {
                    scan_ = j;   // a LF may follow in the next piece
                    Fill();
                    continue;
                }
                if (j + 1 < len_ && p[j + 1] == '\n')
                    next = j + 2;
            }
            ahead_.push_back({b, j});
            lineStart_ = scan_ = next;
            return true;
        }
        if (len_ - lineStart_ > lim_.MaxLine) {
            Finish(TEnd::LongLine);
            return false;
        }
        scan_ = len_;
        if (!eof_) {
            Fill();
            continue;
        }
        // The end: a last line without a terminator counts, unless the cap cut it.
        if (capped_) {
            Finish(TEnd::Bytes);
            return false;
        }
        Finish(TEnd::Text);
        if (len_ == lineStart_)
            return false;
        ahead_.push_back({lineStart_, len_});
        lineStart_ = scan_ = len_;
        return true;
    }
}

bool TLineStream::Fill()
{
    if (eof_ || end_ != TEnd::None)
        return false;
    if (buf_.size() - len_ < lim_.Chunk) {
        // Move what is still needed (the lines not yet passed and the open line) to the front.
        const std::size_t keep = head_ < ahead_.size() ? ahead_[head_].Begin : lineStart_;
        if (keep > 0) {
            std::memmove(buf_.data(), buf_.data() + keep, len_ - keep);
            ahead_.erase(ahead_.begin(), ahead_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
            for (TSpan& s : ahead_) {
                s.Begin -= keep;
                s.End -= keep;
            }
            len_ -= keep;
            lineStart_ -= keep;
            scan_ -= keep;
        }
        if (buf_.size() - len_ < lim_.Chunk)
            buf_.resize(len_ + lim_.Chunk);
    }
    const uint64_t room = lim_.MaxBytes + 1 - std::min(total_, lim_.MaxBytes);
    const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(lim_.Chunk, room));
    int64_t got = read_(buf_.data() + len_, want);
    if (got < 0) {
        Finish(TEnd::Error);
        return false;
    }
    if (got == 0) {
        eof_ = true;
        return false;
    }
    if (static_cast<uint64_t>(got) > want)
        got = static_cast<int64_t>(want);
    total_ += static_cast<uint64_t>(got);
    len_ += static_cast<std::size_t>(got);
    if (total_ > lim_.MaxBytes) {
        // One byte past the cap was asked for only to learn that the text goes on.
        len_ -= static_cast<std::size_t>(total_ - lim_.MaxBytes);
        total_ = lim_.MaxBytes;
        eof_ = capped_ = true;
    }
    return true;
}
