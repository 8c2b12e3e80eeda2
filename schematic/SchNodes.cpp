// "Show Connection Nodes": each straight line's net number written at both of its ends on
// the window surface. The numbers are an overlay only; the next redraw wipes them.
#include "schematic/Schem_.h"
#include "schematic/core/nodes.h"
#include "schematic/core/sch_menus.h"

#include <string>
#include <vector>

void TSchWin::mnCheckNodesClick()
{
    // The numbers stand on a clean picture.
    ClearHits();
    SelectNone(Model);
    FullRedraw();

    std::vector<TNodeLine> lines = NodeLines(Model.ShapeList);
    if (lines.empty())
        return;
    NumberNets(lines);

    TImageCanvas& c = WindowCanvas();
    const TFontSpec oldFont = c.Font();
    const TBrush oldBrush = c.Brush();
    TFontSpec font;   // the window's face at 8 points
    font.Color = SelColor;
    c.SetFont(font);
    c.SetBrushStyle(TBrushStyle::Clear);
    const int64_t w = c.Width(), h = c.Height();
    for (const TNodeLine& l : lines) {
        const std::string text = std::to_string(l.Net);
        const TSize ext = TextExtentOf(font, text);
        const int32_t ends[2][2] = {{l.X1, l.Y1}, {l.X2, l.Y2}};
        for (const auto& e : ends) {
            int32_t px = 0, py = 0;
            // A number that does not fit, or would fall wholly outside the window, is skipped.
            if (!NodePixel(e[0], e[1], OffsetX, OffsetY, Scale, px, py))
                continue;
            if (px >= w || py >= h || int64_t{px} + ext.Width <= 0 || int64_t{py} + ext.Height <= 0)
                continue;
            c.TextOut(px, py, text);
        }
    }
    c.SetFont(oldFont);
    c.SetBrushColor(oldBrush.Color);
    c.SetBrushStyle(oldBrush.Style);
    UpdateWindow();
}
