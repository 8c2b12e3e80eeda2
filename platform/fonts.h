#pragma once
// The font names the program uses and the installed families that stand in for them.
#include <QString>

#include <string_view>

// Family that stands in for a font name ("Times New Roman", "Symbol", "MS Sans Serif",
// "Arial", "Courier New"); any other name is passed on as it is.
QString ResolveFontFamily(std::string_view name);
// The symbol font takes its text bytes as its own code points, not as Windows-1252.
bool IsSymbolFontName(std::string_view name);
// Registers the stand-ins with Qt, so widgets asking for these names by QFont get them too.
// Call once after the application object exists.
void InstallFontSubstitutes();
