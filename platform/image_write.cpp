#include "platform/image_write.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <new>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include <gif_lib.h>
#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

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
        const uint32_t key = c | 0x01000000u;
        uint32_t slot = (c * 2654435761u) >> 22;
        while (keys_[slot] != 0) {
            if (keys_[slot] == key)
                return vals_[slot];
            slot = (slot + 1) & 1023u;
        }
        if (static_cast<int>(palette.size()) >= maxColors)
            return -1;
        keys_[slot] = key;
        vals_[slot] = static_cast<uint8_t>(palette.size());
        palette.push_back(c);
        return vals_[slot];
    }

private:
    uint32_t keys_[1024];
    uint8_t vals_[1024];
};

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

// ---------------------------------------------------------------- BMP

static bool EncodeBmpBody(const QImage& image, int bits, std::string& out, std::string& error)
{
    out.clear();
    if (SizeError(image, error))
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32) {
        error = "Unsupported bit depth";
        return false;
    }
    const QImage img = AsRgb32(image);
    const int64_t w = img.width();
    const int64_t h = img.height();
    const int storeBits = bits == 15 ? 16 : bits;
    const int64_t stride = (w * storeBits + 31) / 32 * 4;
    const int64_t pixelBytes = stride * h;

    TIndexedImage indexed;
    if (bits <= 8)
        indexed = ReducePalette(img, 1 << bits);
    const int64_t colours = bits <= 8 ? static_cast<int64_t>(indexed.Palette.size()) : 0;
    const int64_t masks = bits == 16 ? 12 : 0;
    const int64_t offBits = 14 + 40 + masks + colours * 4;
    const int64_t fileSize = offBits + pixelBytes;
    if (fileSize > 0xFFFFFFFFll) {
        error = "The picture is too large for a BMP file";
        return false;
    }
    out.reserve(static_cast<size_t>(fileSize));
    out += "BM";
    Put32(out, static_cast<uint32_t>(fileSize));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(offBits));
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(w));
    Put32(out, static_cast<uint32_t>(h));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(storeBits));
    Put32(out, bits == 16 ? 3 : 0);   // BI_BITFIELDS for 5-6-5, else BI_RGB
    Put32(out, static_cast<uint32_t>(pixelBytes));
    Put32(out, 3780);   // 96 dpi in pixels per metre
    Put32(out, 3780);
    Put32(out, static_cast<uint32_t>(colours));
    Put32(out, 0);
    if (bits == 16) {
        Put32(out, 0xF800);
        Put32(out, 0x07E0);
        Put32(out, 0x001F);
    }
    for (int64_t i = 0; i < colours; ++i)
        Put32(out, indexed.Palette[static_cast<size_t>(i)]);   // B, G, R, 0

    const size_t rowStart = out.size();
    out.resize(static_cast<size_t>(fileSize), '\0');
    for (int64_t y = 0; y < h; ++y) {
        auto* dst = reinterpret_cast<uint8_t*>(out.data() + rowStart + static_cast<size_t>((h - 1 - y) * stride));
        const uint32_t* src = Row(img, static_cast<int>(y));
        const uint8_t* idx = bits <= 8 ? indexed.Pixels.data() + static_cast<size_t>(y * w) : nullptr;
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
            std::memcpy(dst, idx, static_cast<size_t>(w));
            break;
        case 15:
        case 16:
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t c = src[x];
                const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                const uint32_t v = bits == 15 ? ((r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
                                              : ((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
                dst[2 * x] = static_cast<uint8_t>(v & 0xFF);
                dst[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            }
            break;
        case 24:
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t c = src[x];
                dst[3 * x] = static_cast<uint8_t>(c & 0xFF);
                dst[3 * x + 1] = static_cast<uint8_t>((c >> 8) & 0xFF);
                dst[3 * x + 2] = static_cast<uint8_t>((c >> 16) & 0xFF);
            }
            break;
        case 32:
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t c = src[x] & 0xFFFFFFu;
                std::memcpy(dst + 4 * x, &c, 4);   // B, G, R, 0 on a little-endian machine
            }
            break;
        }
    }
    return true;
}

// ---------------------------------------------------------------- JPEG

