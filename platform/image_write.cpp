#include "platform/image_write.h"
#include "platform/image_write_detail.h"

#include "platform/sys/files.h"
#include "platform/sys/memory.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <new>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

namespace {

QImage AsRgb32(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull() && !image.isNull())
        throw std::bad_alloc();
    return rgb;
}

const uint32_t* Row(const QImage& img, int y)
{
    return reinterpret_cast<const uint32_t*>(img.constScanLine(y));
}

// Runs an encoder; running out of memory on a large picture is a failure with a reason,
// never the end of the program. Whatever was made so far is dropped.
template <class Fn>
bool Guarded(std::string& error, Fn&& fn)
{
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        error = "Not enough memory for the picture";
        return false;
    }
}

bool SizeError(const QImage& image, std::string& error)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        error = "The picture is empty";
        return true;
    }
    return false;
}

// A colour-to-index table for at most 256 colours (open addressing on 1024 slots).
class TColorSet {
public:
    TColorSet() { std::memset(keys_, 0, sizeof keys_); }
    // Index of c, adding it when there is room; -1 when the set is full.
    int Find(uint32_t c, std::vector<uint32_t>& palette, int maxColors)
    {
        const uint32_t slot = Slot(c);
        if (keys_[slot] != 0)
            return vals_[slot];
        if (static_cast<int>(palette.size()) >= maxColors)
            return -1;
        keys_[slot] = c | 0x01000000u;
        vals_[slot] = static_cast<uint8_t>(palette.size());
        palette.push_back(c);
        return vals_[slot];
    }
    // Index of c, -1 when it is not in the set.
    int Lookup(uint32_t c) const
    {
        const uint32_t slot = Slot(c);
        return keys_[slot] != 0 ? vals_[slot] : -1;
    }
    // Where c is, or the empty slot where it would go (never full: 256 entries at most).
    uint32_t Slot(uint32_t c) const
    {
        const uint32_t key = c | 0x01000000u;
        uint32_t slot = (c * 2654435761u) >> 22;
        while (keys_[slot] != 0 && keys_[slot] != key)
            slot = (slot + 1) & 1023u;
        return slot;
    }
    // Fills the set from a palette of at most 256 distinct colours.
    void Load(const std::vector<uint32_t>& palette)
    {
        std::vector<uint32_t> scratch;
        for (uint32_t c : palette)
            Find(c, scratch, 256);
    }

private:
    uint32_t keys_[1024];
    uint8_t vals_[1024];
};

// The first x from `from` on whose pixel is not v; drawings are mostly long runs of one
// colour, so eight pixels are compared at a time.
int RunEnd(const uint32_t* row, int from, int w, uint32_t v)
{
    const uint64_t two = uint64_t{v} | (uint64_t{v} << 32);
    int x = from;
    while (x + 8 <= w) {
        uint64_t a, b, c, d;
        std::memcpy(&a, row + x, 8);
        std::memcpy(&b, row + x + 2, 8);
        std::memcpy(&c, row + x + 4, 8);
        std::memcpy(&d, row + x + 6, 8);
        if (((a ^ two) | (b ^ two) | (c ^ two) | (d ^ two)) != 0)
            break;
        x += 8;
    }
    while (x < w && row[x] == v)
        ++x;
    return x;
}

