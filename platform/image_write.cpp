#include "platform/image_write.h"
#include "platform/image_write_detail.h"

#include "platform/sys/files.h"
#include "platform/sys/memory.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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

using namespace image_write_detail;

namespace {

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

// ---------------------------------------------------------------- BMP

namespace {
// One BMP row of 15 (5-5-5), 16 (5-6-5), 24 or 32 bits a pixel from 0xFFRRGGBB pixels, a
// loop of its own for each depth. dst has four bytes of slack past rowBytes.
template <int Bits>
void TrueColourRow(const uint32_t* row, uint8_t* dst, int64_t w, size_t rowBytes)
{
    int64_t x = 0;
#if defined(__SSE2__)
    if constexpr (Bits == 15 || Bits == 16) {
        // Eight pixels a step; each value is sign-extended from 16 bits, so the signed
        // pack keeps its low 16 bits exactly.
        const __m128i five = _mm_set1_epi32(0x1F);
        const __m128i green = _mm_set1_epi32(Bits == 15 ? 0x1F : 0x3F);
        auto pack4 = [&](__m128i c) {
            const __m128i r = _mm_and_si128(_mm_srli_epi32(c, 19), five);
            const __m128i g = _mm_and_si128(_mm_srli_epi32(c, Bits == 15 ? 11 : 10), green);
            const __m128i b = _mm_and_si128(_mm_srli_epi32(c, 3), five);
            const __m128i v = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(r, Bits == 15 ? 10 : 11), _mm_slli_epi32(g, 5)), b);
            return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16);
        };
        for (; x + 8 <= w; x += 8) {
            const __m128i lo = pack4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
            const __m128i hi = pack4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 4)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * x), _mm_packs_epi32(lo, hi));
        }
    }
