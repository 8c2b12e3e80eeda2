// libFuzzer target for the settings file reader: any bytes must read without a crash;
// written back they read the same; the program's keys set on top read back as set while
// every other key keeps its value.
#include "platform/sys/ini_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {
using fuzz::Check;

// The program's keys, and some that only the user has.
const std::pair<const char*, const char*> Keys[] = {
    {"Position", "Top"}, {"Colour", "Line"}, {"Settings", "Arrow"}, {"AutoSave", "SearchPath"},
    {"settings", "ARROW"}, {"User", "Mine"}, {"", ""}, {"A", "B"},
};

std::string ValueOf(const TIniText& t, const char* s, const char* k)
{
    const std::string* v = t.Find(s, k);
    return v ? "=" + *v : "none";
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TIniText ini(bytes);
    const std::string text = ini.Text();

    // Written and read back: the same values and the same text.
    const TIniText back(text);
    Check(back.Text() == text);
    for (const auto& [s, k] : Keys) {
        Check(ValueOf(back, s, k) == ValueOf(ini, s, k));
        if (const std::string* v = ini.Find(s, k))
            ProfileInt(*v);
    }

    // Set the program's keys (the value taken from the input) and read them back.
    TIniText set(bytes);
    const std::string value(bytes.substr(0, 40));
    std::string clean;
    for (char c : value)
        if (c != '\r' && c != '\n' && c != '\0')
            clean.push_back(c);
    // Blanks around a value and matching quotes do not survive a read; keep the check to
    // values that have neither.
    const bool plain = !clean.empty() && clean.front() != ' ' && clean.front() != '\t' && clean.back() != ' ' &&
                       clean.back() != '\t' && clean.front() != '"' && clean.front() != '\'';
    const std::pair<const char*, const char*> ours[] = {{"Position", "Top"}, {"Colour", "Line"}, {"AutoSave", "SearchPath"}};
    for (const auto& [s, k] : ours)
        set.Set(s, k, value);
    const TIniText reread(set.Text());
    for (const auto& [s, k] : ours)
        if (plain)
            Check(ValueOf(reread, s, k) == "=" + clean);
    Check(ValueOf(reread, "User", "Mine") == ValueOf(ini, "User", "Mine"));
    Check(ValueOf(reread, "A", "B") == ValueOf(ini, "A", "B"));
    Check(TIniText(reread.Text()).Text() == reread.Text());
    return 0;
}
