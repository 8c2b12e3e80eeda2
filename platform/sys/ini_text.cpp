#include "platform/sys/ini_text.h"

#include <iterator>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string_view Trim(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string OneLine(std::string_view s)
{
    std::string v;
    v.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n' && c != '\0')
            v.push_back(c);
    return v;
}

} // namespace

std::optional<int32_t> ProfileInt(std::string_view text)
{
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    bool hex = false;
    if (s.front() == '$') {
        hex = true;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        hex = true;
        s.remove_prefix(2);
    }
    if (s.empty())
        return std::nullopt;
    uint64_t v = 0;
    if (hex) {
        // Up to 32 bits of digits; leading zeros do not count.
        while (s.size() > 1 && s.front() == '0')
            s.remove_prefix(1);
        if (s.size() > 8)
            return std::nullopt;
        for (char c : s) {
            const int d = HexDigit(c);
            if (d < 0)
                return std::nullopt;
            v = v * 16 + static_cast<uint64_t>(d);
        }
        uint32_t w = static_cast<uint32_t>(v);
        if (negative)
            w = 0u - w;
        return static_cast<int32_t>(w);
    }
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > 2147483648ull)
            return std::nullopt;
    }
    if (negative)
        return static_cast<int32_t>(-static_cast<int64_t>(v));
    if (v > 2147483647ull)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

TIniText::TIniText(std::string_view text)
{
    TSection* current = nullptr;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // A line is written back as one line: bytes that would break it are dropped.
        const std::string raw = OneLine(line);
        const std::string_view t = Trim(raw);
        if (!t.empty() && t.front() == '[') {
            const std::size_t close = t.find(']');
            if (close != std::string_view::npos) {
                Sections.push_back(TSection{raw, std::string(Trim(t.substr(1, close - 1))), {}});
                current = &Sections.back();
                continue;
            }
        }
        if (!current) {
            Head.push_back(raw);
            continue;
        }
        TLine l;
        l.Raw = raw;
        const std::size_t eq = t.find('=');
        if (eq != std::string_view::npos && eq > 0 && t.front() != ';') {
            l.Key = std::string(Trim(t.substr(0, eq)));
            std::string_view value = Trim(t.substr(eq + 1));
            // A value in matching quotes loses them, as the profile functions do.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            l.Value = std::string(value);
        }
        current->Lines.push_back(std::move(l));
    }
}

const std::string* TIniText::Find(std::string_view section, std::string_view key) const
{
    for (const auto& s : Sections) {
        if (!SameName(s.Name, section))
            continue;
        for (const auto& l : s.Lines)
            if (!l.Key.empty() && SameName(l.Key, key))
                return &l.Value;
    }
    return nullptr;
}

void TIniText::Set(std::string_view section, std::string_view key, std::string_view value)
{
    std::string v = OneLine(value);
    TSection* sec = nullptr;
    for (auto& s : Sections)
        if (SameName(s.Name, section)) {
            // The section that Find reads the key from, when one has it.
            for (auto& l : s.Lines)
                if (!l.Key.empty() && SameName(l.Key, key)) {
                    if (l.Value != v || l.Changed) {
                        l.Value = std::move(v);
                        l.Changed = true;
                    }
                    return;
                }
            if (!sec)
                sec = &s;
        }
    if (!sec) {
        Sections.push_back(TSection{{}, OneLine(section), {}});
        sec = &Sections.back();
    }
    // New keys go after the section's last key, before trailing blank lines.
    auto at = sec->Lines.end();
    while (at != sec->Lines.begin() && std::prev(at)->Key.empty() && Trim(std::prev(at)->Raw).empty())
        --at;
    sec->Lines.insert(at, TLine{{}, OneLine(key), std::move(v), true});
}

std::string TIniText::Text() const
{
    std::string out;
    for (const auto& h : Head)
        out += h + "\r\n";
    for (std::size_t i = 0; i < Sections.size(); ++i) {
        const auto& s = Sections[i];
        // Sections the program added are set apart by a blank line.
        if (s.Raw.empty() && i > 0 && !(out.size() >= 4 && out.compare(out.size() - 4, 4, "\r\n\r\n") == 0))
            out += "\r\n";
        out += (s.Raw.empty() ? "[" + s.Name + "]" : s.Raw) + "\r\n";
        for (const auto& l : s.Lines)
            out += (l.Changed ? l.Key + "=" + l.Value : l.Raw) + "\r\n";
    }
    return out;
}
