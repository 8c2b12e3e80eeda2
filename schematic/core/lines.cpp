#include "schematic/core/lines.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {
// Offsets are 32 bits; text beyond that is not taken in.
constexpr std::size_t kMaxBuf = std::numeric_limits<uint32_t>::max();
}

TLines TLines::FromText(std::string_view text)
{
    TLines t;
    const char* p = text.data();
    const char* e = p + text.size();
    if (const void* z = std::memchr(p, '\0', text.size()))
        e = static_cast<const char*>(z);
    if (p == e)
        return t;

    // One pass to size both buffers, so a large file costs one allocation each.
    std::size_t breaks = 0;
    for (const char* q = p; q < e; ++q)
        breaks += (*q == '\n') + (*q == '\r');
    const std::size_t n = static_cast<std::size_t>(e - p);
    t.starts_.reserve(breaks + 1);
    t.buf_.reserve(std::min(n + 2 * (breaks + 1), kMaxBuf));

    while (p < e) {
        const char* q = p;
        while (q < e && *q != '\n' && *q != '\r')
            ++q;
        const std::size_t len = static_cast<std::size_t>(q - p);
        if (t.buf_.size() + len + 2 > kMaxBuf)
            break;
        t.starts_.push_back(static_cast<uint32_t>(t.buf_.size()));
        t.buf_.append(p, len);
        t.buf_.append("\r\n", 2);
        if (q == e)
            break;
        q += (*q == '\r' && q + 1 < e && q[1] == '\n') ? 2 : 1;
        p = q;
    }
    return t;
}

std::size_t TLines::Count() const
{
    return starts_.size();
}

std::string_view TLines::operator[](std::size_t i) const
{
    const std::size_t b = starts_[i];
    const std::size_t end = (i + 1 < starts_.size() ? starts_[i + 1] : buf_.size()) - 2;
    return std::string_view(buf_.data() + b, end - b);
}

void TLines::Append(std::string_view line)
{
    if (buf_.size() + line.size() + 2 > kMaxBuf)
        throw std::length_error("TLines: text too large");
    starts_.push_back(static_cast<uint32_t>(buf_.size()));
    const char* p = line.data();
    const char* e = p + line.size();
    while (p < e) {
        const char* q = p;
        while (q < e && *q != '\r' && *q != '\n' && *q != '\0')
            ++q;
        buf_.append(p, static_cast<std::size_t>(q - p));
        p = q < e ? q + 1 : q;
    }
    buf_.append("\r\n", 2);
}

void TLines::AppendNumber(int32_t v)
{
    char tmp[16];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    const std::size_t len = static_cast<std::size_t>(r.ptr - tmp);
    if (buf_.size() + len + 2 > kMaxBuf)
        throw std::length_error("TLines: text too large");
    starts_.push_back(static_cast<uint32_t>(buf_.size()));
    tmp[len] = '\r';
    tmp[len + 1] = '\n';
    buf_.append(tmp, len + 2);
}

void TLines::Append(const TLines& other)
{
    if (buf_.size() + other.buf_.size() > kMaxBuf)
        throw std::length_error("TLines: text too large");
    const uint32_t base = static_cast<uint32_t>(buf_.size());
    starts_.reserve(starts_.size() + other.starts_.size());
    for (uint32_t s : other.starts_)
        starts_.push_back(base + s);
    buf_.append(other.buf_);
}

void TLines::Reserve(std::size_t bytes, std::size_t lines)
{
    buf_.reserve(std::min(bytes, kMaxBuf));
    starts_.reserve(lines);
}

void TLines::Clear()
{
    buf_.clear();
    starts_.clear();
}

std::string TLines::Text() const
{
    return buf_;
}

std::string_view TLines::TextView() const
{
    return buf_;
}

std::size_t TLines::ByteSize() const
{
    return buf_.capacity() + starts_.capacity() * sizeof(uint32_t);
}

bool TLines::operator==(const TLines& o) const
{
    // Lines never hold CR or LF, so the buffer alone fixes the line offsets.
    return buf_ == o.buf_;
}