constexpr uint32_t kStandard16[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

int Nearest(uint32_t c, const std::vector<uint32_t>& palette)
{
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    int best = 0;
    int bestD = INT32_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        const uint32_t p = palette[i];
        const int dr = r - static_cast<int>((p >> 16) & 0xFF);
        const int dg = g - static_cast<int>((p >> 8) & 0xFF);
        const int db = b - static_cast<int>(p & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// The 6x6x6 cube (index r*36 + g*6 + b) followed by the 40 greys between its grey steps.
struct TCubePalette {
    std::vector<uint32_t> Colors;
    uint8_t Level[256];      // channel value to cube step
    uint8_t GreyIndex[256];  // grey value to the nearest grey entry
    TCubePalette()
    {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    Colors.push_back(static_cast<uint32_t>((r * 51) << 16 | (g * 51) << 8 | b * 51));
        std::vector<std::pair<int, int>> greys;   // value, index
        for (int s = 0; s < 6; ++s)
            greys.push_back({s * 51, s * 36 + s * 6 + s});
        for (int i = 0; i <= 45; ++i) {
            const int v = (i * 255 + 22) / 45;
            if (i % 9 == 0)
                continue;   // one of the cube's own greys
            greys.push_back({v, static_cast<int>(Colors.size())});
            Colors.push_back(static_cast<uint32_t>(v << 16 | v << 8 | v));
        }
        for (int c = 0; c < 256; ++c) {
            Level[c] = static_cast<uint8_t>((c + 25) / 51);
            int best = 0, bestD = 1000;
            for (const auto& [v, idx] : greys)
                if (std::abs(v - c) < bestD) {
                    bestD = std::abs(v - c);
                    best = idx;
                }
            GreyIndex[c] = static_cast<uint8_t>(best);
        }
    }
    uint8_t Index(uint32_t c) const
    {
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (r == g && g == b)
            return GreyIndex[r];
        return static_cast<uint8_t>(Level[r] * 36 + Level[g] * 6 + Level[b]);
    }
};

const TCubePalette& Cube()
{
    static const TCubePalette cube;
    return cube;
}

void Put16(std::string& s, uint32_t v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

} // namespace

// ---------------------------------------------------------------- palette

bool ExactPalette(const QImage& image, int maxColors, TIndexedImage& out)
{
    const QImage img = AsRgb32(image);
    out.Width = img.width();
    out.Height = img.height();
    out.Palette.clear();
    out.Pixels.assign(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height), 0);
    TColorSet set;
    uint32_t last = 0xFFFFFFFFu;
    uint8_t lastIdx = 0;
    for (int y = 0; y < out.Height; ++y) {
        const uint32_t* src = Row(img, y);
        uint8_t* dst = out.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(out.Width);
        for (int x = 0; x < out.Width; ++x) {
            const uint32_t c = src[x] & 0xFFFFFFu;
            if (c != last) {
                const int idx = set.Find(c, out.Palette, maxColors);
                if (idx < 0)
                    return false;
                last = c;
                lastIdx = static_cast<uint8_t>(idx);
            }
            dst[x] = lastIdx;
        }
    }
    return true;
}

TIndexedImage ReducePalette(const QImage& image, int maxColors)
{
    TIndexedImage out;
    if (ExactPalette(image, maxColors, out))
        return out;
    const QImage img = AsRgb32(image);
    if (maxColors >= 256) {
        const TCubePalette& cube = Cube();
        out.Palette = cube.Colors;
        for (int y = 0; y < out.Height; ++y) {
            const uint32_t* src = Row(img, y);
            uint8_t* dst = out.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(out.Width);
            for (int x = 0; x < out.Width; ++x)
                dst[x] = cube.Index(src[x] & 0xFFFFFFu);
        }
        return out;
    }
    if (maxColors >= 16)
        out.Palette.assign(std::begin(kStandard16), std::end(kStandard16));
    else
        out.Palette = {0x000000, 0xFFFFFF};
    // Drawings repeat few colours: a small direct-mapped cache saves the search.
    std::vector<uint32_t> cacheKey(4096, 0);
    std::vector<uint8_t> cacheVal(4096, 0);
    for (int y = 0; y < out.Height; ++y) {
        const uint32_t* src = Row(img, y);
        uint8_t* dst = out.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(out.Width);
        for (int x = 0; x < out.Width; ++x) {
            const uint32_t c = src[x] & 0xFFFFFFu;
            const uint32_t slot = (c * 2654435761u) >> 20;
            if (cacheKey[slot] != (c | 0x01000000u)) {
                cacheKey[slot] = c | 0x01000000u;
                cacheVal[slot] = static_cast<uint8_t>(Nearest(c, out.Palette));
            }
            dst[x] = cacheVal[slot];
        }
    }
    return out;
}

// ---------------------------------------------------------------- rows and sinks

TImageRows::TImageRows(const QImage& image)
    : image_(image.format() == QImage::Format_Indexed8 ? image : AsRgb32(image))
{
    if (image_.format() == QImage::Format_Indexed8) {
        const QList<QRgb> t = image_.colorTable();
        table_.assign(256, 0xFF000000u);
        for (qsizetype i = 0; i < t.size() && i < 256; ++i)
            table_[static_cast<size_t>(i)] = t[i] | 0xFF000000u;
    }
}

bool TImageRows::Rows(bool bottomUp, const std::function<bool(int, const uint32_t*)>& fn)
{
    const int h = image_.height();
    const int w = image_.width();
    std::vector<uint32_t> row(table_.empty() ? 0 : static_cast<size_t>(w));
    for (int i = 0; i < h; ++i) {
        const int y = bottomUp ? h - 1 - i : i;
        const uint32_t* pixels = nullptr;
        if (table_.empty()) {
            pixels = Row(image_, y);
        } else {
            const uchar* idx = image_.constScanLine(y);
            for (int x = 0; x < w; ++x)
                row[static_cast<size_t>(x)] = table_[idx[x]];
            pixels = row.data();
        }
        if (!fn(y, pixels))
            return false;
    }
    return true;
}

bool TStringSink::Put(const char* data, size_t n)
{
    try {
        out_.append(data, n);
        return true;
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return false;
    }
}

namespace {

// A file written through the atomic writer in large pieces.
class TFileSink final : public TByteSink {
public:
    bool Open(const std::string& path) { return file_.Open(path); }
    bool Put(const char* data, size_t n) override
    {
        if (buf_.size() + n > kChunk && !Flush())
            return false;
        if (n >= kChunk)
            return file_.Write(data, n);
        buf_.append(data, n);
        return true;
    }
    bool Commit() { return Flush() && file_.Commit(); }
    std::string Error() const override { return file_.Error(); }

private:
    static constexpr size_t kChunk = 1 << 20;
    bool Flush()
    {
        if (buf_.empty())
            return true;
        const bool ok = file_.Write(buf_.data(), buf_.size());
        buf_.clear();
        return ok;
    }
    sys::TAtomicWriter file_;
    std::string buf_;
};

// Every row of a picture as runs of one colour, from one walk of its source, with the
// picture's colours in order of first appearance. A drawing is mostly long runs, so they
// take far less room than its pixels, and an indexed writer, which must know the colours
// before the first row, does not have to compose the picture a second time.
class TRunRows final : public TRowSource {
public:
    struct TRun {
        uint32_t Colour;   // 0xRRGGBB
        uint32_t End;      // the run's pixels end before this x
    };
    // Walks src once. False, keeping nothing, when its runs would pass budget bytes or the
    // source failed (src.Error() then says why).
    bool Take(TRowSource& src, size_t budget)
    {
        Drop();
        width_ = src.Width();
        height_ = src.Height();
        const size_t w = static_cast<size_t>(std::max(width_, 0));
        // A row never has more runs than pixels, so a block is started whenever the current
        // one has less room than a whole row: every row's runs lie in one block.
        const size_t blockRuns = std::max(kBlockBytes / sizeof(TRun), w);
        if (static_cast<uint64_t>(height_) * sizeof(TRowAt) > budget)
            return false;
        try {
            rows_.reserve(static_cast<size_t>(height_));
            size_t held = static_cast<size_t>(height_) * sizeof(TRowAt);
            TColorSet set;
            const int iw = width_;
            TRun* at = nullptr;
            size_t room = 0;
            bool over = false;
            const bool done = src.Rows(false, [&](int, const uint32_t* row) {
                if (room < w) {
                    held += blockRuns * sizeof(TRun);
                    if (held > budget) {
                        over = true;
                        return false;
                    }
                    blocks_.emplace_back(blockRuns * sizeof(TRun));
                    at = reinterpret_cast<TRun*>(blocks_.back().Data());
                    room = blockRuns;
                }
                TRun* const first = at;
                for (int x = 0; x < iw;) {
                    const uint32_t raw = row[x];
                    const int end = RunEnd(row, x + 1, iw, raw);
                    *at++ = {raw & 0xFFFFFFu, static_cast<uint32_t>(end)};
                    if (!many_ && set.Find(raw & 0xFFFFFFu, colours_, 256) < 0)
                        many_ = true;
                    x = end;
                }
                const size_t n = static_cast<size_t>(at - first);
                room -= n;
                rows_.push_back({first, static_cast<uint32_t>(n)});
                return true;
            });
            if (done && !over)
                return true;
        } catch (const std::bad_alloc&) {
        }
        Drop();
        return false;
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Rows(bool bottomUp, const std::function<bool(int, const uint32_t*)>& fn) override
    {
        std::vector<uint32_t> row(static_cast<size_t>(width_));
        for (int i = 0; i < height_; ++i) {
            const int y = bottomUp ? height_ - 1 - i : i;
            int n = 0;
            const TRun* r = RowRuns(y, n);
            uint32_t x = 0;
            for (int k = 0; k < n; ++k) {
                std::fill(row.begin() + x, row.begin() + r[k].End, 0xFF000000u | r[k].Colour);
                x = r[k].End;
            }
            if (!fn(y, row.data()))
                return false;
        }
        return true;
    }
    const TRun* RowRuns(int y, int& n) const
    {
        const TRowAt& r = rows_[static_cast<size_t>(y)];
        n = static_cast<int>(r.Count);
        return r.First;
    }
    // The colours, in order of first appearance, when there are at most maxColors (<= 256).
    bool ExactPalette(int maxColors, std::vector<uint32_t>& palette) const
    {
        if (many_ || static_cast<int>(colours_.size()) > maxColors) {
            palette.clear();
            return false;
        }
        palette = colours_;
        return true;
    }

private:
    // Blocks of huge pages: taken page by page, fresh memory costs a fault per 4 KB.
    static constexpr size_t kBlockBytes = sys::kHugePage;
    struct TRowAt {
        const TRun* First;
        uint32_t Count;
    };
    void Drop()
    {
        blocks_.clear();
        std::vector<TRowAt>().swap(rows_);
        colours_.clear();
        many_ = false;
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<sys::TLargeBlock> blocks_;
    std::vector<TRowAt> rows_;
    std::vector<uint32_t> colours_;
    bool many_ = false;   // more than 256 colours
};

// Runs kept for one picture at most; past it, the picture is composed a second time.
constexpr size_t kRunBudget = size_t{32} << 20;

using TRun = TRunRows::TRun;

// The byte holding eight pixels' worth of index i at depth bits a pixel.
uint8_t Repeated(unsigned i, int depth)
{
    switch (depth) {
    case 1:
        return i ? 0xFF : 0x00;
    case 2:
        return static_cast<uint8_t>(i * 0x55u);
    case 4:
        return static_cast<uint8_t>(i * 0x11u);
    default:
        return static_cast<uint8_t>(i);
    }
}

// One row of palette indexes at depth 1, 2, 4 or 8 bits a pixel, the leftmost pixel in the
// high bits of its byte, from the row's runs: a run is its first and last byte under a
// mask and whole bytes between.
template <typename IndexOf>
void PackRuns(const TRun* runs, int n, IndexOf&& indexOf, int depth, uint8_t* out, int w)
{
    if (depth == 8) {
        uint32_t x = 0;
        for (int k = 0; k < n; ++k) {
            std::memset(out + x, indexOf(runs[k].Colour), runs[k].End - x);
            x = runs[k].End;
        }
        return;
    }
    // Bits [a, b) of a byte, bit 0 being its highest.
    auto mask = [](unsigned a, unsigned b) { return static_cast<uint8_t>((0xFFu >> a) & ~(0xFFu >> b)); };
    std::memset(out, 0, static_cast<size_t>((int64_t{w} * depth + 7) / 8));
    uint64_t from = 0;   // the run's first bit
    for (int k = 0; k < n; ++k) {
        const uint64_t to = uint64_t{runs[k].End} * static_cast<unsigned>(depth);
        const unsigned i = indexOf(runs[k].Colour);
        if (i != 0) {
            const uint8_t p = Repeated(i, depth);
            const uint64_t b0 = from >> 3, b1 = to >> 3;
            const unsigned r0 = from & 7, r1 = to & 7;
            if (b0 == b1) {
                out[b0] |= p & mask(r0, r1);
            } else {
                out[b0] |= p & mask(r0, 8);
                std::memset(out + b0 + 1, p, static_cast<size_t>(b1 - b0 - 1));
                if (r1 != 0)
                    out[b1] |= p & mask(0, r1);
            }
        }
        from = to;
    }
}

// Colour to palette index for one picture: the exact palette when it has few enough
// colours, else the fixed palette of ReducePalette with the nearest colour.
class TPaletteMap {
public:
    TPaletteMap(TRowSource& src, int maxColors)
    {
        Init(CensusPalette(src, maxColors, Palette), maxColors);
    }
    TPaletteMap(const TRunRows& runs, int maxColors)
    {
        Init(runs.ExactPalette(maxColors, Palette), maxColors);
    }
    uint8_t IndexOf(uint32_t c)
    {
        if (exact_) {
            const int i = set_.Lookup(c);
            return static_cast<uint8_t>(i < 0 ? 0 : i);
        }
        if (cube_)
            return cube_->Index(c);
        const uint32_t slot = (c * 2654435761u) >> 20;
        if (cacheKey_[slot] != (c | 0x01000000u)) {
            cacheKey_[slot] = c | 0x01000000u;
            cacheVal_[slot] = static_cast<uint8_t>(Nearest(c, Palette));
        }
        return cacheVal_[slot];
    }
    void MapRow(const uint32_t* src, uint8_t* dst, int w)
    {
        if (exact_) {
            for (int x = 0; x < w;) {
                const uint32_t raw = src[x];
                const int end = RunEnd(src, x + 1, w, raw);
                std::memset(dst + x, IndexOf(raw & 0xFFFFFFu), static_cast<size_t>(end - x));
                x = end;
            }
            return;
        }
        for (int x = 0; x < w; ++x)
            dst[x] = IndexOf(src[x] & 0xFFFFFFu);
    }
    void MapRuns(const TRun* runs, int n, uint8_t* dst, int w)
    {
        PackRuns(runs, n, [this](uint32_t c) { return IndexOf(c); }, 8, dst, w);
    }
    bool Exact() const { return exact_; }
    std::vector<uint32_t> Palette;

private:
    void Init(bool exact, int maxColors)
    {
        exact_ = exact;
        if (exact_) {
            set_.Load(Palette);
            return;
        }
        if (maxColors >= 256) {
            cube_ = &Cube();
            Palette = cube_->Colors;
        } else if (maxColors >= 16) {
            Palette.assign(std::begin(kStandard16), std::end(kStandard16));
        } else {
            Palette = {0x000000, 0xFFFFFF};
        }
        cacheKey_.assign(4096, 0);
        cacheVal_.assign(4096, 0);
    }
    bool exact_ = false;
    TColorSet set_;
    const TCubePalette* cube_ = nullptr;
    std::vector<uint32_t> cacheKey_;
    std::vector<uint8_t> cacheVal_;
};

// The palette of a picture whose runs were taken, else of its source.
std::unique_ptr<TPaletteMap> MapOf(const TRunRows* runs, TRowSource& src, int maxColors)
{
    return runs ? std::make_unique<TPaletteMap>(*runs, maxColors) : std::make_unique<TPaletteMap>(src, maxColors);
}

// Calls fn(y, indexes) for every row, the top row first or bottom-up: from the runs when
// they were taken, else from the source's rows again.
bool IndexRows(TRowSource& src, const TRunRows* runs, TPaletteMap& map, bool bottomUp,
               const std::function<bool(int, uint8_t*)>& fn)
{
    const int w = src.Width();
    std::vector<uint8_t> idx(static_cast<size_t>(w));
    if (!runs)
        return src.Rows(bottomUp, [&](int y, const uint32_t* row) {
            map.MapRow(row, idx.data(), w);
            return fn(y, idx.data());
        });
    const int h = runs->Height();
    for (int i = 0; i < h; ++i) {
        const int y = bottomUp ? h - 1 - i : i;
        int n = 0;
        const TRun* r = runs->RowRuns(y, n);
        map.MapRuns(r, n, idx.data(), w);
        if (!fn(y, idx.data()))
            return false;
    }
    return true;
}

} // namespace

namespace image_write_detail {

std::string StopReason(const TRowSource& src, const TByteSink& sink, const char* fallback)
{
    std::string why = src.Error();
    if (why.empty())
        why = sink.Error();
    return why.empty() ? std::string(fallback) : why;
}

bool SizeError(const TRowSource& src, std::string& error)
{
    if (src.Width() <= 0 || src.Height() <= 0) {
        error = "The picture is empty";
        return true;
    }
    return false;
}

} // namespace image_write_detail

using image_write_detail::SizeError;
using image_write_detail::StopReason;

bool CensusPalette(TRowSource& src, int maxColors, std::vector<uint32_t>& palette)
{
    palette.clear();
    TColorSet set;
    bool fits = true;
    const int w = src.Width();
    const bool done = src.Rows(false, [&](int, const uint32_t* row) {
        for (int x = 0; x < w;) {
            const uint32_t raw = row[x];
            if (set.Find(raw & 0xFFFFFFu, palette, maxColors) < 0) {
                fits = false;
                return false;
            }
            x = RunEnd(row, x + 1, w, raw);
        }
        return true;
    });
    return fits && done;
}

QImage IndexedImageOf(TRowSource& src)
{
    try {
        if (src.Width() <= 0 || src.Height() <= 0)
            return {};
        TRunRows runs;
        const bool taken = runs.Take(src, kRunBudget);
        if (!taken && !src.Error().empty())
            return {};
        const std::unique_ptr<TPaletteMap> map = MapOf(taken ? &runs : nullptr, src, 256);
        if (!taken && !map->Exact() && !src.Error().empty())
            return {};
        QImage img(src.Width(), src.Height(), QImage::Format_Indexed8);
        if (img.isNull())
            return {};
        QList<QRgb> table;
        for (uint32_t c : map->Palette)
            table.push_back(0xFF000000u | c);
        img.setColorTable(table);
        const size_t w = static_cast<size_t>(src.Width());
        if (!IndexRows(src, taken ? &runs : nullptr, *map, false, [&](int y, uint8_t* idx) {
                std::memcpy(img.scanLine(y), idx, w);
                return true;
            }))
            return {};
        return img;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// ---------------------------------------------------------------- BMP

bool WriteBmp(TRowSource& src, int bits, TByteSink& sink, std::string& error)
{
    if (SizeError(src, error))
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32) {
        error = "Unsupported bit depth";
        return false;
    }
    const int64_t w = src.Width();
    const int64_t h = src.Height();
    const int storeBits = bits == 15 ? 16 : bits;
    const int64_t stride = (w * storeBits + 31) / 32 * 4;
    const int64_t pixelBytes = stride * h;
    if (14 + 40 + 12 + 256 * 4 + pixelBytes > 0xFFFFFFFFll) {
        error = "The picture is too large for a BMP file";
        return false;
    }

    // Indexed rows: the colours must be known before the first row, so the picture's runs
    // are taken in one walk of the source when they fit, which saves walking it twice.
    TRunRows runs;
    bool taken = false;
    std::unique_ptr<TPaletteMap> map;
    if (bits <= 8) {
        taken = runs.Take(src, kRunBudget);
        if (!taken && !src.Error().empty()) {
            error = src.Error();
            return false;
        }
        map = MapOf(taken ? &runs : nullptr, src, 1 << bits);
    }
    const int64_t colours = map ? static_cast<int64_t>(map->Palette.size()) : 0;
    const int64_t masks = bits == 16 ? 12 : 0;
    const int64_t offBits = 14 + 40 + masks + colours * 4;
    const int64_t fileSize = offBits + pixelBytes;
    std::string head;
    head += "BM";
    Put32(head, static_cast<uint32_t>(fileSize));
    Put32(head, 0);
    Put32(head, static_cast<uint32_t>(offBits));
    Put32(head, 40);
    Put32(head, static_cast<uint32_t>(w));
    Put32(head, static_cast<uint32_t>(h));
    Put16(head, 1);
    Put16(head, static_cast<uint32_t>(storeBits));
    Put32(head, bits == 16 ? 3 : 0);   // BI_BITFIELDS for 5-6-5, else BI_RGB
    Put32(head, static_cast<uint32_t>(pixelBytes));
    Put32(head, 3780);   // 96 dpi in pixels per metre
    Put32(head, 3780);
    Put32(head, static_cast<uint32_t>(colours));
    Put32(head, 0);
    if (bits == 16) {
        Put32(head, 0xF800);
        Put32(head, 0x07E0);
        Put32(head, 0x001F);
    }
    for (int64_t i = 0; i < colours; ++i)
        Put32(head, map->Palette[static_cast<size_t>(i)]);   // B, G, R, 0
    if (!sink.Put(head.data(), head.size())) {
        error = StopReason(src, sink, "The picture could not be written");
        return false;
    }

    // Rows bottom-up, as the file stores them.
    std::vector<uint8_t> out(static_cast<size_t>(stride));
    if (taken) {
        // Straight from the runs, at the file's depth.
        for (int64_t y = h - 1; y >= 0; --y) {
            int n = 0;
            const TRun* r = runs.RowRuns(static_cast<int>(y), n);
            std::fill(out.begin(), out.end(), 0);
            PackRuns(r, n, [&](uint32_t c) { return map->IndexOf(c); }, bits, out.data(), static_cast<int>(w));
            if (!sink.Put(reinterpret_cast<const char*>(out.data()), out.size())) {
                error = StopReason(src, sink, "The picture could not be written");
                return false;
            }
        }
        return true;
    }
    std::vector<uint8_t> idx(bits <= 8 ? static_cast<size_t>(w) : 0);
    const bool ok = src.Rows(true, [&](int, const uint32_t* row) {
        uint8_t* dst = out.data();
        if (bits <= 8) {
            map->MapRow(row, idx.data(), static_cast<int>(w));
            std::fill(out.begin(), out.end(), 0);
        }
        switch (bits) {
        case 1:
            for (int64_t x = 0; x < w; ++x)
                dst[x >> 3] |= static_cast<uint8_t>((idx[x] & 1) << (7 - (x & 7)));
            break;
        case 4:
            for (int64_t x = 0; x < w; ++x)
                dst[x >> 1] |= static_cast<uint8_t>((idx[x] & 15) << ((x & 1) ? 0 : 4));
            break;
        case 8:
            std::memcpy(dst, idx.data(), static_cast<size_t>(w));
            break;
        case 15:
        case 16:
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t c = row[x];
                const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                const uint32_t v = bits == 15 ? ((r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
                                              : ((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
                dst[2 * x] = static_cast<uint8_t>(v & 0xFF);
                dst[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            }
            break;
        case 24:
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t c = row[x];
                dst[3 * x] = static_cast<uint8_t>(c & 0xFF);
                dst[3 * x + 1] = static_cast<uint8_t>((c >> 8) & 0xFF);
                dst[3 * x + 2] = static_cast<uint8_t>((c >> 16) & 0xFF);
            }
            break;
        case 32:
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t c = row[x] & 0xFFFFFFu;
                std::memcpy(dst + 4 * x, &c, 4);   // B, G, R, 0 on a little-endian machine
            }
            break;
        }
        return sink.Put(reinterpret_cast<const char*>(dst), out.size());
    });
    if (!ok) {
        error = StopReason(src, sink, "The picture could not be written");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- PNG

namespace {

struct TPngSink {
    TByteSink* Sink = nullptr;
    bool Failed = false;
    char Message[200] = {};
};

extern "C" void PngWriteData(png_structp png, png_bytep data, size_t n)
{
    auto* sink = static_cast<TPngSink*>(png_get_io_ptr(png));
    if (!sink->Sink->Put(reinterpret_cast<const char*>(data), n)) {
        sink->Failed = true;
        png_error(png, "The picture could not be written");
    }
}

extern "C" void PngFlush(png_structp) {}

extern "C" void PngError(png_structp png, png_const_charp msg)
{
    auto* sink = static_cast<TPngSink*>(png_get_error_ptr(png));
    std::snprintf(sink->Message, sizeof sink->Message, "%s", msg);
    png_longjmp(png, 1);
}

extern "C" void PngWarning(png_structp, png_const_charp) {}

// As for JPEG: each libpng call in a frame of plain C objects.
// Bits a pixel for a palette of this many colours.
int PngDepth(int colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// packed: palette rows come at the file's depth already, not one byte a pixel.
bool PngStart(png_structp png, png_infop info, TPngSink* sink, int width, int height, const uint32_t* palette,
              int colours, bool packed)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, sink, PngWriteData, PngFlush);
    // Speed first: a drawing is mostly rows like the one above and runs of one colour, so
    // the "up" filter leaves long runs of zeros, which run-length deflate takes fastest
    // (and smaller than general deflate at its fastest level here).
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    if (palette) {
        const int depth = PngDepth(colours);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth,
                     PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                     PNG_FILTER_TYPE_BASE);
        png_color entries[256];
        for (int i = 0; i < colours; ++i) {
            entries[i].red = static_cast<png_byte>((palette[i] >> 16) & 0xFF);
            entries[i].green = static_cast<png_byte>((palette[i] >> 8) & 0xFF);
            entries[i].blue = static_cast<png_byte>(palette[i] & 0xFF);
        }
        png_set_PLTE(png, info, entries, colours);
        png_write_info(png, info);
        if (depth < 8 && !packed)
            png_set_packing(png);
    } else {
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                     PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        png_set_filler(png, 0, PNG_FILLER_AFTER);   // rows are B, G, R, X
        png_set_bgr(png);
    }
    return true;
}

bool PngRow(png_structp png, const uint8_t* row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_row(png, row);
    return true;
}

bool PngFinish(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_end(png, info);
    return true;
}

} // namespace

bool WritePng(TRowSource& src, TByteSink& out, std::string& error)
{
    if (SizeError(src, error))
        return false;
    // A palette must come before the first row: the runs of one walk give both, else the
    // source is walked once for its colours and again for its rows.
    TRunRows runs;
    const bool taken = runs.Take(src, kRunBudget);
    if (!taken && !src.Error().empty()) {
        error = src.Error();
        return false;
    }
    std::vector<uint32_t> palette;
    const bool indexed = taken ? runs.ExactPalette(256, palette) : CensusPalette(src, 256, palette);
    if (!taken && !indexed && !src.Error().empty()) {
        error = src.Error();
        return false;
    }
    TPngSink sink;
    sink.Sink = &out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "PNG encoder: Out of memory";
        return false;
    }
    const int w = src.Width();
    bool ok = PngStart(png, info, &sink, w, src.Height(), indexed ? palette.data() : nullptr,
                       static_cast<int>(palette.size()), taken);
    bool rowsFailed = false;
    if (ok) {
        TColorSet set;
        set.Load(palette);
        auto indexOf = [&set](uint32_t c) {
            const int i = set.Lookup(c);
            return static_cast<uint8_t>(i < 0 ? 0 : i);
        };
        if (taken) {
            const int depth = indexed ? PngDepth(static_cast<int>(palette.size())) : 0;
            std::vector<uint8_t> packed(indexed ? static_cast<size_t>(w) : 0);
            std::vector<uint32_t> pixels(indexed ? 0 : static_cast<size_t>(w));
            for (int y = 0; ok && y < runs.Height(); ++y) {
                int n = 0;
                const TRun* r = runs.RowRuns(y, n);
                const uint8_t* bytes = packed.data();
                if (indexed) {
                    PackRuns(r, n, indexOf, depth, packed.data(), w);
                } else {
                    uint32_t x = 0;
                    for (int k = 0; k < n; ++k) {
                        std::fill(pixels.begin() + x, pixels.begin() + r[k].End, 0xFF000000u | r[k].Colour);
                        x = r[k].End;
                    }
                    bytes = reinterpret_cast<const uint8_t*>(pixels.data());
                }
                ok = PngRow(png, bytes);
                rowsFailed = !ok;
            }
        } else {
            std::vector<uint8_t> idx(indexed ? static_cast<size_t>(w) : 0);
            ok = src.Rows(false, [&](int, const uint32_t* row) {
                const uint8_t* bytes = reinterpret_cast<const uint8_t*>(row);
                if (indexed) {
                    for (int x = 0; x < w;) {
                        const uint32_t raw = row[x];
                        const int end = RunEnd(row, x + 1, w, raw);
                        std::memset(idx.data() + x, indexOf(raw & 0xFFFFFFu), static_cast<size_t>(end - x));
                        x = end;
                    }
                    bytes = idx.data();
                }
                if (PngRow(png, bytes))
                    return true;
                rowsFailed = true;
                return false;
            });
        }
        if (ok)
            ok = PngFinish(png, info);
    }
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        if (sink.Failed)
            error = StopReason(src, out, "The picture could not be written");
        else if (!rowsFailed && !src.Error().empty())
            error = src.Error();
        else
            error = std::string("PNG encoder: ") + sink.Message;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- GIF

namespace {

extern "C" int GifWriteData(GifFileType* gif, const GifByteType* data, int n)
{
    auto* out = static_cast<TByteSink*>(gif->UserData);
    return out->Put(reinterpret_cast<const char*>(data), static_cast<size_t>(n)) ? n : 0;
}

} // namespace

bool WriteGif(TRowSource& src, TByteSink& out, std::string& error)
{
    if (SizeError(src, error))
        return false;
    if (src.Width() > kGifMaxSide || src.Height() > kGifMaxSide) {
        error = "The picture is too large for a GIF file (at most 65535 pixels a side)";
        return false;
    }
    TRunRows runs;
    const bool taken = runs.Take(src, kRunBudget);
    if (!taken && !src.Error().empty()) {
        error = src.Error();
        return false;
    }
    const std::unique_ptr<TPaletteMap> mapOwner = MapOf(taken ? &runs : nullptr, src, 256);
    TPaletteMap& map = *mapOwner;
    if (!taken && !map.Exact() && !src.Error().empty()) {
        error = src.Error();
        return false;
    }
    int bitsPerPixel = 1;
    while ((1 << bitsPerPixel) < static_cast<int>(map.Palette.size()))
        ++bitsPerPixel;
    std::vector<GifColorType> colours(static_cast<size_t>(1) << bitsPerPixel, GifColorType{0, 0, 0});
    for (size_t i = 0; i < map.Palette.size(); ++i)
        colours[i] = GifColorType{static_cast<GifByteType>((map.Palette[i] >> 16) & 0xFF),
                                  static_cast<GifByteType>((map.Palette[i] >> 8) & 0xFF),
                                  static_cast<GifByteType>(map.Palette[i] & 0xFF)};
    int code = 0;
    GifFileType* gif = EGifOpen(&out, GifWriteData, &code);
    if (!gif) {
        error = std::string("GIF encoder: ") + GifErrorString(code);
        return false;
    }
    const int w = src.Width();
    ColorMapObject* cmap = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = cmap != nullptr;
    if (ok)
        ok = EGifPutScreenDesc(gif, w, src.Height(), bitsPerPixel, 0, cmap) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, w, src.Height(), false, nullptr) == GIF_OK;
    bool rowsFailed = false;
    if (ok) {
        ok = IndexRows(src, taken ? &runs : nullptr, map, false, [&](int, uint8_t* idx) {
            if (EGifPutLine(gif, idx, w) == GIF_OK)
                return true;
            rowsFailed = true;
            return false;
        });
    }
    if (!ok && gif->Error != 0)
        code = gif->Error;
    int closeCode = 0;
    if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
        ok = false;
        code = closeCode;
    }
    GifFreeMapObject(cmap);
    if (!ok) {
        const std::string sinkWhy = out.Error();
        if (!rowsFailed && !src.Error().empty())
            error = src.Error();
        else if (!sinkWhy.empty())
            error = sinkWhy;
        else {
            const char* why = cmap ? GifErrorString(code) : "Out of memory";
            error = std::string("GIF encoder: ") + (why ? why : "failed");
        }
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- files

TImageFormat ImageFormatOfName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return TImageFormat::None;
    const QString ext = name.mid(dot).toUpper();
    if (ext == QLatin1String(".BMP"))
        return TImageFormat::Bmp;
    if (ext == QLatin1String(".JPG"))
        return TImageFormat::Jpeg;
    if (ext == QLatin1String(".GIF"))
        return TImageFormat::Gif;
    if (ext == QLatin1String(".PNG"))
        return TImageFormat::Png;
    return TImageFormat::None;
}

bool WriteWholeFile(const QString& path, const std::string& bytes, QString& error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error = f.errorString();
        return false;
    }
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        error = f.errorString();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the encoders

namespace {

// Runs a whole-image encoder into out: bytes reserved once, nothing kept on failure.
template <class Fn>
bool IntoString(const QImage& image, std::string& out, std::string& error, size_t reserve, Fn&& fn)
{
    out.clear();
    const bool ok = Guarded(error, [&] {
        if (SizeError(image, error))
            return false;
        TImageRows src(image);
        if (reserve > 0)
            out.reserve(reserve);
        TStringSink sink(out);
        return fn(src, sink);
    });
    if (!ok)
        out.clear();
    return ok;
}

} // namespace

bool EncodeBmp(const QImage& image, int bits, std::string& out, std::string& error)
{
    const int storeBits = bits == 15 ? 16 : bits;
    const size_t reserve = image.isNull() ? 0
                                          : static_cast<size_t>((int64_t{image.width()} * storeBits + 31) / 32 * 4 *
                                                                    image.height() + 1100);
    return IntoString(image, out, error, reserve,
                      [&](TRowSource& src, TByteSink& sink) { return WriteBmp(src, bits, sink, error); });
}

bool EncodeJpeg(const QImage& image, int quality, std::string& out, std::string& error)
{
    return IntoString(image, out, error, 0,
                      [&](TRowSource& src, TByteSink& sink) { return WriteJpeg(src, quality, sink, error); });
}

bool EncodePng(const QImage& image, std::string& out, std::string& error)
{
    return IntoString(image, out, error, 0,
                      [&](TRowSource& src, TByteSink& sink) { return WritePng(src, sink, error); });
}

bool EncodeGif(const QImage& image, std::string& out, std::string& error)
{
    return IntoString(image, out, error, 0,
                      [&](TRowSource& src, TByteSink& sink) { return WriteGif(src, sink, error); });
}

bool SaveImageFile(TRowSource& src, TImageFormat format, int bits, int quality, const std::string& path,
                   std::string& error)
{
    return Guarded(error, [&] {
        TFileSink file;
        if (!file.Open(path)) {
            error = file.Error();
            return false;
        }
        bool ok = false;
        switch (format) {
        case TImageFormat::Bmp: ok = WriteBmp(src, bits, file, error); break;
        case TImageFormat::Jpeg: ok = WriteJpeg(src, quality, file, error); break;
        case TImageFormat::Gif: ok = WriteGif(src, file, error); break;
        case TImageFormat::Png: ok = WritePng(src, file, error); break;
        case TImageFormat::None: error = "Unknown image format"; break;
        }
        if (ok && !file.Commit()) {
            error = file.Error();
            ok = false;
        }
        return ok;
    });
}
