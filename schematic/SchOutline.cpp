#include "schematic/SchOutline.h"

#include "schematic/core/edits.h"

void OutlineShape(TCanvas& c, const TShapeRec& s, const TRenderView& v, int64_t dx, int64_t dy)
{
    const TPen pen = c.Pen();
    DrawShape(c, &s, dx - v.OffsetX, dy - v.OffsetY, v.Shape());
    c.Pen() = pen;
    c.SetBrushStyle(TBrushStyle::Clear);
}

void OutlineComp(TCanvas& c, const TCompRec& comp, const TRenderView& v, int64_t dx, int64_t dy)
{
    const TPen pen = c.Pen();
    DrawComp(c, &comp, int64_t{comp.X} + dx - v.OffsetX, int64_t{comp.Y} + dy - v.OffsetY, false, v.Scale / 2,
             v.FillColor, v.ArcRadius);
    c.Pen() = pen;
    c.SetBrushStyle(TBrushStyle::Clear);
}

void PreviewText(TCanvas& c, const TTextRec& t, const TRenderView& v, int64_t dx, int64_t dy)
{
    TTextRec moved = t;
    edits::MoveText(moved, dx, dy);
    moved.Selected = 1;   // drawn in the selection colour
    DrawFreeText(c, moved, v);
}
