// The image encoders: every format decoded again and compared pixel by pixel where the
// format is lossless, the BMP headers and packed pixel words read byte by byte.
#include "platform/image_write.h"
#include "platform/image_write_detail.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstring>
#include <unistd.h>

namespace {

uint32_t U32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}
uint16_t U16(const std::string& s, size_t at)
{
    uint16_t v = 0;
    std::memcpy(&v, s.data() + at, 2);
    return v;
}

QImage Decode(const std::string& bytes, const char* format = nullptr)
{
    return QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), format)
        .convertToFormat(QImage::Format_RGB32);
}

// 7 x 3 (odd width, so every depth pads its rows), five colours, each row different so a
// top-down file would be caught. The channel values are not multiples of 8 or 4.
QImage FewColours()
{
    const QRgb c[5] = {0xFFFFFFFF, 0xFF000080, 0xFF0B07FF, 0xFFCD3F11, 0xFF000000};
    QImage img(7, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            img.setPixel(x, y, c[(x + 2 * y) % 5]);
    return img;
}

// More than 256 colours.
QImage Gradient(int w = 40, int h = 30)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));
    return img;
}

void ExpectSamePixels(const QImage& want, const QImage& got)
{
    ASSERT_EQ(got.size(), want.size());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            ASSERT_EQ(got.pixel(x, y) & 0xFFFFFF, want.pixel(x, y) & 0xFFFFFF) << x << "," << y;
}

} // namespace

