#pragma once
// Number lines of the text formats: signed 32-bit integers.
#include <cstdint>
#include <string_view>

struct TNumConv {
    int32_t Value = 0;  // on a fault: the value of the digits read before it, without the sign
    bool Ok = false;
};

// Leading blanks are skipped, then an optional "+" or "-", then decimal digits, or hex digits
// after "$", "x" or "X", or after a leading "0" followed by "x" or "X". An empty line or any
// other character fails; a decimal value beyond 32 bits fails.
TNumConv ConvertNumber(std::string_view line);
