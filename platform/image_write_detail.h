#pragma once
// What the image writers share inside the platform layer.
#include "platform/image_write.h"
#include "platform/sys/memory.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace image_write_detail {

// The source's reason when it stopped on its own, else the sink's, else fallback.
std::string StopReason(const TRowSource& src, const TByteSink& sink, const char* fallback);
// True, with the reason, for a picture without rows or columns.
bool SizeError(const TRowSource& src, std::string& error);

// The image itself when it is 32 bits a pixel, else an RGB32 copy; throws std::bad_alloc.
QImage AsRgb32(const QImage& image);

// The first x from `from` on whose pixel is not v; drawings are mostly long runs of one
// colour, so many pixels are compared at a time.
int RunEnd(const uint32_t* row, int from, int w, uint32_t v);

// A colour-to-index table for at most 256 colours (open addressing on 1024 slots).
class TColorSet {
public:
    TColorSet();
    // Index of c, adding it to palette when there is room; -1 when the set is full.
    int Find(uint32_t c, std::vector<uint32_t>& palette, int maxColors);
    // Index of c, -1 when it is not in the set.
    int Lookup(uint32_t c) const
    {
        const uint32_t slot = Slot(c);
        return keys_[slot] != 0 ? vals_[slot] : -1;
    }
    // Fills the set from a palette of at most 256 distinct colours.
    void Load(const std::vector<uint32_t>& palette);

private:
    // Where c is, or the empty slot where it would go (never full: 256 entries at most).
    uint32_t Slot(uint32_t c) const
    {
        const uint32_t key = c | 0x01000000u;
        uint32_t slot = (c * 2654435761u) >> 22;
        while (keys_[slot] != 0 && keys_[slot] != key)
            slot = (slot + 1) & 1023u;
        return slot;
    }
    uint32_t keys_[1024];
    uint8_t vals_[1024];
};

// Every row of a picture of at most 256 colours as runs of one colour, from one walk of
// its source, with the colours in order of first appearance. A drawing is mostly long
// runs, so they take far less room than its pixels, and a writer that must know the
// colours before the first row need not compose the picture twice.
class TRunRows {
public:
    // A run: the index of its colour in Colours() in the low byte, the x its pixels end
    // before above it.
    using TRun = uint32_t;
    static constexpr int kMaxWidth = (1 << 24) - 1;

    // Called after each row taken with the rows taken so far and the colours found in them,
    // and with rows -1 before the runs are let go when Take gives up.
    using TProgress = std::function<void(int rows, int colours)>;
    // Walks src once. False, keeping nothing, when the picture is wider than kMaxWidth,
    // has more than 256 colours (ManyColours() then), its runs would pass budget bytes, or
    // the source failed (src.Error() then says why).
    bool Take(TRowSource& src, size_t budget, const TProgress& progress = {});
    bool ManyColours() const { return many_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::vector<uint32_t>& Colours() const { return colours_; }
    // Valid for rows already taken, from any thread once their taking was reported.
    const TRun* RowRuns(int y, int& n) const
    {
        const TRowAt& r = rows_.data()[y];
        n = static_cast<int>(r.Count);
        return r.First;
    }

private:
    struct TRowAt {
        const TRun* First;
        uint32_t Count;
    };
    void Drop();
    int width_ = 0;
    int height_ = 0;
    // Huge-page blocks: fresh memory taken page by page costs a fault per 4 KB.
    std::vector<sys::TLargeBlock> blocks_;
    std::vector<TRowAt> rows_;
    std::vector<uint32_t> colours_;
    bool many_ = false;
};

// Runs kept for one picture at most; past them, the picture is composed a second time.
inline constexpr size_t kRunBudget = size_t{32} << 20;

struct TCubePalette;

// A row of runs as palette indexes at depth 1, 2, 4 or 8 bits a pixel, the leftmost pixel
// in the high bits of its byte; fromRun maps a run's colour index to the palette's.
void PackRuns(const TRunRows::TRun* runs, int n, const uint8_t* fromRun, int depth, uint8_t* out, int w);

// Colour to palette index for one picture: its exact palette when it has few enough
// colours, else the fixed palette of ReducePalette with the nearest colour.
class TPaletteMap {
public:
    // From the source's colours (one walk of it).
    TPaletteMap(TRowSource& src, int maxColors);
    // From the colours of runs taken, or of none when their picture has too many.
    TPaletteMap(const TRunRows& runs, int maxColors);
    uint8_t IndexOf(uint32_t c);
    void MapRow(const uint32_t* src, uint8_t* dst, int w);
    // A row of runs taken as indexes at depth 1, 2, 4 or 8 bits a pixel, the leftmost
    // pixel in the high bits of its byte.
    void PackRuns(const TRunRows::TRun* runs, int n, int depth, uint8_t* out, int w) const;
    bool Exact() const { return exact_; }
    std::vector<uint32_t> Palette;

private:
    void Init(bool exact, int maxColors);
    bool exact_ = false;
    TColorSet set_;
    const TCubePalette* cube_ = nullptr;
    std::vector<uint32_t> cacheKey_;
    std::vector<uint8_t> cacheVal_;
    uint8_t fromRun_[256];   // a run's colour index to the palette's
};

// The rows of a picture as palette indexes, for the indexed writers: the runs of one walk
// when they fit, else the colours from one walk and the rows from another.
class TIndexedRows {
public:
    // Looks at src's colours. With needPalette false, no palette is made for a picture of
    // more than maxColors colours (Exact() false, no Map()). False when the source failed.
    // progress hears of every row while runs are taken.
    bool Open(TRowSource& src, int maxColors, bool needPalette, const TRunRows::TProgress& progress = {});
    // The runs being taken, or taken when RunsTaken().
    const TRunRows& Runs() const { return runs_; }
    bool RunsTaken() const { return taken_; }
    bool Exact() const { return exact_; }
    const TPaletteMap& Map() const { return *map_; }
    // Calls fn(y, row) for every row, the top row first or bottom-up, the row packed at
    // depth 1, 2, 4 or 8 bits a pixel. False when fn stopped it or the source failed.
    bool Rows(bool bottomUp, int depth, const std::function<bool(int, uint8_t*)>& fn);

private:
    TRowSource* src_ = nullptr;
    TRunRows runs_;
    bool taken_ = false;
    bool exact_ = false;
    std::unique_ptr<TPaletteMap> map_;
};

} // namespace image_write_detail
