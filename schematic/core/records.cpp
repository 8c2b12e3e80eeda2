#include "schematic/core/records.h"

#include <algorithm>

std::string StoredText(std::string_view s)
{
    std::string out;
    out.reserve(std::min(s.size(), MaxTextLen));
    for (char c : s) {
        if (out.size() >= MaxTextLen)
            break;
        if (c == '\r' || c == '\n' || c == '\0')
            continue;
        out.push_back(c);
    }
    return out;
}

void TSchModel::EraseMem()
{
    for (TCompRec& c : CompList) {
        c.Shapes.clear();
        c.Texts.clear();
    }
    CompList.clear();
    ShapeList.clear();
    TextList.clear();
}
