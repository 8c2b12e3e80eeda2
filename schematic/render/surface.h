#pragma once
// The two images of a drawing window: DrawBmp, into which the full redraw composes the
// picture, and the window surface, which the window's paint handler only blits. Outlines
// that follow the mouse are drawn on the surface (XOR) through WindowCanvas(); either
// redraw wipes them.
#include "platform/canvas.h"
#include "schematic/render/render.h"

#include <QImage>

#include <memory>

// The part every drawing window shares.
class TDrawSurface {
public:
    TDrawSurface();
    virtual ~TDrawSurface();
    TDrawSurface(const TDrawSurface&) = delete;
    TDrawSurface& operator=(const TDrawSurface&) = delete;

    // Recreates DrawBmp and the surface at the client size (white).
    void Resize(int width, int height) { Resize(width, height, width, height); }
    // A surface of one size showing a DrawBmp of another at 0,0.
    void Resize(int width, int height, int bmpWidth, int bmpHeight);
    int Width() const { return drawBmp_.width(); }
    int Height() const { return drawBmp_.height(); }

    QImage& DrawBmp() { return drawBmp_; }
    const QImage& Surface() const { return surface_; }
    // The canvas the picture is composed on.
    TImageCanvas& DrawCanvas();
    // Bitmap repaint: copy DrawBmp to the surface again.
    void BitmapRepaint();
    // Draws directly on the window surface; valid until the next Resize. The window
    // schedules a paint after drawing with it.
    TImageCanvas& WindowCanvas();

private:
    QImage drawBmp_;
    QImage surface_;
    std::unique_ptr<TImageCanvas> drawCanvas_;
    std::unique_ptr<TImageCanvas> windowCanvas_;
};

// The schematic window's: a grid tile at the view scale and the schematic picture.
class TSchSurface : public TDrawSurface {
public:
    TSchSurface();

    QImage& GridBmp() { return gridBmp_; }
    // Fills the tile white and draws the grid lines when drawDots.
    void RebuildGrid(int32_t scale, bool drawDots);

    // Full redraw: compose into DrawBmp with the grid, then copy DrawBmp to the surface.
    TComposeResult FullRedraw(const TSchModel& model, const TRenderView& view,
                              const TShapeRec* hitShape = nullptr, const TTextRec* hitText = nullptr,
                              const TCompRec* hitComp = nullptr);

private:
    QImage gridBmp_;
};
