#include "schematic/core/sch_clip.h"

#include "schematic/core/sch_grammar.h"

#include <limits>

namespace {

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

// Items go in at the head of their lists, selected and displaced.
struct TPasteSink {
    TSchModel& M;
    int32_t D;
    TPasteResult& Res;
    const std::function<void()>& BeforeAdd;
    TCompRec* Comp_ = nullptr;

    void Adding()
    {
        if (Res.Added == 0 && BeforeAdd)
            BeforeAdd();
        ++Res.Added;
    }
    template <class S> void Shape(const S& src)
    {
        Adding();
        TShapeRec s;
        schtext::ShapeValues(src, s);
        s.X1 = Moved(s.X1, D);
        s.Y1 = Moved(s.Y1, D);
        if (s.Kind != 4) {   // a circle's second pair is its size
            s.X2 = Moved(s.X2, D);
            s.Y2 = Moved(s.Y2, D);
        }
        s.Selected = 1;
        M.ShapeList.push_front(s);
    }
    template <class S> void Comp(const S& src)
    {
        Adding();
        Comp_ = &M.CompList.emplace_front();
        Comp_->X = Moved(schtext::Num(src.Line(1)), D);
        Comp_->Y = Moved(schtext::Num(src.Line(2)), D);
        Comp_->Selected = 1;
    }
    template <class S> void CompShape(const S& src) { schtext::ShapeValues(src, Comp_->Shapes.emplace_back()); }
    template <class S> void CompText(const S& src) { schtext::TextValues(src, Comp_->Texts.emplace_back()); }
    template <class S> void Text(const S& src)
    {
        Adding();
        TTextRec& t = M.TextList.emplace_front();
        schtext::TextValues(src, t);
        t.X = Moved(t.X, 10 * static_cast<int64_t>(D));
        t.Y = Moved(t.Y, 10 * static_cast<int64_t>(D));
        t.Selected = 1;
    }
};

} // namespace

TPasteResult PasteText(const TLines& L, int32_t d, TSchModel& model, const std::function<void()>& beforeAdd,
                       bool takeComps)
{
    TPasteResult res;
    const std::size_t n = L.Count();
    if (n < 6 && (n == 0 || L[0] != schtext::kHeader)) {
        res.NoSchematic = true;
        return res;
    }
    std::size_t end = n;
    if (!takeComps) {
        // A reader that takes no components stops at the first one, texts after it included.
        schtext::TLinesCursor probe(L, 1);
        while (probe.Has(schtext::kShapeLines) && probe.Line(0) == schtext::kShape)
            probe.Advance(schtext::kShapeLines);
        if (probe.Has(schtext::kCompLines) && probe.Line(0) == schtext::kComp)
            end = probe.Pos();
    }
    TPasteSink sink{model, d, res, beforeAdd};
    schtext::TLinesCursor src(L, 1, end);
    schtext::WalkBody(src, sink, schtext::kCShape);
    return res;
}
