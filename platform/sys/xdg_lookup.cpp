#include "platform/sys/xdg_lookup.h"

#include "platform/sys/files.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace xdg {

namespace {

// Desktop entries and mimeapps.list files are small; anything larger is not one.
constexpr int64_t kKeyFileCap = int64_t{1} << 20;
constexpr int64_t kGlobsCap = int64_t{32} << 20;

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string StripSlash(std::string s)
{
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

std::vector<std::string> SplitPaths(const std::string& value, const std::vector<std::string>& fallback)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= value.size()) {
        std::size_t end = value.find(':', at);
        if (end == std::string::npos)
            end = value.size();
        const std::string part = value.substr(at, end - at);
        if (!part.empty() && part[0] == '/')
            out.push_back(StripSlash(part));
        at = end + 1;
    }
    return out.empty() ? fallback : out;
}

bool IsRegular(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadText(const std::string& path, int64_t cap, std::string& text)
{
    std::string error;
    return sys::ReadRegularFile(path, text, error, cap);
}

bool ValidId(const std::string& id)
{
    return id.size() > 8 && id.compare(id.size() - 8, 8, ".desktop") == 0 &&
           id.find('/') == std::string::npos && id.find('\0') == std::string::npos && id[0] != '.';
}

std::vector<std::string> AppFolders(const TXdgDirs& dirs)
{
    std::vector<std::string> out{dirs.DataHome + "/applications"};
    for (const std::string& d : dirs.DataDirs)
        out.push_back(d + "/applications");
    return out;
}

// The groups of a mimeapps.list that matter here: the lists for one type.
struct TMimeApps {
    std::vector<std::string> Defaults, Added, Removed;
};

TMimeApps ReadMimeApps(const std::string& file, const std::string& mimeType)
{
    TMimeApps out;
    std::string text;
    if (!ReadText(file, kKeyFileCap, text))
        return out;
    for (const TKeyFileEntry& e : ParseKeyFile(text)) {
        if (e.Key != mimeType)
            continue;
        std::vector<std::string>* list = e.Group == "Default Applications" ? &out.Defaults
                                         : e.Group == "Added Associations"  ? &out.Added
                                         : e.Group == "Removed Associations" ? &out.Removed
                                                                              : nullptr;
        if (!list)
            continue;
        for (std::string& id : SplitList(e.Value))
            list->push_back(std::move(id));
    }
    return out;
}

// Whether an entry can be started here.
bool Startable(const TDesktopEntry& e)
{
    if (!e.IsApplication || e.Hidden || e.Exec.empty())
        return false;
    if (!e.TryExec.empty() && FindProgram(e.TryExec).empty())
        return false;
    std::vector<std::string> words;
    std::string error;
    return SplitExec(e.Exec, words, error) && !FindProgram(words.front()).empty();
}

// Every desktop entry file below folder, with its id ("sub/x.desktop" is "sub-x.desktop").
void ScanApps(const std::string& folder, const std::string& prefix, int depth,
              std::vector<std::pair<std::string, std::string>>& out)
{
    std::vector<sys::TDirEntry> entries;
    std::string error;
    if (depth > 4 || !sys::ListFolder(folder, entries, error))
        return;
    std::sort(entries.begin(), entries.end(),
              [](const sys::TDirEntry& a, const sys::TDirEntry& b) { return a.Name < b.Name; });
    for (const sys::TDirEntry& e : entries) {
        const std::string path = folder + "/" + e.Name;
        if (e.Kind == sys::TEntryKind::Directory)
            ScanApps(path, prefix + e.Name + "-", depth + 1, out);
        else if (e.Kind == sys::TEntryKind::Regular && ValidId(e.Name))
            out.emplace_back(prefix + e.Name, path);
    }
}

} // namespace

