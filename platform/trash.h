#pragma once
// Deleting a file the way users can undo: into the freedesktop trash. There is no fallback
// to a permanent delete; when the trash cannot take the file, it stays where it is.
#include <string>

// True when the file (path in local 8-bit bytes) is now in the trash.
bool MoveToTrash(const std::string& path);
