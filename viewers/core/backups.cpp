#include "viewers/core/backups.h"

#include "platform/sys/files.h"
#include "schematic/core/sch_text.h"

#include <charconv>

bool EndsTorn(std::string_view bytes)
{
    // A NUL ends the text as the reader sees it.
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    return !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r';
}

TBackupLoad LoadBackupFile(const std::string& path, TBackupFile& file, std::string& error)
{
    file = TBackupFile{};
    std::string bytes;
    if (!sys::ReadRegularFile(path, bytes, error))
        return TBackupLoad::Unreadable;
    file.Lines = TLines::FromText(bytes);
    if (file.Lines.Empty() || file.Lines[0] != "SCHEMATIC")
        return TBackupLoad::NotSchematic;
    file.TornTail = EndsTorn(bytes);
    file.Starts = SnapshotStarts(file.Lines);
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
