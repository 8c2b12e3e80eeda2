#pragma once
// The two images of a drawing window: DrawBmp, into which the full redraw composes the
// picture, and the window surface, which the window's paint handler only blits. Outlines
// that follow the mouse are drawn on the surface (XOR) through WindowCanvas(); either
// redraw wipes them.
#include "platform/canvas.h"
#include "schematic/render/render.h"

#include <QImage>

#include <memory>

class TSchSurface {
public:
    TSchSurface();
    ~TSchSurface();
    TSchSurface(const TSchSurface&) = delete;
    TSchSurface& operator=(const TSchSurface&) = delete;

    // Recreates DrawBmp and the surface at the client size (white).
    void Resize(int width, int height);
    int Width() const { return drawBmp_.width(); }
    int Height() const { return drawBmp_.height(); }

    QImage& DrawBmp() { return drawBmp_; }
    const QImage& Surface() const { return surface_; }
    QImage& GridBmp() { return gridBmp_; }
    // Fills the tile white and draws the grid lines when drawDots.
    void RebuildGrid(int32_t scale, bool drawDots);

    // Full redraw: compose into DrawBmp with the grid, then copy DrawBmp to the surface.
    TComposeResult FullRedraw(const TSchModel& model, const TRenderView& view,
                              const TShapeRec* hitShape = nullptr, const TTextRec* hitText = nullptr,
                              const TCompRec* hitComp = nullptr);
    // Bitmap repaint: copy DrawBmp to the surface again.
    void BitmapRepaint();
    // Draws directly on the window surface; valid until the next Resize. The window
    // schedules a paint after drawing with it.
    TImageCanvas& WindowCanvas();

private:
    QImage drawBmp_;
    QImage surface_;
    QImage gridBmp_;
    std::unique_ptr<TImageCanvas> drawCanvas_;
    std::unique_ptr<TImageCanvas> windowCanvas_;
};
