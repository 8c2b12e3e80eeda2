#pragma once
// Component files on disk for the windows: the library folder beside the program, finding
// a name whatever its case, reading through the one regular-file reader, safe writing.
#include "schematic/core/lines.h"

#include <QString>

// Component files are small; anything larger is not one of ours.
inline constexpr int64_t kCompReadCap = int64_t{64} << 20;

// The program's folder followed by "Library" (no trailing "/").
QString LibraryFolder();

// An existing entry for path: path itself when it exists as given, else the entry of its
// folder whose name differs only in case; empty when there is none.
QString FindCompFile(const QString& path);

// Reads a regular file (capped) into lines; false with a short reason on failure.
bool ReadCompLines(const QString& path, TLines& lines, QString& error);

// Writes the text so that a failure leaves the old file whole; false with the reason.
bool WriteCompLines(const QString& path, const TLines& lines, QString& error);

// The path Save As writes for a chosen path: the file-name part upper-cased, unless its
// folder already holds that name in another case, which is then written in place.
QString CompSavePath(const QString& chosen);
