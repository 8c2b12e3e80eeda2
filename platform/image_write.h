#pragma once
// Image file writers: BMP at 1, 4, 8, 15, 16, 24 and 32 bits per pixel (our own), JPEG
// through libjpeg, GIF through giflib and PNG through libpng. Every encoder works in
// memory and reports failure with a short reason; nothing here ends the program. One
// palette reduction serves every indexed output (BMP 1/4/8, GIF, the clipboard bitmap).
#include <QImage>
#include <QString>

#include <cstdint>
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

enum class TImageFormat { None, Bmp, Jpeg, Gif, Png };
// The format an export name asks for by its upper-cased extension: ".BMP", ".JPG", ".GIF"
// or ".PNG"; None for anything else.
TImageFormat ImageFormatOfName(const QString& path);

// Writes bytes as the whole new content of path: an old file stays untouched when the
// write fails. error gets the reason.
bool WriteWholeFile(const QString& path, const std::string& bytes, QString& error);
