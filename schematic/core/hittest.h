#pragma once
// Hit tests of single records and the rubber-band enclosure rules. Plain arithmetic on
// the records' own units; every product and sum runs in 64 bits (or doubles for squares),
// so values from files cannot wrap.
#include <cstdint>
#include <string>

#include "schematic/core/records.h"

// The component window tests ellipses and arcs by their box alone, never hits a sine
// wave, and writes its notes without the leading blanks.
enum class THitRules { Schematic, Component };

// Whether (X, Y), in the shape's own units, hits the shape. On a hit `readout` (when
// given) receives the coordinate note for status panel 2; otherwise it is untouched.
bool ChkShape(const TShapeRec& Shape, int64_t X, int64_t Y, std::string* readout = nullptr,
              THitRules rules = THitRules::Schematic);

// World-unit band with lo < hi per axis sorted by the caller; a point is inside when it
// lies strictly between on both axes.
struct TBand {
    int64_t LoX = 0, LoY = 0, HiX = 0, HiY = 0;
    bool Inside(int64_t x, int64_t y) const { return LoX < x && x < HiX && LoY < y && y < HiY; }
};

// The band from two corners (any order).
TBand MakeBand(int64_t x1, int64_t y1, int64_t x2, int64_t y2);

// Rubber-band rule for a free shape (world units).
bool ShapeInBand(const TShapeRec& s, const TBand& band);

// Rubber-band rule for a free text: its anchor in tenths against the band times ten.
bool TextInBand(const TTextRec& t, const TBand& band);

// Box of a free text in tenths, from its pixel extent at `scale`.
struct TTextBox {
    int64_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    // (wx, wy) in world units.
    bool Hit(int64_t wx, int64_t wy) const
    {
        return Left <= wx * 10 && wx * 10 < Right && Top <= wy * 10 && wy * 10 < Bottom;
    }
};
TTextBox TextHitBox(const TTextRec& t, int32_t pixelWidth, int32_t pixelHeight, int32_t scale);

// Point size of a free text's font at a view scale (2, 4, 8); other scales give 0.
int32_t FreeTextPointSize(int32_t font, int32_t scale);
