#include "schematic/core/records.h"

#include "platform/sys/memory.h"

#include <algorithm>

TNodePool::TNodePool(std::size_t size, std::size_t align)
    : size_((std::max(size, sizeof(void*)) + align - 1) / align * align), align_(std::max(align, alignof(void*)))
{
}

void TNodePool::Grow()
{
    // Chunks double from 64 blocks up to a huge page; from there on each is one huge page,
    // mapped on its own so that filling it takes one fault instead of 512.
    TChunk c;
    c.Bytes = std::min((std::size_t{64} * size_) << std::min<std::size_t>(chunks_.size(), 20), sys::kHugePage);
    if (c.Bytes == sys::kHugePage) {
        if (!spares_.empty()) {
            c.At = spares_.back();
            spares_.pop_back();
        } else {
            c.At = static_cast<char*>(sys::MapLarge(c.Bytes));
        }
        c.Mapped = c.At != nullptr;
    }
    if (!c.At)
        c.At = static_cast<char*>(::operator new(c.Bytes, std::align_val_t(align_)));
    chunks_.push_back(c);
    held_ += c.Bytes;
    next_ = c.At;
    end_ = c.At + c.Bytes / size_ * size_;
    OSTRIN_POISON(c.At, c.Bytes);
}

void TNodePool::Release()
{
    for (const TChunk& c : chunks_) {
        OSTRIN_UNPOISON(c.At, c.Bytes);
        if (c.Mapped) {
            // Kept for the next large drawing; the system takes the pages back if it needs them.
            sys::ForgetPages(c.At, c.Bytes);
            spares_.push_back(c.At);
            OSTRIN_POISON(c.At, c.Bytes);
        } else
            ::operator delete(c.At, std::align_val_t(align_));
    }
    chunks_.clear();
    chunks_.shrink_to_fit();
    free_ = nullptr;
    next_ = end_ = nullptr;
    held_ = 0;
}

std::string StoredText(std::string_view s)
{
    std::string out;
    out.reserve(std::min(s.size(), MaxTextLen));
    for (char c : s) {
        if (out.size() >= MaxTextLen)
            break;
        if (c == '\r' || c == '\n' || c == '\0')
            continue;
        out.push_back(c);
    }
    return out;
}

void TSchModel::EraseMem()
{
    for (TCompRec& c : CompList) {
        c.Shapes.clear();
        c.Texts.clear();
    }
    CompList.clear();
    ShapeList.clear();
    TextList.clear();
}
