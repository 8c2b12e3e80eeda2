// libFuzzer target for the component text reader: any bytes must read without a crash, and
// whatever reads must write and read back to the same component.
#include "components/core/comp_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
using fuzz::Check;

void RoundTrip(const TCompModel& m)
{
    TLines text;
    if (!WriteComp(m, text)) {
        Check(m.Empty());
        return;
    }
    Check(TLines::FromText(text.Text()) == text);
    TCompModel back;
    Check(ReadComp(text, back) == TCompStop::Ok && back == m);
    TCompModel undo;
    Check(ReadCompUndo(text, undo) && undo == m);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TLines lines = TLines::FromText(bytes);

    TCompModel m;
    const TCompStop stop = ReadComp(lines, m);
    Check(stop == TCompStop::Ok || m.Empty());
    for (const TCompTextRec& t : m.TextList)
        Check(t.Text.size() <= MaxTextLen);
    RoundTrip(m);

    TCompModel u;
    ReadCompUndo(lines, u);
    RoundTrip(u);

    TCompRec c;
    Check(ReadCompInto(lines, c) == TCompStop::Ok || (c.Shapes.empty() && c.Texts.empty()));

    // The preview's walk reads at most what the file holds.
    TCompWalkOpts strict;
    strict.Strict = true;
    strict.FontRange = false;
    std::size_t blocks = 0;
    WalkComp(lines, strict, [&](const TShapeRec&) { ++blocks; },
             [&](std::string_view, int32_t, int32_t, int32_t) { ++blocks; });
    Check(blocks * 5 <= lines.Count());
    return 0;
}
