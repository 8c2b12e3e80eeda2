#pragma once
// The backup viewer's list of the states stored in one autosave file.
#include "schematic/core/lines.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TBackupFile {
    TLines Lines;                     // every line of the file
    std::vector<std::size_t> Starts;  // header line of each stored state, oldest first
    // The last state was cut off while it was being written (a crash or a full disk).
    bool TornTail = false;
};

enum class TBackupLoad { Ok, NotSchematic, Unreadable };

// Reads path (regular files only) into file. Ok when its first line is "SCHEMATIC"; the
// states are found by walking the grammar, so a text reading "SCHEMATIC" starts none.
// An empty file is not a schematic. The newest state is marked cut when the file's end was
// cut off or the state record beside it does not confirm it. On Unreadable, error says why.
TBackupLoad LoadBackupFile(const std::string& path, TBackupFile& file, std::string& error);

// Deletes an autosave file and the state record beside it. False when the file stays.
bool EraseBackupFile(const std::string& path);

// "Backup: " and the header's line index; the last, torn state is marked.
std::string BackupEntry(std::size_t start, bool torn);
// The line index an entry names (the digits after "Backup: "); false when there are none.
bool BackupEntryLine(std::string_view entry, std::size_t& start);
