#include "schematic/render/export.h"

#include "platform/emf_canvas.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

void Raise(int64_t& m, int64_t v) { m = std::max(m, v); }

} // namespace

TExportExtent ExportExtent(const TSchModel& model, int32_t scale)
{
    TExportExtent e;
    for (const TShapeRec& s : model.ShapeList) {
        Raise(e.MaxX, s.X1);
        Raise(e.MaxY, s.Y1);
        if (s.Kind == 4) {
            const int64_t r = std::llabs(int64_t{s.Y2}) / 4;
            Raise(e.MaxX, int64_t{s.X1} + r);
            Raise(e.MaxY, int64_t{s.Y1} + r);
        } else if (s.Kind == 12) {
            Raise(e.MaxX, s.X2);
            Raise(e.MaxY, s.Y2);
            Raise(e.MaxY, int64_t{s.Y1} + std::llabs(int64_t{s.Y1} - s.Y2));   // the lower half-wave
        } else {
            Raise(e.MaxX, s.X2);
            Raise(e.MaxY, s.Y2);
        }
    }
    for (const TCompRec& c : model.CompList) {
        for (const TShapeRec& s : c.Shapes) {
            const int64_t x1 = int64_t{c.X} + s.X1 / 2;
            const int64_t y1 = int64_t{c.Y} + s.Y1 / 2;
            Raise(e.MaxX, x1);
            Raise(e.MaxY, y1);
            if (s.Kind == 4) {
                const int64_t r = std::llabs(int64_t{s.Y2}) / 8;
                Raise(e.MaxX, x1 + r);
                Raise(e.MaxY, y1 + r);
            } else {
                Raise(e.MaxX, int64_t{c.X} + s.X2 / 2);
                Raise(e.MaxY, int64_t{c.Y} + s.Y2 / 2);
            }
        }
    }
    const int64_t sc = std::max(1, scale);
    for (const TTextRec& t : model.TextList) {
        const TSize sz = FreeTextExtent(t, scale);
        const int64_t w = int64_t{sz.Width} * 10 / sc + 1;
        const int64_t h = int64_t{sz.Height} * 10 / sc + 1;
        const int64_t x = t.X, y = t.Y;
        int64_t l = x, top = y, r = x + w, b = y + h;
        switch (TextAngle(t.Font)) {
        case 90: l = x; top = y - w; r = x + h; b = y; break;
        case 180: l = x - w; top = y - h; r = x; b = y; break;
        case 270: l = x - h; top = y; r = x; b = y + w; break;
        default: break;
        }
        Raise(e.MaxX, l / 10);
        Raise(e.MaxX, r / 10);
        Raise(e.MaxY, top / 10);
        Raise(e.MaxY, b / 10);
    }
    return e;
}

TExportSize ExportPixelSize(const TExportExtent& e, int32_t scale)
{
    return {(e.MaxX + 1) * scale, (e.MaxY + 1) * scale};
}

TRenderView ExportView(const TRenderView& windowView)
{
    TRenderView v = windowView;
    v.OffsetX = 0;
    v.OffsetY = 0;
    return v;
}

bool ExportSizeFits(const TExportSize& size)
{
    return size.Width > 0 && size.Height > 0 && size.Width <= std::numeric_limits<int32_t>::max() &&
           size.Height <= std::numeric_limits<int32_t>::max() && size.Width * size.Height <= kMaxExportPixels;
}

std::vector<int> PlanBandTops(int height, int target, std::vector<TRowSpan> spans)
{
    // The spans merged into the runs of rows where no cut may fall: (Top, Bottom].
    std::sort(spans.begin(), spans.end(), [](const TRowSpan& a, const TRowSpan& b) { return a.Top < b.Top; });
    std::vector<TRowSpan> closed;
    for (const TRowSpan& s : spans) {
        if (s.Bottom <= s.Top)
            continue;   // one row: every cut lies outside it
        if (!closed.empty() && s.Top <= closed.back().Bottom)   // touching runs too: their join is no cut
            closed.back().Bottom = std::max(closed.back().Bottom, s.Bottom);
        else
            closed.push_back(s);
    }
    std::vector<int> tops{0};
    size_t k = 0;
    int64_t top = 0;
    while (top + target < height) {
        int64_t cut = top + target;
        while (k < closed.size() && closed[k].Bottom < cut)
            ++k;
        if (k < closed.size() && closed[k].Top < cut) {
            // Inside a closed run: end the band where the run starts, or else after it.
            if (closed[k].Top > top)
                cut = closed[k].Top;
            else
                cut = closed[k].Bottom + 1;
        }
        if (cut >= height)
            break;
        tops.push_back(static_cast<int>(cut));
        top = cut;
    }
    return tops;
}

