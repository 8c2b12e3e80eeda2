// The colours of a picture for the indexed writers: exact palettes, the fixed palettes a
// picture of more colours is reduced to, and the runs that let a writer learn the colours
// and the rows from one walk of a composed picture.
#include "platform/image_write.h"
#include "platform/image_write_detail.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace image_write_detail {

QImage AsRgb32(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull() && !image.isNull())
        throw std::bad_alloc();
    return rgb;
}

TColorSet::TColorSet()
{
    std::memset(keys_, 0, sizeof keys_);
}

int TColorSet::Find(uint32_t c, std::vector<uint32_t>& palette, int maxColors)
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

void TColorSet::Load(const std::vector<uint32_t>& palette)
{
    std::vector<uint32_t> scratch;
    for (uint32_t c : palette)
        Find(c, scratch, 256);
}

int RunEnd(const uint32_t* row, int from, int w, uint32_t v)
{
    int x = from;
#if defined(__SSE2__)
    // Sixteen pixels a step; the first other pixel found from the compare masks at once.
    const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
    auto same = [&](int at) {
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at));
        return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi32(q, vv))));
    };
    while (x + 16 <= w) {
        const uint64_t other = ~(same(x) | same(x + 4) << 16 | same(x + 8) << 32 | same(x + 12) << 48);
        if (other != 0)
            return x + __builtin_ctzll(other) / 4;
        x += 16;
    }
    while (x + 4 <= w) {
        const uint64_t other = ~same(x) & 0xFFFFu;
        if (other != 0)
            return x + __builtin_ctzll(other) / 4;
        x += 4;
    }
#else
    const uint64_t two = uint64_t{v} | (uint64_t{v} << 32);
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
#endif
    while (x < w && row[x] == v)
        ++x;
    return x;
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

namespace {
const TCubePalette& Cube()
{
    static const TCubePalette cube;
    return cube;
}
} // namespace

} // namespace image_write_detail

using namespace image_write_detail;

