#pragma once
// The schematic renderer: one record to pixels (shapes, free and component texts), the
// whole picture of a window, and the handle-box positions. It draws into any TCanvas, so
// the window, the export bitmap, the printer, the metafile and the previews share it; it
// never touches a widget. All parameters come from the caller: scale, offsets, colours.
#include "platform/canvas.h"
#include "schematic/core/records.h"

#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

// Radius of the arc construction: the width of the primary screen in pixels (1920 when no
// screen is known). Only the direction of the rays depends on it.
int32_t PrimaryScreenWidth();

// Quarter arcs: the window's construction by rays, or the picker's, which starts at the
// second point and ends at the first.
enum class TArcRule { Window, Picker };

// What a shape is drawn with besides the canvas's own pen colour and mode.
struct TShapeParams {
    int32_t Scale = 4;             // pixels per unit of the record: 1, 2, 4 or 8
    TColor FillColor = clNavy;     // brush of filled shapes and arrow heads
    int32_t ArcRadius = 1920;      // PrimaryScreenWidth() for the window
    // The picker's preview: a pixel origin added after scaling, its arc rule, arrow heads
    // before the shaft, and no sine waves.
    int32_t OriginX = 0;
    int32_t OriginY = 0;
    TArcRule ArcRule = TArcRule::Window;
    bool HeadsFirst = false;
    bool DrawSine = true;
};

// Draws one shape; (X, Y) lands on ((X + offX) * Scale + OriginX, (Y + offY) * Scale + OriginY). Sets the brush
// clear, the pen style and width from the Style word; leaves the pen colour and mode as the
// caller set them. A null shape, an unknown kind, or a shape whose pixels do not fit 32 bits
// draws nothing; only the part that can be seen costs time.
void DrawShape(TCanvas& canvas, const TShapeRec* shape, int64_t offX, int64_t offY,
               const TShapeParams& p);

// Records wholly outside the canvas are passed over before any drawing work (on by
// default). Off only to compare pictures against the full path.
void SetQuickReject(bool on);

// Point size of a text of size step n (0 counts as 1) at scale s: 2n+2, 3n+4, 6n+6, 12n+12
// at 1, 2, 4, 8; any other scale keeps `current`.
int TextPointSize(int32_t fontWord, int32_t scale, int current);
// Angle of a free text in degrees, taken modulo 360 (0..359).
int32_t TextAngle(int32_t fontWord);
// Font name of a text: "Symbol" when bits 0-3 are set, else "Times New Roman".
const char* TextFontName(int32_t fontWord);

// Writes text with the top-left of its cell at (x, y), in the canvas's font rotated
// counter-clockwise by angle degrees (an unsigned 16-bit number, taken modulo 360). The
// canvas's font is left as it was.
void AngleTextOut(TCanvas& canvas, int32_t angle, int32_t x, int32_t y, std::string_view text);

// The view a window shows.
struct TRenderView {
    int32_t Scale = 4;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    TColor LineColor = clNavy;
    TColor FillColor = clNavy;
    TColor TextColor = clBlack;
    TColor SelColor = clRed;
    int32_t ArcRadius = 1920;
    TShapeParams Shape() const { return {Scale, FillColor, ArcRadius}; }
};

// Pixel position of a free text's reference point; false when it does not fit 32 bits.
bool FreeTextPos(const TTextRec& t, int32_t scale, int32_t offsetX, int32_t offsetY, TPoint& out);
// The font a free text is drawn with at a scale (colour left black, escapement 0).
TFontSpec FreeTextFont(const TTextRec& t, int32_t scale);
// Unrotated width and cell height in pixels of a free text at a scale, from the font's metrics.
TSize FreeTextExtent(const TTextRec& t, int32_t scale);
// Pixel box covered by a free text as drawn in the view (the rotated cell's bounding box).
// Empty (all zero) when the position does not fit 32 bits.
TRect FreeTextPixelBox(const TTextRec& t, const TRenderView& view);

// Draws a free text by its rules: its font at view.Scale, colour SelColor when selected
// else TextColor, clear brush, rotated by its angle.
void DrawFreeText(TCanvas& canvas, const TTextRec& t, const TRenderView& view);
// Size step of a component text: bits 4-7 of its font word (the editor), or every bit from
// bit 4 up (the previews); 0 counts as 1 either way.
enum class TCompTextSteps { Nibble, AllBits };
// Larger point sizes are outside any drawing (only reachable by AllBits): such a text is
// skipped rather than set in a font of millions of pixels.
inline constexpr int64_t kMaxCompTextPoints = 1000;

// Draws a component text unrotated at half scale h = Scale div 2, with (cx, cy) the
// component's origin minus the view offsets in world units; keeps the canvas's font colour.
void DrawCompText(TCanvas& canvas, const TTextRec& t, int64_t cx, int64_t cy, int32_t halfScale,
                  TCompTextSteps steps = TCompTextSteps::Nibble);

// Draws one component whose origin is at (ox, oy) world units relative to the view: its
// shapes at halfScale with offsets 2*ox, 2*oy, then (when drawTexts) its texts.
// halfScale is the view's Scale div 2; nothing of the caller's view is changed.
void DrawComp(TCanvas& canvas, const TCompRec* comp, int64_t ox, int64_t oy, bool drawTexts,
              int32_t halfScale, TColor fillColor, int32_t arcRadius = 1920);

// Where the three handle boxes go: top-left corners, 6 by 6 pixels.
struct THandleBox {
    bool Visible = false;
    int32_t Left = 0;
    int32_t Top = 0;
    bool operator==(const THandleBox&) const = default;
};
struct THandleBoxes {
    THandleBox MoveBox;     // blue
    THandleBox ReszeBox1;   // red
    THandleBox ReszeBox2;   // red
    bool operator==(const THandleBoxes&) const = default;
};
// Handle boxes of the hit item (at most one of the three is used, shape first).
THandleBoxes HandleBoxesFor(const TShapeRec* hitShape, const TTextRec* hitText,
                            const TCompRec* hitComp, const TRenderView& view);

struct TComposeResult {
    int ShapeCount = 0;      // shapes plus components
    THandleBoxes Boxes;
};
// " Shape Count:  " followed by the count, for status panel 1.
// Pixel rows [Top, Bottom] that a record drawn by the toolkit's painter may touch (wide
// pens, dashed or dotted curves and arrow heads, rotated texts) for the view on a canvas of
// width x height, each record in its reach once. The painter's pixels depend on where a
// shape is clipped, so a picture made in bands cuts no band through these rows.
struct TRowSpan {
    int64_t Top = 0;
    int64_t Bottom = 0;
};
void PainterRowSpans(const TSchModel& model, const TRenderView& view, int64_t width, int64_t height,
                     std::vector<TRowSpan>& out);

std::string ShapeCountText(int count);

// Composes the whole picture: the grid tile repeated from (0, 0) when `background` is not
// null, the shapes, the components, the free texts, then the selection again in SelColor.
// Leaves the canvas's pen, brush and font as the last step set them.
TComposeResult DrawCirc(TCanvas& canvas, const TSchModel& model, const TRenderView& view,
                        const QImage* background, const TShapeRec* hitShape = nullptr,
                        const TTextRec* hitText = nullptr, const TCompRec* hitComp = nullptr);
