#include "platform/sys/memory.h"

#include <algorithm>
#include <cstdint>
#include <atomic>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace sys {

namespace {
// The whole units of size (a power of two) inside [p, p + n), given the advice.
void AdviseWhole(void* p, std::size_t n, std::uintptr_t unit, int advice)
{
#if defined(__linux__)
    const std::uintptr_t b = (reinterpret_cast<std::uintptr_t>(p) + unit - 1) & ~(unit - 1);
    const std::uintptr_t e = (reinterpret_cast<std::uintptr_t>(p) + n) & ~(unit - 1);
    if (e > b)
        ::madvise(reinterpret_cast<void*>(b), e - b, advice);
#else
    (void)p;
    (void)n;
    (void)unit;
    (void)advice;
#endif
}
} // namespace

void AdviseHugePages(void* p, std::size_t n)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    AdviseWhole(p, n, kHugePage, MADV_HUGEPAGE);
#else
    (void)p;
    (void)n;
#endif
}

void PopulatePages(void* p, std::size_t n)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    if (n < (std::size_t{256} << 10))
        return;
    static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    AdviseWhole(p, n, page, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)n;
#endif
}

void* MapLarge(std::size_t n)
{
#if defined(__linux__)
    // Map one huge page more than asked and give back the ends, so the block is aligned.
    const std::size_t span = n + kHugePage;
    void* m = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED)
        return nullptr;
    const std::uintptr_t raw = reinterpret_cast<std::uintptr_t>(m);
    const std::uintptr_t at = (raw + kHugePage - 1) & ~(kHugePage - 1);
    if (at > raw)
        ::munmap(m, at - raw);
    const std::uintptr_t tail = raw + span - (at + n);
    if (tail > 0)
        ::munmap(reinterpret_cast<void*>(at + n), tail);
    AdviseHugePages(reinterpret_cast<void*>(at), n);
    return reinterpret_cast<void*>(at);
#else
    (void)n;
    return nullptr;
#endif
}

void ForgetPages(void* p, std::size_t n)
{
#if defined(__linux__) && defined(MADV_FREE)
    if (::madvise(p, n, MADV_FREE) != 0)
        ::madvise(p, n, MADV_DONTNEED);
#else
    (void)p;
    (void)n;
#endif
}

void DropPages(void* p, std::size_t n)
{
#if defined(__linux__)
    static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    AdviseWhole(p, n, page, MADV_DONTNEED);
#else
    (void)p;
    (void)n;
#endif
}

void UnmapLarge(void* p, std::size_t n)
{
#if defined(__linux__)
    if (p)
        ::munmap(p, n);
#else
    (void)p;
    (void)n;
#endif
}

namespace {
// Blocks given back and kept, resident, for reuse: a few of any size and single huge pages
// (text read once hands its pages on to the record pools that way), 64 MB together at most.
// Constant-initialised and trivially destroyed, so a block given back while the program
// ends still finds it whole.
struct TKeptBlocks {
    static constexpr int kSlots = 4;
    static constexpr int kPages = 32;
    static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;
    std::atomic_flag busy;
    void* at[kSlots] = {};
    std::size_t size[kSlots] = {};
    void* page[kPages] = {};
    int pages = 0;
    std::size_t held = 0;
};
constinit TKeptBlocks gKept{};

class THold {
public:
    THold() { while (gKept.busy.test_and_set(std::memory_order_acquire)) {} }
    ~THold() { gKept.busy.clear(std::memory_order_release); }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;
};
} // namespace

void* TakeLarge(std::size_t& n)
{
    {
        TKeptBlocks& k = gKept;
        const THold hold;
        if (n == kHugePage && k.pages > 0) {
            k.held -= kHugePage;
            return k.page[--k.pages];
        }
        int best = -1;
        for (int i = 0; i < TKeptBlocks::kSlots; ++i)
            if (k.at[i] && k.size[i] >= n && k.size[i] / 2 <= n && (best < 0 || k.size[i] < k.size[best]))
                best = i;
        if (best >= 0) {
            void* p = k.at[best];
            n = k.size[best];
            k.held -= n;
            k.at[best] = nullptr;
            k.size[best] = 0;
            return p;
        }
    }
    return MapLarge(n);
}

void GiveLarge(void* p, std::size_t n)
{
    if (!p)
        return;
    {
        const THold hold;
        if (n == kHugePage && gKept.pages < TKeptBlocks::kPages && gKept.held + n <= TKeptBlocks::kMaxBytes) {
            gKept.page[gKept.pages++] = p;
            gKept.held += n;
            return;
        }
        if (gKept.held + n <= TKeptBlocks::kMaxBytes)
            for (int i = 0; i < TKeptBlocks::kSlots; ++i)
                if (!gKept.at[i]) {
                    gKept.at[i] = p;
                    gKept.size[i] = n;
                    gKept.held += n;
                    return;
                }
    }
    UnmapLarge(p, n);
}

TLargeBlock::TLargeBlock(std::size_t n)
{
    if (n > ~std::size_t{0} - kHugePage)
        throw std::bad_alloc();
    size_ = (std::max<std::size_t>(n, 1) + kHugePage - 1) & ~(kHugePage - 1);
    at_ = static_cast<char*>(TakeLarge(size_));
    mapped_ = at_ != nullptr;
    if (!at_)
        at_ = static_cast<char*>(::operator new(size_));
}

TLargeBlock::TLargeBlock(TLargeBlock&& other) noexcept
    : at_(std::exchange(other.at_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, false))
{
}

TLargeBlock& TLargeBlock::operator=(TLargeBlock&& other) noexcept
{
    if (this != &other) {
        Release();
        at_ = std::exchange(other.at_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, false);
    }
    return *this;
}

TLargeBlock::~TLargeBlock()
{
    Release();
}

void TLargeBlock::Release() noexcept
{
    if (!at_)
        return;
    if (mapped_)
        GiveLarge(at_, size_);
    else
        ::operator delete(at_);
    at_ = nullptr;
}

} // namespace sys
