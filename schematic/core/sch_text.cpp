#include "schematic/core/sch_text.h"

#include "schematic/core/blocks.h"
#include "schematic/core/sch_grammar.h"

#include <cstdio>

namespace {

using schtext::kComp;
using schtext::kCShape;
using schtext::kCText;
using schtext::kHeader;
using schtext::kShape;
using schtext::kText;

// ---- writer ----

using TWriter = TLines::Writer;

void PutText(TWriter& w, const TTextRec& t, std::string_view keyword)
{
    PutTextBlock(w, keyword, t.Text, t.Font, t.X, t.Y);
}

void PutComp(TWriter& w, const TCompRec& c, std::string_view shapeKeyword)
{
    w.Keyword(kComp);
    w.Number(c.X);
    w.Number(c.Y);
    for (const TShapeRec& s : c.Shapes)
        PutShapeBlock(w, s, shapeKeyword);
    for (const TTextRec& t : c.Texts)
        PutText(w, t, kCText);
}

void ReserveFor(TLines& out, const TSchModel& m)
{
    std::size_t lines = 1 + 7 * m.ShapeList.size() + 5 * m.TextList.size();
    for (const TCompRec& c : m.CompList)
        lines += 3 + 7 * c.Shapes.size() + 5 * c.Texts.size();
    out.Reserve(lines * 8, lines);  // over-reserving costs nothing until written
}

// ---- reader ----

using namespace schtext;

struct TCounters {
    int Shapes = 0;
    int Comps = 0;
    int Texts = 0;
};

// The model reader: every block becomes a record; failed numbers are counted by section.
struct TModelSink {
    TSchModel& M;
    TCounters& Errs;
    TCompRec* Comp_ = nullptr;

    template <class S> void Shape(const S& src) { ShapeValues(src, M.ShapeList.emplace_back(), Errs.Shapes); }
    template <class S> void Comp(const S& src)
    {
        Comp_ = &M.CompList.emplace_back();
        int32_t v[2];
        NumbersAt(src, 1, v, Errs.Comps);
        Comp_->X = v[0];
        Comp_->Y = v[1];
    }
    template <class S> void CompShape(const S& src) { ShapeValues(src, Comp_->Shapes.emplace_back(), Errs.Comps); }
    template <class S> void CompText(const S& src) { TextValues(src, Comp_->Texts.emplace_back(), Errs.Comps); }
    template <class S> void Text(const S& src) { TextValues(src, M.TextList.emplace_back(), Errs.Texts); }
};

void AddCount(std::string& msg, int count, const char* what)
{
    if (count <= 0)
        return;
    char buf[96];
    std::snprintf(buf, sizeof buf, "\r%5d %s in the file had errors!", count, what);
    msg += buf;
}

} // namespace

void PutShapeBlock(TLines::Writer& w, const TShapeRec& s, std::string_view keyword)
{
    w.Keyword(keyword);
    w.Number(s.Kind);
    w.Number(s.X1);
    w.Number(s.Y1);
    w.Number(s.X2);
    w.Number(s.Y2);
    w.Number(s.Style);
}

void PutTextBlock(TLines::Writer& w, std::string_view keyword, std::string_view text, int32_t font, int32_t x,
                  int32_t y)
{
    w.Keyword(keyword);
    // Line drops CR, LF and NUL; a text that is too long is cut as when it is stored.
    if (text.size() <= MaxTextLen)
        w.Line(text);
    else
        w.Line(StoredText(text));
    w.Number(font);
    w.Number(x);
    w.Number(y);
}

void WriteSnapshot(const TSchModel& model, TLines& out)
{
    out.Clear();
    if (model.Empty())
        return;
    ReserveFor(out, model);
    TWriter w(out);
    w.Keyword(kHeader);
    for (const TShapeRec& s : model.ShapeList)
        PutShapeBlock(w, s, kShape);
    for (const TCompRec& c : model.CompList)
        PutComp(w, c, kShape);
    for (const TTextRec& t : model.TextList)
        PutText(w, t, kText);
}

