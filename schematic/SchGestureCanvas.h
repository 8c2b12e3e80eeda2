#pragma once
// The overlay half of a gesture host over a real canvas (the window surface): outlines,
// crosshairs and the component ghost go through the canvas in its current pen mode, text
// boxes come from the fonts' real metrics.
#include <map>
#include <utility>

#include "platform/canvas.h"
#include "schematic/SchGestures.h"

// The outline pen over a canvas.
class TCanvasOutline : public virtual TOutlinePen {
public:
    // The surface outlines are drawn on.
    virtual TCanvas& OverlayCanvas() = 0;
    // Called after each overlay drawing call (the window schedules a paint).
    virtual void OverlayChanged() {}

    void OvXorMode(bool xorMode) override;
    void OvPenColor(uint32_t bbggrr) override;
    void OvPenDotted(bool dotted) override;
    void OvLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void OvPolyline(const TPointList& pts) override;
    void OvRectangle(int32_t l, int32_t t, int32_t r, int32_t b) override;
    void OvEllipse(int32_t l, int32_t t, int32_t r, int32_t b) override;
    void OvArc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t sx, int32_t sy, int32_t ex, int32_t ey) override;
};

class TCanvasGestureHost : public TSchGestureHost, public TCanvasOutline {
public:
    virtual TColor FillColor() const = 0;

    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;
    void OvCompShapes(const TCompRec& comp, int32_t ox, int32_t oy) override;
    void TextExtent(const TTextRec& t, int32_t scale, int32_t& w, int32_t& h) override;
    int32_t TextReach(const TTextRec& t, int32_t scale) override;

private:
    // Widest glyph and cell height per font (symbol flag, points).
    std::map<std::pair<bool, int>, std::pair<int32_t, int32_t>> fontBounds_;
};