TEST(ImagePalette, ExactUpTo256ColoursElseCubeAndGreys)
{
    const QImage img = FewColours();
    TIndexedImage ind;
    ASSERT_TRUE(ExactPalette(img, 256, ind));
    ASSERT_EQ(ind.Palette.size(), 5u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(ind.Palette[ind.Pixels[static_cast<size_t>(y * 7 + x)]], img.pixel(x, y) & 0xFFFFFF);
    EXPECT_FALSE(ExactPalette(img, 4, ind));

    // Too many colours: the fixed palette, each pixel near its colour.
    const QImage grad = Gradient();
    const TIndexedImage cube = ReducePalette(grad, 256);
    EXPECT_EQ(cube.Palette.size(), 256u);
    for (int y = 0; y < grad.height(); ++y)
        for (int x = 0; x < grad.width(); ++x) {
            const uint32_t p = cube.Palette[cube.Pixels[static_cast<size_t>(y * grad.width() + x)]];
            const QRgb q = grad.pixel(x, y);
            EXPECT_LE(std::abs(int((p >> 16) & 0xFF) - qRed(q)), 26);
            EXPECT_LE(std::abs(int((p >> 8) & 0xFF) - qGreen(q)), 26);
            EXPECT_LE(std::abs(int(p & 0xFF) - qBlue(q)), 26);
        }
    // Greys keep a fine scale of their own.
    QImage greys(256, 1, QImage::Format_RGB32);
    for (int x = 0; x < 256; ++x)
        greys.setPixel(x, 0, qRgb(x, x, x));
    greys.setPixel(0, 0, qRgb(1, 2, 3));   // one more colour than 256 greys
    const TIndexedImage g = ReducePalette(greys, 256);
    for (int x = 1; x < 256; ++x) {
        const uint32_t p = g.Palette[g.Pixels[static_cast<size_t>(x)]];
        EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
        EXPECT_LE(std::abs(int(p & 0xFF) - x), 3) << x;
    }

    // Two and sixteen colours fall back to black and white and the standard sixteen.
    const TIndexedImage bw = ReducePalette(grad, 2);
    EXPECT_EQ(bw.Palette, (std::vector<uint32_t>{0x000000, 0xFFFFFF}));
    EXPECT_EQ(bw.Palette[bw.Pixels[0]], 0x000000u);                         // (0, 0, 0)
    EXPECT_EQ(bw.Palette[bw.Pixels[bw.Pixels.size() - 1]], 0xFFFFFFu);      // (234, 232, 255)
    EXPECT_EQ(ReducePalette(grad, 16).Palette.size(), 16u);
}

TEST(ImageBmp, HeadersRowsAndDepthsReadBack)
{
    const QImage img = FewColours();
    struct Case {
        int bits;
        uint16_t fileBits;
        uint32_t compression;
        uint32_t stride;
        uint32_t colours;
    };
    const Case cases[] = {
        {1, 1, 0, 4, 2},     {4, 4, 0, 4, 16},   {8, 8, 0, 8, 5},   {15, 16, 0, 16, 0},
        {16, 16, 3, 16, 0},  {24, 24, 0, 24, 0}, {32, 32, 0, 28, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        std::string out, error;
        ASSERT_TRUE(EncodeBmp(c.bits <= 4 ? img.copy(0, 0, 7, 3) : img, c.bits, out, error)) << error;
        EXPECT_EQ(out.substr(0, 2), "BM");
        EXPECT_EQ(U32(out, 2), out.size());
        EXPECT_EQ(U32(out, 14), 40u);
        EXPECT_EQ(U32(out, 18), 7u);
        EXPECT_EQ(static_cast<int32_t>(U32(out, 22)), 3);   // positive: rows bottom-up
        EXPECT_EQ(U16(out, 28), c.fileBits);
        EXPECT_EQ(U32(out, 30), c.compression);
        EXPECT_EQ(U32(out, 34), c.stride * 3);
        const uint32_t masks = c.compression == 3 ? 12 : 0;
        if (c.bits <= 8)
            EXPECT_LE(U32(out, 46), c.colours);
        EXPECT_EQ(U32(out, 10), 54 + masks + U32(out, 46) * 4);
        EXPECT_EQ(out.size(), U32(out, 10) + c.stride * 3);
        if (c.compression == 3) {
            EXPECT_EQ(U32(out, 54), 0xF800u);
            EXPECT_EQ(U32(out, 58), 0x07E0u);
            EXPECT_EQ(U32(out, 62), 0x001Fu);
        }
    }

    // Lossless depths read back pixel for pixel (8 bits: five colours fit its palette).
    for (int bits : {8, 24, 32}) {
        SCOPED_TRACE(bits);
        std::string out, error;
        ASSERT_TRUE(EncodeBmp(img, bits, out, error));
        ExpectSamePixels(img, Decode(out, "BMP"));
    }
    // Two colours keep their own palette at 1 bit, sixteen at 4.
    QImage two(9, 2, QImage::Format_RGB32);
    two.fill(qRgb(0x12, 0x34, 0x56));
    two.setPixel(8, 1, qRgb(0xFE, 0xDC, 0xBA));
    two.setPixel(0, 0, qRgb(0xFE, 0xDC, 0xBA));
    for (int bits : {1, 4}) {
        std::string out, error;
        ASSERT_TRUE(EncodeBmp(two, bits, out, error));
        ExpectSamePixels(two, Decode(out, "BMP"));
    }
}

TEST(ImageBmp, SixteenBitWordsTruncateEachChannel)
{
    struct Case {
        QRgb colour;
        uint16_t word555;
        uint16_t word565;
    };
    const Case cases[] = {
        {qRgb(0xFF, 0xFF, 0xFF), 0x7FFF, 0xFFFF},
        {qRgb(0x07, 0x03, 0x07), 0x0000, 0x0000},   // below one step of every channel
        {qRgb(0x08, 0x04, 0x08), 0x0401, 0x0821},   // one step, but green 4 is one only in 6 bits
        {qRgb(0x0B, 0x07, 0xFF), 0x041F, 0x083F},
        {qRgb(0xCD, 0x3F, 0x11), 0x64E2, 0xC9E2},
    };
    for (const Case& c : cases) {
        QImage one(1, 1, QImage::Format_RGB32);
        one.setPixel(0, 0, c.colour);
        std::string b15, b16, error;
        ASSERT_TRUE(EncodeBmp(one, 15, b15, error));
        ASSERT_TRUE(EncodeBmp(one, 16, b16, error));
        EXPECT_EQ(U16(b15, U32(b15, 10)), c.word555) << std::hex << c.colour;
        EXPECT_EQ(U16(b16, U32(b16, 10)), c.word565) << std::hex << c.colour;
    }
    // A row wide enough for the eight-pixel steps and a tail, the cases in turn.
    constexpr int kWide = 21;
    QImage row(kWide, 1, QImage::Format_RGB32);
    for (int x = 0; x < kWide; ++x)
        row.setPixel(x, 0, cases[x % std::size(cases)].colour);
    std::string r15, r16, rowError;
    ASSERT_TRUE(EncodeBmp(row, 15, r15, rowError));
    ASSERT_TRUE(EncodeBmp(row, 16, r16, rowError));
    for (int x = 0; x < kWide; ++x) {
        const Case& c = cases[x % std::size(cases)];
        EXPECT_EQ(U16(r15, U32(r15, 10) + 2 * x), c.word555) << "x " << x;
        EXPECT_EQ(U16(r16, U32(r16, 10) + 2 * x), c.word565) << "x " << x;
    }
    // The file's row order: bottom row first.
    QImage col(1, 2, QImage::Format_RGB32);
    col.setPixel(0, 0, qRgb(0xFF, 0, 0));
    col.setPixel(0, 1, qRgb(0, 0, 0xFF));
    std::string out, error;
    ASSERT_TRUE(EncodeBmp(col, 16, out, error));
    EXPECT_EQ(U16(out, U32(out, 10)), 0x001F);       // blue, the bottom row
    EXPECT_EQ(U16(out, U32(out, 10) + 4), 0xF800);   // red, the top row
}

TEST(ImageFormats, PngAndGifAreLosslessForFewColours)
{
    const QImage few = FewColours();
    const QImage grad = Gradient();
    std::string out, error;
    ASSERT_TRUE(EncodePng(few, out, error)) << error;
    EXPECT_EQ(out.substr(1, 3), "PNG");
    EXPECT_EQ(static_cast<uint8_t>(out[25]), 3);   // colour type: palette
    ExpectSamePixels(few, Decode(out, "PNG"));
    ASSERT_TRUE(EncodePng(grad, out, error)) << error;
    EXPECT_EQ(static_cast<uint8_t>(out[25]), 2);   // colour type: RGB, no alpha
    ExpectSamePixels(grad, Decode(out, "PNG"));

    ASSERT_TRUE(EncodeGif(few, out, error)) << error;
    EXPECT_EQ(out.substr(0, 4), "GIF8");
    ExpectSamePixels(few, Decode(out, "GIF"));
    // Many colours: the reduced palette, same size.
    ASSERT_TRUE(EncodeGif(grad, out, error)) << error;
    const QImage back = Decode(out, "GIF");
    ASSERT_EQ(back.size(), grad.size());
    EXPECT_LE(std::abs(qRed(back.pixel(39, 29)) - qRed(grad.pixel(39, 29))), 26);
}

// The end of a run, wherever the first other pixel lies from the start and from the row's
// end, and when the run reaches the end.
TEST(ImageRuns, RunEndFindsTheFirstOtherPixel)
{
    for (int w = 1; w <= 70; ++w)
        for (int from = 0; from <= w; ++from)
            for (int other = from; other <= w; ++other) {
                std::vector<uint32_t> row(static_cast<size_t>(w), 0xFF00FF00u);
                if (other < w)
                    row[static_cast<size_t>(other)] = 0xFF00FF01u;
                if (other + 1 < w)
                    row[static_cast<size_t>(other) + 1] = 0xFF00FF00u;   // the run's colour again after it
                ASSERT_EQ(image_write_detail::RunEnd(row.data(), from, w, 0xFF00FF00u), other)
                    << "width " << w << " from " << from;
            }
}

// Runs of lengths 1 to 9 in turn, so run edges fall at every bit of a packed byte; each row
// starts elsewhere in the colour cycle.
QImage Runs(int w, int h, int colours)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        int run = 0, left = 1;
        for (int x = 0; x < w; ++x) {
            if (--left == 0) {
                ++run;
                left = 1 + (run + y) % 9;
            }
            const int i = (run + 3 * y) % colours;
            img.setPixel(x, y, qRgb(i, 255 - i, (i * 37) & 0xFF));
        }
    }
    return img;
}

