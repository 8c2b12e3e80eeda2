#pragma once
// A drawing canvas with the semantics the renderer was designed for: a current position,
// lines that leave out their end pixel, boxes that leave out their right and bottom edges,
// arcs between two rays, cosmetic dash patterns whose phase runs on across LineTo, raster
// operations, and text drawn from the top-left of its cell with an escapement.
//
// TCanvas holds the pen, brush and font state; the drawing calls are virtual so that a
// second back end (a metafile writer) can record the same calls. TImageCanvas draws into a
// QImage of Format_RGB32 without antialiasing.
#include <QFont>
#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Colours are $BBGGRR: red in the low byte.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;

// $BBGGRR to Qt's 0xAARRGGBB (opaque) and back.
constexpr uint32_t ColorToRgb(TColor c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr TColor RgbToColor(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}

enum class TPenStyle { Solid, Dash, Dot, DashDot, DashDotDot };
// Copy: the pen colour; Xor: pen colour xor destination; Not: inverts the destination.
enum class TPenMode { Copy, Xor, Not };
enum class TBrushStyle { Solid, Clear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;              // 0 counts as 1; at most 15 matters for the renderer
    TPenStyle Style = TPenStyle::Solid;
    TPenMode Mode = TPenMode::Copy;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::Solid;
};

struct TFontSpec {
    std::string Name = "MS Sans Serif";  // the name as the program knows it (see fonts.h)
    int Size = 8;                        // points at 96 dpi
    TColor Color = clBlack;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int Escapement = 0;                  // tenths of a degree, counter-clockwise
    bool operator==(const TFontSpec&) const = default;
};

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;    // exclusive
    int32_t Bottom = 0;   // exclusive
    bool operator==(const TRect&) const = default;
};

struct TSize {
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TSize&) const = default;
};

// Pixel size of a point size at the fixed 96 dpi.
int FontPixelSize(int points);
// The QFont for a font description (resolved family, pixel size, no antialiasing).
QFont MakeQFont(const TFontSpec& f);
// Text bytes as the font shows them: Windows-1252 for text fonts, the symbol font's own
// code points for "Symbol".
QString FontText(const TFontSpec& f, std::string_view bytes);
// Width of the text and height of its cell (ascent + descent) in pixels, unrotated.
TSize TextExtentOf(const TFontSpec& f, std::string_view bytes);

class TCanvas {
public:
    virtual ~TCanvas() = default;

    // Size of the drawing surface; drawing outside it is clipped.
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }
    void SetPenColor(TColor c) { pen_.Color = c; }
    void SetPenWidth(int w) { pen_.Width = w; }
    void SetPenStyle(TPenStyle s) { pen_.Style = s; }
    void SetPenMode(TPenMode m) { pen_.Mode = m; }

    const TBrush& Brush() const { return brush_; }
    // Setting the brush colour makes the brush solid.
    void SetBrushColor(TColor c) { brush_.Color = c; brush_.Style = TBrushStyle::Solid; }
    void SetBrushStyle(TBrushStyle s) { brush_.Style = s; }

    TFontSpec& Font() { return font_; }
    const TFontSpec& Font() const { return font_; }
    void SetFont(const TFontSpec& f) { font_ = f; }

    TPoint PenPos() const { return pos_; }
    // Starts a new figure: also restarts the dash pattern. A recording back end overrides it
    // and calls this one.
    virtual void MoveTo(int32_t x, int32_t y) { pos_ = {x, y}; dashPhase_ = 0; }
    // Draws from the current position up to, not including, (x, y); (x, y) becomes current.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Outline with the pen, inside with the brush, in the box [x1, x2) x [y1, y2).
    virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Counter-clockwise along the ellipse in the box from the ray through (x3, y3) to the
    // ray through (x4, y4), both rays from the box centre.
    virtual void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     int32_t x3, int32_t y3, int32_t x4, int32_t y4) = 0;
    // Closed polygon, alternate (even-odd) fill.
    virtual void Polygon(const TPoint* pts, int count) = 0;
    // Fills [r.Left, r.Right) x [r.Top, r.Bottom) with the brush colour, copy mode.
    virtual void FillRect(const TRect& r) = 0;
    // Text with the top-left of its cell at (x, y), rotated by the font's escapement.
    virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;
    TSize TextExtent(std::string_view text) const { return TextExtentOf(font_, text); }
    // Block copies (plain copy of the pixels).
    virtual void Draw(int32_t x, int32_t y, const QImage& src) = 0;
    // Copies src's srcRect into dst, stretching when the sizes differ.
    virtual void CopyRect(const TRect& dst, const QImage& src, const TRect& srcRect) = 0;

protected:
    TPen pen_;
    TBrush brush_;
    TFontSpec font_;
    TPoint pos_;
    int64_t dashPhase_ = 0;   // pixels of the dash pattern used since the last MoveTo
};

// Draws into an image the caller owns; the image must outlive the canvas (it is converted to
// Format_RGB32 if it is not). A painter stays active on the image for the canvas's life, so
// no other QPainter may paint on it meanwhile; reading and copying it are fine.
//
// With originY > 0 the image holds the rows [originY, originY + height) of a taller
// picture: callers draw in the picture's coordinates, and everything above or below the
// image is clipped. Height() is then the picture's height down to the image's last row, so
// a renderer that culls by the canvas size skips what lies below.
class TImageCanvas final : public TCanvas {
public:
    explicit TImageCanvas(QImage& image, int32_t originY = 0);
    ~TImageCanvas() override;
    TImageCanvas(const TImageCanvas&) = delete;
    TImageCanvas& operator=(const TImageCanvas&) = delete;

    int Width() const override { return image_.width(); }
    int Height() const override { return originY_ + image_.height(); }
    QImage& Image() { return image_; }
    int32_t OriginY() const { return originY_; }

    // Direct pixel access ($BBGGRR); outside the image Pixel gives 0 and SetPixel does nothing.
    TColor Pixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, TColor c);

    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
             int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
    void Polygon(const TPoint* pts, int count) override;
    void FillRect(const TRect& r) override;
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    void Draw(int32_t x, int32_t y, const QImage& src) override;
    void CopyRect(const TRect& dst, const QImage& src, const TRect& srcRect) override;

private:
    struct Impl;
    bool TextFromGlyphs(int64_t x, int64_t y, std::string_view text, class TGlyphSet* set,
                        const class QFontMetrics& metrics);
    QImage& image_;
    int32_t originY_ = 0;
    std::unique_ptr<Impl> d_;
};

// A white RGB32 image of the given size.
QImage NewBitmap(int width, int height, TColor fill = clWhite);
// A fresh RGB32 image, its pixels not yet set. One of 2 MB or more lives in a block of huge
// pages: a bitmap touched page by page takes a fault per 4 KB, which on a virtual machine
// costs more than drawing it.
QImage NewImageRgb32(int width, int height);
