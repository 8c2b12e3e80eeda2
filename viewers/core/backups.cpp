#include "viewers/core/backups.h"

#include "platform/sys/files.h"
#include "schematic/core/autosave.h"

#include <cerrno>
#include <charconv>
#include <unistd.h>
#include <utility>

TBackupLoad LoadBackupFile(const std::string& path, TBackupFile& file, std::string& error)
{
    file = TBackupFile{};
    sys::TByteBuf bytes;
    if (!sys::ReadRegularFile(path, bytes, error))
        return TBackupLoad::Unreadable;
    const bool torn = EndsTorn(bytes.View());
    file.Lines = TLines::FromBytes(std::move(bytes));
    if (file.Lines.Empty() || file.Lines[0] != "SCHEMATIC")
        return TBackupLoad::NotSchematic;
    TStateList states = ListStates(file.Lines, torn, ReadStateRecord(path));
    file.Starts = std::move(states.Starts);
    file.TornTail = states.LastTorn;
    return TBackupLoad::Ok;
}

bool EraseBackupFile(const std::string& path)
{
    const bool gone = ::unlink(path.c_str()) == 0 || errno == ENOENT;
    ::unlink(StateRecordPath(path).c_str());
    return gone;
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