TExportBands::TExportBands(const TSchModel& model, const TRenderView& windowView, int64_t bandBytes)
    : model_(model), view_(ExportView(windowView))
{
    const TExportSize size = ExportPixelSize(ExportExtent(model, windowView.Scale), windowView.Scale);
    if (!ExportSizeFits(size))
        return;
    width_ = static_cast<int>(size.Width);
    height_ = static_cast<int>(size.Height);
    const int64_t rows = std::max<int64_t>(bandBytes, 1) / (4 * int64_t{width_});
    const int target = static_cast<int>(std::clamp<int64_t>(rows, 1, height_));
    std::vector<TRowSpan> spans;
    PainterRowSpans(model, view_, width_, height_, spans);
    tops_ = PlanBandTops(height_, target, std::move(spans));
    bandRows_ = 0;
    for (size_t i = 0; i < tops_.size(); ++i) {
        const int end = i + 1 < tops_.size() ? tops_[i + 1] : height_;
        bandRows_ = std::max(bandRows_, end - tops_[i]);
    }
}

bool TExportBands::Rows(bool bottomUp, const std::function<bool(int, const uint32_t*)>& fn)
{
    error_.clear();
    if (width_ <= 0 || height_ <= 0)
        return true;
    if (band_.isNull()) {
        band_ = NewImageRgb32(width_, bandRows_);
        if (band_.isNull()) {
            error_ = "Not enough memory for the picture";
            return false;
        }
    }
    const int bands = static_cast<int>(tops_.size());
    for (int i = 0; i < bands; ++i) {
        const int k = bottomUp ? bands - 1 - i : i;
        const int top = tops_[static_cast<size_t>(k)];
        const int rows = (k + 1 < bands ? tops_[static_cast<size_t>(k) + 1] : height_) - top;
        // The canvas covers exactly the band's rows, as the whole bitmap's canvas covers all.
        QImage band(band_.bits(), width_, rows, band_.bytesPerLine(), QImage::Format_RGB32);
        band.fill(ColorToRgb(clWhite));
        {
            // The canvas ends its painter before the rows are read.
            TImageCanvas canvas(band, top);
            DrawCirc(canvas, model_, view_, nullptr);
        }
        for (int j = 0; j < rows; ++j) {
            const int r = bottomUp ? rows - 1 - j : j;
            if (!fn(top + r, reinterpret_cast<const uint32_t*>(band.constScanLine(r))))
                return false;
        }
    }
    return true;
}

QImage ComposeExportBitmap(const TSchModel& model, const TRenderView& windowView)
{
    const TExportSize size = ExportPixelSize(ExportExtent(model, windowView.Scale), windowView.Scale);
    if (!ExportSizeFits(size))
        return {};
    QImage bmp = NewBitmap(static_cast<int>(size.Width), static_cast<int>(size.Height));
    if (bmp.isNull())
        return {};
    {
        TImageCanvas canvas(bmp);
        DrawCirc(canvas, model, ExportView(windowView), nullptr);
    }
    return bmp;
}

std::string ComposeExportMetafile(const TSchModel& model, const TRenderView& windowView,
                                  int deviceWidth, int deviceHeight)
{
    const TExportSize size = ExportPixelSize(ExportExtent(model, windowView.Scale), windowView.Scale);
    if (size.Width <= 0 || size.Height <= 0 || size.Width > std::numeric_limits<int32_t>::max() ||
        size.Height > std::numeric_limits<int32_t>::max())
        return {};
    TEmfCanvas canvas(static_cast<int>(size.Width), static_cast<int>(size.Height), deviceWidth, deviceHeight);
    DrawCirc(canvas, model, ExportView(windowView), nullptr);
    return canvas.Finish();
}

std::string BitmapTooLargeText(const TExportSize& size)
{
    return "Error - Unable to create Bitmap.\r\rNot enough available memory to create large bitmap.\r"
           "Attempting to create bitmap of pixel size: " +
           std::to_string(size.Height) + " Height and " + std::to_string(size.Width) + " width";
}
