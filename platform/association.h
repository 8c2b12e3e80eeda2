#pragma once
// The desktop's file association of schematic files, and opening documents the way the
// desktop would, without a helper program: the association is a MIME package for "*.sch"
// (a schematic begins with "SCHEMATIC"), a desktop entry that runs the drawing program with
// the file, and that entry as the type's default in the user's mimeapps.list, all under the
// user's XDG folders. Reading always reads those files fresh.
#include <QString>
#include <QStringList>

#include <string>

namespace assoc {

inline constexpr const char* SchMimeType = "application/x-ostrin-schematic";
inline constexpr const char* SchDesktopId = "ostrin.desktop";
inline constexpr const char* SchPackageName = "ostrin-schematic.xml";

// The texts written.
std::string SchMimePackage();
std::string SchDesktopEntry(const std::string& programPath);

// What the desktop does with a schematic file now.
struct TSchAssociation {
    std::string Type;         // the MIME type of a schematic file; empty when "*.sch" has none
    bool HasCommand = false;  // the type has a default entry with an Exec line
    std::string Command;      // that Exec line (unescaped)
    std::string Program;      // the program it runs (its first word); empty when it cannot be split
};
TSchAssociation ReadSchAssociation();

// Writes the package, the desktop entry running programPath with the file, and the default in
// mimeapps.list (merged into what is there, written atomically), then lets the desktop's
// tools rebuild their caches. Stops at the first file that cannot be written, with error set.
bool WriteSchAssociation(const std::string& programPath, std::string& error);

// The MIME type the desktop gives the file at path (by its name; a tie between types is
// settled by the schematic header); empty when none is known.
std::string TypeForFile(const std::string& path);

// Starts the type's default application for the file (path), or for a URL. The arguments
// go to the program as a list, never through a shell. False when nothing could be started.
bool OpenDocument(const std::string& path);
bool OpenWithType(const std::string& mimeType, const std::string& target, bool isUrl);

// Shows the file as text, never by its own type: the first program for text/plain that can
// be started, the user's default first; one that needs a terminal runs inside the user's
// terminal (x-terminal-emulator, else xterm) with the path as one argument. False, with a
// sentence for the user in error, when there is none.
bool ViewAsText(const std::string& path, std::string& error);

// Runs a tool with an argument list and waits for it at most timeoutMs (then it is killed).
// False when it is not installed, fails or takes too long.
bool RunTool(const QString& program, const QStringList& args, int timeoutMs = 10000);

// "file://" and the path, percent-encoded as URLs need it.
std::string FileUrl(const std::string& path);

} // namespace assoc
