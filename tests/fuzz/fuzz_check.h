#pragma once
// What every fuzz target asserts with: a broken promise ends the run at once, so the fuzzer
// keeps the input that broke it.
#include <cstdlib>

namespace fuzz {
inline void Check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace fuzz
