#pragma once
// The exported picture: the drawing from world (0, 0) to its largest coordinate, at the
// window's scale, without grid and selection, composed with a view of its own so the
// window's offsets are never touched.
#include "platform/canvas.h"
#include "schematic/core/records.h"
#include "schematic/render/render.h"

#include <QImage>

#include <cstdint>
#include <string>

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
// Records the export picture as an enhanced metafile; empty when its size does not fit
// 32 bits. deviceWidth x deviceHeight is the reference screen.
std::string ComposeExportMetafile(const TSchModel& model, const TRenderView& windowView,
                                  int deviceWidth, int deviceHeight);

// The message for an export bitmap that cannot be made.
std::string BitmapTooLargeText(const TExportSize& size);
