#include "schematic/core/numconv.h"

TNumConv ConvertAnyNumber(std::string_view line)
{
    TNumConv r;
    const char* p = line.data();
    const char* e = p + line.size();
    while (p < e && *p == ' ')
        ++p;
    bool neg = false;
    if (p < e && (*p == '+' || *p == '-')) {
        neg = *p == '-';
        ++p;
    }
    bool hex = false;
    if (p < e && (*p == '$' || *p == 'x' || *p == 'X')) {
        hex = true;
        ++p;
    } else if (p + 1 < e && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        hex = true;
        p += 2;
    }
    if (p == e)
        return r;  // nothing but blanks, sign or prefix

    if (hex) {
        // Up to eight hex digits: the 32-bit pattern, so "$FFFFFFFF" is -1.
        uint32_t v = 0;
        for (; p < e; ++p) {
            const char c = *p;
            uint32_t d;
            if (c >= '0' && c <= '9')
                d = static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                d = static_cast<uint32_t>(c - 'A' + 10);
            else
                break;
            if (v > 0x0FFFFFFFu)
                break;  // a ninth significant digit
            v = v * 16 + d;
        }
        r.Value = static_cast<int32_t>(v);
        if (p != e)
            return r;
        r.Value = neg ? static_cast<int32_t>(0u - v) : static_cast<int32_t>(v);
        r.Ok = true;
        return r;
    }

    const uint64_t limit = neg ? 2147483648ull : 2147483647ull;
    uint64_t v = 0;
    for (; p < e; ++p) {
        const char c = *p;
        if (c < '0' || c > '9')
            break;
        const uint64_t nv = v * 10 + static_cast<uint64_t>(c - '0');
        if (nv > limit)
            break;
        v = nv;
    }
    r.Value = static_cast<int32_t>(static_cast<uint32_t>(v));  // 2^31 (only after "-") wraps
    if (p != e)
        return r;
    r.Value = neg ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
    r.Ok = true;
    return r;
}
