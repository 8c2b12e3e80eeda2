#pragma once
// Large fresh blocks without a page fault per 4 KB: a drawing of a million shapes fills
// about 100 MB at once, and on a virtual machine each small page fault costs microseconds.
#include <cstddef>

namespace sys {

// Only advice, for a block not yet written: the kernel may back [p, p + n) with huge pages.
// Blocks below 2 MB are left alone.
void AdviseHugePages(void* p, std::size_t n);

// Maps in the pages of [p, p + n) with one call before they are first written; a large
// buffer otherwise takes one page fault per page, which costs about twice as much. Only
// advice; blocks below 256 KB are left alone.
void PopulatePages(void* p, std::size_t n);

// Fresh zeroed memory for a pool: n bytes (a multiple of 2 MB) aligned to 2 MB, backed by
// huge pages where the system has them; nullptr when the system gives none (use the heap).
void* MapLarge(std::size_t n);
void UnmapLarge(void* p, std::size_t n);
// Lets the system take back the pages of a mapped block kept for reuse, when it needs them;
// until then, using the block again costs no page faults. Its content is lost either way.
void ForgetPages(void* p, std::size_t n);

// Gives the whole pages inside [p, p + n) back to the system at once; they read as zeros
// afterwards. For bytes that will never be read again.
void DropPages(void* p, std::size_t n);

inline constexpr std::size_t kHugePage = std::size_t{2} << 20;

// A block of at least n bytes (n a multiple of kHugePage), its content undefined: one given
// back lately when there is one of about that size, else a fresh MapLarge; n becomes its
// size. nullptr when the system gives none. A few blocks given back are kept (64 MB at
// most), so a loop that makes and drops a large buffer does not take fresh pages each time.
// What is given back may be any run of whole huge pages of a block taken, not only all of it.
void* TakeLarge(std::size_t& n);
void GiveLarge(void* p, std::size_t n);

// A block of n bytes or more in whole huge pages, from TakeLarge where the system allows,
// else from the heap; given back with the object. Its content is undefined. Throws
// std::bad_alloc.
class TLargeBlock {
public:
    explicit TLargeBlock(std::size_t n);
    TLargeBlock(TLargeBlock&& other) noexcept;
    TLargeBlock& operator=(TLargeBlock&& other) noexcept;
    TLargeBlock(const TLargeBlock&) = delete;
    TLargeBlock& operator=(const TLargeBlock&) = delete;
    ~TLargeBlock();
    char* Data() const { return at_; }
    std::size_t Size() const { return size_; }

private:
    void Release() noexcept;
    char* at_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

} // namespace sys
