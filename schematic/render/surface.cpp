#include "schematic/render/surface.h"

#include "schematic/render/view_scale.h"

TSchSurface::TSchSurface() : gridBmp_(MakeGridBmp(4, false)) {}

TSchSurface::~TSchSurface() = default;

void TSchSurface::Resize(int width, int height)
{
    windowCanvas_.reset();
    drawCanvas_.reset();
    drawBmp_ = NewBitmap(std::max(0, width), std::max(0, height));
    surface_ = NewBitmap(std::max(0, width), std::max(0, height));
}

void TSchSurface::RebuildGrid(int32_t scale, bool drawDots) { RebuildGridBmp(gridBmp_, scale, drawDots); }

TComposeResult TSchSurface::FullRedraw(const TSchModel& model, const TRenderView& view, const TShapeRec* hitShape,
                                       const TTextRec* hitText, const TCompRec* hitComp)
{
    if (!drawCanvas_)
        drawCanvas_ = std::make_unique<TImageCanvas>(drawBmp_);
    const TComposeResult r = DrawCirc(*drawCanvas_, model, view, &gridBmp_, hitShape, hitText, hitComp);
    BitmapRepaint();
    return r;
}

void TSchSurface::BitmapRepaint() { WindowCanvas().Draw(0, 0, drawBmp_); }

TImageCanvas& TSchSurface::WindowCanvas()
{
    if (!windowCanvas_)
        windowCanvas_ = std::make_unique<TImageCanvas>(surface_);
    return *windowCanvas_;
}
