#pragma once
// The search program's folder walk, without the toolkit: it lists a folder tree depth
// first and collects every entry named "*.sch" (any case) that is not a folder. Names are
// the file system's bytes, kept as they are. Each real folder is listed at most once per
// walk (by device and inode), so symbolic links back up the tree cannot make it loop, and
// each folder's listing is closed before its subfolders are walked.
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace search {

// True when name ends in ".sch" in any mix of case (".sch" alone included).
bool HasSchExtension(const std::string& name);

// True when something exists at path (links followed; a dangling link does not exist).
bool PathExists(const std::string& path);

// The folder made absolute against the working folder, with exactly one "/" at its end.
// Bytes are kept; "." and ".." parts are left to the file system.
std::string AbsoluteFolder(const std::string& folder);

class TFolderWalk {
public:
    // Cleared (by the owner, typically from Pump) to stop the walk at its next entry.
    const bool* Searching = nullptr;
    // Called about every SliceMs while the walk runs, so the owner can let its event loop
    // run; 0 calls it after every entry.
    std::function<void()> Pump;
    int SliceMs = 25;
    // Called with each folder (ending in "/") as its listing begins.
    std::function<void(const std::string& folder)> OnFolder;

    // Walks folder (made absolute, see AbsoluteFolder) and appends the full paths found.
    void Walk(const std::string& folder, std::vector<std::string>& found);

    // Entries looked at by the last walk (folders and files, "." and ".." not counted).
    uint64_t Entries() const { return entries_; }

private:
    bool Going() const { return !Searching || *Searching; }
    void Tick();
    void WalkFolder(const std::string& folder, std::vector<std::string>& found);

    std::set<std::pair<uint64_t, uint64_t>> visited_;
    std::chrono::steady_clock::time_point next_;
    uint64_t entries_ = 0;
};

} // namespace search
