#include "platform/sys/path_codec.h"

namespace sys {

namespace {

constexpr char16_t kEscape = 0xDC00;

// Length of the valid UTF-8 sequence at s[i], 0 when there is none.
std::size_t ValidSequence(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points past the last plane are not text.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::u16string PathToUtf16(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t n = ValidSequence(bytes, i, cp);
        if (n == 0) {
            out += static_cast<char16_t>(kEscape + static_cast<unsigned char>(bytes[i]));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += n;
    }
    return out;
}

std::string PathFromUtf16(std::u16string_view path)
{
    std::string out;
    out.reserve(path.size());
    const std::size_t n = path.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = path[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (path[i + 1] - 0xDC00));
            ++i;
        } else if (u >= kEscape + 0x80 && u <= kEscape + 0xFF) {
            out += static_cast<char>(u - kEscape);
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);  // a stray surrogate that no name gave
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

} // namespace sys
