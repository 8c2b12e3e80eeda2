#pragma once
// Image file writers: BMP at 1, 4, 8, 15, 16, 24 and 32 bits per pixel (our own), JPEG
// through libjpeg, GIF through giflib and PNG through libpng. Every encoder works in
// memory and reports failure with a short reason; nothing here ends the program. One
// palette reduction serves every indexed output (BMP 1/4/8, GIF, the clipboard bitmap).
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A picture reduced to at most 256 colours; pixels are palette indexes, top row first.
struct TIndexedImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Palette;   // 0xRRGGBB
    std::vector<uint8_t> Pixels;     // Width * Height
};

// The exact palette when the picture has at most maxColors colours (in order of first
// appearance, top row first); false when it has more.
bool ExactPalette(const QImage& image, int maxColors, TIndexedImage& out);
// Reduces to at most maxColors (2, 16 or 256) colours: exact when the picture has that
// few, else each pixel takes the nearest colour of a fixed palette (black and white; the
// sixteen standard colours; a 6x6x6 colour cube plus 40 greys).
TIndexedImage ReducePalette(const QImage& image, int maxColors = 256);

// A picture handed out a row at a time, so a writer needs no whole bitmap: a QImage, or a
// picture composed band by band. Rows are 0xFFRRGGBB pixels, Width() of them.
class TRowSource {
public:
    virtual ~TRowSource() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Calls fn(y, row) for every row, the top row first or, with bottomUp, the bottom row
    // first; a row is valid during its call only. Stops when fn returns false. False when
    // fn stopped it or the source failed (Error() then says why).
    virtual bool Rows(bool bottomUp, const std::function<bool(int y, const uint32_t* row)>& fn) = 0;
    virtual std::string Error() const { return {}; }
};

// The rows of an image: an 8-bit indexed one is expanded a row at a time, other formats
// are converted to RGB32 first.
class TImageRows final : public TRowSource {
public:
    explicit TImageRows(const QImage& image);
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool Rows(bool bottomUp, const std::function<bool(int, const uint32_t*)>& fn) override;

private:
    QImage image_;
    std::vector<uint32_t> table_;   // the colour table of an indexed image
};

// Where encoded bytes go. Put returns false to stop the encoder; Error() says why.
class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual bool Put(const char* data, size_t n) = 0;
    virtual std::string Error() const { return {}; }
};

class TStringSink final : public TByteSink {
public:
    explicit TStringSink(std::string& out) : out_(out) {}
    bool Put(const char* data, size_t n) override;
    std::string Error() const override { return failed_ ? "Not enough memory for the picture" : ""; }

private:
    std::string& out_;
    bool failed_ = false;
};

// The exact colours of a picture, in order of first appearance from the top row, when it
// has at most maxColors of them; false when it has more (or the source failed).
bool CensusPalette(TRowSource& src, int maxColors, std::vector<uint32_t>& palette);

// The picture as an 8-bit indexed image: its exact colours when it has at most 256, else
// the fixed palette of ReducePalette. Null when the source fails or memory runs out.
QImage IndexedImageOf(TRowSource& src);

// Largest side each format can hold.
inline constexpr int64_t kJpegMaxSide = 65500;
inline constexpr int64_t kGifMaxSide = 65535;

// BMP file (rows bottom-up, 96 dpi). bits: 1, 4, 8 (palette), 15 (5-5-5), 16 (5-6-5
// with bit fields), 24 or 32.
bool EncodeBmp(const QImage& image, int bits, std::string& out, std::string& error);
// Baseline colour JPEG with the accurate transform; quality 1..100.
bool EncodeJpeg(const QImage& image, int quality, std::string& out, std::string& error);
// GIF of the reduced palette.
bool EncodeGif(const QImage& image, std::string& out, std::string& error);
// PNG: a palette when the picture has at most 256 colours, else 8-bit RGB; no alpha.
bool EncodePng(const QImage& image, std::string& out, std::string& error);

// The same encoders over a row source, into a sink. Indexed outputs must know the colours
// before the first row: they keep the rows as runs of one colour from a single walk of the
// source, and walk it again only for a picture of too many runs or colours.
bool WriteBmp(TRowSource& src, int bits, TByteSink& sink, std::string& error);
bool WriteJpeg(TRowSource& src, int quality, TByteSink& sink, std::string& error);
bool WriteGif(TRowSource& src, TByteSink& sink, std::string& error);
bool WritePng(TRowSource& src, TByteSink& sink, std::string& error);

enum class TImageFormat { None, Bmp, Jpeg, Gif, Png };
// The format an export name asks for by its upper-cased extension: ".BMP", ".JPG", ".GIF"
// or ".PNG"; None for anything else.
TImageFormat ImageFormatOfName(const QString& path);

// Encodes src in format (BMP at bits, JPEG at quality) straight into the file at path,
// which is replaced only once it is complete. error gets the reason of a failure: the
// encoder's, or the system's for the file ("No space left on device").
bool SaveImageFile(TRowSource& src, TImageFormat format, int bits, int quality, const std::string& path,
                   std::string& error);

// Writes bytes as the whole new content of path: an old file stays untouched when the
// write fails. error gets the reason.
bool WriteWholeFile(const QString& path, const std::string& bytes, QString& error);
