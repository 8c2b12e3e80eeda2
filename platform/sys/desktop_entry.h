#pragma once
// The freedesktop key files the file association reads and writes: desktop entries and
// mimeapps.list (groups of key=value lines), the quoting of a desktop entry's Exec line,
// and the glob lists of the shared MIME database. Plain text handling without the
// toolkit; every input here comes from files other programs may have written, so nothing
// is trusted: bad lines are skipped, never fatal.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xdg {

// ---- String values of key files
// Escapes a value for a key file line: "\\", "\n", "\t", "\r", and "\s" for a leading blank.
std::string EscapeValue(std::string_view value);
// The reverse; an unknown escape keeps its backslash.
std::string UnescapeValue(std::string_view raw);
// Splits a raw list value ("a;b;c;" with "\;" for a literal ";") and unescapes each item;
// empty items are dropped.
std::vector<std::string> SplitList(std::string_view raw);
// The raw list value of items, each escaped and ended by ";".
std::string JoinList(const std::vector<std::string>& items);

// ---- Key files
struct TKeyFileEntry {
    std::string Group;
    std::string Key;    // with its locale part, as written ("Name[de]")
    std::string Value;  // raw (not unescaped)
};
// Every key=value line of text in its group, in file order. Comments, blank lines, lines
// before the first group and lines without "=" are skipped.
std::vector<TKeyFileEntry> ParseKeyFile(std::string_view text);
// The raw value of the first key in group; false when there is none.
bool FindValue(const std::vector<TKeyFileEntry>& entries, std::string_view group, std::string_view key,
               std::string& value);

// ---- Exec lines
// One argument as an Exec line needs it: quoted in double quotes, with '"', '`', '$' and
// '\' escaped, when it holds a blank or another reserved character, and every '%' doubled.
// The result is then escaped once more as a string value (EscapeValue) when written.
std::string QuoteExecArg(std::string_view arg);
// Splits an Exec value (already unescaped) into its words: blanks separate, double quotes
// group with their backslash escapes, single quotes group literally. Field codes are left
// in. False, with error set, for an unterminated quote or an empty line.
bool SplitExec(std::string_view exec, std::vector<std::string>& words, std::string& error);
// The program an Exec value runs: its first word with "%%" read as a literal '%' (a program
// word holds no other field code). False, with error set, when the line cannot be split.
bool ExecProgram(std::string_view exec, std::string& program, std::string& error);

// What the field codes of an Exec line stand for.
struct TExecArgs {
    std::vector<std::string> Files;  // %f (the first), %F (all)
    std::vector<std::string> Urls;   // %u, %U; filled from Files by the caller when empty
    std::string Icon;                // %i: "--icon" and the icon when not empty
    std::string Name;                // %c
    std::string Location;            // %k
};
// The argument list an Exec value runs, its field codes replaced; "%%" is a literal '%'.
// When the line has no code for files, the files are appended, so a document is never
// silently dropped. False, with error set, when the line cannot be split.
bool ExpandExec(std::string_view exec, const TExecArgs& args, std::vector<std::string>& argv,
                std::string& error);

// ---- mimeapps.list
// text with mimeType's default application set to desktopId: the key in the first
// "[Default Applications]" group gets desktopId first, then its other entries; a group or
// key that is missing is added. Every other line, group and comment is kept as it was.
std::string MergeDefaultApp(std::string_view text, std::string_view mimeType, std::string_view desktopId);

// ---- MIME globs (the "globs2" file of a MIME folder)
struct TGlob {
    int Weight = 50;
    std::string Type;
    std::string Pattern;
    bool CaseSensitive = false;
};
// Lines "weight:type:pattern[:flags]"; comments and bad lines are skipped.
std::vector<TGlob> ParseGlobs2(std::string_view text);
// Shell-style match of a file name (no folder) with a glob; without case sensitivity both
// sides are compared in ASCII lower case.
bool GlobMatches(const TGlob& glob, std::string_view name);

} // namespace xdg
