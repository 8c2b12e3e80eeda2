// libFuzzer target for the path codec: any bytes come back from their text exactly, the text
// never holds a code unit outside UTF-16, and any UTF-16 turns into bytes without harm.
#include "platform/sys/path_codec.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = sys::PathToUtf16(bytes);
    Check(text.size() <= bytes.size());
    Check(sys::PathFromUtf16(text) == bytes);
    // The same bytes read as UTF-16 units: whatever they hold, bytes come out, and bytes of
    // valid UTF-8 go round again unchanged.
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const std::string again = sys::PathFromUtf16(units);
    Check(sys::PathFromUtf16(sys::PathToUtf16(again)) == again);
    return 0;
}