// A picture that counts how often it is walked.
class TComposedRows final : public TRowSource {
public:
    explicit TComposedRows(const QImage& image) : rows_(image) {}
    int Width() const override { return rows_.Width(); }
    int Height() const override { return rows_.Height(); }
    bool Rows(bool bottomUp, const std::function<bool(int, const uint32_t*)>& fn) override
    {
        ++Walks;
        return rows_.Rows(bottomUp, fn);
    }
    int Walks = 0;

private:
    TImageRows rows_;
};

enum class TKind { Png, Gif, Bmp1, Bmp4, Bmp8 };

// The file of one kind, the picture walked as often as said: once when its runs are kept;
// twice when its colours are too many (the walk that found so, then the rows); three times
// when its runs are too many to keep (that walk, the colours, the rows).
std::string Written(const QImage& img, TKind kind, int walks = 1)
{
    auto write = [&](TRowSource& src, std::string& out) {
        TStringSink sink(out);
        std::string error;
        bool ok = false;
        switch (kind) {
        case TKind::Png: ok = WritePng(src, sink, error); break;
        case TKind::Gif: ok = WriteGif(src, sink, error); break;
        case TKind::Bmp1: ok = WriteBmp(src, 1, sink, error); break;
        case TKind::Bmp4: ok = WriteBmp(src, 4, sink, error); break;
        case TKind::Bmp8: ok = WriteBmp(src, 8, sink, error); break;
        }
        EXPECT_TRUE(ok) << error;
    };
    std::string out;
    TComposedRows walked(img);
    write(walked, out);
    EXPECT_EQ(walked.Walks, walks);
    return out;
}

