// libFuzzer target for the schematic text reader: any bytes must load without a crash, and
// whatever loads must write and read back to the same model.
#include "schematic/core/sch_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
using fuzz::Check;

void RoundTrip(const TSchModel& m)
{
    TLines text;
    WriteSnapshot(m, text);
    Check(TLines::FromText(text.Text()) == text);
    if (text.Count() < 6)
        return;  // too short to be read back (an empty or nearly empty model)
    TSchModel back;
    const TLoadReport r = DoLoad(text, 0, back);
    Check(r.Ok && r.Message.empty() && back == m);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TLines slot = TLines::FromText(bytes);
    Check(TLines::FromText(slot.Text()) == slot);
    // The bytes taken over as they are give the same lines, read in either direction.
    sys::TByteBuf copy;
    copy.Append(bytes);
    const TLines kept = TLines::FromBytes(std::move(copy));
    Check(kept == slot && kept.Count() == slot.Count());
    for (std::size_t i = kept.Count(); i-- > 0;)
        Check(kept[i] == slot[i]);

    TSchModel m;
    const TLoadReport first = DoLoad(slot, 0, m);
    RoundTrip(m);
    // Reading a text once and giving it back as it goes yields the same drawing and report.
    {
        TSchModel taken;
        TLines once = slot;
        const TLoadReport r = DoLoadTaking(std::move(once), 0, taken);
        Check(taken == m && r.Ok == first.Ok && r.Message == first.Message && once.Count() == 0);
    }

    const std::vector<std::size_t> starts = SnapshotStarts(slot);
    for (std::size_t k = 0; k < starts.size() && k < 8; ++k) {
        Check(starts[k] < slot.Count() && slot[starts[k]] == "SCHEMATIC");
        DoLoad(slot, static_cast<int>(starts[k]), m);
        RoundTrip(m);
    }
    DoLoad(slot, static_cast<int>(slot.Count()), m);
    Check(m.Empty());

    TSchModel u;
    DoUndo(slot, u);
    RoundTrip(u);

    TLines clip;
    WriteClipboard(u, clip);
    Check(TLines::FromText(clip.Text()) == clip);
    return 0;
}
