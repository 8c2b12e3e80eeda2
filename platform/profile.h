#pragma once
// Settings files of sections and keys ("[Section]", "Key=Value"). Read once into memory;
// written whole, through a temporary file, so a crash mid-write leaves the old file.
// Section and key names match without regard to ASCII case.
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Integer from decimal text, or hexadecimal after "$" or "0x" (an optional sign first);
// blanks around it are ignored. Anything else, or a value that does not fit 32 bits, is
// no number. Eight hex digits wrap to a negative value as a 32-bit word.
std::optional<int32_t> ProfileInt(std::string_view text);

class TProfile {
public:
    // Reads the file; a missing or unreadable file gives an empty profile.
    explicit TProfile(QString path);

    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;

    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // CR, LF and NUL are dropped: a value is one line.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Writes the whole file (creating its folder); false on any failure.
    bool Save() const;
    // The file's text as Save writes it.
    std::string Text() const;

    // Files larger than this are not read (the defaults hold).
    static constexpr std::size_t MaxFileSize = 1u << 20;

private:
    struct TLine {
        std::string Raw;  // as read, for lines that are not keys
        std::string Key;  // empty for raw lines
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
    };
    const std::string* Find(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string value);

    QString Path;
    std::vector<std::string> Head;  // lines before the first section
    std::vector<TSection> Sections;
};
