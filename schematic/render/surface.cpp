#include "schematic/render/surface.h"

#include "schematic/render/view_scale.h"

TDrawSurface::TDrawSurface() = default;

TDrawSurface::~TDrawSurface() = default;

void TDrawSurface::Resize(int width, int height, int bmpWidth, int bmpHeight)
{
    windowCanvas_.reset();
    drawCanvas_.reset();
    drawBmp_ = NewBitmap(std::max(0, bmpWidth), std::max(0, bmpHeight));
    surface_ = NewBitmap(std::max(0, width), std::max(0, height));
}

TImageCanvas& TDrawSurface::DrawCanvas()
{
    if (!drawCanvas_)
        drawCanvas_ = std::make_unique<TImageCanvas>(drawBmp_);
    return *drawCanvas_;
}

void TDrawSurface::BitmapRepaint() { WindowCanvas().Draw(0, 0, drawBmp_); }

TImageCanvas& TDrawSurface::WindowCanvas()
{
    if (!windowCanvas_)
        windowCanvas_ = std::make_unique<TImageCanvas>(surface_);
    return *windowCanvas_;
}

TSchSurface::TSchSurface() : gridBmp_(MakeGridBmp(4, false)) {}

void TSchSurface::RebuildGrid(int32_t scale, bool drawDots) { RebuildGridBmp(gridBmp_, scale, drawDots); }

TComposeResult TSchSurface::FullRedraw(const TSchModel& model, const TRenderView& view, const TShapeRec* hitShape,
                                       const TTextRec* hitText, const TCompRec* hitComp)
{
    const TComposeResult r = DrawCirc(DrawCanvas(), model, view, &gridBmp_, hitShape, hitText, hitComp);
    BitmapRepaint();
    return r;
}
