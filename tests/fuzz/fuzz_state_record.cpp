// libFuzzer target for the autosave state record: any record bytes beside any file text
// must parse and be checked without a crash; marks written again parse the same, and the
// list of states keeps its own rules whatever the record says.
#include "schematic/core/autosave.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes say where the record ends and the file text begins.
    const std::size_t split = std::min<std::size_t>(size - 2, (std::size_t(data[0]) << 8) | data[1]);
    const std::string_view all(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view recordBytes = all.substr(0, split);
    const std::string_view text = all.substr(split);

    const TStateRecord record = ParseStateRecord(recordBytes);
    if (record.Present) {
        std::string again(kStateRecordHeader);
        for (const TStateMark& m : record.Marks)
            again += StateMarkLine(m);
        const TStateRecord back = ParseStateRecord(again);
        Check(back.Present && back.Marks.size() == record.Marks.size());
        for (std::size_t i = 0; i < back.Marks.size(); ++i)
            Check(back.Marks[i].Offset == record.Marks[i].Offset && back.Marks[i].Length == record.Marks[i].Length &&
                  back.Marks[i].Crc == record.Marks[i].Crc);
    }
    const TLines lines = TLines::FromText(text);
    const TStateList plain = ListStates(lines, EndsTorn(text));
    const TStateList checked = ListStates(lines, EndsTorn(text), record);
    // The record finds the same states and can only mark the last one as cut, never unmark it.
    Check(plain.Starts == checked.Starts);
    Check(!plain.LastTorn || checked.LastTorn);
    if (!record.Present)
        Check(plain.LastTorn == checked.LastTorn);
    for (const TStateMark& m : record.Marks)
        record.Confirms(lines.TextView(), m.Offset);
    return 0;
}
