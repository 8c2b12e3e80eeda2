#include "platform/emf_canvas.h"

#include "platform/fonts.h"
#include "platform/image_write.h"

#include <QFontMetrics>
#include <QMimeData>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kStockNullPen = 0x80000008u;
constexpr uint32_t kSlotPen = 1;      // and 2
constexpr uint32_t kSlotBrush = 3;    // and 4
constexpr uint32_t kSlotFont = 5;     // and 6
constexpr uint32_t kHandles = 7;      // slot 0 is reserved
constexpr int kDpi = 96;

uint32_t PenStyleCode(TPenStyle s)
{
    switch (s) {
    case TPenStyle::Solid: return 0;
    case TPenStyle::Dash: return 1;
    case TPenStyle::Dot: return 2;
    case TPenStyle::DashDot: return 3;
    case TPenStyle::DashDotDot: return 4;
    }
    return 0;
}

int RopCode(TPenMode m)
{
    switch (m) {
    case TPenMode::Copy: return 13;   // R2_COPYPEN
    case TPenMode::Xor: return 7;     // R2_XORPEN
    case TPenMode::Not: return 6;     // R2_NOT
    }
    return 13;
}

// Advance widths of the 256 byte values in a font, cached for the fonts of one drawing.
const std::array<int, 256>& ByteWidths(const TFontSpec& spec)
{
    struct TEntry {
        TFontSpec Spec;
        std::array<int, 256> Widths;
    };
    static std::vector<TEntry> cache;
    TFontSpec key = spec;
    key.Escapement = 0;
    key.Color = 0;
    for (const TEntry& e : cache)
        if (e.Spec == key)
            return e.Widths;
    if (cache.size() >= 32)
        cache.clear();
    TEntry e{key, {}};
    const QFontMetrics fm(MakeQFont(key));
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const QString s = FontText(key, std::string_view(&c, 1));
        e.Widths[static_cast<size_t>(b)] = fm.horizontalAdvance(s);
    }
    cache.push_back(e);
    return cache.back().Widths;
}

} // namespace

TEmfCanvas::TEmfCanvas(int width, int height, int deviceWidth, int deviceHeight)
    : width_(std::max(1, width)), height_(std::max(1, height))
{
    const int devW = std::max(1, deviceWidth);
    const int devH = std::max(1, deviceHeight);
    const auto hundredthsMm = [](int64_t px) { return static_cast<int32_t>(px * 2540 / kDpi); };
    Begin(emr::Header);
    PutRect(0, 0, width_ - 1, height_ - 1);                                  // bounds, pixels
    PutRect(0, 0, hundredthsMm(width_) - 1, hundredthsMm(height_) - 1);      // frame, 0.01 mm
    Put32(0x464D4520u);   // " EMF"
    Put32(0x00010000u);   // version
    Put32(0);             // bytes, filled in by Finish
    Put32(0);             // records, filled in by Finish
    Put32(kHandles);      // handles (16 bits) and reserved (16 bits)
    Put32(0);             // no description
    Put32(0);
    Put32(0);             // no palette
    Put32(static_cast<uint32_t>(devW));
    Put32(static_cast<uint32_t>(devH));
    const int32_t mmW = static_cast<int32_t>(int64_t{devW} * 254 / (kDpi * 10));
    const int32_t mmH = static_cast<int32_t>(int64_t{devH} * 254 / (kDpi * 10));
    Put32(static_cast<uint32_t>(mmW));
    Put32(static_cast<uint32_t>(mmH));
    Put32(0);             // no pixel format
    Put32(0);
    Put32(0);             // not OpenGL
    Put32(static_cast<uint32_t>(mmW * 1000));
    Put32(static_cast<uint32_t>(mmH * 1000));
    End();
    Simple(emr::SetPolyFillMode, 1);   // ALTERNATE
    Simple(emr::SetTextAlign, 0);      // TA_TOP | TA_LEFT, no current-position update
}

void TEmfCanvas::Begin(uint32_t type)
{
    recStart_ = buf_.size();
    Put32(type);
    Put32(0);
}

void TEmfCanvas::End()
{
    const uint32_t size = static_cast<uint32_t>(buf_.size() - recStart_);
    std::memcpy(buf_.data() + recStart_ + 4, &size, 4);
    ++records_;
}

