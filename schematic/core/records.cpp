#include "schematic/core/records.h"

#include "platform/sys/memory.h"

#include <algorithm>

TNodePool::TNodePool(std::size_t size, std::size_t align)
    : size_((std::max(size, sizeof(void*)) + align - 1) / align * align), align_(std::max(align, alignof(void*)))
{
}

namespace {
constexpr std::size_t kHeapChunkMax = std::size_t{256} << 10;
constexpr std::size_t kKeepResident = std::size_t{8} << 20;
}

TNodePool::~TNodePool()
{
    for (const TChunk& c : chunks_) {
        OSTRIN_UNPOISON(c.At, c.Bytes);
        if (c.Mapped)
            sys::UnmapLarge(c.At, c.Bytes);
        else
            ::operator delete(c.At, std::align_val_t(align_));
    }
}

void TNodePool::Grow()
{
    // An emptied pool fills its chunks again before it asks for more.
    if (used_ < chunks_.size()) {
        const TChunk& c = chunks_[used_++];
        next_ = c.At;
        end_ = c.At + c.Bytes / size_ * size_;
        return;
    }
    // Chunks double from 64 blocks while they are small; from 256 KB on (which the heap
    // would map with a fault per 4 KB page) each is one huge page, mapped on its own so
    // that filling it takes one fault instead of 512, or one given back lately (the pages of
    // the text being read) so that it takes none.
    TChunk c;
    c.Bytes = (std::size_t{64} * size_) << std::min<std::size_t>(chunks_.size(), 20);
    if (c.Bytes >= kHeapChunkMax)
        c.Bytes = sys::kHugePage;
    if (c.Bytes == sys::kHugePage) {
        c.At = static_cast<char*>(sys::TakeLarge(c.Bytes));
        c.Mapped = c.At != nullptr;
    }
    if (!c.At)
        c.At = static_cast<char*>(::operator new(c.Bytes, std::align_val_t(align_)));
    OSTRIN_POISON(c.At, c.Bytes);
    chunks_.push_back(c);
    ++used_;
    held_ += c.Bytes;
    next_ = c.At;
    end_ = c.At + c.Bytes / size_ * size_;
}

void TNodePool::Restart()
{
    // A pool of a few MB stays as it is: it is emptied at every undo of a small drawing.
    // The pages of a large one's huge chunks are offered back to the system, which takes
    // them only when it needs memory.
    const bool forget = held_ > kKeepResident;
    for (const TChunk& c : chunks_) {
        if (forget && c.Mapped)
            sys::ForgetPages(c.At, c.Bytes);
        OSTRIN_POISON(c.At, c.Bytes);
    }
    used_ = 0;
    free_ = nullptr;
    next_ = end_ = nullptr;
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
