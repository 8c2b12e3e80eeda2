#pragma once
// Settings files of sections and keys ("[Section]", "Key=Value"). Read once into memory;
// written whole, so that a crash mid-write leaves the old file. Lines the program does not
// set are written back as they were; a file that could not be read whole is never
// written over.
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/ini_text.h"

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

    // Writes the whole file (creating its folder); false on any failure, and at once when
    // the file was there but could not be read (too large, no permission, not a file).
    bool Save() const;
    // The file's text as Save writes it.
    std::string Text() const;
    // Why the file could not be read; empty when it was read or did not exist.
    const std::string& ReadError() const { return ReadFailure; }

    // Files larger than this are not read (the defaults hold).
    static constexpr std::size_t MaxFileSize = 1u << 20;

private:
    QString Path;
    TIniText Ini;
    std::string ReadFailure;
};