void TEmfCanvas::Put32(uint32_t v)
{
    char b[4];
    std::memcpy(b, &v, 4);   // little-endian machine
    buf_.append(b, 4);
}

void TEmfCanvas::PutRect(int32_t l, int32_t t, int32_t r, int32_t b)
{
    Put32(static_cast<uint32_t>(l));
    Put32(static_cast<uint32_t>(t));
    Put32(static_cast<uint32_t>(r));
    Put32(static_cast<uint32_t>(b));
}

void TEmfCanvas::Simple(uint32_t type, uint32_t value)
{
    Begin(type);
    Put32(value);
    End();
}

void TEmfCanvas::SyncPen(bool nullPen)
{
    if (nullPen) {
        Simple(emr::SelectObject, kStockNullPen);
        penValid_ = false;
        return;
    }
    TPen want = pen_;
    want.Width = std::max(1, want.Width);
    want.Mode = TPenMode::Copy;
    // A styled pen wider than one pixel draws solid, as on the screen; readers that would
    // dash it (LibreOffice does) then show the same picture.
    if (want.Width > 1)
        want.Style = TPenStyle::Solid;
    if (penValid_ && want.Color == selPen_.Color && want.Width == selPen_.Width && want.Style == selPen_.Style)
        return;
    if (penSlot_ != 0 && penValid_ == false && want.Color == selPen_.Color && want.Width == selPen_.Width &&
        want.Style == selPen_.Style) {
        Simple(emr::SelectObject, penSlot_);   // back from the null pen of a fill
        penValid_ = true;
        return;
    }
    const uint32_t slot = penSlot_ == kSlotPen ? kSlotPen + 1 : kSlotPen;
    Begin(emr::CreatePen);
    Put32(slot);
    Put32(PenStyleCode(want.Style));
    Put32(static_cast<uint32_t>(want.Width));   // width as a point: x used, y ignored
    Put32(0);
    Put32(want.Color);
    End();
    Simple(emr::SelectObject, slot);
    if (penSlot_ != 0)
        Simple(emr::DeleteObject, penSlot_);
    penSlot_ = slot;
    selPen_ = want;
    penValid_ = true;
}

void TEmfCanvas::SyncBrush()
{
    if (brushValid_ && brush_.Style == brushSel_.Style &&
        (brush_.Style == TBrushStyle::Clear || brush_.Color == brushSel_.Color))
        return;
    const uint32_t slot = brushSlot_ == kSlotBrush ? kSlotBrush + 1 : kSlotBrush;
    Begin(emr::CreateBrushIndirect);
    Put32(slot);
    Put32(brush_.Style == TBrushStyle::Solid ? 0 : 1);   // BS_SOLID, BS_NULL
    Put32(brush_.Color);
    Put32(0);
    End();
    Simple(emr::SelectObject, slot);
    if (brushSlot_ != 0)
        Simple(emr::DeleteObject, brushSlot_);
    brushSlot_ = slot;
    brushSel_ = brush_;
    brushValid_ = true;
}

void TEmfCanvas::SyncRop(TPenMode mode)
{
    const int rop = RopCode(mode);
    if (rop != rop_) {
        Simple(emr::SetRop2, static_cast<uint32_t>(rop));
        rop_ = rop;
    }
}

void TEmfCanvas::SyncBackground()
{
    const int mode = brush_.Style == TBrushStyle::Solid ? 2 : 1;   // OPAQUE, TRANSPARENT
    if (mode != bkMode_) {
        Simple(emr::SetBkMode, static_cast<uint32_t>(mode));
        bkMode_ = mode;
    }
    if (mode == 2 && static_cast<int64_t>(brush_.Color) != bkColor_) {
        Simple(emr::SetBkColor, brush_.Color);
        bkColor_ = brush_.Color;
    }
}

