#pragma once
// A component drawing from lists of records.
#include "components/core/comp_text.h"

#include <initializer_list>

inline TCompModel With(std::initializer_list<TShapeRec> shapes, std::initializer_list<TCompTextRec> texts = {})
{
    TCompModel m;
    m.ShapeList.assign(shapes);
    m.TextList.assign(texts);
    return m;
}
