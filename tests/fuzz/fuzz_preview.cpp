// libFuzzer target for the preview reader's path through outside bytes: the file is streamed
// in pieces of a size taken from the input, with small caps, and walked by the grammar with
// the previews' silent number rules. Whatever the pieces, the blocks read must be those the
// editor's reader takes from the same bytes split whole (as far as no cap cut the text).
#include "schematic/core/line_stream.h"
#include "schematic/core/sch_grammar.h"
#include "schematic/core/sch_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
using fuzz::Check;

// Records what the previews draw, through the same value readers.
struct TRecordSink {
    TSchModel M;
    TCompRec* C = nullptr;
    template <class S> void Shape(const S& s) { schtext::ShapeValues(s, M.ShapeList.emplace_back()); }
    template <class S> void Comp(const S& s)
    {
        C = &M.CompList.emplace_back();
        C->X = schtext::Num(s.Line(1));
        C->Y = schtext::Num(s.Line(2));
    }
    template <class S> void CompShape(const S& s) { schtext::ShapeValues(s, C->Shapes.emplace_back()); }
    template <class S> void CompText(const S& s) { schtext::TextValues(s, C->Texts.emplace_back()); }
    template <class S> void Text(const S& s) { schtext::TextValues(s, M.TextList.emplace_back()); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 61;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    TLineStream::TLimits lim;
    lim.MaxLine = 300;
    lim.MaxBytes = 8192;
    lim.Chunk = 1 + (data[0] / 61) * 37;
    std::size_t pos = 0;
    TLineStream src([&](char* buf, std::size_t n) -> int64_t {
        const std::size_t k = std::min({n, piece, bytes.size() - pos});
        std::memcpy(buf, bytes.data() + pos, k);
        pos += k;
        return static_cast<int64_t>(k);
    }, lim);
    TRecordSink sink;
    const bool schematic = src.Has(1) && src.Line(0) == schtext::kHeader && src.Has(6);
    if (schematic) {
        src.Advance(1);
        schtext::WalkBody(src, sink);
    }
    Check(src.BytesRead() <= lim.MaxBytes);

    // No cap reached: the same lines, so the same check and the same blocks as the editor's.
    if (src.End() == TLineStream::TEnd::Text || src.End() == TLineStream::TEnd::None) {
        const TLines whole = TLines::FromText(bytes);
        bool cut = false;
        for (std::size_t i = 0; i < whole.Count(); ++i)
            cut |= whole[i].size() > lim.MaxLine;
        if (!cut && bytes.size() <= lim.MaxBytes) {
            TSchModel m;
            const TLoadReport r = DoLoad(whole, 0, m);
            Check(r.Ok == schematic);
            if (schematic)
                Check(m == sink.M);
        }
    }
    return 0;
}
