#include "platform/sys/desktop_entry.h"

#include <fnmatch.h>

#include <algorithm>
#include <charconv>

namespace xdg {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Calls f(line) for each line of text without its "\n" (a "\r" before it is kept).
template <class F>
void ForEachLine(std::string_view text, F f)
{
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        f(text.substr(at, end - at));
        at = end + 1;
    }
}

// A group header "[Name]": the name; false for anything else.
bool GroupHeader(std::string_view line, std::string& name)
{
    const std::string_view t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    name.assign(t.substr(1, t.size() - 2));
    return true;
}

// A "key=value" line: key and raw value (blanks around "=" dropped).
bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value)
{
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == '#' || t.front() == '[')
        return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return !key.empty();
}

bool Reserved(char c)
{
    switch (c) {
    case ' ': case '\t': case '\n': case '"': case '\'': case '\\': case '>': case '<':
    case '~': case '|': case '&': case ';': case '$': case '*': case '?': case '#':
    case '(': case ')': case '`':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string EscapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case ' ':
            out += i == 0 ? "\\s" : " ";
            break;
        default: out += c; break;
        }
    }
    return out;
}

namespace {

// Reads raw as a value, each item ended where split says (never when split is 0); an
// unknown escape keeps its backslash, so a list's "\;" is left for the list reader.
template <class F>
void Unescape(std::string_view raw, char split, std::string& item, F end)
{
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (split && c == split) {
            end();
            continue;
        }
        if (c != '\\' || i + 1 == raw.size()) {
            item += c;
            continue;
        }
        const char n = raw[++i];
        switch (n) {
        case 's': item += ' '; break;
        case 'n': item += '\n'; break;
        case 't': item += '\t'; break;
        case 'r': item += '\r'; break;
        case '\\': item += '\\'; break;
        default:
            if (!(split && n == split))
                item += '\\';
            item += n;
            break;
        }
    }
}

} // namespace

std::string UnescapeValue(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    Unescape(raw, 0, out, [] {});
    return out;
}

std::vector<std::string> SplitList(std::string_view raw)
{
    std::vector<std::string> out;
    std::string item;
    auto flush = [&] {
        if (!item.empty())
            out.push_back(std::move(item));
        item.clear();
    };
    Unescape(raw, ';', item, flush);
    flush();
    return out;
}

std::string JoinList(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items) {
        std::string e = EscapeValue(item);
        // A leading blank needs no escape inside a list; only the first item of a value would.
        if (!out.empty() && e.rfind("\\s", 0) == 0)
            e = " " + e.substr(2);
        for (const char c : e)
            out += c == ';' ? std::string("\\;") : std::string(1, c);
        out += ';';
    }
    return out;
}

std::vector<TKeyFileEntry> ParseKeyFile(std::string_view text)
{
    std::vector<TKeyFileEntry> out;
    std::string group;
    bool inGroup = false;
    ForEachLine(text, [&](std::string_view line) {
        std::string name;
        if (GroupHeader(line, name)) {
            group = std::move(name);
            inGroup = true;
            return;
        }
        std::string_view key, value;
        if (inGroup && KeyLine(line, key, value))
            out.push_back({group, std::string(key), std::string(value)});
    });
    return out;
}

bool FindValue(const std::vector<TKeyFileEntry>& entries, std::string_view group, std::string_view key,
               std::string& value)
{
    for (const TKeyFileEntry& e : entries)
        if (e.Group == group && e.Key == key) {
            value = e.Value;
            return true;
        }
    return false;
}

std::string QuoteExecArg(std::string_view arg)
{
    const bool quote = arg.empty() || std::any_of(arg.begin(), arg.end(), Reserved);
    std::string out;
    out.reserve(arg.size() + 8);
    if (quote)
        out += '"';
    for (const char c : arg) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        out += c;
        if (c == '%')
            out += '%';
    }
    if (quote)
        out += '"';
    return out;
}

