#pragma once
// Block writers shared by the schematic and component text formats: a keyword line, then
// one value per line.
#include "schematic/core/lines.h"
#include "schematic/core/records.h"

#include <cstdint>
#include <string_view>

// keyword, Kind, X1, Y1, X2, Y2, Style.
void PutShapeBlock(TLines::Writer& w, const TShapeRec& s, std::string_view keyword);
// keyword, the text (without CR, LF or NUL, cut to 100 bytes), Font, X, Y.
void PutTextBlock(TLines::Writer& w, std::string_view keyword, std::string_view text, int32_t font, int32_t x,
                  int32_t y);
