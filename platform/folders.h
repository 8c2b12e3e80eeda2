#pragma once
// The folders the programs keep their files in, each ending in "/".
#include <QString>

// Settings folder (created): ~/.local/share/Vantrel/.
QString GetIniFolder();
// The temporary folder of the programs.
QString GetTempFolder();
// The user's documents folder, or "/" when there is none.
QString GetDocsFolder();
// s with one "/" at its end.
QString WithSlash(QString s);
