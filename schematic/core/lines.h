#pragma once
// A list of single-byte text lines held in one byte buffer with line offsets, so that an
// autosave file of 300001 lines costs one allocation for its text, not one per line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TLines {
public:
    TLines() = default;

    // Splits text into lines ended by CR LF, LF alone or CR alone. A NUL ends the text;
    // a final terminator adds no empty line; "" is zero lines.
    static TLines FromText(std::string_view text);

    std::size_t Count() const;
    bool Empty() const { return Count() == 0; }
    // Line i without its terminator; i must be below Count().
    std::string_view operator[](std::size_t i) const;

    // Appends one line; CR, LF and NUL in it are dropped so the text stays one value per line.
    void Append(std::string_view line);
    void Append(const TLines& other);
    void Clear();

    // Every line followed by CR LF, as files and the clipboard are written.
    std::string Text() const;
    // Bytes held, for memory checks.
    std::size_t ByteSize() const;

    bool operator==(const TLines& o) const;

private:
    std::string buf_;               // each line followed by CR LF
    std::vector<uint32_t> starts_;  // offset of each line in buf_
};