#endif
    for (; x < w; ++x) {
        const uint32_t c = row[x];
        if constexpr (Bits == 15 || Bits == 16) {
            const auto v = static_cast<uint16_t>(Bits == 15 ? ((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F)
                                                            : ((c >> 19) & 0x1F) << 11 | ((c >> 10) & 0x3F) << 5 | ((c >> 3) & 0x1F));
            std::memcpy(dst + 2 * x, &v, 2);   // low byte first on a little-endian machine
        } else if constexpr (Bits == 24) {
            // B, G, R and one byte that the next pixel overwrites; the last lands in the
            // row's padding or the slack.
            std::memcpy(dst + 3 * x, &c, 4);
        } else {
            const uint32_t v = c & 0xFFFFFFu;
            std::memcpy(dst + 4 * x, &v, 4);   // B, G, R, 0
        }
    }
    const size_t used = static_cast<size_t>(w) * (Bits == 15 ? 2 : Bits / 8);
    std::memset(dst + used, 0, rowBytes - used);   // the padding, cleared again
}
} // namespace

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

    // Indexed rows: the colours must be known before the first row.
    TIndexedRows indexed;
    if (bits <= 8 && !indexed.Open(src, 1 << bits, true)) {
        error = src.Error();
        return false;
    }
    const TPaletteMap* map = bits <= 8 ? &indexed.Map() : nullptr;
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

    // Rows bottom-up, as the file stores them; four bytes of slack past the row.
    std::vector<uint8_t> out(static_cast<size_t>(stride) + 4);
    const size_t rowBytes = static_cast<size_t>(stride);
    if (map) {
        const bool ok = indexed.Rows(true, bits, [&](int, uint8_t* row) {
            std::memcpy(out.data(), row, static_cast<size_t>((w * bits + 7) / 8));
            return sink.Put(reinterpret_cast<const char*>(out.data()), rowBytes);
        });
        if (!ok)
            error = StopReason(src, sink, "The picture could not be written");
        return ok;
    }
    const bool ok = src.Rows(true, [&](int, const uint32_t* row) {
        uint8_t* dst = out.data();
        switch (bits) {
        case 15:
            TrueColourRow<15>(row, dst, w, rowBytes);
            break;
        case 16:
            TrueColourRow<16>(row, dst, w, rowBytes);
            break;
        case 24:
            TrueColourRow<24>(row, dst, w, rowBytes);
            break;
        case 32:
            TrueColourRow<32>(row, dst, w, rowBytes);
            break;
        }
        return sink.Put(reinterpret_cast<const char*>(dst), rowBytes);
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

// Bits a pixel for a palette of this many colours.
int PngDepth(int colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// As for JPEG: each libpng call in a frame of plain C objects. Palette rows come packed at
// the file's depth.
bool PngStart(png_structp png, png_infop info, TPngSink* sink, int width, int height, const uint32_t* palette,
              int colours)
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

// A libpng writer into a sink, with its info, given back with the object.
class TPngWriter {
public:
    explicit TPngWriter(TByteSink& out)
    {
        sink_.Sink = &out;
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink_, PngError, PngWarning);
        info_ = png_ ? png_create_info_struct(png_) : nullptr;
    }
    ~TPngWriter() { png_destroy_write_struct(&png_, info_ ? &info_ : nullptr); }
    TPngWriter(const TPngWriter&) = delete;
    TPngWriter& operator=(const TPngWriter&) = delete;
    bool Made() const { return png_ && info_; }
    png_structp Png() const { return png_; }
    png_infop Info() const { return info_; }
    TPngSink& Sink() { return sink_; }

private:
    TPngSink sink_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// The rows of a picture whose runs are being taken, encoded on a second thread as they
// come, so compressing overlaps composing. The palette goes before the rows in the file but
// does not change their bytes, only its size (the depth) does: the colours found so far give
// the depth, and a colour past it starts the rows again at the next one. The rows' chunks
// are kept in memory (a drawing compresses to little) and put after the final head.
class TPngAhead {
public:
    TPngAhead(const TRunRows& runs, int width, int height) : runs_(runs), width_(width), height_(height)
    {
        for (int i = 0; i < 256; ++i)
            identity_[i] = static_cast<uint8_t>(i);
        worker_ = std::thread([this] { Work(); });
    }
    ~TPngAhead() { Stop(true); }
    TPngAhead(const TPngAhead&) = delete;
    TPngAhead& operator=(const TPngAhead&) = delete;

    // From the thread taking the runs; rows < 0 when it gives up, before it lets them go.
    void Progress(int rows, int colours)
    {
        if (rows < 0) {
            Stop(true);
            return;
        }
        colours_.store(colours, std::memory_order_relaxed);
        rows_.store(rows, std::memory_order_release);
        if (rows % 32 == 0 || rows == height_) {
            std::lock_guard<std::mutex> hold(lock_);
            wake_.notify_one();
        }
    }
    // Once every row is taken: the file's chunks from the first row chunk to the end, for
    // a picture of this many colours. False with the reason when the encoder failed.
    bool Finish(int colours, std::string& tail, std::string& error)
    {
        Stop(false);
        if (!failed_.empty()) {
            error = failed_;
            return false;
        }
        if (depth_ != PngDepth(colours) || done_ != height_) {
            error = "PNG encoder: the rows were not all written";
            return false;
        }
        // Our own bytes: the signature, then chunks of length, type, data and CRC.
        size_t at = 8;
        while (at + 8 <= bytes_.size() && std::memcmp(bytes_.data() + at + 4, "IDAT", 4) != 0) {
            const uint32_t n = static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at])) << 24 |
                               static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at + 1])) << 16 |
                               static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at + 2])) << 8 |
                               static_cast<uint8_t>(bytes_[at + 3]);
            at += 12 + size_t{n};
        }
        if (at + 8 > bytes_.size()) {
            error = "PNG encoder: no image data";
            return false;
        }
        tail.assign(bytes_, at, std::string::npos);
        return true;
    }

