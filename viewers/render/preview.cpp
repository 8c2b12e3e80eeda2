#include "viewers/render/preview.h"

#include "platform/sys/files.h"
#include "schematic/core/line_stream.h"
#include "schematic/core/sch_grammar.h"
#include "schematic/render/render.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr TColor kAqua = 0xFFFF00;
constexpr TColor kGrey = 0x808080;

// What differs between the thumbnail and the backup viewer's picture.
struct TPreviewStyle {
    int32_t Scale = 2;
    bool HeadsFirst = true;
};

// Draws each block the moment the grammar has read it, into one scratch shape record and
// one scratch text record: no list is built.
class TDrawSink {
public:
    TDrawSink(TCanvas& canvas, const TPreviewStyle& style) : c_(canvas), half_(style.Scale / 2)
    {
        // Fills are navy whatever the editor's colour, arcs run between the record's own
        // points, and nothing is ever drawn as selected.
        top_.Scale = style.Scale;
        top_.FillColor = clNavy;
        top_.ArcRule = TArcRule::Picker;
        top_.HeadsFirst = style.HeadsFirst;
        comp_ = top_;
        comp_.Scale = half_;
        texts_.Scale = style.Scale;
        texts_.TextColor = clBlack;
    }

    template <class S> void Shape(const S& src)
    {
        schtext::ShapeValues(src, shape_);
        DrawShape(c_, &shape_, 0, 0, top_);
    }
    template <class S> void Comp(const S& src)
    {
        cx_ = schtext::Num(src.Line(1));
        cy_ = schtext::Num(src.Line(2));
    }
    template <class S> void CompShape(const S& src)
    {
        schtext::ShapeValues(src, shape_);
        DrawShape(c_, &shape_, 2 * cx_, 2 * cy_, comp_);
    }
    template <class S> void CompText(const S& src)
    {
        schtext::TextValues(src, text_);
        // Black on every surface, never the theme's window-text colour.
        c_.Font().Color = clBlack;
        c_.SetBrushStyle(TBrushStyle::Clear);
        DrawCompText(c_, text_, cx_, cy_, half_, TCompTextSteps::AllBits);
    }
    template <class S> void Text(const S& src)
    {
        schtext::TextValues(src, text_);
        DrawFreeText(c_, text_, texts_);
    }

private:
    TCanvas& c_;
    int32_t half_;
    TShapeParams top_;
    TShapeParams comp_;
    TRenderView texts_;
    TShapeRec shape_;
    TTextRec text_;
    int64_t cx_ = 0;
    int64_t cy_ = 0;
};

void StartDrawing(TCanvas& c)
{
    c.SetPenColor(clBlack);
    c.SetPenMode(TPenMode::Copy);
    c.SetPenStyle(TPenStyle::Solid);
    c.SetPenWidth(1);
    c.SetBrushColor(clWhite);
    c.Font().Color = clBlack;
}

// At least 6 lines and "SCHEMATIC" on the first, read through the cursor from line 0.
template <class Src>
bool IsSchematic(Src& src)
{
    return src.Has(1) && src.Line(0) == schtext::kHeader && src.Has(6);
}

// The cursor stands on the header: draws the first snapshot at scale 2 and reduces it.
template <class Src>
void DrawThumbnail(Src& src, QImage& big, QImage& thumb)
{
    if (big.width() != preview::BigWidth || big.height() != preview::BigHeight ||
        big.format() != QImage::Format_RGB32)
        big = QImage(preview::BigWidth, preview::BigHeight, QImage::Format_RGB32);
    big.fill(Qt::white);
    {
        TImageCanvas canvas(big);
        StartDrawing(canvas);
        TDrawSink sink(canvas, TPreviewStyle{2, true});
        src.Advance(1);
        schtext::WalkBody(src, sink);
    }
    SmoothDownsize(big, thumb);
}

} // namespace