TEST(ImageFormats, EveryPaletteDepthReadsBackPixelForPixel)
{
    struct Case {
        int colours;
        int pngDepth;
    };
    const Case cases[] = {{2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {256, 8}};
    for (const Case& c : cases)
        for (int w : {1, 7, 8, 9, 33, 64}) {
            SCOPED_TRACE(testing::Message() << c.colours << " colours, width " << w);
            const QImage img = Runs(w, 5, c.colours);
            const std::string png = Written(img, TKind::Png);
            EXPECT_EQ(static_cast<uint8_t>(png[25]), 3);   // palette
            if (w >= c.colours) {
                EXPECT_EQ(static_cast<uint8_t>(png[24]), c.pngDepth);
            }
            ExpectSamePixels(img, Decode(png, "PNG"));
            ExpectSamePixels(img, Decode(Written(img, TKind::Gif), "GIF"));
            const std::pair<TKind, int> bmps[] = {{TKind::Bmp1, 2}, {TKind::Bmp4, 16}, {TKind::Bmp8, 256}};
            for (const auto& [kind, fits] : bmps) {
                const std::string bmp = Written(img, kind);
                if (c.colours <= fits)
                    ExpectSamePixels(img, Decode(bmp, "BMP"));
            }
            TComposedRows walked(img);
            ExpectSamePixels(img, IndexedImageOf(walked).convertToFormat(QImage::Format_RGB32));
            EXPECT_EQ(walked.Walks, 1);
        }
    // More than 256 colours: PNG in RGB, the others reduced, the same bytes both ways.
    const QImage grad = Gradient();
    ExpectSamePixels(grad, Decode(Written(grad, TKind::Png, 2), "PNG"));
    Written(grad, TKind::Gif, 2);
    Written(grad, TKind::Bmp8, 2);
}

// Colours first seen far down a composed picture, after many rows were encoded at a
// smaller depth: the file is still the one written from memory.
TEST(ImageFormats, ColoursFoundLateGiveTheFileOfTheirCount)
{
    for (int last : {2, 3, 5, 17, 200}) {
        SCOPED_TRACE(last);
        QImage img(301, 1500, QImage::Format_RGB32);
        img.fill(0xFFFFFFFFu);
        for (int c = 1; c < last; ++c) {
            const int y = 40 + c * 1400 / last;
            for (int x = c % 7; x < img.width(); x += 3)
                img.setPixel(x, y, qRgb(c, 255 - c, 7 * c % 256));
        }
        const std::string png = Written(img, TKind::Png);
        ExpectSamePixels(img, Decode(png, "PNG"));
    }
}

// Every pixel a run of its own: more runs than a writer keeps.
TEST(ImageFormats, APictureOfSinglePixelRunsIsWrittenWhole)
{
    QImage img(4099, 2100, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = (x + y / 3) % 2 ? 0xFF123456u : 0xFFFEDCBAu;
    }
    const std::string png = Written(img, TKind::Png, 3);
    EXPECT_EQ(static_cast<uint8_t>(png[24]), 1);
    ExpectSamePixels(img, Decode(png, "PNG"));
    ExpectSamePixels(img, Decode(Written(img, TKind::Gif, 3), "GIF"));
    ExpectSamePixels(img, Decode(Written(img, TKind::Bmp1, 3), "BMP"));
    TComposedRows walked(img);
    const QImage indexed = IndexedImageOf(walked);
    EXPECT_EQ(indexed.colorCount(), 2);
    ExpectSamePixels(img, indexed.convertToFormat(QImage::Format_RGB32));
}

TEST(ImageFormats, JpegIsBaselineFullSizeAndHonoursQuality)
{
    const QImage grad = Gradient(64, 48);
    std::string q100, q10, error;
    ASSERT_TRUE(EncodeJpeg(grad, 100, q100, error)) << error;
    ASSERT_TRUE(EncodeJpeg(grad, 10, q10, error)) << error;
    EXPECT_LT(q10.size(), q100.size());
    EXPECT_EQ(q100.substr(0, 2), "\xFF\xD8");
    EXPECT_NE(q100.find("\xFF\xC0"), std::string::npos);   // baseline frame
    EXPECT_EQ(q100.find("\xFF\xC2"), std::string::npos);   // not progressive
    const QImage back = Decode(q100, "JPG");
    EXPECT_EQ(back.size(), grad.size());
    EXPECT_FALSE(back.isGrayscale());
    EXPECT_LE(std::abs(qGreen(back.pixel(10, 40)) - qGreen(grad.pixel(10, 40))), 6);
    // A quality outside 1..100 is held to it, not refused.
    EXPECT_TRUE(EncodeJpeg(grad, 0, q10, error));
    EXPECT_TRUE(EncodeJpeg(grad, 1000, q10, error));

    // Noise at q100 outgrows the first output block several times: every byte must survive
    // the growing (a lost or stale block shows as a file that does not decode or a wrong size).
    QImage noise(500, 400, QImage::Format_RGB32);
    uint32_t seed = 7;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    std::string big;
    ASSERT_TRUE(EncodeJpeg(noise, 100, big, error)) << error;
    EXPECT_GT(big.size(), 4u * 64 * 1024);
    EXPECT_EQ(big.substr(big.size() - 2), "\xFF\xD9");
    EXPECT_EQ(Decode(big, "JPG").size(), noise.size());
}

TEST(ImageFormats, SizeLimitsAndEmptyPicturesAreRefusedWithAReason)
{
    std::string out = "old", error;
    EXPECT_FALSE(EncodeJpeg(QImage(65501, 1, QImage::Format_RGB32), 100, out, error));
    EXPECT_NE(error.find("65500"), std::string::npos);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(EncodeGif(QImage(1, 65536, QImage::Format_RGB32), out, error));
    EXPECT_NE(error.find("65535"), std::string::npos);
    for (auto encode : {+[](const QImage& i, std::string& o, std::string& e) { return EncodePng(i, o, e); },
                        +[](const QImage& i, std::string& o, std::string& e) { return EncodeGif(i, o, e); },
                        +[](const QImage& i, std::string& o, std::string& e) { return EncodeBmp(i, 24, o, e); },
                        +[](const QImage& i, std::string& o, std::string& e) { return EncodeJpeg(i, 50, o, e); }}) {
        error.clear();
        EXPECT_FALSE(encode(QImage(), out, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(EncodeBmp(FewColours(), 12, out, error));
    // The largest JPEG side still encodes.
    QImage wide(65500, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    EXPECT_TRUE(EncodeJpeg(wide, 100, out, error)) << error;
}

TEST(ImageFiles, FormatByExtension)
{
    const std::pair<const char*, TImageFormat> cases[] = {
        {"/a/drawing.bmp", TImageFormat::Bmp},   {"/a/drawing.BMP", TImageFormat::Bmp},
        {"/a/x.Jpg", TImageFormat::Jpeg},        {"/a/x.gif", TImageFormat::Gif},
        {"/a/x.PNG", TImageFormat::Png},         {"/a/drawing.jpeg", TImageFormat::None},
        {"/a/drawing", TImageFormat::None},      {"/a.png/drawing", TImageFormat::None},
        {"/a/x.png.txt", TImageFormat::None},    {"/a/.png", TImageFormat::Png},
    };
    for (const auto& [path, format] : cases)
        EXPECT_EQ(ImageFormatOfName(QString::fromLatin1(path)), format) << path;
}

TEST(ImageFiles, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir tmp;
    const QString path = tmp.path() + "/pic.png";
    QString error;
    ASSERT_TRUE(WriteWholeFile(path, "first", error));
    ASSERT_TRUE(WriteWholeFile(path, "second", error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "second");
    f.close();

    // A target that cannot be replaced: a folder without write permission, or for the
    // superuser a file of /proc.
    QString target = tmp.path() + "/ro/pic.png";
    if (::geteuid() == 0) {
        target = QStringLiteral("/proc/version");
    } else {
        QDir().mkpath(tmp.path() + "/ro");
        ASSERT_TRUE(WriteWholeFile(target, "old", error));
        QFile::setPermissions(tmp.path() + "/ro", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QFile before(target);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();
    error.clear();
    EXPECT_FALSE(WriteWholeFile(target, "new", error));
    EXPECT_FALSE(error.isEmpty());
    QFile after(target);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), old);
    // A folder as the target.
    EXPECT_FALSE(WriteWholeFile(tmp.path(), "x", error));
}
