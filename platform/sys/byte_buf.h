#pragma once
// A growable byte buffer for file text. Unlike std::string it never fills new room with
// zeros (a read or a writer fills it next), and from 2 MB on it lives in whole huge pages,
// aligned, so that the pages of text read once can serve the drawing's records next
// (GiveBackBefore) instead of the system clearing fresh ones.
#include <cstddef>
#include <string_view>

namespace sys {

class TByteBuf {
public:
    TByteBuf() = default;
    TByteBuf(const TByteBuf& other);
    TByteBuf& operator=(const TByteBuf& other);
    TByteBuf(TByteBuf&& other) noexcept;
    TByteBuf& operator=(TByteBuf&& other) noexcept;
    ~TByteBuf();

    char* data() { return at_; }
    const char* data() const { return at_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return cap_; }
    bool empty() const { return size_ == 0; }
    std::string_view View() const { return {at_, size_}; }

    // Capacity for n bytes at least; the bytes held stay. Throws std::bad_alloc.
    void Reserve(std::size_t n);
    // Size n; bytes past the old size are undefined until written.
    void SetSize(std::size_t n);
    void Append(const char* p, std::size_t n);
    void Append(std::string_view s) { Append(s.data(), s.size()); }
    // Size 0. The room stays, unless its front was given back: then all of it goes.
    void Clear();

    // For text read once from front to back: the whole huge pages before offset go to the
    // system's block cache, where a drawing's record pools take them next; a buffer on the
    // heap gives the pages back to the system. Those bytes must never be read again.
    void GiveBackBefore(std::size_t offset);

    // Whether the bytes live in huge-page blocks of their own (for tests).
    bool Mapped() const { return mapped_; }

private:
    void Release() noexcept;

    char* at_ = nullptr;
    std::size_t size_ = 0;
    std::size_t cap_ = 0;
    std::size_t gone_ = 0;   // bytes at the front already given back (mapped only)
    bool mapped_ = false;
};

} // namespace sys