void WriteClipboard(const TSchModel& model, TLines& out)
{
    out.Clear();
    TWriter w(out);
    w.Keyword(kHeader);
    for (const TShapeRec& s : model.ShapeList)
        if (s.Selected > 0)
            PutShapeBlock(w, s, kShape);
    for (const TCompRec& c : model.CompList)
        if (c.Selected > 0)
            PutComp(w, c, kCShape);
    for (const TTextRec& t : model.TextList)
        if (t.Selected > 0)
            PutText(w, t, kText);
}

namespace {
schtext::TTextCursor MakeCursor(const TLines& lines, std::size_t from, bool) { return schtext::TTextCursor(lines, from); }
schtext::TTextCursor MakeCursor(TLines& lines, std::size_t from, bool dropBehind)
{
    return schtext::TTextCursor(lines, from, dropBehind);
}
} // namespace

namespace {
template <class Slot>
TLoadReport LoadSnapshot(Slot& slot, int startLine, TSchModel& model, bool dropBehind)
{
    TLoadReport rep;
    model.EraseMem();
    if (slot.Count() < 6) {
        rep.PanelText = "No Data in Shape file!";
        rep.Message = "Error in Shape File!\rNo data in the Schematic File!";
        return rep;
    }
    if (slot[0] != kHeader) {
        rep.PanelText = "Error in Shape File!";
        rep.Message = "Error in Shape File!\rThis is NOT a Schematic File!";
        return rep;
    }
    rep.Ok = true;
    if (startLine < -1)
        return rep;  // no such line: nothing to read
    TCounters errs;
    schtext::TTextCursor src = MakeCursor(slot, static_cast<std::size_t>(startLine) + 1, dropBehind);
    TModelSink sink{model, errs};
    schtext::WalkBody(src, sink);
    rep.ShapeErrors = errs.Shapes;
    rep.CompErrors = errs.Comps;
    rep.TextErrors = errs.Texts;
    if (errs.Shapes > 0 || errs.Comps > 0 || errs.Texts > 0) {
        rep.Message = "FILE LOAD ERROR ...\r";
        AddCount(rep.Message, errs.Shapes, "Shapes");
        AddCount(rep.Message, errs.Comps, "Components");
        AddCount(rep.Message, errs.Texts, "Texts");
        rep.Message += '\r';
    }
    return rep;
}
} // namespace

TLoadReport DoLoad(const TLines& slot, int startLine, TSchModel& model)
{
    return LoadSnapshot(slot, startLine, model, false);
}

TLoadReport DoLoadTaking(TLines&& slot, int startLine, TSchModel& model)
{
    TLines text(std::move(slot));
    TLoadReport rep = LoadSnapshot(text, startLine, model, true);
    text.Clear();
    return rep;
}

TLoadReport DoUndo(const TLines& slot, TSchModel& model)
{
    TLoadReport rep;
    if (slot.Count() < 6) {
        rep.PanelText = "No Data in stored Undo list!";
        return rep;
    }
    if (slot[0] != kHeader) {
        rep.PanelText = "Error in stored Undo!";
        rep.Message = "Error in stored stored Undo list!\rUndo list is corrupted!";
        return rep;
    }
    model.EraseMem();
    TCounters ignored;
    schtext::TTextCursor src(slot, 1);
    TModelSink sink{model, ignored};
    schtext::WalkBody(src, sink);
    rep.Ok = true;
    return rep;
}

std::size_t SnapshotEnd(const TLines& text, std::size_t start)
{
    if (start >= text.Count())
        return text.Count();
    schtext::TNullSink walk;
    schtext::TTextCursor src(text, start + 1);
    schtext::WalkBody(src, walk);
    return src.Pos();
}

std::vector<std::size_t> SnapshotStarts(const TLines& text)
{
    std::vector<std::size_t> starts;
    const std::size_t n = text.Count();
    std::size_t i = 0;
    schtext::TNullSink walk;
    while (i < n) {
        if (text[i] == kHeader) {
            starts.push_back(i);
            schtext::TTextCursor src(text, i + 1);
            schtext::WalkBody(src, walk);
            i = src.Pos();
        } else {
            ++i;  // a line out of place: look for the next header
        }
    }
    return starts;
}
