#pragma once
// The folders the programs keep their files in, each ending in "/".
#include <QString>

// Settings folder (created): ~/.local/share/Vantrel/.
QString GetIniFolder();
// The temporary folder of the programs: a folder of this user alone (0700) inside the
// system temporary folder, made when missing.
QString GetTempFolder();
// The user's documents folder, or "/" when there is none.
QString GetDocsFolder();
// s with one "/" at its end.
QString WithSlash(QString s);
// Where the open and save dialogs start: `preferred` (the schematic folder) when it is a
// folder, else the documents folder when there is one, else the home folder.
QString DialogStartFolder(const QString& preferred);
