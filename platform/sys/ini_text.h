#pragma once
// The text of a settings file of sections and keys ("[Section]", "Key=Value"), read and
// written without Qt. Lines the program does not change are written back byte for byte, so
// the user's own lines, comments and sections survive a rewrite. Section and key names
// match without regard to ASCII case.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Integer from decimal text, or hexadecimal after "$" or "0x" (an optional sign first);
// blanks around it are ignored. Anything else, or a value that does not fit 32 bits, is
// no number. Eight hex digits wrap to a negative value as a 32-bit word.
std::optional<int32_t> ProfileInt(std::string_view text);

class TIniText {
public:
    TIniText() = default;
    // Lines end with LF, CR LF or (the last one) nothing.
    explicit TIniText(std::string_view text);

    // The value of the first key of that name in the first section of that name that has
    // it (blanks around it and matching quotes taken off); null when there is none.
    const std::string* Find(std::string_view section, std::string_view key) const;
    // Sets the key in the first section of that name, adding the section at the end and
    // the key after the section's last key when missing. CR, LF and NUL are dropped from
    // value, and the names given must hold none.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Every line followed by CR LF.
    std::string Text() const;

private:
    struct TLine {
        std::string Raw;    // as read
        std::string Key;    // empty for lines that are not keys
        std::string Value;
        bool Changed = false;  // written as Key=Value instead of Raw
    };
    struct TSection {
        std::string Raw;   // the header line as read; empty for a section the program added
        std::string Name;
        std::vector<TLine> Lines;
    };
    std::vector<std::string> Head;  // lines before the first section
    std::vector<TSection> Sections;
};
