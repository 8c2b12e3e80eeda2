#pragma once
// What follows the mouse while items are moved (the right-button move and the handle
// drags), drawn straight on the window: shapes and component bodies with the canvas's
// current pen (the exclusive-or pen of the gesture), texts in the selection colour.
#include "platform/canvas.h"
#include "schematic/core/records.h"
#include "schematic/render/render.h"

#include <cstdint>

// A shape displaced by (dx, dy) units, with its own width, line style and fill; the
// canvas's pen colour and mode stay, its width and style are put back afterwards.
void OutlineShape(TCanvas& c, const TShapeRec& s, const TRenderView& v, int64_t dx, int64_t dy);
// A component's shapes (not its texts) with its origin displaced by (dx, dy) units.
void OutlineComp(TCanvas& c, const TCompRec& comp, const TRenderView& v, int64_t dx, int64_t dy);
// A free text displaced by (dx, dy) tenths, in its font and angle, in SelColor, drawn
// normally (not exclusive-or).
void PreviewText(TCanvas& c, const TTextRec& t, const TRenderView& v, int64_t dx, int64_t dy);
