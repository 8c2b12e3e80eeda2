#include "schematic/core/sch_clip.h"

#include "schematic/core/numconv.h"

#include <limits>

namespace {

int32_t Num(std::string_view line) { return ConvertNumber(line).Value; }

// Pasted positions move by d; a value at the edge of the range stays at the edge.
int32_t Moved(int32_t v, int64_t d)
{
    const int64_t r = static_cast<int64_t>(v) + d;
    if (r > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

} // namespace

TPasteResult PasteText(const TLines& L, int32_t d, TSchModel& model, const std::function<void()>& beforeAdd,
                       bool takeComps)
{
    TPasteResult res;
    const std::size_t n = L.Count();
    if (n < 6 && (n == 0 || L[0] != "SCHEMATIC")) {
        res.NoSchematic = true;
        return res;
    }
    bool first = true;
    auto adding = [&] {
        if (first && beforeAdd)
            beforeAdd();
        first = false;
        ++res.Added;
    };

    std::size_t i = 1;
    while (i < n && L[i] == "<SHAPE>" && i + 6 < n) {
        adding();
        TShapeRec s;
        s.Kind = Num(L[i + 1]);
        s.X1 = Moved(Num(L[i + 2]), d);
        s.Y1 = Moved(Num(L[i + 3]), d);
        s.X2 = Num(L[i + 4]);
        s.Y2 = Num(L[i + 5]);
        if (s.Kind != 4) {
            s.X2 = Moved(s.X2, d);
            s.Y2 = Moved(s.Y2, d);
        }
        s.Style = Num(L[i + 6]);
        s.Selected = 1;
        model.ShapeList.push_front(s);
        i += 7;
    }
    while (takeComps && i < n && L[i] == "<COMPONENT>" && i + 2 < n) {
        adding();
        TCompRec c;
        c.X = Moved(Num(L[i + 1]), d);
        c.Y = Moved(Num(L[i + 2]), d);
        c.Selected = 1;
        i += 3;
        while (i < n && L[i] == "<CSHAPE>" && i + 6 < n) {
            TShapeRec s;
            s.Kind = Num(L[i + 1]);
            s.X1 = Num(L[i + 2]);
            s.Y1 = Num(L[i + 3]);
            s.X2 = Num(L[i + 4]);
            s.Y2 = Num(L[i + 5]);
            s.Style = Num(L[i + 6]);
            c.Shapes.push_back(s);
            i += 7;
        }
        while (i < n && L[i] == "<CTEXT>" && i + 4 < n) {
            TTextRec t;
            t.Text = StoredText(L[i + 1]);
            t.Font = Num(L[i + 2]);
            t.X = Num(L[i + 3]);
            t.Y = Num(L[i + 4]);
            c.Texts.push_back(std::move(t));
            i += 5;
        }
        model.CompList.push_front(std::move(c));
    }
    while (i < n && L[i] == "<TEXT>" && i + 4 < n) {
        adding();
        TTextRec t;
        t.Text = StoredText(L[i + 1]);
        t.Font = Num(L[i + 2]);
        t.X = Moved(Num(L[i + 3]), 10 * static_cast<int64_t>(d));
        t.Y = Moved(Num(L[i + 4]), 10 * static_cast<int64_t>(d));
        t.Selected = 1;
        model.TextList.push_front(std::move(t));
        i += 5;
    }
    return res;
}
