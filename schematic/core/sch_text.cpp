#include "schematic/core/sch_text.h"

#include "schematic/core/blocks.h"
#include "schematic/core/numconv.h"

#include <cstdio>

namespace {

constexpr std::string_view kHeader = "SCHEMATIC";
constexpr std::string_view kShape = "<SHAPE>";
constexpr std::string_view kCShape = "<CSHAPE>";
constexpr std::string_view kComp = "<COMPONENT>";
constexpr std::string_view kCText = "<CTEXT>";
constexpr std::string_view kText = "<TEXT>";

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

struct TCounters {
    int Shapes = 0;
    int Comps = 0;
    int Texts = 0;
};

inline int32_t Num(std::string_view line, int& errors)
{
    const TNumConv r = ConvertNumber(line);
    errors += !r.Ok;
    return r.Value;
}

void ReadShape(const TLines& L, std::size_t i, TShapeList& list, int& errors)
{
    TShapeRec& s = list.emplace_back();
    s.Kind = Num(L[i + 1], errors);
    s.X1 = Num(L[i + 2], errors);
    s.Y1 = Num(L[i + 3], errors);
    s.X2 = Num(L[i + 4], errors);
    s.Y2 = Num(L[i + 5], errors);
    s.Style = Num(L[i + 6], errors);
}

void ReadText(const TLines& L, std::size_t i, TTextList& list, int& errors)
{
    TTextRec& t = list.emplace_back();
    t.Text = StoredText(L[i + 1]);
    t.Font = Num(L[i + 2], errors);
    t.X = Num(L[i + 3], errors);
    t.Y = Num(L[i + 4], errors);
}

// Reads the blocks of one snapshot from line i (the line after its header) into m, or only
// walks them when m is null. A block is taken only when all of its lines are present.
// Returns the first line not read: the end, or the first line out of place.
std::size_t ReadBody(const TLines& L, std::size_t i, TSchModel* m, TCounters& errs)
{
    const std::size_t n = L.Count();
    while (i + 6 < n && L[i] == kShape) {
        if (m)
            ReadShape(L, i, m->ShapeList, errs.Shapes);
        i += 7;
    }
    while (i + 2 < n && L[i] == kComp) {
        TCompRec* c = nullptr;
        if (m) {
            c = &m->CompList.emplace_back();
            c->X = Num(L[i + 1], errs.Comps);
            c->Y = Num(L[i + 2], errs.Comps);
        }
        i += 3;
        while (i + 6 < n && L[i] == kShape) {
            if (c)
                ReadShape(L, i, c->Shapes, errs.Comps);
            i += 7;
        }
        while (i + 4 < n && L[i] == kCText) {
            if (c)
                ReadText(L, i, c->Texts, errs.Comps);
            i += 5;
        }
    }
    while (i + 4 < n && L[i] == kText) {
        if (m)
            ReadText(L, i, m->TextList, errs.Texts);
        i += 5;
    }
    return i;
}

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

TLoadReport DoLoad(const TLines& slot, int startLine, TSchModel& model)
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
    ReadBody(slot, static_cast<std::size_t>(startLine) + 1, &model, errs);
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
    ReadBody(slot, 1, &model, ignored);
    rep.Ok = true;
    return rep;
}

std::size_t SnapshotEnd(const TLines& text, std::size_t start)
{
    if (start >= text.Count())
        return text.Count();
    TCounters unused;
    return ReadBody(text, start + 1, nullptr, unused);
}

std::vector<std::size_t> SnapshotStarts(const TLines& text)
{
    std::vector<std::size_t> starts;
    const std::size_t n = text.Count();
    std::size_t i = 0;
    TCounters unused;
    while (i < n) {
        if (text[i] == kHeader) {
            starts.push_back(i);
            i = ReadBody(text, i + 1, nullptr, unused);
        } else {
            ++i;  // a line out of place: look for the next header
        }
    }
    return starts;
}
