#include "components/core/comp_folder.h"

#include "platform/sys/files.h"

#include <algorithm>

std::vector<std::string> ListCompNames(const std::string& folder)
{
    std::vector<sys::TDirEntry> entries;
    std::string error;
    std::vector<std::string> names;
    if (!sys::ListFolder(folder, entries, error))
        return names;
    names.reserve(entries.size());
    for (const sys::TDirEntry& e : entries) {
        const std::string& n = e.Name;
        if (e.Kind != sys::TEntryKind::Regular || n.size() <= 4)
            continue;
        std::string name = n.substr(0, n.size() - 4);
        std::string ext = n.substr(n.size() - 4);
        for (char& c : ext)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (ext != ".cmp")
            continue;
        for (char& c : name)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string CompFileIn(const std::string& folder, const std::string& fileName, bool* found)
{
    const std::string hit = sys::FindNoCase(folder, fileName);
    if (found)
        *found = !hit.empty();
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + (hit.empty() ? fileName : hit);
}
