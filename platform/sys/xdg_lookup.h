#pragma once
// Finding, without a desktop service and without any cache, what the desktop would run for
// a file: the file's MIME type from the glob lists of the MIME folders, the type's default
// desktop entry from the mimeapps.list files, and that entry's Exec line. Every file is
// read fresh, so a change made a moment ago (by the association dialog) is seen at once.
#include "platform/sys/desktop_entry.h"

#include <string>
#include <vector>

namespace xdg {

// The base folders of the XDG conventions, each without a trailing "/".
struct TXdgDirs {
    std::string DataHome;                 // $XDG_DATA_HOME or ~/.local/share
    std::string ConfigHome;               // $XDG_CONFIG_HOME or ~/.config
    std::vector<std::string> DataDirs;    // $XDG_DATA_DIRS or /usr/local/share:/usr/share
    std::vector<std::string> ConfigDirs;  // $XDG_CONFIG_DIRS or /etc/xdg
    std::vector<std::string> Desktops;    // $XDG_CURRENT_DESKTOP, lower case
    // From the environment as it is now (relative paths there are ignored, as the
    // conventions ask).
    static TXdgDirs FromEnv();
};

// A desktop entry as far as starting it goes.
struct TDesktopEntry {
    std::string Id;         // "name.desktop"
    std::string File;       // its path
    std::string Name;
    std::string Exec;       // unescaped
    std::string TryExec;
    std::string WorkDir;    // the Path key
    std::string Icon;
    std::vector<std::string> MimeTypes;
    bool Hidden = false;
    bool Terminal = false;
    bool IsApplication = false;
};

// Reads a desktop entry file; false when it cannot be read or has no [Desktop Entry] group.
bool LoadDesktopEntry(const std::string& file, TDesktopEntry& entry);
// The file of a desktop entry id in the applications folders (a "-" in the id may stand for a
// subfolder); empty when it is not installed.
std::string FindDesktopFile(const TXdgDirs& dirs, const std::string& id);
// The program a word of an Exec or TryExec line names: itself when it has a "/", else found
// along $PATH; empty when it is not an executable file.
std::string FindProgram(const std::string& word);

// The mimeapps.list files in the order they are consulted.
std::vector<std::string> MimeAppsFiles(const TXdgDirs& dirs);

// Entries that can run a file of mimeType, best first: the defaults of the mimeapps.list files,
// then their added associations, then every desktop entry that names the type, without the
// removed associations. Only entries that are installed, not hidden and have an Exec line
// whose program (and TryExec) can be found are listed.
std::vector<TDesktopEntry> AppsForType(const TXdgDirs& dirs, const std::string& mimeType);

// The default entry for mimeType, the way the association dialog reports it: the first
// entry named in a "[Default Applications]" group that is installed (whether or not its
// program can be found), else the first of AppsForType. False when there is none.
bool DefaultAppForType(const TXdgDirs& dirs, const std::string& mimeType, TDesktopEntry& entry);

// A path with every byte but letters, digits and "/-._~" percent-encoded, as URLs and the
// trash's information files hold paths.
std::string PercentEncode(const std::string& path);

// The MIME folders: DataHome/mime first, then each DataDirs/mime.
std::vector<std::string> MimeFolders(const TXdgDirs& dirs);

// A type that claims a file name "*.<ext>"-wise, from the glob lists of the MIME folders:
// the types whose globs match name with the highest weight (and the longest pattern), in
// folder order. extraGlobs count as if they were listed first.
std::vector<std::string> TypesForName(const TXdgDirs& dirs, const std::string& name,
                                      const std::vector<TGlob>& extraGlobs = {});

} // namespace xdg
