// The walker of comp_text.h; included there only.
#include "schematic/core/numconv.h"

inline constexpr std::string_view kCompHeader = "COMPONENT";
inline constexpr std::string_view kCompShape = "<SHAPE>";
inline constexpr std::string_view kCompText = "<TEXT>";

template <class ShapeFn, class TextFn>
TCompStop WalkComp(const TLines& L, const TCompWalkOpts& o, ShapeFn&& shape, TextFn&& text)
{
    const std::size_t n = L.Count();
    if (o.Header && (n == 0 || L[0] != kCompHeader))
        return TCompStop::NoHeader;
    bool bad = false;
    auto num = [&](std::size_t line) {
        const TNumConv c = ConvertNumber(L[line]);
        bad = bad || !c.Ok;
        return c.Value;
    };
    std::size_t i = 1;
    while (i < n && L[i] != kCompText) {
        if (L[i] != kCompShape) {
            if (o.Strict)
                return TCompStop::OtherLine;
            break;
        }
        if (i + 6 >= n) {
            if (o.Checks)
                return TCompStop::CutOff;
            return TCompStop::Ok;
        }
        TShapeRec s;
        s.Kind = num(i + 1);
        s.X1 = num(i + 2);
        s.Y1 = num(i + 3);
        s.X2 = num(i + 4);
        s.Y2 = num(i + 5);
        s.Style = num(i + 6);
        if (bad && o.Checks)
            return TCompStop::BadNumber;
        shape(s);
        i += 7;
    }
    while (i < n) {
        if (L[i] != kCompText)
            return o.Strict ? TCompStop::OtherLine : TCompStop::Ok;
        if (i + 4 >= n)
            return o.Checks ? TCompStop::CutOff : TCompStop::Ok;
        const int32_t font = num(i + 2);
        const int32_t x = num(i + 3);
        const int32_t y = num(i + 4);
        if (bad && o.Checks)
            return TCompStop::BadNumber;
        if (o.FontRange && o.Checks && (font < 0 || font > 255))
            return TCompStop::BadFont;
        text(L[i + 1], font, x, y);
        i += 5;
    }
    return TCompStop::Ok;
}
