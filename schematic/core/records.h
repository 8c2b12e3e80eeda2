#pragma once
// The in-memory drawing: shapes, placed components and free texts, in drawing order
// (the front of each list is drawn first). Lists own their records; element addresses
// stay stable, so hit pointers into them remain valid until the element is erased.
#include <cstddef>
#include <cstdint>
#include <list>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define OSTRIN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTRIN_ASAN 1
#endif
#endif
#if defined(OSTRIN_ASAN)
#include <sanitizer/asan_interface.h>
#define OSTRIN_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define OSTRIN_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define OSTRIN_POISON(p, n) ((void)(p), (void)(n))
#define OSTRIN_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// Fixed-size blocks for list nodes, cut from large chunks, so a drawing of a million
// shapes makes a few dozen allocations instead of a million, and its nodes lie together.
// One pool per node size for the whole program; the drawing lists live on the
// user-interface thread only. Chunks are kept for the next drawing; once the last node of
// a pool of more than a few MB is freed, the pages of its large chunks are offered back to
// the system.
class TNodePool {
public:
    TNodePool(std::size_t size, std::size_t align);
    // Frees every chunk; no block may be in use.
    ~TNodePool();
    TNodePool(const TNodePool&) = delete;
    TNodePool& operator=(const TNodePool&) = delete;

    void* Take()
    {
        void* p;
        if (free_) {
            p = free_;
            OSTRIN_UNPOISON(p, size_);
            free_ = *static_cast<void**>(p);
        } else {
            if (next_ == end_)
                Grow();
            p = next_;
            next_ += size_;
            OSTRIN_UNPOISON(p, size_);
        }
        ++live_;
        return p;
    }
    void Give(void* p)
    {
        *static_cast<void**>(p) = free_;
        free_ = p;
        OSTRIN_POISON(p, size_);
        if (--live_ == 0)
            Restart();
    }
    // Blocks handed out and not yet given back; bytes held in chunks.
    std::size_t Live() const { return live_; }
    std::size_t HeldBytes() const { return held_; }

private:
    void Grow();
    void Restart();

    std::size_t size_;
    std::size_t align_;
    void* free_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t live_ = 0;
    std::size_t held_ = 0;
    struct TChunk {
        char* At = nullptr;
        std::size_t Bytes = 0;
        bool Mapped = false;   // a mapping of its own, not heap
    };
    std::vector<TChunk> chunks_;
    std::size_t used_ = 0;   // chunks handed out from since the pool was last empty
};

// The drawing lists' allocator: single nodes from the pool of their size, anything else
// from the heap. Stateless, so nodes move between lists by splice as with std::allocator.
template <class T>
struct TPoolAlloc {
    using value_type = T;
    TPoolAlloc() = default;
    template <class U>
    TPoolAlloc(const TPoolAlloc<U>&) noexcept
    {
    }
    static TNodePool& Pool()
    {
        // Never destroyed: lists in static storage may be freed after it would be.
        static TNodePool* pool = new TNodePool(sizeof(T), alignof(T));
        return *pool;
    }
    T* allocate(std::size_t n)
    {
        if (n == 1 && alignof(T) <= alignof(std::max_align_t))
            return static_cast<T*>(Pool().Take());
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n == 1 && alignof(T) <= alignof(std::max_align_t))
            Pool().Give(p);
        else
            std::allocator<T>().deallocate(p, n);
    }
    template <class U>
    bool operator==(const TPoolAlloc<U>&) const noexcept
    {
        return true;
    }
};

template <class T>
using TRecList = std::list<T, TPoolAlloc<T>>;

// One drawn primitive. Kinds: 1 line, 2 rectangle, 3 ellipse, 4 circle/dot, 5 quarter arc,
// 6 arrow head, 11 line with arrow heads, 12 sine wave; any other kind draws nothing.
struct TShapeRec {
    int32_t Kind = 0;
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 0;   // circle: four times the radius
    int32_t Y2 = 0;   // circle: four times the radius
    int32_t Style = 0;
    int32_t Selected = 0;
    bool operator==(const TShapeRec&) const = default;
};
using PShapeRec = TShapeRec*;

// A text of at most MaxTextLen single-byte (Windows-1252) characters.
struct TTextRec {
    std::string Text;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Font = 0;
    int32_t Selected = 0;
    bool operator==(const TTextRec&) const = default;
};
using PTextRec = TTextRec*;

using TShapeList = TRecList<TShapeRec>;
using TTextList = TRecList<TTextRec>;

// A placed component: private copies of the library file's shapes (half units) and
// texts (twentieths of a unit), both relative to the origin.
struct TCompRec {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Selected = 0;
    TShapeList Shapes;
    TTextList Texts;
    bool operator==(const TCompRec&) const = default;
};
using PCompRec = TCompRec*;
using TCompList = TRecList<TCompRec>;