void TEmfCanvas::SyncFont()
{
    if (static_cast<int64_t>(font_.Color) != textColor_) {
        Simple(emr::SetTextColor, font_.Color);
        textColor_ = font_.Color;
    }
    TFontSpec want = font_;
    want.Color = 0;
    if (fontValid_ && want == fontSel_)
        return;
    const uint32_t slot = fontSlot_ == kSlotFont ? kSlotFont + 1 : kSlotFont;
    Begin(emr::ExtCreateFontIndirectW);
    Put32(slot);
    Put32(static_cast<uint32_t>(-std::max(1, FontPixelSize(std::abs(want.Size)))));   // character height
    Put32(0);                                                 // width: the font's own
    Put32(static_cast<uint32_t>(want.Escapement));
    Put32(static_cast<uint32_t>(want.Escapement));            // orientation
    Put32(want.Bold ? 700 : 400);
    const bool symbol = IsSymbolFontName(want.Name);
    const uint32_t flags = (want.Italic ? 1u : 0u) | (want.Underline ? 1u : 0u) << 8 |
                           (symbol ? 2u : 0u) << 24;         // italic, underline, strike-out, charset
    Put32(flags);
    Put32(3u << 16);   // output and clip precision default, non-antialiased quality, any pitch
    char16_t face[32] = {};
    const QString name = QString::fromLatin1(want.Name.data(), static_cast<qsizetype>(want.Name.size()));
    for (qsizetype i = 0; i < std::min<qsizetype>(31, name.size()); ++i)
        face[i] = name[i].unicode();
    buf_.append(reinterpret_cast<const char*>(face), sizeof face);
    End();
    Simple(emr::SelectObject, slot);
    if (fontSlot_ != 0)
        Simple(emr::DeleteObject, fontSlot_);
    fontSlot_ = slot;
    fontSel_ = want;
    fontValid_ = true;
}

void TEmfCanvas::MoveTo(int32_t x, int32_t y)
{
    TCanvas::MoveTo(x, y);
    if (finished_)
        return;
    Begin(emr::MoveToEx);
    Put32(static_cast<uint32_t>(x));
    Put32(static_cast<uint32_t>(y));
    End();
}

void TEmfCanvas::LineTo(int32_t x, int32_t y)
{
    pos_ = {x, y};
    if (finished_)
        return;
    SyncDrawing(false);
    Begin(emr::LineTo);
    Put32(static_cast<uint32_t>(x));
    Put32(static_cast<uint32_t>(y));
    End();
}

void TEmfCanvas::SyncDrawing(bool filled)
{
    SyncPen();
    if (filled)
        SyncBrush();
    SyncRop(pen_.Mode);
    SyncBackground();
}

void TEmfCanvas::Box(uint32_t type, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (finished_)
        return;
    SyncDrawing(true);
    Begin(type);
    PutRect(x1, y1, x2, y2);
    End();
}

void TEmfCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { Box(emr::Rectangle, x1, y1, x2, y2); }

void TEmfCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { Box(emr::Ellipse, x1, y1, x2, y2); }

void TEmfCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
    if (finished_)
        return;
    SyncDrawing(false);
    Begin(emr::Arc);
    PutRect(x1, y1, x2, y2);
    Put32(static_cast<uint32_t>(x3));
    Put32(static_cast<uint32_t>(y3));
    Put32(static_cast<uint32_t>(x4));
    Put32(static_cast<uint32_t>(y4));
    End();
}

void TEmfCanvas::Polygon(const TPoint* pts, int count)
{
    if (finished_ || !pts || count < 2)
        return;
    SyncDrawing(true);
    int32_t l = pts[0].X, t = pts[0].Y, r = pts[0].X, b = pts[0].Y;
    for (int i = 1; i < count; ++i) {
        l = std::min(l, pts[i].X);
        t = std::min(t, pts[i].Y);
        r = std::max(r, pts[i].X);
        b = std::max(b, pts[i].Y);
    }
    Begin(emr::Polygon);
    PutRect(l, t, r, b);
    Put32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        Put32(static_cast<uint32_t>(pts[i].X));
        Put32(static_cast<uint32_t>(pts[i].Y));
    }
    End();
}

