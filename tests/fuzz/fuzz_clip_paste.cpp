// libFuzzer target for the clipboard paste reader: any text must paste without a crash, and
// what was pasted must copy out and paste back to the same items.
#include "schematic/core/sch_clip.h"
#include "schematic/core/sch_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
using fuzz::Check;

// Paste puts each item at the head of its list, so copying and pasting twice gives the
// first order back.
TSchModel CopyAndPaste(const TSchModel& m)
{
    TLines clip;
    WriteClipboard(m, clip);
    Check(TLines::FromText(clip.Text()) == clip);
    TSchModel back;
    const TPasteResult r = PasteText(clip, 0, back);
    Check(!r.NoSchematic);
    Check(r.Added == static_cast<int>(m.ShapeList.size() + m.CompList.size() + m.TextList.size()));
    return back;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the displacement of the view scale (2, 4 or 8 units), or the edge
    // of the range.
    const int32_t ds[] = {2, 4, 8, 0, INT32_MAX, -2};
    const int32_t d = ds[data[0] % 6];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const TLines lines = TLines::FromText(bytes);

    TSchModel m;
    int calls = 0;
    const TPasteResult r = PasteText(lines, d, m, [&] { ++calls; });
    Check(calls == (r.Added > 0 ? 1 : 0));
    Check(r.Added == static_cast<int>(m.ShapeList.size() + m.CompList.size() + m.TextList.size()));
    if (r.NoSchematic) {
        Check(m.Empty());
        return 0;
    }
    for (const auto& s : m.ShapeList)
        Check(s.Selected == 1);
    for (const auto& t : m.TextList)
        Check(t.Selected == 1 && t.Text.size() <= 100 && t.Text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    for (const auto& c : m.CompList) {
        Check(c.Selected == 1);
        for (const auto& t : c.Texts)
            Check(t.Text.size() <= 100);
    }
    // Write back: the pasted items, copied and pasted twice, are the same items.
    const TSchModel twice = CopyAndPaste(CopyAndPaste(m));
    Check(twice == m);

    // Pasting beside an existing drawing keeps it, after the pasted items.
    TSchModel beside;
    beside.ShapeList.push_back({1, 0, 0, 1, 1, 0, 0});
    PasteText(lines, d, beside);
    Check(beside.ShapeList.size() == m.ShapeList.size() + 1 && beside.ShapeList.back().Kind == 1 &&
          beside.ShapeList.back().Selected == 0);
    return 0;
}