namespace {

constexpr uint32_t kStandard16[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

const uint32_t* Row(const QImage& img, int y)
{
    return reinterpret_cast<const uint32_t*>(img.constScanLine(y));
}

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

// The byte holding a whole byte's worth of pixels of index i at depth bits a pixel.
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

// Packs a row of one-byte indexes at depth 1, 2 or 4, the leftmost pixel in the high bits.
void PackIndexes(const uint8_t* idx, int w, int depth, uint8_t* out)
{
    const int perByte = 8 / depth;
    std::memset(out, 0, static_cast<size_t>((int64_t{w} * depth + 7) / 8));
    for (int x = 0; x < w; ++x)
        out[x / perByte] |= static_cast<uint8_t>(idx[x] << ((perByte - 1 - x % perByte) * depth));
}

} // namespace

// ---------------------------------------------------------------- palettes of images

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

// ---------------------------------------------------------------- runs

namespace image_write_detail {

bool TRunRows::Take(TRowSource& src, size_t budget, const TProgress& progress)
{
    Drop();
    width_ = src.Width();
    height_ = src.Height();
    if (width_ <= 0 || height_ <= 0 || width_ > kMaxWidth)
        return false;
    const size_t w = static_cast<size_t>(width_);
    // A row never has more runs than pixels, so a block is started whenever the current one
    // has less room than a whole row: every row's runs lie in one block.
    const size_t blockRuns = std::max(sys::kHugePage / sizeof(TRun), w);
    if (static_cast<uint64_t>(height_) * sizeof(TRowAt) > budget)
        return false;
    try {
        rows_.reserve(static_cast<size_t>(height_));
        size_t held = static_cast<size_t>(height_) * sizeof(TRowAt);
        TColorSet set;
        const int iw = width_;
        TRun* at = nullptr;
        size_t room = 0;
        bool stop = false;
        const bool done = src.Rows(false, [&](int, const uint32_t* row) {
            if (room < w) {
                held += blockRuns * sizeof(TRun);
                if (held > budget) {
                    stop = true;
                    return false;
                }
                blocks_.emplace_back(blockRuns * sizeof(TRun));
                at = reinterpret_cast<TRun*>(blocks_.back().Data());
                room = blockRuns;
            }
            TRun* const first = at;
            uint32_t last = ~row[0];
            uint32_t index = 0;
            for (int x = 0; x < iw;) {
                const uint32_t raw = row[x];
                const int end = RunEnd(row, x + 1, iw, raw);
                if (raw != last) {
                    const int i = set.Find(raw & 0xFFFFFFu, colours_, 256);
                    if (i < 0) {
                        many_ = stop = true;
                        return false;
                    }
                    last = raw;
                    index = static_cast<uint32_t>(i);
                }
                *at++ = static_cast<uint32_t>(end) << 8 | index;
                x = end;
            }
            const size_t n = static_cast<size_t>(at - first);
            room -= n;
            rows_.push_back({first, static_cast<uint32_t>(n)});
            if (progress)
                progress(static_cast<int>(rows_.size()), static_cast<int>(colours_.size()));
            return true;
        });
        if (done && !stop)
            return true;
    } catch (const std::bad_alloc&) {
    }
    if (progress)
        progress(-1, 0);   // nobody reads the rows any more
    const bool many = many_;
    Drop();
    many_ = many;
    return false;
}

void TRunRows::Drop()
{
    blocks_.clear();
    std::vector<TRowAt>().swap(rows_);
    colours_.clear();
    many_ = false;
}

// ---------------------------------------------------------------- palette map

TPaletteMap::TPaletteMap(TRowSource& src, int maxColors)
{
    Init(CensusPalette(src, maxColors, Palette), maxColors);
}

TPaletteMap::TPaletteMap(const TRunRows& runs, int maxColors)
{
    const std::vector<uint32_t>& colours = runs.Colours();
    if (!runs.ManyColours() && static_cast<int>(colours.size()) <= maxColors && !colours.empty())
        Palette = colours;
    Init(!Palette.empty(), maxColors);
    for (size_t i = 0; i < colours.size(); ++i)
        fromRun_[i] = IndexOf(colours[i]);
}

void TPaletteMap::Init(bool exact, int maxColors)
{
    std::memset(fromRun_, 0, sizeof fromRun_);
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

uint8_t TPaletteMap::IndexOf(uint32_t c)
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

void TPaletteMap::MapRow(const uint32_t* src, uint8_t* dst, int w)
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
    if (cube_) {
        for (int x = 0; x < w; ++x)
            dst[x] = cube_->Index(src[x] & 0xFFFFFFu);
        return;
    }
    for (int x = 0; x < w; ++x) {
        const uint32_t c = src[x] & 0xFFFFFFu;
        const uint32_t slot = (c * 2654435761u) >> 20;
        if (cacheKey_[slot] != (c | 0x01000000u)) {
            cacheKey_[slot] = c | 0x01000000u;
            cacheVal_[slot] = static_cast<uint8_t>(Nearest(c, Palette));
        }
        dst[x] = cacheVal_[slot];
    }
}

void PackRuns(const TRunRows::TRun* runs, int n, const uint8_t* fromRun, int depth, uint8_t* out, int w)
{
    if (depth == 8) {
        uint32_t x = 0;
        for (int k = 0; k < n; ++k) {
            const uint32_t end = runs[k] >> 8;
            std::memset(out + x, fromRun[runs[k] & 0xFF], end - x);
            x = end;
        }
        return;
    }
    // A run is its first and last byte under a mask and whole bytes between. Bits [a, b)
    // of a byte, bit 0 being its highest:
    auto mask = [](unsigned a, unsigned b) { return static_cast<uint8_t>((0xFFu >> a) & ~(0xFFu >> b)); };
    std::memset(out, 0, static_cast<size_t>((int64_t{w} * depth + 7) / 8));
    uint64_t from = 0;   // the run's first bit
    for (int k = 0; k < n; ++k) {
        const uint64_t to = uint64_t{runs[k] >> 8} * static_cast<unsigned>(depth);
        const unsigned i = fromRun[runs[k] & 0xFF];
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

void TPaletteMap::PackRuns(const TRunRows::TRun* runs, int n, int depth, uint8_t* out, int w) const
{
    image_write_detail::PackRuns(runs, n, fromRun_, depth, out, w);
}

// ---------------------------------------------------------------- indexed rows

bool TIndexedRows::Open(TRowSource& src, int maxColors, bool needPalette, const TRunRows::TProgress& progress)
{
    src_ = &src;
    taken_ = runs_.Take(src, kRunBudget, progress);
    if (!taken_ && !src.Error().empty())
        return false;
    if (taken_ || runs_.ManyColours()) {
        exact_ = taken_ && static_cast<int>(runs_.Colours().size()) <= maxColors;
        if (needPalette || exact_)
            map_ = std::make_unique<TPaletteMap>(runs_, maxColors);
        return true;
    }
    // More runs than are kept: the colours from one walk, the rows from another.
    map_ = std::make_unique<TPaletteMap>(src, maxColors);
    exact_ = map_->Exact();
    return exact_ || src.Error().empty();
}

bool TIndexedRows::Rows(bool bottomUp, int depth, const std::function<bool(int, uint8_t*)>& fn)
{
    const int w = src_->Width();
    const size_t packedBytes = static_cast<size_t>((int64_t{w} * depth + 7) / 8);
    std::vector<uint8_t> packed(packedBytes);
    if (taken_) {
        const int h = runs_.Height();
        for (int i = 0; i < h; ++i) {
            const int y = bottomUp ? h - 1 - i : i;
            int n = 0;
            const TRunRows::TRun* r = runs_.RowRuns(y, n);
            map_->PackRuns(r, n, depth, packed.data(), w);
            if (!fn(y, packed.data()))
                return false;
        }
        return true;
    }
    std::vector<uint8_t> idx(depth == 8 ? 0 : static_cast<size_t>(w));
    return src_->Rows(bottomUp, [&](int y, const uint32_t* row) {
        if (depth == 8) {
            map_->MapRow(row, packed.data(), w);
        } else {
            map_->MapRow(row, idx.data(), w);
            PackIndexes(idx.data(), w, depth, packed.data());
        }
        return fn(y, packed.data());
    });
}

} // namespace image_write_detail

QImage IndexedImageOf(TRowSource& src)
{
    try {
        if (src.Width() <= 0 || src.Height() <= 0)
            return {};
        TIndexedRows rows;
        if (!rows.Open(src, 256, true))
            return {};
        const TPaletteMap& map = rows.Map();
        QImage img(src.Width(), src.Height(), QImage::Format_Indexed8);
        if (img.isNull())
            return {};
        QList<QRgb> table;
        for (uint32_t c : map.Palette)
            table.push_back(0xFF000000u | c);
        img.setColorTable(table);
        const size_t w = static_cast<size_t>(src.Width());
        if (!rows.Rows(false, 8, [&](int y, uint8_t* idx) {
                std::memcpy(img.scanLine(y), idx, w);
                return true;
            }))
            return {};
        return img;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
