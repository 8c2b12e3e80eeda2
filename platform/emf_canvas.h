#pragma once
// A canvas that records the drawing calls as an enhanced metafile instead of pixels, so the
// one renderer draws the metafile too. Pens, brushes and fonts become objects created when
// the canvas state differs from the last one recorded; the pen mode becomes the raster
// operation, the brush the background mode (opaque in the brush colour when solid). Texts
// are UTF-16 (Windows-1252 decoded; the symbol font's bytes in its private range) with
// their advance widths. Coordinates are device pixels of a 96 dpi reference device.
#include "platform/canvas.h"

#include <QByteArray>

#include <cstdint>
#include <string>

class QMimeData;

// Record types written.
namespace emr {
constexpr uint32_t Header = 1;
constexpr uint32_t Polygon = 3;
constexpr uint32_t Eof = 14;
constexpr uint32_t SetBkMode = 18;
constexpr uint32_t SetPolyFillMode = 19;
constexpr uint32_t SetRop2 = 20;
constexpr uint32_t SetTextAlign = 22;
constexpr uint32_t SetTextColor = 24;
constexpr uint32_t SetBkColor = 25;
constexpr uint32_t MoveToEx = 27;
constexpr uint32_t SelectObject = 37;
constexpr uint32_t CreatePen = 38;
constexpr uint32_t CreateBrushIndirect = 39;
constexpr uint32_t DeleteObject = 40;
constexpr uint32_t Ellipse = 42;
constexpr uint32_t Rectangle = 43;
constexpr uint32_t Arc = 45;
constexpr uint32_t LineTo = 54;
constexpr uint32_t StretchDIBits = 81;
constexpr uint32_t ExtCreateFontIndirectW = 82;
constexpr uint32_t ExtTextOutW = 84;
} // namespace emr

class TEmfCanvas final : public TCanvas {
public:
    // A picture of width x height pixels, recorded against a reference device of
    // deviceWidth x deviceHeight pixels (the screen).
    TEmfCanvas(int width, int height, int deviceWidth = 1920, int deviceHeight = 1080);

    int Width() const override { return width_; }
    int Height() const override { return height_; }

    void MoveTo(int32_t x, int32_t y) override;
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

    // Ends the recording (the end record, the header's size and counts) and hands over
    // the metafile; later drawing calls are ignored.
    std::string Finish();
    uint32_t Records() const { return records_; }

private:
    void Begin(uint32_t type);
    void End();
    void Put32(uint32_t v);
    void PutRect(int32_t l, int32_t t, int32_t r, int32_t b);
    void Simple(uint32_t type, uint32_t value);
    void SyncPen(bool nullPen = false);
    void SyncBrush();
    void SyncRop(TPenMode mode);
    void SyncBackground();
    void SyncFont();
    // Pen, raster operation and background for a figure; the brush too when it is filled.
    void SyncDrawing(bool filled);
    void Box(uint32_t type, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

    std::string buf_;
    size_t recStart_ = 0;
    uint32_t records_ = 0;
    int width_;
    int height_;
    bool finished_ = false;

    // What the metafile has selected now; slots alternate so the old object can be
    // deleted after the new one is selected.
    TPen selPen_{};
    bool penValid_ = false;
    uint32_t penSlot_ = 0;
    TBrush brushSel_{};
    bool brushValid_ = false;
    uint32_t brushSlot_ = 0;
    TFontSpec fontSel_{};
    bool fontValid_ = false;
    uint32_t fontSlot_ = 0;
    int rop_ = -1;
    int bkMode_ = -1;
    int64_t bkColor_ = -1;
    int64_t textColor_ = -1;
};

// Puts a metafile on the clipboard data as "image/x-emf" and "image/emf".
void SetEmfMimeData(QMimeData& data, const std::string& emf);