TXdgDirs TXdgDirs::FromEnv()
{
    TXdgDirs d;
    std::string home = Env("HOME");
    if (home.empty() || home[0] != '/') {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    }
    home = StripSlash(home.empty() ? std::string("/") : home);
    const std::string base = home == "/" ? std::string() : home;
    const std::string dataHome = Env("XDG_DATA_HOME");
    d.DataHome = !dataHome.empty() && dataHome[0] == '/' ? StripSlash(dataHome) : base + "/.local/share";
    const std::string configHome = Env("XDG_CONFIG_HOME");
    d.ConfigHome = !configHome.empty() && configHome[0] == '/' ? StripSlash(configHome) : base + "/.config";
    d.DataDirs = SplitPaths(Env("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    d.ConfigDirs = SplitPaths(Env("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    const std::string desktops = Env("XDG_CURRENT_DESKTOP");
    std::size_t at = 0;
    while (at < desktops.size()) {
        std::size_t end = desktops.find(':', at);
        if (end == std::string::npos)
            end = desktops.size();
        std::string name = desktops.substr(at, end - at);
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        if (!name.empty() && name.find('/') == std::string::npos)
            d.Desktops.push_back(std::move(name));
        at = end + 1;
    }
    return d;
}

bool LoadDesktopEntry(const std::string& file, TDesktopEntry& entry)
{
    entry = {};
    std::string text;
    if (!ReadText(file, kKeyFileCap, text))
        return false;
    bool hasGroup = false;
    for (const TKeyFileEntry& e : ParseKeyFile(text)) {
        if (e.Group != "Desktop Entry")
            continue;
        hasGroup = true;
        // The first of a repeated key counts.
        if (e.Key == "Type")
            entry.IsApplication = e.Value == "Application";
        else if (e.Key == "Hidden")
            entry.Hidden = e.Value == "true";
        else if (e.Key == "Terminal")
            entry.Terminal = e.Value == "true";
        else if (e.Key == "MimeType")
            entry.MimeTypes = SplitList(e.Value);
        else if (e.Key == "Exec" && entry.Exec.empty())
            entry.Exec = UnescapeValue(e.Value);
        else if (e.Key == "TryExec" && entry.TryExec.empty())
            entry.TryExec = UnescapeValue(e.Value);
        else if (e.Key == "Path" && entry.WorkDir.empty())
            entry.WorkDir = UnescapeValue(e.Value);
        else if (e.Key == "Name" && entry.Name.empty())
            entry.Name = UnescapeValue(e.Value);
        else if (e.Key == "Icon" && entry.Icon.empty())
            entry.Icon = UnescapeValue(e.Value);
    }
    if (!hasGroup)
        return false;
    entry.File = file;
    const std::size_t slash = file.rfind('/');
    entry.Id = slash == std::string::npos ? file : file.substr(slash + 1);
    return true;
}

std::string FindDesktopFile(const TXdgDirs& dirs, const std::string& id)
{
    if (!ValidId(id))
        return {};
    // "a-b-c.desktop" may live as a-b-c.desktop, a/b-c.desktop, a-b/c.desktop or a/b/c.desktop.
    std::vector<std::size_t> dashes;
    for (std::size_t i = 0; i + 8 < id.size(); ++i)
        if (id[i] == '-')
            dashes.push_back(i);
    if (dashes.size() > 6)
        dashes.resize(6);
    for (const std::string& folder : AppFolders(dirs)) {
        for (unsigned mask = 0; mask < (1u << dashes.size()); ++mask) {
            std::string name = id;
            for (std::size_t k = 0; k < dashes.size(); ++k)
                if (mask & (1u << k))
                    name[dashes[k]] = '/';
            const std::string path = folder + "/" + name;
            if (IsRegular(path))
                return path;
        }
    }
    return {};
}

std::string FindProgram(const std::string& word)
{
    auto runnable = [](const std::string& p) { return IsRegular(p) && ::access(p.c_str(), X_OK) == 0; };
    if (word.empty() || word.find('\0') != std::string::npos)
        return {};
    if (word.find('/') != std::string::npos)
        return runnable(word) ? word : std::string();
    std::string path = Env("PATH");
    if (path.empty())
        path = "/usr/local/bin:/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t end = path.find(':', at);
        if (end == std::string::npos)
            end = path.size();
        std::string dir = path.substr(at, end - at);
        if (dir.empty())
            dir = ".";
        const std::string p = dir + "/" + word;
        if (runnable(p))
            return p;
        at = end + 1;
    }
    return {};
}

std::vector<std::string> MimeAppsFiles(const TXdgDirs& dirs)
{
    std::vector<std::string> out;
    auto add = [&](const std::string& folder) {
        for (const std::string& d : dirs.Desktops)
            out.push_back(folder + "/" + d + "-mimeapps.list");
        out.push_back(folder + "/mimeapps.list");
    };
    add(dirs.ConfigHome);
    for (const std::string& d : dirs.ConfigDirs)
        add(d);
    add(dirs.DataHome + "/applications");
    for (const std::string& d : dirs.DataDirs)
        add(d + "/applications");
    return out;
}

std::vector<TDesktopEntry> AppsForType(const TXdgDirs& dirs, const std::string& mimeType)
{
    std::vector<TDesktopEntry> out;
    std::set<std::string> seen;
    auto offer = [&](const std::string& id, const std::string& file) {
        if (!seen.insert(id).second)
            return;
        TDesktopEntry e;
        if (!file.empty() && LoadDesktopEntry(file, e) && Startable(e)) {
            e.Id = id;
            out.push_back(std::move(e));
        }
    };
    std::vector<TMimeApps> lists;
    for (const std::string& f : MimeAppsFiles(dirs))
        lists.push_back(ReadMimeApps(f, mimeType));
    for (const TMimeApps& l : lists)
        for (const std::string& id : l.Defaults)
            offer(id, FindDesktopFile(dirs, id));
    // A removal hides the type's associations of the files consulted after it.
    std::set<std::string> removed;
    for (const TMimeApps& l : lists) {
        removed.insert(l.Removed.begin(), l.Removed.end());
        for (const std::string& id : l.Added)
            if (!removed.count(id))
                offer(id, FindDesktopFile(dirs, id));
    }
    for (const std::string& folder : AppFolders(dirs)) {
        std::vector<std::pair<std::string, std::string>> files;
        ScanApps(folder, "", 0, files);
        for (const auto& [id, file] : files) {
            if (removed.count(id) || seen.count(id))
                continue;
            // The first folder holding an id hides the others.
            seen.insert(id);
            TDesktopEntry e;
            if (!LoadDesktopEntry(file, e))
                continue;
            if (std::find(e.MimeTypes.begin(), e.MimeTypes.end(), mimeType) == e.MimeTypes.end())
                continue;
            if (Startable(e)) {
                e.Id = id;
                out.push_back(std::move(e));
            }
        }
    }
    return out;
}

bool DefaultAppForType(const TXdgDirs& dirs, const std::string& mimeType, TDesktopEntry& entry)
{
    for (const std::string& f : MimeAppsFiles(dirs)) {
        for (const std::string& id : ReadMimeApps(f, mimeType).Defaults) {
            TDesktopEntry e;
            const std::string file = FindDesktopFile(dirs, id);
            if (!file.empty() && LoadDesktopEntry(file, e) && e.IsApplication && !e.Hidden) {
                e.Id = id;
                entry = std::move(e);
                return true;
            }
        }
    }
    std::vector<TDesktopEntry> apps = AppsForType(dirs, mimeType);
    if (apps.empty())
        return false;
    entry = std::move(apps.front());
    return true;
}

std::string PercentEncode(const std::string& path)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::vector<std::string> MimeFolders(const TXdgDirs& dirs)
{
    std::vector<std::string> out{dirs.DataHome + "/mime"};
    for (const std::string& d : dirs.DataDirs)
        out.push_back(d + "/mime");
    return out;
}

std::vector<std::string> TypesForName(const TXdgDirs& dirs, const std::string& name,
                                      const std::vector<TGlob>& extraGlobs)
{
    struct THit {
        int Weight;
        std::size_t Length;
        std::string Type;
    };
    std::vector<THit> hits;
    auto look = [&](const std::vector<TGlob>& globs, const std::set<std::string>& skip) {
        for (const TGlob& g : globs)
            if (!skip.count(g.Type) && g.Pattern != "__NOGLOBS__" && GlobMatches(g, name))
                hits.push_back({g.Weight, g.Pattern.size(), g.Type});
    };
    std::set<std::string> noGlobs;
    look(extraGlobs, noGlobs);
    for (const std::string& folder : MimeFolders(dirs)) {
        std::string text;
        if (!ReadText(folder + "/globs2", kGlobsCap, text))
            continue;
        const std::vector<TGlob> globs = ParseGlobs2(text);
        look(globs, noGlobs);
        // A folder that drops a type's globs hides those of the folders after it.
        for (const TGlob& g : globs)
            if (g.Pattern == "__NOGLOBS__")
                noGlobs.insert(g.Type);
    }
    std::vector<std::string> out;
    if (hits.empty())
        return out;
    int best = hits.front().Weight;
    std::size_t longest = 0;
    for (const THit& h : hits)
        best = std::max(best, h.Weight);
    for (const THit& h : hits)
        if (h.Weight == best)
            longest = std::max(longest, h.Length);
    for (const THit& h : hits)
        if (h.Weight == best && h.Length == longest &&
            std::find(out.begin(), out.end(), h.Type) == out.end())
            out.push_back(h.Type);
    return out;
}

} // namespace xdg
