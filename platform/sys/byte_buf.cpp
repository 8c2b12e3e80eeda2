#include "platform/sys/byte_buf.h"

#include "platform/sys/memory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace sys {

TByteBuf::TByteBuf(const TByteBuf& other)
{
    *this = other;
}

TByteBuf& TByteBuf::operator=(const TByteBuf& other)
{
    if (this == &other)
        return *this;
    TByteBuf copy;
    copy.Reserve(other.size_);
    // Bytes given back are gone: the copy holds zeros there.
    const std::size_t from = std::min(other.gone_, other.size_);
    if (from > 0)
        std::memset(copy.at_, 0, from);
    if (other.size_ > from)
        std::memcpy(copy.at_ + from, other.at_ + from, other.size_ - from);
    copy.size_ = other.size_;
    *this = std::move(copy);
    return *this;
}

TByteBuf::TByteBuf(TByteBuf&& other) noexcept
    : at_(std::exchange(other.at_, nullptr)), size_(std::exchange(other.size_, 0)),
      cap_(std::exchange(other.cap_, 0)), gone_(std::exchange(other.gone_, 0)),
      mapped_(std::exchange(other.mapped_, false))
{
}

TByteBuf& TByteBuf::operator=(TByteBuf&& other) noexcept
{
    if (this != &other) {
        Release();
        at_ = std::exchange(other.at_, nullptr);
        size_ = std::exchange(other.size_, 0);
        cap_ = std::exchange(other.cap_, 0);
        gone_ = std::exchange(other.gone_, 0);
        mapped_ = std::exchange(other.mapped_, false);
    }
    return *this;
}

TByteBuf::~TByteBuf()
{
    Release();
}

void TByteBuf::Release() noexcept
{
    if (mapped_) {
        // Whole, for the next buffer of its size; what is left of a text read once, in
        // single huge pages, which the record pools take next.
        if (gone_ == 0)
            GiveLarge(at_, cap_);
        else
            for (std::size_t b = gone_; b < cap_; b += kHugePage)
                GiveLarge(at_ + b, kHugePage);
    } else if (at_) {
        ::operator delete(at_);
    }
    at_ = nullptr;
    size_ = cap_ = gone_ = 0;
    mapped_ = false;
}

void TByteBuf::Reserve(std::size_t n)
{
    if (n <= cap_)
        return;
    char* at = nullptr;
    std::size_t cap = n;
    bool mapped = false;
    if (n >= kHugePage) {
        if (n > ~std::size_t{0} - kHugePage)
            throw std::bad_alloc();
        cap = (n + kHugePage - 1) & ~(kHugePage - 1);
        at = static_cast<char*>(TakeLarge(cap));
        mapped = at != nullptr;
        if (!mapped)
            cap = n;
    }
    if (!at)
        at = static_cast<char*>(::operator new(cap));
    // A front given back before is not copied: it stays undefined in the new block.
    if (size_ > gone_)
        std::memcpy(at + gone_, at_ + gone_, size_ - gone_);
    const std::size_t size = size_;
    Release();
    at_ = at;
    cap_ = cap;
    size_ = size;
    mapped_ = mapped;
}

void TByteBuf::SetSize(std::size_t n)
{
    Reserve(n);
    size_ = n;
}

void TByteBuf::Append(const char* p, std::size_t n)
{
    if (n == 0)
        return;
    if (n > cap_ - size_) {
        if (n > ~std::size_t{0} / 2 - size_)
            throw std::bad_alloc();
        // Bytes of this buffer itself move with it.
        const bool own = at_ && p >= at_ && p < at_ + size_;
        const std::size_t off = own ? static_cast<std::size_t>(p - at_) : 0;
        Reserve(std::max(size_ + n, 2 * cap_));
        if (own)
            p = at_ + off;
    }
    std::memcpy(at_ + size_, p, n);
    size_ += n;
}

void TByteBuf::Clear()
{
    if (gone_ > 0)
        Release();
    size_ = 0;
}

void TByteBuf::GiveBackBefore(std::size_t offset)
{
    offset = std::min(offset, size_);
    if (!mapped_) {
        if (at_ && offset > 0)
            DropPages(at_, offset);
        return;
    }
    const std::size_t end = offset & ~(kHugePage - 1);
    for (; gone_ < end; gone_ += kHugePage)
        GiveLarge(at_ + gone_, kHugePage);
}

} // namespace sys
