#pragma once
// Number lines of the text formats: signed 32-bit integers.
#include <cstddef>
#include <cstdint>
#include <string_view>

struct TNumConv {
    int32_t Value = 0;  // on a fault: the value of the digits read before it, without the sign
    bool Ok = false;
};

// Every form ConvertNumber takes; its short path only handles the common one.
TNumConv ConvertAnyNumber(std::string_view line);

// Leading blanks are skipped, then an optional "+" or "-", then decimal digits, or hex digits
// after "$", "x" or "X", or after a leading "0" followed by "x" or "X". An empty line or any
// other character fails; a decimal value beyond 32 bits fails.
inline TNumConv ConvertNumber(std::string_view line)
{
    // What the writers put out: an optional "-" and one to nine digits, which cannot
    // overflow. Anything else takes the full path.
    const char* p = line.data();
    const std::size_t n = line.size();
    const std::size_t neg = (n > 0 && p[0] == '-') ? 1 : 0;
    if (n - neg - 1 < 9) {
        uint32_t v = 0;
        std::size_t k = neg;
        for (; k < n; ++k) {
            const uint32_t d = static_cast<uint32_t>(static_cast<unsigned char>(p[k])) - '0';
            if (d > 9)
                break;
            v = v * 10 + d;
        }
        if (k == n)
            return {neg ? -static_cast<int32_t>(v) : static_cast<int32_t>(v), true};
    }
    return ConvertAnyNumber(line);
}