TPreviewResult MakeThumbnail(const std::string& path, QImage& big, QImage& thumb)
{
    TPreviewResult res;
    sys::TReadFile file;
    if (!file.Open(path)) {
        res.Status = TPreviewStatus::Unreadable;
        res.Error = file.Error();
        return res;
    }
    if (static_cast<uint64_t>(file.Size()) > preview::MaxReadBytes) {
        res.Status = TPreviewStatus::Unreadable;
        res.Error = "File is larger than " + std::to_string(preview::MaxReadBytes) + " bytes";
        return res;
    }
    TLineStream::TLimits lim;
    lim.MaxBytes = preview::MaxReadBytes;
    lim.MaxLine = static_cast<std::size_t>(preview::MaxReadBytes);
    TLineStream src([&file](char* buf, std::size_t n) { return file.Read(buf, n); }, lim);
    if (!IsSchematic(src)) {
        if (src.End() == TLineStream::TEnd::Error) {
            res.Status = TPreviewStatus::Unreadable;
            res.Error = file.Error();
        }
        return res;
    }
    DrawThumbnail(src, big, thumb);
    res.Status = TPreviewStatus::Drawn;
    return res;
}

TPreviewResult MakeThumbnail(const TLines& lines, QImage& big, QImage& thumb)
{
    TPreviewResult res;
    schtext::TLinesCursor src(lines, 0);
    if (!IsSchematic(src))
        return res;
    DrawThumbnail(src, big, thumb);
    res.Status = TPreviewStatus::Drawn;
    return res;
}

bool DrawSnapshot(const TLines& lines, std::size_t startLine, int32_t scale, int width, int height,
                  QImage& out)
{
    schtext::TLinesCursor whole(lines, 0);
    if (!IsSchematic(whole))
        return false;
    if (scale != 2 && scale != 4 && scale != 8)
        scale = 2;
    out = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    TImageCanvas canvas(out);
    canvas.SetPenColor(kGrey);
    canvas.SetBrushColor(kAqua);
    canvas.Rectangle(0, 0, out.width(), out.height());
    StartDrawing(canvas);
    TDrawSink sink(canvas, TPreviewStyle{scale, false});
    schtext::TLinesCursor src(lines, startLine < lines.Count() ? startLine + 1 : lines.Count());
    schtext::WalkBody(src, sink);
    return true;
}

void SmoothDownsize(const QImage& source, QImage& thumb)
{
    using preview::BigHeight;
    using preview::BigWidth;
    using preview::ThumbHeight;
    using preview::ThumbWidth;
    if (thumb.width() != ThumbWidth || thumb.height() != ThumbHeight || thumb.format() != QImage::Format_RGB32)
        thumb = QImage(ThumbWidth, ThumbHeight, QImage::Format_RGB32);
    // Rows are read as 32-bit pixels; anything else (or a drawing of another size) is first
    // put on white paper of the right size.
    const QImage* src = &source;
    QImage fitted;
    if (source.width() != BigWidth || source.height() != BigHeight ||
        (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32)) {
        fitted = QImage(BigWidth, BigHeight, QImage::Format_RGB32);
        fitted.fill(Qt::white);
        if (!source.isNull()) {
            const QImage conv = source.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < std::min(BigHeight, conv.height()); ++y)
                std::memcpy(fitted.scanLine(y), conv.constScanLine(y),
                            static_cast<std::size_t>(std::min(BigWidth, conv.width())) * 4);
        }
        src = &fitted;
    }
    for (int y = 0; y < ThumbHeight; ++y) {
        const auto* r0 = reinterpret_cast<const uint32_t*>(src->constScanLine(2 * y));
        const auto* r1 = reinterpret_cast<const uint32_t*>(src->constScanLine(2 * y + 1));
        auto* out = reinterpret_cast<uint32_t*>(thumb.scanLine(y));
        for (int x = 0; x < ThumbWidth; ++x) {
            // Blue alone, as the low byte of each pixel: the thumbnail is grey.
            const uint32_t v = ((r0[2 * x] & 0xFFu) + (r0[2 * x + 1] & 0xFFu) + (r1[2 * x] & 0xFFu) +
                                (r1[2 * x + 1] & 0xFFu)) / 4;
            out[x] = 0xFF000000u | (v * 0x010101u);
        }
    }
}
