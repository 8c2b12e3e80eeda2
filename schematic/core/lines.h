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
    // a final terminator adds no empty line; "" is zero lines. Text past 4 GiB of lines is
    // dropped (offsets are 32 bits).
    static TLines FromText(std::string_view text);

    std::size_t Count() const;
    bool Empty() const { return Count() == 0; }
    // Line i without its terminator; i must be below Count().
    std::string_view operator[](std::size_t i) const;

    // Appends one line; CR, LF and NUL in it are dropped so the text stays one value per line.
    // Appending past 4 GiB throws std::length_error.
    void Append(std::string_view line);
    void Append(const TLines& other);
    // A number line in plain decimal, "-" when negative (the writers' hot path).
    void AppendNumber(int32_t v);
    // Room for about `bytes` of text and `lines` lines, to avoid regrowth while writing.
    void Reserve(std::size_t bytes, std::size_t lines);
    void Clear();

    // Every line followed by CR LF, as files and the clipboard are written.
    std::string Text() const;
    // The same bytes without a copy; valid until the list changes.
    std::string_view TextView() const;
    // Bytes held, for memory checks.
    std::size_t ByteSize() const;

    bool operator==(const TLines& o) const;

private:
    std::string buf_;               // each line followed by CR LF
    std::vector<uint32_t> starts_;  // offset of each line in buf_
};
