#include "components/core/comp_modify.h"

#include "components/core/comp_edit.h"
#include "schematic/core/edits.h"
#include "schematic/core/sch_clip.h"
#include "schematic/core/sch_text.h"

#include <cctype>
#include <cmath>
#include <iterator>
#include <numbers>
#include <vector>

namespace comp {

namespace {

using world::Clamp32;
using world::Fits32;

// Round half to even, and whether the result fits a stored value.
bool Rounded(double v, int32_t& out)
{
    const double r = std::nearbyint(v);
    if (!std::isfinite(r) || r < static_cast<double>(INT32_MIN) || r > static_cast<double>(INT32_MAX))
        return false;
    out = static_cast<int32_t>(r);
    return true;
}

// A plain decimal number: sign, digits with one optional point, optional exponent. No
// "inf", "nan" or hexadecimal, no other characters.
bool StrictNumber(std::string_view s, double& out)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t exp = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++exp;
        if (exp == 0)
            return false;
    }
    if (i != s.size())
        return false;
    out = std::strtod(std::string(s).c_str(), nullptr);
    return std::isfinite(out);
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

void TurnSelected(TCompModel& m, int tag)
{
    for (TShapeRec& s : m.ShapeList) {
        if (s.Selected != 1)
            continue;
        edits::TurnPoint(tag, s.X1, s.Y1);
        edits::TurnPoint(tag, s.X2, s.Y2);
        if (s.Kind == 5 && (tag == 1 || tag == 2)) {
            std::swap(s.X1, s.X2);
            std::swap(s.Y1, s.Y2);
        }
    }
    for (TCompTextRec& t : m.TextList)
        if (t.Selected == 1)
            edits::TurnPoint(tag, t.X, t.Y);
}

void DeleteSelected(TCompModel& m)
{
    m.ShapeList.remove_if([](const TShapeRec& s) { return s.Selected > 0; });
    m.TextList.remove_if([](const TCompTextRec& t) { return t.Selected > 0; });
}

void DuplicateSelected(TCompModel& m)
{
    // Only the items that were there before: the copies are appended to the same lists.
    const std::size_t shapes = m.ShapeList.size();
    auto s = m.ShapeList.begin();
    for (std::size_t i = 0; i < shapes; ++i, ++s) {
        if (s->Selected <= 0)
            continue;
        s->Selected = 0;
        TShapeRec c = *s;
        c.X1 = Clamp32(int64_t{c.X1} + 8);
        c.Y1 = Clamp32(int64_t{c.Y1} + 8);
        if (c.Kind != 4) {
            c.X2 = Clamp32(int64_t{c.X2} + 8);
            c.Y2 = Clamp32(int64_t{c.Y2} + 8);
        }
        c.Selected = 1;
        m.ShapeList.push_back(c);
    }
    const std::size_t texts = m.TextList.size();
    auto t = m.TextList.begin();
    for (std::size_t i = 0; i < texts; ++i, ++t) {
        if (t->Selected <= 0)
            continue;
        t->Selected = 0;
        TCompTextRec c = *t;
        MoveText(c, 80, 80);
        c.Selected = 1;
        m.TextList.push_back(std::move(c));
    }
}

void MoveAll(TCompModel& m, int direction)
{
    int64_t dx = 0, dy = 0;
    if (!edits::StepOf(direction, dx, dy))
        return;
    for (TShapeRec& s : m.ShapeList)
        edits::MoveShape(s, dx, dy);
    for (TCompTextRec& t : m.TextList)
        MoveText(t, dx * 10, dy * 10);
}

TScale ParseScale(std::string_view a)
{
    TScale s;
    if (!a.empty() && a.front() == '/') {
        s.Divide = true;
        a.remove_prefix(1);
    }
    if (!a.empty() && a.front() == 'x')
        a.remove_prefix(1);
    if (!a.empty() && a.front() == '*')
        a.remove_prefix(1);
    s.Rest = std::string(a);
    double f = 0;
    // A factor of 0 would flatten the drawing (multiplying) or divide by zero.
    s.Ok = !a.empty() && StrictNumber(Trimmed(a), f) && f != 0;
    s.Factor = f;
    return s;
}

std::string ScaleError(const TScale& s) { return "Error in Scale value: " + s.Rest; }

bool Rescale(TCompModel& m, const TScale& sc)
{
    if (!sc.Ok)
        return false;
    // Every result first: a refused rescale changes nothing.
    std::vector<int32_t> out;
    out.reserve(m.ShapeList.size() * 4);
    for (const TShapeRec& s : m.ShapeList)
        for (int32_t v : {s.X1, s.Y1, s.X2, s.Y2}) {
            const double r = sc.Divide ? static_cast<double>(v) / sc.Factor : static_cast<double>(v) * sc.Factor;
            int32_t n = 0;
            if (!Rounded(r, n))
                return false;
            out.push_back(n);
        }
    auto it = out.begin();
    for (TShapeRec& s : m.ShapeList) {
        s.X1 = *it++;
        s.Y1 = *it++;
        s.X2 = *it++;
        s.Y2 = *it++;
    }
    return true;
}

bool RotateLines(TCompModel& m, int32_t degrees)
{
    const double a = static_cast<double>(degrees) * std::numbers::pi / 180.0;
    std::vector<int32_t> out;
    for (const TShapeRec& s : m.ShapeList) {
        if (s.Kind != 1)
            continue;
        for (auto [x, y] : {std::pair{s.X1, s.Y1}, std::pair{s.X2, s.Y2}}) {
            const double dx = x, dy = y;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double b = std::atan2(dy, dx);
            int32_t nx = 0, ny = 0;
            if (!Rounded(r * std::cos(a + b), nx) || !Rounded(r * std::sin(a + b), ny))
                return false;
            out.push_back(nx);
            out.push_back(ny);
        }
    }
    auto it = out.begin();
    for (TShapeRec& s : m.ShapeList) {
        if (s.Kind != 1)
            continue;
        s.X1 = *it++;
        s.Y1 = *it++;
        s.X2 = *it++;
        s.Y2 = *it++;
    }
    return true;
}

TCompMenus MenuState(const TCompModel& m, std::size_t undoLines, bool clipboardHasText, bool hitText)
{
    TCompMenus s;
    s.Undo = undoLines > 5;
    s.Paste = clipboardHasText;
    bool anySel = false, shapeSel = false, arrowSel = false;
    for (const TShapeRec& r : m.ShapeList)
        if (r.Selected > 0) {
            anySel = shapeSel = true;
            arrowSel = arrowSel || r.Kind == 11;
        }
    for (const TCompTextRec& t : m.TextList)
        anySel = anySel || t.Selected > 0;
    if (!m.Empty()) {
        s.SelAll = true;
        s.Copy = s.Delete = s.Dup = s.Flip = s.Rotate = anySel;
    }
    if (!m.ShapeList.empty()) {
        s.Rescale = true;
        s.PenSze = s.PenType = s.Fill = shapeSel;
        s.Arrow = arrowSel;
    }
    s.AlterText = hitText;
    return s;
}

std::optional<int32_t> FirstSelectedField(const TCompModel& m, int32_t mask, bool arrowsOnly)
{
    int shift = 0;
    while (shift < 16 && ((mask >> shift) & 1) == 0)
        ++shift;
    for (const TShapeRec& s : m.ShapeList)
        if (s.Selected > 0 && (!arrowsOnly || s.Kind == 11)) {
            const int32_t v = (s.Style & mask) >> shift;
            return v == 0 ? 1 : v;
        }
    return std::nullopt;
}

std::string CopyText(const TCompModel& m)
{
    TSchModel sel;
    for (const TShapeRec& s : m.ShapeList)
        if (s.Selected > 0)
            sel.ShapeList.push_back(s);
    for (const TCompTextRec& t : m.TextList)
        if (t.Selected > 0)
            sel.TextList.push_back(TTextRec{t.Text, t.X, t.Y, t.Font, 1});
    TLines lines;
    WriteClipboard(sel, lines);
    if (lines.Count() < 4)
        return {};
    return lines.Text();
}

uint8_t PastedFont(int32_t font) { return static_cast<uint8_t>(font & 0xFF); }

int PasteText(const TLines& lines, TCompModel& m, const std::function<void()>& beforeAdd)
{
    TSchModel got;
    const TPasteResult r = ::PasteText(lines, 8, got, beforeAdd, false);
    if (r.NoSchematic)
        return -1;
    // Each came in at the head of its list, as here.
    m.ShapeList.splice(m.ShapeList.begin(), got.ShapeList);
    TCompTextList texts;
    for (TTextRec& t : got.TextList)
        texts.push_back(TCompTextRec{std::move(t.Text), PastedFont(t.Font), t.X, t.Y, 1});
    m.TextList.splice(m.TextList.begin(), texts);
    return r.Added;
}

} // namespace comp
