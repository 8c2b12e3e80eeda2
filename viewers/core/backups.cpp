#include "viewers/core/backups.h"

#include "platform/sys/files.h"
#include "schematic/core/autosave.h"

#include <charconv>
#include <utility>

TBackupLoad LoadBackupFile(const std::string& path, TBackupFile& file, std::string& error)
{
    file = TBackupFile{};
    std::string bytes;
    if (!sys::ReadRegularFile(path, bytes, error))
        return TBackupLoad::Unreadable;
    file.Lines = TLines::FromText(bytes);
    if (file.Lines.Empty() || file.Lines[0] != "SCHEMATIC")
        return TBackupLoad::NotSchematic;
    TStateList states = ListStates(file.Lines, EndsTorn(bytes));
    file.Starts = std::move(states.Starts);
    file.TornTail = states.LastTorn;
    return TBackupLoad::Ok;
}

std::string BackupEntry(std::size_t start, bool torn)
{
    std::string s = "Backup: " + std::to_string(start);
    if (torn)
        s += " (incomplete)";
    return s;
}

bool BackupEntryLine(std::string_view entry, std::size_t& start)
{
    if (entry.size() <= 8)
        return false;
    const char* b = entry.data() + 8;
    const auto r = std::from_chars(b, entry.data() + entry.size(), start);
    return r.ec == std::errc() && r.ptr != b;
}
