#pragma once
// The grammar of one snapshot of the schematic text, walked once from top to bottom and fed
// to a sink: the model reader, the clipboard reader, the header finder (which only walks)
// and the previews (which draw each block as it is read). Keeping one walk for all of them
// keeps the rules of where a snapshot ends identical everywhere.
//
// A source is a cursor over lines:
//   bool Has(std::size_t k)            at least k lines from the cursor on
//   std::string_view Line(std::size_t k) const   line k from the cursor (k below what Has gave)
//   void Advance(std::size_t k)        moves the cursor k lines on
// A sink takes each block while the cursor is on its keyword line:
//   Shape(src), Comp(src), CompShape(src), CompText(src), Text(src)
// and reads the block's own lines through src.Line(1..).
#include "schematic/core/lines.h"
#include "schematic/core/numconv.h"
#include "schematic/core/records.h"

#include <cstddef>
#include <string_view>

namespace schtext {

inline constexpr std::string_view kHeader = "SCHEMATIC";
inline constexpr std::string_view kShape = "<SHAPE>";
inline constexpr std::string_view kCShape = "<CSHAPE>";
inline constexpr std::string_view kComp = "<COMPONENT>";
inline constexpr std::string_view kCText = "<CTEXT>";
inline constexpr std::string_view kText = "<TEXT>";

inline constexpr std::size_t kShapeLines = 7;
inline constexpr std::size_t kCompLines = 3;
inline constexpr std::size_t kTextLines = 5;

// Lines held in memory, from line `from` on.
class TLinesCursor {
public:
    TLinesCursor(const TLines& lines, std::size_t from) : L_(lines), i_(from), n_(lines.Count()) {}
    // The lines from from up to end (at most the last line).
    TLinesCursor(const TLines& lines, std::size_t from, std::size_t end)
        : L_(lines), i_(from), n_(end < lines.Count() ? end : lines.Count()) {}
    // k is a block's length and i_ a line index: the sum cannot wrap.
    bool Has(std::size_t k) const { return i_ + k <= n_; }
    std::string_view Line(std::size_t k) const { return L_[i_ + k]; }
    void Advance(std::size_t k) { i_ += k; }
    std::size_t Pos() const { return i_; }

private:
    const TLines& L_;
    std::size_t i_;
    std::size_t n_;
};

// Walks the blocks after a header: shapes, components (each with its shapes and texts),
// free texts. A block is taken only when all of its lines are there; the walk ends at the
// end or at the first line that is not the keyword expected at that point, which the
// cursor is left on. compShape is "<CSHAPE>" for the clipboard form.
template <class Src, class Sink>
void WalkBody(Src& src, Sink& sink, std::string_view compShape = kShape)
{
    while (src.Has(kShapeLines) && src.Line(0) == kShape) {
        sink.Shape(src);
        src.Advance(kShapeLines);
    }
    while (src.Has(kCompLines) && src.Line(0) == kComp) {
        sink.Comp(src);
        src.Advance(kCompLines);
        while (src.Has(kShapeLines) && src.Line(0) == compShape) {
            sink.CompShape(src);
            src.Advance(kShapeLines);
        }
        while (src.Has(kTextLines) && src.Line(0) == kCText) {
            sink.CompText(src);
            src.Advance(kTextLines);
        }
    }
    while (src.Has(kTextLines) && src.Line(0) == kText) {
        sink.Text(src);
        src.Advance(kTextLines);
    }
}

// A sink that takes nothing: walking alone finds where a snapshot ends.
struct TNullSink {
    template <class S> void Shape(const S&) {}
    template <class S> void Comp(const S&) {}
    template <class S> void CompShape(const S&) {}
    template <class S> void CompText(const S&) {}
    template <class S> void Text(const S&) {}
};

// Number lines into fields. Counting: errors grows by one per failed line.
inline int32_t Num(std::string_view line, int& errors)
{
    const TNumConv r = ConvertNumber(line);
    errors += !r.Ok;
    return r.Value;
}
// Silent: a failed line gives the digits read before the fault.
inline int32_t Num(std::string_view line) { return ConvertNumber(line).Value; }

// Kind, X1, Y1, X2, Y2, Style of the shape block at the cursor.
template <class S, class... E>
void ShapeValues(const S& src, TShapeRec& s, E&... errors)
{
    s.Kind = Num(src.Line(1), errors...);
    s.X1 = Num(src.Line(2), errors...);
    s.Y1 = Num(src.Line(3), errors...);
    s.X2 = Num(src.Line(4), errors...);
    s.Y2 = Num(src.Line(5), errors...);
    s.Style = Num(src.Line(6), errors...);
}

// Text (cut to 100 bytes), Font, X, Y of the text block at the cursor.
template <class S, class... E>
void TextValues(const S& src, TTextRec& t, E&... errors)
{
    const std::string_view text = src.Line(1);
    t.Text.assign(text.data(), text.size() < MaxTextLen ? text.size() : MaxTextLen);
    t.Font = Num(src.Line(2), errors...);
    t.X = Num(src.Line(3), errors...);
    t.Y = Num(src.Line(4), errors...);
}

} // namespace schtext
