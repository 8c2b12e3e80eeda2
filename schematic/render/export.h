#pragma once
// The exported picture: the drawing from world (0, 0) to its largest coordinate, at the
// window's scale, without grid and selection, composed with a view of its own so the
// window's offsets are never touched.
#include "platform/canvas.h"
#include "platform/image_write.h"
#include "schematic/core/records.h"
#include "schematic/render/render.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

// Largest world X and Y the drawing uses, both at least 0.
struct TExportExtent {
    int64_t MaxX = 0;
    int64_t MaxY = 0;
    bool operator==(const TExportExtent&) const = default;
};
// Texts are measured in the fonts they are drawn with at this scale.
TExportExtent ExportExtent(const TSchModel& model, int32_t scale);

// Pixel size of the export: (MaxX + 1) * scale by (MaxY + 1) * scale.
struct TExportSize {
    int64_t Width = 0;
    int64_t Height = 0;
};
TExportSize ExportPixelSize(const TExportExtent& e, int32_t scale);

// Largest export bitmap made, in pixels (4 bytes each).
inline constexpr int64_t kMaxExportPixels = int64_t{1} << 28;

// The export view of a window's view: the same scale and colours at offsets 0.
TRenderView ExportView(const TRenderView& windowView);

// Composes the export bitmap; a null image when it is too large to make.
QImage ComposeExportBitmap(const TSchModel& model, const TRenderView& windowView);
// The export picture handed out row by row: composed band by band into one reused buffer,
// each band by the whole composition clipped to its rows, so every pixel is the one the
// whole bitmap would hold while memory stays at one band whatever the picture's height.
// Bands are about bandBytes; no band edge cuts through a record the toolkit's painter draws,
// so a band grows to hold such a record whole (at worst to the whole picture).
// A source that is too large to export has Width() and Height() 0.
class TExportBands final : public TRowSource {
public:
    // Bytes of the band buffer by default.
    static constexpr int64_t kBandBytes = int64_t{8} << 20;

    TExportBands(const TSchModel& model, const TRenderView& windowView, int64_t bandBytes = kBandBytes);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Rows of the band buffer: the tallest band.
    int BandRows() const { return bandRows_; }
    // First row of each band, in order, starting with 0.
    const std::vector<int>& BandTops() const { return tops_; }
    bool Rows(bool bottomUp, const std::function<bool(int, const uint32_t*)>& fn) override;
    std::string Error() const override { return error_; }

private:
    const TSchModel& model_;
    TRenderView view_;
    int width_ = 0;
    int height_ = 0;
    int bandRows_ = 0;
    std::vector<int> tops_;
    QImage band_;
    std::string error_;
};

// Band tops for a picture of height rows in bands of about target rows (at least 1), with
// no edge inside a span: a cut at row c (between rows c - 1 and c) is allowed unless some
// span has Top < c <= Bottom. A band ends where a span starts, or else grows past its end.
std::vector<int> PlanBandTops(int height, int target, std::vector<TRowSpan> spans);

// Whether an export of this size can be made (the size check before any output).
bool ExportSizeFits(const TExportSize& size);

// Records the export picture as an enhanced metafile; empty when its size does not fit
// 32 bits. deviceWidth x deviceHeight is the reference screen.
std::string ComposeExportMetafile(const TSchModel& model, const TRenderView& windowView,
                                  int deviceWidth, int deviceHeight);

// The message for an export bitmap that cannot be made.
std::string BitmapTooLargeText(const TExportSize& size);