bool SplitExec(std::string_view exec, std::vector<std::string>& words, std::string& error)
{
    words.clear();
    error.clear();
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') {
            std::size_t j = i + 1;
            for (; j < exec.size() && exec[j] != '"'; ++j) {
                if (exec[j] == '\\' && j + 1 < exec.size()) {
                    const char n = exec[j + 1];
                    if (n == '"' || n == '`' || n == '$' || n == '\\') {
                        word += n;
                        ++j;
                        continue;
                    }
                }
                word += exec[j];
            }
            if (j >= exec.size()) {
                error = "Unterminated quote in the Exec line";
                words.clear();
                return false;
            }
            i = j;
        } else if (c == '\'') {
            const std::size_t j = exec.find('\'', i + 1);
            if (j == std::string_view::npos) {
                error = "Unterminated quote in the Exec line";
                words.clear();
                return false;
            }
            word.append(exec.substr(i + 1, j - i - 1));
            i = j;
        } else if (c == '\\' && i + 1 < exec.size()) {
            word += exec[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    if (words.empty()) {
        error = "Empty Exec line";
        return false;
    }
    return true;
}

bool ExecProgram(std::string_view exec, std::string& program, std::string& error)
{
    program.clear();
    std::vector<std::string> words;
    if (!SplitExec(exec, words, error))
        return false;
    const std::string& w = words.front();
    for (std::size_t i = 0; i < w.size(); ++i) {
        program += w[i];
        if (w[i] == '%' && i + 1 < w.size() && w[i + 1] == '%')
            ++i;
    }
    return true;
}

bool ExpandExec(std::string_view exec, const TExecArgs& args, std::vector<std::string>& argv,
                std::string& error)
{
    argv.clear();
    std::vector<std::string> words;
    if (!SplitExec(exec, words, error))
        return false;
    bool usedFiles = false;
    const std::vector<std::string>& urls = args.Urls.empty() ? args.Files : args.Urls;
    for (const std::string& w : words) {
        // Codes that stand for a list only count as a whole word.
        if (w == "%F" || w == "%U") {
            const auto& list = w == "%F" ? args.Files : urls;
            argv.insert(argv.end(), list.begin(), list.end());
            usedFiles = true;
            continue;
        }
        if (w == "%i") {
            if (!args.Icon.empty()) {
                argv.emplace_back("--icon");
                argv.push_back(args.Icon);
            }
            continue;
        }
        std::string out;
        bool dropped = false;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '%' || i + 1 == w.size()) {
                out += w[i];
                continue;
            }
            const char code = w[++i];
            switch (code) {
            case '%': out += '%'; break;
            case 'f':
                if (!args.Files.empty())
                    out += args.Files.front();
                usedFiles = true;
                break;
            case 'u':
                if (!urls.empty())
                    out += urls.front();
                usedFiles = true;
                break;
            case 'F': case 'U':
                usedFiles = true;
                break;
            case 'c': out += args.Name; break;
            case 'k': out += args.Location; break;
            default:
                // Deprecated and unknown codes stand for nothing.
                break;
            }
            dropped = dropped || code != '%';
        }
        // A word that was nothing but a code for a missing value is left out.
        if (!out.empty() || !dropped)
            argv.push_back(std::move(out));
    }
    if (!usedFiles)
        argv.insert(argv.end(), args.Files.begin(), args.Files.end());
    if (argv.empty()) {
        error = "Empty Exec line";
        return false;
    }
    return true;
}

std::string MergeDefaultApp(std::string_view text, std::string_view mimeType, std::string_view desktopId)
{
    static const std::string_view kGroup = "Default Applications";
    struct Line {
        std::string_view Text;
        bool Keep = true;
    };
    std::vector<Line> lines;
    ForEachLine(text, [&](std::string_view l) { lines.push_back({l}); });

    // The first "[Default Applications]" group: its header line and the end of its lines.
    std::size_t header = lines.size(), keyLine = lines.size(), lastKey = lines.size();
    std::vector<std::string> others;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (GroupHeader(lines[i].Text, name)) {
            if (header != lines.size())
                break;
            if (name == kGroup)
                header = lastKey = i;
            continue;
        }
        if (header == lines.size())
            continue;
        std::string_view key, value;
        if (!KeyLine(lines[i].Text, key, value))
            continue;
        lastKey = i;
        if (key != mimeType)
            continue;
        for (std::string& id : SplitList(value))
            if (id != desktopId && std::find(others.begin(), others.end(), id) == others.end())
                others.push_back(std::move(id));
        if (keyLine == lines.size())
            keyLine = i;
        else
            lines[i].Keep = false;  // a repeated key would override ours
    }

    std::vector<std::string> items{std::string(desktopId)};
    items.insert(items.end(), others.begin(), others.end());
    const std::string newLine = std::string(mimeType) + '=' + JoinList(items);

    std::string out;
    out.reserve(text.size() + newLine.size() + 32);
    const bool crlf = !lines.empty() && !lines.front().Text.empty() && lines.front().Text.back() == '\r';
    const std::string eol = crlf ? "\r\n" : "\n";
    const bool found = header != lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == keyLine)
            out += newLine + eol;
        else if (lines[i].Keep)
            out.append(lines[i].Text).append("\n");
        // A new key goes after the group's last key (or its header).
        if (found && keyLine == lines.size() && i == lastKey)
            out += newLine + eol;
    }
    if (!found) {
        if (!out.empty())
            out += eol;
        out += "[Default Applications]" + eol + newLine + eol;
    }
    return out;
}

std::vector<TGlob> ParseGlobs2(std::string_view text)
{
    std::vector<TGlob> out;
    ForEachLine(text, [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            return;
        const std::size_t a = line.find(':');
        if (a == std::string_view::npos)
            return;
        const std::size_t b = line.find(':', a + 1);
        if (b == std::string_view::npos)
            return;
        TGlob g;
        const auto r = std::from_chars(line.data(), line.data() + a, g.Weight);
        if (r.ec != std::errc() || r.ptr != line.data() + a)
            return;
        g.Type.assign(line.substr(a + 1, b - a - 1));
        std::string_view pattern = line.substr(b + 1);
        // Flags after a last ":" when they look like flags ("cs").
        const std::size_t c = pattern.rfind(':');
        if (c != std::string_view::npos) {
            const std::string_view flags = pattern.substr(c + 1);
            if (std::all_of(flags.begin(), flags.end(), [](char f) { return (f >= 'a' && f <= 'z') || f == ','; })) {
                g.CaseSensitive = flags.find("cs") != std::string_view::npos;
                pattern = pattern.substr(0, c);
            }
        }
        if (g.Type.empty() || pattern.empty())
            return;
        g.Pattern.assign(pattern);
        out.push_back(std::move(g));
    });
    return out;
}

bool GlobMatches(const TGlob& glob, std::string_view name)
{
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        return s;
    };
    std::string p(glob.Pattern), n(name);
    if (p.find('\0') != std::string::npos || n.find('\0') != std::string::npos)
        return false;
    if (!glob.CaseSensitive) {
        p = lower(std::move(p));
        n = lower(std::move(n));
    }
    return ::fnmatch(p.c_str(), n.c_str(), 0) == 0;
}

} // namespace xdg
