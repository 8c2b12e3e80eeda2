#pragma once
// Path bytes to UTF-16 text and back without loss. Each byte that is not part of a valid
// UTF-8 sequence stands in the text as a lone low surrogate, U+DC80 to U+DCFF, which valid
// text never holds, and turns back into that byte; everything else is ordinary UTF-16.
// Plain C++ so that any bytes can be tried on it alone.
#include <string>
#include <string_view>

namespace sys {

std::u16string PathToUtf16(std::string_view bytes);
// The reverse. A surrogate that no byte string gives (a high one alone, or a low one below
// U+DC80 alone) becomes U+FFFD.
std::string PathFromUtf16(std::u16string_view text);

} // namespace sys