// One polyline vertex in snapped screen pixels; PolyPoints keeps the newest first.
struct TPointRec {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPointRec&) const = default;
};
using TPointList = std::list<TPointRec>;

inline constexpr std::size_t MaxTextLen = 100;

// Stored texts: cut to 100 bytes; CR, LF and NUL never enter (they would break the
// one-value-per-line file format).
std::string StoredText(std::string_view s);

// The three lists a schematic window owns.
struct TSchModel {
    TShapeList ShapeList;
    TCompList CompList;
    TTextList TextList;

    bool Empty() const { return ShapeList.empty() && CompList.empty() && TextList.empty(); }
    // Frees the whole drawing: each component with its shapes and texts, then shapes, then texts.
    void EraseMem();
    bool operator==(const TSchModel&) const = default;
};

// The Style word.
namespace style {
constexpr int32_t Fill(int32_t s) { return s & 0xF; }
constexpr bool Filled(int32_t s) { return (s & 0xF) != 0; }
constexpr int32_t PenWidthField(int32_t s) { return (s >> 4) & 0xF; }
// Pixels: a width of 0 draws 1 wide.
constexpr int32_t PenWidth(int32_t s) { return PenWidthField(s) == 0 ? 1 : PenWidthField(s); }
constexpr int32_t ArrowTypeField(int32_t s) { return (s >> 8) & 0xF; }
// 1..6; any other value draws as type 1.
constexpr int32_t ArrowType(int32_t s)
{
    const int32_t t = ArrowTypeField(s);
    return (t >= 1 && t <= 6) ? t : 1;
}
constexpr int32_t LineStyleField(int32_t s) { return (s >> 12) & 0xF; }
// 1 solid, 2 dash, 3 dash-dot, 4 dash-dot-dot, 5 dot; 0 or above 5 draws solid.
constexpr int32_t LineStyle(int32_t s)
{
    const int32_t t = LineStyleField(s);
    return (t >= 1 && t <= 5) ? t : 1;
}
// The four style commands change one field and clear every bit above 15.
constexpr int32_t ToggleFill(int32_t s) { return (s & 0xF) == 0 ? (s & 0xFFF0) + 1 : (s & 0xFFF0); }
constexpr int32_t SetPenWidth(int32_t s, int32_t w) { return (s & 0xFF0F) + w * 16; }
constexpr int32_t SetArrowType(int32_t s, int32_t t) { return (s & 0xF0FF) + t * 256; }
constexpr int32_t SetLineStyle(int32_t s, int32_t ls) { return (s & 0x0FFF) + ls * 4096; }
} // namespace style

// The Font word of a text.
namespace font {
constexpr bool IsSymbol(int32_t f) { return (f & 0xF) != 0; }
constexpr int32_t SizeStepField(int32_t f) { return (f >> 4) & 0xF; }
// 0 draws as 1.
constexpr int32_t SizeStep(int32_t f) { return SizeStepField(f) == 0 ? 1 : SizeStepField(f); }
// Degrees; integer division truncates toward zero.
constexpr int32_t Angle(int32_t f) { return f / 256; }
constexpr int32_t Make(bool symbol, int32_t step, int32_t angle) { return (symbol ? 1 : 0) + step * 16 + angle * 256; }
} // namespace font

// World coordinates and snapping. Scale is 2, 4 or 8 pixels per world unit.
namespace world {
constexpr int32_t HalfScale(int32_t scale) { return scale / 2; }
// Nearest multiple of Scale, halves up; C++ division truncates toward zero as the
// original arithmetic does, so this is the formula, not floor-based rounding.
constexpr int32_t SnapPixel(int32_t p, int32_t scale) { return ((p + scale / 2) / scale) * scale; }
// Snapped pixel to world unit, adding the scroll offset.
constexpr int32_t ToWorld(int32_t snapped, int32_t scale, int32_t offset) { return snapped / scale + offset; }
// Circle: r in snapped pixels stored as four times the radius in world units; r below 1
// makes no circle.
constexpr int32_t CircleSize(int32_t r, int32_t scale) { return (r * 4) / scale; }
// Window pixel of a world coordinate, in 64 bits so that file values cannot overflow.
constexpr int64_t ToPixel(int32_t v, int32_t offset, int32_t scale)
{
    return (int64_t{v} - offset) * scale;
}
// Window pixel of a free text coordinate (tenths of a unit).
constexpr int64_t TextToPixel(int32_t v, int32_t offset, int32_t scale)
{
    return (int64_t{v} - int64_t{offset} * 10) * scale / 10;
}
// A 64-bit result of coordinate arithmetic held at the ends of a stored 32-bit value.
constexpr int32_t Clamp32(int64_t v)
{
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}
// Whether a 64-bit result fits a stored 32-bit value.
constexpr bool Fits32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }
} // namespace world