private:
    // Waits for the encoder; with abandon, at once, its work dropped.
    void Stop(bool abandon)
    {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
            if (abandon)
                abandon_.store(true, std::memory_order_relaxed);
            wake_.notify_one();
        }
        if (worker_.joinable())
            worker_.join();
    }
    // Whether row y is taken, waiting for it; false when told to stop first.
    bool WaitFor(int y)
    {
        if (abandon_.load(std::memory_order_relaxed))
            return false;
        if (rows_.load(std::memory_order_acquire) > y)
            return true;
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, [&] { return stop_ || rows_.load(std::memory_order_acquire) > y; });
        return !abandon_.load(std::memory_order_relaxed) && rows_.load(std::memory_order_acquire) > y;
    }
    void Work()
    {
        try {
            depth_ = 1;
            while (!Encode()) {
                if (!failed_.empty() || done_ < 0)
                    return;
            }
        } catch (const std::bad_alloc&) {
            failed_ = "Not enough memory for the picture";
        }
    }
    // One pass at depth_: true when every row went out at it; false to start again at the
    // new depth_, or with done_ < 0 when told to stop, or failed_ set.
    bool Encode()
    {
        bytes_.clear();
        done_ = 0;
        TStringSink out(bytes_);
        TPngWriter writer(out);
        if (!writer.Made()) {
            failed_ = "PNG encoder: Out of memory";
            return false;
        }
        png_structp png = writer.Png();
        TPngSink& sink = writer.Sink();
        const uint32_t noColours[256] = {};
        bool ok = PngStart(png, writer.Info(), &sink, width_, height_, noColours, 1 << depth_);
        std::vector<uint8_t> packed(static_cast<size_t>((int64_t{width_} * depth_ + 7) / 8));
        bool again = false;
        for (int y = 0; ok && y < height_; ++y) {
            if (!WaitFor(y)) {
                done_ = -1;
                break;
            }
            const int colours = colours_.load(std::memory_order_relaxed);
            if (PngDepth(colours) > depth_) {
                depth_ = PngDepth(colours);
                again = true;
                break;
            }
            int n = 0;
            const TRunRows::TRun* r = runs_.RowRuns(y, n);
            PackRuns(r, n, identity_, depth_, packed.data(), width_);
            ok = PngRow(png, packed.data());
            done_ = y + 1;
        }
        if (ok && !again && done_ == height_)
            ok = PngFinish(png, writer.Info());
        if (!ok)
            failed_ = sink.Failed ? out.Error() : std::string("PNG encoder: ") + sink.Message;
        return ok && !again && done_ == height_;
    }

    const TRunRows& runs_;
    const int width_;
    const int height_;
    uint8_t identity_[256];
    std::atomic<int> rows_{0};
    std::atomic<int> colours_{0};
    std::atomic<bool> abandon_{false};
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    // The worker's own until it is joined:
    int depth_ = 1;
    int done_ = 0;
    std::string bytes_;
    std::string failed_;
    std::thread worker_;
};

} // namespace

bool WritePng(TRowSource& src, TByteSink& out, std::string& error)
{
    if (SizeError(src, error))
        return false;
    // A palette goes before the first row; the rows are encoded while the picture is walked.
    TIndexedRows indexedRows;
    auto ahead = std::make_unique<TPngAhead>(indexedRows.Runs(), src.Width(), src.Height());
    if (!indexedRows.Open(src, 256, false, [&](int rows, int colours) { ahead->Progress(rows, colours); })) {
        error = src.Error();
        return false;
    }
    const bool indexed = indexedRows.Exact();
    std::string tail;
    if (indexedRows.RunsTaken()) {
        if (!ahead->Finish(static_cast<int>(indexedRows.Map().Palette.size()), tail, error))
            return false;
    }
    ahead.reset();
    const std::vector<uint32_t> noPalette;
    const std::vector<uint32_t>& palette = indexed ? indexedRows.Map().Palette : noPalette;
    TPngWriter writer(out);
    if (!writer.Made()) {
        error = "PNG encoder: Out of memory";
        return false;
    }
    png_structp png = writer.Png();
    png_infop info = writer.Info();
    TPngSink& sink = writer.Sink();
    bool ok = PngStart(png, info, &sink, src.Width(), src.Height(), indexed ? palette.data() : nullptr,
                       static_cast<int>(palette.size()));
    bool rowsFailed = false;
    if (ok && !tail.empty()) {
        // The head is out; the rows were encoded ahead.
        if (out.Put(tail.data(), tail.size()))
            return true;
        error = StopReason(src, out, "The picture could not be written");
        return false;
    }
    if (ok) {
        auto put = [&](const uint8_t* row) {
            if (PngRow(png, row))
                return true;
            rowsFailed = true;
            return false;
        };
        if (indexed)
            ok = indexedRows.Rows(false, PngDepth(static_cast<int>(palette.size())),
                                  [&](int, uint8_t* row) { return put(row); });
        else
            ok = src.Rows(false, [&](int, const uint32_t* row) { return put(reinterpret_cast<const uint8_t*>(row)); });
        if (ok)
            ok = PngFinish(png, info);
    }
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
    TIndexedRows indexed;
    if (!indexed.Open(src, 256, true)) {
        error = src.Error();
        return false;
    }
    const TPaletteMap& map = indexed.Map();
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
        ok = indexed.Rows(false, 8, [&](int, uint8_t* idx) {
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
