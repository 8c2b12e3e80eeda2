#include "components/core/comp_text.h"

#include "schematic/core/blocks.h"

const char* CompStopMessage(TCompStop stop)
{
    switch (stop) {
    case TCompStop::NoHeader: return "File is incorrect format!\rIncorrect header";
    case TCompStop::CutOff: return "File Error!";
    case TCompStop::BadNumber:
    case TCompStop::BadFont: return "Incorrect Integer value in file!";
    case TCompStop::OtherLine: return "File Error!";
    case TCompStop::Ok: break;
    }
    return "";
}

namespace {

void ReadModel(const TLines& lines, const TCompWalkOpts& o, TCompModel& m, TCompStop& stop)
{
    stop = WalkComp(
        lines, o, [&](const TShapeRec& s) { m.ShapeList.push_back(s); },
        [&](std::string_view text, int32_t font, int32_t x, int32_t y) {
            m.TextList.push_back(TCompTextRec{StoredText(text), static_cast<uint8_t>(font), x, y, 0});
        });
}

} // namespace

TCompStop ReadComp(const TLines& lines, TCompModel& model)
{
    model.Clear();
    TCompStop stop;
    ReadModel(lines, TCompWalkOpts{}, model, stop);
    if (stop != TCompStop::Ok)
        model.Clear();
    return stop;
}

bool ReadCompUndo(const TLines& lines, TCompModel& model)
{
    if (lines.Count() < 6)
        return false;
    model.Clear();
    TCompWalkOpts o;
    o.Header = false;
    o.Checks = false;
    TCompStop stop;
    ReadModel(lines, o, model, stop);
    return true;
}

TCompStop ReadCompInto(const TLines& lines, TCompRec& comp)
{
    comp.Shapes.clear();
    comp.Texts.clear();
    // Placing takes the Font word as the file gives it, as it always has.
    TCompWalkOpts o;
    o.FontRange = false;
    const TCompStop stop = WalkComp(
        lines, o, [&](const TShapeRec& s) { comp.Shapes.push_back(s); },
        [&](std::string_view text, int32_t font, int32_t x, int32_t y) {
            comp.Texts.push_back(TTextRec{StoredText(text), x, y, font, 0});
        });
    if (stop != TCompStop::Ok) {
        comp.Shapes.clear();
        comp.Texts.clear();
    }
    return stop;
}

bool WriteComp(const TCompModel& model, TLines& out)
{
    if (model.Empty())
        return false;
    out.Clear();
    const std::size_t lines = 1 + 7 * model.ShapeList.size() + 5 * model.TextList.size();
    out.Reserve(lines * 8, lines);
    TLines::Writer w(out);
    w.Keyword(kCompHeader);
    for (const TShapeRec& s : model.ShapeList)
        PutShapeBlock(w, s, kCompShape);
    for (const TCompTextRec& t : model.TextList)
        PutTextBlock(w, kCompText, t.Text, t.Font, t.X, t.Y);
    return true;
}

std::string_view PathFolder(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view PathFile(std::string_view path) { return path.substr(PathFolder(path).size()); }

std::string UpperFileName(std::string_view path)
{
    std::string out(path);
    for (std::size_t i = PathFolder(path).size(); i < out.size(); ++i)
        if (out[i] >= 'a' && out[i] <= 'z')
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
    return out;
}