namespace {

struct TJpegError {
    jpeg_error_mgr Mgr;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr c)
{
    auto* e = reinterpret_cast<TJpegError*>(c->err);
    (*c->err->format_message)(c, e->Message);
    std::longjmp(e->Jump, 1);
}

extern "C" void JpegNoOutput(j_common_ptr) {}

// The encoded bytes in one malloc block that we own, whatever happens inside libjpeg (its
// own memory destination may free a block it has not yet handed back when it fails).
struct TJpegSink {
    jpeg_destination_mgr Mgr;
    unsigned char* Data = nullptr;
    size_t Capacity = 0;
};

extern "C" void JpegSinkInit(j_compress_ptr c)
{
    auto* s = reinterpret_cast<TJpegSink*>(c->dest);
    s->Mgr.next_output_byte = s->Data;
    s->Mgr.free_in_buffer = s->Capacity;
}

extern "C" boolean JpegSinkGrow(j_compress_ptr c)
{
    auto* s = reinterpret_cast<TJpegSink*>(c->dest);
    const size_t bigger = s->Capacity * 2;
    auto* p = static_cast<unsigned char*>(std::realloc(s->Data, bigger));
    if (!p)
        ERREXIT1(c, JERR_OUT_OF_MEMORY, 10);
    s->Mgr.next_output_byte = p + s->Capacity;
    s->Mgr.free_in_buffer = bigger - s->Capacity;
    s->Data = p;
    s->Capacity = bigger;
    return TRUE;
}

extern "C" void JpegSinkTerm(j_compress_ptr) {}

// Only plain C objects live in this frame: a libjpeg error jumps back to the setjmp
// without skipping any destructor. The sink's block is the caller's to free.
bool JpegEncodeRows(const uint8_t* bits, int64_t bytesPerLine, int width, int height,
                    int quality, TJpegSink* sink, char* message)
{
    jpeg_compress_struct cinfo;
    TJpegError jerr;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&jerr.Mgr);
    jerr.Mgr.error_exit = JpegErrorExit;
    jerr.Mgr.output_message = JpegNoOutput;
    jerr.Message[0] = '\0';
    if (setjmp(jerr.Jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", jerr.Message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    sink->Mgr.init_destination = JpegSinkInit;
    sink->Mgr.empty_output_buffer = JpegSinkGrow;
    sink->Mgr.term_destination = JpegSinkTerm;
    cinfo.dest = &sink->Mgr;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bits + static_cast<int64_t>(cinfo.next_scanline) * bytesPerLine);
        if (jpeg_write_scanlines(&cinfo, &row, 1) != 1) {
            std::snprintf(message, JMSG_LENGTH_MAX, "The encoder took no line");
            jpeg_destroy_compress(&cinfo);
            return false;
        }
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

bool EncodeJpeg(const QImage& image, int quality, std::string& out, std::string& error)
{
    out.clear();
    if (SizeError(image, error))
        return false;
    if (image.width() > kJpegMaxSide || image.height() > kJpegMaxSide) {
        error = "The picture is too large for a JPEG file (at most 65500 pixels a side)";
        return false;
    }
    return Guarded(error, [&] {
        const QImage img = AsRgb32(image);
        TJpegSink sink;
        sink.Capacity = 64 * 1024;
        sink.Data = static_cast<unsigned char*>(std::malloc(sink.Capacity));
        if (!sink.Data)
            throw std::bad_alloc();
        char message[JMSG_LENGTH_MAX] = {};
        const bool ok = JpegEncodeRows(img.constBits(), img.bytesPerLine(), img.width(), img.height(),
                                       std::clamp(quality, 1, 100), &sink, message);
        const size_t size = sink.Capacity - sink.Mgr.free_in_buffer;
        try {
            if (ok)
                out.assign(reinterpret_cast<const char*>(sink.Data), size);
        } catch (...) {
            std::free(sink.Data);
            throw;
        }
        std::free(sink.Data);
        if (!ok) {
            error = std::string("JPEG encoder: ") + message;
            return false;
        }
        return true;
    });
}

// ---------------------------------------------------------------- PNG

namespace {

struct TPngSink {
    std::string* Out = nullptr;
    bool Failed = false;
    char Message[200] = {};
};

extern "C" void PngWriteData(png_structp png, png_bytep data, size_t n)
{
    auto* sink = static_cast<TPngSink*>(png_get_io_ptr(png));
    try {
        sink->Out->append(reinterpret_cast<const char*>(data), n);
    } catch (...) {
        sink->Failed = true;
    }
    if (sink->Failed)
        png_error(png, "Out of memory");
}

extern "C" void PngFlush(png_structp) {}

extern "C" void PngError(png_structp png, png_const_charp msg)
{
    auto* sink = static_cast<TPngSink*>(png_get_error_ptr(png));
    std::snprintf(sink->Message, sizeof sink->Message, "%s", msg);
    png_longjmp(png, 1);
}

extern "C" void PngWarning(png_structp, png_const_charp) {}

// As for JPEG: only plain C objects between the setjmp and libpng.
bool PngEncodeRows(TPngSink* sink, const uint8_t* bits, int64_t bytesPerLine, int width, int height,
                   const uint32_t* palette, int colours)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, PngError, PngWarning);
    if (!png) {
        std::snprintf(sink->Message, sizeof sink->Message, "Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(sink->Message, sizeof sink->Message, "Out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, PngWriteData, PngFlush);
    // Speed first: fast deflate and one cheap filter.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    if (palette) {
        const int depth = colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
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
        if (depth < 8)
            png_set_packing(png);
    } else {
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                     PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        png_set_filler(png, 0, PNG_FILLER_AFTER);   // rows are B, G, R, X
        png_set_bgr(png);
    }
    for (int y = 0; y < height; ++y)
        png_write_row(png, bits + static_cast<int64_t>(y) * bytesPerLine);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

static bool EncodePngBody(const QImage& image, std::string& out, std::string& error)
{
    out.clear();
    if (SizeError(image, error))
        return false;
    const QImage img = AsRgb32(image);
    TPngSink sink;
    sink.Out = &out;
    TIndexedImage indexed;
    bool ok;
    if (ExactPalette(img, 256, indexed))
        ok = PngEncodeRows(&sink, indexed.Pixels.data(), img.width(), img.width(), img.height(),
                           indexed.Palette.data(), static_cast<int>(indexed.Palette.size()));
    else
        ok = PngEncodeRows(&sink, img.constBits(), img.bytesPerLine(), img.width(), img.height(), nullptr, 0);
    if (!ok) {
        out.clear();
        error = std::string("PNG encoder: ") + sink.Message;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- GIF

namespace {

extern "C" int GifWriteData(GifFileType* gif, const GifByteType* data, int n)
{
    auto* out = static_cast<std::string*>(gif->UserData);
    try {
        out->append(reinterpret_cast<const char*>(data), static_cast<size_t>(n));
    } catch (...) {
        return 0;
    }
    return n;
}

} // namespace

static bool EncodeGifBody(const QImage& image, std::string& out, std::string& error)
{
    out.clear();
    if (SizeError(image, error))
        return false;
    if (image.width() > kGifMaxSide || image.height() > kGifMaxSide) {
        error = "The picture is too large for a GIF file (at most 65535 pixels a side)";
        return false;
    }
    TIndexedImage indexed = ReducePalette(image, 256);
    int bitsPerPixel = 1;
    while ((1 << bitsPerPixel) < static_cast<int>(indexed.Palette.size()))
        ++bitsPerPixel;
    std::vector<GifColorType> colours(static_cast<size_t>(1) << bitsPerPixel, GifColorType{0, 0, 0});
    for (size_t i = 0; i < indexed.Palette.size(); ++i)
        colours[i] = GifColorType{static_cast<GifByteType>((indexed.Palette[i] >> 16) & 0xFF),
                                  static_cast<GifByteType>((indexed.Palette[i] >> 8) & 0xFF),
                                  static_cast<GifByteType>(indexed.Palette[i] & 0xFF)};
    int code = 0;
    GifFileType* gif = EGifOpen(&out, GifWriteData, &code);
    if (!gif) {
        error = std::string("GIF encoder: ") + GifErrorString(code);
        return false;
    }
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = map != nullptr;
    if (ok)
        ok = EGifPutScreenDesc(gif, indexed.Width, indexed.Height, bitsPerPixel, 0, map) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, indexed.Width, indexed.Height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.Height; ++y)
        ok = EGifPutLine(gif, indexed.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(indexed.Width),
                         indexed.Width) == GIF_OK;
    if (!ok)
        code = gif->Error;
    int closeCode = 0;
    if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
        ok = false;
        code = closeCode;
    }
    GifFreeMapObject(map);
    if (!ok) {
        out.clear();
        const char* why = map ? GifErrorString(code) : "Out of memory";
        error = std::string("GIF encoder: ") + (why ? why : "failed");
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

bool EncodeBmp(const QImage& image, int bits, std::string& out, std::string& error)
{
    const bool ok = Guarded(error, [&] { return EncodeBmpBody(image, bits, out, error); });
    if (!ok)
        out.clear();
    return ok;
}

bool EncodePng(const QImage& image, std::string& out, std::string& error)
{
    const bool ok = Guarded(error, [&] { return EncodePngBody(image, out, error); });
    if (!ok)
        out.clear();
    return ok;
}

bool EncodeGif(const QImage& image, std::string& out, std::string& error)
{
    const bool ok = Guarded(error, [&] { return EncodeGifBody(image, out, error); });
    if (!ok)
        out.clear();
    return ok;
}