void TEmfCanvas::FillRect(const TRect& r)
{
    if (finished_ || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    // A rectangle without outline covers one pixel less each way: grow it by one.
    const TBrush saved = brush_;
    brush_.Style = TBrushStyle::Solid;
    SyncBrush();
    SyncPen(true);
    SyncRop(TPenMode::Copy);
    Begin(emr::Rectangle);
    PutRect(r.Left, r.Top, r.Right + 1, r.Bottom + 1);
    End();
    brush_ = saved;
}

void TEmfCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    if (finished_ || text.empty())
        return;
    SyncFont();
    SyncRop(TPenMode::Copy);
    SyncBackground();
    const bool symbol = IsSymbolFontName(font_.Name);
    const QString shown = FontText(font_, text);
    const std::array<int, 256>& widths = ByteWidths(font_);
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t stringBytes = (n * 2 + 3) / 4 * 4;
    Begin(emr::ExtTextOutW);
    PutRect(0, 0, -1, -1);      // bounds not computed
    Put32(1);                   // GM_COMPATIBLE
    const float scale = 2540.0f / kDpi;   // 0.01 mm per pixel
    uint32_t fs;
    std::memcpy(&fs, &scale, 4);
    Put32(fs);
    Put32(fs);
    Put32(static_cast<uint32_t>(x));
    Put32(static_cast<uint32_t>(y));
    Put32(n);
    Put32(76);                  // the string follows the fixed part
    Put32(0);                   // no options
    PutRect(0, 0, -1, -1);
    Put32(76 + stringBytes);    // the advance widths follow the string
    std::string utf16(stringBytes, '\0');
    for (uint32_t i = 0; i < n; ++i) {
        char16_t c = shown[static_cast<qsizetype>(i)].unicode();
        if (symbol)
            c = static_cast<char16_t>(0xF000 | static_cast<unsigned char>(text[i]));
        std::memcpy(utf16.data() + 2 * i, &c, 2);
    }
    buf_ += utf16;
    for (uint32_t i = 0; i < n; ++i)
        Put32(static_cast<uint32_t>(widths[static_cast<unsigned char>(text[i])]));
    End();
}

void TEmfCanvas::Draw(int32_t x, int32_t y, const QImage& src)
{
    CopyRect({x, y, x + src.width(), y + src.height()}, src, {0, 0, src.width(), src.height()});
}

void TEmfCanvas::CopyRect(const TRect& dst, const QImage& src, const TRect& srcRect)
{
    if (finished_ || src.isNull())
        return;
    const QImage part = src.copy(srcRect.Left, srcRect.Top, srcRect.Right - srcRect.Left,
                                 srcRect.Bottom - srcRect.Top);
    std::string bmp, error;
    if (part.isNull() || !EncodeBmp(part, 24, bmp, error))
        return;
    const uint32_t headerBytes = 40;
    const uint32_t bitsBytes = static_cast<uint32_t>(bmp.size() - 54);
    Begin(emr::StretchDIBits);
    PutRect(dst.Left, dst.Top, dst.Right - 1, dst.Bottom - 1);
    Put32(static_cast<uint32_t>(dst.Left));
    Put32(static_cast<uint32_t>(dst.Top));
    Put32(0);
    Put32(0);
    Put32(static_cast<uint32_t>(part.width()));
    Put32(static_cast<uint32_t>(part.height()));
    Put32(80);                          // the bitmap header follows the fixed part
    Put32(headerBytes);
    Put32(80 + headerBytes);
    Put32(bitsBytes);
    Put32(0);                           // DIB_RGB_COLORS
    Put32(0x00CC0020u);                 // SRCCOPY
    Put32(static_cast<uint32_t>(dst.Right - dst.Left));
    Put32(static_cast<uint32_t>(dst.Bottom - dst.Top));
    buf_.append(bmp, 14, std::string::npos);
    End();
}

std::string TEmfCanvas::Finish()
{
    if (!finished_) {
        Begin(emr::Eof);
        Put32(0);    // no palette entries
        Put32(16);   // where they would be
        Put32(20);   // this record's size again
        End();
        finished_ = true;
        const uint32_t bytes = static_cast<uint32_t>(buf_.size());
        std::memcpy(buf_.data() + 48, &bytes, 4);
        std::memcpy(buf_.data() + 52, &records_, 4);
    }
    return std::move(buf_);
}

void SetEmfMimeData(QMimeData& data, const std::string& emf)
{
    const QByteArray bytes(emf.data(), static_cast<qsizetype>(emf.size()));
    data.setData(QStringLiteral("image/x-emf"), bytes);
    data.setData(QStringLiteral("image/emf"), bytes);
}
