#include "search/core/walk.h"

#include "platform/sys/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace search {

bool HasSchExtension(const std::string& name)
{
    const std::size_t n = name.size();
    if (n < 4 || name[n - 4] != '.')
        return false;
    auto is = [](char c, char lower) { return c == lower || c == lower - ('a' - 'A'); };
    return is(name[n - 3], 's') && is(name[n - 2], 'c') && is(name[n - 1], 'h');
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && path.find('\0') == std::string::npos && ::stat(path.c_str(), &st) == 0;
}

std::string AbsoluteFolder(const std::string& folder)
{
    std::string out = folder;
    if (out.empty() || out[0] != '/') {
        std::string cwd(PATH_MAX, '\0');
        while (!::getcwd(cwd.data(), cwd.size())) {
            if (errno != ERANGE) {
                cwd = "/";
                break;
            }
            cwd.resize(cwd.size() * 2);
        }
        cwd.resize(cwd.find('\0') == std::string::npos ? cwd.size() : cwd.find('\0'));
        if (cwd.empty() || cwd.back() != '/')
            cwd += '/';
        out = out.empty() ? cwd : cwd + out;
    }
    if (out.back() != '/')
        out += '/';
    return out;
}

void TFolderWalk::Walk(const std::string& folder, std::vector<std::string>& found)
{
    visited_.clear();
    entries_ = 0;
    next_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(SliceMs);
    WalkFolder(AbsoluteFolder(folder), found);
    visited_.clear();
}

void TFolderWalk::Tick()
{
    if (!Pump || !Going())
        return;
    if (SliceMs <= 0) {
        Pump();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= next_) {
        Pump();
        next_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(SliceMs);
    }
}

void TFolderWalk::WalkFolder(const std::string& folder, std::vector<std::string>& found)
{
    if (!Going())
        return;
    // The folder itself, through whatever links led here: once per walk.
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    if (!visited_.emplace(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)).second)
        return;
    if (OnFolder)
        OnFolder(folder);
    // The listing is read whole and closed here, so open handles never pile up with depth.
    std::vector<sys::TDirEntry> entries;
    std::string error;
    if (!sys::ListFolder(folder, entries, error)) {
        Tick();
        return;
    }
    for (const sys::TDirEntry& e : entries) {
        if (!Going())
            break;
        ++entries_;
        if (e.Kind == sys::TEntryKind::Directory)
            WalkFolder(folder + e.Name + '/', found);
        else if (HasSchExtension(e.Name))
            found.push_back(folder + e.Name);
        Tick();
    }
}

} // namespace search
